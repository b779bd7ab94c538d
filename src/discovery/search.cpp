#include "discovery/search.h"

#include <vector>

#include "app/ids.h"
#include "discovery/rows.h"

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

} // namespace

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

    std::vector<std::string> subdirectories;
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
                if (entry.name == "." || entry.name == "..") continue;
                // Junctions and directory links lead back into the tree: never followed.
                if (entry.attributes & kAttributeReparsePoint) continue;
                subdirectories.push_back(prefix + entry.name);
                continue;
            }
            const std::string fullPath = prefix + entry.name;
            screen.SetStatusText(kSpinnerField, NextSpinnerMark(state.spinnerString));
            HandlePendingMessages(screen);
            if (const std::optional<DataFileKind> kind = ClassifyDataFile(fullPath)) {
                AddFileRow(state, screen, fullPath, kind->kindText, kind->versionText, kStatusOkay);
            }
        }
        reader.reset(); // one listing open at a time
        pending.insert(pending.end(), subdirectories.rbegin(), subdirectories.rend());
    }

    screen.SetStatusText(kMessageField, kSearchDoneText);
}

} // namespace vintrel
