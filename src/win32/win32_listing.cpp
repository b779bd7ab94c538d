// What a folder holds: listings, the entry a path names, and the short names that stand in
// for names the ANSI code page cannot hold.
#include "win32/win32_disk.h"

#include <windows.h>

#include <map>
#include <string>

#include "app/paths.h"
#include "app/probe.h"
#include "win32/disk_internal.h"

namespace vintrel {

namespace {

DiskEntry EntryOf(const WIN32_FIND_DATAA& data) {
    DiskEntry entry;
    entry.name = data.cFileName;
    entry.attributes = data.dwFileAttributes;
    entry.size = SizeOf(data.nFileSizeHigh, data.nFileSizeLow);
    entry.lastWriteTime = TimeOf(data.ftLastWriteTime);
    // The listing gives the reparse tag in this field, and only for reparse points.
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) entry.reparseTag = data.dwReserved0;
    return entry;
}

// The short name of the n-th entry (counted from 0) named `name` in a listing, from the
// standard find level, which gives short names where the basic level leaves them out.
std::string ShortNameOf(const std::string& pattern, const std::string& name, int occurrence) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return "";
    std::string shortName;
    int seen = 0;
    do {
        if (name == data.cFileName && seen++ == occurrence) {
            shortName = data.cAlternateFileName;
            break;
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return shortName;
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
    Win32DirectoryReader(HANDLE find, const WIN32_FIND_DATAA& first, std::string pattern)
        : find_(find), data_(first), pattern_(std::move(pattern)) {}
    ~Win32DirectoryReader() override {
        if (find_ != INVALID_HANDLE_VALUE) FindClose(find_);
    }
    bool Next(DiskEntry& entry) override {
        if (find_ == INVALID_HANDLE_VALUE) return false;
        if (!haveData_ && !FindNextFileA(find_, &data_)) return false;
        haveData_ = false;
        entry = EntryOf(data_);
        entry.shortName = data_.cAlternateFileName;
        // A name that the ANSI code page cannot hold ("?" in it) is only reachable through
        // its short name, and one that would forge a line is only written as that.
        if (entry.shortName.empty() &&
            (entry.name.find('?') != std::string::npos || IsUnsafeName(entry.name))) {
            entry.shortName = ShortNameOf(pattern_, entry.name, unreadableNames_[entry.name]++);
        }
        return true;
    }

private:
    HANDLE find_;
    WIN32_FIND_DATAA data_;
    std::string pattern_;
    bool haveData_ = true;
    std::map<std::string, int> unreadableNames_; // how often each such name came so far
};

} // namespace

unsigned Win32Disk::DriveType(const std::string& root) {
    return GetDriveTypeA(root.c_str());
}

std::optional<DiskEntry> Win32Disk::FindEntry(const std::string& path) {
    // What the lookup would find for a path without wildcards, asked for directly: a lookup
    // lists the directory, which under Wine costs twenty times as much (a profile of 10,000
    // entries probes every one of them at start-up). What this cannot answer for sure
    // (access denied, a pattern) goes to the lookup itself.
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    const bool pattern = path.find_first_of("*?") != std::string::npos;
    if (!pattern && GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &attributes)) {
        DiskEntry entry;
        entry.name = path.substr(path.find_last_of("\\/") + 1);
        entry.attributes = attributes.dwFileAttributes;
        entry.size = SizeOf(attributes.nFileSizeHigh, attributes.nFileSizeLow);
        entry.lastWriteTime = TimeOf(attributes.ftLastWriteTime);
        return entry;
    }
    if (!pattern &&
        (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND)) {
        return std::nullopt;
    }
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

bool Win32Disk::Absent(const std::string& path) {
    // Beyond the ANSI path limit nothing can be opened, so nothing is there for us.
    if (path.size() > kMaxPathChars) return true;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(path.c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        FindClose(find);
        return false;
    }
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_NO_MORE_FILES || error == ERROR_INVALID_NAME ||
           error == ERROR_BAD_NETPATH || error == ERROR_BAD_NET_NAME ||
           error == ERROR_INVALID_DRIVE || error == ERROR_NOT_READY;
}

std::unique_ptr<DirectoryReader> Win32Disk::OpenDirectory(const std::string& directory) {
    const std::string pattern = ListingPattern(directory);
    // A request that does not fit in a Windows path is refused, never cut short.
    if (pattern.size() > kMaxPathChars) return nullptr;
    WIN32_FIND_DATAA data{};
    HANDLE find = StartListing(pattern, data);
    if (find == INVALID_HANDLE_VALUE) {
        if (GetLastError() != ERROR_FILE_NOT_FOUND) return nullptr;
        return std::make_unique<Win32DirectoryReader>(INVALID_HANDLE_VALUE, data, pattern);
    }
    return std::make_unique<Win32DirectoryReader>(find, data, pattern);
}

} // namespace vintrel
