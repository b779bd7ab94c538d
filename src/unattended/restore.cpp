// Bringing a copy, or a kept version, back to its place: by the same whole-file copy as the
// backup, the file it replaces kept beside it as a version, never while a program holds either.
//
// A restore that dies part-way must never leave the mailbox missing, nor let a guess from names
// decide what it was doing. So the copy is made whole under a temporary name beside the file
// first, the file it replaces is set aside only just before the swap, and a note beside the
// profile ("Vintrel Restore.txt") says what is being done from before the first step until after
// the last. The next run over the profile that finds the note finishes or undoes that restore.
#include "unattended/unattended.h"

#include "app/file_list.h"
#include "app/paths.h"
#include "app/probe.h"
#include "backup/versions.h"
#include "backup/whole_copy.h"
#include "copies/record_file.h"
#include "profile/profile.h"
#include "unattended/run_log.h"
#include "unattended/run_start.h"

namespace vintrel {

namespace {

// Why it was not restored, in the log's words.
int NotRestored(RunLog& log, const std::string& file, const std::string& why) {
    log.Final("  " + file + ": not restored: " + why);
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

// Whether two paths name one file or folder: by identity where the file system tells files
// apart, else by spelling.
bool SamePlace(Disk& disk, const std::string& a, const std::string& b) {
    const std::optional<FileIdentity> one = disk.Identity(a);
    const std::optional<FileIdentity> other = disk.Identity(b);
    if (one && other) return *one == *other;
    return SamePath(a, b);
}

// The temporary file a restore makes its copy in, beside the file it restores.
std::string RestoreTemporaryPath(const std::string& to) {
    return to + ".~vr";
}

// What a restore is doing, as its note says: the file, where it comes from, the temporary copy,
// the kept version (empty where nothing was there to replace) and how far it got: "copying"
// while the temporary copy may be incomplete, "copied" once it is whole and flushed.
struct RestoreNote {
    std::string to, from, temporary, kept, stage;
};

constexpr const char* kNoteHeader = "Vintrel restore, not finished";

bool WriteNote(Disk& disk, const std::string& folder, const RestoreNote& note) {
    const std::string text = std::string(kNoteHeader) + "\r\n" + note.to + "\r\n" + note.from +
                             "\r\n" + note.temporary + "\r\n" + note.kept + "\r\n" + note.stage +
                             "\r\n";
    return ReplaceWholeFile(disk, folder + kRestoreNoteName, folder + kRestoreNoteTemporaryName,
                            text);
}

// The note's contents; nothing when it is not a whole note of ours.
std::optional<RestoreNote> ReadNote(Disk& disk, const std::string& path) {
    const std::optional<FileBytes> read =
        disk.IsLink(path) ? std::nullopt : disk.ReadFile(path, kRestoreNoteLimit);
    if (!read || !read->complete || read->bytes.size() > kRestoreNoteLimit) return std::nullopt;
    const std::string& text = read->bytes;
    std::vector<std::string> lines;
    for (std::size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos;
         at = end + 2) {
        lines.push_back(text.substr(at, end - at));
    }
    // The temporary copy a restore makes is always beside its file: a note naming any other
    // file (damaged, or planted to have that file removed or moved) is not acted on.
    if (lines.size() != 6 || lines[0] != kNoteHeader || lines[1].empty() ||
        lines[3] != RestoreTemporaryPath(lines[1]) ||
        (lines[5] != "copying" && lines[5] != "copied")) {
        return std::nullopt;
    }
    return RestoreNote{lines[1], lines[2], lines[3], lines[4], lines[5]};
}

// Whether a note stands beside the profile: a file of its name that can be seen. A folder there
// is none of ours, and a name that cannot be looked at (no folder known) is no note either.
bool NoteThere(Disk& disk, const std::string& path) {
    const std::optional<std::uint32_t> attributes = disk.Attributes(path);
    return attributes && !(*attributes & kAttributeDirectory);
}

// Moves a file held alone to another name; false, and nothing moved, when it cannot be held or
// moved. A name taken meanwhile is never written over.
bool MoveSole(Disk& disk, const std::string& path, const std::string& to) {
    DiskError why = DiskError::None;
    std::unique_ptr<HeldFile> held = disk.HoldSoleFile(path, why);
    return held && disk.Absent(to) && held->MoveTo(to);
}

// Puts the temporary copy in the file's place, the file there (if any) kept first as a free
// version (`kept` where that name is still free): the words for what was kept, or nothing when
// a step failed (all then stays or goes back as it was, the temporary copy too). Where the file
// was set aside and cannot go back (a mail program made a new one at its name meanwhile),
// `setAside` gets where it is: the restore is then half done, as after a kill.
std::optional<std::string> SwapIn(Disk& disk, const std::string& to, const std::string& temporary,
                                  const std::string& kept, std::string* setAside = nullptr) {
    const std::optional<DiskEntry> there = disk.FindEntry(to);
    std::string keptAs;
    if (there) {
        keptAs = kept.empty() || !disk.Absent(kept) ? FreeVersionPath(disk, to, there->lastWriteTime)
                                                    : kept;
        if (keptAs.empty() || !MoveSole(disk, to, keptAs)) return std::nullopt;
    }
    DiskError why = DiskError::None;
    std::unique_ptr<HeldFile> copy = disk.HoldSoleFile(temporary, why);
    // The name was just emptied: the copy takes it unless something else did meanwhile.
    if (!copy || !disk.Absent(to) || !copy->MoveTo(to)) {
        if (!keptAs.empty() && !MoveSole(disk, keptAs, to) && setAside) *setAside = keptAs;
        return std::nullopt;
    }
    return keptAs.empty() ? "" : " (kept the replaced file as " + keptAs + ")";
}

// The checksum the target's record keeps of a listed file's copy; nothing where it keeps none
// (no line, a line from before checksums, a copy being made that may be the one there now).
// A record that cannot be read is said in the log.
std::optional<std::uint64_t> RecordedChecksum(Disk& disk, const std::string& targetPath,
                                              const BackupPlan& plan, RunLog& log) {
    const std::optional<std::string> below = PathBelow(plan.belowTarget);
    if (!below) return std::nullopt;
    std::string why;
    const std::optional<std::vector<RecordedCopy>> record =
        ReadRecordFile(disk, TargetFolder(targetPath), why);
    if (!why.empty()) log.Line("  the copy is not compared with its checksum: " + why);
    for (const RecordedCopy& line : record.value_or(std::vector<RecordedCopy>{})) {
        if (PathKey(line.path) == PathKey(*below) && line.state && !line.next)
            return line.state->checksum;
    }
    return std::nullopt;
}

// Removes the temporary copy and whatever its making left beside it.
void RemoveTemporary(Disk& disk, const std::string& temporary) {
    ClearLeftovers(disk, temporary);
    disk.RemoveFile(temporary);
}

} // namespace

std::optional<std::string> FinishRestore(Disk& disk, const std::string& folder, RunLog& log) {
    const std::string path = folder + kRestoreNoteName;
    if (!NoteThere(disk, path)) return std::nullopt;
    const std::optional<RestoreNote> note = ReadNote(disk, path);
    if (!note) {
        return "the note of an unfinished restore, " + path +
               ", cannot be read; see what it says, put the file right and remove the note";
    }
    const std::string restore = "an unfinished restore of " + note->to + " from " + note->from;
    if (note->stage == "copying") {
        // The copy may be incomplete, and nothing else was touched yet.
        RemoveTemporary(disk, note->temporary);
        disk.RemoveFile(path);
        log.Line(restore + " was undone: the file was left as it was");
        return std::nullopt;
    }
    const bool copyThere = disk.FindEntry(note->temporary).has_value();
    if (copyThere) {
        // The whole copy waits beside the file: it takes the file's place, and whatever stands
        // there now (the file, or a new one a mail program made) is kept as a version named by
        // its own time.
        const std::optional<std::string> kept = SwapIn(disk, note->to, note->temporary, "");
        if (!kept) {
            return restore + " cannot be finished: " + note->to + " or " + note->temporary +
                   " is in use or cannot be moved; close the mail program";
        }
        log.Line(restore + " was finished" + *kept);
    } else if (disk.FindEntry(note->to)) {
        log.Line(restore + " had come to its end; its note is removed");
    } else {
        log.Line(restore + " is found with neither the file nor its copy there" +
                 (note->kept.empty() ? "" : "; " + note->kept + " keeps the file it replaced"));
    }
    disk.RemoveFile(path);
    return std::nullopt;
}

std::optional<std::string> FinishRestoreBeforeWindowBackup(Disk& disk, const std::string& folder,
                                                           const std::string& localTime) {
    if (!NoteThere(disk, folder + kRestoreNoteName)) return std::nullopt;
    const UnattendedSetting setting; // echoes nothing: there is no console
    RunLog log(setting, disk, folder);
    log.Open(true);
    log.Line(localTime + " the window's backup with the profile " + folder + kProfileFileName);
    std::optional<std::string> why = FinishRestore(disk, folder, log);
    if (why) log.Final("Nothing was done: " + *why + ".");
    log.Close();
    return why;
}

int RunRestore(const CommandLine& line, Disk& disk, const UnattendedSetting& setting) {
    const std::string folder = RunFolder(line, disk, setting);
    RunLog log(setting, disk, folder);
    const RunStart start =
        StartRun(setting, disk, log, folder, "restore " + line.restoreFile, true);
    if (start.nothingDone) return NothingDone(log, *start.nothingDone);
    const ProfileContents& contents = start.contents;
    const std::string* entry = nullptr;
    for (const std::string& listed : contents.entries) {
        if (PathKey(EntryPath(listed)) == PathKey(line.restoreFile)) entry = &listed;
    }
    if (!entry) return NothingDone(log, "\"" + line.restoreFile + "\" is not listed in the profile");
    const BackupPlan plan = PlanBackup(contents.targetPath, *entry);
    const std::string from = line.restoreStamp.empty()
                                 ? plan.destination
                                 : StampedVersionPath(plan.destination, line.restoreStamp);
    const std::optional<std::uint32_t> there = disk.Attributes(from);
    if (!there || (*there & kAttributeDirectory)) {
        return NothingDone(log, (line.restoreStamp.empty() ? "there is no copy of it, "
                                                           : "there is no such version, ") +
                                    from);
    }
    // A link, or a name the file shares with others, is no copy: it may lead into the live
    // mailbox, which the restore would then read from and write over at once.
    if (!disk.SoleName(from)) {
        return NothingDone(log, (line.restoreStamp.empty() ? "the copy " : "the version ") + from +
                                    " is a link or has other names too (hard links): no copy "
                                    "of ours");
    }
    const std::string to = line.restoreTo.empty()
                               ? plan.source
                               : WithFinalSeparator(line.restoreTo) + plan.fileName;
    // Into the copy's own folder it would land on the backup copy itself.
    if (SamePlace(disk, to, plan.destination) ||
        SamePlace(disk, WithFinalSeparator(DirectoryPart(to)),
                  WithFinalSeparator(DirectoryPart(plan.destination)))) {
        return NothingDone(log, "it would be restored onto its backup copy, " + plan.destination);
    }
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
    const std::optional<DiskEntry> replaced = disk.FindEntry(to);
    if (replaced && (replaced->attributes & kAttributeDirectory)) {
        return NotRestored(log, to, "a folder stands at its name");
    }
    const DiskError made = disk.MakeDirectoryPath(DirectoryPart(to));
    RestoreNote note{to, from, RestoreTemporaryPath(to), "", "copying"};
    if (made == DiskError::None && !WriteNote(disk, folder, note)) {
        return NotRestored(log, to, "its note, " + folder + kRestoreNoteName +
                                        ", cannot be written beside the profile");
    }
    // The whole copy under the temporary name, flushed, with the copy's time and marks. Its
    // first bytes are not checked for damage: the user chose this copy to have back, and the
    // file it replaces is kept as a version whatever either looks like.
    PaintPacer pacer(nullptr);
    std::vector<char> buffer;
    CopyWay way; // no target to keep to: only the room a large copy needs is told
    const CopyOutcome outcome =
        made != DiskError::None
            ? TargetOutcome(made)
            : CopyWholeFile(disk, pacer, from, note.temporary, DirectoryPart(to), buffer, 0,
                            nullptr, &way);
    // The copy's bytes, as they were just read, against the checksum taken when it was made (a
    // version has no line in the record): a copy that differs was damaged or worked in since,
    // and replaces the file only when the line says /force.
    bool differs = false;
    if (outcome == CopyOutcome::Copied && line.restoreStamp.empty() && way.made &&
        way.made->checksum) {
        const std::optional<std::uint64_t> recorded =
            RecordedChecksum(disk, contents.targetPath, plan, log);
        differs = recorded && *recorded != *way.made->checksum;
    }
    constexpr const char* kDiffers =
        "the copy differs from the checksum recorded when it was made (damaged, or changed "
        "since)";
    if (differs && !line.force) {
        RemoveTemporary(disk, note.temporary);
        disk.RemoveFile(folder + kRestoreNoteName);
        return NotRestored(log, to, std::string(kDiffers) +
                                        "; nothing was replaced: /force restores it anyway");
    }
    if (outcome != CopyOutcome::Copied) {
        if (made == DiskError::None) {
            RemoveTemporary(disk, note.temporary);
            disk.RemoveFile(folder + kRestoreNoteName);
        }
        // The disk that is short of room here is the mail's own, not the backup's target.
        if (outcome == CopyOutcome::NoSpace) {
            return NotRestored(log, to, "not enough space on its disk (" + way.noSpace + ")");
        }
        if (outcome == CopyOutcome::DiskFull) return NotRestored(log, to, "its disk is full");
        const std::string why = OutcomeText({from, plan.fileName, outcome, "", "", "", "", ""});
        return NotRestored(log, to, why.substr(why.find(": ") + 2));
    }
    // Nothing is lost: the file it replaces is kept as a version, never removed.
    if (const std::optional<DiskEntry> now = disk.FindEntry(to)) {
        note.kept = FreeVersionPath(disk, to, now->lastWriteTime);
    }
    note.stage = "copied";
    std::string failed;
    std::string setAside;
    std::optional<std::string> kept;
    if (disk.FindEntry(to) && note.kept.empty()) {
        failed = "every version name for the file it would replace is taken";
    } else if (!WriteNote(disk, folder, note)) {
        failed = "its note cannot be written beside the profile";
    } else if (!(kept = SwapIn(disk, to, note.temporary, note.kept, &setAside))) {
        failed = "the file it would replace cannot be kept";
    }
    if (!setAside.empty()) {
        // The whole copy and the note stay: the next run over the profile finishes the restore.
        return NotRestored(log, to, "the file it replaces was kept as " + setAside +
                                        " and cannot be put back (another file may have taken "
                                        "its name); the next run over the profile finishes the "
                                        "restore from " + note.temporary);
    }
    if (!kept) {
        RemoveTemporary(disk, note.temporary);
        disk.RemoveFile(folder + kRestoreNoteName);
        return NotRestored(log, to, failed);
    }
    disk.RemoveFile(folder + kRestoreNoteName);
    log.Final("restored " + to + " from " + from + *kept +
              (differs ? std::string("; ") + kDiffers : ""));
    return log.Close() ? kAllCopied : kSomeNotCopied;
}

} // namespace vintrel
