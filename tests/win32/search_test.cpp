// The search over a real tree planted on drive C:, with the rows read back from the real
// list view.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

#include "win32/win32_disk.h"
#include "app/ids.h"
#include "app/file_list.h"
#include "backup/backup.h"
#include "discovery/search.h"
#include "test_support.h"
#include "ui/main_window.h"
#include "window_fixture.h"
#include "app/texts.h"

namespace vintrel {
namespace {

using Strings = std::vector<std::string>;

class RealSearchTest : public test::MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        const std::string& t = root.path();
        for (const char* d :
             {"Outlook Express", "Outlook Express\\nested",
              "Outlook Express\\nested\\Outlook Express", "Outlook Express\\deeper", "lower",
              "lower\\outlook express", "Mail", "Mail\\x.pst", "sys", "empty"}) {
            test::MakeDirectory(t + "\\" + d);
        }
        for (const char* f :
             {"top.pst", "hidden.wab", "UPPER.PST", "notes.txt", "Outlook Express\\Inbox.dbx",
              "Outlook Express\\Inbox.dbx.bak",
              "Outlook Express\\nested\\Outlook Express\\Sent.dbx",
              "Outlook Express\\deeper\\Drafts.dbx", "lower\\outlook express\\x.dbx",
              "Mail\\box.dbx", "Mail\\x.pst\\inner.pab", "Mail\\.pst", "Mail\\book.WAB",
              "sys\\names.pab"}) {
            test::WriteFile(t + "\\" + f, "data");
        }
        SetFileAttributesA((t + "\\hidden.wab").c_str(),
                           FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        SetFileAttributesA((t + "\\sys").c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM |
                                                      FILE_ATTRIBUTE_HIDDEN);
        // A link back to the top: followed, the walk would never end.
        ASSERT_TRUE(test::MakeLink(t + "\\Mail\\loop", t));
        ASSERT_TRUE(GetFileAttributesA((t + "\\Mail\\loop").c_str()) &
                    FILE_ATTRIBUTE_REPARSE_POINT);
        listed = {"top.pst",
                  "hidden.wab",
                  "UPPER.PST",
                  "lower\\outlook express\\x.dbx",
                  "Mail\\book.WAB",
                  "Outlook Express\\Inbox.dbx",
                  "Outlook Express\\nested\\Outlook Express\\Sent.dbx",
                  "Outlook Express\\deeper\\Drafts.dbx",
                  "Mail\\x.pst\\inner.pab",
                  "Mail\\.pst",
                  "sys\\names.pab"};
    }

    // What the walk must give, found by a plain recursive walk: the files of a directory
    // as it is read, then each subdirectory with all below it.
    void ExpectedPaths(const std::string& dir, Strings& out) {
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA((dir + "\\*.*").c_str(), &data);
        ASSERT_NE(find, INVALID_HANDLE_VALUE);
        Strings subdirectories;
        do {
            const std::string name = data.cFileName;
            const std::string path = dir + "\\" + name;
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                if (listed.count(path.substr(root.path().size() + 1))) out.push_back(path);
            } else if (name != "." && name != ".." &&
                       !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                subdirectories.push_back(path);
            }
        } while (FindNextFileA(find, &data));
        FindClose(find);
        for (const std::string& sub : subdirectories)
            ExpectedPaths(sub, out);
    }

    std::string Cell(int row, int column) {
        char text[300] = "";
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(Gadget(kFileList), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        return text;
    }

    // How many pixels of a cell are drawn in exactly this colour.
    int PixelsIn(int row, int column, COLORREF colour) {
        HWND list = Gadget(kFileList);
        RECT cell{};
        cell.top = column;
        cell.left = LVIR_BOUNDS;
        SendMessageA(list, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell));
        if (column == 0) cell.right = cell.left + 286;
        RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        HDC dc = GetDC(list);
        int count = 0;
        for (int y = cell.top; y < cell.bottom; ++y) {
            for (int x = cell.left; x < cell.right; ++x)
                count += GetPixel(dc, x, y) == colour;
        }
        ReleaseDC(list, dc);
        return count;
    }

    test::TempDir root{"C:"};
    std::set<std::string> listed;
    Win32Disk disk;
};

