// Reading, copying and writing files, and the steps that put a file in its place or take it
// away.
#include "win32/win32_disk.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "app/paths.h"
#include "app/probe.h"
#include "win32/disk_internal.h"
#include "win32/handle.h"
#include "win32/system_calls.h"

namespace vintrel {

bool NothingThere(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_NOT_READY:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_DRIVE:
        return true;
    default:
        return false;
    }
}

DiskError ErrorOf(DWORD error) {
    // A share's device gone meanwhile is nothing there for this step, though not for Absent.
    if (NothingThere(error) || error == ERROR_DEV_NOT_EXIST) return DiskError::NotFound;
    switch (error) {
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

namespace {

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

// A file read past the system's cache (FILE_FLAG_NO_BUFFERING, on every Windows): Windows then
// takes reads only of a whole number of the volume's sectors, at offsets of one, into memory
// aligned to one. A piece of 1 MiB, read into memory from VirtualAlloc (aligned to a page, 4 KiB),
// is a whole number of sectors of 512 bytes and of 4 KiB alike, and every read begins where the
// one before ended. A read at the end gives the bytes left; a read at an offset that is then no
// longer whole sectors would fail, so none is made past the size the file had when it was opened.
class UncachedSource : public FileSource, HandleSteps {
public:
    static constexpr DWORD kPiece = 1024 * 1024;
    explicit UncachedSource(Handle file)
        : HandleSteps(std::move(file)),
          piece_(static_cast<char*>(
              VirtualAlloc(nullptr, kPiece, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))) {
        LARGE_INTEGER size{};
        size_ = GetFileSizeEx(file_.get(), &size) ? static_cast<std::uint64_t>(size.QuadPart) : 0;
    }
    ~UncachedSource() override {
        if (piece_) VirtualFree(piece_, 0, MEM_RELEASE);
    }
    bool Usable() const { return piece_ != nullptr; }
    std::optional<FileFacts> Facts() override {
        BY_HANDLE_FILE_INFORMATION info;
        if (!Step(GetFileInformationByHandle(file_.get(), &info))) return std::nullopt;
        return FileFacts{SizeOf(info.nFileSizeHigh, info.nFileSizeLow),
                         TimeOf(info.ftLastWriteTime), info.dwFileAttributes};
    }
    bool Read(char* buffer, std::size_t size, std::size_t& got) override {
        got = 0;
        if (at_ == have_) {
            if (ended_ || (size_ > 0 && read_ >= size_)) return true;
            DWORD read = 0;
            if (!Step(::ReadFile(file_.get(), piece_, kPiece, &read, nullptr))) return false;
            ended_ = read == 0;
            read_ += read;
            have_ = read;
            at_ = 0;
            if (read == 0) return true;
        }
        got = std::min<std::size_t>(size, have_ - at_);
        std::memcpy(buffer, piece_ + at_, got);
        at_ += got;
        return true;
    }
    DiskError Failure() override { return failure_; }

private:
    char* piece_;
    std::uint64_t size_ = 0; // when it was opened
    std::uint64_t read_ = 0; // bytes read from the file so far
    std::size_t have_ = 0, at_ = 0; // in the piece: bytes read, bytes handed on
    bool ended_ = false;
};

// A file opened past the cache, ready to read; nothing when memory for its pieces is short.
std::unique_ptr<FileSource> Uncached(Handle file, DiskError& why) {
    auto source = std::make_unique<UncachedSource>(std::move(file));
    if (source->Usable()) return source;
    why = DiskError::Other;
    return nullptr;
}

// A flush on a thread of its own.
struct FlushJob {
    HANDLE file;
    BOOL flushed;
    DWORD error;
    static DWORD WINAPI Run(LPVOID parameter) {
        auto* job = static_cast<FlushJob*>(parameter);
        job->flushed = FlushFileBuffers(job->file);
        job->error = job->flushed ? ERROR_SUCCESS : GetLastError();
        return 0;
    }
};

// Whether a rename failed because another program holds open the file it would replace. A
// rename over a file that is open fails with STATUS_ACCESS_DENIED on Windows (the file
// systems' rule for FileRenameInformation with ReplaceIfExists) and under Wine, or with a
// sharing violation; access is denied too for a folder or a read-only file there, which no
// other program's letting go changes.
bool HeldThere(DWORD error, const std::string& destination) {
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) return true;
    if (error != ERROR_ACCESS_DENIED) return false;
    const DWORD there = AttributesAt(destination);
    return there != INVALID_FILE_ATTRIBUTES && !RefusesReplacing(there);
}

class Win32FileWriter : public FileWriter, HandleSteps {
public:
    // `made`: the time, taken just before the file was created, that it keeps as its creation
    // time wherever it is moved (zero: none to keep).
    // `path`: the name it is opened under.
    Win32FileWriter(Handle file, std::string path, FILETIME made = {})
        : HandleSteps(std::move(file)), path_(std::move(path)), made_(made) {}
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
    // A large copy's flush can take seconds: it runs on a thread of its own while this one
    // keeps the window painted and answering what other programs send it (presses and keys
    // stay queued).
    bool Flush() override {
        LARGE_INTEGER size{};
        constexpr LONGLONG kFlushedAlone = 16 * 1024 * 1024;
        if (!GetFileSizeEx(file_.get(), &size) || size.QuadPart < kFlushedAlone) {
            return Step(FlushFileBuffers(file_.get()));
        }
        FlushJob job{file_.get(), FALSE, ERROR_SUCCESS};
        Handle thread(CreateThread(nullptr, 0, FlushJob::Run, &job, 0, nullptr));
        if (!thread) return Step(FlushFileBuffers(file_.get()));
        HANDLE waitFor = thread.get();
        while (MsgWaitForMultipleObjects(1, &waitFor, FALSE, INFINITE,
                                         QS_PAINT | QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0,
                                PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE)) {
                DispatchMessageA(&message);
            }
        }
        SetLastError(job.error);
        return Step(job.flushed);
    }
    bool SetMarks(std::uint32_t marks) override {
        if (SetMarksOf(file_.get(), marks)) return true;
        failure_ = DiskError::Other;
        return false;
    }
    bool MoveOver(const std::string& destination) override {
        if (RefusesReplacing(AttributesAt(destination))) {
            failure_ = DiskError::AccessDenied;
            return false;
        }
        // Wine renames by the name the file was opened under: where that name (or the folder it
        // was made in) leads elsewhere by now, the rename would move what it leads to over the
        // earlier file. Known before anything is moved, the earlier file stays as it is.
        if (system_calls::RunningUnderWine() && !IsThisFile(file_.get(), path_)) {
            failure_ = DiskError::Link;
            return false;
        }
        const DWORD error = RenameOpenFile(file_.get(), destination);
        if (error != ERROR_SUCCESS) {
            failure_ = HeldThere(error, destination) ? DiskError::InUse : ErrorOf(error);
            return false;
        }
        // Wine renames by the name the file was opened under: a link swapped in there (or at
        // the folder it was made in) would have been moved instead of this file. The file
        // now at the name must be this very one, by its index on the volume.
        if (!IsThisFile(file_.get(), destination)) {
            failure_ = DiskError::Link;
            return false;
        }
        path_ = destination;
        // A rename keeps the file's own creation time, except that FAT and NTFS give a file
        // that takes a name freed within 15 seconds the creation time of the file that had it
        // ("tunnelling"): an earlier copy's. The time it was made is set again through the
        // handle (SetFileTime, Windows XP, with the write-attributes right that GENERIC_WRITE
        // gives). Where that fails, the earlier copy's time is older still: the copy only
        // looks made earlier than it was, and is at worst made again.
        if (made_.dwLowDateTime != 0 || made_.dwHighDateTime != 0)
            SetFileTime(file_.get(), &made_, nullptr, nullptr);
        return true;
    }
    std::string FinalPath() override { return FinalPathOf(file_.get()); }
    // A read-only file refuses to be deleted (STATUS_CANNOT_DELETE, under Wine too): a copy
    // given a read-only mailbox's mark loses it first, through the handle (GENERIC_WRITE holds
    // FILE_WRITE_ATTRIBUTES), else it would stay at its temporary name.
    bool Discard() override {
        return DeleteOnClose(file_.get()) ||
               (SetMarksOf(file_.get(), 0) && DeleteOnClose(file_.get()));
    }
    // Opened again by its name, sharing writes and deletion with this handle (which shares
    // reads), and only kept where that name leads to this very file: its index on the volume
    // (a rename never leaves it) is this handle's, and the name is no link. Where the file
    // system gives no index, nothing tells them apart, and nothing is read.
    std::unique_ptr<FileSource> ReadBack(DiskError& why) override {
        Handle back(CreateFileAt(path_, GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 OPEN_EXISTING,
                                 FILE_FLAG_NO_BUFFERING | FILE_FLAG_SEQUENTIAL_SCAN |
                                     FILE_FLAG_OPEN_REPARSE_POINT));
        if (!back) {
            why = ErrorOf(GetLastError());
            return nullptr;
        }
        why = ThisVeryFile(file_.get(), back.get());
        if (why == DiskError::None && !TellsFiles(IndexOf(file_.get()).value_or(0)))
            why = DiskError::Other;
        if (why != DiskError::None) return nullptr;
        return Uncached(std::move(back), why);
    }
    // Whether the handle really closed: a close can still fail to write what was held back.
    bool Close() override { return Step(file_.Close()); }
    DiskError Failure() override { return failure_; }

private:
    std::string path_; // the name it has now
    FILETIME made_;
};

} // namespace

