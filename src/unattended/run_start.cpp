#include "unattended/run_start.h"

#include "app/paths.h"

namespace vintrel {

std::string RunFolder(const CommandLine& line, Disk& disk, const UnattendedSetting& setting) {
    const bool named = !line.folder.empty() &&
                       (line.mode != CommandLine::Mode::Invalid || IsFolder(disk, line.folder));
    return WithFinalSeparator(named ? line.folder : setting.currentDirectory);
}

RunStart StartRun(const UnattendedSetting& setting, Disk& disk, RunLog& log,
                  const std::string& folder, const std::string& asked, bool finishRestore,
                  const std::string& notUnderstood) {
    RunStart start;
    // Runs over one profile take turns: one that waited in vain only adds its word.
    if (setting.waitForTurn && !setting.waitForTurn(TurnPath(folder))) {
        log.Open(false);
        log.Line(setting.localTime + " another run over this profile has not ended for a minute");
        start.nothingDone = "another run over the profile is still going on";
        return start;
    }
    start.turnHeld = true;
    log.Open(true);
    if (!notUnderstood.empty()) {
        log.Line(setting.localTime + " command line not understood");
        start.nothingDone = notUnderstood;
        return start;
    }
    InitSharedState(start.state, &folder);
    start.header = setting.localTime + " " + asked + " with the profile " + ProfilePath(start.state);
    log.Line(start.header);
    start.nothingDone = WhyNoProfile(start.state, disk, start.contents);
    if (!start.nothingDone && finishRestore) start.nothingDone = FinishRestore(disk, folder, log);
    return start;
}

int NothingDone(RunLog& log, const std::string& why) {
    log.Final("Nothing was done: " + why + ".");
    log.Close();
    return kNothingDone;
}

} // namespace vintrel