TEST_F(RealSearchTest, ListsEveryDataFileOnceInPreOrderWithOkayRows) {
    Strings expected;
    ExpectedPaths(root.path(), expected);
    ASSERT_EQ(expected.size(), listed.size());

    SearchDataFiles(state, disk, layer, root.path());

    ASSERT_EQ(state.profileList.size(), expected.size());
    ASSERT_EQ(SendMessageA(Gadget(kFileList), LVM_GETITEMCOUNT, 0, 0),
              static_cast<LRESULT>(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i]);
        const auto kind = ClassifyDataFile(expected[i]);
        ASSERT_TRUE(kind);
        EXPECT_EQ(state.profileList[i],
                  expected[i] + "|" + kind->kindText + "|" + kind->versionText);
        const int row = static_cast<int>(i);
        EXPECT_EQ(Cell(row, 0), expected[i].substr(expected[i].find_last_of('\\') + 1));
        EXPECT_EQ(Cell(row, 1), kind->kindText);
        EXPECT_EQ(Cell(row, 2), kind->versionText);
        EXPECT_EQ(Cell(row, 3), "Okay");
    }
    EXPECT_EQ(Status(0), kSearchDoneText);
    // The last mark is on screen, whatever was skipped to keep up.
    EXPECT_EQ(Status(1), std::string("-") + state.spinnerString.back() + "-");
}

TEST_F(RealSearchTest, StatusCellAloneIsDrawnInItsColour) {
    SearchDataFiles(state, disk, layer, root.path());
    AddFileRow(state, &layer, "C:\\gone\\lost.pst", "Outlook personal folders", "[No idea]",
               kStatusMissing);
    layer.ReleaseListDrawing(); // as the event loop does when it waits for the next event
    const int last = static_cast<int>(state.profileList.size()) - 1;
    EXPECT_GT(PixelsIn(0, 3, kOkayColour), 0);
    EXPECT_EQ(PixelsIn(0, 0, kOkayColour), 0);
    EXPECT_EQ(PixelsIn(0, 1, kOkayColour), 0);
    EXPECT_GT(PixelsIn(last, 3, kMissingColour), 0);
    EXPECT_EQ(PixelsIn(last, 3, kOkayColour), 0);
    EXPECT_EQ(PixelsIn(last, 0, kMissingColour), 0);
}

TEST_F(RealSearchTest, PressesAndClosingDuringTheSearchAreLost) {
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(kBackupButton, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Gadget(kBackupButton)));
    PostMessageA(main, WM_CLOSE, 0, 0);
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(kQuitCommand, 1), 0);
    SearchDataFiles(state, disk, layer, root.path());
    while (const std::optional<Event> e = layer.PollEvent()) {
        EXPECT_EQ(e->kind, EventKind::None) << "an event was left for the loop";
    }
    EXPECT_TRUE(IsWindow(main));
    EXPECT_EQ(state.profileList.size(), listed.size());
}

// Presses a button of the window when the walk opens a given folder.
class PressingDisk : public Win32Disk {
public:
    struct Press {
        std::string folder;
        int button;
        bool afterATick; // posted only once the clock has moved on
    };
    PressingDisk(WindowLayer& layer, std::vector<Press> presses)
        : layer_(layer), presses_(std::move(presses)) {}
    std::unique_ptr<DirectoryReader> OpenDirectory(const std::string& directory) override {
        for (const Press& press : presses_) {
            if (press.folder != directory) continue;
            const DWORD now = GetTickCount();
            while (press.afterATick && GetTickCount() == now) {
            }
            PostMessageA(layer_.Window(1), WM_COMMAND, MAKEWPARAM(press.button, BN_CLICKED),
                         reinterpret_cast<LPARAM>(layer_.Gadget(press.button)));
        }
        return Win32Disk::OpenDirectory(directory);
    }

private:
    WindowLayer& layer_;
    std::vector<Press> presses_;
};

TEST_F(RealSearchTest, APressAfterTheLastFileReachesTheLoopAndOneBeforeItDoesNot) {
    test::TempDir tree{"C:"};
    test::MakeDirectory(tree / "y");
    test::WriteFile(tree / "y\\last.pst", "the last file of the walk");
    test::MakeDirectory(tree / "y\\deeper");
    test::MakeDirectory(tree / "y\\deeper\\deepest");
    PressingDisk pressing(
        layer, {{tree / "y", kSearchButton, false}, {tree / "y\\deeper", kBackupButton, true}});
    SearchDataFiles(state, pressing, layer, tree.path());
    ASSERT_EQ(state.profileList.size(), 1u);
    std::vector<Event> left;
    while (const std::optional<Event> e = layer.PollEvent()) {
        if (e->kind != EventKind::None) left.push_back(*e);
    }
    EXPECT_EQ(left, (std::vector<Event>{{EventKind::Gadget, kBackupButton}}));
}

