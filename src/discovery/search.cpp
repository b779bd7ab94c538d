#include "discovery/search.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string_view>
#include <vector>

#include "app/file_list.h"
#include "app/ids.h"
#include "app/paths.h"
#include "copies/record_file.h"
#include "copies/copy_record.h"
#include "app/texts.h"

namespace vintrel {

namespace {

// Whether the text ends in `ending` (given in lower case), ASCII letters of any case.
bool EndsWithAnyCase(const std::string& text, std::string_view ending) {
    if (text.size() < ending.size()) return false;
    return SamePath(text.substr(text.size() - ending.size()), std::string(ending));
}

bool ContainsAnyCase(const std::string& text, std::string_view part) {
    return PathKey(text).find(part) != std::string::npos;
}

// Keeps the window painted while the walk runs. Looking for messages is a round trip to the
// window system (under Wine, to its server) that costs more than meeting a file, so it is done
// when the interval has passed, not at every file. Whatever the user presses while files are
// being met is dropped, so nothing else can start; what comes after the last file, while the
// walk only goes through folders, is left for the event loop.
class WindowUpkeep {
public:
    explicit WindowUpkeep(EventPump& pump) : pump_(pump), last_(pump.Milliseconds()) {}

    void FileMet() {
        const std::uint32_t now = pump_.Milliseconds();
        lastFile_ = now;
        metFile_ = true;
        if (now - last_ < kSearchUpkeepIntervalMs) return;
        while (pump_.PollEvent()) {
        }
        last_ = pump_.Milliseconds();
    }

    void Finish() {
        std::vector<Event> later;
        while (const std::optional<Event> event = pump_.PollEvent()) {
            if (event->kind != EventKind::None && MadeAfterTheLastFile(*event)) {
                later.push_back(*event);
            }
        }
        for (const Event& e : later)
            pump_.ReturnEvent(e);
    }

private:
    bool MadeAfterTheLastFile(const Event& event) const {
        return !metFile_ || static_cast<std::int32_t>(event.time - lastFile_) > 0;
    }

    EventPump& pump_;
    std::uint32_t last_;
    std::uint32_t lastFile_ = 0;
    bool metFile_ = false;
};

// Whether a path is the root of a drive or of a share ("Z:\\", "\\\\server\\share").
bool IsVolumeRoot(std::string path) {
    while (path.size() > 1 && IsPathSeparator(path.back()))
        path.pop_back();
    if (path.size() <= 2) return true;
    if (!path.starts_with("\\\\")) return false;
    const std::size_t server = path.find('\\', 2);
    return server == std::string::npos || path.find('\\', server + 1) == std::string::npos;
}

// The folder above a path ("C:\a\b" gives "C:\a", "C:\a" gives "C:\",
// "\\server\share\a" gives "\\server\share"); empty above the root of a drive or a share
// ("\\server" is no folder, and "\" would be the current drive's root).
std::string ParentFolder(std::string path) {
    while (path.size() > 1 && IsPathSeparator(path.back()))
        path.pop_back();
    if (IsVolumeRoot(path)) return "";
    const std::size_t last = path.find_last_of('\\');
    if (last == std::string::npos) return "";
    if (last == 2 && path[1] == ':') return path.substr(0, 3);
    return path.substr(0, last);
}

// Where folder links may lead the walk. A link is followed to a folder off the walked tree
// (another volume, a cloud or Wine's home folder) once, whatever its name; never back into the
// walked tree, which the walk reaches anyway, nor to a folder that a link already led to or one
// above it. Folders are told apart by identity, never by how their paths are spelled.
class LinkGuard {
public:
    LinkGuard(Disk& disk, const std::string& start)
        : disk_(disk), root_(start.size() == 2 && start[1] == ':' ? start + "\\" : start) {}

