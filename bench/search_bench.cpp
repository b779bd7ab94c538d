// Times the search against a bare depth-first FindFirstFileA walk of the same tree, in one
// process, alternating, several rounds. The search runs on the real main window, so its
// turning mark and message handling cost what they cost for a user.
//
//   vintrel_search_bench.exe <tree root> [rounds] [second tree root] [its rounds]
//   vintrel_search_bench.exe records <tree with a record> <same tree without> [rounds]
// The second form times a search over a backup target whose record names its data files as
// copies against one over the same tree with no record: what reading records costs.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "win32/win32_disk.h"
#include "bench_support.h"
#include "win32/startup.h"
#include "discovery/search.h"
#include "ui/main_window.h"

namespace {

using vintrel::bench::Median;
using vintrel::bench::Seconds;

// The baseline: the same entries in the same order and nothing else; with `peek`, one
// PeekMessageA round per file as well, which is what handling the messages costs by itself.
long BareWalk(const std::string& directory, bool peek) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((directory + "\\*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    long files = 0;
    std::vector<std::string> subdirectories;
    do {
        const std::string name = data.cFileName;
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            ++files;
            MSG message;
            while (peek && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&message);
        } else if (name != "." && name != ".." &&
                   !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            subdirectories.push_back(directory + "\\" + name);
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
    for (const std::string& sub : subdirectories)
        files += BareWalk(sub, peek);
    return files;
}

// The real window, noting the longest time between two handlings of messages: a message
// sent to it waits at most that long for its answer.
class GapScreen : public vintrel::WindowLayer {
public:
    std::optional<vintrel::Event> PollEvent() override {
        const double now = Seconds();
        longestGap = std::max(longestGap, now - last);
        last = now;
        return WindowLayer::PollEvent();
    }
    void Start() { last = Seconds(); }
    double last = 0, longestGap = 0;
};

double PeakMegabytes() {
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    return memory.PeakWorkingSetSize / (1024.0 * 1024.0);
}

void TimeTree(vintrel::AppState& state, GapScreen& screen, const std::string& root, int rounds) {
    vintrel::Win32Disk disk;
    long files = BareWalk(root, false); // warms the caches for both
    std::vector<double> bare, search, alone, peeking;
    double longestGap = 0;
    for (int round = 0; round < rounds; ++round) {
        double start = Seconds();
        files = BareWalk(root, false);
        bare.push_back(Seconds() - start);
        screen.Start();
        start = Seconds();
        vintrel::SearchDataFiles(state, disk, screen, root);
        search.push_back(Seconds() - start);
        longestGap = std::max(longestGap, screen.longestGap);
        screen.longestGap = 0;
        start = Seconds();
        BareWalk(root, true);
        peeking.push_back(Seconds() - start);
        start = Seconds(); // as a run without a window searches: no list, no pump
        vintrel::SearchDataFiles(state, disk, nullptr, nullptr, root);
        alone.push_back(Seconds() - start);
        std::printf("round %d: bare walk %.3f s, search %.3f s, search without a window %.3f s, "
                    "bare walk peeking once per file %.3f s\n",
                    round + 1, bare.back(), search.back(), alone.back(), peeking.back());
    }
    const double bareTime = Median(bare), searchTime = Median(search);
    std::printf("files: %ld, data files listed: %zu\n", files, state.profileList.size());
    std::printf("bare FindFirstFileA walk: %.0f files/s (median %.3f s)\n", files / bareTime,
                bareTime);
    std::printf("SearchDataFiles:          %.0f files/s (median %.3f s)\n", files / searchTime,
                searchTime);
    std::vector<double> ratios;
    for (std::size_t i = 0; i < bare.size(); ++i)
        ratios.push_back(search[i] / bare[i]);
    std::printf("search / bare walk: %.2f (target: at most 1.30); median of the rounds' own "
                "ratios: %.2f\n",
                searchTime / bareTime, Median(ratios));
    std::printf("search without a window / bare walk: %.2f\n", Median(alone) / bareTime);
    std::printf("bare walk peeking once per file / bare walk: %.2f (what handling the messages "
                "once per file would cost by itself)\n",
                Median(peeking) / bareTime);
    std::printf("longest time between two handlings of messages: %.1f ms (target: under 100)\n",
                longestGap * 1000);
    std::printf("peak working set so far: %.1f MB (target: under 40)\n", PeakMegabytes());
}

// The search over a target whose record hides its copies, against the same tree without a
// record, alternating; each without a window, as a scheduled run searches.
void CompareRecords(vintrel::AppState& state, const std::string& with, const std::string& without,
                    int rounds) {
    vintrel::Win32Disk disk;
    const auto time = [&](const std::string& root) {
        const double start = Seconds();
        vintrel::SearchDataFiles(state, disk, nullptr, nullptr, root);
        return Seconds() - start;
    };
    time(with); // warms the caches for both
    time(without);
    std::vector<double> recorded, bare;
    std::size_t hidden = 0, listed = 0;
    for (int round = 0; round < rounds; ++round) {
        recorded.push_back(time(with));
        hidden = state.profileList.size();
        bare.push_back(time(without));
        listed = state.profileList.size();
        std::printf("round %d: with a record %.3f s, without %.3f s\n", round + 1,
                    recorded.back(), bare.back());
    }
    std::printf("data files listed: %zu with the record, %zu without\n", hidden, listed);
    std::printf("search with records / without: %.3f (target: at most 1.02)\n",
                Median(recorded) / Median(bare));
}

} // namespace

int main(int argc, char** argv) {
    if (vintrel::bench::MissingArguments(argc, argv,
                                         "<tree root> [rounds] [second tree root] [its rounds]"))
        return 2;
    const int rounds = vintrel::bench::CountArgument(argc, argv, 2, 5);

    vintrel::InitPlatform();
    vintrel::AppState state;
    const std::string here = "C:\\";
    vintrel::InitSharedState(state, &here);
    if (std::string(argv[1]) == "records" && argc > 3) {
        CompareRecords(state, argv[2], argv[3], vintrel::bench::CountArgument(argc, argv, 4, 5));
        return 0;
    }
    GapScreen screen;
    if (!vintrel::OpenAndDecorateMainWindow(screen, state, GetModuleHandleA(nullptr))) return 1;
    std::printf("== %s\n", argv[1]);
    TimeTree(state, screen, argv[1], rounds);
    if (argc > 3) {
        const int bigRounds = vintrel::bench::CountArgument(argc, argv, 4, rounds);
        std::printf("== %s\n", argv[3]);
        TimeTree(state, screen, argv[3], bigRounds);
    }
    screen.Release();
    return 0;
}
