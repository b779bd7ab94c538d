#include "profile/profile.h"

#include <algorithm>

#include "app/ids.h"
#include "app/probe.h"
#include "app/file_list.h"
#include "profile/profile_format.h"
#include "app/texts.h"

namespace vintrel {

std::string ProfilePath(const AppState& state) {
    return state.startupDirectory + kProfileFileName;
}

bool ProfilePathFits(const AppState& state) {
    return ProfilePath(state).size() <= kMaxPathChars;
}

namespace {

// Whether something may stand at the profile's name: a file, a folder of that name, or a
// profile that is there but cannot be looked at. Only a name Windows can take counts.
bool ProfileMayExist(const AppState& state, Disk& disk) {
    const std::string path = ProfilePath(state);
    return ProfilePathFits(state) &&
           (ProbeFileSize(disk, path) != kProbeNothing || !disk.Absent(path));
}

} // namespace

std::string ProfileTemporaryPath(const AppState& state) {
    // No longer than the profile's own name: a profile that fits a Windows path can always be
    // written beside itself.
    return state.startupDirectory + kProfileTemporaryName;
}

ProfileRead ReadProfile(const AppState& state, Disk& disk, ProfileContents& contents,
                        std::string* bytesRead) {
    const std::string path = ProfilePath(state);
    if (ProbeFileSize(disk, path) == 0) return ProfileRead::Empty;
    const std::optional<FileBytes> read = disk.ReadFile(path, kWholeFile);
    if (!read) return ProfileRead::Unreadable;
    contents = ParseProfile(read->bytes);
    if (bytesRead) *bytesRead = read->bytes;
    return read->complete ? ProfileRead::Whole : ProfileRead::InPart;
}

ProfileRead LoadProfile(AppState& state, Disk& disk, ListSink& list) {
    ProfileContents contents;
    std::string bytes;
    const ProfileRead read = ReadProfile(state, disk, contents, &bytes);
    if (read == ProfileRead::Empty) {
        list.SetStatusText(kMessageField, kProfileEmptyText);
        return read;
    }
    if (read == ProfileRead::Unreadable) {
        state.profileUnread = true;
        list.SetStatusText(kMessageField, kProfileUnreadableText);
        return read;
    }
    state.targetPath = contents.targetPath;
    state.profileTargetPath = state.targetPath;
    const bool targetExists = ProbeFileSize(disk, state.targetPath) == kProbeDirectory;
    list.SetGadgetText(kTargetPathField,
                       targetExists ? state.targetPath : state.targetPath + kTargetMissingSuffix);
    for (const std::string& entry : contents.entries) {
        const std::array<std::string, 3> fields = SplitProfileEntry(entry);
        const bool present = ProbeFileSize(disk, fields[0]) != kProbeNothing;
        AddFileRow(state, &list, fields[0], fields[1], fields[2],
                   present ? kStatusOkay : kStatusMissing);
    }
    if (read == ProfileRead::InPart) {
        // What was read is shown, but it is not the whole profile: saving it would lose the rest.
        state.profileUnread = true;
        list.SetStatusText(kMessageField, kProfileUnreadableText);
        return read;
    }
    state.profileLoaded = true;
    state.loadedProfileBytes = bytes;
    state.loadedProfileText = ProfileText(state.targetPath, state.profileList);
    list.SetStatusText(kMessageField, kProfileLoadedText);
    return read;
}

void CheckForProfile(AppState& state, Disk& disk, ListSink& list) {
    // A directory of that name counts as present, and so does a profile that is there but
    // cannot be looked at: loading either reports its own failure and keeps it from being
    // overwritten.
    if (!ProfileMayExist(state, disk)) {
        list.SetStatusText(kMessageField, kProfileNotFoundText);
        return;
    }
    LoadProfile(state, disk, list);
}

ProfileSave WriteProfile(AppState& state, Disk& disk) {
    // A name that the loader cannot take is never written: the next start could not read it.
    if (!ProfilePathFits(state)) return ProfileSave::NotSaved;
    if (state.profileUnread) return ProfileSave::Kept;
    const std::string text = ProfileText(state.targetPath, state.profileList);
    if (state.profileLoaded && text == state.loadedProfileText) {
        // Nothing changed here: what another run saved meanwhile stays.
        const std::optional<FileBytes> now = disk.ReadFile(ProfilePath(state), kWholeFile);
        if (!now || !now->complete || now->bytes != state.loadedProfileBytes)
            return ProfileSave::Kept;
    }
    return ReplaceWholeFile(disk, ProfilePath(state), ProfileTemporaryPath(state), text)
               ? ProfileSave::Saved
               : ProfileSave::NotSaved;
}

ProfileSave SaveProfile(AppState& state, Disk& disk, Dialogs& dialogs) {
    const ProfileSave saved = WriteProfile(state, disk);
    // The window is closed by now: only a box can still tell the user. A target chosen in this
    // run is lost with a kept profile.
    if (saved == ProfileSave::NotSaved ||
        (saved == ProfileSave::Kept && state.targetPath != state.profileTargetPath)) {
        dialogs.ShowMessageBox("Error", kProfileNotSavedText, 0);
    }
    return saved;
}

std::optional<std::string> WhyNoProfile(const AppState& state, Disk& disk,
                                        ProfileContents& contents) {
    if (!ProfileMayExist(state, disk)) return "there is no profile";
    const ProfileRead read = ReadProfile(state, disk, contents);
    if (read == ProfileRead::Unreadable || read == ProfileRead::InPart) {
        return "the profile cannot be read";
    }
    if (contents.targetPath.empty()) return "the profile names no target folder";
    return std::nullopt;
}

} // namespace vintrel
