#include "app/disk_win32.h"

#include <windows.h>

namespace vintrel {

unsigned Win32Disk::DriveType(const std::string& root) {
    return GetDriveTypeA(root.c_str());
}

std::optional<DiskEntry> Win32Disk::FindEntry(const std::string& path) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return std::nullopt;
    FindClose(find);
    DiskEntry entry;
    entry.name = data.cFileName;
    entry.attributes = data.dwFileAttributes;
    entry.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return entry;
}

std::optional<std::uint32_t> Win32Disk::Attributes(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return attributes;
}

} // namespace vintrel
