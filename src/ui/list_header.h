// The file list's column headers, drawn as buttons in the window colour.
#pragma once

#include <windows.h>

#include "app/state.h"
#include "ui/main_window.h"

namespace vintrel {

// Makes the file list draw its column headers as buttons in the window colour.
void InstallListHeader(WindowLayer& layer, const AppState& state);

// The file list's replacement window procedure.
LRESULT CALLBACK ListHeaderProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace vintrel
