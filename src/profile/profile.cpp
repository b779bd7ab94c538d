#include "profile/profile.h"

#include <algorithm>

#include "app/ids.h"
#include "app/probe.h"
#include "app/file_list.h"
#include "profile/profile_format.h"

namespace vintrel {

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

    const ProfileContents contents = ParseProfile(*bytes);
    state.targetPath = contents.targetPath;
    state.profileTargetPath = state.targetPath;
    const bool targetExists = ProbeFileSize(disk, state.targetPath) == kProbeDirectory;
    screen.SetGadgetText(kTargetPathField,
                         targetExists ? state.targetPath : state.targetPath + kTargetMissingSuffix);
    for (const std::string& entry : contents.entries) {
        const std::array<std::string, 3> fields = SplitProfileEntry(entry);
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
    const std::string text = ProfileText(state.targetPath, state.profileList);
    if (ReplaceWholeFile(disk, ProfilePath(state), ProfileTemporaryPath(state), text)) return;
    // The window is closed by now: only a box can still tell the user.
    screen.ShowMessageBox("Error", kProfileNotSavedText, 0);
}

} // namespace vintrel
