// In-memory stand-ins for the disk and the window, for the native tests.
#pragma once

#include <deque>
#include <functional>
#include <list>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/disk.h"
#include "app/screen.h"
#include "app/state.h"

namespace vintrel::test {

// Orders paths as Windows compares them: without regard to the case of ASCII letters.
struct PathLess {
    bool operator()(const std::string& a, const std::string& b) const;
};
using PathSet = std::set<std::string, PathLess>;

// A small file system in memory. Every path handed to it is resolved as Windows would:
// made absolute ("." and ".." taken out, "/" as a separator, drive-relative "C:x" and rooted
// "\\x" from the current directory, "\\?\" and "\\.\" prefixes dropped), drive aliases
// replaced and folder links followed, so that every spelling of one place finds it. Names
// compare without regard to case. The public maps are keyed by resolved paths.
class FakeDisk : public Disk {
public:
    void AddDrive(const std::string& root, unsigned type = 3) { drives_[root] = type; }
    void AddFile(const std::string& path, std::uint64_t size);
    void AddDirectory(const std::string& path);
    // A share's root, which only answers to its attributes (a lookup asks them first).
    void AddShare(const std::string& path, std::uint32_t attributes = kAttributeDirectory) {
        shares_[path] = attributes;
    }
    // Builds a tree: each entry also shows in its parent's listing, in the order added.
    // Directories other than drive roots list "." and ".." first, as Windows does. A short
    // name, where given, is the one the entry opens under. A "?" in a name stands where the
    // code page cannot hold a character, as the real listing shows it: the name is not exact.
    void AddFileIn(const std::string& path, std::uint32_t attributes = 0x20,
                   std::uint64_t size = 10, std::uint64_t lastWriteTime = 0,
                   const std::string& shortName = "", std::uint32_t reparseTag = 0);
    void AddDirectoryIn(const std::string& path, std::uint32_t attributes = kAttributeDirectory,
                        std::uint32_t reparseTag = 0, const std::string& shortName = "");
    // A folder link at `path` (shown in its parent's listing as a reparse point with the tag)
    // that leads to `target`; one whose target leads back to it resolves to nothing.
    void AddLink(const std::string& path, const std::string& target, std::uint32_t reparseTag = 0);
    // Another name for the same place: a drive letter ("D:", as subst makes), a share
    // ("\\\\localhost\\c$") or a folder of another drive that holds this one.
    void AddAlias(const std::string& alias, const std::string& place) { aliases_[alias] = place; }
    void DenyListing(const std::string& directory) { denied_.insert(directory); }

    // The drive ("E:") or share ("\\server\share") of a path as written.
    static std::string VolumeOf(const std::string& path);
    // The path as this disk resolves it; empty when links lead round in a circle.
    std::string Resolve(const std::string& path) const;

    unsigned DriveType(const std::string& root) override;
    std::optional<DiskEntry> FindEntry(const std::string& path) override;
    std::optional<std::uint32_t> Attributes(const std::string& path) override;
    bool Absent(const std::string& path) override;
    std::optional<FileIdentity> Identity(const std::string& path) override;
    std::optional<std::uint64_t> FileIndex(const std::string& path) override;
    std::string FinalPath(const std::string& path) override;
    std::unique_ptr<DirectoryReader> OpenDirectory(const std::string& directory) override;
    std::optional<FileBytes> ReadFile(const std::string& path, std::uint64_t limit) override;
    std::unique_ptr<FileSource> OpenToCopy(const std::string& path, DiskError& why) override;
    std::unique_ptr<FileSource> OpenUncached(const std::string& path, DiskError& why) override;
    std::unique_ptr<FileWriter> CreateNewFile(const std::string& path, DiskError& why) override;
    std::unique_ptr<FileWriter> OpenToAppend(const std::string& path, DiskError& why) override;
    void SetAttributes(const std::string& path, std::uint32_t attributes) override;
    std::unique_ptr<HeldFile> HoldSoleFile(const std::string& path, DiskError& why) override;
    bool SoleName(const std::string& path) override;
    void Pause(std::uint32_t milliseconds) override {
        pauses.push_back(milliseconds);
        if (whilePaused) whilePaused();
    }
    std::unique_ptr<HeldTurn> TryTurn(const std::string& path, DiskError& why) override;
    bool IsLink(const std::string& path) override { return links_.count(ResolveParent(path)) > 0; }
    std::string HolderOf(const std::string& path) override {
        return HeldElsewhere(path) ? holderName : "";
    }
    // Whether another program holds the file of that name open (a writer, or a reader).
    bool HeldElsewhere(const std::string& path) const {
        const std::string name = ResolveParent(path);
        return heldByWriter.count(name) > 0 || heldOpen.count(name) > 0;
    }
    std::optional<std::uint64_t> FileSizeLimit(const std::string& directory) override {
        const auto limit = sizeLimits.find(VolumeOf(directory));
        return limit == sizeLimits.end() ? std::nullopt : std::optional(limit->second);
    }
    // By the drive or share, as FileSizeLimit.
    VolumeFacts Volume(const std::string& directory) override;
    bool ReplaceFileWith(const std::string& replacement, const std::string& target) override;
    bool RemoveFile(const std::string& path) override;
    DiskError MakeDirectoryPath(const std::string& path) override;
    std::unique_ptr<HeldFolder> HoldFolder(const std::string& path, DiskError& why) override;
    bool RenamesByName() override { return renamesByName; }
    std::unique_ptr<HeldFolder> MakeOwnFolder(const std::string& path, DiskError& why) override;
    bool RemoveFolder(const std::string& path) override;
    // Swaps a folder for a link to `target`, as another program may: the folder moves to its
    // name and "~" (what holds something there holds it there), a link takes its name. Fails
    // while anything is held open in it, as Windows fails it, unless holds do not bind.
    bool SwapForLink(const std::string& folder, const std::string& target);
    // Renames a file over another, unless that one is read-only: what an open file's rename
    // does (a link at the new name is replaced). Then `afterRename` may swap a name in.
    bool MoveFileOver(const std::string& file, const std::string& destination);

