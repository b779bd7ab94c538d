// The command line of a scheduled backup. Without arguments the program opens its window.
#pragma once

#include <string>
#include <vector>

namespace vintrel {

struct CommandLine {
    enum class Mode {
        Window,  // no arguments, or a first one that is no switch
        Backup,  // /backup [FOLDER], or /search /backup [FOLDER]
        Usage,   // /?
        Restore, // /restore FILE [/from STAMP] [/to FOLDER] [/force] [FOLDER]
        Check,   // /check [FOLDER]: the copies below the target checked against their record
        Invalid, // anything else: an unknown or misplaced argument
    };
    Mode mode = Mode::Window;
    bool search = false;
    bool all = false;    // /all: unchanged files are copied too
    bool verify = false; // /verify: each new copy is read back from the disk before it is kept
    bool force = false;  // /force: a restore goes on from a copy that differs from its checksum
    int keep = 0;        // /keep N: earlier copies kept as versions, the N newest of each file
    int wait = 0;        // /wait M: minutes to wait for files another program holds
    std::string folder;  // where the profile is; empty: the current directory (with Invalid too,
                         // where the line names one)
    std::string problem; // with Invalid: the argument at fault
    std::string problemRange; // with Invalid: a number out of range, the switch and its range
    std::string restoreFile;  // with Restore: the listed file to bring back
    std::string restoreStamp; // /from: the kept version's time ("20261208-140305", or with its
                              // number "20261208-140305-2"); empty: the copy
    std::string restoreTo;    // /to: the folder it goes to; empty: its own place
};

// Switches are case-insensitive, and "-" works like "/". Only a first argument that begins
// with one of them runs without a window. The arguments come without the program's own name.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// Fits a console of 80 columns.
inline constexpr const char* kUsageText =
    "Vintrel backs up the mail and address books of Outlook and Outlook Express.\r\n"
    "\r\n"
    "  vintrel.exe                  opens the window\r\n"
    "  vintrel.exe /backup [FOLDER] copies every file listed in the profile below\r\n"
    "                               its target, without a window; a target folder\r\n"
    "                               that is not there is never made: the run exits\r\n"
    "                               with 2 (is the disk connected?)\r\n"
    "  vintrel.exe /search /backup [FOLDER]\r\n"
    "                               searches drive C: first and saves the new list\r\n"
    "  /all (after /backup)         copies unchanged files too: without it, a file\r\n"
    "                               is left alone only when its copy has its size\r\n"
    "                               and exactly its last-write time (on a FAT\r\n"
    "                               target within 2 seconds, on exFAT within 10 ms,\r\n"
    "                               and only when the copy was made later than that\r\n"
    "                               after the write)\r\n"
    "  /keep N (after /backup)      keeps the N newest earlier copies (0 to 99) of\r\n"
    "                               each file as <name>.<YYYYMMDD-HHMMSS>Z.bak\r\n"
    "                               beside it (UTC)\r\n"
    "  /verify (after /backup)      reads each new copy back from the disk, past\r\n"
    "                               the system's cache, before it replaces the\r\n"
    "                               earlier copy: one that reads otherwise is not\r\n"
    "                               kept (\"the copy read back differs\", exit 1)\r\n"
    "  /wait M (after /backup)      tries the files another program holds again,\r\n"
    "                               first after about 5 seconds, then every minute,\r\n"
    "                               until M minutes (0 to 1440) have passed since\r\n"
    "                               the run began; while it sleeps, other runs over\r\n"
    "                               the profile may take their turn\r\n"
    "  vintrel.exe /check [FOLDER]  reads every copy below the profile's target\r\n"
    "                               from the disk, past the system's cache, and\r\n"
    "                               compares it with the checksum its record keeps;\r\n"
    "                               exit 1 when one differs, is missing, was\r\n"
    "                               changed since it was made, or has no checksum\r\n"
    "                               to compare (a /backup /all gives it one)\r\n"
    "  vintrel.exe /restore FILE [/from STAMP] [/to TOFOLDER] [/force]\r\n"
    "              [PROFILEFOLDER]\r\n"
    "                               copies the backup of a listed FILE back to it\r\n"
    "                               (or into TOFOLDER, never the copy's own), or\r\n"
    "                               with /from the version <name>.<STAMP>Z.bak; the\r\n"
    "                               file it replaces is kept as a version, under\r\n"
    "                               the next free name (<name>.<time>Z-2.bak) where\r\n"
    "                               its own is taken; close the mail program first.\r\n"
    "                               A restore cut short is finished or undone by\r\n"
    "                               the next run over the profile, as the note\r\n"
    "                               \"Vintrel Restore.txt\" beside the profile says.\r\n"
    "                               A copy that differs from the checksum recorded\r\n"
    "                               when it was made is restored only with /force.\r\n"
    "  vintrel.exe /?               shows this text\r\n"
    "\r\n"
    "The profile is \"Vintrel Profile.txt\" in FOLDER, or in the current directory;\r\n"
    "the log, \"Vintrel Backup.log\", is kept beside it, for a wrong argument too\r\n"
    "where the line names the folder; a run writes at most about 200 KB to it.\r\n"
    "The window's button copies every file and keeps no versions; it takes its\r\n"
    "turn as these runs do, without waiting: another run going on is said in a box.\r\n"
    "Exit codes: 0 every listed file was copied or left unchanged; 1 one or more\r\n"
    "were not, or the log could not be written; 2 nothing could be done (no\r\n"
    "profile, an unreadable one, no target, an empty list, a wrong argument or a\r\n"
    "number out of range, another run over the profile still going on, a restore\r\n"
    "cut short that cannot be put right yet, a target folder that is not there).\r\n"
    "Each /backup run keeps its outcome in \"Vintrel Last Run.txt\" beside the\r\n"
    "profile; the window says when the last run failed, or when none has\r\n"
    "succeeded for 3 days. A run that did not copy every file also leaves a\r\n"
    "warning (exit code 1) or an error (2) in the Windows Application event log,\r\n"
    "source Vintrel.\r\n";

} // namespace vintrel
