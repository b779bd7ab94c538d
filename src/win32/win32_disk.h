// The real file system, through the ANSI Win32 calls.
#pragma once

#include "app/disk.h"

namespace vintrel {

class Win32Disk : public Disk {
public:
    unsigned DriveType(const std::string& root) override;
    std::optional<DiskEntry> FindEntry(const std::string& path) override;
    std::optional<std::uint32_t> Attributes(const std::string& path) override;
    bool Absent(const std::string& path) override;
    std::optional<FileIdentity> Identity(const std::string& path) override;
    std::string FinalPath(const std::string& path) override;
    void MakeWritable(const std::string& path) override;
    std::unique_ptr<DirectoryReader> OpenDirectory(const std::string& directory) override;
    std::optional<std::string> ReadFile(const std::string& path, bool& complete) override;
    std::unique_ptr<FileWriter> OpenForWriting(const std::string& path) override;
    bool ReplaceFileWith(const std::string& replacement, const std::string& target) override;
    bool RemoveFile(const std::string& path) override;
    void MakeDirectoryPath(const std::string& path) override;
    bool CopyFileTo(const std::string& source, const std::string& destination) override;
    bool MoveFileOver(const std::string& file, const std::string& destination) override;
};

} // namespace vintrel
