// The program as a whole: start-up to exit in this process, and the real vintrel.exe.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <set>

#include "win32/startup.h"
#include "win32/win32_disk.h"
#include "app/ids.h"
#include "app/last_run.h"
#include "app/program.h"
#include "profile/profile.h"
#include "profile/profile_format.h"
#include "ui/gadgets.h"
#include "ui/main_window.h"
#include "backup/checksum.h"
#include "copies/copy_record.h"
#include "test_support.h"
#include "window_fixture.h"
#include "app/texts.h"

namespace vintrel {
namespace {

using test::MainWindowTest;
using test::TempDir;

class ProgramRunTest : public MainWindowTest {
protected:
    void Run() {
        state.startupDirectory = dir.path() + "\\";
        Win32Disk disk;
        Operations ops;
        ops.searchDataFiles = [&] {
            log.push_back("search");
            statusAtSearch = Status();
        };
        ops.loadProfile = [&] {
            log.push_back("load");
            CheckForProfile(state, disk, layer);
            statusAtLoad = Status();
        };
        ops.saveProfile = [&] { log.push_back(IsWindow(main) ? "save, window open" : "save"); };
        ops.tellLastRun = [&] { TellLastRun(state, disk, layer, "2026-12-09 09:00:00"); };
        RunProgram(state, layer, ops);
    }
    void Click(int gadget) {
        PostMessageA(main, WM_COMMAND, MAKEWPARAM(gadget, BN_CLICKED),
                     reinterpret_cast<LPARAM>(Gadget(gadget)));
    }
    TempDir dir;
    std::vector<std::string> log;
    std::string statusAtSearch;
    std::string statusAtLoad;
};

TEST_F(ProgramRunTest, WithoutAProfileSaysSoThenCloseReachesTheSave) {
    Click(kSearchButton);
    PostMessageA(main, WM_CLOSE, 0, 0);
    Run();
    EXPECT_EQ(log, (std::vector<std::string>{"load", "search", "save"}));
    EXPECT_EQ(statusAtSearch, kProfileNotFoundText);
    EXPECT_EQ(state.quitFlag, 1);
}

TEST_F(ProgramRunTest, AltXReachesTheSameExit) {
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(kQuitCommand, 1), 0);
    Run();
    EXPECT_EQ(log, (std::vector<std::string>{"load", "save"}));
}

TEST_F(ProgramRunTest, ADirectoryNamedLikeTheProfileIsHandedToTheLoader) {
    test::MakeDirectory(dir / "Vintrel Profile.txt");
    PostMessageA(main, WM_CLOSE, 0, 0);
    Run();
    EXPECT_EQ(log, (std::vector<std::string>{"load", "save"}));
    EXPECT_EQ(statusAtLoad, kProfileUnreadableText);
}

TEST_F(ProgramRunTest, AFailedNightIsToldInABoxOnceTheWindowShows) {
    const std::string status = dir / "Vintrel Last Run.txt";
    test::WriteFile(status, "Vintrel last run\r\ntime 2026-12-08 02:00:00\r\nexit code 1\r\ncopied 1 "
                            "of 2\r\n");
    test::DialogAnswerer answerer;
    PostMessageA(main, WM_CLOSE, 0, 0);
    Run();
    ASSERT_EQ(answerer.seen.size(), 1u);
    EXPECT_NE(answerer.seen[0].text.find("1 of 2 files copied or unchanged (exit code 1).\nThe log " +
                                         dir / "Vintrel Backup.log"), std::string::npos);
    EXPECT_NE(test::Contents(status).find("\r\ntold 2026-12-08 02:00:00\r\n"), std::string::npos);
}

// The real program, started as a user would start it.
class ExecutableTest : public ::testing::Test {
protected:
    std::string Exe() const { return test::ProgramDirectory() + "\\vintrel.exe"; }

