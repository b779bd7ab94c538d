#include <gtest/gtest.h>

#include "app/file_list.h"
#include "app/ids.h"
#include "discovery/search.h"
#include "copies/copy_record.h"
#include "fakes.h"
#include "app/texts.h"

namespace vintrel {
namespace {

using test::Strings;
using namespace std::string_literals;

TEST(Classify, KnowsTheFourKindsByTheirEndingsInAnyCase) {
    struct Case {
        const char* path;
        const char* kind; // nullptr: not a data file
    };
    const Case cases[] = {
        {"C:\\Outlook Express\\Inbox.dbx", "Outlook Express mailboxes"},
        {"C:\\a\\Outlook Express\\b\\c\\Inbox.dbx", "Outlook Express mailboxes"},
        {"C:\\Mail\\Inbox.dbx", nullptr},
        {"C:\\outlook express\\Inbox.dbx", "Outlook Express mailboxes"},
        {"C:\\OUTLOOK EXPRESS\\sub\\Inbox.DBX", "Outlook Express mailboxes"},
        {"C:\\OutlookExpress\\Inbox.dbx", nullptr},
        {"C:\\Outlook Express.dbx", nullptr},
        {"C:\\Outlook Express\\", nullptr},
        {"C:\\x\\Book.wab", "Windows address book"},
        {"C:\\x\\Book.WAB", "Windows address book"},
        {"C:\\x\\box.pst", "Outlook personal folders"},
        {"C:\\x\\.pst", "Outlook personal folders"},
        {"C:\\x\\box.pst.bak", nullptr},
        {"C:\\x\\OUTLOOK.PST", "Outlook personal folders"},
        {"C:\\x\\names.PaB", "Outlook personal address book"},
        {"C:\\x\\box.Ps", nullptr},
        {"C:\\x\\names.pab", "Outlook personal address book"},
        {"C:\\Outlook Express\\names.pab", "Outlook personal address book"},
        {"pst", nullptr},
        {".pst", "Outlook personal folders"}, // the ending all of it
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

TEST_F(SearchTest, UnopenableDirectoriesAndLinksThatLeadNowhereNewArePassedOverQuietly) {
    disk.DenyListing("C:\\R\\A");
    disk.AddLink("C:\\R\\Loop", "C:\\R", 1);    // back to its own folder (Wine's tag)
    disk.AddLink("C:\\R\\Here", "C:\\R\\.", 0); // a link to "."
    disk.AddLink("C:\\R\\P", "C:\\R\\Q");       // two links that point at each other
    disk.AddLink("C:\\R\\Q", "C:\\R\\P");
    disk.AddLink("C:\\R\\Gone", "C:\\Nowhere");
    disk.AddFileIn("C:\\R\\link.pst", 0x20 | kAttributeReparsePoint); // a linked file is a file
    SearchDataFiles(state, disk, screen, "C:\\R");
    EXPECT_EQ(Paths(),
              (Strings{"C:\\R\\top.pst", "C:\\R\\z.wab", "C:\\R\\link.pst", "C:\\R\\B\\b.wab"}));
    EXPECT_EQ(disk.listed, (Strings{"C:\\R\\*.*", "C:\\R\\A\\*.*", "C:\\R\\B\\*.*"}));
    EXPECT_EQ(screen.statusFields[kMessageField], kSearchDoneText);
    // Where nothing can say where a link leads, none is followed.
    disk.finalPathsUnknown = true;
    disk.AddDirectoryIn("Z:\\Off");
    disk.AddFileIn("Z:\\Off\\off.pst");
    disk.AddLink("C:\\R\\Off", "Z:\\Off");
    SearchDataFiles(state, disk, screen, "C:\\R");
    EXPECT_EQ(state.profileList.size(), 4u);
}

TEST_F(SearchTest, FolderLinksAreFollowedOnceOffTheTreeAndNeverBackIntoIt) {
    const std::uint32_t reparse = kAttributeDirectory | kAttributeReparsePoint;
    disk.AddDirectoryIn("C:\\R\\OneDrive", reparse, 0x9000701A); // cloud files
    disk.AddFileIn("C:\\R\\OneDrive\\cloud.pst");
    disk.AddDirectoryIn("C:\\R\\Dedup", reparse, 0x80000013); // deduplication
    disk.AddFileIn("C:\\R\\Dedup\\dedup.pst");
    disk.AddLink("C:\\R\\Junction", "c:\\r\\A", 0xA0000003); // into the tree: walked anyway
    disk.AddLink("C:\\R\\Symlink", "C:\\R", 0xA000000C);
    disk.AddDirectoryIn("C:\\R\\Vendor", reparse, 0x00000123); // marked, but leads nowhere else
    disk.AddFileIn("C:\\R\\Vendor\\vendor.pst");
    // Off the drive: Wine's home folder, a folder that holds the walked tree itself, the rest
    // of the machine, and a share.
    for (const char* folder : {"Z:\\home", "Z:\\home\\Outlook", "Z:\\pfx", "Z:\\pfx\\drive_c",
                               "Z:\\other", "\\\\server\\share\\Mail"}) {
        disk.AddDirectoryIn(folder);
    }
    disk.AddAlias("Z:\\pfx\\drive_c", "C:\\");
    // Cloud files are no link, in a tree a link led to too.
    disk.AddDirectoryIn("Z:\\home\\Outlook\\Cloud", reparse, 0x9000701A);
    for (const char* file :
         {"Z:\\home\\Outlook\\h.pst", "Z:\\home\\Outlook\\Cloud\\c.pst", "Z:\\other\\far.pst", "\\\\server\\share\\Mail\\s.pst"}) {
        disk.AddFileIn(file);
    }
    const std::pair<const char*, const char*> links[] = {
        {"Z:\\home\\Outlook\\up", "Z:\\home"},           // to its own ancestor
        {"C:\\R\\Desktop", "Z:\\home"},                  // Wine's home, with tag 0,
        {"C:\\R\\Documents", "Z:\\HOME\\"},              // again, spelled otherwise
        {"C:\\R\\Prefix", "Z:\\pfx"},                    // holds the walked tree
        {"C:\\R\\Machine", "Z:\\"},                      // the whole machine: never walked
        {"Z:\\home\\Outlook\\prefix", "Z:\\other"},      // on from a tree a link led to: never
        {"C:\\R\\Share", "\\\\server\\share"},           // a share's root is a drive's
        {"C:\\R\\ShareMail", "\\\\server\\share\\Mail"}, // a folder of it is not
    };
    for (const auto& [link, target] : links)
        disk.AddLink(link, target);
    SearchDataFiles(state, disk, screen, "C:\\R");
    EXPECT_EQ(Paths(),
              (Strings{"C:\\R\\top.pst", "C:\\R\\z.wab", "C:\\R\\A\\a.pab",
                       "C:\\R\\A\\A1\\deep.pst", "C:\\R\\B\\b.wab", "C:\\R\\OneDrive\\cloud.pst",
                       "C:\\R\\Dedup\\dedup.pst", "C:\\R\\Vendor\\vendor.pst",
                       "C:\\R\\Desktop\\Outlook\\h.pst", "C:\\R\\Desktop\\Outlook\\Cloud\\c.pst",
                       "C:\\R\\ShareMail\\s.pst"}));
    // From the drive's root, a link into a folder just below it leads into the tree all the
    // same, and one to a share's folder leads off it.
    const Strings fromTree = Paths();
    disk.AddLink("C:\\R\\Up", "C:\\R");
    disk.currentDirectory = "C:\\R\\B"; // as a run started elsewhere has it
    SearchDataFiles(state, disk, screen, "C:");
    EXPECT_EQ(Paths(), fromTree);
    // Folders that cannot be asked who they are are not taken for the walk's start.
    disk.unlookable.insert("C:\\R");
    disk.unlookable.insert("Z:\\");
    SearchDataFiles(state, disk, screen, "C:\\R");
    EXPECT_EQ(Paths()[Paths().size() - 3], "C:\\R\\Desktop\\Outlook\\h.pst");
}

TEST_F(SearchTest, TheCopiesARecordNamesBelowItsFolderAreLeftOutAndNothingElse) {
    // A target moved since its backups: the record went with it. Its copies are left out
    // whatever their sizes and times; lines that leave the folder name nothing.
    disk.AddDirectoryIn("C:\\Moved");
    disk.AddFileIn("C:\\Moved\\top.pst"); // met before the record
    disk.AddFileIn("C:\\Moved\\Vintrel Copies.txt");
    disk.files["C:\\Moved\\Vintrel Copies.txt"] =
        "top.pst\r\nr\\a\\.\\A.PAB\r\n..\\R\\z.wab\r\nC:\\R\\B\\b.wab\r\n\\R\\top.pst\r\nR/"
        "x.pst\r\n"
        "R\\nul.pst\r\nR\\?.pst\r\nR\\\xEF\xBF\xBD.pst"; // recorded by its long name, listed by its
                                                         // short one
    disk.AddDirectoryIn("C:\\Moved\\R");
    disk.AddFileIn("C:\\Moved\\R\\x.pst");
    disk.AddFileIn("C:\\Moved\\R\\nul.pst", 0x20, 10, 0, "NUL~1.PST");
    disk.AddFileIn("C:\\Moved\\R\\mail.pst"); // mail the user keeps in the target
    disk.AddFileIn("C:\\Moved\\R\\?.pst", 0x20, 10, 0, "Q~1.PST"); // a long name it cannot spell
    disk.AddFileIn("C:\\Moved\\R\\\xEF\xBF\xBD.pst", 0x20, 10, 0, "U~1.PST"); // nor UTF-8
    disk.AddDirectoryIn("C:\\Moved\\R\\A");
    disk.AddFileIn("C:\\Moved\\R\\A\\a.pab", 0x20, 999, 12345); // changed since
    // A copy made by hand at the drive's root is mail, and hides nothing; so is a backup
    // copied back onto the drive, its record at the root.
    disk.AddFileIn("C:\\top.pst");
    disk.AddFileIn("C:\\Vintrel Copies.txt");
    disk.files["C:\\Vintrel Copies.txt"] = "top.pst\r\nR\\top.pst\r\n";
    // A record too large to be one of ours hides nothing.
    disk.AddDirectoryIn("C:\\Huge");
    disk.AddFileIn("C:\\Huge\\Vintrel Copies.txt", 0x20, kCopyRecordLimit + 1);
    disk.files["C:\\Huge\\Vintrel Copies.txt"] = "box.pst\r\n";
    disk.sizes["C:\\Huge\\Vintrel Copies.txt"] = kCopyRecordLimit + 1;
    disk.AddFileIn("C:\\Huge\\box.pst");
    disk.AddDirectoryIn("C:\\Edge"); // one of just that size is ours
    disk.AddFileIn("C:\\Edge\\Vintrel Copies.txt", 0x20, kCopyRecordLimit);
    disk.files["C:\\Edge\\Vintrel Copies.txt"] =
        "box.pst\r\n:" + std::string(kCopyRecordLimit - 10, 'x');
    disk.AddFileIn("C:\\Edge\\box.pst");
    // A record that cannot be read hides nothing.
    disk.AddDirectoryIn("C:\\Locked");
    disk.AddFileIn("C:\\Locked\\Vintrel Copies.txt");
    disk.files["C:\\Locked\\Vintrel Copies.txt"] = "box.pst\r\n";
    disk.unopenable.insert("C:\\Locked\\Vintrel Copies.txt");
    disk.AddFileIn("C:\\Locked\\box.pst");
    // A record read in part: its last line may be cut short ("box.pst.bak" to "box.pst").
    disk.AddDirectoryIn("C:\\Cut");
    disk.AddFileIn("C:\\Cut\\Vintrel Copies.txt");
    disk.files["C:\\Cut\\Vintrel Copies.txt"] = "box.pst.bak\r\nz";
    disk.cutShort.insert("C:\\Cut\\Vintrel Copies.txt");
    disk.AddFileIn("C:\\Cut\\box.pst");
    // A record that keeps states hides a copy only while it is that copy, or the one a run was
    // making; one changed since, a file with another name too, is mail again, and said. Where
    // two names differ in case only, a line names the one spelled as it is.
    disk.AddDirectoryIn("C:\\States");
    disk.AddFileIn("C:\\States\\Vintrel Copies.txt");
    disk.files["C:\\States\\Vintrel Copies.txt"] =
        "same.pst\t10\t7\t-\r\nworked.pst\t10\t7\t-\r\ndying.pst\t-\t-\t-\t10\t9\r\n"
        "linked.pst\t10\t7\t-\r\ntwin.pst\t10\t7\t-\r\nGONE.PST\t10\t7\t-\r\n"
        "cloud.pst\t10\t7\t-\r\n"; // a cloud file, a reparse point, is a copy as any other
    disk.AddFileIn("C:\\States\\cloud.pst", 0x20 | kAttributeReparsePoint, 10, 7, "", 0x9000701A);
    for (const char* name : {"same.pst", "dying.pst", "linked.pst", "Twin.pst", "twin.pst"})
        disk.AddFileIn("C:\\States\\"s + name, 0x20, 10, name[0] == 'd' ? 9 : 7);
    disk.AddFileIn("C:\\States\\worked.pst", 0x20, 10, 8);
    disk.AddFileIn("C:\\States\\gone.pst", 0x20, 10, 7); // where case is told: not named
    disk.otherNames.insert("C:\\States\\linked.pst");
    disk.AddDirectoryIn("C:\\Cased"); // so too where two folders' names differ in case only
    disk.AddFileIn("C:\\Cased\\Vintrel Copies.txt");
    disk.files["C:\\Cased\\Vintrel Copies.txt"] = "GONE.PST\t10\t7\t-\r\n";
    disk.AddFileIn("C:\\Cased\\gone.pst", 0x20, 10, 7);
    for (const char* name : {"Sub", "SUB"})
        disk.AddDirectoryIn("C:\\Cased\\"s + name);
    const SearchResult result = SearchDataFiles(state, disk, screen, "C:");
    EXPECT_EQ(Paths(),
              (Strings{"C:\\top.pst", "C:\\R\\top.pst", "C:\\R\\z.wab", "C:\\R\\A\\a.pab",
                       "C:\\R\\A\\A1\\deep.pst", "C:\\R\\B\\b.wab", "C:\\Moved\\R\\mail.pst",
                       "C:\\Moved\\R\\Q~1.PST", "C:\\Moved\\R\\U~1.PST", "C:\\Huge\\box.pst",
                       "C:\\Locked\\box.pst", "C:\\Cut\\box.pst", "C:\\States\\linked.pst",
                       "C:\\States\\Twin.pst", "C:\\States\\worked.pst", "C:\\States\\gone.pst",
                       "C:\\Cased\\gone.pst"}));
    EXPECT_EQ(result.changedCopies, (Strings{"C:\\States\\linked.pst", "C:\\States\\worked.pst"}));
}

TEST_F(SearchTest, NamesOutsideTheCodePageAreOpenedThroughTheirShortNamesOrLeftOutAndSaid) {
    disk.AddDirectoryIn("C:\\R\\???", kAttributeDirectory, 0, "___~~4SY");
    disk.AddFileIn("C:\\R\\___~~4SY\\inner.pst");
    disk.AddDirectoryIn("C:\\R\\??", kAttributeDirectory); // no short name: left out
    disk.AddFileIn("C:\\R\\??\\lost.pst");
    // A file is known by its long name and listed under the short one, which opens it.
    disk.AddFileIn("C:\\R\\??????.pst", 0x20, 10, 0, "___~~5HW.PST");
    disk.AddFileIn("C:\\R\\????.txt", 0x20, 10, 0, "___~~6AB.PST");
    // A name that would forge a profile line goes by its short name, or is left out and said.
    disk.AddFileIn("C:\\R\\q\nC:|Outlook personal folders|x.pst", 0x20, 10, 0, "Q_C_~1.PST");
    disk.AddFileIn("C:\\R\\a|b.pst");
    disk.AddFileIn("C:\\R\\l\nf.pst", 0x20, 10, 0, "L\nF~1.PST"); // Wine's short name keeps it
    disk.AddDirectoryIn("C:\\R\\line\rbreak");
    disk.AddFileIn("C:\\R\\tab\t.txt");
    disk.AddFileIn("C:\\R\\??.wab"); // no short name: "?" would be a wildcard
    // Linux names under Wine that a Windows path opens as another file, or as a device.
    disk.AddFileIn("C:\\R\\co:lon.pst", 0x20, 10, 0, "CO:L~GRQ.PST");
    disk.AddFileIn("C:\\R\\nul.pst");
    disk.AddDirectoryIn("C:\\R\\dd.", kAttributeDirectory, 0, "DD~1");
    disk.AddFileIn("C:\\R\\DD~1\\in.pst");
    const SearchResult result = SearchDataFiles(state, disk, screen, "C:\\R");
    const LeftOutWhy codePage = LeftOutWhy::CodePage, spelling = LeftOutWhy::Spelling;
    EXPECT_EQ(result.leftOut, (std::vector<LeftOutName>{{"C:\\R\\??\\", codePage},
                                                        {"C:\\R\\a|b.pst", spelling},
                                                        {"C:\\R\\l?f.pst", spelling},
                                                        {"C:\\R\\line?break\\", spelling},
                                                        {"C:\\R\\??.wab", codePage},
                                                        {"C:\\R\\co:lon.pst", spelling},
                                                        {"C:\\R\\nul.pst", spelling}}));
    EXPECT_EQ(screen.statusFields[kMessageField],
              "Information: Job finished. 7 names were left out: Windows' ANSI code page cannot "
              "hold 2, no Windows path can spell 5");
    const Strings paths = Paths();
    EXPECT_EQ(paths[3], "C:\\R\\Q_C_~1.PST");
    EXPECT_EQ(paths[2], "C:\\R\\___~~5HW.PST");
    EXPECT_EQ(screen.rows[2][0], "___~~5HW.PST");
    EXPECT_EQ(screen.rows[2][1], "Outlook personal folders");
    EXPECT_EQ(paths[paths.size() - 2], "C:\\R\\___~~4SY\\inner.pst");
    EXPECT_EQ(paths.back(), "C:\\R\\DD~1\\in.pst");
    EXPECT_EQ(paths.size(), 9u);
    EXPECT_EQ(std::count(disk.listed.begin(), disk.listed.end(), "C:\\R\\??\\*.*"), 0);
}

TEST(SearchEnd, SaysHowManyNamesWereLeftOutAndWhy) {
    using Why = LeftOutWhy;
    const struct {
        std::vector<Why> leftOut;
        std::string said;
        std::size_t changed = 0; // copies listed as changed since they were made
    } cases[] = {
        {{}, "Information: Job finished. 1 backup copy changed since it was made is listed as mail",
         1},
        {{Why::CodePage},
         "Information: Job finished. 1 name was left out: Windows' ANSI code page cannot hold "
         "it; 2 backup copies changed since they were made are listed as mail",
         2},
        {{}, kSearchDoneText},
        {{Why::CodePage},
         "Information: Job finished. 1 name was left out: Windows' ANSI code page cannot hold it"},
        {{Why::Spelling, Why::Spelling},
         "Information: Job finished. 2 names were left out: no Windows path can spell them"},
    };
    for (const auto& c : cases) {
        SearchResult result;
        for (const Why why : c.leftOut)
            result.leftOut.push_back({"C:\\x.pst", why});
        result.changedCopies.resize(c.changed);
        EXPECT_EQ(SearchEndText(result), c.said);
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
    std::string none;
    EXPECT_EQ(NextSpinnerMark(none), "--") << "no spinner, no mark of it";
}

TEST_F(SearchTest, MessagesAreHandledWhenTheIntervalHasPassedAndOnceAtTheEnd) {
    // Six files, each a little over half the interval: it has passed at every second file.
    screen.clockPerMark = kSearchUpkeepIntervalMs / 2 + 1;
    std::vector<std::size_t> marksAtPoll;
    screen.onPoll = [&] { marksAtPoll.push_back(screen.spinnerMarks.size()); };
    SearchDataFiles(state, disk, screen, "C:\\R");
    EXPECT_EQ(marksAtPoll, (std::vector<std::size_t>{2, 4, 6, 6}));
    EXPECT_EQ(screen.spinnerMarks.size(), 6u) << "one mark per file whatever the interval";

    // Exactly the interval between two files: it has passed at every one.
    screen.clockPerMark = kSearchUpkeepIntervalMs;
    marksAtPoll.clear();
    SearchDataFiles(state, disk, screen, "C:\\R");
    EXPECT_EQ(marksAtPoll, (std::vector<std::size_t>{7, 8, 9, 10, 11, 12, 12}));
    screen.spinnerMarks.clear();

    // A clock that stands still: the walk handles nothing, the end still does.
    screen.clockPerMark = 0;
    screen.polls = 0;
    SearchDataFiles(state, disk, screen, "C:\\R");
    EXPECT_EQ(screen.polls, 1);
    EXPECT_EQ(screen.spinnerMarks.size(), 6u);
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
    // The interval never passes: the end alone handles what came. A press made while files
    // were met is dropped all the same; what came after the last file waits for the loop.
    screen.onPoll = nullptr;
    screen.clockPerMark = 0;
    // A message that made no event neither ends the draining nor is kept; the clock may wrap.
    for (const std::uint32_t at : {50u, 0xFFFFFFFFu}) {
        screen.clock = at;
        screen.events = {{EventKind::None, 0x400, at - 1},
                         {EventKind::Gadget, kBackupButton, at},
                         {EventKind::Command, kQuitCommand, at + 1},
                         {EventKind::CloseRequest, kMainWindowNumber, at + 2}};
        SearchDataFiles(state, disk, screen, "C:\\R");
        EXPECT_EQ(screen.events, (std::deque<Event>{{EventKind::Command, kQuitCommand},
                                                    {EventKind::CloseRequest, kMainWindowNumber}}));
    }
    // With no file met at all, nothing was made while files were met.
    disk.AddDirectoryIn("C:\\Empty");
    screen.events = {{EventKind::Gadget, kBackupButton, 0}};
    SearchDataFiles(state, disk, screen, "C:\\Empty");
    EXPECT_EQ(screen.events.size(), 1u);
}

} // namespace
} // namespace vintrel
