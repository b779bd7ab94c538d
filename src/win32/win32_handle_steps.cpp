// The steps that act on an open file by its handle alone: renaming it, and holding an earlier
// copy to move it aside and give it back. A name is only trusted once it is known to lead to
// the very file held.
#include "win32/win32_disk.h"

#include <windows.h>

#include <cstddef>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/paths.h"
#include "win32/disk_internal.h"
#include "win32/handle.h"
#include "win32/system_calls.h"

namespace vintrel {

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
    // The name the way the ANSI calls read it (a long one with "\\?\", which the conversion
    // takes as it is); then as the system names it ("\??\C:\...").
    const std::wstring wide = WidePath(destination);
    if (wide.empty()) return ERROR_INVALID_NAME;
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

std::wstring WideOf(const std::string& text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (length <= 0) return L"";
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), length);
    wide.pop_back();
    return wide;
}

std::wstring WidePath(const std::string& path) {
    const std::wstring wide = WideOf(path);
    if (wide.empty()) return L"";
    if (path.size() < MAX_PATH || wide.rfind(L"\\\\?\\", 0) == 0) return wide;
    // GetFullPathNameW takes a path of any length: "/" becomes "\", "." and ".." go, a
    // relative one starts from the current folder; the prefix then wants it just so.
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return L"";
    std::wstring full(needed, L'\0');
    const DWORD got = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (got == 0 || got >= needed) return L"";
    full.resize(got);
    if (full.rfind(L"\\\\?\\", 0) == 0 || full.rfind(L"\\\\.\\", 0) == 0) return full;
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

namespace {
bool Long(const std::string& path) {
    return path.size() >= MAX_PATH;
}
} // namespace

DWORD AttributesAt(const std::string& path) {
    if (!Long(path)) return GetFileAttributesA(path.c_str());
    return GetFileAttributesW(WidePath(path).c_str());
}

BOOL AttributesExAt(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
    if (!Long(path)) return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data);
}

BOOL SetAttributesAt(const std::string& path, DWORD attributes) {
    if (!Long(path)) return SetFileAttributesA(path.c_str(), attributes);
    return SetFileAttributesW(WidePath(path).c_str(), attributes);
}

HANDLE CreateFileAt(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                    DWORD flags) {
    if (!Long(path)) {
        return ::CreateFileA(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
    }
    return ::CreateFileW(WidePath(path).c_str(), access, share, nullptr, disposition, flags,
                         nullptr);
}

BOOL DeleteFileAt(const std::string& path) {
    if (!Long(path)) return DeleteFileA(path.c_str());
    return DeleteFileW(WidePath(path).c_str());
}

BOOL MoveFileExAt(const std::string& from, const std::string& to, DWORD flags) {
    if (!Long(from) && !Long(to)) return MoveFileExA(from.c_str(), to.c_str(), flags);
    return MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), flags);
}

// The file's index on its volume, from an open handle (FileInternalInformation: without asking
// for the volume, which costs Wine half a millisecond a call; GetFileInformationByHandle, on
// Windows XP too, where ntdll will not say). With the volume it tells one file on the machine;
// it is only compared with another handle's on the same volume (a rename never leaves it).
std::optional<std::uint64_t> IndexOf(HANDLE file) {
    const auto query = system_calls::NtQueryInformationFile();
    constexpr int kFileInternalInformation = 6;
    system_calls::IoStatus io{};
    LARGE_INTEGER asked{};
    std::uint64_t index = 0;
    if (query && query(file, &io, &asked, sizeof asked, kFileInternalInformation) >= 0) {
        index = static_cast<std::uint64_t>(asked.QuadPart);
    } else {
        BY_HANDLE_FILE_INFORMATION info;
        if (!GetFileInformationByHandle(file, &info)) return std::nullopt;
        index = SizeOf(info.nFileIndexHigh, info.nFileIndexLow);
    }
    return index;
}

namespace {
std::optional<bool> IsLinkHandle(HANDLE handle, bool& folder);
} // namespace

bool IsLinkHandle(HANDLE file) {
    bool folder = false;
    return IsLinkHandle(file, folder).value_or(true);
}

DiskError ThisVeryFile(HANDLE file, HANDLE named) {
    // A rename never leaves the volume: the index alone tells the file. A name that is a link
    // (on Windows) is no file of ours whatever it leads to.
    const std::optional<std::uint64_t> mine = IndexOf(file), there = IndexOf(named);
    if (!mine || !there) return DiskError::Other;
    return *mine != *there || IsLinkHandle(named) ? DiskError::Link : DiskError::None;
}

