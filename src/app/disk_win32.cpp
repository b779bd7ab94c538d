#include "app/disk_win32.h"

#include <windows.h>

#include "app/probe.h"

namespace vintrel {

namespace {

DiskEntry EntryOf(const WIN32_FIND_DATAA& data) {
    DiskEntry entry;
    entry.name = data.cFileName;
    entry.attributes = data.dwFileAttributes;
    entry.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return entry;
}

// Lists with FindFirstFileExA where Windows has the basic level (no short names, larger
// batches): the same entries in the same order, fetched faster. Older Windows refuses it,
// and from then on the classic FindFirstFileA does the work.
bool basicLevelRefused = false;

HANDLE StartListing(const std::string& pattern, WIN32_FIND_DATAA& data) {
    if (!basicLevelRefused) {
        HANDLE find = FindFirstFileExA(pattern.c_str(), FindExInfoBasic, &data,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
        if (find != INVALID_HANDLE_VALUE) return find;
        const DWORD error = GetLastError();
        if (error != ERROR_INVALID_PARAMETER && error != ERROR_NOT_SUPPORTED &&
            error != ERROR_INVALID_LEVEL) {
            return find;
        }
        basicLevelRefused = true;
    }
    return FindFirstFileA(pattern.c_str(), &data);
}

class Win32DirectoryReader : public DirectoryReader {
public:
    // An empty directory (one without even "." and "..") has no find handle.
    Win32DirectoryReader(HANDLE find, const WIN32_FIND_DATAA& first) : find_(find), data_(first) {}
    ~Win32DirectoryReader() override {
        if (find_ != INVALID_HANDLE_VALUE) FindClose(find_);
    }
    bool Next(DiskEntry& entry) override {
        if (find_ == INVALID_HANDLE_VALUE) return false;
        if (!haveData_ && !FindNextFileA(find_, &data_)) return false;
        haveData_ = false;
        entry = EntryOf(data_);
        return true;
    }

private:
    HANDLE find_;
    WIN32_FIND_DATAA data_;
    bool haveData_ = true;
};

} // namespace

unsigned Win32Disk::DriveType(const std::string& root) {
    return GetDriveTypeA(root.c_str());
}

std::optional<DiskEntry> Win32Disk::FindEntry(const std::string& path) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return std::nullopt;
    FindClose(find);
    return EntryOf(data);
}

std::optional<std::uint32_t> Win32Disk::Attributes(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return attributes;
}

std::unique_ptr<DirectoryReader> Win32Disk::OpenDirectory(const std::string& directory) {
    const std::string pattern = ListingPattern(directory);
    // A request that does not fit in a Windows path is refused, never cut short.
    if (pattern.size() > kMaxPathChars) return nullptr;
    WIN32_FIND_DATAA data{};
    HANDLE find = StartListing(pattern, data);
    if (find == INVALID_HANDLE_VALUE) {
        if (GetLastError() != ERROR_FILE_NOT_FOUND) return nullptr;
        return std::make_unique<Win32DirectoryReader>(INVALID_HANDLE_VALUE, data);
    }
    return std::make_unique<Win32DirectoryReader>(find, data);
}

} // namespace vintrel