    // Whether a folder link met at `path` is to be followed; its own folder, when it is
    // only marked as a link but leads nowhere else, is walked like any other.
    bool Follow(const std::string& path) {
        const std::string target = disk_.FinalPath(path);
        if (target.empty()) return false; // where it leads cannot be told
        if (SamePath(target, path)) return true;
        if (IsVolumeRoot(target)) return false; // a whole drive, or the whole machine under Wine
        for (std::string at = target; !at.empty(); at = ParentFolder(at)) {
            const std::optional<FileIdentity> folder = disk_.Identity(at);
            if (folder && folder == RootIdentity()) return false;
        }
        return true;
    }

    // For a folder reached through a link: whether the walk has not been there yet. It
    // counts as visited from now on.
    bool FirstVisit(const std::string& path) {
        RootIdentity();
        const std::optional<FileIdentity> identity = disk_.Identity(path);
        return identity && visited_.insert(*identity).second;
    }

private:
    std::optional<FileIdentity> RootIdentity() {
        if (!rootIdentity_) {
            rootIdentity_ = disk_.Identity(root_);
            if (*rootIdentity_) visited_.insert(**rootIdentity_);
        }
        return *rootIdentity_;
    }
    Disk& disk_;
    std::string root_;
    std::optional<std::optional<FileIdentity>> rootIdentity_; // once asked: what was told
    std::set<FileIdentity> visited_;
};

// Why an entry that no name opens is left out.
LeftOutWhy WhyLeftOut(const DiskEntry& entry) {
    return entry.nameExact ? LeftOutWhy::Spelling : LeftOutWhy::CodePage;
}

// A data file met in the folder being read: listed once the folder's record is known.
struct FoundFile {
    std::string path;     // under the name that opens it
    std::string longPath; // under its long name, where that is exactly the platform's
    DataFileKind kind;
    DiskEntry entry;      // as the listing gave it: its size, time and marks
};

struct PendingDirectory {
    std::string path;
    bool throughLink = false; // reached through a folder link: checked by identity first
    // A folder on the way below a record holds two names that differ in case only: the file
    // system tells case there, and a record's spelling names only the file spelled so.
    bool caseTold = false;
};

// The copies that the backups' records name, as the walk has met the records so far.
class KnownCopies {
public:
    enum class Verdict { NotNamed, Copy, Changed };

    // Takes in the record of a folder: what it names below that folder.
    void Read(Disk& disk, const std::string& folder) {
        // A record that cannot be read hides nothing; nor does a link (it may lead to a device
        // that reads without end), nor one found longer than ours would be.
        std::string why;
        const std::optional<std::vector<RecordedCopy>> copies = ReadRecordFile(disk, folder, why);
        if (!copies || copies->empty()) return;
        // A copy takes its source's time, kept there as coarsely as the file system keeps it.
        const std::uint64_t step = disk.Volume(folder).timeStep;
        for (const RecordedCopy& copy : *copies) {
            std::string path = folder + copy.path;
            std::string key = PathKey(path);
            lines_.emplace(std::move(key), Known{std::move(path), copy, step});
        }
    }
    bool Empty() const { return lines_.empty(); }

