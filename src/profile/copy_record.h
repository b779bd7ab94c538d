// The record a backup keeps in its target folder of the copies it made below it. The search
// leaves out exactly the files a record names below its folder; nothing else tells a copy from
// mail, so copies are never listed and backed up again, wherever the target was or is spelled.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vintrel {

// No search takes these names for a data file.
inline constexpr const char* kCopyRecordName = "Vintrel Copies.txt";
inline constexpr const char* kCopyRecordTemporaryName = "Vintrel Copies.tmp";
// A record larger than this is no record of ours: it is not read (a planted file of gigabytes
// would not fit in memory).
inline constexpr std::uint64_t kCopyRecordLimit = 16 * 1024 * 1024;

// A path below a folder in its plain form, as Windows takes it: "\" between names, "." gone,
// ".." taken back by its text, the dots and spaces a name ends in dropped. Nothing when it
// leaves the folder (a drive, a rooted path, one ".." too many) or names no file (a wildcard,
// nothing after the last separator).
std::optional<std::string> PathBelow(const std::string& relative);

// The paths a record names, each in its plain form; lines that leave the folder are passed
// over. The record keeps CR LF line ends, but any line end is taken.
std::vector<std::string> ReadCopyRecord(const std::string& bytes);

// The record's text: each path and CR LF.
std::string CopyRecordText(const std::vector<std::string>& paths);

} // namespace vintrel
