// libFuzzer target for the profile reader and entry splitter: whatever the bytes, nothing
// crashes, and what is read, written and read again gives the same target and entries.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/file_list.h"
#include "profile/profile_format.h"

namespace {

struct Profile {
    std::string target;
    std::vector<std::string> entries;
    bool operator==(const Profile&) const = default;
};

Profile Read(const std::string& bytes) {
    vintrel::ProfileLineReader reader(bytes);
    Profile p;
    p.target = reader.NextLine();
    while (!reader.AtEnd()) {
        const auto f = vintrel::SplitProfileEntry(reader.NextLine());
        p.entries.push_back(f[0] + "|" + f[1] + "|" + f[2]);
    }
    return p;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const Profile first = Read(bytes);
    const std::string written = vintrel::ProfileText(first.target, first.entries);
    if (!(Read(written) == first)) std::abort();
    // Written once, the text is stable.
    if (vintrel::ProfileText(Read(written).target, Read(written).entries) != written) std::abort();
    return 0;
}
