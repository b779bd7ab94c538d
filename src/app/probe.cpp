#include "app/probe.h"

namespace vintrel {

std::int64_t ProbeFileSize(Disk& disk, const std::string& path) {
    if (path.empty()) return kProbeNothing;
    // A longer path is not cut down to one that may name something else.
    if (path.size() > kMaxPathChars) return kProbeNothing;
    // Windows file names cannot hold wildcards: such a path names no file, even though
    // a lookup would take it as a pattern and report whatever matches first.
    if (path.find_first_of("*?") != std::string::npos) return kProbeNothing;

    if ((path.size() == 2 || path.size() == 3) && path[1] == ':') {
        const std::string root = path.size() == 2 ? path + "\\" : path;
        return disk.DriveType(root) > 1 ? kProbeDirectory : kProbeNothing;
    }

    std::string lookup = path;
    while (!lookup.empty() && lookup.back() == '\\')
        lookup.pop_back();

    // A share ("\\server\share") is found too: the lookup asks for a path's attributes first,
    // which a share's root has, as a drive's root has.
    const std::optional<DiskEntry> entry = disk.FindEntry(lookup);
    if (!entry) return kProbeNothing;
    if (entry->attributes & kAttributeDirectory) return kProbeDirectory;
    return static_cast<std::int64_t>(entry->size);
}

} // namespace vintrel
