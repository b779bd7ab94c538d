// The real file system, through the ANSI Win32 calls.
#pragma once

#include "app/disk.h"

namespace vintrel {

class Win32Disk : public Disk {
public:
    unsigned DriveType(const std::string& root) override;
    std::optional<DiskEntry> FindEntry(const std::string& path) override;
    std::optional<std::uint32_t> Attributes(const std::string& path) override;
    std::unique_ptr<DirectoryReader> OpenDirectory(const std::string& directory) override;
};

} // namespace vintrel