    void Start(const std::string& directory, const std::string& arguments = "") {
        STARTUPINFOA si{};
        si.cb = sizeof si;
        std::string command = Exe();
        command.insert(command.begin(), '"');
        command += "\" " + arguments;
        ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   directory.c_str(), &si, &process_))
            << Exe();
        ASSERT_EQ(WaitForInputIdle(process_.hProcess, 60000), 0u);
        EnumThreadWindows(process_.dwThreadId, FindMain, reinterpret_cast<LPARAM>(&window_));
        ASSERT_NE(window_, nullptr);
        statusBar_ = FindWindowExA(window_, nullptr, STATUSCLASSNAMEA, nullptr);
        ASSERT_NE(statusBar_, nullptr);
    }
    // The status bar answers WM_GETTEXT with its first field, across processes too.
    std::string Status() const {
        char text[512] = "";
        DWORD_PTR got = 0;
        SendMessageTimeoutA(statusBar_, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                            SMTO_ABORTIFHUNG, 10000, &got);
        return text;
    }
    DWORD WaitForExit() {
        EXPECT_EQ(WaitForSingleObject(process_.hProcess, 60000), WAIT_OBJECT_0);
        DWORD code = 12345;
        GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }
    void TearDown() override {
        if (process_.hProcess) {
            if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(process_.hProcess, 1);
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
    }
    static BOOL CALLBACK FindMain(HWND window, LPARAM found) {
        char cls[64] = "";
        GetClassNameA(window, cls, sizeof cls);
        if (std::string(cls) != kMainWindowClass) return TRUE;
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }

    TempDir dir;
    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
    HWND statusBar_ = nullptr;
};

TEST_F(ExecutableTest, FirstStartSaysTheProfileIsMissingAndCloseExitsWithZero) {
    // A file dropped on the program opens the window as if nothing was given.
    for (const char* arguments : {"", "\"C:\\Mail\\box.pst\""}) {
        SCOPED_TRACE(arguments);
        TearDown();
        process_ = {};
        DeleteFileA((dir / "Vintrel Profile.txt").c_str());
        Start(dir.path(), arguments);
        EXPECT_EQ(Status(), kProfileNotFoundText);
        EXPECT_TRUE(IsWindowVisible(window_));
        PostMessageA(window_, WM_CLOSE, 0, 0);
        EXPECT_EQ(WaitForExit(), 0u);
        EXPECT_FALSE(IsWindow(window_));
        EXPECT_EQ(GetFileAttributesA((dir / "Vintrel Backup.log").c_str()), INVALID_FILE_ATTRIBUTES);
    }
}

TEST_F(ExecutableTest, AltXCommandExitsWithZero) {
    Start(dir.path());
    PostMessageA(window_, WM_COMMAND, MAKEWPARAM(kQuitCommand, 1), 0);
    EXPECT_EQ(WaitForExit(), 0u);
}

