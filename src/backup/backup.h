// Choosing the target path and copying every listed file below it.
#pragma once

#include "app/disk.h"
#include "app/screen.h"
#include "app/state.h"

namespace vintrel {

void ChooseTargetPath(AppState& state, Screen& screen);
void RunBackup(AppState& state, Disk& disk, Screen& screen);

} // namespace vintrel
