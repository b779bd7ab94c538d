#include "app/paths.h"

#include <algorithm>

namespace vintrel {

namespace {
std::size_t StartAfterQuote(const std::string& path) {
    return (!path.empty() && path[0] == '"') ? 1 : 0;
}
} // namespace

bool SamePath(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return FoldCase(x) == FoldCase(y); });
}

std::size_t PathRootLength(const std::string& path) {
    const auto separator = [&](std::size_t at) {
        return at < path.size() && IsPathSeparator(path[at]);
    };
    // Past the next separator from `from` on, or the whole path.
    const auto past = [&](std::size_t from) {
        const std::size_t at = path.find_first_of("\\/", std::min(from, path.size()));
        return at == std::string::npos ? path.size() : at + 1;
    };
    if (separator(0) && separator(1)) {
        if (separator(3) && (path[2] == '?' || path[2] == '.')) {
            if (PathKey(path.substr(4, 4)) == "unc\\") return past(past(8));
            return past(4); // "\\?\C:\", or a volume's name
        }
        return past(past(2));
    }
    if (path.size() >= 2 && path[1] == ':') return separator(2) ? 3 : 2;
    return separator(0) ? 1 : 0;
}

bool LiesBelow(const std::string& path, const std::string& folder) {
    const std::size_t length = folder.size() - (EndsInSeparator(folder) ? 1 : 0);
    return path.size() > length + 1 && IsPathSeparator(path[length]) &&
           PathKey(path.substr(0, length)) == PathKey(folder.substr(0, length));
}

bool IsPlainName(const std::string& name) {
    if (name.empty() || name.back() == '.' || name.back() == ' ') return false;
    constexpr std::string_view kNoNameHolds = "\\/:*?\"<>|";
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || kNoNameHolds.find(c) != kNoNameHolds.npos) {
            return false;
        }
    }
    // A device is known by the name before its first dot, spaces at its end dropped.
    std::string base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    for (char& c : base)
        c = FoldCase(c);
    if (base == "nul" || base == "con" || base == "aux" || base == "prn") return false;
    return !(base.size() == 4 && (base.starts_with("com") || base.starts_with("lpt")) &&
             base[3] >= '1' && base[3] <= '9');
}

bool MatchesDigits(const std::string& text, std::size_t at, std::string_view pattern) {
    const std::string_view part =
        std::string_view(text).substr(std::min(at, text.size()), pattern.size());
    return std::equal(part.begin(), part.end(), pattern.begin(), pattern.end(),
                      [](char c, char p) { return p == '0' ? c >= '0' && c <= '9' : c == p; });
}

std::string Printable(std::string text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20) c = '?';
    }
    return text;
}

std::string PathKey(std::string path) {
    for (char& c : path)
        c = IsPathSeparator(c) ? '\\' : FoldCase(c);
    return path;
}

std::string DirectoryPart(const std::string& path) {
    const std::size_t start = StartAfterQuote(path);
    const std::string_view before =
        std::string_view(path).substr(start, path.find('|', start) - start);
    const std::size_t last = before.find_last_of("\\/");
    return std::string(before.substr(0, last == std::string_view::npos ? 0 : last + 1));
}

std::string FileNamePart(const std::string& path) {
    const std::size_t last = path.find_last_of("\\/");
    const std::size_t start = last == std::string::npos ? StartAfterQuote(path) : last + 1;
    return path.substr(start, path.find('"', start) - start);
}

std::string PlainFinalPath(std::string reported) {
    while (!reported.empty() && reported.back() == '\0')
        reported.pop_back();
    if (reported.starts_with("\\\\?\\UNC\\")) {
        reported.replace(0, 8, "\\\\");
    } else if (reported.starts_with("\\\\?\\")) {
        reported.erase(0, 4);
    }
    return reported;
}

} // namespace vintrel
