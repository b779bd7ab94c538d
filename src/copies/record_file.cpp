#include "copies/record_file.h"

namespace vintrel {

std::optional<std::vector<RecordedCopy>> ReadRecordFile(Disk& disk, const std::string& folder,
                                                        std::string& why) {
    const std::string path = folder + kCopyRecordName;
    why.clear();
    const std::optional<DiskEntry> there = disk.FindEntry(path);
    if (there && there->size > kCopyRecordLimit) {
        why = path + " is larger than a record of ours would be";
        return std::nullopt;
    }
    if (there && disk.IsLink(path)) {
        why = path + " is a link, no record of ours";
        return std::nullopt;
    }
    // The listing's size says nothing of what the name leads to: read to the limit alone.
    const std::optional<FileBytes> read = disk.ReadFile(path, kCopyRecordLimit);
    if (read && read->bytes.size() > kCopyRecordLimit) {
        why = path + " is larger than a record of ours would be";
        return std::nullopt;
    }
    if (read ? !read->complete : !disk.Absent(path)) {
        why = path + " cannot be read in full";
        return std::nullopt;
    }
    if (!read) return std::nullopt;
    return ReadCopyRecord(read->bytes);
}

std::optional<std::string> UpdateRecordFile(
    Disk& disk, const std::string& folder,
    const std::function<void(std::vector<RecordedCopy>& lines)>& change,
    std::vector<RecordedCopy>* read) {
    const std::string path = folder + kCopyRecordName;
    // Held from before the read until the record is replaced, and let go on return.
    DiskError turnWhy = DiskError::None;
    const std::unique_ptr<HeldTurn> turn =
        disk.TakeTurn(folder + kCopyRecordTurnName, kCopyRecordTurnWait, turnWhy);
    if (!turn && turnWhy == DiskError::InUse) return path + ": another run is writing it";
    if (!turn && turnWhy == DiskError::Link)
        return path + ": " + folder + kCopyRecordTurnName + " is in the way, and none of ours";
    if (!turn) return path + ": its turn file " + folder + kCopyRecordTurnName + " cannot be made";
    std::string why;
    const std::optional<std::vector<RecordedCopy>> old = ReadRecordFile(disk, folder, why);
    if (!why.empty()) return why;
    std::vector<RecordedCopy> lines = old.value_or(std::vector<RecordedCopy>{});
    if (read) *read = lines;
    change(lines);
    if (old && lines == *old) return std::nullopt;
    if (ReplaceWholeFile(disk, path, folder + kCopyRecordTemporaryName, CopyRecordText(lines)))
        return std::nullopt;
    const std::optional<std::uint32_t> marks = disk.Attributes(path);
    if (marks && (*marks & kAttributeReadOnly)) return path + " is read-only";
    return path + " cannot be written (access denied, or the disk full)";
}

} // namespace vintrel
