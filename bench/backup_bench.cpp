// Times RunBackup against a bare CopyFileA loop over the same files, in one process, several
// rounds, each side timed after an uncounted run of its own: a set of 300 mail files of 4 KiB
// to 4 MiB, four files of 256 MiB, and one of 1 GiB replacing its earlier copy (RunBackup
// flushes every copy before it takes its name, so there the loop flushes each copy too).
// First measures how long the window goes unanswered while a 2 GiB file is copied; last, how
// the time per entry grows from a profile of 1,000 missing files to one of 10,000 (each in a
// folder of its own), which a run must handle in linear time.
//
// Then what the checksum taken while copying costs, and what /verify's read-back costs, each
// against the same run without.
//
//   vintrel_backup_bench.exe <work folder> [rounds] [missing|checks]   (that part alone)
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "win32/win32_disk.h"
#include "bench_support.h"
#include "../tests/win32/linux_command.h"
#include "win32/startup.h"
#include "backup/backup.h"
#include "ui/main_window.h"

namespace {

using vintrel::bench::Median;
using vintrel::bench::Seconds;

// A file of the given size; with `sparse`, only its last byte is written.
void Plant(const std::string& path, std::uint64_t size, bool sparse = false) {
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return;
    vintrel::Win32Disk().MakeDirectoryPath(path);
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    std::vector<char> data(4194304, 'v');
    DWORD written = 0;
    if (sparse) {
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(size) - 1;
        SetFilePointerEx(f, at, nullptr, FILE_BEGIN);
        WriteFile(f, "v", 1, &written, nullptr);
    }
    for (std::uint64_t done = 0; !sparse && done < size; done += written) {
        WriteFile(f, data.data(),
                  static_cast<DWORD>(std::min<std::uint64_t>(data.size(), size - done)), &written,
                  nullptr);
    }
    CloseHandle(f);
}

// 300 files from 4 KiB to 4 MiB, about 380 MB in all, in 30 folders.
std::vector<std::string> MailSet(const std::string& root, double& megabytes) {
    const DWORD sizes[] = {4096, 65536, 524288, 1048576, 2097152, 4194304};
    std::vector<std::string> files;
    megabytes = 0;
    for (int i = 0; i < 300; ++i) {
        files.push_back(root + "\\src\\folder" + std::to_string(i % 30) + "\\mail" +
                        std::to_string(i) + ".pst");
        Plant(files.back(), sizes[i % 6]);
        megabytes += sizes[i % 6] / 1e6;
    }
    return files;
}

std::vector<std::string> LargeSet(const std::string& root, double& megabytes) {
    std::vector<std::string> files;
    for (int i = 0; i < 4; ++i) {
        files.push_back(root + "\\large\\archive" + std::to_string(i) + ".pst");
        Plant(files.back(), 256ULL << 20);
    }
    megabytes = 4 * 268.435456;
    return files;
}

// Under Wine, writes the system's dirty pages out before a timed part (through Linux's sync),
// so that no part pays for the write-back of the one before it. Elsewhere nothing.
void SettleDisk() {
    vintrel::test::RunLinuxCommand("sync");
}

struct Figures {
    double backup;
    double bare;
};

// CopyFileA, then (with `flush`) FlushFileBuffers of the copy.
bool BareCopy(const std::string& from, const std::string& to, bool flush) {
    if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) return false;
    if (!flush) return true;
    HANDLE copy = CreateFileA(to.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const bool flushed = copy != INVALID_HANDLE_VALUE && FlushFileBuffers(copy);
    if (copy != INVALID_HANDLE_VALUE) CloseHandle(copy);
    return flushed;
}

Figures Compare(vintrel::AppState& state, vintrel::Disk& disk, vintrel::Screen& screen,
                const std::string& root, const std::vector<std::string>& files, int rounds,
                bool flush = false) {
    state.targetPath = root + "\\a\\";
    state.profileList.clear();
    for (const std::string& f : files)
        state.profileList.push_back(f + "|Outlook personal folders|[No idea]");
    // The bare loop gets its folders made up front: it measures copying alone.
    std::vector<std::string> bareTargets;
    for (const std::string& f : files) {
        bareTargets.push_back(root + "\\b\\" + f.substr(3));
        disk.MakeDirectoryPath(bareTargets.back());
    }
    std::vector<double> backup(rounds), bare(rounds);
    std::size_t failed = 0; // over all the rounds
    int bareFailed = 0;
    const auto timeBackup = [&] {
        SettleDisk();
        const double start = Seconds();
        failed += vintrel::RunBackup(state, disk, screen).Failed();
        return Seconds() - start;
    };
    const auto timeBare = [&] {
        SettleDisk();
        const double start = Seconds();
        for (std::size_t i = 0; i < files.size(); ++i) {
            bareFailed += !BareCopy(files[i], bareTargets[i], flush);
        }
        return Seconds() - start;
    };
    for (int round = 0; round < rounds; ++round) {
        // Under Linux, a copy that follows the other kind meets the write-back pace that the
        // other left (a rewrite in place flushes at every close, and the next writer of new
        // files is throttled to that pace for a while, sync or not): each is timed right after
        // an uncounted run of its own kind, the way repeated backups run.
        timeBackup();
        backup[round] = timeBackup();
        timeBare();
        bare[round] = timeBare();
        std::printf("round %d: RunBackup %.3f s, CopyFileA loop%s %.3f s%s\n", round + 1,
                    backup[round], flush ? " with flushes" : "", bare[round],
                    failed || bareFailed ? " (copies failed!)" : "");
    }
    return {Median(backup), Median(bare)};
}

// Asks the window for an answer again and again from another thread, keeping the longest
// wait, until told to stop.
struct AnswerWatch {
    HWND window;
    std::atomic<bool> stop{false};
    double longest = 0;
    static DWORD WINAPI Run(void* self) {
        auto* watch = static_cast<AnswerWatch*>(self);
        while (!watch->stop) {
            const double start = Seconds();
            DWORD_PTR result = 0;
            SendMessageTimeoutA(watch->window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
            watch->longest = std::max(watch->longest, Seconds() - start);
            Sleep(1); // pacing the asking, not waiting for anything
        }
        return 0;
    }
};

// The seconds a run without a window takes over `count` listed files that are all missing,
// each in a folder of its own, into a fresh target; the run must make no folder for them.
double MissingRun(vintrel::Disk& disk, const std::string& root, int count) {
    struct Quiet : vintrel::BackupReporter {
        void FileDone(const vintrel::FileResult&) override {}
    } quiet;
    std::vector<std::string> entries;
    for (int i = 0; i < count; ++i) {
        entries.push_back(root + "\\gone\\f" + std::to_string(i) + "\\mail" + std::to_string(i) +
                          ".pst|Outlook personal folders|[No idea]");
    }
    const std::string fresh = root + "\\m" + std::to_string(count) + "-" +
                              std::to_string(GetTickCount()) + "\\";
    SettleDisk();
    const double begun = Seconds();
    const vintrel::BackupResult result =
        vintrel::BackUpEntries(fresh, entries, disk, nullptr, quiet, true);
    const double took = Seconds() - begun;
    if (result.Failed() != static_cast<std::size_t>(count)) std::printf("(some were found!)\n");
    return took;
}

// The time per entry of 10,000 missing entries against that of 1,000, in one run.
void CompareMissing(vintrel::Disk& disk, const std::string& root) {
    const double small = MissingRun(disk, root, 1000);
    const double large = MissingRun(disk, root, 10000);
    std::printf("missing entries: 1,000 in %.3f s, 10,000 in %.3f s; time per entry 10,000 / "
                "1,000: %.2f (target: at most 1.5)\n",
                small, large, (large / 10000) / (small / 1000));
}

// The same files copied again and again over their earlier copies: without checksums, with
// them, and with each copy read back as well (/verify); each kind timed after an uncounted
// run of its own, the kinds taking turns.
void CompareChecks(vintrel::Disk& disk, const std::string& root, const std::vector<std::string>& files,
                   const char* what, int rounds) {
    struct Quiet : vintrel::BackupReporter {
        void FileDone(const vintrel::FileResult&) override {}
    } quiet;
    std::vector<std::string> entries;
    for (const std::string& f : files)
        entries.push_back(f + "|Outlook personal folders|[No idea]");
    const std::string target = root + "\\checks\\";
    std::size_t failed = 0;
    const auto run = [&](bool checksums, bool verify) {
        SettleDisk();
        const double start = Seconds();
        failed += vintrel::BackUpEntries(target, entries, disk, nullptr, quiet, false, 0,
                                         vintrel::MakeTarget::WhereItsDriveIsThere, verify,
                                         checksums)
                      .Failed();
        return Seconds() - start;
    };
    std::vector<double> bare(rounds), summed(rounds), verified(rounds);
    for (int round = 0; round < rounds; ++round) {
        run(false, false);
        bare[round] = run(false, false);
        run(true, false);
        summed[round] = run(true, false);
        run(true, true);
        verified[round] = run(true, true);
        std::printf("round %d: no checksums %.3f s, checksums %.3f s, /verify %.3f s%s\n",
                    round + 1, bare[round], summed[round], verified[round],
                    failed ? " (copies failed!)" : "");
    }
    std::printf("%s: checksums / none: %.3f (target: at most 1.05); /verify / none: %.3f "
                "(target: at most 2.1)\n",
                what, Median(summed) / Median(bare), Median(verified) / Median(bare));
}

} // namespace

int main(int argc, char** argv) {
    if (vintrel::bench::MissingArguments(argc, argv, "<work folder> [rounds]")) return 2;
    const std::string root = argv[1];
    const int rounds = vintrel::bench::CountArgument(argc, argv, 2, 5);

    vintrel::InitPlatform();
    vintrel::AppState state;
    const std::string here = "C:\\";
    vintrel::InitSharedState(state, &here);
    vintrel::WindowLayer layer;
    if (!vintrel::OpenAndDecorateMainWindow(layer, state, GetModuleHandleA(nullptr))) return 1;
    vintrel::Win32Disk disk;
    vintrel::Screen& screen = layer;
    if (argc > 3 && std::string(argv[3]) == "missing") {
        CompareMissing(disk, root);
        layer.Release();
        return 0;
    }
    const bool checksOnly = argc > 3 && std::string(argv[3]) == "checks";

    if (checksOnly) {
        double megabytes = 0;
        CompareChecks(disk, root, MailSet(root, megabytes), "300 mail files", rounds);
        CompareChecks(disk, root, LargeSet(root, megabytes), "4 files of 256 MiB", rounds);
        layer.Release();
        return 0;
    }
    // First, before the comparisons fill the system's write-back with gigabytes.
    const std::string huge = root + "\\huge\\two-gib.pst";
    Plant(huge, 2ULL << 30, true);
    state.targetPath = root + "\\a\\";
    state.profileList = {huge + "|Outlook personal folders|[No idea]"};
    SettleDisk();
    AnswerWatch watch{layer.Window(1)};
    HANDLE thread = CreateThread(nullptr, 0, &AnswerWatch::Run, &watch, 0, nullptr);
    const double start = Seconds();
    vintrel::RunBackup(state, disk, screen);
    const double took = Seconds() - start;
    watch.stop = true;
    // The watcher may be waiting for an answer: answer while waiting for it to end.
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) !=
           WAIT_OBJECT_0) {
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    CloseHandle(thread);
    std::printf("a 2 GiB file copied in %.1f s; longest wait for the window's answer: %.0f ms "
                "(target: at most 100)\n",
                took, watch.longest * 1000);

    double megabytes = 0;
    const std::vector<std::string> mail = MailSet(root, megabytes);
    const Figures small = Compare(state, disk, screen, root, mail, rounds);
    std::printf("%zu files, %.0f MB\n", mail.size(), megabytes);
    std::printf("RunBackup:       %.0f MB/s (median %.3f s)\n", megabytes / small.backup,
                small.backup);
    std::printf("CopyFileA loop:  %.0f MB/s (median %.3f s)\n", megabytes / small.bare, small.bare);
    std::printf("RunBackup / CopyFileA loop: %.2f; added per file: %.2f ms\n",
                small.backup / small.bare, (small.backup - small.bare) * 1000 / mail.size());
    const Figures flushed = Compare(state, disk, screen, root, mail, rounds, true);
    std::printf("RunBackup / CopyFileA loop with a flush of each copy: %.2f; added per file: "
                "%.2f ms\n",
                flushed.backup / flushed.bare,
                (flushed.backup - flushed.bare) * 1000 / mail.size());

    // A nightly run with nothing changed, against the first run into an empty target.
    {
        struct Quiet : vintrel::BackupReporter {
            void FileDone(const vintrel::FileResult&) override {}
        } quiet;
        std::vector<std::string> entries;
        for (const std::string& f : mail)
            entries.push_back(f + "|Outlook personal folders|[No idea]");
        const std::string fresh = root + "\\n" + std::to_string(GetTickCount()) + "\\";
        SettleDisk();
        double begun = Seconds();
        vintrel::BackUpEntries(fresh, entries, disk, &screen, quiet, true);
        const double first = Seconds() - begun;
        SettleDisk();
        begun = Seconds();
        const vintrel::BackupResult again =
            vintrel::BackUpEntries(fresh, entries, disk, &screen, quiet, true);
        const double second = Seconds() - begun;
        std::printf("unchanged: first run %.3f s, second run %.3f s (%zu unchanged): %.1f%% "
                    "(target: at most 5%%)\n",
                    first, second, again.Unchanged(), second * 100 / first);
    }

    const std::vector<std::string> large = LargeSet(root, megabytes);
    const Figures big = Compare(state, disk, screen, root, large, rounds);
    std::printf("4 files of 256 MiB: RunBackup %.0f MB/s, CopyFileA loop %.0f MB/s\n",
                megabytes / big.backup, megabytes / big.bare);
    std::printf("throughput RunBackup / CopyFileA loop: %.2f (target: at least 0.95)\n",
                big.bare / big.backup);

    const std::vector<std::string> gib = {root + "\\gib\\one-gib.pst"};
    Plant(gib[0], 1ULL << 30);
    const Figures replaced = Compare(state, disk, screen, root, gib, rounds, true);
    std::printf("1 GiB replacing its earlier copy, flush included: RunBackup %.2f s, CopyFileA "
                "and FlushFileBuffers %.2f s; ratio %.2f (target: at most 1.15)\n",
                replaced.backup, replaced.bare, replaced.backup / replaced.bare);

    CompareChecks(disk, root, mail, "300 mail files", rounds);
    CompareChecks(disk, root, large, "4 files of 256 MiB", rounds);
    CompareMissing(disk, root);
    layer.Release();
    return 0;
}
