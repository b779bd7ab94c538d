// The record a backup keeps in its target folder of the copies it made below it. The search
// leaves out exactly the files a record names below its folder; nothing else tells a copy from
// mail, so copies are never listed and backed up again, wherever the target was or is spelled.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vintrel {

// No search takes these names for a data file.
inline constexpr const char* kCopyRecordName = "Vintrel Copies.txt";
inline constexpr const char* kCopyRecordTemporaryName = "Vintrel Copies.tmp";
// The turn that runs sharing a target take to read, merge and replace its record, held only
// for that: no run loses the lines another wrote meanwhile.
inline constexpr const char* kCopyRecordTurnName = "Vintrel Copies.lock";
// How long a run waits for that turn: far longer than any run holds it.
inline constexpr std::uint32_t kCopyRecordTurnWait = 60000;
// A record larger than this is no record of ours: it is not read (a planted file of gigabytes
// would not fit in memory).
inline constexpr std::uint64_t kCopyRecordLimit = 16 * 1024 * 1024;

// A path below a folder in its plain form: "\" between names, "." gone, ".." taken back by
// its text. Nothing when it leaves the folder (a drive, a rooted path, one ".." too many),
// names no file (a wildcard, nothing after the last separator), or has a name that ends in a
// dot or a space: Windows drops those ("Mail." opens "Mail"), so such a name is not the name
// its file is written and found under, and is never recorded.
std::optional<std::string> PathBelow(const std::string& relative);

// A copy as it was made: what tells it from a file changed since. The checksum is of its
// bytes as they were written (see Checksum); none where it was not taken.
struct CopyState {
    std::uint64_t size = 0;
    std::uint64_t lastWriteTime = 0; // a FILETIME
    std::optional<std::uint64_t> checksum;
    friend bool operator==(const CopyState&, const CopyState&) = default;
};

// One line of a record: a copy below its folder, by its path exactly as written there (compared
// case-blind only where the file system is).
struct RecordedCopy {
    std::string path;
    // The copy's state; none in a line of a record written before states were kept.
    std::optional<CopyState> state;
    // The copy a run is making at that path: named before it takes the name, so that a run that
    // dies between the two leaves the earlier copy or the new one, either known. The next run
    // settles the line on the one found there.
    std::optional<CopyState> next;
    friend bool operator==(const RecordedCopy&, const RecordedCopy&) = default;
};

// How far apart two times are, whichever is the later.
inline std::uint64_t TimesApart(std::uint64_t a, std::uint64_t b) {
    return std::max(a, b) - std::min(a, b);
}

// Whether a file of that size and last-write time is the copy a state describes: the same
// size, and times no further apart than the step the file system keeps them in (FAT 2 s,
// exFAT 10 ms, 0 where kept exactly: a copy takes its source's time, rounded there); on FAT
// an hour apart too, as its times read across a daylight-saving change.
bool HasFacts(const CopyState& state, std::uint64_t size, std::uint64_t lastWriteTime,
              std::uint64_t timeStep);

// Whether a file of that size and time may be the copy a line names: its state's or the one
// being made. A line from before states were kept says nothing of it: any file is.
bool MayBeTheCopy(const RecordedCopy& line, std::uint64_t size, std::uint64_t lastWriteTime,
                  std::uint64_t timeStep);

// Settles a line on the file found at its path (nothing where none is): a copy that a run
// made and named as `next`, but died before it could give its state, is taken as the copy,
// its checksum unknown. A state the file still has stays as it is.
void SettleOnFile(RecordedCopy& line, const std::optional<std::uint64_t>& size,
                  std::uint64_t lastWriteTime, std::uint64_t timeStep);

// Whether a path below a folder has a name ending in a dot or a space: Windows drops those as
// it opens a path, so a file of that name would be written under another name.
bool HasNameWindowsTrims(const std::string& relative);

// The copies a record names. A line is a path, then, separated by tabs (no name holds one),
// the state's size, time and checksum ("-" where none was taken; all three "-" where no copy
// was made yet), then with a copy being made its size and time. A line of the path alone is
// from a record written before states were kept. A line whose path leaves the folder, or whose state does not read, is
// passed over. The record keeps CR LF line ends, but any line end is taken.
std::vector<RecordedCopy> ReadCopyRecord(const std::string& bytes);

// The record's text: one line each, CR LF.
std::string CopyRecordText(const std::vector<RecordedCopy>& copies);

} // namespace vintrel
