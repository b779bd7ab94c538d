// How every run without a window begins, written once for the backup, the restore and the
// check: its folder, the profile's turn, the log opened, a dated first line, and the profile
// read or the reason there is none.
#pragma once

#include <optional>
#include <string>

#include "app/disk.h"
#include "app/state.h"
#include "profile/profile.h"
#include "unattended/command_line.h"
#include "unattended/run_log.h"
#include "unattended/unattended.h"

namespace vintrel {

// The file runs over one profile take turns by, beside the profile: one run at a time holds it
// open, so that the runs of every user, and of every machine that shares the folder, see it.
// The folder ends in its separator, as a run's folder always does.
inline std::string TurnPath(const std::string& folder) {
    return folder + "Vintrel Profile.lock";
}

// The folder of the profile a command line names, with its final separator: the one named, else
// the current directory. A line not understood is logged beside the profile it names only where
// that folder is there.
std::string RunFolder(const CommandLine& line, Disk& disk, const UnattendedSetting& setting);

// A run as it began.
struct RunStart {
    bool turnHeld = false;
    std::string header;  // its dated first line, once the turn is held
    AppState state;      // with the profile's folder as its start-up directory
    ProfileContents contents;
    std::optional<std::string> nothingDone; // why the run must do nothing; empty: it goes on
};

// Begins a run in `folder`: waits for the profile's turn and opens the log (cut only with the
// turn held), then writes `asked` as a dated line ("<time> <asked> with the profile <path>")
// and reads the profile. Every run's first line is dated, also one that waited in vain, so
// that a cut log keeps it apart from the run before. `notUnderstood`, where not empty, is why
// the command line is refused; `finishRestore` puts right a restore left unfinished first.
RunStart StartRun(const UnattendedSetting& setting, Disk& disk, RunLog& log,
                  const std::string& folder, const std::string& asked, bool finishRestore,
                  const std::string& notUnderstood = "");

// Ends a run that does nothing, saying why: the exit code kNothingDone.
int NothingDone(RunLog& log, const std::string& why);

// Finishes or undoes a restore that ended before its last step, as the note it left beside the
// profile in `folder` says, and logs what was done; nothing when there is no such note or it is
// put right, else why it is not (the run then does nothing: a file a mail program made anew in
// the mailbox's place must not be backed up over the good copy).
std::optional<std::string> FinishRestore(Disk& disk, const std::string& folder, RunLog& log);

} // namespace vintrel