bool IsThisFile(HANDLE file, const std::string& path) {
    Handle there(CreateFileAt(path, FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT));
    return there && ThisVeryFile(file, there.get()) == DiskError::None;
}

bool SetMarksOf(HANDLE file, DWORD marks) {
    // FileBasicInformation (ntdll, every Windows NT; SetFileInformationByHandle is Vista's)
    // sets the attributes of the open file itself, with the FILE_WRITE_ATTRIBUTES right, which
    // a read-only file grants too; the times given as 0 stay as they are. Under Wine it changes
    // the open Linux file (its mode, its extended attribute), not whatever its name is now.
    const auto setInformation = system_calls::NtSetInformationFile();
    if (!setInformation) return false;
    struct {
        LARGE_INTEGER creation, access, write, change;
        ULONG attributes;
    } basic{};
    // Only the marks a file may be given; none at all is said as "normal" (0 would leave them
    // as they are).
    constexpr DWORD kSettable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                                FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    basic.attributes = (marks & kSettable) != 0 ? marks & kSettable : FILE_ATTRIBUTE_NORMAL;
    constexpr int kFileBasicInformation = 4;
    system_calls::IoStatus io{};
    return setInformation(file, &io, &basic, sizeof basic, kFileBasicInformation) >= 0;
}

bool DeleteOnClose(HANDLE file) {
    const auto setInformation = system_calls::NtSetInformationFile();
    if (!setInformation) return false;
    constexpr int kFileDispositionInformation = 13;
    BOOLEAN deleteFile = TRUE;
    system_calls::IoStatus io{};
    return setInformation(file, &io, &deleteFile, sizeof deleteFile, kFileDispositionInformation) >=
           0;
}