void Win32Disk::Pause(std::uint32_t milliseconds) {
    // Not Sleep: a thread with a window must answer what is sent to it (a broadcast waits for
    // every window), so the window is painted and answered meanwhile, as during a flush;
    // presses and keys stay queued. With no handles, the wait is for those messages alone.
    const DWORD start = GetTickCount();
    for (DWORD passed = 0; passed < milliseconds; passed = GetTickCount() - start) {
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - passed,
                                      QS_PAINT | QS_SENDMESSAGE) != WAIT_OBJECT_0) {
            return; // the time is up
        }
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE))
            DispatchMessageA(&message);
    }
}

namespace {

// A turn file held open: closing it deletes it.
class Win32Turn : public HeldTurn {
public:
    explicit Win32Turn(Handle file) : file_(std::move(file)) {}

private:
    Handle file_;
};

} // namespace

std::unique_ptr<HeldTurn> Win32Disk::TryTurn(const std::string& path, DiskError& why) {
    for (bool takenOver = false;; takenOver = true) {
        // CREATE_NEW opens nothing that is there, a link at the name included. With no sharing
        // no other run opens it while this one holds it, on a share too (the server keeps
        // share modes for every client); FILE_FLAG_DELETE_ON_CLOSE has the system delete it
        // once its handle is closed, however the process ends. (Every call here is in kernel32
        // of every Windows NT; CreateFileAt takes the wide call for a path beyond MAX_PATH.)
        Handle file(CreateFileAt(path, GENERIC_READ | GENERIC_WRITE | DELETE, 0, CREATE_NEW,
                                 FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE));
        if (file) return std::make_unique<Win32Turn>(std::move(file));
        const DWORD error = GetLastError();
        if (error == ERROR_SHARING_VIOLATION || (error == ERROR_ACCESS_DENIED && !Absent(path))) {
            // Access is denied, too, to a file whose deletion is pending as its run ends.
            why = DiskError::InUse;
            return nullptr;
        }
        why = ErrorOf(error);
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return nullptr;
        // One taken over and made anew by another run meanwhile is that run's turn.
        why = DiskError::InUse;
        if (takenOver) return nullptr;
        // One that no run holds goes (a link by itself, never what it leads to). One that a
        // run holds cannot be opened alone, nor one whose deletion is pending: they are waited
        // for, as is one gone meanwhile.
        if (const std::unique_ptr<HeldFile> left = HoldSoleFile(path, why)) {
            if (left->Delete()) continue;
            why = DiskError::InUse;
            return nullptr;
        }
        if (IsLink(path)) {
            if (RemoveFile(path)) continue;
            why = DiskError::Link;
            return nullptr;
        }
        const DWORD there = AttributesAt(path);
        const bool stays = why == DiskError::AccessDenied && there != INVALID_FILE_ATTRIBUTES;
        why = stays ? DiskError::Link : DiskError::InUse; // a folder, a file with other names
        return nullptr;
    }
}

