// Vintrel: finds the mail and address-book files of Outlook and Outlook Express and backs
// them up. No arguments, no settings beyond the backup profile; the exit code is always 0.
#include <windows.h>

#include "win32/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    vintrel::RunVintrel(instance);
    ExitProcess(0);
}
