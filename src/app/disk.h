// What the program asks of the file system. One real implementation talks to Windows;
// the unit tests use an in-memory tree.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace vintrel {

inline constexpr std::uint32_t kAttributeReadOnly = 0x01;
inline constexpr std::uint32_t kAttributeHidden = 0x02;
inline constexpr std::uint32_t kAttributeSystem = 0x04;
inline constexpr std::uint32_t kAttributeDirectory = 0x10;
inline constexpr std::uint32_t kAttributeArchive = 0x20;
inline constexpr std::uint32_t kAttributeReparsePoint = 0x400;
inline constexpr std::uint32_t kAttributeNotContentIndexed = 0x2000;

struct DiskEntry {
    // The long name in the ANSI code page, never a look-alike of it ("Lukasz" for "Łukasz"):
    // "?" stands for each character the code page cannot hold.
    std::string name;
    std::uint32_t attributes = 0;
    std::uint64_t size = 0;
    std::uint64_t lastWriteTime = 0; // a FILETIME: 100-nanosecond steps since 1601
    std::uint32_t reparseTag = 0;    // with the reparse-point attribute: what kind of point it is
    // The 8.3 name, where the listing gives one that the code page holds exactly; asked for
    // where the long name cannot be opened as it is (see OpenableName).
    std::string shortName;
    // False when `name` is not exactly the platform's name (the code page cannot hold it):
    // it then only shows and classifies the entry, and never opens it.
    bool nameExact = true;
    std::uint64_t creationTime = 0; // as a FILETIME; 0 where the platform did not say
};

// The one rule for the name an entry is listed, opened and written under: its long name where
// the code page holds it exactly and it is plain (IsPlainName), else its short name where that
// is plain, else none (empty): the entry is left out.
std::string OpenableName(const DiskEntry& entry);

// What a file or folder is, whatever path names it: the volume's serial number and the file's
// index on that volume. Two paths name the same thing exactly when their identities agree.
struct FileIdentity {
    std::uint32_t volume = 0;
    std::uint64_t index = 0;
    std::uint64_t indexHigh = 0; // ReFS numbers its files in 128 bits: the upper half
    friend auto operator<=>(const FileIdentity&, const FileIdentity&) = default;
};

// An identity as a file system reports it, where it tells files apart: some give every file
// the index 0 or all ones, or the volume the serial number 0 (drives of SSHFS-Win, Dokan,
// Remote Desktop). Such an identity is unknown: nothing, so that no two files are ever taken
// for one and decisions go by path.
inline std::optional<FileIdentity> KnownIdentity(const FileIdentity& identity) {
    const bool noIndex = (identity.index == 0 && identity.indexHigh == 0) ||
                         (identity.index == ~0ULL && (identity.indexHigh == 0 ||
                                                      identity.indexHigh == ~0ULL));
    if (identity.volume == 0 || noIndex) return std::nullopt;
    return identity;
}

// A reparse point stands for another name (a symbolic link, a junction, a mount point) when
// its tag has the name-surrogate bit. Microsoft's other reparse points (cloud files such as
// OneDrive's, deduplicated and archived files) are the very files and folders they show. A tag
// of another maker, or none Windows knows (Wine shows a Linux link to a folder with a tag
// such as 0 or 1), is taken for a link: where it leads is asked before it is followed.
inline bool IsLinkTag(std::uint32_t tag) {
    constexpr std::uint32_t kMicrosoft = 0x80000000u, kNameSurrogate = 0x20000000u;
    return (tag & kNameSurrogate) != 0 || (tag & kMicrosoft) == 0;
}

// The entries of one open directory, in the order the platform delivers them ("." and ".."
// included, nothing sorted or filtered).
class DirectoryReader {
public:
    virtual ~DirectoryReader() = default;
    // The next entry, or false at the end.
    virtual bool Next(DiskEntry& entry) = 0;
};

// What is asked for to list a directory: the path, a "\" unless it is empty or already ends
// in a separator ("\" or "/", as Windows reads both), and "*.*", which matches every name.
std::string ListingPattern(const std::string& directory);

// A read of the whole file, however long (the user's own profile, which the program never
// cuts short).
inline constexpr std::uint64_t kWholeFile = ~0ULL;

// What a read of a file gave (see Disk::ReadFile).
struct FileBytes {
    std::string bytes;
    bool complete; // every read went well; false when one failed part-way: `bytes` holds what
                   // came before
};

// Why a file operation failed.
enum class DiskError {
    None,
    NotFound,     // nothing of that name, or a folder on the way is missing
    InUse,        // another program holds it (a sharing or lock violation), or holds open
                  // the file a step would replace
    AccessDenied, // not allowed, or something that is no file stands there
    DiskFull,
    TooLarge,   // more than the drive's file system holds in one file (FAT32: 4 GiB)
    NotAFolder, // a file stands where a folder goes
    Link,       // a link stands where a folder goes
    Other,
};