    bool OpenHere(const std::string& resolved) const; // written or held: not replaced, removed
    // Whether a directory exists: a drive root, one added or made, or one holding a file.
    bool IsDirectory(const std::string& resolved) const;

    std::string currentDirectory = "C:\\"; // where relative paths start
    std::vector<std::string> madePaths;    // every MakeDirectoryPath, in order
    std::vector<std::string> diskCalls;    // make, hold, move, remove: in order
    std::map<std::string, int> indexAsked; // how often each path's index was asked
    // Where each file and folder held open is now, in the order opened.
    std::list<std::string> openNames;
    std::list<std::list<std::string>::iterator> heldFiles; // those held by HoldSoleFile
    bool holdsBind = true; // false: SwapForLink as a Linux program under Wine, held by nothing
    bool renamesByName = false; // true: temporaries go in a folder of the run's own, as under Wine
    PathSet failCopyTo;                    // copies to these destinations fail part-way
    bool failMoves = false;
    int moves = 0;                  // MoveFileOver calls so far
    int failingMove = 0;            // which of them fails, counted from 1; 0: none
    bool finalPathsUnknown = false; // as on Windows XP, nothing says where a link leads
    std::map<std::string, std::uint64_t, PathLess> sizes; // files known by size alone

    // Files with contents, which the probe also sees.
    std::map<std::string, std::string, PathLess> files;
    PathSet unopenable; // ReadFile cannot open these
    PathSet cutShort;   // ReadFile fails half-way through these
    PathSet endless;    // devices: ReadFile reads zero bytes from these without end
    PathSet unlookable; // there, but every lookup is denied (by any spelling, or this one)
    PathSet readOnly;   // files that copies and moves refuse to replace
    PathSet otherNames; // files known by other names too (hard links)
    PathSet alteredReadBack; // read past the cache, these give their first byte flipped
    PathSet readBackFails;   // read past the cache, these fail their first read
    PathSet closeFails;      // files written whose close fails under these names
    PathSet cloudFiles; // files that are reparse points of a cloud provider, and no links
    PathSet numberless; // drives ("E:") whose file system gives every file the identity (0, 0)
    std::map<std::string, std::uint64_t, PathLess> lastWrite; // a file's time; 0 when not set
    PathSet heldByWriter;                                     // another program writes to these
    // Another program has these open, sharing reads only (a mail program, an antivirus): they
    // can be copied, but not replaced, held, moved or removed.
    PathSet heldOpen;
    // Marks of a file other than read-only and archive (hidden 0x2, offline 0x1000...): a
    // source shows them, SetAttributes sets them.
    std::map<std::string, std::uint32_t, PathLess> marks;
    std::vector<std::uint32_t> pauses; // every Pause, in order
    std::function<void()> whilePaused; // called at every Pause: a holder lets go here
    std::map<std::string, int, PathLess> ownWriters;          // this program's open writers
    std::map<std::string, DiskError, PathLess> createFails;   // creating these fails so
    PathSet factsUnknown;                      // an open file whose size and time cannot be asked
    std::string holderName;                    // that program, where the system can tell
    std::map<std::string, std::uint64_t, PathLess> sizeLimits; // of a drive's file system ("E:")
    std::map<std::string, std::uint64_t, PathLess> timeSteps, freeBytes; // of a drive ("E:")
    std::map<std::string, std::uint64_t, PathLess> created; // a file's creation time
    std::uint64_t now = 0;  // the clock: what a new file gets as its creation time
    PathSet missingDrives;  // drives ("Q:") not connected: their roots are not there
    std::size_t readPiece = std::string::npos; // the most one read of a copy gives
    // Called after every read of a file being copied, and every piece cut off a file: a
    // writer that got past the sharing (a Linux program under Wine, a mapped view) changes
    // it here, or a test moves the clock on.
    std::function<void(const std::string& path)> whileCopying;
    // Called right after every rename with the new name: a link swapped in at that moment.
    std::function<void(const std::string& name)> afterRename;
    int openSources = 0; // files open to be read, copied or read back
    // Called as a file is opened to copy: a folder swapped for a link at that moment.
    std::function<void(const std::string& path)> onOpenToCopy;
    std::function<void(const std::string& path)> onCreate; // as CreateNewFile is asked: the same
    std::size_t readFailsAfter = std::string::npos; // a read error after this many bytes
    enum class Step { None, Create, Write, SetTime, Flush, Close, Replace };
    Step failAt = Step::None;
    int failingWrite = 1; // with Step::Write: which write fails, counted from 1
    int writes = 0;

