#include "discovery/search.h"

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

// Every pending window message is handled so the window keeps painting; whatever the user
// pressed meanwhile is dropped, so nothing else can start while the search runs.
void HandlePendingMessages(Screen& screen) {
    Event discarded;
    while (screen.PollEvent(&discarded) != 0) {
    }
}

// Handles the pending messages once the interval has passed since it last did. Looking for
// messages is a round trip to the window system (under Wine, to its server) that costs more
// than meeting a file; no eye or hand needs it more often than every few milliseconds.
class WindowUpkeep {
public:
    explicit WindowUpkeep(Screen& screen) : screen_(screen), last_(screen.Milliseconds()) {}
    void Tick() {
        const std::uint32_t now = screen_.Milliseconds();
        if (now - last_ < kSearchUpkeepIntervalMs) return;
        HandlePendingMessages(screen_);
        last_ = screen_.Milliseconds();
    }

private:
    Screen& screen_;
    std::uint32_t last_;
};

// The directory that earlier backups went to, when it lies below the start of the walk: its
// copies are not data files of their own, and listing them would copy them again, one level
// deeper each run. Empty when there is none.
std::string BackupDirectoryBelow(const AppState& state, Disk& disk, const std::string& start) {
    if (state.targetPath.empty() || start.empty()) return "";
    std::string target = disk.FullPath(state.targetPath);
    while (!target.empty() && (target.back() == '\\' || target.back() == '/'))
        target.pop_back();
    return IsInside(target, start) ? target : "";
}

// The name under which a subdirectory can be opened, or nothing when it is not to be walked.
std::optional<std::string> WalkableName(const DiskEntry& entry) {
    if (entry.name == "." || entry.name == "..") return std::nullopt;
    if ((entry.attributes & kAttributeReparsePoint) && !IsPlainReparseTag(entry.reparseTag)) {
        return std::nullopt;
    }
    // A name that the ANSI code page cannot hold comes with "?" in it, which would be taken
    // as a wildcard; the short name opens the same directory.
    if (entry.name.find('?') != std::string::npos) {
        if (entry.shortName.empty()) return std::nullopt;
        return entry.shortName;
    }
    return entry.name;
}

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

    // Directories still to read, the next one last: a directory's subdirectories go on in
    // reverse, so they are read right after it, in delivery order, each with its whole
    // subtree before the next (depth-first pre-order at constant cost per directory).
    std::vector<std::string> pending;
    if (!startDirectory.empty()) {
        std::string start = startDirectory;
        if (start.back() == '\\') start.pop_back();
        pending.push_back(start);
    }

    const std::string backupDirectory =
        pending.empty() ? "" : BackupDirectoryBelow(state, disk, pending.back());

    std::vector<std::string> subdirectories;
    WindowUpkeep upkeep(screen);
    while (!pending.empty()) {
        const std::string directory = std::move(pending.back());
        pending.pop_back();
        std::unique_ptr<DirectoryReader> reader = disk.OpenDirectory(directory);
        if (!reader) continue;

        const std::string prefix = directory + '\\';
        subdirectories.clear();
        DiskEntry entry;
        while (reader->Next(entry)) {
            if (entry.attributes & kAttributeDirectory) {
                if (const std::optional<std::string> name = WalkableName(entry)) {
                    std::string path = prefix + *name;
                    if (backupDirectory.empty() || !SamePath(path, backupDirectory)) {
                        subdirectories.push_back(std::move(path));
                    }
                }
                continue;
            }
            const std::string fullPath = prefix + entry.name;
            screen.SetStatusText(kSpinnerField, NextSpinnerMark(state.spinnerString));
            upkeep.Tick();
            if (const std::optional<DataFileKind> kind = ClassifyDataFile(fullPath)) {
                AddFileRow(state, screen, fullPath, kind->kindText, kind->versionText, kStatusOkay);
            }
        }
        reader.reset(); // one listing open at a time
        pending.insert(pending.end(), subdirectories.rbegin(), subdirectories.rend());
    }

    // What came in since the last handling (the newest rows and mark painted, presses
    // dropped) is dealt with before the search says it is done.
    HandlePendingMessages(screen);
    screen.SetStatusText(kMessageField, kSearchDoneText);
}

} // namespace vintrel
