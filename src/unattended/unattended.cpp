#include "unattended/unattended.h"

#include "unattended/run_log.h"

#include <algorithm>
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

// The files another program held are tried again, first after a few seconds and then every
// minute, until each is copied or `minutes` have passed since the run began. While it sleeps
// the run lets go of its turn and of the log, and takes them again after (the log marked with
// `header` where another run wrote meanwhile); a turn not had back within a minute ends the wait,
// and `turnHeld` is then false.
void WaitForFilesInUse(const std::string& targetPath, const std::vector<std::string>& entries,
                       int minutes, std::uint32_t began, Disk& disk, RunLog& log,
                       const UnattendedSetting& setting, BackupResult& result, bool all, int keep,
                       bool verify,
                       const std::string& turn, const std::string& header, bool& turnHeld) {
    if (!setting.milliseconds || !setting.sleep) return;
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
        const std::uint32_t passed = setting.milliseconds() - began;
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
        const BackupResult retried = BackUpEntries(targetPath, again, disk, nullptr, log, !all,
                                                   keep, MakeTarget::Never, verify);
        // The target went meanwhile: the files stay as they were, in use.
        if (retried.targetMissing) return;
        for (std::size_t k = 0; k < held.size(); ++k)
            result.files[held[k]] = retried.files[k];
    }
}

} // namespace

std::string OutcomeText(const FileResult& file) {
    switch (file.outcome) {
    case CopyOutcome::Copied:
        return (file.damage.empty()
                    ? std::string("copied")
                    : "copied, but it looks damaged (" + file.damage +
                          "), and no earlier copy that looks whole was there to keep") +
               (file.notKept.empty() ? "" : "; previous copy not kept: " + file.notKept);
    case CopyOutcome::ChangedCopy:
        return "not copied: it would overwrite a changed file, " + file.other +
               ", which is no longer the copy made there";
    case CopyOutcome::TrimmedName:
        return "not copied: a name on its copy's path ends in a dot or a space, which Windows "
               "drops";
    case CopyOutcome::LooksDamaged:
        return "not copied: it looks damaged: the last good copy is kept" +
               (file.damage.empty() ? std::string() : " (" + file.damage + ")");
    case CopyOutcome::ReadBackDiffers:
        return "not copied: the copy read back differs from what was written; the earlier copy "
               "is kept";
    case CopyOutcome::Unchanged:
        return "unchanged";
    case CopyOutcome::SourceMissing:
        return "not copied: the source is missing";
    case CopyOutcome::InUse:
        return "not copied: the file is in use by " +
               (file.holder.empty() ? std::string("another program") : file.holder);
    case CopyOutcome::AccessDenied:
        return "not copied: access is denied";
    case CopyOutcome::DiskFull:
        return "not copied: the target disk is full";
    case CopyOutcome::TooLarge:
        return "not copied: the file is too large for the target drive's file system";
    case CopyOutcome::PathTooLong:
        return "not copied: the destination path has 256 characters or more";
    case CopyOutcome::OntoItself:
        return "not copied: it would be copied onto itself";
    case CopyOutcome::SourceChanged:
        return "not copied: the source changed while it was copied";
    case CopyOutcome::OverwritesListed:
        return "not copied: it would overwrite another listed file, " + file.other;
    case CopyOutcome::SameDestination:
        return "not copied: another listed file was copied to the same place, " + file.other;
    case CopyOutcome::OutsideTarget:
        return "not copied: its destination is no file below the target folder";
    case CopyOutcome::ThroughLink:
        return "not copied: a link below the target folder leads elsewhere, and is not written "
               "through";
    case CopyOutcome::LinkSwappedIn:
        return "not copied: a folder on the way became a link while it was copied, and nothing "
               "was left written through it";
    case CopyOutcome::PathNotFound:
        return "not copied: the path to its copy is not there (is the target's drive or share "
               "missing?)";
    case CopyOutcome::FileInTheWay:
        return "not copied: a file stands where a folder on the way to its copy goes";
    case CopyOutcome::NotRecorded:
        return "not copied: the target folder's record of its copies cannot be read or written" +
               (file.detail.empty() ? std::string() : ": " + file.detail);
    case CopyOutcome::NoSpace:
        return "not copied: not enough space on the target" +
               (file.detail.empty() ? std::string() : " (" + file.detail + ")");
    case CopyOutcome::EarlierCopyHeld:
        return "not copied: the earlier copy is open in another program" +
               (file.holder.empty() ? std::string() : " (" + file.holder + ")") +
               "; close it and try again";
    case CopyOutcome::Failed:
        break;
    }
    return "not copied: source, target or disk error";
}