namespace {

// Whether an open file or folder is a link, asked of its handle (FileAttributeTagInformation,
// on every Windows NT): a reparse point whose tag stands for another name (a junction, a
// symbolic link), not one that only keeps its content elsewhere (a cloud or deduplicated
// folder); where the tag cannot be asked, any reparse point. Nothing when the handle cannot
// be asked at all; `folder` tells whether it is one.
std::optional<bool> IsLinkHandle(HANDLE handle, bool& folder) {
    struct {
        ULONG attributes;
        ULONG tag;
    } info{};
    const auto query = system_calls::NtQueryInformationFile();
    constexpr int kFileAttributeTagInformation = 35;
    system_calls::IoStatus io{};
    if (!query || query(handle, &io, &info, sizeof info, kFileAttributeTagInformation) < 0) {
        BY_HANDLE_FILE_INFORMATION asked;
        if (!GetFileInformationByHandle(handle, &asked)) return std::nullopt;
        info = {asked.dwFileAttributes, IO_REPARSE_TAG_MOUNT_POINT};
    }
    folder = (info.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return (info.attributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsLinkTag(info.tag);
}

class Win32HeldFolder : public HeldFolder {
public:
    Win32HeldFolder(Handle folder, std::string finalPath)
        : folder_(std::move(folder)), final_(std::move(finalPath)) {}
    bool BecameLink() override {
        bool folder = false;
        return IsLinkHandle(folder_.get(), folder).value_or(true);
    }
    std::string FinalPath() override { return final_; }

protected:
    HANDLE Held() const { return folder_.get(); }

private:
    Handle folder_;
    std::string final_;
};

} // namespace

namespace {

// Opens the folder of that very name with `access` besides what holding it needs, and holds it:
// a link, a file or a folder elsewhere is refused, and why. `final` gets its plain path.
Handle OpenFolderOfName(const std::string& path, DWORD access, DiskError& why,
                        std::string& final) {
    // Without delete sharing: while the handle is open Windows refuses every open of the folder
    // for delete access, which a rename, a removal and so a swap for a junction need (a
    // sharing violation). With read access, since Windows keeps no sharing at all for a handle
    // that may only ask for attributes. Writers may open it: a rename into the folder opens it
    // for writing. (And a folder with anything open below it cannot be renamed at all: the
    // folders above a held one stay too.)
    Handle folder(::CreateFileA(
        path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE | access,
        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!folder) {
        why = ErrorOf(GetLastError());
        return folder;
    }
    bool isFolder = false;
    const std::optional<bool> link = IsLinkHandle(folder.get(), isFolder);
    why = !link       ? DiskError::Other
          : *link     ? DiskError::Link
          : !isFolder ? DiskError::NotAFolder
                      : DiskError::None;
    if (why != DiskError::None) return Handle();
    // Wine opens a Linux link as the folder it leads to, whatever the flag says: the folder's
    // own path must be its parent's and its name (or, for a short name, in its parent).
    final = FinalPathOf(folder.get());
    if (!final.empty()) {
        const std::string expected = OwnPathOf(path);
        const std::string name = path.substr(path.find_last_of("\\/") + 1);
        // A short name has a "~" and a digit ("MAILFO~1"); the run's own "~vt" is no short name.
        const std::size_t tilde = name.find('~');
        const bool shortName = tilde != std::string::npos && tilde + 1 < name.size() &&
                               name[tilde + 1] >= '0' && name[tilde + 1] <= '9';
        if (expected.empty() ||
            !(SamePath(final, expected) ||
              (shortName && SamePath(DirectoryPart(final), DirectoryPart(expected))))) {
            why = DiskError::Link;
            return Handle();
        }
    }
    return folder;
}

// A folder of the run's own: it goes when let go, where it is empty by then (a folder that
// is not is left, with its delete refused).
class Win32OwnFolder : public Win32HeldFolder {
public:
    using Win32HeldFolder::Win32HeldFolder;
    ~Win32OwnFolder() override { DeleteOnClose(Held()); }
};

} // namespace

std::unique_ptr<HeldFolder> Win32Disk::HoldFolder(const std::string& path, DiskError& why) {
    // Made where missing (CreateDirectoryA makes the last folder only: a missing parent is
    // ERROR_PATH_NOT_FOUND); what is there already, a folder, a file or a link (all
    // ERROR_ALREADY_EXISTS), is asked of its handle below.
    if (!CreateDirectoryA(path.c_str(), nullptr)) {
        const DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS) {
            why = ErrorOf(error);
            return nullptr;
        }
    }
    std::string final;
    Handle folder = OpenFolderOfName(path, 0, why, final);
    if (!folder) return nullptr;
    return std::make_unique<Win32HeldFolder>(std::move(folder), std::move(final));
}

bool Win32Disk::RenamesByName() {
    return system_calls::RunningUnderWine();
}

std::unique_ptr<HeldFolder> Win32Disk::MakeOwnFolder(const std::string& path, DiskError& why) {
    // CreateDirectoryA fails where anything stands at the name (ERROR_ALREADY_EXISTS), a link
    // too, which it never follows: the folder is this call's own. Under Wine the Linux folder
    // gets the mode the user's umask leaves, which keeps other users from writing in it.
    if (!CreateDirectoryA(path.c_str(), nullptr)) {
        why = ErrorOf(GetLastError());
        return nullptr;
    }
    // With delete access, to go when let go (FileDispositionInformation refuses a folder that is
    // not empty).
    std::string final;
    Handle folder = OpenFolderOfName(path, DELETE, why, final);
    if (!folder) return nullptr; // a link swapped in: it stays, and what it leads to
    return std::make_unique<Win32OwnFolder>(std::move(folder), std::move(final));
}

bool Win32Disk::RemoveFolder(const std::string& path) {
    // By its handle once it is known to be the folder of that name: RemoveDirectoryA under Wine
    // would remove what a Linux link there leads to.
    DiskError why = DiskError::None;
    std::string final;
    Handle folder = OpenFolderOfName(path, DELETE, why, final);
    return folder && DeleteOnClose(folder.get()) && folder.Close() &&
           AttributesAt(path) == INVALID_FILE_ATTRIBUTES;
}

class Win32HeldFile : public HeldFile {
public:
    explicit Win32HeldFile(Handle file) : file_(std::move(file)) {}
    std::uint64_t Size() override {
        LARGE_INTEGER size;
        return GetFileSizeEx(file_.get(), &size) ? static_cast<std::uint64_t>(size.QuadPart) : 0;
    }
    bool MoveTo(const std::string& path) override {
        return !RefusesReplacing(AttributesAt(path)) &&
               RenameOpenFile(file_.get(), path) == ERROR_SUCCESS &&
               IsThisFile(file_.get(), path);
    }
    bool Shrink(std::uint64_t bytes) override {
        const std::uint64_t size = Size();
        if (size == 0) return false;
        LARGE_INTEGER end;
        end.QuadPart = static_cast<LONGLONG>(size > bytes ? size - bytes : 0);
        return SetFilePointerEx(file_.get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(file_.get());
    }
    // A read-only file refuses to go (STATUS_CANNOT_DELETE): its mark is cleared first.
    bool Delete() override {
        return DeleteOnClose(file_.get()) || (SetReadOnly(false) && DeleteOnClose(file_.get()));
    }
    // Through the open file (see SetMarksOf), its other marks as they are.
    bool SetReadOnly(bool readOnly) override {
        BY_HANDLE_FILE_INFORMATION info;
        if (!GetFileInformationByHandle(file_.get(), &info) ||
            ((info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) == readOnly) {
            return false;
        }
        return SetMarksOf(file_.get(), readOnly
                                           ? info.dwFileAttributes | FILE_ATTRIBUTE_READONLY
                                           : info.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY);
    }

private:
    Handle file_;
};

std::unique_ptr<HeldFile> Win32Disk::HoldSoleFile(const std::string& path, DiskError& why) {
    // No sharing: the open fails with a sharing violation while any other program has the file
    // open, whatever it shares, as a rename over it would.
    Handle file(CreateFileAt(path, GENERIC_READ | GENERIC_WRITE | DELETE, 0, OPEN_EXISTING,
                             FILE_FLAG_OPEN_REPARSE_POINT));
    // A read-only file grants no writing of its content, but its marks and its moving: held
    // so, it can be cut only once its mark is cleared through this very handle.
    if (!file && GetLastError() == ERROR_ACCESS_DENIED) {
        file = Handle(CreateFileAt(path, GENERIC_READ | FILE_WRITE_ATTRIBUTES | DELETE, 0,
                                   OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT));
    }
    if (!file) {
        why = ErrorOf(GetLastError());
        return nullptr;
    }
    why = DiskError::AccessDenied; // a link, a folder, a file with other names
    if (!SoleNameOf(file.get(), path)) return nullptr;
    why = DiskError::None;
    return std::make_unique<Win32HeldFile>(std::move(file));
}

namespace {
// Whether a path is on a network share: a UNC path or a drive letter mapped to one
// (GetDriveTypeA, every Windows; the root wants its final backslash, "\\server\share\").
bool OnShare(const std::string& path) {
    const std::string root = WithFinalSeparator(path.substr(0, PathRootLength(path)));
    return !root.empty() && GetDriveTypeA(root.c_str()) == DRIVE_REMOTE;
}
} // namespace

bool Win32Disk::SoleNameOf(void* file, const std::string& path, bool shareMayNotCount) {
    // GetFileInformationByHandle (Windows 2000 and later) counts the names of the file itself
    // where the handle was opened with FILE_FLAG_OPEN_REPARSE_POINT: a link opens as itself.
    // A share may answer in part or not at all: then nothing is known, and it is no sole name;
    // where the caller allows it, a share's count of 0 (a server that keeps none) is taken as
    // unknown, and the file is judged by what the handle still tells (no reparse point, no
    // folder; under Wine its own path). A count of 0 off a share is a file deleted meanwhile.
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || IsLinkHandle(file)) {
        return false;
    }
    if (info.nNumberOfLinks != 1 &&
        !(info.nNumberOfLinks == 0 && shareMayNotCount && OnShare(path))) {
        return false;
    }
    // Wine opens a Linux link as the file it leads to, whatever the flag says: the open file's
    // own path must be the name asked for. (On Windows the flag opens the link itself.)
    // A path the system spells exactly as it was asked for has no link on the way: a Linux
    // link's own path is never what it leads to, letter for letter (the case counted: on a
    // Linux drive "A.pst" may lead to "a.pst"). Only another spelling asks where the folder
    // leads, a second resolution, which costs Wine as much again.
    if (system_calls::RunningUnderWine()) {
        const std::string found = FinalPathOf(file);
        if (found.empty()) return false;
        if (found == path) return true;
        const std::string expected = OwnPathOf(path);
        return !expected.empty() && SamePath(found, expected);
    }
    return true;
}

bool Win32Disk::SoleName(const std::string& path) {
    // Only the attributes are read (FILE_READ_ATTRIBUTES), with every kind of sharing: it is
    // asked whoever holds the file, and never touches its content.
    const Handle file(CreateFileAt(path, FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT));
    return file && SoleNameOf(file.get(), path);
}

} // namespace vintrel
