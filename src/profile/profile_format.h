// The text of the backup profile: line 1 the target path, then one profile entry per line,
// every line ended by CR LF. The reader takes more than the writer gives.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace vintrel {

// Reads lines from the bytes of a profile. A line ends at CR LF, a lone LF, a lone CR, a NUL
// or the end; the terminator is not part of the line.
class ProfileLineReader {
public:
    // A UTF-8 byte-order mark that an editor put at the start is not part of the first line.
    explicit ProfileLineReader(const std::string& bytes)
        : bytes_(bytes), at_(bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0) {}
    bool AtEnd() const { return at_ >= bytes_.size(); }
    std::string NextLine();

private:
    const std::string& bytes_;
    std::size_t at_;
};

// What a profile holds: line 1, the target path; then one entry per line, normalised to the
// three fields of a profile entry.
struct ProfileContents {
    std::string targetPath;
    std::vector<std::string> entries;
};
ProfileContents ParseProfile(const std::string& bytes);

// The bytes of a profile: the target path and each entry, each followed by CR LF.
std::string ProfileText(const std::string& targetPath, const std::vector<std::string>& entries);

} // namespace vintrel