    // Whether a file met is a copy a record names: named, and still that copy; or named, but
    // no longer that copy (it is then mail again); or not named at all. A record names a file
    // by its path exactly as the backup wrote it, compared case-blind only where the file
    // system is: where it tells case (`caseTold`: two names on the way differ in case only,
    // as a Linux drive under Wine may show), byte for byte. (A case-blind file system shows a
    // name in one spelling only, and opens it by any: there the record's spelling is the file.)
    Verdict Judge(Disk& disk, const FoundFile& file, bool caseTold) const {
        const Known* named = Naming(file.path, caseTold);
        // A long name with "?" for what the code page cannot hold is none to match.
        if (!named && !file.longPath.empty() && file.longPath != file.path)
            named = Naming(file.longPath, caseTold);
        if (!named) return Verdict::NotNamed;
        // A copy is a plain file (a cloud file is one; a link is not) with one name, of the
        // size and time the record gives it; asked last, since it opens the file.
        const DiskEntry& entry = file.entry;
        const bool plain =
            !(entry.attributes & kAttributeReparsePoint) || !IsLinkTag(entry.reparseTag);
        return plain &&
                       MayBeTheCopy(named->line, entry.size, entry.lastWriteTime, named->step) &&
                       disk.SoleName(file.path)
                   ? Verdict::Copy
                   : Verdict::Changed;
    }

private:
    struct Known {
        std::string path; // as the record spells it, below the record's folder
        RecordedCopy line;
        std::uint64_t step; // how coarse the times of the record's file system are
    };
    const Known* Naming(const std::string& path, bool caseTold) const {
        const auto [first, last] = lines_.equal_range(PathKey(path));
        const auto it = std::find_if(first, last, [&](const auto& line) {
            return !caseTold || line.second.path == path;
        });
        return it == last ? nullptr : &it->second;
    }
    std::multimap<std::string, Known> lines_;
};

// Whether two of the names met in a folder differ in case only.
bool CaseTold(const std::vector<FoundFile>& found,
              const std::vector<PendingDirectory>& subdirectories) {
    std::set<std::string> keys;
    std::set<std::string> names;
    const auto met = [&](const std::string& path) {
        const std::string name = FileNamePart(path);
        return names.insert(name).second && !keys.insert(PathKey(name)).second;
    };
    for (const FoundFile& file : found) {
        if (met(file.path)) return true;
    }
    for (const PendingDirectory& folder : subdirectories) {
        if (met(folder.path)) return true;
    }
    return false;
}

} // namespace

std::optional<DataFileKind> ClassifyDataFile(const std::string& fullPath) {
    if (EndsWithAnyCase(fullPath, ".dbx") && ContainsAnyCase(fullPath, "\\outlook express\\")) {
        return DataFileKind{"Outlook Express mailboxes", "v6.0"};
    }
    if (EndsWithAnyCase(fullPath, ".wab")) return DataFileKind{"Windows address book", "[No idea]"};
    if (EndsWithAnyCase(fullPath, ".pst")) {
        return DataFileKind{"Outlook personal folders", "[No idea]"};
    }
    if (EndsWithAnyCase(fullPath, ".pab")) {
        return DataFileKind{"Outlook personal address book", "[No idea]"};
    }
    return std::nullopt;
}

std::string NextSpinnerMark(std::string& spinner) {
    if (spinner.empty()) return "--";
    std::string mark = {'-', spinner.front(), '-'};
    spinner = spinner.substr(1) + spinner.front();
    return mark;
}

SearchResult SearchDataFiles(AppState& state, Disk& disk, ListSink* list, EventPump* pump,
                             const std::string& startDirectory) {
    ClearFileRows(state, list);
    state.profileUnread = false; // the profile now gets this search's list
    if (list) list->SetStatusText(kMessageField, kSearchStartText);

    // Directories still to read, the next one last: a directory's subdirectories go on in
    // reverse, so they are read right after it, in delivery order, each with its whole
    // subtree before the next (depth-first pre-order at constant cost per directory).
    std::vector<PendingDirectory> pending;
    if (!startDirectory.empty()) pending.push_back({startDirectory});

    SearchResult result;
    LinkGuard links(disk, startDirectory);
    KnownCopies copies;
    const std::string recordName = kCopyRecordName;
    std::vector<PendingDirectory> subdirectories;
    std::vector<FoundFile> found;
    std::optional<WindowUpkeep> upkeep; // only where there is a window
    if (pump) upkeep.emplace(*pump);
    while (!pending.empty()) {
        const PendingDirectory directory = std::move(pending.back());
        pending.pop_back();
        if (directory.throughLink && !links.FirstVisit(directory.path)) continue;
        std::unique_ptr<DirectoryReader> reader = disk.OpenDirectory(directory.path);
        if (!reader) continue;

        const std::string prefix = WithFinalSeparator(directory.path);
        subdirectories.clear();
        found.clear();
        bool hasRecord = false;
        DiskEntry entry;
        while (reader->Next(entry)) {
            std::string name = OpenableName(entry);
            if (entry.attributes & kAttributeDirectory) {
                if (entry.name == "." || entry.name == "..") continue;
                if (name.empty()) {
                    result.leftOut.push_back(
                        {Printable(prefix + entry.name + "\\"), WhyLeftOut(entry)});
                    continue;
                }
                std::string path = prefix + name;
                const bool link =
                    (entry.attributes & kAttributeReparsePoint) && IsLinkTag(entry.reparseTag);
                // Links are followed off the tree, but not on from a tree a link led to.
                if (link && (directory.throughLink || !links.Follow(path))) continue;
                subdirectories.push_back({std::move(path), link || directory.throughLink});
                continue;
            }
            if (list) list->SetStatusText(kSpinnerField, NextSpinnerMark(state.spinnerString));
            if (upkeep) upkeep->FileMet();
            // A record at a drive's root is a backup copied back onto the drive, naming the
            // live files; one larger than ours would be is none of ours.
            if (SamePath(entry.name, recordName) && prefix.size() > 3 &&
                entry.size <= kCopyRecordLimit) {
                hasRecord = true;
            }
            // Known by its long name; listed under a name that opens it.
            std::string longPath = prefix + entry.name;
            const std::optional<DataFileKind> kind = ClassifyDataFile(longPath);
            if (!kind) continue;
            if (name.empty()) {
                result.leftOut.push_back({Printable(longPath), WhyLeftOut(entry)});
                continue;
            }
            if (!entry.nameExact) longPath.clear();
            found.push_back({prefix + name, std::move(longPath), *kind, entry});
        }
        reader.reset();
        if (hasRecord) copies.Read(disk, prefix);
        // Only below a record does case matter; elsewhere no name is compared.
        const bool caseTold =
            directory.caseTold || (!copies.Empty() && CaseTold(found, subdirectories));
        for (PendingDirectory& folder : subdirectories)
            folder.caseTold = caseTold;
        for (const FoundFile& file : found) {
            const KnownCopies::Verdict verdict = copies.Judge(disk, file, caseTold);
            if (verdict == KnownCopies::Verdict::Copy) continue;
            if (verdict == KnownCopies::Verdict::Changed)
                result.changedCopies.push_back(Printable(file.path));
            AddFileRow(state, list, file.path, file.kind.kindText, file.kind.versionText,
                       kStatusOkay);
        }
        pending.insert(pending.end(), subdirectories.rbegin(), subdirectories.rend());
    }

    if (upkeep) upkeep->Finish();
    if (list) list->SetStatusText(kMessageField, SearchEndText(result));
    return result;
}

namespace {

std::string LeftOutText(const SearchResult& result) {
    if (result.leftOut.empty()) return kSearchDoneText;
    std::size_t codePage = 0;
    for (const LeftOutName& name : result.leftOut)
        codePage += name.why == LeftOutWhy::CodePage;
    const std::size_t spelling = result.leftOut.size() - codePage;
    const std::size_t all = result.leftOut.size();
    const std::string them = all == 1 ? "it" : "them";
    std::string text = kSearchEndedText + std::to_string(all) +
                       (all == 1 ? " name was left out: " : " names were left out: ");
    if (spelling == 0) return text + kLeftOutCodePageText + them;
    if (codePage == 0) return text + kLeftOutSpellingText + them;
    return text + kLeftOutCodePageText + std::to_string(codePage) + ", " + kLeftOutSpellingText +
           std::to_string(spelling);
}

} // namespace

std::string SearchEndText(const SearchResult& result) {
    const std::size_t changed = result.changedCopies.size();
    if (changed == 0) return LeftOutText(result);
    const std::string said =
        std::to_string(changed) + (changed == 1 ? " backup copy" : " backup copies") +
        (changed == 1 ? kChangedCopyListedText : kChangedCopiesListedText);
    if (result.leftOut.empty()) return kSearchEndedText + said;
    return LeftOutText(result) + "; " + said;
}

} // namespace vintrel