TEST_F(ExecutableTest, ClicksOnFramesCaptionsFieldsAndTheListDoNothing) {
    Start(dir.path());
    for (int gadget = 1; gadget <= kGadgetCount; ++gadget) {
        if (gadget == kSearchButton || gadget == kBrowseButton || gadget == kBackupButton) continue;
        SendMessageA(window_, WM_COMMAND, MAKEWPARAM(gadget, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window_, gadget)));
    }
    SendMessageA(window_, WM_COMMAND, MAKEWPARAM(99, 1), 0);
    EXPECT_EQ(WaitForSingleObject(process_.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(Status(), kProfileNotFoundText);
    PostMessageA(window_, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(), 0u);
}

TEST_F(ExecutableTest, AProfileDirectoryIsNotReportedAsMissing) {
    test::MakeDirectory(dir / "Vintrel Profile.txt");
    Start(dir.path());
    EXPECT_NE(Status(), kProfileNotFoundText);
    PostMessageA(window_, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(), 0u);
}

TEST_F(ExecutableTest, FirstRunWritesAnEmptyProfileOnClose) {
    Start(dir.path());
    PostMessageA(window_, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(), 0u);
    EXPECT_EQ(test::Contents(dir / "Vintrel Profile.txt"), "\r\n");
}

TEST_F(ExecutableTest, AProfileLoadedAndClosedIsWrittenBackByteForByte) {
    const std::string original = dir.path() + "\\\r\n" + dir / "a.pst" +
                                 "|Outlook personal folders|[No idea]\r\nC:\\gone\\Outlook "
                                 "Express\\Inbox.dbx|Outlook Express mailboxes|v6.0\r\n";
    test::WriteFile(dir / "a.pst", "x");
    test::WriteFile(dir / "Vintrel Profile.txt", original);
    Start(dir.path());
    EXPECT_EQ(Status(), kProfileLoadedText);
    PostMessageA(window_, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(), 0u);
    EXPECT_EQ(test::Contents(dir / "Vintrel Profile.txt"), original);
}

TEST_F(ExecutableTest, SearchingDriveCListsPlantedFilesAndClosingSavesThem) {
    TempDir planted{"C:"};
    test::MakeDirectory(planted / "Outlook Express");
    test::WriteFile(planted / "Outlook Express\\Inbox.dbx", "mail");
    test::WriteFile(planted / "archive.pst", "folders");
    Start(dir.path());
    HWND search = GetDlgItem(window_, kSearchButton);
    SendMessageA(window_, WM_COMMAND, MAKEWPARAM(kSearchButton, BN_CLICKED),
                 reinterpret_cast<LPARAM>(search));
    // The program answers while it searches; it says when it is done.
    const DWORD deadline = GetTickCount() + 120000;
    while (Status() != "Information: Job finished. Found all there was to find" &&
           GetTickCount() < deadline) {
        ASSERT_EQ(WaitForSingleObject(process_.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    }
    ASSERT_EQ(Status(), "Information: Job finished. Found all there was to find");
    HWND list = GetDlgItem(window_, kFileList);
    EXPECT_GE(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 2);
    PostMessageA(window_, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(), 0u);
    const std::string profile = test::Contents(dir / "Vintrel Profile.txt");
    EXPECT_EQ(profile.substr(0, 2), "\r\n") << "no target path was chosen";
    EXPECT_NE(profile.find("\r\n" + planted / "Outlook Express\\Inbox.dbx" +
                           "|Outlook Express mailboxes|v6.0\r\n"),
              std::string::npos);
    EXPECT_NE(
        profile.find("\r\n" + planted / "archive.pst" + "|Outlook personal folders|[No idea]\r\n"),
        std::string::npos);
}

// The real program started for a scheduled backup: no window, no box, an exit code and a log.
class ScheduledRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::MakeDirectory(mail / "Mail");
        test::WriteFile(mail / "Mail\\a.pst", "mailbox");
        test::WriteFile(mail / "Mail\\b.wab", "address book");
        Profile(target.path() + "\\", {mail / "Mail\\a.pst", mail / "Mail\\b.wab"});
    }
    void Profile(const std::string& targetPath, const std::vector<std::string>& files) {
        std::string text = targetPath + "\r\n";
        for (const std::string& f : files)
            text += f + "|Outlook personal folders|[No idea]\r\n";
        test::WriteFile(jobs / "Vintrel Profile.txt", text);
    }
    std::string CopyOf(const std::string& file) const {
        return target.path() + "\\" + file.substr(3);
    }
    // Starts vintrel.exe with the arguments from a folder.
    static PROCESS_INFORMATION Start(const std::string& arguments, const std::string& from) {
        STARTUPINFOA si{};
        si.cb = sizeof si;
        std::string command = test::ProgramDirectory();
        command.insert(0, 1, '"');
        command += "\\vintrel.exe\" ";
        command += arguments;
        PROCESS_INFORMATION process{};
        EXPECT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   from.c_str(), &si, &process));
        return process;
    }
    // Starts vintrel.exe with the arguments from a folder and waits for it to end by itself.
    DWORD Run(const std::string& arguments, const std::string& from) {
        return Wait(Start(arguments, from));
    }
    static DWORD Wait(const PROCESS_INFORMATION& process) {
        const DWORD waited = WaitForSingleObject(process.hProcess, 120000);
        EXPECT_EQ(waited, WAIT_OBJECT_0) << "a window or a box is waiting";
        if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 99);
        DWORD code = 12345;
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        return code;
    }
    std::string Log() const { return test::Contents(jobs / "Vintrel Backup.log"); }
    static std::string Quoted(std::string switchName, const std::string& folder) {
        switchName += " \"";
        switchName += folder;
        switchName += '"';
        return switchName;
    }

    test::TempDir mail{"C:"};
    test::TempDir jobs;
    test::TempDir target;
};

