// The search over a real tree planted on drive C:, with the rows read back from the real
// list view.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <set>

#include "win32/win32_disk.h"
#include "app/ids.h"
#include "app/file_list.h"
#include "discovery/search.h"
#include "test_support.h"
#include "ui/main_window.h"
#include "window_fixture.h"

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
        ASSERT_TRUE(CreateSymbolicLinkA((t + "\\Mail\\loop").c_str(), t.c_str(),
                                        SYMBOLIC_LINK_FLAG_DIRECTORY));
        listed = {"top.pst",
                  "hidden.wab",
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
    AddFileRow(state, layer, "C:\\gone\\lost.pst", "Outlook personal folders", "[No idea]",
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
    Event e{};
    int got;
    while ((got = layer.PollEvent(&e)) != 0) {
        EXPECT_LT(got, static_cast<int>(EventKind::CloseRequest))
            << "an event was left for the loop";
    }
    EXPECT_TRUE(IsWindow(main));
    EXPECT_EQ(state.profileList.size(), listed.size());
}

TEST_F(RealSearchTest, SecondSearchReplacesTheRows) {
    SearchDataFiles(state, disk, layer, root.path());
    DeleteFileA((root / "top.pst").c_str());
    SearchDataFiles(state, disk, layer, root.path());
    EXPECT_EQ(state.profileList.size(), listed.size() - 1);
    EXPECT_EQ(SendMessageA(Gadget(kFileList), LVM_GETITEMCOUNT, 0, 0),
              static_cast<LRESULT>(listed.size() - 1));
}

TEST_F(RealSearchTest, ABackupTargetInsideTheTreeIsLeftOutAndAFolderNamedInJapaneseIsWalked) {
    test::MakeDirectory(root / "Backup");
    test::WriteFile(root / "Backup\\top.pst", "an earlier copy");
    state.targetPath = root / "Backup\\";
    // "メール": the ANSI listing shows it as "???", a wildcard.
    const std::wstring japanese =
        std::wstring(root.path().begin(), root.path().end()) + L"\\\x30E1\x30FC\x30EB";
    ASSERT_TRUE(CreateDirectoryW(japanese.c_str(), nullptr));
    HANDLE file = CreateFileW((japanese + L"\\inner.pst").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);

    SearchDataFiles(state, disk, layer, root.path());
    Strings inner;
    for (const std::string& entry : state.profileList) {
        EXPECT_EQ(entry.find(root / "Backup\\"), std::string::npos) << entry;
        if (entry.find("\\inner.pst|") != std::string::npos) inner.push_back(entry);
    }
    ASSERT_EQ(inner.size(), 1u);
    const std::string path = EntryPath(inner[0]);
    EXPECT_EQ(path.find('?'), std::string::npos) << path;
    EXPECT_EQ(test::Contents(path), "") << "the listed path opens the file";
    // The clean-up, through ANSI names, cannot name it.
    DeleteFileW((japanese + L"\\inner.pst").c_str());
    RemoveDirectoryW(japanese.c_str());
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
