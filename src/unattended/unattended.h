// A backup without a window, as the Task Scheduler starts it: the profile's list is copied
// below its target by the same run as the button's, each file's outcome written to a log.
#pragma once

#include <functional>
#include <string>

#include "app/disk.h"
#include "backup/backup.h"
#include "unattended/command_line.h"

namespace vintrel {

inline constexpr const char* kLogFileName = "Vintrel Backup.log";
inline constexpr const char* kLogTemporaryName = "Vintrel Backup.tmp";
// The log is cut back to three quarters of this, oldest lines first, when it would grow
// past it.
inline constexpr std::size_t kLogLimit = 1000000;

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
};

// The words for how a file fared: "copied", or "not copied: " and why.
std::string OutcomeText(const FileResult& file);

// The log after `lines` are added: the oldest lines go once it would pass the limit.
std::string AppendToLog(const std::string& log, const std::string& lines);

// Runs a backup, or a search and a backup, as the command line asks, and gives the exit code.
int RunScheduledBackup(const CommandLine& line, Disk& disk, const UnattendedSetting& setting);

} // namespace vintrel
