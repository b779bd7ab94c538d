// The real file system, through the ANSI Win32 calls. Its calls are kept by concern: listings
// and short names in win32_listing.cpp; reading, writing and moving files in win32_file_io.cpp;
// identities, links and the holder of a file in win32_identity.cpp.
#pragma once

#include "app/disk.h"

namespace vintrel {

class Win32Disk : public Disk {
public:
    // Listings, entries and short names.
    unsigned DriveType(const std::string& root) override;
    std::unique_ptr<DirectoryReader> OpenDirectory(const std::string& directory) override;
    std::optional<DiskEntry> FindEntry(const std::string& path) override;
    std::optional<std::uint32_t> Attributes(const std::string& path) override;
    bool Absent(const std::string& path) override;

    // Reading, writing, moving and removing.
    std::optional<FileBytes> ReadFile(const std::string& path, std::uint64_t limit) override;
    std::unique_ptr<FileSource> OpenToCopy(const std::string& path, DiskError& why) override;
    std::unique_ptr<FileSource> OpenUncached(const std::string& path, DiskError& why) override;
    std::unique_ptr<FileWriter> CreateNewFile(const std::string& path, DiskError& why) override;
    std::unique_ptr<FileWriter> OpenToAppend(const std::string& path, DiskError& why) override;
    std::unique_ptr<HeldFile> HoldSoleFile(const std::string& path, DiskError& why) override;
    bool SoleName(const std::string& path) override;
    bool ReplaceFileWith(const std::string& replacement, const std::string& target) override;
    bool RemoveFile(const std::string& path) override;
    DiskError MakeDirectoryPath(const std::string& path) override;
    std::unique_ptr<HeldFolder> HoldFolder(const std::string& path, DiskError& why) override;
    bool RenamesByName() override;
    std::unique_ptr<HeldFolder> MakeOwnFolder(const std::string& path, DiskError& why) override;
    bool RemoveFolder(const std::string& path) override;
    void SetAttributes(const std::string& path, std::uint32_t attributes) override;
    void Pause(std::uint32_t milliseconds) override;
    std::unique_ptr<HeldTurn> TryTurn(const std::string& path, DiskError& why) override;

    // Identities, links, holders and limits.
    std::optional<FileIdentity> Identity(const std::string& path) override;
    std::optional<std::uint64_t> FileIndex(const std::string& path) override;
    std::string FinalPath(const std::string& path) override;
    bool IsLink(const std::string& path) override;
    std::string HolderOf(const std::string& path) override;
    std::optional<std::uint64_t> FileSizeLimit(const std::string& directory) override;
    VolumeFacts Volume(const std::string& directory) override;

private:
    // Whether the path, opened, reaches a file of another name: a link.
    bool LeadsElsewhere(const std::string& path);
    // Whether a file open (with FILE_FLAG_OPEN_REPARSE_POINT) by that path is a plain file's
    // one name (see SoleName). `shareMayNotCount`: on a network share, a count of no name
    // at all says nothing (see OpenToAppend).
    bool SoleNameOf(void* file, const std::string& path, bool shareMayNotCount = false);
};

} // namespace vintrel