namespace {

// Whether the text at `at` begins as a run's first line does: with its date ("2026-12-08").
bool BeginsWithYear(const std::string& text, std::size_t at) {
    return MatchesDigits(text, at, "0000-");
}

} // namespace

std::string CutLog(const std::string& log) {
    if (log.size() <= kLogLimit / 2) return log;
    // The newest half of the limit, from the first run's first line in it, or else from the
    // first whole line.
    const std::size_t from = log.size() - kLogLimit / 2;
    std::size_t line = log.find('\n', from - 1);
    for (std::size_t at = line; at != std::string::npos; at = log.find('\n', at + 1)) {
        if (BeginsWithYear(log, at + 1)) {
            line = at;
            break;
        }
    }
    return line == std::string::npos ? std::string() : log.substr(line + 1);
}

namespace {

// The backup or search and backup in `folder`; `run` gets its counts, `turnHeld` whether it
// held the turn.
int BackUpAsAsked(const CommandLine& line, Disk& disk, const UnattendedSetting& setting,
                  const std::string& folder, LastRun& run, bool& turnHeld) {
    const std::uint32_t began = setting.milliseconds ? setting.milliseconds() : 0;
    RunLog log(setting, disk, folder);
    // Runs over one profile take turns: one that waited in vain only adds its word.
    if (setting.waitForTurn && !setting.waitForTurn(TurnPath(folder))) {
        log.Open(false);
        log.Line(setting.localTime + " another run over this profile has not ended for a minute");
        return NothingDone(log, "another run over the profile is still going on");
    }
    turnHeld = true;
    log.Open(true);
    const std::string asked = line.search ? "search and backup" : "backup";
    if (line.mode == CommandLine::Mode::Invalid) {
        log.Line(setting.localTime + " command line not understood");
        return NothingDone(log, "\"" + line.problem + "\" is " +
                                    (line.problemRange.empty()
                                         ? "an unknown or misplaced argument"
                                         : "out of range for " + line.problemRange));
    }
    AppState state;
    InitSharedState(state, &folder);
    const std::string header = setting.localTime + " " + asked + " with the profile " +
                               ProfilePath(state);
    log.Line(header);

    ProfileContents contents;
    if (const std::optional<std::string> why = WhyNoProfile(state, disk, contents)) {
        return NothingDone(log, *why);
    }
    if (const std::optional<std::string> why = FinishRestore(disk, folder, log)) {
        return NothingDone(log, *why);
    }
    state.targetPath = contents.targetPath;
    state.profileList = contents.entries;

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
            log.Line("  " + path + ": a backup copy changed since it was made (was it opened in "
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
    BackupResult result = BackUpEntries(state.targetPath, state.profileList, disk, nullptr, log,
                                        !line.all, line.keep, MakeTarget::Never, line.verify);
    if (result.targetMissing) return NothingDone(log, TargetMissingText(state.targetPath));
    if (!result.recordNotSettled.empty()) {
        log.Line(std::string(kRecordNotSettledText) + ": " + result.recordNotSettled);
    }
    if (line.wait > 0) {
        WaitForFilesInUse(state.targetPath, state.profileList, line.wait, began, disk, log, setting,
                          result, line.all, line.keep, line.verify, TurnPath(folder),
                          header + ", going on after its wait", turnHeld);
    }
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

int RunScheduledBackup(const CommandLine& line, Disk& disk, const UnattendedSetting& setting) {
    if (line.mode == CommandLine::Mode::Restore) return RunRestore(line, disk, setting);
    if (line.mode == CommandLine::Mode::Check) return RunCheck(line, disk, setting);
    // A line not understood is logged beside the profile it names, where that folder is there.
    const bool named = !line.folder.empty() &&
                       (line.mode != CommandLine::Mode::Invalid ||
                        (disk.Attributes(line.folder).value_or(0) & kAttributeDirectory));
    const std::string folder = WithFinalSeparator(named ? line.folder : setting.currentDirectory);
    LastRun run;
    run.time = setting.localTime;
    bool turnHeld = false;
    run.exitCode = BackUpAsAsked(line, disk, setting, folder, run, turnHeld);
    TellRunOutcome(setting, disk, folder, run, turnHeld);
    return run.exitCode;
}

} // namespace vintrel
