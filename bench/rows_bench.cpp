// Times what adding many rows to the real file list costs: loading a profile of N entries
// (half of them missing) until its message and the painted list, saving it again, and a
// search that lists N data files against one over a tree of the same shape that lists none.
//
//   vintrel_rows_bench.exe <work folder on C:> [entries]
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/disk_win32.h"
#include "app/startup_win32.h"
#include "bench_support.h"
#include "discovery/search.h"
#include "profile/profile.h"
#include "ui/screen.h"

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

// Handles every waiting message, as the event loop would right after: the list paints.
void Settle(vintrel::Screen& screen) {
    vintrel::Event event;
    while (screen.PollEvent(&event) != 0) {
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <work folder on C:> [entries]\n", argv[0]);
        return 2;
    }
    const std::string work = argv[1];
    const int entries = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10000;
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
    vintrel::Win32Screen screen(layer);
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
    std::printf("search listing %zu rows: %.3f s; the same tree listing none: %.3f s; the rows "
                "cost %.3f s (target: under 1 s)\n",
                found, searchAll, searchNone, searchAll - searchNone);
    layer.Release();
    return 0;
}
