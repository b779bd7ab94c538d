#include "backup/versions.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <tuple>
#include <vector>

#include "app/paths.h"

namespace vintrel {

namespace {

// A stamp as a version's name carries it, after the file's name: ".YYYYMMDD-HHMMSSZ" (each 0
// stands for a digit). The command line spells it without the dot and the "Z".
constexpr std::string_view kNameStamp = ".00000000-000000Z";
constexpr std::string_view kStamp = kNameStamp.substr(1, kNameStamp.size() - 2);

// The number a second version of one time carries after its stamp: "-2" to "-99"; 0 for any
// other text (a first version carries none).
int StampNumber(const std::string& text) {
    if (text.size() < 2 || text.size() > 3 || text[0] != '-' || text[1] == '0' ||
        text.find_first_not_of("0123456789", 1) != std::string::npos) {
        return 0;
    }
    const int number = std::stoi(text.substr(1));
    return number >= 2 ? number : 0;
}

// The UTC date and time of a FILETIME as a version's stamp: "YYYYMMDD-HHMMSS".
std::string StampOf(std::uint64_t fileTime) {
    const std::int64_t seconds = static_cast<std::int64_t>(fileTime / 10000000ULL);
    const std::int64_t days = seconds / 86400 - 134774; // 1601-01-01 to 1970-01-01
    const std::int64_t daySeconds = seconds % 86400;
    // Civil date from days since 1970 (the proleptic Gregorian calendar), counted from
    // 0000-03-01: a FILETIME starts in 1601, so the count is never negative.
    const std::int64_t z = days + 719468;
    const std::int64_t era = z / 146097;
    const std::int64_t dayOfEra = z - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shifted = (5 * dayOfYear + 2) / 153;
    const std::int64_t day = dayOfYear - (153 * shifted + 2) / 5 + 1;
    const std::int64_t month = shifted < 10 ? shifted + 3 : shifted - 9;
    const std::int64_t year = yearOfEra + era * 400 + (month <= 2);
    char text[128];
    std::snprintf(text, sizeof text, "%04lld%02lld%02lld-%02lld%02lld%02lld",
                  static_cast<long long>(year), static_cast<long long>(month),
                  static_cast<long long>(day), static_cast<long long>(daySeconds / 3600),
                  static_cast<long long>(daySeconds / 60 % 60),
                  static_cast<long long>(daySeconds % 60));
    return text;
}

} // namespace

// Keeps the `keep` versions of a copy made last; older ones go, and nothing else. They go by
// when they were made, not by their names: a name carries the earlier copy's last-write time,
// the source's, which a wrong clock may have set anywhere (2099), and such a name would stay
// "newest" and push out every version made after it. A version is an earlier copy renamed, and a
// rename keeps a file's creation time (tunnelling, which gives a file the time of one whose name
// it takes within seconds, only meets a version's name freed that late), which is when that
// copy was made: each copy sets it as it takes its name (see FileWriter::MoveOver).
// The version this run just made (`made`, its name) is the newest, whatever times it carries,
// and always stays. Every other one was made before it: a creation time later than its own is a
// wrong clock's, and one the file system does not give (0) says nothing; either sorts as the
// oldest, as nothing shows it was made later. Versions of one time (copies made before each kept
// its own carry the first copy's) go by their names' stamps, then numbers.
void PruneVersions(Disk& disk, const std::string& destination, int keep, const std::string& made) {
    const std::string folder = DirectoryPart(destination);
    const std::string fileName = FileNamePart(destination);
    struct Version {
        std::string name;
        std::uint64_t made; // its creation time; 0 where unknown or not to be believed
    };
    std::vector<Version> versions;
    std::uint64_t latest = ~0ULL; // the creation time of the version just made, where known
    std::unique_ptr<DirectoryReader> reader = disk.OpenDirectory(folder);
    DiskEntry entry;
    while (reader && reader->Next(entry)) {
        if (!(entry.attributes & kAttributeDirectory) && entry.nameExact &&
            IsVersionOf(entry.name, fileName)) {
            if (!SamePath(entry.name, made)) {
                versions.push_back({entry.name, entry.creationTime});
            } else if (entry.creationTime != 0) {
                latest = entry.creationTime;
            }
        }
    }
    reader.reset();
    for (Version& version : versions) {
        if (version.made > latest) version.made = 0;
    }
    // Newest first: made later; of one time, the later stamp, then the higher number.
    constexpr std::size_t kStampSize = kNameStamp.size();
    const auto order = [&](const Version& v) {
        return std::tuple(v.made, std::string_view(v.name).substr(fileName.size(), kStampSize),
                          VersionNumber(v.name, fileName));
    };
    std::sort(versions.begin(), versions.end(),
              [&](const Version& a, const Version& b) { return order(a) > order(b); });
    // The version just made is one of those kept.
    for (std::size_t i = static_cast<std::size_t>(keep - 1); i < versions.size(); ++i)
        disk.RemoveFile(folder + versions[i].name);
}

bool IsVersionStamp(const std::string& text) {
    if (text.size() < kStamp.size() || !MatchesDigits(text, 0, kStamp)) return false;
    return text.size() == kStamp.size() || StampNumber(text.substr(kStamp.size())) != 0;
}

std::string VersionPath(const std::string& destination, std::uint64_t lastWriteTime) {
    return StampedVersionPath(destination, StampOf(lastWriteTime));
}

std::string StampedVersionPath(const std::string& destination, const std::string& stamp) {
    return destination + "." + stamp.substr(0, kStamp.size()) + "Z" + stamp.substr(kStamp.size()) +
           ".bak";
}

std::string FreeVersionPath(Disk& disk, const std::string& destination,
                            std::uint64_t lastWriteTime) {
    const std::string stamp = StampOf(lastWriteTime);
    const std::string plain = StampedVersionPath(destination, stamp);
    if (disk.Absent(plain)) return plain;
    for (int number = 2; number <= 99; ++number) {
        const std::string numbered =
            StampedVersionPath(destination, stamp + "-" + std::to_string(number));
        if (disk.Absent(numbered)) return numbered;
    }
    return "";
}

bool IsVersionOf(const std::string& name, const std::string& fileName) {
    // "<file name>.YYYYMMDD-HHMMSSZ.bak", or "<file name>.YYYYMMDD-HHMMSSZ-N.bak" (N 2 to 99),
    // the name a restore keeps a second file of the same time under.
    if (name.size() < fileName.size() + kNameStamp.size() + 4 ||
        !SamePath(name.substr(0, fileName.size()), fileName) ||
        !MatchesDigits(name, fileName.size(), kNameStamp)) {
        return false;
    }
    return VersionNumber(name, fileName) > 0;
}

int VersionNumber(const std::string& name, const std::string& fileName) {
    const std::size_t at = fileName.size() + kNameStamp.size();
    if (name.size() < at || name.compare(at, std::string::npos, ".bak") == 0) return 1;
    const std::string rest = name.substr(at); // "-N.bak"
    if (rest.size() < 4 || rest.compare(rest.size() - 4, 4, ".bak") != 0) return 0;
    return StampNumber(rest.substr(0, rest.size() - 4));
}

} // namespace vintrel
