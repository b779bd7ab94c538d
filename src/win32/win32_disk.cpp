#include "win32/win32_disk.h"

#include <windows.h>
#include <imagehlp.h>

#include <cstddef>
#include <cstring>
#include <map>
#include <vector>

#include "app/paths.h"
#include "app/probe.h"
#include "win32/handle.h"
#include "win32/system_calls.h"

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

DiskError ErrorOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_DRIVE:
        return DiskError::NotFound;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return DiskError::InUse;
    case ERROR_ACCESS_DENIED:
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
    case ERROR_WRITE_PROTECT:
        return DiskError::AccessDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return DiskError::DiskFull;
    case ERROR_FILE_TOO_LARGE:
        return DiskError::TooLarge;
    default:
        return DiskError::Other;
    }
}

// Steps of an open file that say why they failed.
class HandleSteps {
public:
    explicit HandleSteps(Handle file) : file_(std::move(file)) {}

protected:
    bool Step(BOOL done) {
        if (!done) failure_ = ErrorOf(GetLastError());
        return done;
    }
    Handle file_;
    DiskError failure_ = DiskError::None;
};

class Win32FileSource : public FileSource, HandleSteps {
public:
    Win32FileSource(Handle file, DWORD attributes)
        : HandleSteps(std::move(file)), attributes_(attributes) {}
    // Size and time from the open file (GetFileInformationByHandle would also ask for the
    // volume, which costs Wine half a millisecond a call).
    std::optional<FileFacts> Facts() override {
        LARGE_INTEGER size;
        FILETIME written;
        if (!Step(GetFileSizeEx(file_.get(), &size)) ||
            !Step(GetFileTime(file_.get(), nullptr, nullptr, &written))) {
            return std::nullopt;
        }
        return FileFacts{static_cast<std::uint64_t>(size.QuadPart), TimeOf(written), attributes_};
    }
    bool Read(char* buffer, std::size_t size, std::size_t& got) override {
        DWORD read = 0;
        const bool done =
            Step(::ReadFile(file_.get(), buffer, static_cast<DWORD>(size), &read, nullptr));
        got = read;
        return done;
    }
    DiskError Failure() override { return failure_; }

private:
    DWORD attributes_;
};

// Renames an open file (opened with delete access) through its own handle, over whatever
// stands at the new name: a move by name would open both files again, which costs Wine a
// third of a millisecond a file. ntdll has both calls on every Windows NT.
DWORD RenameOpenFile(HANDLE file, const std::string& destination) {
    struct RenameInformation {
        BOOLEAN replaceIfExists;
        HANDLE rootDirectory;
        ULONG fileNameLength;
        WCHAR fileName[1];
    };
    const auto toNtPath = system_calls::RtlDosPathNameToNtPathName_U();
    const auto setInformation = system_calls::NtSetInformationFile();
    const auto statusToError = system_calls::RtlNtStatusToDosError();
    if (!toNtPath || !setInformation || !statusToError) return ERROR_CALL_NOT_IMPLEMENTED;
    // The name the way the ANSI calls read it; then as the system names it ("\??\C:\...").
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, destination.c_str(), -1, nullptr, 0);
    if (wideLength == 0) return ERROR_INVALID_NAME;
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_ACP, 0, destination.c_str(), -1, wide.data(), wideLength);
    system_calls::NtName ntPath{};
    if (!toNtPath(wide.c_str(), &ntPath, nullptr, nullptr)) return ERROR_INVALID_NAME;
    std::vector<char> buffer(offsetof(RenameInformation, fileName) + ntPath.length);
    auto* info = reinterpret_cast<RenameInformation*>(buffer.data());
    info->replaceIfExists = TRUE;
    info->rootDirectory = nullptr;
    info->fileNameLength = ntPath.length;
    std::memcpy(info->fileName, ntPath.buffer, ntPath.length);
    HeapFree(GetProcessHeap(), 0, ntPath.buffer);
    constexpr int kFileRenameInformation = 10;
    system_calls::IoStatus io{};
    const LONG status =
        setInformation(file, &io, info, static_cast<ULONG>(buffer.size()), kFileRenameInformation);
    return status >= 0 ? ERROR_SUCCESS : statusToError(status);
}

