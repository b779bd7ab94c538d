// What a run without a window leaves for the user besides its log, who seldom reads it: its
// outcome beside the profile, which the window tells, and an entry in the event log.
#include "unattended/unattended.h"

#include <vector>

#include "app/state.h"
#include "profile/profile.h"
#include "unattended/run_log.h"

namespace vintrel {

void TellRunOutcome(const UnattendedSetting& setting, Disk& disk, const std::string& folder,
                    const LastRun& run, bool turnHeld) {
    std::vector<std::string> lines;
    // Another run that holds the turn may be writing it meanwhile.
    if (turnHeld && !RecordLastRun(disk, folder, run)) {
        lines.push_back("The outcome could not be written to " + folder + kLastRunFileName + ".");
    }
    if (run.exitCode != kAllCopied && setting.reportEvent) {
        const std::string text = RunOutcomeText(run) + " The profile: " + folder +
                                 kProfileFileName + ". The log " + folder + kLogFileName +
                                 " says which files and why.";
        lines.push_back(setting.reportEvent(run.exitCode == kNothingDone, text)
                            ? "Written to the Windows event log (Application, source Vintrel)."
                            : "The Windows event log could not be written.");
    }
    if (lines.empty()) return;
    RunLog log(setting, disk, folder);
    log.Open(false);
    for (const std::string& line : lines)
        log.Line(line);
    log.Close();
}

} // namespace vintrel
