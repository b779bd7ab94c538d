// The file list's grid: drawn over the list after it has painted itself.
#pragma once

#include <windows.h>

namespace vintrel {

// The height of one row of the list, also when it has no rows.
int ListRowHeight(HWND list);

// Lines in the 3-D face colour: one at the lower edge of every row position and one at the
// right edge of every column, from below the header to the bottom, rows or no rows.
void DrawListGrid(HWND list, HDC dc);

} // namespace vintrel