// What a copy keeps of its source, and what tells that the source changed.
struct FileFacts {
    std::uint64_t size = 0;
    std::uint64_t lastWriteTime = 0; // a FILETIME: 100-nanosecond steps since 1601
    std::uint32_t attributes = 0;
    friend bool operator==(const FileFacts&, const FileFacts&) = default;
};

// What the file system of a folder keeps, as far as it can be asked.
struct VolumeFacts {
    // How coarse the last-write times it keeps are, in 100-nanosecond steps: FAT and FAT32
    // 2 seconds, exFAT 10 milliseconds; 0 where it keeps them exactly (NTFS, ReFS, shares
    // of other systems) or where that cannot be asked.
    std::uint64_t timeStep = 0;
    // The bytes this user may still write there (a quota counted); nothing when unknown.
    std::optional<std::uint64_t> freeBytes;
};

// A file open for copying: read from the start to the end, shared with readers only.
class FileSource {
public:
    virtual ~FileSource() = default;
    // What the open file is now; nothing when that cannot be asked.
    virtual std::optional<FileFacts> Facts() = 0;
    // Up to `size` bytes from where the last read ended; `got` is 0 at the end. False when
    // the read failed.
    virtual bool Read(char* buffer, std::size_t size, std::size_t& got) = 0;
    // Why the last step failed.
    virtual DiskError Failure() = 0;
};

// A file being written. Every step reports whether it worked.
class FileWriter {
public:
    virtual ~FileWriter() = default;
    virtual bool Write(const char* data, std::size_t size) = 0;
    virtual bool SetLastWriteTime(std::uint64_t time) = 0;
    // Forces what was written onto the disk.
    virtual bool Flush() = 0;
    // Gives the open file these marks (kAttributeReadOnly, hidden, system, archive), through
    // the file itself: never by a name that a link may have taken meanwhile.
    virtual bool SetMarks(std::uint32_t marks) = 0;
    // Puts the file, still open, in the place of `destination` in one step, keeping its own
    // creation time (when it was made), replacing what is there unless that is a folder or
    // read-only (a link there is replaced, never followed). It stays open under its new name.
    // False too when the name does not then lead to this very file (a link swapped in at the
    // temporary name was moved instead). A file at `destination` that another program holds
    // open is not replaced: the failure is InUse.
    virtual bool MoveOver(const std::string& destination) = 0;
    // The plain path of the open file, every link on the way resolved, wherever its name now
    // is; empty where the platform cannot say (Windows XP).
    virtual std::string FinalPath() = 0;
    // The open file goes once it is closed, whatever name leads to it by then.
    virtual bool Discard() = 0;
    // The file as it is on the disk, read from its start past the system's cache (after a
    // Flush: what a later reader will find), opened under the name it has now and known to be
    // this very file, not a link swapped in there. Nothing when it cannot be read so, and why.
    virtual std::unique_ptr<FileSource> ReadBack(DiskError& why) = 0;
    virtual bool Close() = 0;
    // Why the last step failed.
    virtual DiskError Failure() = 0;
};

// A file held open to be moved aside and given back: every step acts on the open file, never
// on whatever a name leads to meanwhile.
class HeldFile {
public:
    virtual ~HeldFile() = default;
    virtual std::uint64_t Size() = 0;
    // Gives the open file another name in one step, over what stands there. True only when the
    // name then leads to this very file: a link swapped in at that moment is never taken for it.
    virtual bool MoveTo(const std::string& path) = 0;
    // Cuts up to `bytes` off its end; false when it is empty or that fails.
    virtual bool Shrink(std::uint64_t bytes) = 0;
    // Sets or clears its read-only mark through the open file, never by a name that a link
    // may have taken meanwhile; true only when the mark was otherwise and is changed now.
    virtual bool SetReadOnly(bool readOnly) = 0;
    // The file goes once it is no longer held.
    virtual bool Delete() = 0;
};

// A folder held open, without letting others delete it, until this goes: meanwhile no other
// program can rename or remove it, or put a link in its place (on Windows; under Wine a Linux
// program is held by nothing).
class HeldFolder {
public:
    virtual ~HeldFolder() = default;
    // Whether the folder held has become a link since, or can no longer be asked: an empty
    // folder can be made one in place, held or not.
    virtual bool BecameLink() = 0;
    // Its plain path when it was held, every link on the way resolved; empty where the
    // platform cannot say (Windows XP).
    virtual std::string FinalPath() = 0;
};

// A turn held at a place (see Disk::TakeTurn) until this goes: then its file goes too.
class HeldTurn {
public:
    virtual ~HeldTurn() = default;
};