void Win32Disk::SetAttributes(const std::string& path, std::uint32_t attributes) {
    SetAttributesAt(path, attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL);
}

std::optional<FileBytes> Win32Disk::ReadFile(const std::string& path, std::uint64_t limit) {
    // No writer meanwhile; a run that puts a new file in its place may (this one reads on).
    const Handle file(CreateFileAt(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
    if (!file) return std::nullopt;
    std::string bytes;
    char buffer[4096];
    // The size a listing gives says nothing of a device (a link to one reads without end):
    // the reads themselves stop one byte past the limit.
    const std::uint64_t most = limit == ~0ULL ? limit : limit + 1;
    while (bytes.size() < most) {
        const std::uint64_t left = most - bytes.size();
        DWORD got = 0;
        if (!::ReadFile(file.get(), buffer,
                        static_cast<DWORD>(left < sizeof buffer ? left : sizeof buffer), &got,
                        nullptr)) {
            return FileBytes{std::move(bytes), false};
        }
        if (got == 0) break;
        bytes.append(buffer, got);
    }
    return FileBytes{std::move(bytes), true};
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
    // When it was made: taken before, so never later than the time the file system gives it.
    FILETIME made;
    GetSystemTimeAsFileTime(&made);
    // Delete access: a finished copy is renamed into place through this handle. Shared with
    // readers alone, so that it can be read back (see ReadBack): a reader must share writes and
    // deletion with this handle, and no writer can open it.
    Handle file(CreateFileAt(path, GENERIC_WRITE | DELETE, FILE_SHARE_READ, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN));
    if (!file) {
        why = ErrorOf(GetLastError());
        return nullptr;
    }
    return std::make_unique<Win32FileWriter>(std::move(file), path, made);
}

std::unique_ptr<FileWriter> Win32Disk::OpenToAppend(const std::string& path, DiskError& why) {
    // Opened first, then asked through the handle before a byte is written: a check of the name
    // before the open would leave a moment for a link to be put there. An existing file is
    // opened as it is; a missing one is made with CREATE_NEW, which never follows a link at the
    // name (Wine's OPEN_ALWAYS would make the file a dangling Linux link leads to).
    const auto open = [&](DWORD disposition) {
        constexpr DWORD kAccess = FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
        return Handle(::CreateFileA(path.c_str(), kAccess, FILE_SHARE_READ, nullptr, disposition,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    };
    Handle file;
    for (int tries = 0; !file && tries < 2; ++tries) {
        file = open(OPEN_EXISTING);
        if (file || !NothingThere(GetLastError())) break;
        file = open(CREATE_NEW);
        if (!file && GetLastError() != ERROR_FILE_EXISTS) break; // else made meanwhile: opened
    }
    if (!file) {
        why = ErrorOf(GetLastError());
        return nullptr;
    }
    // The one name of a plain file, at the very path asked for: no link (a reparse point on
    // Windows; under Wine, a file whose own path is another), no folder, no other name (where
    // a share counts the names at all).
    if (!SoleNameOf(file.get(), path, true)) {
        why = DiskError::AccessDenied;
        return nullptr;
    }
    return std::make_unique<Win32FileWriter>(std::move(file), path);
}

std::unique_ptr<FileSource> Win32Disk::OpenUncached(const std::string& path, DiskError& why) {
    // The name itself, not what a link there leads to (on Windows; Wine follows a Linux link,
    // which SoleNameOf then tells by the open file's own path).
    Handle file(CreateFileAt(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
                             FILE_FLAG_NO_BUFFERING | FILE_FLAG_SEQUENTIAL_SCAN |
                                 FILE_FLAG_OPEN_REPARSE_POINT));
    if (!file) {
        why = ErrorOf(GetLastError());
        return nullptr;
    }
    if (!SoleNameOf(file.get(), path)) {
        why = DiskError::Link;
        return nullptr;
    }
    return Uncached(std::move(file), why);
}

bool Win32Disk::ReplaceFileWith(const std::string& replacement, const std::string& target) {
    const DWORD old = AttributesAt(target);
    if (RefusesReplacing(old)) return false;
    if (old != INVALID_FILE_ATTRIBUTES) {
        // The new file takes the old one's hidden and system marks.
        const DWORD keep =
            old & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
        if (keep != 0) SetAttributesAt(replacement, keep);
    }
    return MoveFileExAt(replacement, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

bool Win32Disk::RemoveFile(const std::string& path) {
    const DWORD attributes = AttributesAt(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return false;
    }
    // A link made by Windows shows as one, and DeleteFileA removes the link itself. A Linux
    // link under Wine shows as the file it leads to, and deleting it deletes that file: a name
    // that opens a file of another name is left alone.
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        if (system_calls::RunningUnderWine() && LeadsElsewhere(path)) return false;
        if (attributes & FILE_ATTRIBUTE_READONLY) {
            SetAttributesAt(path, attributes & ~FILE_ATTRIBUTE_READONLY);
        }
    }
    return DeleteFileAt(path);
}

DiskError Win32Disk::MakeDirectoryPath(const std::string& path) {
    // Each folder after the root, in turn, up to the last separator. One there already is fine
    // when it is a folder (or a link to one), whatever the call answered (a share's folder may
    // say access denied); a file of its name is not.
    for (std::size_t at = path.find_first_of("\\/", PathRootLength(path)); at != std::string::npos;
         at = path.find_first_of("\\/", at + 1)) {
        if (IsPathSeparator(path[at - 1])) continue; // no name between two separators
        const std::string folder = path.substr(0, at);
        if (CreateDirectoryA(folder.c_str(), nullptr)) continue;
        const DWORD error = GetLastError();
        const DWORD there = GetFileAttributesA(folder.c_str());
        if (there == INVALID_FILE_ATTRIBUTES) return ErrorOf(error);
        if (!(there & FILE_ATTRIBUTE_DIRECTORY)) return DiskError::NotAFolder;
    }
    return DiskError::None;
}

} // namespace vintrel
