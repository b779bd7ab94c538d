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
#include "unattended/run_start.h"
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

namespace {

std::string LocalTimeText() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[32];
    wsprintfA(text, "%04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
              now.wMinute, now.wSecond);
    return text;
}

// One entry in the Application event log, under the source "Vintrel". The source is not
// registered (that takes an administrator): Windows then writes to the Application log, and
// the Event Viewer shows the text after a note that it has no description for the event's
// number. RegisterEventSourceA needs only write access to that log, which interactive users,
// services and, from Vista on, the Task Scheduler's batch logons have; where the account has
// none (an XP task run without a logged-on user may have none) it fails, and the log says so.
// Both calls are in advapi32 on every Windows NT; one string may have 31,839 characters.
bool ReportToEventLog(bool error, const std::string& text) {
    const HANDLE source = RegisterEventSourceA(nullptr, "Vintrel");
    if (source == nullptr) return false;
    const char* strings[] = {text.c_str()};
    const BOOL written = ReportEventA(source, error ? EVENTLOG_ERROR_TYPE : EVENTLOG_WARNING_TYPE,
                                      0, error ? 2 : 1, nullptr, 1, 0, strings, nullptr);
    DeregisterEventSource(source);
    return written != FALSE;
}

// Said when the window's backup finds another run over its profile going on.
constexpr const char* kTurnTakenText =
    "Another backup or restore over this profile is going on. Try again when it has ended.";

} // namespace

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
    ops.runBackup = [&] {
        // The window's backup takes the profile's turn as runs without a window do, without
        // waiting for it, and puts right first a restore one of them left unfinished.
        std::unique_ptr<HeldTurn> turn;
        if (!TakeTurn(disk, TurnPath(state.startupDirectory), 0, turn)) {
            layer.ShowMessageBox("Vintrel", kTurnTakenText, 0);
            return;
        }
        if (const std::optional<std::string> why =
                FinishRestoreBeforeWindowBackup(disk, state.startupDirectory, LocalTimeText())) {
            layer.ShowMessageBox("Error", "Nothing was backed up: " + *why + ".", 0);
            return;
        }
        RunBackup(state, disk, layer);
    };
    ops.loadProfile = [&] { CheckForProfile(state, disk, layer); };
    ops.saveProfile = [&] { SaveProfile(state, disk, layer); };
    ops.tellLastRun = [&] { TellLastRun(state, disk, layer, LocalTimeText()); };
    RunProgram(state, layer, ops);
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

} // namespace

bool TakeTurn(Disk& disk, const std::string& path, std::uint32_t waitMs,
              std::unique_ptr<HeldTurn>& turn) {
    DiskError why = DiskError::None;
    turn = disk.TakeTurn(path, waitMs, why);
    return turn || (why != DiskError::InUse && why != DiskError::Link);
}

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
    // GetTickCount is on every Windows (GetTickCount64 only from Vista on, and XP refuses to
    // load a program that imports it); it wraps after 49.7 days, and the run takes only
    // differences of it.
    setting.milliseconds = [] { return static_cast<std::uint32_t>(GetTickCount()); };
    setting.sleep = [](std::uint64_t ms) { Sleep(static_cast<DWORD>(ms)); };
    setting.reportEvent = ReportToEventLog;
    Win32Disk disk;
    std::unique_ptr<HeldTurn> turn; // held until the run has ended
    setting.waitForTurn = [&](const std::string& path) {
        return TakeTurn(disk, path, 60000, turn);
    };
    // The turn file goes once it is let go; until the deletion is done another run waits, as
    // for a run that ends. The next TakeTurn of this run makes the file anew.
    setting.releaseTurn = [&] { turn.reset(); };
    const int code = RunWithoutWindow(line, disk, setting);
    if (line.mode == CommandLine::Mode::Invalid) console.Write(kUsageText);
    return code;
}

} // namespace vintrel
