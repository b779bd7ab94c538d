// Times what adding many rows to the real file list costs: loading a profile of N entries
// (half of them missing) until its message and the painted list, saving it again, and a
// search that lists N data files against one over a tree of the same shape that lists none.
//
// Then the real program is started with that profile and closed again, against a start without
// one.
//
//   vintrel_rows_bench.exe <work folder on C:> [entries]
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "win32/win32_disk.h"
#include "win32/startup.h"
#include "bench_support.h"
#include "discovery/search.h"
#include "profile/profile.h"
#include "ui/main_window.h"

namespace {

using vintrel::bench::Seconds;

void Write(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

// N files in folders of 500, named as data files or not.
void PlantTree(const std::string& root, int files, const char* ending) {
    CreateDirectoryA(root.c_str(), nullptr);
    for (int i = 0; i < files; ++i) {
        const std::string dir = root + "\\d" + std::to_string(i / 500);
        if (i % 500 == 0) CreateDirectoryA(dir.c_str(), nullptr);
        Write(dir + "\\f" + std::to_string(i) + ending, "");
    }
}

struct ProgramRun {
    double untilIdle = 0; // from start until it waits for the first event
    double untilExit = 0; // from the close request until the process has ended
    std::string status;
};

// EnumThreadWindows calls back with stdcall on 32-bit Windows: a plain function, not a lambda.
BOOL CALLBACK KeepIfMain(HWND window, LPARAM result) {
    char cls[64] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (std::string(cls) != "VintrelMainWindow") return TRUE;
    *reinterpret_cast<HWND*>(result) = window;
    return FALSE;
}

HWND MainWindowOf(DWORD thread) {
    HWND found = nullptr;
    EnumThreadWindows(thread, KeepIfMain, reinterpret_cast<LPARAM>(&found));
    return found;
}

// vintrel.exe, started in a folder as a user would start it, then closed.
ProgramRun RunProgramIn(const std::string& folder) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string folderOfSelf = self;
    folderOfSelf.resize(folderOfSelf.find_last_of('\\') + 1);
    std::string command = '"' + folderOfSelf + "vintrel.exe" + '"';
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION process{};
    ProgramRun run;
    double start = Seconds();
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &si, &process)) {
        return run;
    }
    WaitForInputIdle(process.hProcess, 600000);
    run.untilIdle = Seconds() - start;
    HWND window = MainWindowOf(process.dwThreadId);
    char text[512] = "";
    SendMessageA(FindWindowExA(window, nullptr, STATUSCLASSNAMEA, nullptr), WM_GETTEXT, sizeof text,
                 reinterpret_cast<LPARAM>(text));
    run.status = text;
    start = Seconds();
    PostMessageA(window, WM_CLOSE, 0, 0);
    WaitForSingleObject(process.hProcess, 600000);
    run.untilExit = Seconds() - start;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return run;
}

// Handles every waiting message, as the event loop would right after: the list paints.
void Settle(vintrel::Screen& screen) {
    while (screen.PollEvent()) {
    }
}

} // namespace

int main(int argc, char** argv) {
    if (vintrel::bench::MissingArguments(argc, argv, "<work folder on C:> [entries]")) return 2;
    const std::string work = argv[1];
    const int entries = vintrel::bench::CountArgument(argc, argv, 2, 10000);
    CreateDirectoryA(work.c_str(), nullptr);
    const std::string withData = work + "\\data", without = work + "\\none";
    if (GetFileAttributesA(withData.c_str()) == INVALID_FILE_ATTRIBUTES) {
        PlantTree(withData, entries, ".pst");
        PlantTree(without, entries, ".txt");
    }

    // The profile: every other entry names a file that is there.
    std::string profile = "C:\\Backups\\\r\n";
    for (int i = 0; i < entries; ++i) {
        const std::string path =
            i % 2 ? withData + "\\d" + std::to_string(i / 500) + "\\f" + std::to_string(i) + ".pst"
                  : work + "\\gone\\f" + std::to_string(i) + ".pst";
        profile += path + "|Outlook personal folders|[No idea]\r\n";
    }
    Write(work + "\\Vintrel Profile.txt", profile);

    vintrel::InitPlatform();
    vintrel::AppState state;
    const std::string here = work;
    vintrel::InitSharedState(state, &here);
    vintrel::WindowLayer layer;
    if (!vintrel::OpenAndDecorateMainWindow(layer, state, GetModuleHandleA(nullptr))) return 1;
    vintrel::Win32Disk disk;
    vintrel::Screen& screen = layer;
    Settle(screen);

    double start = Seconds();
    vintrel::LoadProfile(state, disk, screen);
    const double loaded = Seconds() - start;
    Settle(screen);
    const double painted = Seconds() - start;
    start = Seconds();
    vintrel::SaveProfile(state, disk, screen);
    const double saved = Seconds() - start;

    start = Seconds();
    vintrel::SearchDataFiles(state, disk, screen, without);
    const double searchNone = Seconds() - start;
    start = Seconds();
    vintrel::SearchDataFiles(state, disk, screen, withData);
    const double searchAll = Seconds() - start;
    const std::size_t found = state.profileList.size();

    std::printf("profile of %d entries: loaded in %.3f s (target: under 1 s), painted after "
                "%.3f s; saved in %.3f s (target: under 0.5 s)\n",
                entries, loaded, painted, saved);
    const std::string empty = work + "\\empty";
    CreateDirectoryA(empty.c_str(), nullptr);
    DeleteFileA((empty + "\\Vintrel Profile.txt").c_str());
    const ProgramRun bare = RunProgramIn(empty);
    const ProgramRun full = RunProgramIn(work);
    std::printf("vintrel.exe without a profile: waiting for input after %.3f s, ended %.3f s "
                "after the close\n",
                bare.untilIdle, bare.untilExit);
    std::printf("vintrel.exe with the profile: waiting for input after %.3f s (\"%s\"), "
                "ended %.3f s after the close\n",
                full.untilIdle, full.status.c_str(), full.untilExit);
    std::printf("search listing %zu rows: %.3f s; the same tree listing none: %.3f s; the rows "
                "cost %.3f s (target: under 1 s)\n",
                found, searchAll, searchNone, searchAll - searchNone);
    layer.Release();
    return 0;
}