TEST_F(RealSearchTest, SecondSearchReplacesTheRows) {
    SearchDataFiles(state, disk, layer, root.path());
    DeleteFileA((root / "top.pst").c_str());
    SearchDataFiles(state, disk, layer, root.path());
    EXPECT_EQ(state.profileList.size(), listed.size() - 1);
    EXPECT_EQ(SendMessageA(Gadget(kFileList), LVM_GETITEMCOUNT, 0, 0),
              static_cast<LRESULT>(listed.size() - 1));
}

TEST_F(RealSearchTest, TheTargetsCopiesAreLeftOutNightAfterNightAndAllOtherMailIsListed) {
    // A mailbox, and a copy of it made by hand nearer the root with its size and time.
    test::MakeDirectory(root / "Users");
    test::MakeDirectory(root / "Users\\Mail");
    test::WriteFile(root / "Users\\Mail\\box.pst", "live mailbox");
    ASSERT_TRUE(CopyFileA((root / "Users\\Mail\\box.pst").c_str(), (root / "Mail\\box.pst").c_str(),
                          FALSE));
    test::MakeDirectory(root / "Backup");
    test::MakeDirectory(root / "Backup\\Outlook");
    test::WriteFile(root / "Backup\\Outlook\\mail.pst", "real mail kept in the target folder");
    state.targetPath = root / "Backup\\";
    // Nightly search and backup while the mail changes: the copies are never listed again.
    for (int night = 0; night < 3; ++night) {
        SearchDataFiles(state, disk, layer, root.path());
        RunBackup(state, disk, layer);
        // Every file copied; these made-up mailboxes are said to look damaged.
        ASSERT_EQ(Status().rfind(kCopiedButDamagedText, 0), 0u) << night << Status();
        test::WriteFile(root / "top.pst", "changed on night " + std::to_string(night));
    }
    SearchDataFiles(state, disk, layer, root.path());
    Strings inBackup;
    std::set<std::string> all;
    for (const std::string& entry : state.profileList) {
        const std::string path = EntryPath(entry);
        all.insert(path);
        if (path.rfind(root / "Backup\\", 0) == 0) inBackup.push_back(path);
    }
    EXPECT_EQ(inBackup, (Strings{root / "Backup\\Outlook\\mail.pst"}));
    EXPECT_TRUE(all.count(root / "Users\\Mail\\box.pst") && all.count(root / "Mail\\box.pst"));
    const std::string copies = root / "Backup\\" + root.path().substr(3);
    EXPECT_EQ(test::Contents(copies + "\\top.pst"), "changed on night 1");
    EXPECT_EQ(test::Contents(copies + "\\Backup\\Outlook\\mail.pst"),
              "real mail kept in the target folder");
    EXPECT_EQ(GetFileAttributesA((copies + "\\Backup\\" + root.path().substr(3)).c_str()),
              INVALID_FILE_ATTRIBUTES)
        << "no copy of a copy";
    // A copy worked in since it was made, and one made a hard link to its mailbox, are mail
    // again: listed, and said; the work is never overwritten.
    test::WriteFile(copies + "\\top.pst", "two weeks of work in the copy");
    ASSERT_TRUE(DeleteFileA((copies + "\\Mail\\box.pst").c_str()));
    ASSERT_TRUE(CreateHardLinkA((copies + "\\Mail\\box.pst").c_str(),
                                (root / "Mail\\box.pst").c_str(), nullptr));
    const SearchResult found = SearchDataFiles(state, disk, layer, root.path());
    EXPECT_EQ(std::set<std::string>(found.changedCopies.begin(), found.changedCopies.end()),
              (std::set<std::string>{copies + "\\Mail\\box.pst", copies + "\\top.pst"}));
    test::DialogAnswerer answerer;
    RunBackup(state, disk, layer);
    EXPECT_EQ(test::Contents(copies + "\\top.pst"), "two weeks of work in the copy");
    ASSERT_FALSE(answerer.seen.empty());
    // Listed now, it is in the way as any listed file is.
    EXPECT_EQ(answerer.seen[0].text.rfind("top.pst" + std::string(kOverwritesListedSuffix) +
                                              ", " + copies + "\\top.pst",
                                          0),
              0u);
}

