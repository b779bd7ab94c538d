// The walk over a drive that finds the mail and address-book data files.
#pragma once

#include <string>

#include "app/disk.h"
#include "app/screen.h"
#include "app/state.h"

namespace vintrel {

void SearchDataFiles(AppState& state, Disk& disk, Screen& screen,
                     const std::string& startDirectory);

} // namespace vintrel
