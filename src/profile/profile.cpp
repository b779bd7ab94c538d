#include "profile/profile.h"

#include <algorithm>

#include "app/ids.h"
#include "app/probe.h"
#include "app/file_list.h"
#include "profile/profile_format.h"

namespace vintrel {

namespace {

constexpr std::size_t kWriteChunk = 4096;

bool WriteAll(FileWriter& file, const std::string& bytes) {
    for (std::size_t at = 0; at < bytes.size(); at += kWriteChunk) {
        if (!file.Write(bytes.data() + at, std::min(kWriteChunk, bytes.size() - at))) return false;
    }
    return true;
}

// Writes the new profile beside the old one and swaps it in; on any failure the old one is
// untouched and the temporary file is gone. Whatever stood at the temporary name (a leftover,
// a read-only one too, or a link planted there) is removed first, never what a link leads to,
// and the file is made anew.
bool WriteProfile(const AppState& state, Disk& disk) {
    const std::string temporary = ProfileTemporaryPath(state);
    disk.RemoveFile(temporary);
    DiskError why = DiskError::None;
    std::unique_ptr<FileWriter> file = disk.CreateNewFile(temporary, why);
    if (!file) return false;
    bool written = WriteAll(*file, ProfileText(state.targetPath, state.profileList));
    written = written && file->Flush();
    written = file->Close() && written;
    file.reset();
    if (written && disk.ReplaceFileWith(temporary, ProfilePath(state))) return true;
    disk.RemoveFile(temporary);
    return false;
}

} // namespace

std::string ProfileTemporaryPath(const AppState& state) {
    // No longer than the profile's own name: a profile that fits a Windows path can always be
    // written beside itself.
    return state.startupDirectory + kProfileTemporaryName;
}

void LoadProfile(AppState& state, Disk& disk, Screen& screen) {
    const std::string path = ProfilePath(state);
    if (ProbeFileSize(disk, path) == 0) {
        screen.SetStatusText(kMessageField, kProfileEmptyText);
        return;
    }
    bool complete = true;
    const std::optional<std::string> bytes = disk.ReadFile(path, complete);
    if (!bytes) {
        state.profileUnread = true;
        screen.SetStatusText(kMessageField, kProfileUnreadableText);
        return;
    }

    ProfileLineReader lines(*bytes);
    state.targetPath = lines.NextLine();
    state.profileTargetPath = state.targetPath;
    const bool targetExists = ProbeFileSize(disk, state.targetPath) == kProbeDirectory;
    screen.SetGadgetText(kTargetPathField,
                         targetExists ? state.targetPath : state.targetPath + kTargetMissingSuffix);
    while (!lines.AtEnd()) {
        const std::array<std::string, 3> fields = SplitProfileEntry(lines.NextLine());
        const bool present = ProbeFileSize(disk, fields[0]) != kProbeNothing;
        AddFileRow(state, screen, fields[0], fields[1], fields[2],
                   present ? kStatusOkay : kStatusMissing);
    }
    if (!complete) {
        // What was read is shown, but it is not the whole profile: saving it would lose the rest.
        state.profileUnread = true;
        screen.SetStatusText(kMessageField, kProfileUnreadableText);
        return;
    }
    screen.SetStatusText(kMessageField, kProfileLoadedText);
}

void SaveProfile(AppState& state, Disk& disk, Screen& screen) {
    // A name that the loader cannot take is never written: the next start could not read it.
    if (!ProfilePathFits(state)) {
        screen.ShowMessageBox("Error", kProfileNotSavedText, 0);
        return;
    }
    if (state.profileUnread) {
        // The profile is kept as it was; a target chosen in this run is lost with it.
        if (state.targetPath != state.profileTargetPath) {
            screen.ShowMessageBox("Error", kProfileNotSavedText, 0);
        }
        return;
    }
    if (WriteProfile(state, disk)) return;
    // The window is closed by now: only a box can still tell the user.
    screen.ShowMessageBox("Error", kProfileNotSavedText, 0);
}

} // namespace vintrel
