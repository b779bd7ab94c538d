#include "app/disk.h"

namespace vintrel {

std::string ListingPattern(const std::string& directory) {
    std::string pattern = directory;
    if (!pattern.empty() && pattern.back() != '\\') pattern += '\\';
    return pattern + "*.*";
}

} // namespace vintrel
