// The backup profile: the target path and the found files, kept from one run to the next.
#pragma once

#include "app/disk.h"
#include "app/screen.h"
#include "app/state.h"

namespace vintrel {

void LoadProfile(AppState& state, Disk& disk, Screen& screen);
void SaveProfile(AppState& state, Disk& disk, Screen& screen);

} // namespace vintrel
