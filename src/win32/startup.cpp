#include "win32/startup.h"

#include <commctrl.h>
#include <objbase.h>

#include "app/ids.h"
#include "app/program.h"
#include "backup/backup.h"
#include "discovery/search.h"
#include "profile/profile.h"
#include "ui/balloon_tips.h"
#include "ui/gadgets.h"
#include "ui/list_header.h"
#include "ui/main_window.h"
#include "ui/title_banner.h"
#include "win32/win32_disk.h"

namespace vintrel {

void InitPlatform() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    CoInitialize(nullptr); // the folder dialog needs COM on this thread
}

std::optional<std::string> CurrentDirectory() {
    const DWORD needed = GetCurrentDirectoryA(0, nullptr);
    if (needed == 0) return std::nullopt;
    std::string dir(needed, '\0');
    const DWORD got = GetCurrentDirectoryA(needed, dir.data());
    if (got == 0 || got >= needed) return std::nullopt;
    dir.resize(got);
    return dir;
}

bool OpenAndDecorateMainWindow(WindowLayer& layer, AppState& state, HINSTANCE instance) {
    if (!layer.OpenMainWindow(instance)) return false;
    layer.AddShortcut(FVIRTKEY | FNOINVERT | FALT, 'X', kQuitCommand);
    InstallListHeader(layer, state);
    layer.SetStatusBarColour(state.windowColour);
    for (const GadgetColourSpec& c : kGadgetColours) {
        layer.SetGadgetColours(c.gadget, c.front, state.windowColour);
    }
    state.quitFlag = 0;
    AttachBalloonTips(layer);
    SetBannerTitle(layer, state, kMainWindowNumber);
    return true;
}

void RunVintrel(HINSTANCE instance) {
    InitPlatform();
    AppState state;
    const std::optional<std::string> dir = CurrentDirectory();
    InitSharedState(state, dir ? &*dir : nullptr);

    WindowLayer layer;
    if (!OpenAndDecorateMainWindow(layer, state, instance)) return;

    Win32Disk disk;
    Operations ops;
    ops.searchDataFiles = [&] { SearchDataFiles(state, disk, layer, "C:"); };
    ops.chooseTargetPath = [&] { ChooseTargetPath(state, layer); };
    ops.runBackup = [&] { RunBackup(state, disk, layer); };
    ops.loadProfile = [&] { LoadProfile(state, disk, layer); };
    ops.saveProfile = [&] { SaveProfile(state, disk, layer); };
    RunProgram(state, disk, layer, ops);
    layer.Release();
}

} // namespace vintrel
