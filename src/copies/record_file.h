// The record of copies as a file in its target folder: read through no link and never past
// its limit, changed whole.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/disk.h"
#include "copies/copy_record.h"

namespace vintrel {

// The record in a folder ("X:\Backup\", its final separator included). Nothing when there is
// none, or none to trust: a link (it may lead to a device that reads without end), a file
// larger than a record of ours would be, or one that cannot be read; `why` then says which,
// empty when there is simply none.
std::optional<std::vector<RecordedCopy>> ReadRecordFile(Disk& disk, const std::string& folder,
                                                        std::string& why);

// Reads the record in a folder, lets `change` change its lines (none where there is no record
// yet), and writes it back whole when they changed, all in the target's turn (see
// kCopyRecordTurnName; another run's is waited for). Nothing when that worked; else the record
// and why it cannot be written, the lines it holds left as they are. `read` gets the lines as
// they were read.
std::optional<std::string> UpdateRecordFile(
    Disk& disk, const std::string& folder,
    const std::function<void(std::vector<RecordedCopy>& lines)>& change,
    std::vector<RecordedCopy>* read = nullptr);

} // namespace vintrel
