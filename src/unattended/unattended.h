// A backup without a window, as the Task Scheduler starts it: the profile's list is copied
// below its target by the same run as the button's, each file's outcome written to a log.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "app/disk.h"
#include "app/last_run.h"
#include "backup/backup.h"
#include "unattended/command_line.h"

namespace vintrel {

inline constexpr const char* kLogTemporaryName = "Vintrel Backup.tmp";
// The note a restore keeps beside the profile while it works, and the name it is written under
// first.
inline constexpr const char* kRestoreNoteName = "Vintrel Restore.txt";
inline constexpr const char* kRestoreNoteTemporaryName = "Vintrel Restore.tmp";
// A log that has grown past three quarters of this is cut back to its newest half before a
// run adds to it.
inline constexpr std::size_t kLogLimit = 1000000;
// What one run writes to the log at most, its last lines aside: the lines of files that went
// well only up to half of it.
inline constexpr std::size_t kRunLogShare = kLogLimit / 5;

// Exit codes.
inline constexpr int kAllCopied = 0;
inline constexpr int kSomeNotCopied = 1;
inline constexpr int kNothingDone = 2;

// What the platform tells the run.
struct UnattendedSetting {
    std::string currentDirectory;
    std::string localTime; // "2026-12-08 14:03:05"
    // Each line of the log also goes here (to the console that started the program).
    std::function<void(const std::string& line)> echo;
    // Waits until no other run holds the turn file at that path, up to a minute, and holds it
    // for the rest of this run; false when the wait was in vain. Runs over one profile take
    // turns.
    std::function<bool(const std::string& path)> waitForTurn;
    // Lets go of the turn taken, before the run sleeps in its wait for files in use; it is
    // then taken again by waitForTurn.
    std::function<void()> releaseTurn;
    // A clock in milliseconds that wraps round after 2^32 (every Windows has such a clock;
    // only differences are taken, modulo 2^32), and a sleep of the whole process (no CPU)
    // while files in use are waited for.
    std::function<std::uint32_t()> milliseconds;
    std::function<void(std::uint64_t ms)> sleep;
    // Writes one entry to the system's event log, a warning or (`error`) an error; false when
    // it could not be written. Each run that did not back up every file leaves one.
    std::function<bool(bool error, const std::string& text)> reportEvent;
};

// The words for how a file fared: "copied", or "not copied: " and why.
std::string OutcomeText(const FileResult& file);

// The newest part of a log, half the limit at most, from the first run's header in it (a line
// that begins with the date): a run's lines are kept with its header.
std::string CutLog(const std::string& log);

// Runs a backup, or a search and a backup, or a restore, as the command line asks, and gives
// the exit code.
int RunScheduledBackup(const CommandLine& line, Disk& disk, const UnattendedSetting& setting);

// What a backup run leaves when it has ended: its outcome beside the profile (only a run that
// held the turn writes it), and an entry in the event log where it did not back up every file;
// a failure of either is added to the log.
void TellRunOutcome(const UnattendedSetting& setting, Disk& disk, const std::string& folder,
                    const LastRun& run, bool turnHeld);

// Brings the copy of a listed file, or a kept version of it, back to its place or into a
// folder: 0 restored, 1 not (in use, or a step failed; nothing lost), 2 nothing to restore.
int RunRestore(const CommandLine& line, Disk& disk, const UnattendedSetting& setting);

// Reads every copy the record below the profile's target names, past
// the system's cache, and compares it with the state it was made with; writes nothing there.
// 0 every copy with a checksum is as made, 1 one is not (damaged, missing, changed or a link),
// 2 nothing to check (no profile, no target, no record).
int RunCheck(const CommandLine& line, Disk& disk, const UnattendedSetting& setting);

// Before the window's backup, with the profile's turn held: a restore that a run without a
// window left unfinished beside the profile in `folder` is finished or undone, and said in the
// log; why the backup must not run (it cannot be put right yet), or nothing.
std::optional<std::string> FinishRestoreBeforeWindowBackup(Disk& disk, const std::string& folder,
                                                           const std::string& localTime);

} // namespace vintrel
