#include "win32/win32_disk.h"

#include <windows.h>
#include <imagehlp.h>

#include <map>

#include "app/probe.h"

namespace vintrel {

namespace {

std::uint64_t SizeOf(DWORD high, DWORD low) {
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

std::uint64_t TimeOf(const FILETIME& time) {
    return SizeOf(time.dwHighDateTime, time.dwLowDateTime);
}

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
        // its short name.
        if (entry.shortName.empty() && entry.name.find('?') != std::string::npos) {
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

class Win32FileWriter : public FileWriter {
public:
    explicit Win32FileWriter(HANDLE file) : file_(file) {}
    ~Win32FileWriter() override { Close(); }
    bool Write(const char* data, std::size_t size) override {
        DWORD written = 0;
        return ::WriteFile(file_, data, static_cast<DWORD>(size), &written, nullptr) &&
               written == size;
    }
    bool Flush() override { return FlushFileBuffers(file_); }
    bool Close() override {
        if (file_ == INVALID_HANDLE_VALUE) return true;
        const bool closed = CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE file_;
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

namespace {

// Opens a file or folder only to ask about it: no access to its content, every kind of
// sharing, so that it works whoever holds it open.
class QueryHandle {
public:
    explicit QueryHandle(const std::string& path)
        : handle_(path.size() > kMaxPathChars
                      ? INVALID_HANDLE_VALUE
                      : ::CreateFileA(
                            path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)) {}
    ~QueryHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    QueryHandle(const QueryHandle&) = delete;
    QueryHandle& operator=(const QueryHandle&) = delete;
    explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// Windows before Vista has no GetFinalPathNameByHandleA; there nothing can say where a link
// leads.
using FinalPathCall = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD, DWORD);
FinalPathCall FinalPathFunction() {
    static const FinalPathCall call = reinterpret_cast<FinalPathCall>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleA")));
    return call;
}

} // namespace

std::optional<FileIdentity> Win32Disk::Identity(const std::string& path) {
    QueryHandle handle(path);
    BY_HANDLE_FILE_INFORMATION info;
    if (!handle || !GetFileInformationByHandle(handle.get(), &info)) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber, SizeOf(info.nFileIndexHigh, info.nFileIndexLow)};
}

std::string Win32Disk::FinalPath(const std::string& path) {
    const FinalPathCall call = FinalPathFunction();
    if (!call) return "";
    QueryHandle handle(path);
    if (!handle) return "";
    std::string final(MAX_PATH, '\0');
    for (;;) {
        const DWORD got = call(handle.get(), final.data(), static_cast<DWORD>(final.size()), 0);
        if (got == 0) return "";
        if (got < final.size()) {
            final.resize(got);
            break;
        }
        final.resize(got + 1);
    }
    // "\\?\C:\x" is "C:\x"; "\\?\UNC\server\share" is "\\server\share".
    if (final.rfind("\\\\?\\UNC\\", 0) == 0) {
        final.erase(0, 6);
        final[0] = '\\';
    } else if (final.rfind("\\\\?\\", 0) == 0) {
        final.erase(0, 4);
    }
    return final;
}

void Win32Disk::MakeWritable(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        !(attributes & FILE_ATTRIBUTE_READONLY)) {
        return;
    }
    SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
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

std::optional<std::string> Win32Disk::ReadFile(const std::string& path, bool& complete) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string bytes;
    char buffer[4096];
    complete = true;
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
            complete = false;
            break;
        }
        if (got == 0) break;
        bytes.append(buffer, got);
    }
    CloseHandle(file);
    return bytes;
}

std::unique_ptr<FileWriter> Win32Disk::OpenForWriting(const std::string& path) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32FileWriter>(file);
}

bool Win32Disk::ReplaceFileWith(const std::string& replacement, const std::string& target) {
    const DWORD old = GetFileAttributesA(target.c_str());
    // A read-only file is not to be replaced (Windows' move refuses it; Wine's would not).
    if (old != INVALID_FILE_ATTRIBUTES &&
        (old & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))) {
        return false;
    }
    if (old != INVALID_FILE_ATTRIBUTES) {
        // The new file takes the old one's hidden and system marks.
        const DWORD keep =
            old & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
        if (keep != 0) SetFileAttributesA(replacement.c_str(), keep);
    }
    return MoveFileExA(replacement.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

bool Win32Disk::RemoveFile(const std::string& path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileA(path.c_str());
}

void Win32Disk::MakeDirectoryPath(const std::string& path) {
    // The call works in a fixed buffer: a longer path overruns it (Windows makes no directory
    // of 248 characters or more anyway).
    if (path.size() >= kDirectoryLimit) return;
    MakeSureDirectoryPathExists(path.c_str());
}

bool Win32Disk::CopyFileTo(const std::string& source, const std::string& destination) {
    return CopyFileA(source.c_str(), destination.c_str(), FALSE);
}

bool Win32Disk::MoveFileOver(const std::string& file, const std::string& destination) {
    return MoveFileExA(file.c_str(), destination.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

} // namespace vintrel
