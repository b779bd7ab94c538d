// The main window's title: the banner with today's date.
#pragma once

#include <windows.h>

#include "app/state.h"
#include "ui/main_window.h"

namespace vintrel {

// Sets the title of a window to the banner and the date of the given clock reading, or of
// the system clock (UTC) when none is given.
int SetBannerTitle(WindowLayer& layer, const AppState& state, int windowNumber,
                   const SYSTEMTIME* clock = nullptr);

} // namespace vintrel
