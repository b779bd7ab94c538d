// The shell's folder dialog, modal for the whole program.
#pragma once

#include <string>

namespace vintrel {

// The chosen directory's path, always ending in "\", or the empty text when the user
// cancels, picks something that is no directory on disk, or the dialog is unavailable.
std::string ShowFolderDialog(const std::string& title, const std::string& initialPath);

} // namespace vintrel
