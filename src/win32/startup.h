// Start-up and shutdown on Windows, around the portable spine of the program.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/state.h"
#include "unattended/command_line.h"
#include "ui/main_window.h"
#include "win32/handle.h"
#include "win32/win32_disk.h"

namespace vintrel {

// Common controls and COM for this thread.
void InitPlatform();

// The process's current directory, or nothing when Windows cannot say.
std::optional<std::string> CurrentDirectory();

// Opens the main window and decorates it: Alt+X, the header drawing, the colours, the
// tips and the title. False when the window cannot be made.
bool OpenAndDecorateMainWindow(WindowLayer& layer, AppState& state, HINSTANCE instance);

// The whole program, from start-up to the saved profile; the caller ends the process.
void RunVintrel(HINSTANCE instance);

// Takes the turn of the runs over one profile (see Disk::TakeTurn) into `turn`. False when
// another run held it all the while, or something no run holds stands at its name; true with
// nothing held where the folder is missing or takes no new file: the run says what is wrong.
bool TakeTurn(Disk& disk, const std::string& path, std::uint32_t waitMs,
              std::unique_ptr<HeldTurn>& turn);

// A scheduled backup, the usage text or a wrong argument: no window, the lines on the
// console that started the program, if any. Gives the exit code.
int RunWithoutWindow(const CommandLine& line);

} // namespace vintrel
