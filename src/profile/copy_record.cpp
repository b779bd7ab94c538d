#include "profile/copy_record.h"

#include "app/paths.h"
#include "profile/profile_format.h"

namespace vintrel {

std::optional<std::string> PathBelow(const std::string& relative) {
    if (relative.empty() || IsPathSeparator(relative[0]) ||
        relative.find_first_of(":*?") != std::string::npos) {
        return std::nullopt;
    }
    std::vector<std::string> names;
    std::size_t at = 0;
    while (at <= relative.size()) {
        std::size_t end = at;
        while (end < relative.size() && !IsPathSeparator(relative[end]))
            ++end;
        std::string name = relative.substr(at, end - at);
        // Windows drops the dots and spaces a name ends in ("Mail." is "Mail").
        if (name != "." && name != "..") {
            while (!name.empty() && (name.back() == '.' || name.back() == ' '))
                name.pop_back();
        }
        if (name == "..") {
            if (names.empty()) return std::nullopt;
            names.pop_back();
        } else if (!name.empty() && name != ".") {
            names.push_back(name);
        }
        at = end + 1;
    }
    if (names.empty() || IsPathSeparator(relative.back())) return std::nullopt;
    std::string plain;
    for (const std::string& name : names)
        plain += (plain.empty() ? "" : "\\") + name;
    return plain;
}

std::vector<std::string> ReadCopyRecord(const std::string& bytes) {
    std::vector<std::string> paths;
    ProfileLineReader lines(bytes);
    while (!lines.AtEnd()) {
        if (std::optional<std::string> path = PathBelow(lines.NextLine())) {
            paths.push_back(std::move(*path));
        }
    }
    return paths;
}

std::string CopyRecordText(const std::vector<std::string>& paths) {
    std::string text;
    for (const std::string& path : paths)
        text += path + "\r\n";
    return text;
}

} // namespace vintrel