class Disk {
public:
    virtual ~Disk() = default;

    // Takes the turn that runs of this program take one at a time at a place: the file at
    // `path`, made anew and held with no sharing until the HeldTurn goes, when it is deleted
    // (however the process ends). One that no run holds (left by a machine that lost its
    // power, or planted) is taken over; a link at the name is removed, never followed. While
    // another run holds it, tries again through Pause for up to `waitMs` milliseconds. Nothing
    // when it could not be had, and why: InUse (another run held it all the while), Link
    // (something no run holds stands at the name and is not taken over: a folder, a link that
    // cannot be removed alone, a file with other names), or why the file cannot be made there
    // (NotFound: no folder; AccessDenied: the folder takes no new file).
    std::unique_ptr<HeldTurn> TakeTurn(const std::string& path, std::uint32_t waitMs,
                                       DiskError& why);

    // One try at TakeTurn, with no waiting.
    virtual std::unique_ptr<HeldTurn> TryTurn(const std::string& path, DiskError& why) = 0;

    // The kind of drive whose root is given ("C:\"): 0 unknown, 1 no such root, above 1 a
    // drive with a root directory.
    virtual unsigned DriveType(const std::string& root) = 0;

    // The first entry that the path names (as a lookup pattern), or nothing. A path without
    // wildcards is asked for directly: the root of a drive or a share is found as a folder, and
    // a file by its name with a separator after it is not found.
    virtual std::optional<DiskEntry> FindEntry(const std::string& path) = 0;

    // The attributes of what the path names, or nothing when it cannot be asked.
    virtual std::optional<std::uint32_t> Attributes(const std::string& path) = 0;

    // True only when the platform says that nothing of that name exists; false when something
    // is there, or may be there but cannot be looked at (access denied).
    virtual bool Absent(const std::string& path) = 0;

    // The identity of the file or folder a path names (links followed); nothing when it
    // cannot be opened.
    virtual std::optional<FileIdentity> Identity(const std::string& path) = 0;

    // The file's index on its volume (links followed): a quick first look, since asking for
    // the volume can be slow. Paths whose indexes differ name different files; equal indexes
    // are only the same file when the identities agree. Nothing when it cannot be opened.
    virtual std::optional<std::uint64_t> FileIndex(const std::string& path) = 0;

    // The plain path of what a path names, every link and alias on the way resolved ("C:\x",
    // "\\server\share\x"); empty when it cannot be opened or the platform cannot say.
    virtual std::string FinalPath(const std::string& path) = 0;

    // Opens a directory for listing; nothing when it cannot be opened. A directory with no
    // entries at all opens and lists nothing.
    virtual std::unique_ptr<DirectoryReader> OpenDirectory(const std::string& directory) = 0;

    // The content of a file, opened for reading with read sharing only, up to `limit` bytes
    // and one more: a longer file (one that never ends, as a link to a device may) gives that
    // many, so that the caller knows it is too long, and no more is read. Nothing when it
    // cannot be opened.
    virtual std::optional<FileBytes> ReadFile(const std::string& path, std::uint64_t limit) = 0;

    // Opens a file to copy it: for reading, shared with other readers only, so that no
    // writer can change it meanwhile; a file that a writer holds cannot be opened. Nothing
    // when it cannot be opened, and why.
    virtual std::unique_ptr<FileSource> OpenToCopy(const std::string& path, DiskError& why) = 0;

    // Opens a file to read its bytes from the disk itself, past the system's cache, shared with
    // other readers only. Only a plain file's one name opens (see SoleName): a link, a folder
    // or a file with other names too gives nothing, why Link. Nothing when it cannot be
    // opened, and why (InUse: another program writes to it).
    virtual std::unique_ptr<FileSource> OpenUncached(const std::string& path, DiskError& why) = 0;

    // Creates a file that is not there yet: never opens what is there, nor follows a link
    // that stands in its place. Nothing when it cannot be created, and why.
    virtual std::unique_ptr<FileWriter> CreateNewFile(const std::string& path, DiskError& why) = 0;

    // Opens a file to add to its end, made where it is missing; never a folder, nor what a
    // link at that name leads to. Each write lands at the end, after whatever another program
    // added meanwhile. Nothing when it cannot be opened, and why.
    virtual std::unique_ptr<FileWriter> OpenToAppend(const std::string& path, DiskError& why) = 0;

    // Puts a complete file in the place of another in one step, keeping the attributes of the
    // one replaced (a hidden file stays hidden). The replacement is gone afterwards.
    virtual bool ReplaceFileWith(const std::string& replacement, const std::string& target) = 0;

