// Choosing the target path and copying every listed file below it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/disk.h"
#include "app/screen.h"
#include "app/state.h"
#include "backup/whole_copy.h"

namespace vintrel {

// A destination of this many characters or more is refused.
inline constexpr std::size_t kDestinationLimit = 256;

struct FileResult {
    std::string source;
    std::string fileName;
    CopyOutcome outcome = CopyOutcome::Copied;
    std::string holder; // the program holding the source (InUse) or the earlier copy
                        // (EarlierCopyHeld), where Windows can tell
    std::string other;  // with OverwritesListed and SameDestination: the other listed file;
                        // with ChangedCopy: the changed file at its destination
    std::string notKept; // copied, but the earlier copy could not be kept as a version: why
    // With NotRecorded: the record and why it cannot be written ("E:\\Save\\Vintrel Copies.txt
    // is read-only"); with NoSpace: what it needs and what the target has.
    std::string detail;
    // Copied, or LooksDamaged: why its first bytes show damage (copied where no earlier copy
    // that looks whole was there to keep).
    std::string damage;
};

// What a run did, one result per listed file, in the order they were handled.
struct BackupResult {
    std::vector<FileResult> files;
    // The target folder (or, where the run may make it, its drive or share) is not there:
    // nothing was done and no file was reported.
    bool targetMissing = false;
    // The copies were made, but the record could not be told their states: why. Their lines
    // still name them as being made, which the next run settles.
    std::string recordNotSettled;
    std::size_t Failed() const;    // not backed up
    std::size_t Unchanged() const; // backed up already: left alone
};

// Where one listed file goes.
struct BackupPlan {
    std::string source;               // the text before the first "|" of the entry
    std::string fileName;             // after the last "\\" or "/" of the source
    std::string destinationDirectory; // target path, a "\" if it lacks one, then the source
                                      // directory less 3 characters
    std::string destination;          // destination directory, then the file name
    std::string belowTarget;          // the destination's path below the target
};

BackupPlan PlanBackup(const std::string& targetPath, const std::string& profileEntry);

// "Error: N of M files were NOT backed up!"
std::string NotBackedUpText(std::size_t failed, std::size_t total);

// "the target folder X is not there (is the disk connected?)"
std::string TargetMissingText(const std::string& targetPath);

// The target folder as the record's home: "\" between its names, one at the end.
std::string TargetFolder(std::string targetPath);

// Whether a run may make a target folder that is not there: never (a run without a window:
// a USB disk unplugged would be taken for a folder to make on whatever answers at its letter),
// or where its drive or share is there (the window's user just chose or typed it).
enum class MakeTarget { Never, WhereItsDriveIsThere };

// Hears how each file fared, as the run goes.
class BackupReporter {
public:
    virtual ~BackupReporter() = default;
    virtual void FileDone(const FileResult& file) = 0;
};

// The run itself: copies every entry below the target path, in list order, and tells the
// reporter of each. Before a copy takes its name, the destination is in the target's record
// of copies. A listed file is never a destination, and no destination is written from two
// sources in one run. The window, where there is one, keeps painting while large files are
// copied; input waits until the run ends.
// With `skipUnchanged`, a listed file whose copy has its size and its last-write time is left
// alone: nothing is written for it. The times must be equal, except where the target's file
// system keeps them coarsely (FAT: to 2 s, exFAT: to 10 ms): there they may be that far apart,
// but only for a copy made more than that long after the source's last write (else a write
// just after the copy would never be seen).
// A target that is not there (see MakeTarget) ends the run before anything is done.
// With `keep` above 0, an earlier copy that a changed file replaces is kept as a version,
// and versions of that file beyond the `keep` newest go.
// Without `checksums` (only to measure what they cost) no copy's checksum is taken unless
// `verify` needs it. With `verify`, each new copy is read back from the disk before it takes its name (see
// CopyWay::verify).
BackupResult BackUpEntries(const std::string& targetPath, const std::vector<std::string>& entries,
                           Disk& disk, EventPump* pump, BackupReporter& reporter,
                           bool skipUnchanged = false, int keep = 0,
                           MakeTarget making = MakeTarget::WhereItsDriveIsThere,
                           bool verify = false, bool checksums = true);

// Opens the folder dialog and makes its answer the target path; a cancel empties it.
void ChooseTargetPath(AppState& state, Screen& screen);

// The window's box for a file that was not copied: its name, then why.
std::string BoxText(const FileResult& file);

// The backup button: copies every listed file below the target path, one box per file that
// cannot be copied, and says at the end how it went.
BackupResult RunBackup(AppState& state, Disk& disk, Screen& screen);

} // namespace vintrel