TEST_F(ScheduledRunTest, ExitCodesZeroOneAndTwoWithTheirLogLines) {
    EXPECT_EQ(Run(Quoted("/BACKUP", jobs.path()), "C:\\"), 0u);
    EXPECT_EQ(test::Contents(CopyOf(mail / "Mail\\a.pst")), "mailbox");
    EXPECT_NE(Log().find(mail / "Mail\\b.wab" + ": copied\r\n2 of 2 files copied\r\n"),
              std::string::npos)
        << Log();

    // Nothing changed: nothing is written, not even a temporary file; /all copies anyway.
    Win32Disk disk;
    const std::optional<std::uint64_t> index = disk.FileIndex(CopyOf(mail / "Mail\\b.wab"));
    EXPECT_EQ(Run(Quoted("/backup", jobs.path()), "C:\\"), 0u);
    EXPECT_NE(Log().find(": unchanged\r\n2 of 2 files copied or unchanged\r\n"), std::string::npos);
    EXPECT_EQ(disk.FileIndex(CopyOf(mail / "Mail\\b.wab")), index) << "the same copy";
    EXPECT_EQ(Run(Quoted("/backup /all", jobs.path()), "C:\\"), 0u);
    EXPECT_NE(disk.FileIndex(CopyOf(mail / "Mail\\b.wab")), index) << "a new copy";
    // Each copy read back past the cache before it is kept; then checked against its record.
    EXPECT_EQ(Run(Quoted("/backup /all /verify", jobs.path()), "C:\\"), 0u) << Log();
    const DiskEntry copy = disk.FindEntry(CopyOf(mail / "Mail\\a.pst")).value_or(DiskEntry{});
    for (const char* bytes : {"mailbox", "mailbax"}) {
        Checksum sum;
        sum.Add(bytes, 7);
        test::WriteFile(target / "Vintrel Copies.txt",
                        CopyRecordText({{(mail / "Mail\\a.pst").substr(3),
                                         CopyState{7, copy.lastWriteTime, sum.Value()}, {}}}));
        EXPECT_EQ(Run(Quoted("/check", jobs.path()), "C:\\"), bytes[5] == 'o' ? 0u : 1u) << Log();
    }
    EXPECT_NE(Log().find("a.pst: good\r\n"), std::string::npos);
    EXPECT_NE(Log().find("a.pst: it differs from its checksum"), std::string::npos);

    // Held open without sharing by another program: in use, the earlier copy kept.
    test::WriteFile(mail / "Mail\\a.pst", "mailbox, newer");
    HANDLE held = CreateFileA((mail / "Mail\\a.pst").c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Run("-backup", jobs.path()), 1u);
    CloseHandle(held);
    EXPECT_EQ(test::Contents(CopyOf(mail / "Mail\\a.pst")), "mailbox");
    EXPECT_NE(Log().find("Written to the Windows event log (Application"), std::string::npos);
    EXPECT_NE(Log().find(mail / "Mail\\a.pst" +
                         ": not copied: the file is in use by another program\r\n"),
              std::string::npos)
        << Log();
    EXPECT_NE(Log().find(mail / "Mail\\b.wab" + ": unchanged\r\n1 of 2 files copied or unchanged\r\n"),
              std::string::npos)
        << Log();

    // Nothing to be done: no profile, an argument out of place.
    test::TempDir empty;
    EXPECT_EQ(Run(Quoted("/backup", empty.path()), "C:\\"), 2u);
    EXPECT_NE(
        test::Contents(empty / "Vintrel Backup.log").find("Nothing was done: there is no profile."),
        std::string::npos);
    EXPECT_EQ(Run("/backup /search", jobs.path()), 2u);
    EXPECT_NE(Log().find("\"/search\" is an unknown or misplaced argument"), std::string::npos);
}