class Win32FileWriter : public FileWriter, HandleSteps {
public:
    explicit Win32FileWriter(Handle file) : HandleSteps(std::move(file)) {}
    bool Write(const char* data, std::size_t size) override {
        DWORD written = 0;
        if (!Step(::WriteFile(file_.get(), data, static_cast<DWORD>(size), &written, nullptr))) {
            return false;
        }
        if (written == size) return true;
        failure_ = DiskError::DiskFull;
        return false;
    }
    bool SetLastWriteTime(std::uint64_t time) override {
        FILETIME when{static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
        return Step(SetFileTime(file_.get(), nullptr, nullptr, &when));
    }
    bool Flush() override { return Step(FlushFileBuffers(file_.get())); }
    bool MoveOver(const std::string& destination) override {
        // Windows' own move refuses to replace a read-only file; Wine's rename would not.
        const DWORD there = GetFileAttributesA(destination.c_str());
        if (there != INVALID_FILE_ATTRIBUTES && (there & FILE_ATTRIBUTE_READONLY)) {
            failure_ = DiskError::AccessDenied;
            return false;
        }
        const DWORD error = RenameOpenFile(file_.get(), destination);
        if (error != ERROR_SUCCESS) failure_ = ErrorOf(error);
        return error == ERROR_SUCCESS;
    }
    // Whether the handle really closed: a close can still fail to write what was held back.
    bool Close() override { return Step(file_.Close()); }
    DiskError Failure() override { return failure_; }
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
Handle OpenToAsk(const std::string& path) {
    if (path.size() > kMaxPathChars) return Handle();
    return Handle(::CreateFileA(path.c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

} // namespace

std::optional<FileIdentity> Win32Disk::Identity(const std::string& path) {
    const Handle handle = OpenToAsk(path);
    BY_HANDLE_FILE_INFORMATION info;
    if (!handle || !GetFileInformationByHandle(handle.get(), &info)) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber, SizeOf(info.nFileIndexHigh, info.nFileIndexLow)};
}

std::optional<std::uint64_t> Win32Disk::FileIndex(const std::string& path) {
    // FileInternalInformation: the index alone, without asking for the volume.
    const auto query = system_calls::NtQueryInformationFile();
    constexpr int kFileInternalInformation = 6;
    const Handle handle = OpenToAsk(path);
    if (!handle) return std::nullopt;
    system_calls::IoStatus io{};
    LARGE_INTEGER index{};
    if (query && query(handle.get(), &io, &index, sizeof index, kFileInternalInformation) >= 0) {
        return static_cast<std::uint64_t>(index.QuadPart);
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle.get(), &info)) return std::nullopt;
    return SizeOf(info.nFileIndexHigh, info.nFileIndexLow);
}

std::string Win32Disk::FinalPath(const std::string& path) {
    // Windows before Vista has no such call; there nothing can say where a link leads.
    const auto call = system_calls::GetFinalPathNameByHandleA();
    if (!call) return "";
    const Handle handle = OpenToAsk(path);
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
    const Handle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::string bytes;
    char buffer[4096];
    complete = true;
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
            complete = false;
            break;
        }
        if (got == 0) break;
        bytes.append(buffer, got);
    }
    return bytes;
}

std::unique_ptr<FileSource> Win32Disk::OpenToCopy(const std::string& path, DiskError& why) {
    Handle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        why = ErrorOf(GetLastError());
        return nullptr;
    }
    return std::make_unique<Win32FileSource>(std::move(file), GetFileAttributesA(path.c_str()));
}