    // Removes a file, a read-only one too, or a link in a file's place (never what the link
    // leads to); false when nothing was removed (nothing there, a folder, refused).
    virtual bool RemoveFile(const std::string& path) = 0;

    virtual void SetAttributes(const std::string& path, std::uint32_t attributes) = 0;

    // The program that holds a file open, where the system can tell; empty otherwise.
    virtual std::string HolderOf(const std::string& path) = 0;

    // The largest file that the file system of a folder holds, where it has a limit of its
    // own (FAT32: 4 GiB less one byte); nothing when it has none or cannot be asked.
    virtual std::optional<std::uint64_t> FileSizeLimit(const std::string& directory) = 0;

    // The facts of the file system that holds a folder (see VolumeFacts).
    virtual VolumeFacts Volume(const std::string& directory) = 0;

    // Whether the name itself is a link to a file or folder elsewhere (on Windows a reparse
    // point; under Wine a name that opens a file of another path).
    virtual bool IsLink(const std::string& path) = 0;

    // Whether the name is the one name of a plain file: no link, no folder, and no other name
    // (a hard link) leads to the same file. False when it cannot be asked.
    virtual bool SoleName(const std::string& path) = 0;

    // Holds the one name of a plain file open to move it aside and give it back; nothing when
    // it is a link, a folder, a file with other names too (a hard link: cutting it would cut
    // them), or cannot be opened for that alone, and why (InUse: another program has it open).
    virtual std::unique_ptr<HeldFile> HoldSoleFile(const std::string& path, DiskError& why) = 0;

    // Lets about that many milliseconds pass before a step is tried again, so that another
    // program may let go of a file meanwhile.
    virtual void Pause(std::uint32_t milliseconds) = 0;

    // Creates every folder of a path after its root ("C:\", "\\server\share\", "\\?\C:\"),
    // up to its last "\", that does not exist yet: None when they are all there, or why not
    // (a file of a folder's name is NotAFolder).
    virtual DiskError MakeDirectoryPath(const std::string& path) = 0;

    // Makes a folder where it is missing (its parent must be there) and holds it (see
    // HeldFolder); nothing, and why, when it is a link (Link), a file (NotAFolder), or cannot
    // be made or opened. (Windows makes no folder of 248 characters or more, its final
    // separator counted.)
    virtual std::unique_ptr<HeldFolder> HoldFolder(const std::string& path, DiskError& why) = 0;

    // Whether a step by an open file's handle (a rename, a removal once closed) is done by the
    // name the file was opened under, so that a link another program puts at that name
    // meanwhile is what moves or goes: true under Wine, whose Linux neighbours no open handle
    // holds back; on Windows the step acts on the open file itself.
    virtual bool RenamesByName() = 0;

    // Makes a folder that is not there yet and holds it (see HeldFolder): never takes one that
    // stands there, a folder, a file or a link (AccessDenied), so that only this user has put
    // anything in it. It goes once let go, where it is empty by then. Nothing, and why, when it
    // cannot be made.
    virtual std::unique_ptr<HeldFolder> MakeOwnFolder(const std::string& path,
                                                      DiskError& why) = 0;

    // Removes an empty folder of that very name, never a link nor what one leads to; false
    // when nothing was removed (not empty, a link, a file, nothing there, refused).
    virtual bool RemoveFolder(const std::string& path) = 0;
};

// Whether a folder, or a link to one, stands at the path.
bool IsFolder(Disk& disk, const std::string& path);

// Where the platform renames by name (see Disk::RenamesByName), the folders of the run's own
// that a temporary file is made in, beside the file it is to replace: "~vt", then "~vt1" to
// "~vt9" where one is taken. Its number `n`.
std::string OwnFolderPath(const std::string& directory, int n);

// Makes a new file at a temporary name: whatever stands there (a leftover, a read-only one,
// a link planted there) is removed first, never what a link leads to; where it cannot be
// removed or made, the next free name is taken (`temporary` then "1" to "9" added).
// Where the platform renames by name, the file is made under the temporary's own name in a
// folder of the run's own beside it instead (see OwnFolderPath): no other user can put a link
// at a name there. A leftover of that name in such a folder goes first, and the folder with
// it where it is then empty; a folder taken, the next one. The folder stays as long as the
// file returned, and goes with it.
// `used` gets the name made. Nothing when no name could be made, and why.
std::unique_ptr<FileWriter> CreateTemporaryFile(Disk& disk, const std::string& temporary,
                                                std::string& used, DiskError& why);

// Writes a whole file beside the old one, under a temporary name (see CreateTemporaryFile),
// flushed, and swaps it in; on any failure the old one is untouched and the temporary file
// is gone.
bool ReplaceWholeFile(Disk& disk, const std::string& path, const std::string& temporary,
                      const std::string& bytes);

} // namespace vintrel
