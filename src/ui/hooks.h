// The window's finishing touches: the list header drawing, the balloon tips and the title
// with today's date.
#pragma once

#include <windows.h>

#include "app/state.h"
#include "ui/main_window.h"

namespace vintrel {

// Makes the file list draw its column headers as buttons in the window colour.
void InstallListHeader(WindowLayer& layer, const AppState& state);

// The file list's replacement window procedure.
LRESULT CALLBACK ListHeaderProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam);

// One balloon tooltip for one gadget of a window.
int AddBalloonTip(WindowLayer& layer, int windowNumber, int gadgetNumber, const char* text);

// The six tips, in their order.
void AttachBalloonTips(WindowLayer& layer);

// Sets the title of a window to the banner and the date of the given clock reading, or of
// the system clock (UTC) when none is given.
int SetBannerTitle(WindowLayer& layer, const AppState& state, int windowNumber,
                   const SYSTEMTIME* clock = nullptr);

} // namespace vintrel
