#include "unattended/unattended.h"

#include "unattended/run_log.h"
#include "unattended/run_start.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "app/paths.h"
#include "app/probe.h"
#include "app/state.h"
#include "app/texts.h"
#include "discovery/search.h"
#include "profile/profile.h"
#include "profile/profile_format.h"

namespace vintrel {

namespace {

// The files another program held are tried again, as the first pass tried them
// (`skipUnchanged` alike), first after a few seconds and then every minute, until each is
// copied or `minutes` have passed since the run began (with 0, none is tried again). While it
// sleeps the run lets go of its turn and of the log, and takes them again after (the log
// marked with `header` where another run wrote meanwhile); a turn not had back within a minute
// ends the wait, and `turnHeld` is then false.
void WaitForFilesInUse(const std::string& targetPath, const std::vector<std::string>& entries,
                       int minutes, const std::optional<std::uint32_t>& began, Disk& disk,
                       RunLog& log, const UnattendedSetting& setting, BackupResult& result,
                       bool skipUnchanged, int keep, bool verify, const std::string& turn,
                       const std::string& header, bool& turnHeld) {
    if (!began || !setting.sleep) return;
    const std::uint32_t allowed = static_cast<std::uint32_t>(minutes) * 60000;
    std::uint64_t pause = 5000;
    for (;;) {
        std::vector<std::size_t> held;
        std::string names;
        for (std::size_t i = 0; i < result.files.size(); ++i) {
            const FileResult& file = result.files[i];
            if (file.outcome != CopyOutcome::InUse) continue;
            held.push_back(i);
            names += (names.empty() ? "" : "; ") + file.source +
                     (file.holder.empty() ? "" : ", held by " + file.holder);
        }
        // Taken modulo 2^32, the time since the run began is right across the clock's wrap.
        const std::uint32_t passed = setting.milliseconds() - *began;
        if (held.empty() || passed >= allowed) return;
        log.Line("waiting for " + std::to_string(held.size()) +
                 (held.size() == 1 ? " file" : " files") + " in use: " + names);
        const bool letGo = setting.releaseTurn && setting.waitForTurn;
        if (letGo) {
            log.Pause();
            setting.releaseTurn();
        }
        setting.sleep(std::min<std::uint64_t>(pause, allowed - passed));
        pause = 60000;
        if (letGo) {
            const bool back = setting.waitForTurn(turn);
            log.Resume(header);
            if (!back) {
                turnHeld = false; // the run that has it writes the outcome, not this one
                log.Line("another run over this profile took its turn during the wait and has "
                         "not ended for a minute: the wait ends here");
                return;
            }
        }
        std::vector<std::string> again;
        for (const std::size_t i : held)
            again.push_back(entries[i]);
        const BackupResult retried = BackUpEntries(targetPath, again, disk, nullptr, log, skipUnchanged,
                                                   keep, MakeTarget::Never, verify);
        // The target went meanwhile: the files stay as they were, in use.
        if (retried.targetMissing) return;
        // As after the first pass: a record left unsettled names copies it does not know.
        if (!retried.recordNotSettled.empty()) {
            log.Line(std::string(kRecordNotSettledText) + ": " + retried.recordNotSettled);
        }
        for (std::size_t k = 0; k < held.size(); ++k)
            result.files[held[k]] = retried.files[k];
    }
}

} // namespace

namespace {

// The backup or search and backup in `folder`; `run` gets its counts, `turnHeld` whether it
// held the turn.
int BackUpAsAsked(const CommandLine& line, Disk& disk, const UnattendedSetting& setting,
                  const std::string& folder, LastRun& run, bool& turnHeld) {
    // Where there is no clock to tell the minutes by, there is no wait.
    const std::optional<std::uint32_t> began =
        setting.milliseconds ? std::optional(setting.milliseconds()) : std::nullopt;
    RunLog log(setting, disk, folder);
    const std::string notUnderstood =
        line.mode != CommandLine::Mode::Invalid
            ? ""
            : "\"" + line.problem + "\" is " +
                  (line.problemRange.empty() ? "an unknown or misplaced argument"
                                             : "out of range for " + line.problemRange);
    RunStart start = StartRun(setting, disk, log, folder,
                              line.search ? "search and backup" : "backup", true, notUnderstood);
    turnHeld = start.turnHeld;
    if (start.nothingDone) return NothingDone(log, *start.nothingDone);
    AppState& state = start.state;
    const std::string& header = start.header;
    state.targetPath = start.contents.targetPath;
    state.profileList = start.contents.entries;

    bool profileSaved = true;
    if (line.search) {
        const SearchResult found = SearchDataFiles(state, disk, nullptr, nullptr, "C:");
        for (const LeftOutName& name : found.leftOut) {
            log.Line("  " + name.path + ": left out of the list: " +
                     (name.why == LeftOutWhy::CodePage
                          ? "Windows' ANSI code page cannot hold its name"
                          : "no Windows path can spell its name (a line break, \"|\", \":\", "
                            "a final dot or a device's name such as NUL)"));
        }
        for (const std::string& path : found.changedCopies) {
            log.Line("  " + path +
                     ": a backup copy changed since it was made (was it opened in "
                     "a mail program?), or a link: listed as mail");
        }
        if (state.profileList.empty()) return NothingDone(log, "the search found no file");
        profileSaved = WriteProfile(state, disk) == ProfileSave::Saved;
        log.Line(profileSaved ? "The search found " + std::to_string(state.profileList.size()) +
                                    " files; the profile now lists them."
                              : "The profile could not be saved with the new list.");
    } else if (state.profileList.empty()) {
        return NothingDone(log, "the profile lists no file");
    }

    // A target that is not there is never made by a run without a window: a disk unplugged
    // would be taken for a folder to make on whatever answers at its letter now.
    const bool skipUnchanged = !line.all;
    BackupResult result = BackUpEntries(state.targetPath, state.profileList, disk, nullptr, log,
                                        skipUnchanged, line.keep, MakeTarget::Never, line.verify);
    if (result.targetMissing) return NothingDone(log, TargetMissingText(state.targetPath));
    if (!result.recordNotSettled.empty()) {
        log.Line(std::string(kRecordNotSettledText) + ": " + result.recordNotSettled);
    }
    WaitForFilesInUse(state.targetPath, state.profileList, line.wait, began, disk, log, setting,
                      result, skipUnchanged, line.keep, line.verify, TurnPath(folder),
                      header + ", going on after its wait", turnHeld);
    const std::size_t copied = result.files.size() - result.Failed();
    run.copied = copied;
    run.total = result.files.size();
    log.Final(std::to_string(copied) + " of " + std::to_string(result.files.size()) +
              (result.Unchanged() > 0 ? " files copied or unchanged" : " files copied"));
    // A log that could not be written is no full success: nobody could see what happened.
    const bool logged = log.Close();
    return copied == result.files.size() && profileSaved && logged ? kAllCopied : kSomeNotCopied;
}

} // namespace

int RunWithoutWindow(const CommandLine& line, Disk& disk, const UnattendedSetting& setting) {
    if (line.mode == CommandLine::Mode::Restore) return RunRestore(line, disk, setting);
    if (line.mode == CommandLine::Mode::Check) return RunCheck(line, disk, setting);
    return RunBackup(line, disk, setting);
}

int RunBackup(const CommandLine& line, Disk& disk, const UnattendedSetting& setting) {
    const std::string folder = RunFolder(line, disk, setting);
    LastRun run;
    run.time = setting.localTime;
    bool turnHeld = false;
    run.exitCode = BackUpAsAsked(line, disk, setting, folder, run, turnHeld);
    TellRunOutcome(setting, disk, folder, run, turnHeld);
    return run.exitCode;
}

} // namespace vintrel
