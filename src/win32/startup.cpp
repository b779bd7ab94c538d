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
#include "ui/main_window.h"
#include "ui/title_banner.h"
#include "unattended/unattended.h"
#include "win32/handle.h"
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

namespace {

// The console of the program that started this one, where there is one: its output, or
// the file or pipe that output goes to.
class ParentConsole {
public:
    ParentConsole() {
        // Already attached (as Wine starts a program from a console) counts as attached.
        if (!AttachConsole(ATTACH_PARENT_PROCESS) && GetLastError() != ERROR_ACCESS_DENIED) return;
        out_ = GetStdHandle(STD_OUTPUT_HANDLE);
        if (out_ == nullptr || out_ == INVALID_HANDLE_VALUE) {
            opened_ = Handle(CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
            out_ = opened_.get();
        }
    }
    ParentConsole(const ParentConsole&) = delete;
    ParentConsole& operator=(const ParentConsole&) = delete;
    bool Present() const { return out_ != nullptr && out_ != INVALID_HANDLE_VALUE; }
    void Write(const std::string& text) {
        DWORD written = 0;
        if (Present())
            WriteFile(out_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }

private:
    HANDLE out_ = INVALID_HANDLE_VALUE; // the standard output, never closed here, or opened_
    Handle opened_;                     // the console itself, where this program opened it
};

std::string LocalTimeText() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[32];
    wsprintfA(text, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
              now.wMinute, now.wSecond);
    return text;
}

} // namespace

int RunWithoutWindow(const CommandLine& line) {
    ParentConsole console;
    if (line.mode == CommandLine::Mode::Usage) {
        if (console.Present()) {
            console.Write(std::string("\r\n") + kUsageText);
        } else {
            MessageBoxA(nullptr, kUsageText, "Vintrel", MB_OK | MB_ICONINFORMATION);
        }
        return 0;
    }
    UnattendedSetting setting;
    const std::optional<std::string> here = CurrentDirectory();
    setting.currentDirectory = here.value_or("");
    setting.localTime = LocalTimeText();
    if (console.Present()) {
        console.Write("\r\n");
        setting.echo = [&](const std::string& text) { console.Write(text + "\r\n"); };
    }
    setting.milliseconds = [] { return static_cast<std::uint64_t>(GetTickCount64()); };
    setting.sleep = [](std::uint64_t ms) { Sleep(static_cast<DWORD>(ms)); };
    // A named mutex: the system gives it up when the process ends, however it ends.
    HANDLE turn = nullptr;
    setting.waitForTurn = [&turn](const std::string& name) {
        turn = CreateMutexA(nullptr, FALSE, ("Global\\" + name).c_str());
        if (!turn) return false;
        const DWORD waited = WaitForSingleObject(turn, 60000);
        return waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    };
    Win32Disk disk;
    const int code = RunScheduledBackup(line, disk, setting);
    if (turn) {
        ReleaseMutex(turn);
        CloseHandle(turn);
    }
    if (line.mode == CommandLine::Mode::Invalid) console.Write(kUsageText);
    return code;
}

} // namespace vintrel
