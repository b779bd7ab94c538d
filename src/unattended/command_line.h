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
        Restore, // /restore FILE [/from STAMP] [/to FOLDER] [FOLDER]
        Invalid, // anything else: an unknown or misplaced argument
    };
    Mode mode = Mode::Window;
    bool search = false;
    bool all = false;    // /all: unchanged files are copied too
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
    "                               its target, without a window\r\n"
    "  vintrel.exe /search /backup [FOLDER]\r\n"
    "                               searches drive C: first and saves the new list\r\n"
    "  /all (after /backup)         copies unchanged files too: without it, a file\r\n"
    "                               whose copy has its size and time (within 2\r\n"
    "                               seconds) is left alone\r\n"
    "  /keep N (after /backup)      keeps the N newest earlier copies (0 to 99) of\r\n"
    "                               each file as <name>.<YYYYMMDD-HHMMSS>Z.bak\r\n"
    "                               beside it (UTC)\r\n"
    "  /wait M (after /backup)      tries the files another program holds again\r\n"
    "                               until M minutes (0 to 1440) have passed since\r\n"
    "                               the run began\r\n"
    "  vintrel.exe /restore FILE [/from STAMP] [/to FOLDER] [FOLDER]\r\n"
    "                               copies the backup of a listed FILE back to it\r\n"
    "                               (or into FOLDER), or with /from the version\r\n"
    "                               <name>.<STAMP>Z.bak; the file it replaces is\r\n"
    "                               kept as a version; close the mail program first\r\n"
    "  vintrel.exe /?               shows this text\r\n"
    "\r\n"
    "The profile is \"Vintrel Profile.txt\" in FOLDER, or in the current directory;\r\n"
    "the log, \"Vintrel Backup.log\", is kept beside it.\r\n"
    "Exit codes: 0 every listed file was copied; 1 one or more were not, or the\r\n"
    "log could not be written; 2 nothing could be done (no profile, an unreadable\r\n"
    "one, no target, an empty list, a wrong argument, another run over the profile\r\n"
    "still going on).\r\n";

} // namespace vintrel
