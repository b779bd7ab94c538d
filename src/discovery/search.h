// The walk over a drive that finds the mail and address-book data files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/disk.h"
#include "app/screen.h"
#include "app/state.h"

namespace vintrel {

inline constexpr const char* kSearchStartText =
    "Information: searching default drive 'C:' in expected user profile directory";
inline constexpr const char* kSearchDoneText =
    "Information: Job finished. Found all there was to find";

struct DataFileKind {
    const char* kindText;
    const char* versionText;
};

// During the search, pending window messages are handled once this many milliseconds have
// passed since the last handling (checked at every file), and once more at the end.
inline constexpr std::uint32_t kSearchUpkeepIntervalMs = 10;

// Whether a directory that is a reparse point of this tag is walked like a plain one: cloud
// placeholders, deduplicated and other Microsoft tags are; links (name surrogates, which can
// lead back into the tree) and tags of other makers are not.
bool IsPlainReparseTag(std::uint32_t tag);

// What kind of data file a full path names, if any. Byte for byte and case-sensitive.
std::optional<DataFileKind> ClassifyDataFile(const std::string& fullPath);

// Whether a data file found at start\P\R (P one or more leading folders) is a copy that an
// earlier backup made of start\R: that file exists with the same size and last-write time,
// which copies keep.
bool IsEarlierCopy(Disk& disk, const std::string& start, const std::string& fullPath,
                   const DiskEntry& file);

// The mark for the next file: a hyphen, the spinner's first character, a hyphen; the
// spinner then turns by one.
std::string NextSpinnerMark(std::string& spinner);

// Empties both lists, then walks every directory below the start in depth-first pre-order
// and lists every data file it meets, apart from earlier copies. Folder links are followed
// once to folders off the walked tree. Events made while files are met are thrown away; those
// made after the last one are left for the event loop.
void SearchDataFiles(AppState& state, Disk& disk, Screen& screen,
                     const std::string& startDirectory);

} // namespace vintrel