TEST_F(ScheduledRunTest, RunsAtOnceTakeTurnsAndALinkAtTheLogIsNeverReadThrough) {
    VINTREL_NEEDS_WINE();
    std::vector<PROCESS_INFORMATION> runs;
    for (int i = 0; i < 6; ++i)
        runs.push_back(Start(Quoted("/backup", jobs.path()), "C:\\"));
    for (const PROCESS_INFORMATION& run : runs)
        EXPECT_EQ(Wait(run), 0u);
    // Each run's four lines stand together: its header, its two files, its summary.
    const std::string log = Log();
    std::string shape;
    for (std::size_t at = 0; at < log.size(); at = log.find('\n', at) + 1)
        shape += log[at] == ' ' ? 'f' : log.compare(at, 4, "2 of") == 0 ? 's' : 'h';
    EXPECT_EQ(shape, "hffshffshffshffshffshffs") << log;

    // Runs over other profiles that share the target take turns at its record: no line is lost
    // (a long record keeps each run at it a while).
    std::string lines = test::Contents(target / "Vintrel Copies.txt");
    for (int n = 0; n < 100000; ++n)
        lines += "Old\\" + std::to_string(n) + ".pst\r\n";
    test::WriteFile(target / "Vintrel Copies.txt", lines);
    runs.clear();
    for (const std::string i : {"1", "2", "3", "4", "5", "6"}) {
        test::MakeDirectory(jobs / i);
        test::WriteFile(mail / i + ".pst", "mailbox");
        test::WriteFile(jobs / i + "\\Vintrel Profile.txt",
                        target / "\r\n" + mail / i + ".pst|k|v");
        runs.push_back(Start(Quoted("/backup", jobs / i), "C:\\"));
    }
    for (const PROCESS_INFORMATION& run : runs)
        EXPECT_EQ(Wait(run), 0u);
    const std::string record = test::Contents(target / "Vintrel Copies.txt");
    EXPECT_EQ(std::count(record.begin(), record.end(), '\n'), 100008);

    // A link at the log's name: the file it leads to is neither read nor written, and the run
    // says the log was lost.
    test::WriteFile(jobs / "secret.txt", "not for the log");
    DeleteFileA((jobs / "Vintrel Backup.log").c_str());
    ASSERT_TRUE(test::MakeLink(jobs / "Vintrel Backup.log", jobs / "secret.txt"));
    EXPECT_EQ(Run(Quoted("/backup", jobs.path()), "C:\\"), 1u);
    test::RemoveLink(jobs / "Vintrel Backup.log");
    EXPECT_EQ(test::Contents(jobs / "secret.txt"), "not for the log");

    // The turn is a file beside the profile, gone with its run. One that no run holds (left by
    // a power cut), or a link planted at its name, is taken over, never what the link leads to;
    // one that a run holds is waited for.
    const std::string lock = jobs / "Vintrel Profile.lock";
    EXPECT_EQ(GetFileAttributesA(lock.c_str()), INVALID_FILE_ATTRIBUTES);
    Win32Disk disk;
    std::unique_ptr<HeldTurn> turn, other;
    test::WriteFile(lock, "left by a power cut");
    EXPECT_TRUE(TakeTurn(disk, lock, 0, turn));
    EXPECT_FALSE(TakeTurn(disk, lock, 0, other));
    turn.reset();
    EXPECT_EQ(GetFileAttributesA(lock.c_str()), INVALID_FILE_ATTRIBUTES) << "deleted once closed";
    // (Under Wine a Linux link cannot be removed alone: then no turn is taken through it.)
    ASSERT_TRUE(test::MakeLink(lock, jobs / "secret.txt"));
    EXPECT_EQ(TakeTurn(disk, lock, 0, turn), !test::UnderWine());
    EXPECT_EQ(test::Contents(jobs / "secret.txt"), "not for the log");
}

