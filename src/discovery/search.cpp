#include "discovery/search.h"

#include <set>
#include <vector>

#include "app/file_list.h"
#include "app/ids.h"
#include "app/paths.h"

namespace vintrel {

namespace {

bool EndsWith(const std::string& text, const char* ending) {
    const std::string tail = ending;
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool IsEventKind(int polled) {
    return polled == static_cast<int>(EventKind::CloseRequest) ||
           polled == static_cast<int>(EventKind::Command) ||
           polled == static_cast<int>(EventKind::Gadget);
}

// Keeps the window painted while the walk runs. Looking for messages is a round trip to the
// window system (under Wine, to its server) that costs more than meeting a file, so it is done
// when the interval has passed, not at every file. Whatever the user presses while files are
// being met is dropped, so nothing else can start; what comes after the last file, while the
// walk only goes through folders, is left for the event loop.
class WindowUpkeep {
public:
    explicit WindowUpkeep(Screen& screen) : screen_(screen), last_(screen.Milliseconds()) {}

    void FileMet() {
        const std::uint32_t now = screen_.Milliseconds();
        lastFile_ = now;
        metFile_ = true;
        if (now - last_ < kSearchUpkeepIntervalMs) return;
        Event dropped;
        while (screen_.PollEvent(&dropped) != 0) {
        }
        last_ = screen_.Milliseconds();
    }

    void Finish() {
        std::vector<Event> later;
        Event event;
        for (int polled; (polled = screen_.PollEvent(&event)) != 0;) {
            if (IsEventKind(polled) && MadeAfterTheLastFile(event)) later.push_back(event);
        }
        for (const Event& e : later)
            screen_.ReturnEvent(e);
    }

private:
    bool MadeAfterTheLastFile(const Event& event) const {
        return !metFile_ || static_cast<std::int32_t>(event.time - lastFile_) > 0;
    }

    Screen& screen_;
    std::uint32_t last_;
    std::uint32_t lastFile_ = 0;
    bool metFile_ = false;
};

// The folder above a path ("C:\a\b" gives "C:\a", "C:\a" gives "C:\"); empty above a root.
std::string ParentFolder(const std::string& path) {
    const std::size_t last = path.find_last_of('\\');
    if (last == std::string::npos || last + 1 == path.size()) return "";
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
        if (!rootKnown_) {
            rootKnown_ = true;
            rootIdentity_ = disk_.Identity(root_);
            if (rootIdentity_) visited_.insert(*rootIdentity_);
        }
        return rootIdentity_;
    }
    Disk& disk_;
    std::string root_;
    bool rootKnown_ = false;
    std::optional<FileIdentity> rootIdentity_;
    std::set<FileIdentity> visited_;
};

// The name under which an entry can be opened: a name that the ANSI code page cannot hold
// comes with "?" in it, which would be taken as a wildcard; its short name opens the same
// file or folder. Empty when there is no such name.
std::string OpenableName(const DiskEntry& entry) {
    if (entry.name.find('?') == std::string::npos) return entry.name;
    return entry.shortName;
}

struct PendingDirectory {
    std::string path;
    bool throughLink = false; // reached through a folder link: checked by identity first
};

} // namespace

bool IsPlainReparseTag(std::uint32_t tag) {
    constexpr std::uint32_t kMicrosoftTag = 0x80000000;
    constexpr std::uint32_t kNameSurrogate = 0x20000000;
    return (tag & kMicrosoftTag) != 0 && (tag & kNameSurrogate) == 0;
}

std::optional<DataFileKind> ClassifyDataFile(const std::string& fullPath) {
    if (fullPath.find("\\Outlook Express\\") != std::string::npos && EndsWith(fullPath, ".dbx")) {
        return DataFileKind{"Outlook Express mailboxes", "v6.0"};
    }
    if (EndsWith(fullPath, ".wab")) return DataFileKind{"Windows address book", "[No idea]"};
    if (EndsWith(fullPath, ".pst")) return DataFileKind{"Outlook personal folders", "[No idea]"};
    if (EndsWith(fullPath, ".pab")) {
        return DataFileKind{"Outlook personal address book", "[No idea]"};
    }
    return std::nullopt;
}

bool IsEarlierCopy(Disk& disk, const std::string& start, const std::string& fullPath,
                   const DiskEntry& file) {
    if (fullPath.size() <= start.size() + 1) return false;
    // Below the start: P\R, with P one or more leading folders; the original is at start\R.
    const std::string below = fullPath.substr(start.size() + 1);
    for (std::size_t cut = below.find('\\'); cut != std::string::npos;
         cut = below.find('\\', cut + 1)) {
        const std::optional<DiskEntry> original =
            disk.FindEntry(start + "\\" + below.substr(cut + 1));
        if (original && !(original->attributes & kAttributeDirectory) &&
            original->size == file.size && original->lastWriteTime == file.lastWriteTime) {
            return true;
        }
    }
    return false;
}

std::string NextSpinnerMark(std::string& spinner) {
    if (spinner.empty()) return "--";
    std::string mark = {'-', spinner.front(), '-'};
    spinner = spinner.substr(1) + spinner.front();
    return mark;
}

void SearchDataFiles(AppState& state, Disk& disk, Screen& screen,
                     const std::string& startDirectory) {
    ClearFileRows(state, screen);
    state.profileUnread = false; // the profile now gets this search's list
    screen.SetStatusText(kMessageField, kSearchStartText);

    std::string start = startDirectory;
    if (!start.empty() && start.back() == '\\') start.pop_back();

    // Directories still to read, the next one last: a directory's subdirectories go on in
    // reverse, so they are read right after it, in delivery order, each with its whole
    // subtree before the next (depth-first pre-order at constant cost per directory).
    std::vector<PendingDirectory> pending;
    if (!startDirectory.empty()) pending.push_back({start, false});

    LinkGuard links(disk, start);
    std::vector<PendingDirectory> subdirectories;
    WindowUpkeep upkeep(screen);
    while (!pending.empty()) {
        const PendingDirectory directory = std::move(pending.back());
        pending.pop_back();
        if (directory.throughLink && !links.FirstVisit(directory.path)) continue;
        std::unique_ptr<DirectoryReader> reader = disk.OpenDirectory(directory.path);
        if (!reader) continue;

        const std::string prefix = directory.path + '\\';
        subdirectories.clear();
        DiskEntry entry;
        while (reader->Next(entry)) {
            const std::string name = OpenableName(entry);
            if (entry.attributes & kAttributeDirectory) {
                if (name.empty() || name == "." || name == "..") continue;
                std::string path = prefix + name;
                const bool link = (entry.attributes & kAttributeReparsePoint) &&
                                  !IsPlainReparseTag(entry.reparseTag);
                if (link && !links.Follow(path)) continue;
                subdirectories.push_back({std::move(path), link || directory.throughLink});
                continue;
            }
            screen.SetStatusText(kSpinnerField, NextSpinnerMark(state.spinnerString));
            upkeep.FileMet();
            // Known by its long name; listed under a name that opens it.
            const std::optional<DataFileKind> kind = ClassifyDataFile(prefix + entry.name);
            if (!kind) continue;
            const std::string fullPath = prefix + (name.empty() ? entry.name : name);
            if (IsEarlierCopy(disk, start, fullPath, entry)) continue;
            AddFileRow(state, screen, fullPath, kind->kindText, kind->versionText, kStatusOkay);
        }
        pending.insert(pending.end(), subdirectories.rbegin(), subdirectories.rend());
    }

    upkeep.Finish();
    screen.SetStatusText(kMessageField, kSearchDoneText);
}

} // namespace vintrel
