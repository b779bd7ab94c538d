// Modal boxes that block the whole program: while one is open, every other visible,
// enabled top-level window of this thread is disabled, and always-on-top ones step down.
#pragma once

#include <windows.h>

#include <string>

namespace vintrel {

void BeginModal();
void EndModal();

// The foreground window when it belongs to this process, otherwise none.
HWND ModalOwner();

int ShowModalMessageBox(const std::string& caption, const std::string& text, UINT type);

} // namespace vintrel
