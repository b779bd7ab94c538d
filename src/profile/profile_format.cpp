#include "profile/profile_format.h"

#include "app/file_list.h"

namespace vintrel {

std::string ProfileLineReader::NextLine() {
    const std::size_t start = at_;
    while (at_ < bytes_.size()) {
        const char c = bytes_[at_];
        if (c == '\n' || c == '\0') {
            return bytes_.substr(start, at_++ - start);
        }
        if (c == '\r') {
            std::string line = bytes_.substr(start, at_ - start);
            ++at_;
            if (bytes_.substr(at_, 1) == "\n") ++at_;
            return line;
        }
        ++at_;
    }
    return bytes_.substr(start);
}

ProfileContents ParseProfile(const std::string& bytes) {
    ProfileLineReader lines(bytes);
    ProfileContents contents;
    contents.targetPath = lines.NextLine();
    while (!lines.AtEnd()) {
        const std::array<std::string, 3> fields = SplitProfileEntry(lines.NextLine());
        contents.entries.push_back(ProfileEntry(fields[0], fields[1], fields[2]));
    }
    return contents;
}

std::string ProfileText(const std::string& targetPath, const std::vector<std::string>& entries) {
    std::size_t size = targetPath.size() + 2;
    for (const std::string& e : entries)
        size += e.size() + 2;
    std::string text;
    text.reserve(size);
    text += targetPath;
    text += "\r\n";
    for (const std::string& e : entries) {
        text += e;
        text += "\r\n";
    }
    return text;
}

} // namespace vintrel
