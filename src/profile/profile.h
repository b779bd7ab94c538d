// The backup profile: the target path and the found files, kept from one run to the next.
#pragma once

#include <optional>
#include <string>

#include "app/disk.h"
#include "app/screen.h"
#include "app/state.h"
#include "profile/profile_format.h"

namespace vintrel {

inline constexpr const char* kProfileFileName = "Vintrel Profile.txt";
inline constexpr const char* kProfileTemporaryName = "Vintrel Profile.tmp";

// Where the backup profile lives: the start-up directory followed by its file name.
std::string ProfilePath(const AppState& state);

// Whether the profile's path fits the Windows path limit: a longer one is neither looked up
// nor read, and so never written either.
bool ProfilePathFits(const AppState& state);

// How reading the profile went.
enum class ProfileRead {
    Whole,
    InPart,     // a read failed part-way: what came before is there
    Empty,      // a file of no bytes
    Unreadable, // nothing of it could be read
};

// The one read of the profile, for the window and the scheduled run alike. Only called when
// something of the profile's name may exist. `bytesRead`, where given, gets what was read.
ProfileRead ReadProfile(const AppState& state, Disk& disk, ProfileContents& contents,
                        std::string* bytesRead = nullptr);

// Why a run has no profile to work with (none, unreadable, no target folder); nothing when
// its contents are read.
std::optional<std::string> WhyNoProfile(const AppState& state, Disk& disk,
                                        ProfileContents& contents);

// Fills the target path, the field showing it and both lists from the profile, and says how
// that went in the status bar.
ProfileRead LoadProfile(AppState& state, Disk& disk, ListSink& list);

// The window's start: loads the profile when something of its name may exist, otherwise says
// in the status bar that there is none.
void CheckForProfile(AppState& state, Disk& disk, ListSink& list);

// How saving the profile went.
enum class ProfileSave {
    Saved,
    Kept,     // the profile could not be read, or nothing changed here while another run saved
              // it: it stays as it was
    NotSaved, // the name cannot be taken, or writing failed: the old profile stays
};

// Writes the target path and the profile list to the profile, replacing the old one only
// once the new one is complete on disk. A profile that could not be read is kept unless a
// search has replaced its list since.
ProfileSave WriteProfile(AppState& state, Disk& disk);

// The window's save at its end: a failure, or a target chosen for a kept profile, is shown in
// a message box.
ProfileSave SaveProfile(AppState& state, Disk& disk, Dialogs& dialogs);

// The temporary file the new profile is written to before it takes the old one's place.
std::string ProfileTemporaryPath(const AppState& state);

} // namespace vintrel