TEST_F(ScheduledRunTest, AMailboxHeldByAnotherProgramIsWaitedFor) {
    test::WriteFile(mail / "Mail\\a.pst", "mailbox, newer");
    HANDLE held = CreateFileA((mail / "Mail\\a.pst").c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    HANDLE change = FindFirstChangeNotificationA(
        jobs.path().c_str(), FALSE, FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE |
                                        FILE_NOTIFY_CHANGE_FILE_NAME);
    ASSERT_NE(change, INVALID_HANDLE_VALUE);
    const PROCESS_INFORMATION run = Start(Quoted("/backup /wait 1", jobs.path()), "C:\\");
    // The program lets go once the run says it waits.
    while (Log().find("waiting for 1 file in use: " + mail / "Mail\\a.pst") == std::string::npos &&
           WaitForSingleObject(change, 60000) == WAIT_OBJECT_0) {
        FindNextChangeNotification(change);
    }
    FindCloseChangeNotification(change);
    CloseHandle(held);
    EXPECT_EQ(Wait(run), 0u) << Log();
    EXPECT_EQ(test::Contents(CopyOf(mail / "Mail\\a.pst")), "mailbox, newer");
}

TEST_F(ScheduledRunTest, KeptVersionsOfAChangingMailbox) {
    const std::string box = mail / "Mail\\a.pst";
    for (int night = 1; night <= 4; ++night) {
        test::WriteFile(box, "night " + std::to_string(night));
        HANDLE file = CreateFileA(box.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0,
                                  nullptr);
        const ULONGLONG day = 125911584000000000ULL + night * 864000000000ULL; // 2000-01-0N
        FILETIME when{static_cast<DWORD>(day), static_cast<DWORD>(day >> 32)};
        SetFileTime(file, nullptr, nullptr, &when);
        CloseHandle(file);
        EXPECT_EQ(Run(Quoted("/backup /keep 2", jobs.path()), "C:\\"), 0u) << Log();
    }
    EXPECT_EQ(test::Contents(CopyOf(box)), "night 4");
    EXPECT_EQ(test::Contents(CopyOf(box) + ".20000102-000000Z.bak"), "<unreadable>");
    EXPECT_EQ(test::Contents(CopyOf(box) + ".20000103-000000Z.bak"), "night 2");
    EXPECT_EQ(test::Contents(CopyOf(box) + ".20000104-000000Z.bak"), "night 3");
}

TEST_F(ScheduledRunTest, ARestoreBringsTheCopyBackAndKeepsTheDamagedFile) {
    const std::string box = mail / "Mail\\a.pst";
    auto lastWrite = [](const std::string& path) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
        return (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) |
               data.ftLastWriteTime.dwLowDateTime;
    };
    EXPECT_EQ(Run(Quoted("/backup", jobs.path()), "C:\\"), 0u);
    const ULONGLONG copied = lastWrite(CopyOf(box));
    test::WriteFile(box, "damaged");
    const std::string restore = "/restore \"" + box + "\" ";
    // Held by the mail program: refused, nothing written.
    HANDLE held = CreateFileA(box.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              0, nullptr);
    EXPECT_EQ(Run(Quoted(restore, jobs.path()), "C:\\"), 1u);
    CloseHandle(held);
    EXPECT_EQ(test::Contents(box), "damaged");
    // The round trip: the copy's bytes and time, the damaged file kept beside it.
    EXPECT_EQ(Run(Quoted(restore, jobs.path()), "C:\\"), 0u) << Log();
    EXPECT_EQ(test::Contents(box), "mailbox");
    EXPECT_EQ(lastWrite(box), copied);
    const std::string stamp = Log().substr(Log().rfind(".pst.") + 5, 15);
    EXPECT_EQ(test::Contents(box + "." + stamp + "Z.bak"), "damaged");
    // Again and again, the file unchanged since: kept under the next free name, no note left;
    // into the copy's own folder: refused.
    for (int again = 0; again < 2; ++again)
        EXPECT_EQ(Run(Quoted(restore, jobs.path()), "C:\\"), 0u) << Log();
    EXPECT_NE(Log().find("Z-2.bak)\r\n"), std::string::npos) << Log();
    EXPECT_EQ(GetFileAttributesA((jobs / "Vintrel Restore.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    const std::string copyFolder = CopyOf(box).substr(0, CopyOf(box).rfind('\\'));
    EXPECT_EQ(Run(Quoted(restore + "/to \"" + copyFolder + "\"", jobs.path()), "C:\\"), 2u);
    EXPECT_NE(Log().find("onto its backup copy"), std::string::npos) << Log();
    // Into another folder; a version that is not there; a file not listed.
    test::TempDir out;
    EXPECT_EQ(Run(Quoted(restore + "/to \"" + out.path() + "\"", jobs.path()), "C:\\"), 0u);
    EXPECT_EQ(test::Contents(out / "a.pst"), "mailbox");
    EXPECT_EQ(Run(Quoted(restore + "/from 19990101-000000", jobs.path()), "C:\\"), 2u);
    EXPECT_EQ(Run(Quoted("/restore C:\\none.pst", jobs.path()), "C:\\"), 2u);
}

TEST_F(ScheduledRunTest, SearchThenBackupSavesTheNewListAndCopiesIt) {
    test::WriteFile(mail / "found.pab", "found by the search");
    Profile(target.path() + "\\", {});
    EXPECT_EQ(Run("/Search /Backup", jobs.path()), 0u) << Log();
    const std::string profile = test::Contents(jobs / "Vintrel Profile.txt");
    EXPECT_EQ(profile.rfind(target.path() + "\\\r\n", 0), 0u) << "the target is kept";
    for (const std::string& file : {mail / "found.pab", mail / "Mail\\a.pst"}) {
        EXPECT_NE(profile.find(file + "|Outlook"), std::string::npos) << file;
        EXPECT_EQ(test::Contents(CopyOf(file)), test::Contents(file));
    }
}

// What the file holds: a 32-bit GUI program that needs only what Windows ships, with its
// icon, manifest and version.
class ExecutableImageTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string exe = test::ProgramDirectory() + "\\vintrel.exe";
        module_ = LoadLibraryExA(exe.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
        ASSERT_NE(module_, nullptr) << exe;
    }
    void TearDown() override {
        if (module_) FreeLibrary(module_);
    }
    const BYTE* Base() const { return reinterpret_cast<const BYTE*>(module_); }
    // The headers of this tree's machine: PE32 for the 32-bit build, PE32+ for its x86-64 twin.
    const IMAGE_NT_HEADERS* Headers() const {
        auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(Base());
        return reinterpret_cast<const IMAGE_NT_HEADERS*>(Base() + dos->e_lfanew);
    }
    std::string Resource(LPCSTR type, LPCSTR name) const {
        HRSRC found = FindResourceA(module_, name, type);
        if (!found) return "";
        const char* data = static_cast<const char*>(LockResource(LoadResource(module_, found)));
        return std::string(data, SizeofResource(module_, found));
    }
    HMODULE module_ = nullptr;
};

TEST_F(ExecutableImageTest, IsAGuiProgramForItsTreesMachineImportingOnlySystemLibraries) {
    const IMAGE_NT_HEADERS* nt = Headers();
#ifdef _WIN64
    EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_AMD64);
    EXPECT_EQ(nt->OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR64_MAGIC);
#else
    EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
    EXPECT_EQ(nt->OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR32_MAGIC);
#endif
    EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);

    const std::set<std::string> system = {"kernel32.dll", "user32.dll",  "gdi32.dll",
                                          "comctl32.dll", "ole32.dll",   "shell32.dll",
                                          "msvcrt.dll",   "advapi32.dll"};
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    ASSERT_NE(imports.VirtualAddress, 0u);
    auto entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(Base() + imports.VirtualAddress);
    int count = 0;
    for (; entry->Name != 0; ++entry, ++count) {
        std::string name = reinterpret_cast<const char*>(Base() + entry->Name);
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        EXPECT_TRUE(system.count(name)) << name << " does not come with Windows";
    }
    EXPECT_GT(count, 0);
}