TEST_F(RealSearchTest, NamesInJapaneseAndNamesThatWouldForgeALineGoByTheirShortNames) {
    VINTREL_NEEDS_WINE();
    // "メール": the ANSI listing shows it as "???", a wildcard.
    const std::wstring japanese =
        std::wstring(root.path().begin(), root.path().end()) + L"\\\x30E1\x30FC\x30EB";
    ASSERT_TRUE(CreateDirectoryW(japanese.c_str(), nullptr));
    for (const std::wstring& file : {japanese + L"\\inner.pst", japanese + L".pst"}) {
        HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(handle, INVALID_HANDLE_VALUE);
        CloseHandle(handle);
    }

    // A Linux name with a line break and "|" in it, which would be two profile lines.
    const bool forged = test::RunLinuxShell("cd '" + test::LinuxName(root.path()) +
                                            "' && printf 'q\\nC:|Outlook personal folders|x.pst"
                                            "\\0' | xargs -0 touch");

    const SearchResult result = SearchDataFiles(state, disk, layer, root.path());
    Strings japaneseNamed;
    for (const std::string& entry : state.profileList) {
        const std::string path = EntryPath(entry);
        EXPECT_EQ(std::count(entry.begin(), entry.end(), '|'), 2) << entry;
        EXPECT_EQ(entry.find_first_of("\r\n"), std::string::npos) << entry;
        if (path.find('~') != std::string::npos) japaneseNamed.push_back(path);
    }
    // Wine's short name keeps the line break: the file is left out, and said to be.
    if (forged) {
        const LeftOutName said{root / "q?C:|Outlook personal folders|x.pst", LeftOutWhy::Spelling};
        EXPECT_EQ(result.leftOut, std::vector<LeftOutName>{said});
    }
    ASSERT_EQ(japaneseNamed.size(), 2u);
    for (const std::string& path : japaneseNamed) {
        SCOPED_TRACE(path);
        EXPECT_EQ(path.find('?'), std::string::npos);
        EXPECT_EQ(test::Contents(path), "") << "the listed path opens the file";
    }
    // The clean-up, through ANSI names, cannot name them.
    if (forged) test::RunLinuxShell("rm -f '" + test::LinuxName(root.path()) + "'/q*");
    DeleteFileW((japanese + L"\\inner.pst").c_str());
    DeleteFileW((japanese + L".pst").c_str());
    RemoveDirectoryW(japanese.c_str());
}

