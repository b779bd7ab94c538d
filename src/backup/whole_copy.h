// One file copied whole, or not at all: the copy loop of a backup, with the reasons it gives.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/disk.h"
#include "backup/versions.h"
#include "app/screen.h"
#include "copies/copy_record.h"

namespace vintrel {

// A copy reads and writes in pieces of this size; between two, the window paints when this
// many milliseconds have passed.
inline constexpr std::size_t kCopyChunk = 1024 * 1024;
inline constexpr std::uint32_t kCopyPaintIntervalMs = 20;
// An earlier copy this large is moved aside before it is replaced and given back to the disk
// in pieces of this size, the window painting in between: replacing or freeing gigabytes at
// once takes some file systems a second or more.
inline constexpr std::uint64_t kReleaseStep = 64ULL * 1024 * 1024;
// An antivirus or an indexer opens a fresh file for a moment: a step that another program's
// hold on the earlier copy blocks is tried this many times, the pause between two tries
// doubling from the first (60 + 120 + 240 + 480 ms: about a second in all).
inline constexpr int kHeldTries = 5;
inline constexpr std::uint32_t kFirstHeldPause = 60;
// The only marks a copy takes from its source: read-only, hidden, system, archive and not
// content-indexed. Offline or temporary would tell Windows and other programs wrong things
// of the copy; compressed, encrypted, sparse and reparse points are no marks to set.
inline constexpr std::uint32_t kCopiedAttributes = kAttributeReadOnly | kAttributeHidden |
                                                   kAttributeSystem | kAttributeArchive |
                                                   kAttributeNotContentIndexed;

// How one listed file fared.
enum class CopyOutcome {
    Copied,
    SourceMissing,
    InUse, // another program holds the source
    AccessDenied,
    DiskFull,
    TooLarge, // beyond what the target drive's file system holds in one file
    PathTooLong,
    OntoItself,
    SourceChanged,    // written to while it was copied
    OverwritesListed, // its destination is another listed file
    SameDestination,  // another listed file was copied to that destination in this run
    OutsideTarget,    // its destination names no file below the target folder
    NotRecorded,      // the target's record of its copies cannot be written
    ThroughLink,      // a folder below the target on its way, or its destination, is a link
    LinkSwappedIn,    // a folder on its way became a link while it was copied: nothing is kept
    PathNotFound,     // the path to its copy is not there (a drive or share missing)
    FileInTheWay,     // a file stands where a folder on the way to its copy goes
    Unchanged,        // its copy has its size and time already: left alone
    EarlierCopyHeld,  // another program holds the earlier copy open: it cannot be replaced
    NoSpace,          // the target has less free space than the copy needs: nothing written
    LooksDamaged,     // its first bytes show damage, the earlier copy's do not: that one is kept
    ReadBackDiffers,  // the new copy, read back from the disk, is not what was written: the
                      // earlier copy is kept
    ChangedCopy,      // the file at its destination is no longer the copy last made there
    TrimmedName,      // a name on its copy's path ends in a dot or a space
    Failed,           // any other source, target or disk error
};

// Lets the window paint between the pieces of a copy, when the interval has passed.
class PaintPacer {
public:
    // Without a pump (no window) it does nothing.
    explicit PaintPacer(EventPump* pump) : pump_(pump), last_(pump ? pump->Milliseconds() : 0) {}
    void Tick();

private:
    EventPump* pump_;
    std::uint32_t last_;
};

// The temporary file a copy is made in before it replaces an earlier copy (where the platform
// renames by name, a file of this name in a folder of the run's own beside it: see
// CreateTemporaryFile), and the second name a large earlier copy keeps while its space is
// given back.
std::string TemporaryCopyPath(const std::string& destination);
std::string ReleasedCopyPath(const std::string& destination);

// Whether a run that died left something beside a destination.
bool HasLeftovers(Disk& disk, const std::string& destination);

// Puts right what a run that died left beside a destination: an earlier copy moved aside
// with nothing at the name goes back, other leftovers go.
void ClearLeftovers(Disk& disk, const std::string& destination);

// What a failure on the target's side means for a copy: a folder that cannot be made, a new
// file that cannot be written.
CopyOutcome TargetOutcome(DiskError error);

// Where a copy must stay: below the target's final path (empty where the platform cannot say),
// in its folder held (none for one in the target itself).
struct CopyWay {
    std::string targetFinalPath;
    HeldFolder* folder = nullptr;
    std::string noSpace; // with NoSpace: "needs 20.0 GB, has 5.0 GB"
    // Whether the checksum of the bytes is taken as they are written (only a measurement of
    // what it costs goes without).
    bool checksum = true;
    // Whether the new copy, flushed, is read back from the disk past the system's cache before
    // it takes its name, and kept only when its checksum is the one taken while writing.
    bool verify = false;
    // The source's size and time as the record names the copy about to be made: a source
    // that no longer has them is not copied (SourceChanged).
    std::optional<CopyState> expected;
    // With Copied: the copy as it was made, its checksum where taken.
    std::optional<CopyState> made;
};

// A size as people read it: "512 bytes", "1.5 KB", "20.0 GB" (units of 1024, as Windows
// shows them).
std::string SizeText(std::uint64_t bytes);

// Copies `source` whole to `destination` (in the folder `destinationDirectory`, which must
// exist): read while no writer can change it, into a temporary file made anew beside the
// destination, and swapped in only when complete and the source unchanged; the earlier copy
// stays on every failure (one moved aside stays beside its name where something else took
// that name meanwhile: it never goes back over a file that is not this program's own). A
// read-only earlier copy loses its mark, and gets it back where it stays, through its handle.
// `buffer` is the piece size, kept from one copy to the next.
// With `keep` above 0 the earlier copy is not released but kept beside it as a version, and
// versions of that file beyond the `keep` made last go (by when they were made, never by their
// names' times; the one this copy makes always stays); `notKept` then says why one could not be.
// A copy (of a piece's size or more) larger than the free space the target's volume has for
// this user is not begun
// (NoSpace, and with a `way` its noSpace says the sizes); where that cannot be asked, it is.
// With a `way`, nothing is swapped in that was made outside its folder, and a swap that put the
// copy outside the target is undone (LinkSwappedIn).
// With a `way` that asks to verify, a copy read back otherwise than written, or that cannot be
// read back, never replaces the earlier copy (ReadBackDiffers, or the target's failure).
// With `damage`, the source's first bytes are checked as the copy reads them (see WhyDamaged):
// one that looks damaged never replaces an earlier copy that does not (LooksDamaged: nothing
// written, no version made), and `damage` says why it looks damaged, copied or not.
CopyOutcome CopyWholeFile(Disk& disk, PaintPacer& pacer, const std::string& source,
                          const std::string& destination, const std::string& destinationDirectory,
                          std::vector<char>& buffer, int keep, std::string* notKept,
                          CopyWay* way, std::string* damage = nullptr);

} // namespace vintrel
