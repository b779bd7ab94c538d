#include <gtest/gtest.h>

#include "app/file_list.h"
#include "app/ids.h"
#include "discovery/search.h"
#include "fakes.h"

namespace vintrel {
namespace {

using test::Strings;

TEST(Classify, KnowsTheFourKindsByTheirExactEndings) {
    struct Case {
        const char* path;
        const char* kind; // nullptr: not a data file
    };
    const Case cases[] = {
        {"C:\\Outlook Express\\Inbox.dbx", "Outlook Express mailboxes"},
        {"C:\\a\\Outlook Express\\b\\c\\Inbox.dbx", "Outlook Express mailboxes"},
        {"C:\\Mail\\Inbox.dbx", nullptr},
        {"C:\\outlook express\\Inbox.dbx", nullptr},
        {"C:\\Outlook Express\\Inbox.DBX", nullptr},
        {"C:\\Outlook Express.dbx", nullptr},
        {"C:\\Outlook Express\\", nullptr},
        {"C:\\x\\Book.wab", "Windows address book"},
        {"C:\\x\\Book.WAB", nullptr},
        {"C:\\x\\box.pst", "Outlook personal folders"},
        {"C:\\x\\.pst", "Outlook personal folders"},
        {"C:\\x\\box.pst.bak", nullptr},
        {"C:\\x\\box.Pst", nullptr},
        {"C:\\x\\names.pab", "Outlook personal address book"},
        {"C:\\Outlook Express\\names.pab", "Outlook personal address book"},
        {"pst", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const auto kind = ClassifyDataFile(c.path);
        ASSERT_EQ(kind.has_value(), c.kind != nullptr);
        if (kind) {
            EXPECT_STREQ(kind->kindText, c.kind);
        }
    }
    EXPECT_STREQ(ClassifyDataFile("C:\\Outlook Express\\a.dbx")->versionText, "v6.0");
    EXPECT_STREQ(ClassifyDataFile("C:\\a.pab")->versionText, "[No idea]");
}

class SearchTest : public test::FakeProgramTest {
protected:
    SearchTest() : FakeProgramTest("C:\\") {}
    void SetUp() override {
        // R holds A (with A1) and B, in that order; data files all over.
        disk.AddDirectoryIn("C:\\R");
        disk.AddFileIn("C:\\R\\top.pst");
        disk.AddDirectoryIn("C:\\R\\A");
        disk.AddDirectoryIn("C:\\R\\B");
        disk.AddFileIn("C:\\R\\z.wab");
        disk.AddFileIn("C:\\R\\A\\a.pab");
        disk.AddDirectoryIn("C:\\R\\A\\A1");
        disk.AddFileIn("C:\\R\\A\\A1\\deep.pst");
        disk.AddFileIn("C:\\R\\B\\b.wab");
        disk.AddFileIn("C:\\R\\B\\notes.txt");
    }
    Strings Paths() const {
        Strings paths;
        for (const std::string& e : state.profileList)
            paths.push_back(EntryPath(e));
        return paths;
    }
};

TEST_F(SearchTest, WalksDepthFirstInPreOrderListingFilesAsEachDirectoryIsRead) {
    SearchDataFiles(state, disk, screen, "C:\\R");
    EXPECT_EQ(disk.listed,
              (Strings{"C:\\R\\*.*", "C:\\R\\A\\*.*", "C:\\R\\A\\A1\\*.*", "C:\\R\\B\\*.*"}));
    EXPECT_EQ(Paths(), (Strings{"C:\\R\\top.pst", "C:\\R\\z.wab", "C:\\R\\A\\a.pab",
                                "C:\\R\\A\\A1\\deep.pst", "C:\\R\\B\\b.wab"}));
    ASSERT_EQ(screen.rows.size(), 5u);
    EXPECT_EQ(screen.rows[3],
              (Strings{"deep.pst", "Outlook personal folders", "[No idea]", "Okay"}));
    EXPECT_EQ(screen.cellColours[std::make_pair(3, 3)], 0x0002F7FDu);
    EXPECT_EQ(disk.mostOpenListings, 1);
    EXPECT_EQ(screen.calls.front(), "clear rows");
    EXPECT_EQ(screen.calls[1], "status 0: " + std::string(kSearchStartText));
    EXPECT_EQ(screen.calls.back(), "status 0: " + std::string(kSearchDoneText));
}

TEST_F(SearchTest, DriveStartWithOrWithoutBackslashIsTheSameWalk) {
    disk.AddDirectoryIn("C:\\Other");
    SearchDataFiles(state, disk, screen, "C:");
    const Strings first = disk.listed;
    const Strings firstPaths = Paths();
    disk.listed.clear();
    SearchDataFiles(state, disk, screen, "C:\\");
    EXPECT_EQ(disk.listed, first);
    EXPECT_EQ(Paths(), firstPaths);
    EXPECT_EQ(first.front(), "C:\\*.*");
    EXPECT_EQ(firstPaths.front(), "C:\\R\\top.pst");
}

TEST_F(SearchTest, EmptyStartWalksNothingButStillEmptiesAndReports) {
    state.profileList = {"old|x|y"};
    screen.rows = {{"old"}};
    SearchDataFiles(state, disk, screen, "");
    EXPECT_TRUE(disk.listed.empty());
    EXPECT_TRUE(state.profileList.empty());
    EXPECT_TRUE(screen.rows.empty());
    EXPECT_EQ(screen.statusFields[kMessageField], kSearchDoneText);
}

TEST_F(SearchTest, UnopenableAndLinkedDirectoriesArePassedOverQuietly) {
    disk.DenyListing("C:\\R\\A");
    // As Wine reports a symbolic link: no real tag.
    disk.AddDirectoryIn("C:\\R\\Loop", kAttributeDirectory | kAttributeReparsePoint, 1);
    disk.AddFileIn("C:\\R\\Loop\\looped.pst");
    disk.AddFileIn("C:\\R\\link.pst", 0x20 | kAttributeReparsePoint); // a linked file is a file
    SearchDataFiles(state, disk, screen, "C:\\R");
    EXPECT_EQ(Paths(),
              (Strings{"C:\\R\\top.pst", "C:\\R\\z.wab", "C:\\R\\link.pst", "C:\\R\\B\\b.wab"}));
    EXPECT_EQ(disk.listed, (Strings{"C:\\R\\*.*", "C:\\R\\A\\*.*", "C:\\R\\B\\*.*"}));
    EXPECT_EQ(screen.statusFields[kMessageField], kSearchDoneText);
}

TEST_F(SearchTest, CloudAndOtherPlaceholderFoldersAreWalkedLinksAreNot) {
    const std::uint32_t reparse = kAttributeDirectory | kAttributeReparsePoint;
    disk.AddDirectoryIn("C:\\R\\OneDrive", reparse, 0x9000701A); // cloud files
    disk.AddFileIn("C:\\R\\OneDrive\\cloud.pst");
    disk.AddDirectoryIn("C:\\R\\Dedup", reparse, 0x80000013); // deduplication
    disk.AddFileIn("C:\\R\\Dedup\\dedup.pst");
    disk.AddDirectoryIn("C:\\R\\Junction", reparse, 0xA0000003); // mount point
    disk.AddFileIn("C:\\R\\Junction\\junction.pst");
    disk.AddDirectoryIn("C:\\R\\Symlink", reparse, 0xA000000C);
    disk.AddFileIn("C:\\R\\Symlink\\symlink.pst");
    disk.AddDirectoryIn("C:\\R\\Vendor", reparse, 0x00000123); // not a Microsoft tag
    disk.AddFileIn("C:\\R\\Vendor\\vendor.pst");
    SearchDataFiles(state, disk, screen, "C:\\R");
    const Strings paths = Paths();
    EXPECT_EQ(Strings(paths.end() - 2, paths.end()),
              (Strings{"C:\\R\\OneDrive\\cloud.pst", "C:\\R\\Dedup\\dedup.pst"}));
    EXPECT_EQ(paths.size(), 7u);
}

TEST_F(SearchTest, ADirectoryNamedOutsideTheCodePageIsWalkedThroughItsShortName) {
    disk.AddDirectoryIn("C:\\R\\???", kAttributeDirectory, 0, "___~~4SY");
    disk.AddFileIn("C:\\R\\___~~4SY\\inner.pst");
    disk.AddDirectoryIn("C:\\R\\??", kAttributeDirectory); // no short name: passed over
    disk.AddFileIn("C:\\R\\??\\lost.pst");
    SearchDataFiles(state, disk, screen, "C:\\R");
    EXPECT_EQ(Paths().back(), "C:\\R\\___~~4SY\\inner.pst");
    EXPECT_EQ(std::count(disk.listed.begin(), disk.listed.end(), "C:\\R\\??\\*.*"), 0);
}

TEST_F(SearchTest, TheTargetPathsSubtreeOnTheSearchedDriveIsLeftOut) {
    disk.AddDirectoryIn("C:\\R\\B\\Backup");
    disk.AddFileIn("C:\\R\\B\\Backup\\top.pst"); // an earlier copy
    disk.AddDirectoryIn("C:\\R\\B\\Backup2");
    disk.AddFileIn("C:\\R\\B\\Backup2\\kept.pst");
    state.targetPath = "c:\\r\\b\\BACKUP\\";
    SearchDataFiles(state, disk, screen, "C:");
    const Strings paths = Paths();
    EXPECT_EQ(paths.size(), 6u);
    EXPECT_EQ(paths.back(), "C:\\R\\B\\Backup2\\kept.pst") << "only that one directory";
    // A target elsewhere, or the drive's root itself, leaves nothing out.
    for (const char* target : {"D:\\R\\B\\Backup\\", "C:\\"}) {
        state.targetPath = target;
        SearchDataFiles(state, disk, screen, "C:");
        EXPECT_EQ(state.profileList.size(), 7u) << target;
    }
}

TEST_F(SearchTest, DirectoryNamedLikeADataFileIsWalkedNotListed) {
    disk.AddDirectoryIn("C:\\R\\x.pst");
    disk.AddFileIn("C:\\R\\x.pst\\inner.wab");
    SearchDataFiles(state, disk, screen, "C:\\R");
    const Strings paths = Paths();
    EXPECT_EQ(std::count(paths.begin(), paths.end(), "C:\\R\\x.pst"), 0);
    EXPECT_EQ(paths.back(), "C:\\R\\x.pst\\inner.wab");
}

TEST_F(SearchTest, SecondSearchReplacesTheRowsAndTheMarkTurnsOn) {
    SearchDataFiles(state, disk, screen, "C:\\R");
    // Six files: the mark goes once round.
    EXPECT_EQ(screen.spinnerMarks, (Strings{"-|-", "-/-", "---", "-\\-", "-/-", "---"}));
    disk.AddFileIn("C:\\R\\B\\seventh.txt");
    SearchDataFiles(state, disk, screen, "C:\\R");
    EXPECT_EQ(screen.rows.size(), 5u);
    EXPECT_EQ(state.profileList.size(), 5u);
    ASSERT_EQ(screen.spinnerMarks.size(), 13u);
    EXPECT_EQ(screen.spinnerMarks[6], "-|-") << "goes on from where it stood";
    EXPECT_EQ(screen.spinnerMarks[12], "-|-");
    EXPECT_EQ(state.spinnerString, "/-\\/-|");
}

TEST_F(SearchTest, MessagesAreHandledWhenTheIntervalHasPassedAndOnceAtTheEnd) {
    // Six files, each a little over half the interval: it has passed at every second file.
    screen.clockPerMark = kSearchUpkeepIntervalMs / 2 + 1;
    std::vector<std::size_t> marksAtPoll;
    screen.onPoll = [&] { marksAtPoll.push_back(screen.spinnerMarks.size()); };
    SearchDataFiles(state, disk, screen, "C:\\R");
    EXPECT_EQ(marksAtPoll, (std::vector<std::size_t>{2, 4, 6, 6}));
    EXPECT_EQ(screen.spinnerMarks.size(), 6u) << "one mark per file whatever the interval";

    // A clock that stands still: the walk handles nothing, the end still does.
    screen.clockPerMark = 0;
    screen.polls = 0;
    SearchDataFiles(state, disk, screen, "C:\\R");
    EXPECT_EQ(screen.polls, 1);
    EXPECT_EQ(screen.spinnerMarks.size(), 12u);
}

TEST_F(SearchTest, EventsDuringTheSearchAreHandledAndThrownAway) {
    screen.clockPerMark = 10;
    // A press, Alt+X and the close box, made while the walk meets its first file.
    bool injected = false;
    screen.onPoll = [&] {
        if (injected) return;
        injected = true;
        screen.events = {{EventKind::Gadget, kSearchButton},
                         {EventKind::Command, kQuitCommand},
                         {EventKind::CloseRequest, kMainWindowNumber}};
    };
    SearchDataFiles(state, disk, screen, "C:\\R");
    EXPECT_TRUE(screen.events.empty()) << "all taken";
    EXPECT_EQ(state.quitFlag, 0) << "and none acted on";
    EXPECT_EQ(state.profileList.size(), 5u);
    // A press that comes in after the last handling is dropped by the final one.
    screen.onPoll = nullptr;
    screen.clockPerMark = 0;
    screen.events = {{EventKind::Gadget, kBackupButton}};
    SearchDataFiles(state, disk, screen, "C:\\R");
    EXPECT_TRUE(screen.events.empty());
}

} // namespace
} // namespace vintrel
