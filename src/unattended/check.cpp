// The check of the copies below a target: each copy its record names is read from the disk
// itself, past the system's cache, and compared with the size, last-write time and checksum it
// was made with. Nothing below the target is written: the log goes beside the profile.
#include "unattended/unattended.h"

#include "app/paths.h"
#include "backup/checksum.h"
#include "backup/whole_copy.h"
#include "copies/record_file.h"
#include "unattended/run_log.h"
#include "unattended/run_start.h"

namespace vintrel {

namespace {

constexpr const char* kNotTheCopy = "it is no longer the recorded copy: ";

// What is wrong with one recorded copy; empty when it reads as it was made.
std::string CopyFault(Disk& disk, const std::string& path, const CopyState& made,
                      std::vector<char>& buffer) {
    if (disk.Absent(path)) return "it is missing";
    DiskError why = DiskError::None;
    std::unique_ptr<FileSource> copy = disk.OpenUncached(path, why);
    if (!copy && why == DiskError::Link) {
        return std::string(kNotTheCopy) +
               "a link, a folder or a file with other names too (hard links) stands there";
    }
    if (!copy) {
        return why == DiskError::InUse ? "it cannot be read: another program writes to it"
                                       : "it cannot be read";
    }
    // Asked of the open file: what is read is what is compared.
    const std::optional<FileFacts> now = copy->Facts();
    if (!now) return "it cannot be read";
    // Its time as coarsely as its file system keeps it (FAT, exFAT): the copy took its source's.
    if (!HasFacts(made, now->size, now->lastWriteTime, disk.Volume(DirectoryPart(path)).timeStep)) {
        return std::string(kNotTheCopy) +
               "its size or last-write time changed since it was made (was it opened in the "
               "mail program?)";
    }
    Checksum sum;
    std::uint64_t read = 0;
    for (std::size_t got = 1; got > 0; read += got) {
        if (!copy->Read(buffer.data(), buffer.size(), got)) return "it cannot be read in full";
        sum.Add(buffer.data(), got);
    }
    if (read != made.size || sum.Value() != *made.checksum) {
        return "it differs from its checksum: its bytes are no longer the ones written (the "
               "disk damaged it, or it was changed without its time)";
    }
    return "";
}

// The record's line for a copy as it is now, read in the target's turn, so that no run over
// another profile that shares the target is halfway through changing it. Nothing where the
// turn or the record cannot be had: what was found then stands.
std::optional<std::optional<RecordedCopy>> LineNow(Disk& disk, const std::string& folder,
                                                   const std::string& path) {
    DiskError why = DiskError::None;
    const std::unique_ptr<HeldTurn> turn =
        disk.TakeTurn(folder + kCopyRecordTurnName, kCopyRecordTurnWait, why);
    if (!turn) return std::nullopt;
    std::string unread;
    const std::optional<std::vector<RecordedCopy>> record = ReadRecordFile(disk, folder, unread);
    if (!record) return std::nullopt;
    for (const RecordedCopy& line : *record) {
        if (PathKey(line.path) == PathKey(path)) return line;
    }
    return std::optional<RecordedCopy>();
}

// Whether a line gives a copy's state to check it against: a copy being made, or one recorded
// before checksums were kept, has none to compare.
bool Checkable(const RecordedCopy& line) {
    return line.state && line.state->checksum && !line.next;
}

} // namespace

int RunCheck(const CommandLine& line, Disk& disk, const UnattendedSetting& setting) {
    const std::string here = RunFolder(line, disk, setting);
    RunLog log(setting, disk, here);
    // Read in turn with the other runs over the profile: a backup going on would replace copies
    // while they are read. Nothing is put right before it: a check writes nothing but its log.
    const RunStart start = StartRun(setting, disk, log, here, "check of the copies", false);
    if (start.nothingDone) return NothingDone(log, *start.nothingDone);
    const ProfileContents& contents = start.contents;
    const std::string& target = contents.targetPath;
    const std::string folder = TargetFolder(target);
    if (!IsFolder(disk, folder)) {
        return NothingDone(log, TargetMissingText(target));
    }
    std::string why;
    const std::optional<std::vector<RecordedCopy>> record = ReadRecordFile(disk, folder, why);
    if (!record) {
        return NothingDone(log, why.empty() ? "there is no record of copies, " + folder +
                                                  kCopyRecordName
                                            : why);
    }
    std::vector<char> buffer(kCopyChunk);
    std::size_t good = 0, faulty = 0, unchecked = 0;
    for (const RecordedCopy& copy : *record) {
        const std::string path = folder + copy.path;
        if (!Checkable(copy)) {
            ++unchecked;
            log.Line("  " + path + ": not checkable: its record keeps no checksum of it");
            continue;
        }
        std::string fault = CopyFault(disk, path, *copy.state, buffer);
        // This run holds its profile's turn, not the target's: a run over another profile that
        // shares the target may have replaced the copy, and its line, while it was read. Where
        // the line changed, the copy is checked once against the line as it is now.
        if (!fault.empty()) {
            const std::optional<std::optional<RecordedCopy>> now = LineNow(disk, folder, copy.path);
            if (now && *now != std::optional<RecordedCopy>(copy)) {
                if (!*now || !Checkable(**now)) {
                    ++unchecked;
                    log.Line("  " + path + ": not checkable: it was replaced while it was "
                             "checked, and its record keeps no checksum of the new copy yet");
                    continue;
                }
                fault = CopyFault(disk, path, *(*now)->state, buffer);
            }
        }
        if (fault.empty()) {
            ++good;
            log.Good("  " + path + ": good");
        } else {
            ++faulty;
            log.Line("  " + path + ": " + fault);
        }
    }
    // A copy with nothing to compare is one nobody can vouch for: said, and no success.
    const std::string uncheckedText =
        std::to_string(unchecked) + (unchecked == 1 ? " has" : " have") +
        " nothing to compare (recorded before checksums were kept, or while being made): "
        "a /backup /all copies them again with one";
    log.Final(std::to_string(good) + " of " + std::to_string(record->size()) +
              " recorded copies are good" +
              (faulty > 0 ? "; " + std::to_string(faulty) + " not" : "") +
              (unchecked > 0 ? "; " + uncheckedText : ""));
    if ((faulty > 0 || unchecked > 0) && setting.reportEvent) {
        std::string text = "Vintrel's check of the copies below " + folder + " found ";
        if (faulty > 0) {
            text += std::to_string(faulty) + " damaged, missing or changed since they were made";
        }
        if (unchecked > 0) text += (faulty > 0 ? "; " : "") + uncheckedText;
        text += ". The log " + here + kLogFileName + " says which.";
        if (!setting.reportEvent(false, text))
            log.Line("The Windows event log could not be written.");
    }
    return log.Close() && faulty == 0 && unchecked == 0 ? kAllCopied : kSomeNotCopied;
}

} // namespace vintrel