std::unique_ptr<FileWriter> Win32Disk::CreateNewFile(const std::string& path, DiskError& why) {
    // Delete access: a finished copy is renamed into place through this handle.
    Handle file(::CreateFileA(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        why = ErrorOf(GetLastError());
        return nullptr;
    }
    return std::make_unique<Win32FileWriter>(std::move(file));
}

bool Win32Disk::SoleName(const std::string& path) {
    const Handle handle = OpenToAsk(path);
    BY_HANDLE_FILE_INFORMATION info;
    if (!handle || !GetFileInformationByHandle(handle.get(), &info) || info.nNumberOfLinks != 1 ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
        return false;
    }
    // A Linux link under Wine opens as the file it leads to, with that file's facts.
    return !LeadsElsewhere(path);
}

bool Win32Disk::ShrinkFile(const std::string& path, std::uint64_t bytes) {
    const Handle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    BY_HANDLE_FILE_INFORMATION info;
    LARGE_INTEGER size;
    if (!GetFileInformationByHandle(file.get(), &info) || info.nNumberOfLinks != 1 ||
        !GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0) {
        return false;
    }
    LARGE_INTEGER end;
    end.QuadPart = size.QuadPart > static_cast<LONGLONG>(bytes) ? size.QuadPart - bytes : 0;
    return SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(file.get());
}

std::string Win32Disk::HolderOf(const std::string& path) {
    // The Restart Manager (Vista and later) knows which program holds a file; where it is
    // missing, nobody is named.
    const auto start = system_calls::RmStartSession();
    const auto add = system_calls::RmRegisterResources();
    const auto list = system_calls::RmGetList();
    const auto end = system_calls::RmEndSession();
    std::string holder;
    DWORD session = 0;
    WCHAR key[64] = {};
    if (start && add && list && end && start(&session, 0, key) == ERROR_SUCCESS) {
        std::wstring wide(path.size() + 1, L'\0');
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(),
                            static_cast<int>(wide.size()));
        const WCHAR* files[] = {wide.c_str()};
        system_calls::HolderInfo found[4] = {};
        UINT needed = 0, count = 4;
        DWORD reasons = 0;
        if (add(session, 1, files, 0, nullptr, 0, nullptr) == ERROR_SUCCESS &&
            list(session, &needed, &count, found, &reasons) == ERROR_SUCCESS && count > 0) {
            char name[512] = "";
            WideCharToMultiByte(CP_ACP, 0, found[0].appName, -1, name, sizeof name, nullptr,
                                nullptr);
            holder = name;
        }
        end(session);
    }
    return holder;
}

std::optional<std::uint64_t> Win32Disk::FileSizeLimit(const std::string& directory) {
    char root[MAX_PATH + 1] = "";
    char system[MAX_PATH + 1] = "";
    if (!GetVolumePathNameA(directory.c_str(), root, sizeof root) ||
        !GetVolumeInformationA(root, nullptr, 0, nullptr, nullptr, nullptr, system,
                               sizeof system)) {
        return std::nullopt;
    }
    // FAT and FAT32 keep a file's size in 32 bits.
    if (std::string(system).rfind("FAT", 0) == 0) return 0xFFFFFFFFull;
    return std::nullopt;
}

void Win32Disk::SetAttributes(const std::string& path, std::uint32_t attributes) {
    SetFileAttributesA(path.c_str(), attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL);
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
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return false;
    }
    // A link made by Windows shows as one, and DeleteFileA removes the link itself. A Linux
    // link under Wine shows as the file it leads to, and deleting it deletes that file: a name
    // that opens a file of another name is left alone.
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        if (LeadsElsewhere(path)) return false;
        if (attributes & FILE_ATTRIBUTE_READONLY) {
            SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
        }
    }
    return DeleteFileA(path.c_str());
}

bool Win32Disk::LeadsElsewhere(const std::string& path) {
    if (!system_calls::GetFinalPathNameByHandleA()) return false; // before Vista: no links to files
    const std::size_t cut = path.find_last_of("\\/");
    const std::string folder = cut == std::string::npos ? "." : path.substr(0, cut + 1);
    const std::string name = path.substr(cut == std::string::npos ? 0 : cut + 1);
    std::string expected = FinalPath(folder);
    const std::string found = FinalPath(path);
    if (expected.empty() || found.empty()) return true;
    if (expected.back() != '\\') expected += '\\';
    return !SamePath(found, expected + name);
}

void Win32Disk::MakeDirectoryPath(const std::string& path) {
    // The call works in a fixed buffer: a longer path overruns it (Windows makes no directory
    // of 248 characters or more anyway).
    if (path.size() >= kDirectoryLimit) return;
    MakeSureDirectoryPathExists(path.c_str());
}

bool Win32Disk::MoveFileOver(const std::string& file, const std::string& destination) {
    return MoveFileExA(file.c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING);
}

} // namespace vintrel
