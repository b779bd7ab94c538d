// What the last run without a window did, kept beside the profile: nobody reads the Task
// Scheduler's exit codes or the log, so the window says it when a scheduled backup failed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "app/disk.h"
#include "app/screen.h"
#include "app/state.h"

namespace vintrel {

inline constexpr const char* kLogFileName = "Vintrel Backup.log";
inline constexpr const char* kLastRunFileName = "Vintrel Last Run.txt";
inline constexpr const char* kLastRunTemporaryName = "Vintrel Last Run.tmp";
// A file of that name larger than this is none of ours: it is not read.
inline constexpr std::uint64_t kLastRunLimit = 4096;
// The window speaks when no run has backed up every file for longer than this.
inline constexpr std::int64_t kQuietSeconds = 3 * 24 * 3600;

struct LastRun {
    std::string time; // local, as the log has it: "2026-12-08 14:03:05"
    int exitCode = 0;
    std::size_t copied = 0; // copied or unchanged
    std::size_t total = 0;
    std::string lastSuccess; // the newest run that backed up every file; empty where unknown
    std::string told;        // the time of the run the window has told of
};

// Writes the file whole in place of the old one, keeping the old one's last success unless
// this run is one; false when it could not be written.
bool RecordLastRun(Disk& disk, const std::string& folder, LastRun run);

// Of a run that did not back up every file: "The scheduled backup of 2026-12-08 14:03:05 did
// not back up every file: 1 of 2 ...".
std::string RunOutcomeText(const LastRun& run);
// The window's word, in a box, on the last run over its profile; the file then notes that it
// was told, so that each run is told of once.
void TellLastRun(const AppState& state, Disk& disk, Dialogs& dialogs, const std::string& now);

} // namespace vintrel
