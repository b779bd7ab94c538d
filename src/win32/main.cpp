// Vintrel: finds the mail and address-book files of Outlook and Outlook Express and backs
// them up. Without arguments it opens its window; with /backup it copies without one.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "unattended/command_line.h"
#include "win32/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    std::vector<std::string> arguments;
    for (int i = 1; i < __argc; ++i)
        arguments.push_back(__argv[i]);
    const vintrel::CommandLine line = vintrel::ParseCommandLine(arguments);
    if (line.mode == vintrel::CommandLine::Mode::Window) {
        vintrel::RunVintrel(instance);
        ExitProcess(0);
    }
    ExitProcess(static_cast<UINT>(vintrel::RunWithoutWindow(line)));
}
