// Times RunBackup against a bare CopyFileA loop over the same files, in one process,
// alternating, several rounds.
//
//   vintrel_backup_bench.exe <work folder> [rounds]
#include <windows.h>
#include <imagehlp.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "win32/win32_disk.h"
#include "bench_support.h"
#include "win32/startup.h"
#include "backup/backup.h"
#include "ui/main_window.h"

namespace {

using vintrel::bench::Median;
using vintrel::bench::Seconds;

// 300 files from 4 KiB to 4 MiB, about 380 MB in all, in 30 folders.
std::vector<std::string> PlantSources(const std::string& root, double& megabytes) {
    const DWORD sizes[] = {4096, 65536, 524288, 1048576, 2097152, 4194304};
    std::vector<std::string> files;
    std::vector<char> data(4194304, 'v');
    megabytes = 0;
    for (int i = 0; i < 300; ++i) {
        const std::string dir = root + "\\src\\folder" + std::to_string(i % 30) + "\\";
        MakeSureDirectoryPathExists(dir.c_str());
        const std::string path = dir + "mail" + std::to_string(i) + ".pst";
        const DWORD size = sizes[i % 6];
        megabytes += size / 1e6;
        files.push_back(path);
        if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
        HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(f, data.data(), size, &written, nullptr);
        CloseHandle(f);
    }
    return files;
}

} // namespace

int main(int argc, char** argv) {
    if (vintrel::bench::MissingArguments(argc, argv, "<work folder> [rounds]")) return 2;
    const std::string root = argv[1];
    const int rounds = vintrel::bench::CountArgument(argc, argv, 2, 3);
    double megabytes = 0;
    const std::vector<std::string> files = PlantSources(root, megabytes);

    vintrel::InitPlatform();
    vintrel::AppState state;
    const std::string here = "C:\\";
    vintrel::InitSharedState(state, &here);
    vintrel::WindowLayer layer;
    if (!vintrel::OpenAndDecorateMainWindow(layer, state, GetModuleHandleA(nullptr))) return 1;
    vintrel::Win32Disk disk;
    vintrel::Screen& screen = layer;
    state.targetPath = root + "\\a\\";
    for (const std::string& f : files)
        state.profileList.push_back(f + "|Outlook personal folders|[No idea]");

    // The bare loop gets its folders made up front: it measures copying alone.
    std::vector<std::string> bareTargets;
    for (const std::string& f : files) {
        bareTargets.push_back(root + "\\b\\" + f.substr(3));
        MakeSureDirectoryPathExists(bareTargets.back().c_str());
    }

    std::vector<double> backup, bare;
    for (int round = 0; round < rounds; ++round) {
        double start = Seconds();
        vintrel::RunBackup(state, disk, screen);
        backup.push_back(Seconds() - start);
        start = Seconds();
        int failed = 0;
        for (std::size_t i = 0; i < files.size(); ++i) {
            failed += !CopyFileA(files[i].c_str(), bareTargets[i].c_str(), FALSE);
        }
        bare.push_back(Seconds() - start);
        std::printf("round %d: RunBackup %.3f s, CopyFileA loop %.3f s%s\n", round + 1,
                    backup.back(), bare.back(), failed ? " (copies failed!)" : "");
    }
    const double b = Median(backup), c = Median(bare);
    std::printf("%zu files, %.0f MB\n", files.size(), megabytes);
    std::printf("RunBackup:       %.0f MB/s (median %.3f s)\n", megabytes / b, b);
    std::printf("CopyFileA loop:  %.0f MB/s (median %.3f s)\n", megabytes / c, c);
    std::printf("RunBackup / CopyFileA loop: %.2f\n", b / c);
    layer.Release();
    return 0;
}
