// The check of the copies below a target: each copy its record names is read from the disk
// itself, past the system's cache, and compared with the size, last-write time and checksum it
// was made with. Nothing below the target is written: the log goes beside the profile.
#include "unattended/unattended.h"

#include "app/paths.h"
#include "backup/checksum.h"
#include "backup/whole_copy.h"
#include "profile/record_file.h"
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
    if (!(disk.Attributes(folder).value_or(0) & kAttributeDirectory)) {
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
        // A copy being made, or one recorded before checksums were kept, has none to compare.
        if (!copy.state || !copy.state->checksum || copy.next) {
            ++unchecked;
            log.Line("  " + path + ": not checkable: its record keeps no checksum of it");
            continue;
        }
        const std::string fault = CopyFault(disk, path, *copy.state, buffer);
        if (fault.empty()) {
            ++good;
            log.Good("  " + path + ": good");
        } else {
            ++faulty;
            log.Line("  " + path + ": " + fault);
        }
    }
    log.Final(std::to_string(good) + " of " + std::to_string(record->size()) +
              " recorded copies are good" +
              (faulty > 0 ? "; " + std::to_string(faulty) + " not" : "") +
              (unchecked > 0 ? "; " + std::to_string(unchecked) + " could not be checked" : ""));
    if (faulty > 0 && setting.reportEvent) {
        const std::string text = "Vintrel's check found " + std::to_string(faulty) +
                                 " of the copies below " + folder +
                                 " damaged, missing or changed since they were made. The log " +
                                 here + kLogFileName + " says which.";
        if (!setting.reportEvent(false, text))
            log.Line("The Windows event log could not be written.");
    }
    return log.Close() && faulty == 0 ? kAllCopied : kSomeNotCopied;
}

} // namespace vintrel