TEST_F(RealSearchTest, ANameTheCodePageCannotHoldIsNeverListedAsItsLookAlike) {
    VINTREL_NEEDS_WINE();
    // "Łukasz.pst" beside "Lukasz.pst", and a folder "Łdir": the ANSI listing gives "Lukasz.pst"
    // twice, and "Ldir", which is no folder. Made on the Linux side as Linux programs make
    // them (UTF-8), and on Windows by wide names.
    test::WriteFile(root / "Lukasz.pst", "ascii");
    const std::wstring top(root.path().begin(), root.path().end());
    const std::wstring polish = top + L"\\\u0141ukasz.pst", folder = top + L"\\\u0141dir";
    if (!test::RunLinuxShell("cd '" + test::LinuxName(root.path()) +
                             "' && d=$(printf '\\305\\201dir') && mkdir $d && printf in > $d/in.pst"
                             " && printf polish > $(printf '\\305\\201ukasz.pst')")) {
        CreateDirectoryW(folder.c_str(), nullptr);
        for (const auto& [path, text] :
             {std::pair(polish, "polish"), {folder + L"\\in.pst", "in"}}) {
            HANDLE file =
                CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
            DWORD written = 0;
            ::WriteFile(file, text, static_cast<DWORD>(strlen(text)), &written, nullptr);
            CloseHandle(file);
        }
    }
    ASSERT_NE(GetFileAttributesW((folder + L"\\in.pst").c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_NE(GetFileAttributesW(polish.c_str()), INVALID_FILE_ATTRIBUTES);

    const SearchResult result = SearchDataFiles(state, disk, layer, root.path());
    std::map<std::string, Strings> byContents;
    for (const std::string& entry : state.profileList)
        byContents[test::Contents(EntryPath(entry))].push_back(EntryPath(entry));
    EXPECT_EQ(byContents["ascii"], Strings{root / "Lukasz.pst"});
    // Each is listed under a short name that opens it (Wine 8 makes one), or left out and said.
    const auto said = [&](const std::string& path) {
        return std::count(result.leftOut.begin(), result.leftOut.end(),
                          LeftOutName{path, LeftOutWhy::CodePage});
    };
    EXPECT_EQ(byContents["polish"].size() + said(root / "?ukasz.pst"), 1u);
    EXPECT_EQ(byContents["in"].size() + said(root / "?dir\\"), 1u);
    EXPECT_EQ(byContents["<unreadable>"], Strings{}) << "every listed path opens its file";
    EXPECT_EQ(Status(0), SearchEndText(result));
    DeleteFileW(polish.c_str());
    DeleteFileW((folder + L"\\in.pst").c_str());
    RemoveDirectoryW(folder.c_str());
}

TEST_F(RealSearchTest, FolderLinksLeadOnceOffTheDriveAndNeverBackIntoTheTree) {
    VINTREL_NEEDS_WINE();
    const std::string outside = test::DriveCFromOutside();
    if (outside.empty()) GTEST_SKIP() << "no Linux side to link to";
    // A folder off drive C:, reached through two links, with a link back to itself inside.
    test::TempDir off{"Z:\\tmp"};
    test::MakeDirectory(off / "Outlook");
    test::WriteFile(off / "Outlook\\off.pst", "off the drive");
    ASSERT_TRUE(test::MakeLink(off / "Outlook\\up", off.path()));
    ASSERT_TRUE(test::MakeLink(root / "first", off.path()));
    ASSERT_TRUE(test::MakeLink(root / "second", off.path()));
    // Back into the tree, to "." and round in a circle: nothing new.
    ASSERT_TRUE(test::MakeLink(root / "here", "."));
    ASSERT_TRUE(test::MakeLink(root / "Mail\\again", root / "sys"));
    ASSERT_TRUE(test::MakeLink(root / "p", "q"));
    ASSERT_TRUE(test::MakeLink(root / "q", "p"));
    // Neither the whole machine nor a link on from a tree a link led to (another Wine prefix
    // kept in the home folder) is walked: mail kept elsewhere on the machine stays unlisted.
    test::TempDir elsewhere{"Z:\\tmp"};
    test::WriteFile(elsewhere / "far.pst", "elsewhere on the machine");
    ASSERT_TRUE(test::MakeLink(root / "machine", "Z:\\"));
    ASSERT_TRUE(test::MakeLink(off / "Outlook\\prefix", elsewhere.path()));

    SearchDataFiles(state, disk, layer, root.path());
    Strings offDrive;
    for (const std::string& entry : state.profileList) {
        if (entry.find("\\off.pst|") != std::string::npos) offDrive.push_back(EntryPath(entry));
    }
    ASSERT_EQ(offDrive.size(), 1u);
    EXPECT_EQ(test::Contents(offDrive[0]), "off the drive");
    EXPECT_EQ(state.profileList.size(), listed.size() + 1) << "nothing of the tree twice";
}

TEST_F(RealSearchTest, WinesOwnDocumentsFolderIsSearchedOnce) {
    char profile[MAX_PATH] = "";
    ASSERT_TRUE(GetEnvironmentVariableA("USERPROFILE", profile, sizeof profile));
    const std::string documents = std::string(profile) + "\\Documents";
    if (!(GetFileAttributesA(documents.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT))
        GTEST_SKIP() << "Documents is no link here";
    test::TempDir outlook{documents};
    const std::string name = "vintrel-" + std::to_string(GetCurrentProcessId()) + ".pst";
    test::WriteFile(outlook / name, "mail in Documents");
    SearchDataFiles(state, disk, layer, profile);
    Strings found;
    for (const std::string& entry : state.profileList) {
        if (entry.find("\\" + name + "|") != std::string::npos) found.push_back(EntryPath(entry));
    }
    ASSERT_EQ(found.size(), 1u) << "Desktop, Documents and Downloads lead to one folder";
    EXPECT_EQ(test::Contents(found[0]), "mail in Documents");
}

TEST_F(RealSearchTest, EmptyAndUnopenableDirectoriesAndOverlongRequests) {
    EXPECT_NE(disk.OpenDirectory(root / "empty"), nullptr);
    EXPECT_EQ(disk.OpenDirectory(root / "no such"), nullptr);
    EXPECT_EQ(disk.OpenDirectory(root / "top.pst"), nullptr);

    // A directory whose listing request ("\*.*" added) would pass 259 characters is refused,
    // not cut short to some other directory.
    std::string path = root.path();
    while (path.size() + 101 < 255) {
        path += "\\" + std::string(100, 'd');
        test::MakeDirectory(path);
    }
    const std::string fits = path + "\\" + std::string(255 - path.size() - 1, 'f');
    ASSERT_EQ(fits.size(), 255u);
    test::MakeDirectory(fits);
    EXPECT_NE(disk.OpenDirectory(fits), nullptr) << "a request of 259 characters";
    const std::string tooLong = fits.substr(0, fits.size() - 1) + "gg";
    if (!CreateDirectoryA(tooLong.c_str(), nullptr))
        GTEST_SKIP() << "no 256-character directory here";
    EXPECT_EQ(disk.OpenDirectory(tooLong), nullptr) << "a request of 260 characters";
}

} // namespace
} // namespace vintrel
