#include "backup/damage_check.h"

#include <algorithm>

#include "app/paths.h"

namespace vintrel {

namespace {

// Whether a name ends in `ending` (".pst"), in any case, final spaces and dots dropped.
bool KindIs(const std::string& path, std::string_view ending) {
    std::string name = path;
    name.erase(path.find_last_not_of(" .") + 1); // npos + 1 is 0: a name of dots and spaces only
    return SamePath(name.substr(name.size() - std::min(name.size(), ending.size())),
                    std::string(ending));
}

} // namespace

bool HeadChecked(const std::string& path) {
    return !KindIs(path, ".wab") && !KindIs(path, ".pab");
}

std::string WhyDamaged(const std::string& path, std::string_view head) {
    if (!HeadChecked(path)) return "";
    if (head.empty()) return "it is empty";
    if (std::all_of(head.begin(), head.end(), [](char c) { return c == '\0'; })) {
        return head.size() == kHeadSize ? "its first 64 KB are all zero bytes"
                                        : "it holds nothing but zero bytes";
    }
    // The signature, none for other kinds; a "?" stands for any byte (a .pst file's four bytes
    // between "!BDN" and "SM" are a checksum).
    std::string_view signature;
    const char* kind = "";
    if (KindIs(path, ".pst")) {
        signature = "!BDN????SM";
        kind = ".pst";
    } else if (KindIs(path, ".dbx")) {
        signature = "\xCF\xAD\x12\xFE";
        kind = ".dbx";
    }
    if (head.size() < signature.size())
        return "it is cut short (" + std::to_string(head.size()) + " bytes)";
    for (std::size_t i = 0; i < signature.size(); ++i) {
        if (signature[i] != '?' && head[i] != signature[i])
            return std::string("it does not begin as a ") + kind + " file does";
    }
    return "";
}

} // namespace vintrel
