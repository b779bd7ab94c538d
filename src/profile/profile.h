// The backup profile: the target path and the found files, kept from one run to the next.
#pragma once

#include "app/disk.h"
#include "app/screen.h"
#include "app/state.h"

namespace vintrel {

// Fills the target path, the field showing it and both lists from the profile, and says how
// that went. Only called when something of the profile's name exists.
void LoadProfile(AppState& state, Disk& disk, Screen& screen);

// Writes the target path and the profile list to the profile, replacing the old one only
// once the new one is complete on disk. A profile that could not be read is left alone unless
// a search has replaced its list since. A failure is shown in a message box.
void SaveProfile(AppState& state, Disk& disk, Screen& screen);

// The temporary file the new profile is written to before it takes the old one's place.
std::string ProfileTemporaryPath(const AppState& state);

} // namespace vintrel