    std::vector<std::string> lookups; // every path asked about, in order
    std::vector<std::string> listed;  // every listing pattern asked for, in order
    int openListings = 0;             // listings open right now
    int mostOpenListings = 0;

    // The path resolved up to its last name, which is taken as it is (a link there is the
    // link itself, as when a file is created, removed or replaced).
    std::string ResolveParent(const std::string& path) const;

private:
    std::string Unalias(const std::string& path) const;
    std::string ResolveFrom(const std::string& path, int hops) const;
    bool Exists(const std::string& resolved) const;

    std::map<std::string, unsigned> drives_;
    std::map<std::string, DiskEntry, PathLess> entries_;
    std::map<std::string, std::uint32_t, PathLess> shares_;
    std::map<std::string, std::vector<DiskEntry>, PathLess> listings_;
    std::map<std::string, std::string, PathLess> links_;
    std::map<std::string, std::string, PathLess> aliases_;
    std::map<std::string, std::uint64_t, PathLess> identities_;
    PathSet directories_;
    PathSet denied_;
};

class FakeScreen : public Screen {
public:
    void SetStatusText(int field, const std::string& text) override;
    void SetGadgetText(int gadget, const std::string& text) override;
    Event WaitForEvent() override;
    std::optional<Event> PollEvent() override;
    void ReturnEvent(const Event& event) override { events.push_back(event); }
    std::uint32_t Milliseconds() override { return clock; }
    int ShowMessageBox(const std::string& caption, const std::string& text, unsigned type) override;
    void KeepPainted() override { ++paints; }
    std::string FolderDialog(const std::string& title, const std::string& initialPath) override {
        calls.push_back("folder dialog " + title + " [" + initialPath + "]");
        return folderAnswer;
    }
    void ActivateMainWindow() override { calls.push_back("activate"); }
    void CloseMainWindow() override { calls.push_back("close"); }
    int AddListRow(const std::string& rowText) override;
    void SetListCellColour(int row, int column, Colour textColour) override;
    void ClearListRows() override;

    std::deque<Event> events;       // handed out by WaitForEvent and PollEvent, oldest first;
                                    // one of kind None is a message that made no event
    std::vector<std::string> calls; // what was done to the window, in order
    std::map<int, std::string> statusFields;
    std::string folderAnswer;                   // what the folder dialog gives
    std::vector<std::string> spinnerMarks;      // every text shown in status field 1
    std::vector<std::vector<std::string>> rows; // cells of each row of the file list
    std::map<std::pair<int, int>, Colour> cellColours;
    // Called at every poll, before it answers: lets a test act in the middle of a search.
    std::function<void()> onPoll;
    int polls = 0;                  // PollEvent calls so far
    int paints = 0;                 // KeepPainted calls so far
    std::uint32_t clock = 0;        // what Milliseconds says
    std::uint32_t clockPerMark = 0; // how far the clock moves with every mark in field 1
};

// A program started in a folder, with the fake disk and screen: the base of the tests that
// run the program's operations.
class FakeProgramTest : public ::testing::Test {
protected:
    explicit FakeProgramTest(const std::string& startupDirectory) {
        InitSharedState(state, &startupDirectory);
        disk.MakeDirectoryPath(state.startupDirectory);
        disk.madePaths.clear();
        disk.diskCalls.clear();
    }
    AppState state;
    FakeDisk disk;
    FakeScreen screen;
};

using Strings = std::vector<std::string>;

} // namespace vintrel::test
