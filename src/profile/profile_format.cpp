#include "profile/profile_format.h"

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
            if (at_ < bytes_.size() && bytes_[at_] == '\n') ++at_;
            return line;
        }
        ++at_;
    }
    return bytes_.substr(start);
}

std::array<std::string, 3> SplitProfileEntry(const std::string& line) {
    std::array<std::string, 3> fields;
    std::size_t start = 0;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::size_t bar = line.find('|', start);
        fields[i] = line.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    return fields;
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
