// The runs without a window, as the Task Scheduler starts them: a backup (the profile's list
// copied below its target by the same run as the button's), a restore and a check, each
// file's outcome written to a log.
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

// The note a restore keeps beside the profile while it works, and the name it is written under
// first.
inline constexpr const char* kRestoreNoteName = "Vintrel Restore.txt";
inline constexpr const char* kRestoreNoteTemporaryName = "Vintrel Restore.tmp";
// Far more than a note of ours ever holds: six lines, four of them paths.
inline constexpr std::uint64_t kRestoreNoteLimit = 1024 * 1024;

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

// Runs what the command line asks, without a window: a backup (or a search and a backup), a
// restore or a check; gives the exit code. The log and its words are in run_log.h.
int RunWithoutWindow(const CommandLine& line, Disk& disk, const UnattendedSetting& setting);

// The backup, or search and backup, the command line asks: its outcome is left beside the
// profile and, where it did not back up every file, in the event log.
int RunBackup(const CommandLine& line, Disk& disk, const UnattendedSetting& setting);

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