TEST_F(ExecutableImageTest, CarriesA16By16256ColourIcon) {
    const std::string group = Resource(RT_GROUP_ICON, MAKEINTRESOURCEA(1));
    ASSERT_GE(group.size(), 6u + 14u);
    EXPECT_EQ(static_cast<unsigned char>(group[4]), 1) << "one image";
    const auto* image = reinterpret_cast<const unsigned char*>(group.data() + 6);
    EXPECT_EQ(image[0], 16); // width
    EXPECT_EQ(image[1], 16); // height
    EXPECT_EQ(image[6] | (image[7] << 8), 8) << "bits per pixel";
    HICON icon =
        static_cast<HICON>(LoadImageA(module_, MAKEINTRESOURCEA(1), IMAGE_ICON, 16, 16, 0));
    EXPECT_NE(icon, nullptr);
    if (icon) DestroyIcon(icon);
}

TEST_F(ExecutableImageTest, ManifestAsksForNoElevationAndNoVisualStyles) {
    const std::string manifest = Resource(RT_MANIFEST, MAKEINTRESOURCEA(1));
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(manifest.find("supportedOS"), std::string::npos);
    EXPECT_EQ(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
}

TEST_F(ExecutableImageTest, HasAVersionResource) {
    const std::string version = Resource(RT_VERSION, MAKEINTRESOURCEA(1));
    ASSERT_FALSE(version.empty());
    // The fixed part starts with its signature 0xFEEF04BD.
    EXPECT_NE(version.find("\xBD\x04\xEF\xFE"), std::string::npos);
}

} // namespace
} // namespace vintrel
