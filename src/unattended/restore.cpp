// Bringing a copy, or a kept version, back to its place: by the same whole-file copy as the
// backup, the file it replaces kept beside it as a version, never while a program holds either.
#include "unattended/unattended.h"

#include "app/file_list.h"
#include "app/paths.h"
#include "app/probe.h"
#include "profile/profile.h"
#include "unattended/run_log.h"

namespace vintrel {

namespace {

// Why it was not restored, in the log's words.
int NotRestored(RunLog& log, const std::string& file, const std::string& why) {
    log.Line("  " + file + ": not restored: " + why);
    log.Close();
    return kSomeNotCopied;
}

// The program holding a file where the system can tell, or "another program"; nothing when no
// program holds it.
std::optional<std::string> Holder(Disk& disk, const std::string& path) {
    DiskError why = DiskError::None;
    if (disk.OpenToCopy(path, why) || why != DiskError::InUse) return std::nullopt;
    const std::string holder = disk.HolderOf(path);
    return holder.empty() ? "another program" : holder;
}

} // namespace

int RunRestore(const CommandLine& line, Disk& disk, const UnattendedSetting& setting) {
    const std::string folder =
        WithFinalSeparator(line.folder.empty() ? setting.currentDirectory : line.folder);
    RunLog log(setting, disk, folder);
    if (setting.waitForTurn && !setting.waitForTurn(TurnPath(folder))) {
        log.Open(false);
        return NothingDone(log, "another run over the profile is still going on");
    }
    log.Open(true);
    AppState state;
    InitSharedState(state, &folder);
    log.Line(setting.localTime + " restore " + line.restoreFile + " with the profile " +
             ProfilePath(state));
    ProfileContents contents;
    if (const std::optional<std::string> why = WhyNoProfile(state, disk, contents)) {
        return NothingDone(log, *why);
    }
    const std::string* entry = nullptr;
    for (const std::string& listed : contents.entries) {
        if (PathKey(EntryPath(listed)) == PathKey(line.restoreFile)) entry = &listed;
    }
    if (!entry) return NothingDone(log, "\"" + line.restoreFile + "\" is not listed in the profile");
    const BackupPlan plan = PlanBackup(contents.targetPath, *entry);
    const std::string from =
        plan.destination + (line.restoreStamp.empty() ? "" : "." + line.restoreStamp + "Z.bak");
    const std::optional<std::uint32_t> there = disk.Attributes(from);
    if (!there || (*there & kAttributeDirectory)) {
        return NothingDone(log, (line.restoreStamp.empty() ? "there is no copy of it, "
                                                           : "there is no such version, ") +
                                    from);
    }
    const std::string to = line.restoreTo.empty()
                               ? plan.source
                               : WithFinalSeparator(line.restoreTo) + plan.fileName;
    // Nothing is written while a program holds the copy or the file it would replace.
    if (const std::optional<std::string> holder = Holder(disk, from)) {
        return NotRestored(log, to, "the backup copy is in use by " + *holder +
                                        ": the backup copy must not be opened in the mail "
                                        "program");
    }
    if (const std::optional<std::string> holder = Holder(disk, to)) {
        return NotRestored(log, to, "the file is in use by " + *holder +
                                        "; close the mail program first");
    }
    // Nothing is lost: the file it replaces is kept as a version, never removed.
    std::string kept;
    std::unique_ptr<HeldFile> held;
    if (const std::optional<DiskEntry> replaced = disk.FindEntry(to)) {
        if (replaced->attributes & kAttributeDirectory) {
            return NotRestored(log, to, "a folder stands at its name");
        }
        kept = VersionPath(to, replaced->lastWriteTime);
        if (!disk.Absent(kept)) return NotRestored(log, to, kept + " is there already");
        DiskError why = DiskError::None;
        held = disk.HoldSoleFile(to, why);
        if (!held || !held->MoveTo(kept)) {
            return NotRestored(log, to, "the file it would replace cannot be kept");
        }
    }
    PaintPacer pacer(nullptr);
    std::vector<char> buffer;
    const DiskError made = disk.MakeDirectoryPath(DirectoryPart(to));
    const CopyOutcome outcome =
        made != DiskError::None ? TargetOutcome(made)
                                : CopyWholeFile(disk, pacer, from, to, DirectoryPart(to), buffer);
    if (outcome != CopyOutcome::Copied) {
        if (held) held->MoveTo(to); // the replaced file goes back
        const std::string why = OutcomeText({from, plan.fileName, outcome, "", "", "", ""});
        return NotRestored(log, to, why.substr(why.find(": ") + 2));
    }
    held.reset();
    log.Line("restored " + to + " from " + from +
             (kept.empty() ? "" : " (kept the replaced file as " + kept + ")"));
    return log.Close() ? kAllCopied : kSomeNotCopied;
}

} // namespace vintrel
