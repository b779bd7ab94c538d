#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <numeric>

#include "app/ids.h"
#include "backup/backup.h"
#include "backup/damage_check.h"
#include "fakes.h"
#include "copies/copy_record.h"
#include "app/texts.h"

namespace vintrel {
namespace {

using test::Strings;
using namespace std::string_literals;

// The window's word after a run whose every file was copied, the fixture's "first" among them:
// five bytes are no mailbox, and there was no good copy to keep.
const std::string kFirstCopiedDamaged = "Warning: every file was copied, but 1 copy looks "
                                        "damaged (there was no good one to keep): a.pst (it is "
                                        "cut short (5 bytes))";

TEST(PlanBackup, MirrorsTheSourceDirectoryWithoutItsDriveBelowTheTarget) {
    struct Case {
        const char* target;
        const char* entry;
        const char* directory;
        const char* destination;
    };
    const Case cases[] = {
        {"E:\\Save\\", "D:\\Data\\Mail\\inbox.dbx|Outlook Express mailboxes|v6.0",
         "E:\\Save\\Data\\Mail\\", "E:\\Save\\Data\\Mail\\inbox.dbx"},
        {"E:\\Save\\", "D:\\root.pst|k|v", "E:\\Save\\", "E:\\Save\\root.pst"},
        {"E:\\Save\\", "bare.pst|k|v", "E:\\Save\\", "E:\\Save\\bare.pst"},
        {"E:\\Save\\", "\\\\server\\share\\x.pst", "E:\\Save\\erver\\share\\",
         "E:\\Save\\erver\\share\\x.pst"},
        {"E:\\Save", "D:\\Mail\\a.wab||", "E:\\Save\\Mail\\", "E:\\Save\\Mail\\a.wab"},
        {"E:\\Save/", "D:\\Mail\\a.wab||", "E:\\Save/Mail\\", "E:\\Save/Mail\\a.wab"},
        {"E:\\", "C:/Mail/a.pab|k|v", "E:\\Mail/", "E:\\Mail/a.pab"},
        {"E:\\Save\\", "|k|v", "E:\\Save\\", "E:\\Save\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        const BackupPlan plan = PlanBackup(c.target, c.entry);
        EXPECT_EQ(plan.destinationDirectory, c.directory);
        EXPECT_EQ(plan.destination, c.destination);
    }
    EXPECT_EQ(PlanBackup("E:\\", "bare.pst|k|v").source, "bare.pst");
    EXPECT_EQ(PlanBackup("E:\\", "D:\\a\\b.pst|k|v").fileName, "b.pst");
}

class BackupTest : public ::testing::Test {
protected:
    void SetUp() override {
        state.targetPath = "E:\\Save\\";
        disk.files["C:\\Mail\\a.pst"] = "first";
        disk.files["C:\\Mail\\Deep\\b.wab"] = "second";
    }
    Strings Boxes() const {
        Strings boxes;
        for (const std::string& c : screen.calls) {
            if (c.rfind("box ", 0) == 0) boxes.push_back(c);
        }
        return boxes;
    }
    AppState state;
    test::FakeDisk disk;
    test::FakeScreen screen;
};

TEST_F(BackupTest, EmptyTargetOrEmptyListDoesNothingAndSaysWhy) {
    state.profileList = {"C:\\Mail\\a.pst|k|v"};
    state.targetPath = "";
    RunBackup(state, disk, screen);
    EXPECT_EQ(screen.statusFields[kMessageField],
              "Error: Backup path is empty so no backup can be performed, please set it now!");
    state.targetPath = "E:\\Save\\";
    state.profileList.clear();
    RunBackup(state, disk, screen);
    EXPECT_EQ(screen.statusFields[kMessageField], "Error: There is nothing in the list to backup!");
    EXPECT_TRUE(disk.diskCalls.empty());
}

TEST_F(BackupTest, CopiesEveryFileInOrderThroughATemporaryCopy) {
    // A separator doubled by hand names no folder of its own.
    state.profileList = {"C:\\Mail\\a.pst|k|v", "C:\\Mail\\\\Deep\\b.wab|k|v",
                         "C:\\Mail\\a.pst|k|v"};
    // The source is let go of once read, before its copy takes the name. Written to between
    // its two copies, it is recorded as copied last.
    disk.afterRename = [&](const std::string& to) {
        EXPECT_EQ(disk.openSources, 0);
        if (to == "E:\\Save\\Mail\\a.pst") disk.files["C:\\Mail\\a.pst"] = "fifth";
    };
    RunBackup(state, disk, screen);
    EXPECT_EQ(disk.files["E:\\Save\\Mail\\a.pst"], "fifth");
    EXPECT_EQ(disk.files["E:\\Save\\Mail\\Deep\\b.wab"], "second");
    // The target's record names every destination before the first copy takes its name.
    EXPECT_EQ(disk.files["E:\\Save\\Vintrel Copies.txt"],
              "Mail\\a.pst\t5\t0\taca442891689b9a9\r\nMail\\Deep\\b.wab\t6\t0\t30584211054b083a\r\n")
        << "each copy's size, time and checksum, once made";
    EXPECT_EQ(disk.diskCalls[0], "make E:\\Save\\");
    EXPECT_EQ(disk.diskCalls[1], "remove E:\\Save\\Vintrel Copies.tmp");
    EXPECT_EQ(disk.diskCalls[2], "hold E:\\Save\\Mail");
    EXPECT_EQ(disk.diskCalls[3], "remove E:\\Save\\Mail\\a.pst.~vt");
    EXPECT_EQ(disk.diskCalls[4], "move E:\\Save\\Mail\\a.pst.~vt > E:\\Save\\Mail\\a.pst");
    EXPECT_EQ(disk.diskCalls[5], "hold E:\\Save\\Mail\\\\Deep");
    EXPECT_EQ(disk.diskCalls.size(), 11u)
        << "each folder held once; the same file copied twice; the record written twice";
    // Where no copy is there yet, no source's folder is opened to be told apart from it.
    EXPECT_FALSE(disk.indexAsked.count("C:\\Mail\\"));
    disk.indexAsked.clear(); // a second run, its copies there, asks each folder's index once
    RunBackup(state, disk, screen);
    for (const auto& [path, asked] : disk.indexAsked)
        EXPECT_TRUE(path.back() != '\\' || asked == 1) << path;
    EXPECT_TRUE(disk.openNames.empty()) << "nothing held after the run";
    EXPECT_FALSE(disk.files.count("E:\\Save\\Mail\\a.pst.~vt"));
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(screen.statusFields[kMessageField],
              "Warning: every file was copied, but 2 copies look damaged (there were no good "
              "ones to keep), the first: a.pst (it is cut short (5 bytes))");
    // Without checksums (a measure of what they cost) a copy's line has none.
    struct : BackupReporter {
        void FileDone(const FileResult&) override {}
    } quiet;
    disk.files["C:\\Mail\\a.pst"] = "third";
    BackUpEntries("E:\\Save\\", {"C:\\Mail\\a.pst|k|v"}, disk, nullptr, quiet, false, 0,
                  MakeTarget::Never, false, false);
    EXPECT_EQ(disk.files["E:\\Save\\Vintrel Copies.txt"].rfind("Mail\\a.pst\t5\t0\t-\r\n", 0), 0u);
}

TEST_F(BackupTest, DestinationsOf256CharactersAreRefusedBeforeTheirDirectoryIsMade) {
    const std::string dir = "C:\\" + std::string(200, 'd') + "\\";
    // Destination: "E:\Save\" (8) + 201 directory characters + the name.
    const std::string fits = std::string(255 - 8 - 201 - 4, 'n') + ".pst";
    const std::string tooLong = std::string(256 - 8 - 201 - 4, 'n') + ".pst";
    disk.files[dir + fits] = "ok";
    disk.files[dir + tooLong] = "long";
    state.profileList = {dir + tooLong + "|k|v", dir + fits + "|k|v", "C:\\Mail\\gone.pst|k|v"};
    RunBackup(state, disk, screen);
    ASSERT_EQ(PlanBackup(state.targetPath, state.profileList[1]).destination.size(), 255u);
    EXPECT_EQ(std::count_if(disk.diskCalls.begin(), disk.diskCalls.end(),
                            [](const std::string& c) { return c.rfind("hold", 0) == 0; }),
              1)
        << "nothing is made for a refused entry, nor for a missing source";
    EXPECT_EQ(disk.files["E:\\Save\\" + dir.substr(3) + fits], "ok");
    EXPECT_FALSE(disk.files.count("E:\\Save\\" + dir.substr(3) + tooLong));
    EXPECT_EQ(
        Boxes(),
        (Strings{"box Error: " + tooLong +
                     " Will NOT be backed up. Combined windows path length exceeds 256 characters",
                 "box Error: gone.pst Not backed up. Source, target or disk error"}));
    EXPECT_EQ(screen.statusFields[kMessageField],
              "Error: 2 of 3 files were NOT backed up! 1 copy looks damaged (there was no good one "
              "to keep): " + fits + " (it is cut short (2 bytes))");
}

TEST_F(BackupTest, AnEarlierCopySurvivesAFailedCopyOrAFailedReplace) {
    state.profileList = {"C:\\Mail\\a.pst|k|v"};
    disk.files["E:\\Save\\Mail\\a.pst"] = "earlier good copy";
    disk.failCopyTo.insert("E:\\Save\\Mail\\a.pst.~vt");
    RunBackup(state, disk, screen);
    EXPECT_EQ(disk.files["E:\\Save\\Mail\\a.pst"], "earlier good copy");
    EXPECT_FALSE(disk.files.count("E:\\Save\\Mail\\a.pst.~vt"));

    disk.failCopyTo.clear();
    disk.failMoves = true;
    RunBackup(state, disk, screen);
    EXPECT_EQ(disk.files["E:\\Save\\Mail\\a.pst"], "earlier good copy");
    EXPECT_FALSE(disk.files.count("E:\\Save\\Mail\\a.pst.~vt"));
    EXPECT_EQ(Boxes().size(), 2u);
    EXPECT_EQ(screen.statusFields[kMessageField], "Error: 1 of 1 files were NOT backed up!");
}

TEST_F(BackupTest, DirectoriesOf248CharactersOrMoreAreNeverMade) {
    // 8 + 239 = 247 characters of directory: made; one more is not (the copy then fails).
    const std::string fits = "C:\\" + std::string(238, 'd') + "\\";
    const std::string tooLong = "C:\\" + std::string(239, 'd') + "\\";
    disk.files[fits + "a.pst"] = "ok";
    disk.files[tooLong + "a.pst"] = "long";
    state.profileList = {fits + "a.pst|k|v", tooLong + "a.pst|k|v"};
    const BackupResult result = RunBackup(state, disk, screen);
    EXPECT_EQ(result.files[0].outcome, CopyOutcome::Copied);
    EXPECT_EQ(result.files[1].outcome, CopyOutcome::Failed);
    EXPECT_FALSE(disk.IsDirectory("E:\\Save\\" + tooLong.substr(3, 239)));
}

TEST_F(BackupTest, ACopyOntoItsOwnSourceIsRefusedHoweverTheTargetSpellsTheDrive) {
    disk.AddAlias("D:\\", "C:\\");                           // subst D: C:\ .
    disk.AddAlias("\\\\localhost\\c$", "C:\\");              // the drive's admin share
    disk.AddAlias("Z:\\home\\user\\.wine\\drive_c", "C:\\"); // Wine's own path to drive C:
    disk.AddLink("E:\\Linked", "C:\\");
    disk.currentDirectory = "C:\\Mail";
    disk.readOnly.insert("C:\\Mail\\a.pst");
    state.profileList = {"C:\\Mail\\a.pst|k|v"};
    for (const char* target : {"C:\\", "c:\\", "C:", "C:/", "C:\\Mail\\..\\", "C:\\.\\", "D:\\",
                               "d:", "\\\\localhost\\c$\\", "\\\\?\\C:\\", "\\\\.\\C:\\",
                               "Z:\\home\\user\\.wine\\drive_c\\",
                               "z:/home/user/.wine/drive_c/mail/../", "E:\\Linked\\", "..\\"}) {
        SCOPED_TRACE(target);
        state.targetPath = target;
        disk.diskCalls.clear();
        screen.calls.clear();
        RunBackup(state, disk, screen);
        EXPECT_EQ(disk.files["C:\\Mail\\a.pst"], "first");
        EXPECT_TRUE(disk.readOnly.count("C:\\Mail\\a.pst"));
        EXPECT_TRUE(disk.diskCalls.empty()) << "nothing is written beside the source";
        EXPECT_EQ(Boxes(), (Strings{"box Error: a.pst" + std::string(kOntoItselfSuffix)}));
        EXPECT_EQ(screen.statusFields[kMessageField], "Error: 1 of 1 files were NOT backed up!");
    }
    // A folder that cannot be asked about by one spelling (the destination's, the source's)
    // leaves the files compared one by one.
    state.targetPath = "D:\\";
    for (const char* hidden : {"D:\\Mail\\", "C:\\Mail\\"}) {
        SCOPED_TRACE(hidden);
        disk.unlookable = {hidden};
        screen.calls.clear();
        RunBackup(state, disk, screen);
        EXPECT_EQ(disk.files["C:\\Mail\\a.pst"], "first");
        EXPECT_EQ(screen.statusFields[kMessageField], "Error: 1 of 1 files were NOT backed up!");
    }
}

TEST_F(BackupTest, ALiveFileIsNeverADestinationAndNoDestinationIsWrittenFromTwoSources) {
    using O = CopyOutcome;
    struct Case {
        const char* what;
        const char* target;
        Strings sources;
        std::function<void()> arrange;
        std::vector<CopyOutcome> outcomes;
        std::string notRecorded = {}; // why the record cannot be written, where that is known
    };
    const Case cases[] = {
        {"mail kept in the target",
         "C:\\Backup\\",
         {"C:\\Mail\\a.pst", "C:\\Backup\\Mail\\a.pst"},
         [] {},
         {O::OverwritesListed, O::Copied}},
        {"the target by another drive letter",
         "D:\\Backup\\",
         {"C:\\Mail\\a.pst", "C:\\Backup\\Mail\\a.pst"},
         [&] { disk.AddAlias("D:\\", "C:\\"); },
         {O::OverwritesListed, O::Copied}},
        {"the target by another drive letter, its folder not to be asked",
         "D:\\Backup\\",
         {"C:\\Mail\\a.pst", "C:\\Backup\\Mail\\a.pst"},
         [&] { disk.AddAlias("D:\\", "C:\\"), disk.unlookable.insert("D:\\Backup\\Mail\\"); },
         {O::OverwritesListed, O::Copied}},
        {"a listed file that is missing",
         "C:\\Backup\\",
         {"c:/backup/MAIL/a.pst", "C:\\Mail\\a.pst"},
         [&] { disk.files.erase("C:\\Backup\\Mail\\a.pst"); },
         {O::SourceMissing, O::OverwritesListed}},
        {"two drives mirrored to one place",
         "E:\\Save\\",
         {"C:\\Mail\\a.pst", "D:\\Mail\\a.pst"},
         [] {},
         {O::Copied, O::SameDestination}},
        {"a folder link in the target",
         "E:\\Save\\",
         {"C:\\Mail\\a.pst", "C:\\Other\\a.pst"},
         [&] {
             disk.MakeDirectoryPath("E:\\Save\\Mail\\");
             disk.AddLink("E:\\Save\\Other", "E:\\Save\\Mail");
         },
         {O::Copied, O::SameDestination}},
        {"a folder link in the target, on a Windows that tells no final path (XP)",
         "E:\\Save\\",
         {"C:\\Mail\\a.pst", "C:\\Other\\a.pst"},
         [&] {
             disk.MakeDirectoryPath("E:\\Save\\Mail\\");
             disk.AddLink("E:\\Save\\Other", "E:\\Save\\Mail");
             disk.finalPathsUnknown = true;
         },
         {O::Copied, O::SameDestination}},
        {"a target whose file system numbers no file", "E:\\Save\\",
         {"C:\\OE\\Id1\\Inbox.dbx", "C:\\OE\\Id2\\Inbox.dbx"},
         [&] {
             for (const char* id : {"Id1", "Id2"}) { // backed up before
                 disk.files[std::string("C:\\OE\\") + id + "\\Inbox.dbx"] = "mail";
                 disk.MakeDirectoryPath(std::string("E:\\Save\\OE\\") + id + "\\");
                 disk.files[std::string("E:\\Save\\OE\\") + id + "\\Inbox.dbx"] = "mail";
             }
             disk.numberless.insert("E:");
         },
         {O::Copied, O::Copied}},
        {"one file by two spellings",
         "E:\\Save\\",
         {"C:\\Mail\\a.pst", "c:\\mail\\A.pst"},
         [] {},
         {O::Copied, O::Copied}},
        {"a destination that leaves the target",
         "E:\\Save\\",
         {"C:\\..\\..\\Other\\a.pst"},
         [] {},
         {O::OutsideTarget}},
        {"a record that cannot be written",
         "E:\\Save\\",
         {"C:\\Mail\\a.pst"},
         [&] { disk.MakeDirectoryPath("E:\\Save\\Vintrel Copies.txt\\"); },
         {O::NotRecorded}},
        {"a record that cannot be opened: its lines would be lost",
         "E:\\Save\\",
         {"C:\\Mail\\a.pst"},
         [&] {
             disk.files["E:\\Save\\Vintrel Copies.txt"] = "Old\\x.pst\r\n";
             disk.unopenable.insert("E:\\Save\\Vintrel Copies.txt");
         },
         {O::NotRecorded}},
        {"a folder link below the target leading elsewhere",
         "E:\\Save\\",
         {"C:\\Mail\\a.pst"},
         [&] {
             disk.MakeDirectoryPath("F:\\Elsewhere\\");
             disk.MakeDirectoryPath("E:\\Save\\");
             disk.AddLink("E:\\Save\\Mail", "F:\\Elsewhere");
         },
         {O::ThroughLink}},
        {"a file where a folder of its copy's path goes",
         "E:\\Save\\",
         {"C:\\Mail\\a.pst"},
         [&] { disk.files["E:\\Save\\Mail"] = "a file"; },
         {O::FileInTheWay}},
        {"a target whose drive is not there",
         "E:\\Save\\",
         {"C:\\Mail\\a.pst"},
         [&] { disk.createFails["E:\\Save"] = DiskError::NotFound; },
         {O::PathNotFound}},
        {"a folder on a full disk",
         "E:\\Save\\",
         {"C:\\Mail\\a.pst"},
         [&] { disk.createFails["E:\\Save\\Mail"] = DiskError::DiskFull; },
         {O::DiskFull}},
        {"a record larger than ours would be",
         "E:\\Save\\",
         {"C:\\Mail\\a.pst"},
         [&] {
             disk.files["E:\\Save\\Vintrel Copies.txt"] = "Old\\x.pst\r\n";
             disk.sizes["E:\\Save\\Vintrel Copies.txt"] = kCopyRecordLimit + 1;
         },
         {O::NotRecorded}, "E:\\Save\\Vintrel Copies.txt is larger than a record of ours would be"},
        {"a link at the record's name", "E:\\Save\\", {"C:\\Mail\\a.pst"},
         [&] {
             disk.files["F:\\Mine.txt"] = "Mail\\a.pst\r\n";
             disk.AddLink("E:\\Save\\Vintrel Copies.txt", "F:\\Mine.txt");
         },
         {O::NotRecorded}, "E:\\Save\\Vintrel Copies.txt is a link, no record of ours"},
        {"a record that reads without end, its listing saying 0 bytes", "E:\\Save\\",
         {"C:\\Mail\\a.pst"},
         [&] { disk.files[*disk.endless.insert("E:\\Save\\Vintrel Copies.txt").first] = ""; },
         {O::NotRecorded}},
        {"a read-only record: the copies it names are made, no other", "E:\\Save\\",
         {"C:\\Other\\a.pst", "C:\\Mail\\a.pst"}, [&] {
             disk.files["E:\\Save\\Vintrel Copies.txt"] = "Mail\\a.pst\r\n";
             disk.readOnly.insert("E:\\Save\\Vintrel Copies.txt");
         }, {O::NotRecorded, O::Copied}, "E:\\Save\\Vintrel Copies.txt is read-only"},
        {"a read-only record: a copy it names with a state is not made, its new state untold",
         "E:\\Save\\", {"C:\\Mail\\a.pst"}, [&] {
             disk.files["E:\\Save\\Vintrel Copies.txt"] = "Mail\\a.pst\t-\t-\t-\t1\t2\r\n";
             disk.readOnly.insert("E:\\Save\\Vintrel Copies.txt");
         }, {O::NotRecorded}, "E:\\Save\\Vintrel Copies.txt is read-only"},
        {"another run holds the record's turn all the while", "E:\\Save\\", {"C:\\Mail\\a.pst"},
         [&] { disk.heldByWriter.insert("E:\\Save\\Vintrel Copies.lock"); }, {O::NotRecorded},
         "E:\\Save\\Vintrel Copies.txt: another run is writing it"},
        {"a folder at the record's turn name", "E:\\Save\\", {"C:\\Mail\\a.pst"},
         [&] { disk.MakeDirectoryPath("E:\\Save\\Vintrel Copies.lock\\"); }, {O::NotRecorded},
         "E:\\Save\\Vintrel Copies.txt: E:\\Save\\Vintrel Copies.lock is in the way, and none "
         "of ours"},
        {"the record's turn file cannot be made", "E:\\Save\\", {"C:\\Mail\\a.pst"},
         [&] { disk.createFails["E:\\Save\\Vintrel Copies.lock"] = DiskError::AccessDenied; },
         {O::NotRecorded},
         "E:\\Save\\Vintrel Copies.txt: its turn file E:\\Save\\Vintrel Copies.lock cannot be made"},
        {"a copy the user worked in since it was made", "E:\\Save\\", {"C:\\Mail\\a.pst"}, [&] {
             disk.files["E:\\Save\\Vintrel Copies.txt"] = "Mail\\a.pst\t5\t0\t-\r\n";
             disk.files["E:\\Save\\Mail\\a.pst"] = "two weeks of mail";
         }, {O::ChangedCopy}},
        {"a folder where the record names a copy: no copy worked in, nor replaced", "E:\\Save\\",
         {"C:\\Mail\\a.pst"}, [&] {
             disk.files["E:\\Save\\Vintrel Copies.txt"] = "Mail\\a.pst\t5\t0\t-\r\n";
             disk.MakeDirectoryPath("E:\\Save\\Mail\\a.pst\\");
         }, {O::Failed}},
        {"a source that cannot be looked up by the time its turn comes: not said to be gone",
         "E:\\Save\\", {"C:\\Mail\\a.pst", "C:\\Other\\a.pst"},
         [&] { disk.whileCopying = [&](auto&) { disk.unlookable.insert("C:\\Other\\a.pst"); }; },
         {O::Copied, O::Copied}},
        {"a source whose folder becomes a link to an empty one by the time its turn comes",
         "E:\\Save\\", {"C:\\Mail\\a.pst", "C:\\Other\\a.pst"}, [&] {
             disk.MakeDirectoryPath("C:\\Empty\\");
             disk.whileCopying = [&](auto&) { disk.AddLink("C:\\Other", "C:\\Empty"); };
         },
         {O::Copied, O::SourceMissing}},
        {"a folder name ending in a space", "E:\\Save\\", {"C:\\Q7 \\a.pst"}, [] {},
         {O::TrimmedName}},
        {"a source that is gone, where renames go by name", "E:\\Save\\", {"C:\\Gone\\a.pst"},
         [&] { disk.renamesByName = true, disk.MakeDirectoryPath("E:\\Save\\"); },
         {O::SourceMissing}},
        {"a backup disk not connected: one box, nothing done", "Q:\\Backup\\",
         {"C:\\Mail\\a.pst"}, [&] { disk.missingDrives.insert("Q:"); }, {}},
        {"a record that cannot be read in full",
         "E:\\Save\\",
         {"C:\\Mail\\a.pst", "C:\\Other\\a.pst"},
         [&] {
             disk.files["E:\\Save\\Vintrel Copies.txt"] = "Old\\x.pst\r\n";
             disk.cutShort.insert("E:\\Save\\Vintrel Copies.txt");
         },
         {O::NotRecorded, O::NotRecorded}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::FakeDisk fresh;
        disk = fresh;
        screen.calls.clear();
        disk.files["C:\\Mail\\a.pst"] = "first";
        disk.files["D:\\Mail\\a.pst"] = "other drive";
        disk.files["C:\\Other\\a.pst"] = "other";
        disk.files["C:\\Backup\\Mail\\a.pst"] = "live mail";
        state.targetPath = c.target;
        state.profileList.clear();
        for (const std::string& source : c.sources)
            state.profileList.push_back(source + "|k|v");
        c.arrange();
        const auto before = disk.files;
        const BackupResult result = RunBackup(state, disk, screen);
        std::vector<CopyOutcome> outcomes;
        for (const FileResult& file : result.files) {
            outcomes.push_back(file.outcome);
            // The record named, and why where that is known.
            EXPECT_TRUE(file.outcome != O::NotRecorded ||
                        (file.detail.rfind(c.target + "Vintrel Copies.txt"s, 0) == 0 &&
                         (c.notRecorded.empty() || file.detail == c.notRecorded))) << file.detail;
            // A source that is gone gets no folder made for its copy.
            EXPECT_TRUE(file.outcome != O::SourceMissing ||
                        !disk.IsDirectory(disk.Resolve(c.target + file.source.substr(
                            3, file.source.find_last_of("\\/") - 3))));
            // The log names the other listed file in the way.
            if (file.outcome == O::OverwritesListed || file.outcome == O::SameDestination) {
                EXPECT_TRUE(file.other != file.source &&
                            std::count(c.sources.begin(), c.sources.end(), file.other))
                    << file.other;
            }
        }
        EXPECT_EQ(outcomes, c.outcomes);
        // A turn held elsewhere is waited for a minute at each of the record's two steps.
        EXPECT_EQ(std::accumulate(disk.pauses.begin(), disk.pauses.end(), 0u),
                  c.notRecorded.find("another run") != std::string::npos ? 2 * kCopyRecordTurnWait
                                                                         : 0u);
        // A refusal of a place outside the target says its own reason in its box.
        if (!outcomes.empty() &&
            (outcomes[0] == O::OutsideTarget || outcomes[0] == O::ThroughLink)) {
            EXPECT_EQ(Boxes(), Strings{"box Error: a.pst"s + (outcomes[0] == O::ThroughLink
                                                                 ? kThroughLinkSuffix
                                                                 : kOutsideTargetSuffix)});
        }
        if (!outcomes.empty() && outcomes[0] == O::ChangedCopy) { // the file named
            EXPECT_EQ(Boxes(), Strings{"box Error: a.pst"s + kChangedCopySuffix +
                                       ", E:\\Save\\Mail\\a.pst" + kChangedCopyText});
        }
        for (const auto& [path, bytes] : before) {
            EXPECT_EQ(disk.files[path], bytes) << path;
        }
        EXPECT_FALSE(disk.files.count("C:\\Other\\a.pst.~vt"));
        EXPECT_FALSE(disk.files.count("F:\\Elsewhere\\a.pst"));
        EXPECT_TRUE(!c.outcomes.empty() ||
                    Boxes() == Strings{"box Error: The target folder "s + c.target +
                                       " is not there (is the disk connected?)"});
    }
    EXPECT_EQ(Boxes(), (Strings{"box Error: a.pst" + std::string(kNotRecordedSuffix) +
                                ": E:\\Save\\Vintrel Copies.txt cannot be read in full"}))
        << "one box for every file, naming the record";
    screen.calls.clear();
    state.targetPath = "C:\\Backup\\";
    disk.files["D:\\Other\\a.pst"] = "other drive";
    state.profileList = {"C:\\Mail\\a.pst|k|v", "C:\\Other\\a.pst|k|v", "D:\\Other\\a.pst|k|v",
                         "C:\\Backup\\Mail\\a.pst|k|v"};
    RunBackup(state, disk, screen);
    EXPECT_EQ(Boxes(), (Strings{"box Error: a.pst Not backed up. It would overwrite another listed "
                                "file, C:\\Backup\\Mail\\a.pst. If that is an old copy, delete it "
                                "and search again; if it is mail, choose another backup folder",
                                "box Error: a.pst Not backed up. Another listed file was copied to the "
                                "same place, C:\\Other\\a.pst"}));
    EXPECT_EQ(disk.files["C:\\Backup\\Mail\\a.pst"], "live mail");
    EXPECT_EQ(disk.files["C:\\Backup\\Other\\a.pst"], "other");
}

TEST_F(BackupTest, TheRecordKeepsItsLinesAndNamesNoRefusedDestination) {
    disk.files["C:\\Backup\\Mail\\a.pst"] = "live mail";
    disk.files["C:\\Backup\\Vintrel Copies.txt"] = "Old\\x.pst\r\nbackup\\MAIL\\a.pst\r\n";
    state.targetPath = "C:\\Backup";
    // A second source for the same copy is refused; the line keeps the state of the one made.
    disk.files["D:\\Mail\\Deep\\b.wab"] = "mirror";
    state.profileList = {"C:\\Mail\\a.pst|k|v", "C:\\Backup\\Mail\\a.pst|k|v", "C:/Mail/Deep/b.wab|k|v",
                         "D:\\Mail\\Deep\\b.wab|k|v"};
    RunBackup(state, disk, screen);
    EXPECT_EQ(disk.files["C:\\Backup\\Vintrel Copies.txt"],
              "Old\\x.pst\r\nbackup\\MAIL\\a.pst\t9\t0\tf2bd5148306d7531\r\n"
              "Mail\\Deep\\b.wab\t6\t0\t30584211054b083a\r\n");
    EXPECT_EQ(disk.files["C:\\Backup\\Mail\\Deep\\b.wab"], "second") << "a hand-written slash";
    state.profileList.pop_back(); // the rest runs with the three files it had
    // Nothing new to name: the record is not written again.
    disk.diskCalls.clear();
    RunBackup(state, disk, screen);
    EXPECT_EQ(std::count(disk.diskCalls.begin(), disk.diskCalls.end(),
                         "remove C:\\Backup\\Vintrel Copies.tmp"),
              0);
    // A run that dies after a swap, before the copy's state is written, leaves the copy named
    // as the one being made: the next run replaces it, and says so of the first.
    disk.files["C:\\Mail\\Deep\\b.wab"] = "changed!";
    disk.lastWrite["C:\\Mail\\Deep\\b.wab"] = 7;
    disk.afterRename = [&](const std::string&) { disk.failAt = test::FakeDisk::Step::Replace; };
    screen.calls.clear();
    EXPECT_EQ(RunBackup(state, disk, screen).recordNotSettled,
              "C:\\Backup\\Vintrel Copies.txt cannot be written (access denied, or the disk full)");
    EXPECT_EQ(Boxes().back(), "box Error: "s + kRecordNotSettledText +
                                  ": C:\\Backup\\Vintrel Copies.txt cannot be written (access "
                                  "denied, or the disk full)");
    EXPECT_NE(disk.files["C:\\Backup\\Vintrel Copies.txt"].find(
                  "Mail\\Deep\\b.wab\t6\t0\t30584211054b083a\t8\t7\r\n"),
              std::string::npos);
    disk.afterRename = nullptr;
    disk.failAt = test::FakeDisk::Step::None;
    disk.heldByWriter.insert("C:\\Mail\\Deep\\b.wab"); // not copied: settled on the copy there
    RunBackup(state, disk, screen);
    EXPECT_NE(disk.files["C:\\Backup\\Vintrel Copies.txt"].find("Mail\\Deep\\b.wab\t8\t7\t-\r\n"),
              std::string::npos);
    disk.heldByWriter.clear();
    disk.files["C:\\Mail\\Deep\\b.wab"] = "third";
    EXPECT_EQ(RunBackup(state, disk, screen).files[2].outcome, CopyOutcome::Copied);
    EXPECT_EQ(disk.files["C:\\Backup\\Mail\\Deep\\b.wab"], "third");
    // A copy an older record names by its path alone may have been worked in: replaced for
    // the first time, it is kept as a version.
    disk.files["C:\\Backup\\Vintrel Copies.txt"] = "Mail\\Deep\\b.wab\r\n";
    disk.files["C:\\Backup\\Mail\\Deep\\b.wab"] = "worked in";
    disk.lastWrite["C:\\Backup\\Mail\\Deep\\b.wab"] = 5;
    RunBackup(state, disk, screen);
    EXPECT_EQ(disk.files[VersionPath("C:\\Backup\\Mail\\Deep\\b.wab", 5)], "worked in");
    // One that is its source as the run began was not: no version.
    constexpr std::uint64_t kDay = 864000000000;
    disk.files["C:\\Backup\\Vintrel Copies.txt"] = "Mail\\Deep\\b.wab\r\n";
    disk.lastWrite["C:\\Backup\\Mail\\Deep\\b.wab"] = disk.lastWrite["C:\\Mail\\Deep\\b.wab"] =
        kDay;
    RunBackup(state, disk, screen);
    EXPECT_FALSE(disk.files.count(VersionPath("C:\\Backup\\Mail\\Deep\\b.wab", kDay)));
    // Nor is one not copied that is its source still: its line is settled on it.
    disk.files["C:\\Backup\\Vintrel Copies.txt"] = "Mail\\Deep\\b.wab\r\n";
    disk.heldByWriter.insert("C:\\Mail\\Deep\\b.wab");
    RunBackup(state, disk, screen);
    EXPECT_EQ(disk.files["C:\\Backup\\Vintrel Copies.txt"].rfind(
                  "Mail\\Deep\\b.wab\t5\t864000000000\t-\r\n", 0),
              0u);
}

TEST_F(BackupTest, AReadOnlyEarlierCopyOrLeftoverIsReplacedAndTheNewCopyKeepsTheMark) {
    state.profileList = {"C:\\Mail\\a.pst|k|v"};
    disk.readOnly.insert("C:\\Mail\\a.pst");
    RunBackup(state, disk, screen);
    ASSERT_TRUE(disk.readOnly.count("E:\\Save\\Mail\\a.pst")) << "carried from the source";
    disk.files["C:\\Mail\\a.pst"] = "changed";
    disk.files["E:\\Save\\Mail\\a.pst.~vt"] = "left by a crashed run";
    disk.readOnly.insert("E:\\Save\\Mail\\a.pst.~vt");
    RunBackup(state, disk, screen);
    EXPECT_EQ(disk.files["E:\\Save\\Mail\\a.pst"], "changed");
    EXPECT_TRUE(disk.readOnly.count("E:\\Save\\Mail\\a.pst"));
    EXPECT_FALSE(disk.files.count("E:\\Save\\Mail\\a.pst.~vt"));
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(BackupTest, ACopyIsWholeOrNotMadeAndEachFailureKeepsItsReason) {
    struct Case {
        const char* what;
        std::function<void()> arrange;
        CopyOutcome outcome;
        std::string box = kNotBackedUpSuffix; // what the window says after the file's name
    };
    const std::string source = "C:\\Mail\\a.pst";
    auto writes = [&](std::function<void(std::string&)> change) {
        disk.readPiece = 2;
        disk.whileCopying = [&, change, done = false](const std::string&) mutable {
            if (!done) change(disk.files[source]);
            done = true;
        };
    };
    const Case cases[] = {
        {"copied in pieces", [&] { disk.readPiece = 2; }, CopyOutcome::Copied},
        {"marked offline, temporary and hidden: the copy is hidden only",
         [&] { disk.marks[source] = 0x1000 | 0x100 | 0x2; }, CopyOutcome::Copied},
        {"rewritten in place",
         [&] {
             writes([&](std::string& f) {
                 f[4] = 'X';
                 disk.lastWrite[source] = 9;
             });
         },
         CopyOutcome::SourceChanged},
        {"grown", [&] { writes([&](std::string& f) { f += "more"; }); },
         CopyOutcome::SourceChanged},
        {"cut short", [&] { writes([&](std::string& f) { f.resize(1); }); },
         CopyOutcome::SourceChanged},
        {"cut short, then put back as it was",
         [&] {
             disk.readPiece = 2;
             disk.whileCopying = [&, calls = 0](const std::string&) mutable {
                 if (++calls == 1) disk.files[source].resize(1);
                 if (calls == 2) disk.files[source] = "first";
             };
         },
         CopyOutcome::SourceChanged},
        {"changed after the record named its copy, before the copy began", [&] {
             disk.onOpenToCopy = [&](const std::string&) { disk.lastWrite[source] = 9; };
         }, CopyOutcome::SourceChanged},
        {"held by a writer", [&] { disk.heldByWriter.insert(source); }, CopyOutcome::InUse},
        {"not allowed", [&] { disk.unopenable.insert(source); }, CopyOutcome::AccessDenied},
        {"gone", [&] { disk.files.erase(source); }, CopyOutcome::SourceMissing},
        {"its name cannot be looked up: refused, not said to be gone",
         [&] { disk.unlookable.insert(source); },
         CopyOutcome::AccessDenied},
        {"disk full", [&] { disk.failCopyTo.insert("E:\\Save\\Mail\\a.pst.~vt"); },
         CopyOutcome::DiskFull},
        {"a folder at the temporary name: the next free name is taken",
         [&] { disk.MakeDirectoryPath("E:\\Save\\Mail\\a.pst.~vt\\"); }, CopyOutcome::Copied},
        {"where renames go by name, made in a folder of its own, which a leftover leaves",
         [&] {
             disk.renamesByName = true;
             disk.MakeDirectoryPath("E:\\Save\\Mail\\~vt\\");
             disk.files["E:\\Save\\Mail\\~vt\\a.pst.~vt"] = "left by a crashed run";
             disk.createFails["E:\\Save\\Mail\\a.pst.~vt"] = DiskError::NotFound;
         },
         CopyOutcome::Copied},
        {"where renames go by name, disk full", [&] {
             disk.renamesByName = true;
             disk.failCopyTo.insert("E:\\Save\\Mail\\~vt\\a.pst.~vt");
         }, CopyOutcome::DiskFull},
        {"where renames go by name, a leftover goes though no copy is made",
         [&] {
             disk.renamesByName = true;
             disk.MakeDirectoryPath("E:\\Save\\Mail\\~vt\\");
             disk.files["E:\\Save\\Mail\\~vt\\a.pst.~vt"] = "left by a crashed run";
             disk.files.erase(source);
         },
         CopyOutcome::SourceMissing},
        {"where renames go by name, a leftover in the last folder name goes, no copy made",
         [&] {
             disk.files.erase(source);
             disk.renamesByName = true;
             for (const char* n : {"", "1", "2", "3", "4", "5", "6", "7", "8"})
                 disk.files["E:\\Save\\Mail\\~vt"s + n] = "another's";
             disk.MakeDirectoryPath("E:\\Save\\Mail\\~vt9\\");
             disk.files["E:\\Save\\Mail\\~vt9\\a.pst.~vt"] = "left by a crashed run";
         },
         CopyOutcome::SourceMissing},
        {"where renames go by name, and files of others take every folder name but the last",
         [&] {
             disk.renamesByName = true;
             for (const char* n : {"", "1", "2", "3", "4", "5", "6", "7", "8"})
                 disk.files["E:\\Save\\Mail\\~vt"s + n] = "another's";
         },
         CopyOutcome::Copied},
        {"where renames go by name, and files of others take every folder name", [&] {
             disk.renamesByName = true;
             for (const char* n : {"", "1", "2", "3", "4", "5", "6", "7", "8", "9"})
                 disk.files["E:\\Save\\Mail\\~vt"s + n] = "another's";
         }, CopyOutcome::AccessDenied},
        {"where renames go by name and holds bind nothing, its own folder swapped for a link as "
         "the copy is made there: nothing is copied through the link",
         [&] {
             disk.renamesByName = true;
             disk.holdsBind = false;
             disk.MakeDirectoryPath("F:\\Elsewhere\\");
             disk.onCreate = [&](const std::string& path) {
                 if (path.find("Mail\\~vt\\") != std::string::npos)
                     disk.SwapForLink("E:\\Save\\Mail\\~vt", "F:\\Elsewhere");
             };
             disk.whileCopying = [](const std::string&) { ADD_FAILURE() << "through the link"; };
         },
         CopyOutcome::ThroughLink, kThroughLinkSuffix},
        {"a crashed run's leftovers at the temporary name and its last other one", [&] {
             for (const char* n : {"", "9"}) disk.files["E:\\Save\\Mail\\a.pst.~vt"s + n] = "left";
         }, CopyOutcome::Copied},
        {"every temporary name refused",
         [&] {
             for (const char* n : {"", "1", "2", "3", "4", "5", "6", "7", "8", "9"})
                 disk.createFails["E:\\Save\\Mail\\a.pst.~vt"s + n] = DiskError::AccessDenied;
         },
         CopyOutcome::AccessDenied},
        {"the new copy cannot be flushed",
         [&] {
             disk.files["E:\\Save\\Vintrel Copies.txt"] = "Mail\\a.pst\r\n"; // recorded before
             disk.failAt = test::FakeDisk::Step::Flush;
         },
         CopyOutcome::Failed},
        {"the copy's time cannot be set", [&] { disk.failAt = test::FakeDisk::Step::SetTime; },
         CopyOutcome::Failed},
        {"the earlier copy cannot be replaced", [&] { disk.failMoves = true; },
         CopyOutcome::Failed},
        {"its size and time cannot be asked", [&] { disk.factsUnknown.insert(source); },
         CopyOutcome::Failed},
        {"a read fails part-way",
         [&] {
             disk.readPiece = 2;
             disk.readFailsAfter = 2;
         },
         CopyOutcome::Failed},
        {"the temporary name held by another program",
         [&] { disk.createFails["E:\\Save\\Mail\\a.pst.~vt"] = DiskError::InUse; },
         CopyOutcome::Copied},
        {"more than the target's file system holds in one file",
         [&] {
             disk.sizes[source] = 5ULL << 30;
             disk.sizeLimits["E:"] = 0xFFFFFFFFu;
         },
         CopyOutcome::TooLarge},
        {"just as large as the target's file system holds (fewer bytes come than it says)",
         [&] { disk.sizes[source] = disk.sizeLimits["E:"] = 5ULL << 30; },
         CopyOutcome::SourceChanged},
        {"as large, where only another drive has a limit (fewer bytes come than it says)",
         [&] {
             disk.sizes[source] = 5ULL << 30;
             disk.sizeLimits["C:"] = 0xFFFFFFFFu;
         },
         CopyOutcome::SourceChanged},
        {"as large as any file system holds: no drive's limit is asked for it",
         [&] {
             disk.sizes[source] = 0xFFFFFFFFu;
             disk.sizeLimits["E:"] = 0xFFFFFFFEu;
         },
         CopyOutcome::SourceChanged},
        {"the target drive refuses a file that large",
         [&] { disk.createFails["E:\\Save\\Mail\\a.pst.~vt"] = DiskError::TooLarge; },
         CopyOutcome::TooLarge},
        {"less free space on the target than it needs: nothing written",
         [&] { disk.sizes[source] = 20ULL << 30, disk.freeBytes["E:"] = (5ULL << 30) + 40000; },
         CopyOutcome::NoSpace,
         " Not backed up. Not enough space on the target (needs 20.0 GB, has 5.0 GB)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::FakeDisk fresh;
        disk = fresh;
        screen.calls.clear();
        disk.files[source] = "first";
        disk.lastWrite[source] = 5;
        disk.files["E:\\Save\\Mail\\a.pst"] = "earlier good copy";
        state.profileList = {source + "|k|v"};
        c.arrange();
        const std::string record = disk.files["E:\\Save\\Vintrel Copies.txt"];
        const BackupResult result = RunBackup(state, disk, screen);
        ASSERT_EQ(result.files.size(), 1u);
        EXPECT_EQ(result.files[0].outcome, c.outcome);
        EXPECT_EQ(result.files[0].source, source);
        if (c.outcome == CopyOutcome::Copied) {
            EXPECT_EQ(disk.files["E:\\Save\\Mail\\a.pst"], "first");
            EXPECT_EQ(disk.lastWrite["E:\\Save\\Mail\\a.pst"], 5u) << "the copy keeps the time";
            EXPECT_EQ(disk.marks["E:\\Save\\Mail\\a.pst"], disk.marks[source] & ~0x1100u);
            EXPECT_TRUE(Boxes().empty());
        } else {
            EXPECT_EQ(disk.files["E:\\Save\\Mail\\a.pst"], "earlier good copy");
            EXPECT_EQ(Boxes(), (Strings{"box Error: a.pst" + c.box}));
            // Its line as it was (unless the record's own read fails, as a read part-way does).
            EXPECT_TRUE(disk.readFailsAfter != std::string::npos ||
                        disk.files["E:\\Save\\Vintrel Copies.txt"] == record);
        }
        EXPECT_FALSE(disk.files.count("E:\\Save\\Mail\\a.pst.~vt"));
        EXPECT_FALSE(disk.files.count("E:\\Save\\Mail\\a.pst.~vt1"));
        EXPECT_FALSE(disk.files.count("E:\\Save\\Mail\\a.pst.~vt9"));
        EXPECT_FALSE(disk.files.count("E:\\Save\\Mail\\~vt\\a.pst.~vt"));
        EXPECT_FALSE(disk.IsDirectory("E:\\Save\\Mail\\~vt"));
        EXPECT_FALSE(disk.IsDirectory("E:\\Save\\Mail\\~vt9"));
    }
    // A copy of just the room its disk has fits.
    disk.sizes.clear();
    disk.files[source] = std::string(kCopyChunk, 'x');
    disk.freeBytes["E:"] = kCopyChunk;
    EXPECT_EQ(RunBackup(state, disk, screen).files[0].outcome, CopyOutcome::Copied);
    disk.freeBytes["E:"] = kCopyChunk - 1; // a byte short: known before a byte is written
    EXPECT_EQ(RunBackup(state, disk, screen).files[0].outcome, CopyOutcome::NoSpace);
}

TEST_F(BackupTest, AnEarlierCopyHeldOpenIsTriedForASecondThenLeftAsItWasAndItsHolderNamed) {
    const std::string copy = "E:\\Save\\Mail\\a.pst";
    const struct {
        const char* what;
        std::uint64_t size;
        int keep;
        std::size_t heldFor; // pauses until the holder lets go
    } cases[] = {
        {"held all the while", 0, 0, 9},
        {"let go after two tries", 0, 0, 2},
        {"a large one, moved aside", 3 * kReleaseStep, 0, 9},
        {"a large one kept as a version", 3 * kReleaseStep, 2, 9},
        {"kept as a version, let go at the last try", 0, 2, 4},
    };
    struct : BackupReporter {
        void FileDone(const FileResult&) override {}
    } quiet;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::FakeDisk fresh;
        disk = fresh;
        disk.files["C:\\Mail\\a.pst"] = "first";
        disk.files[copy] = "earlier";
        if (c.size) disk.sizes[copy] = c.size;
        disk.readOnly.insert(copy);
        disk.heldOpen.insert(copy);
        disk.holderName = "OUTLOOK.EXE";
        disk.whilePaused = [&] { disk.heldOpen.erase(disk.pauses.size() == c.heldFor ? copy : ""); };
        const FileResult file = BackUpEntries("E:\\Save\\", {"C:\\Mail\\a.pst|k|v"}, disk, nullptr,
                                              quiet, false, c.keep)
                                    .files.at(0);
        const bool held = c.heldFor > 4;
        EXPECT_EQ(file.outcome, held ? CopyOutcome::EarlierCopyHeld : CopyOutcome::Copied);
        EXPECT_EQ(file.holder, held ? "OUTLOOK.EXE" : "");
        EXPECT_EQ(disk.files[copy], held ? "earlier" : "first");
        EXPECT_EQ(disk.readOnly.count(copy), held ? 1u : 0u) << "the earlier copy keeps its mark";
        EXPECT_EQ(disk.files.size(), c.keep && !held ? 4u : 3u) << "a version only once copied";
        EXPECT_EQ(disk.pauses.size(), held ? 4u : c.heldFor) << "five tries at most";
        EXPECT_LE(std::accumulate(disk.pauses.begin(), disk.pauses.end(), 0u), 1000u);
    }
    disk.heldOpen.insert(copy);
    state.profileList = {"C:\\Mail\\a.pst|k|v"};
    RunBackup(state, disk, screen);
    EXPECT_EQ(Boxes(),
              (Strings{"box Error: a.pst Not backed up. The earlier copy is open in another "
                       "program (OUTLOOK.EXE); close it and try again"}));
}

TEST_F(BackupTest, ALinkPlantedAtTheTemporaryNameIsRemovedNeverFollowed) {
    disk.files["C:\\Other\\victim.pst"] = "not to be touched";
    disk.readOnly.insert("C:\\Other\\victim.pst");
    disk.MakeDirectoryPath("E:\\Save\\Mail\\");
    disk.AddLink("E:\\Save\\Mail\\a.pst.~vt", "C:\\Other\\victim.pst");
    state.profileList = {"C:\\Mail\\a.pst|k|v"};
    RunBackup(state, disk, screen);
    EXPECT_EQ(disk.files["C:\\Other\\victim.pst"], "not to be touched");
    EXPECT_TRUE(disk.readOnly.count("C:\\Other\\victim.pst"));
    EXPECT_EQ(disk.files["E:\\Save\\Mail\\a.pst"], "first");
    EXPECT_EQ(screen.statusFields[kMessageField], kFirstCopiedDamaged);
    // One swapped in at the moment the new copy takes the name is not left there.
    disk.files.erase("E:\\Save\\Mail\\a.pst");
    disk.afterRename = [&](const std::string& to) { disk.AddLink(to, "C:\\Other\\victim.pst"); };
    RunBackup(state, disk, screen);
    EXPECT_FALSE(disk.IsLink("E:\\Save\\Mail\\a.pst"));
    EXPECT_EQ(disk.files["C:\\Other\\victim.pst"], "not to be touched");
    // The copy's folder swapped for a link as the source is opened: refused while it is held;
    // where holds bind nothing (a Linux program under Wine), nothing is done through the link.
    disk.afterRename = nullptr;
    disk.files["F:\\Elsewhere\\a.pst"] = "outside";
    bool swapped = false;
    disk.onOpenToCopy = [&](const std::string&) {
        swapped = disk.SwapForLink("E:\\Save\\Mail", "F:\\Elsewhere") || swapped;
    };
    for (const bool bind : {true, false}) {
        SCOPED_TRACE(bind);
        disk.holdsBind = bind;
        screen.calls.clear();
        const BackupResult result = RunBackup(state, disk, screen);
        EXPECT_EQ(swapped, !bind);
        EXPECT_EQ(result.files[0].outcome, bind ? CopyOutcome::Copied : CopyOutcome::LinkSwappedIn);
        EXPECT_EQ(Boxes(), bind ? Strings{} : Strings{"box Error: a.pst"s + kLinkSwappedInSuffix});
        EXPECT_EQ(disk.files["F:\\Elsewhere\\a.pst"], "outside");
        EXPECT_FALSE(disk.files.count("F:\\Elsewhere\\a.pst.~vt"));
    }
    // Held, the empty folder made a link in place, where no final path is told (XP): the folder
    // held says it became one.
    disk.RemoveFile("E:\\Save\\Mail");
    disk.holdsBind = disk.finalPathsUnknown = true;
    disk.onOpenToCopy = [&](const std::string&) {
        disk.AddLink("E:\\Save\\Mail", "F:\\Elsewhere");
    };
    EXPECT_EQ(RunBackup(state, disk, screen).files[0].outcome, CopyOutcome::LinkSwappedIn);
    EXPECT_EQ(disk.files["F:\\Elsewhere\\a.pst"], "outside");
    disk.holdsBind = disk.finalPathsUnknown = false;
    // Swapped in after that check, as a large earlier copy is moved aside: the new copy, moved
    // through the link, goes again by its handle, and the earlier copy stays in the target.
    disk.onOpenToCopy = nullptr;
    disk.RemoveFile("E:\\Save\\Mail");
    disk.files.erase("F:\\Elsewhere\\a.pst");
    disk.files["F:\\Elsewhere\\x.pst"] = "outside";
    disk.files["E:\\Save\\Mail\\a.pst"] = "earlier";
    disk.sizes["E:\\Save\\Mail\\a.pst"] = 3 * kReleaseStep;
    disk.files["E:\\Save\\Vintrel Copies.txt"] =
        CopyRecordText({{"Mail\\a.pst", CopyState{3 * kReleaseStep, 0, {}}, {}}});
    disk.afterRename = [&](const std::string&) {
        disk.SwapForLink("E:\\Save\\Mail", "F:\\Elsewhere");
    };
    EXPECT_EQ(RunBackup(state, disk, screen).files[0].outcome, CopyOutcome::LinkSwappedIn);
    EXPECT_FALSE(disk.files.count("F:\\Elsewhere\\a.pst"));
    EXPECT_EQ(disk.files["E:\\Save\\Mail~\\a.pst.~old"], "earlier");
    // So too where the new copy was made in a folder of the run's own (renames by name), the
    // record's own rename before it aside.
    disk.renamesByName = true;
    disk.afterRename = [&](const std::string& to) {
        if (to.find(".~old") != std::string::npos) disk.SwapForLink("E:\\Save\\Mail", "F:\\Elsewhere");
    };
    disk.RemoveFile("E:\\Save\\Mail");
    disk.files["E:\\Save\\Mail\\a.pst"] = "earlier";
    disk.sizes["E:\\Save\\Mail\\a.pst"] = 3 * kReleaseStep;
    disk.files.erase("E:\\Save\\Vintrel Copies.txt");
    EXPECT_EQ(RunBackup(state, disk, screen).files[0].outcome, CopyOutcome::LinkSwappedIn);
    EXPECT_FALSE(disk.files.count("F:\\Elsewhere\\a.pst"));
}

TEST_F(BackupTest, TheWindowPaintsBetweenPiecesAndTheStatusWaitsForTheEnd) {
    disk.files["C:\\Mail\\a.pst"] = std::string("!BDN\xff\0\0\0SM", 10) + std::string(10, 'x');
    disk.readPiece = 2;
    disk.whileCopying = [&](const std::string&) { screen.clock += kCopyPaintIntervalMs / 2; };
    state.profileList = {"C:\\Mail\\a.pst|k|v"};
    RunBackup(state, disk, screen);
    EXPECT_EQ(screen.paints, 5) << "every second piece, when the interval has passed";
    EXPECT_EQ(screen.calls,
              (Strings{"status 0: Information: All files seem to have been backed up okay!!"}));
    EXPECT_EQ(disk.files["E:\\Save\\Mail\\a.pst"].substr(10), std::string(10, 'x'));
}

TEST_F(BackupTest, ALargeEarlierCopyIsMovedAsideAndGivenBackInPiecesWhileTheWindowPaints) {
    const std::string copy = "E:\\Save\\Mail\\a.pst";
    state.profileList = {"C:\\Mail\\a.pst|k|v"};
    // Every piece read or given back takes the interval.
    disk.whileCopying = [&](const std::string&) { screen.clock += kCopyPaintIntervalMs; };
    for (const std::uint64_t size : {3 * kReleaseStep + 1, kReleaseStep, kReleaseStep - 1}) {
        SCOPED_TRACE(size);
        const bool large = size >= kReleaseStep;
        const auto pieces = static_cast<long>(large ? (size + kReleaseStep - 1) / kReleaseStep : 0);
        disk.files[copy] = "earlier copy";
        disk.files["E:\\Save\\Vintrel Copies.txt"] =
            CopyRecordText({{"Mail\\a.pst", CopyState{size, 0, {}}, {}}});
        disk.sizes[copy] = size;
        disk.files[ReleasedCopyPath(copy)] = "left by a run that died";
        disk.diskCalls.clear();
        screen.paints = 0;
        RunBackup(state, disk, screen);
        EXPECT_EQ(disk.files[copy], "first");
        EXPECT_EQ(disk.files.count(ReleasedCopyPath(copy)), 0u) << "a leftover goes too";
        const auto shrinks =
            std::count_if(disk.diskCalls.begin(), disk.diskCalls.end(),
                          [](const std::string& c) { return c.rfind("shrink", 0) == 0; });
        EXPECT_EQ(shrinks, pieces);
        EXPECT_EQ(screen.paints, pieces + 1);
        EXPECT_EQ(screen.statusFields[kMessageField], kFirstCopiedDamaged);
    }
    // A swap that fails, or a copy whose close fails (not whole), puts the earlier copy back
    // under its own name; the copy's alone, the run says it failed.
    for (const int closeFails : {0, 1, 2}) {
        SCOPED_TRACE(closeFails);
        if (closeFails == 2) disk.closeFails = {copy};
        disk.files[copy] = "earlier copy";
        disk.files["E:\\Save\\Vintrel Copies.txt"] =
            CopyRecordText({{"Mail\\a.pst", CopyState{3 * kReleaseStep, 0, {}}, {}}});
        disk.sizes[copy] = 3 * kReleaseStep;
        disk.moves = 0;
        disk.failingMove = closeFails ? 0 : 2; // the first moves the earlier copy aside
        disk.failAt = closeFails == 1 ? test::FakeDisk::Step::Close : test::FakeDisk::Step::None;
        disk.readOnly.insert(copy);
        EXPECT_EQ(RunBackup(state, disk, screen).files[0].outcome,
                  closeFails == 1 ? CopyOutcome::NotRecorded : CopyOutcome::Failed);
        EXPECT_EQ(disk.files[copy], "earlier copy");
        EXPECT_TRUE(disk.readOnly.erase(copy)) << "with its mark";
        EXPECT_FALSE(disk.files.count(ReleasedCopyPath(copy)));
        EXPECT_EQ(screen.statusFields[kMessageField], "Error: 1 of 1 files were NOT backed up!");
    }
    disk.failAt = test::FakeDisk::Step::None;
    disk.closeFails.clear();
    // An earlier copy that is a link goes, never what it leads to. One with another name too
    // is another file's as well: only the name is replaced, nothing moved aside or cut.
    disk.failingMove = 0;
    const std::string victim = "C:\\Other\\victim.pst";
    disk.files[victim] = "victim";
    disk.sizes[victim] = 3 * kReleaseStep;
    for (const bool link : {true, false}) {
        SCOPED_TRACE(link);
        disk.files.erase(copy);
        if (link) {
            disk.AddLink(copy, victim);
        } else {
            disk.files[copy] = "shared";
            disk.sizes[copy] = 3 * kReleaseStep;
            disk.otherNames.insert(copy);
        }
        disk.diskCalls.clear();
        const BackupResult result = RunBackup(state, disk, screen);
        EXPECT_EQ(result.files[0].outcome, CopyOutcome::Copied);
        EXPECT_EQ(disk.files[victim], "victim");
        EXPECT_EQ(disk.sizes[victim], 3 * kReleaseStep);
        EXPECT_EQ(std::count_if(disk.diskCalls.begin(), disk.diskCalls.end(),
                                [](const std::string& c) { return c.rfind("move", 0) == 0; }),
                  1)
            << "the swap alone";
    }
    EXPECT_EQ(disk.files[copy], "first");
    // A run that died between the move aside and the swap left nothing at the name: the next
    // run puts the earlier copy back first, its source gone or not; a half-made copy goes.
    disk.files.erase(copy);
    disk.files[ReleasedCopyPath(copy)] = "moved aside";
    disk.files[TemporaryCopyPath(copy) + "3"] = "half a copy";
    disk.files[TemporaryCopyPath(copy)] = "stuck";
    disk.files.erase("C:\\Mail\\a.pst");
    RunBackup(state, disk, screen);
    EXPECT_EQ(disk.files[copy], "moved aside");
    EXPECT_FALSE(disk.files.count(ReleasedCopyPath(copy)));
    EXPECT_FALSE(disk.files.count(TemporaryCopyPath(copy)));
    EXPECT_FALSE(disk.files.count(TemporaryCopyPath(copy) + "3"));
    // One with other names too is no copy of ours: that name alone goes.
    disk.files[ReleasedCopyPath(copy)] = "another file's";
    disk.otherNames.insert(ReleasedCopyPath(copy));
    disk.diskCalls.clear();
    RunBackup(state, disk, screen);
    EXPECT_FALSE(disk.files.count(ReleasedCopyPath(copy)));
    EXPECT_FALSE(std::count(disk.diskCalls.begin(), disk.diskCalls.end(),
                            TemporaryCopyPath("remove " + copy) + "1"))
        << "with none at the temporary name, no other name of it is cleared";
    EXPECT_EQ(disk.files[copy], "moved aside");
}

TEST(Versions, AreNamedByTheEarlierCopysTimeInUtcAndNothingElseIsOne) {
    // 2026-12-08 14:03:05 UTC, and the first second of 1601.
    EXPECT_EQ(VersionPath("E:\\Bak\\a.pst", 134412121850000000ULL),
              "E:\\Bak\\a.pst.20261208-140305Z.bak");
    EXPECT_EQ(VersionPath("a.pst", 0), "a.pst.16010101-000000Z.bak");
    EXPECT_EQ(VersionPath("a.pst", 125911584000000000ULL), "a.pst.20000101-000000Z.bak");
    EXPECT_EQ(VersionPath("a.pst", 125963423990000000ULL), "a.pst.20000229-235959Z.bak");
    for (const char* name :
         {"a.pst.20261208-140305Z.bak", "A.PST.20261208-140305Z.bak", "a.pst.19991231-235959Z.bak",
          "a.pst.20261208-140305Z-2.bak", "a.pst.20261208-140305Z-99.bak"})
        EXPECT_TRUE(IsVersionOf(name, "a.pst")) << name;
    for (const char* name :
         {"a.pst.20261208-140305Z.ba", "a.pst.20261208-140305Z-2.bax", "a.pst.20261208-14030xZ.bak",
          "a.pst.20261208_140305Z.bak", "b.pst.20261208-140305Z.bak", "a.pst.20261208-140305.bak",
          "xa.pst.20261208-140305Z.bak", "a.pst", "a.pst.2026120:-140305Z.bak",
          "a.pst.2026120/-140305Z.bak", "a.pst_20261208-140305Z.bak",
          "a.pst.20261208-140305Z-1.bak", "a.pst.20261208-140305Z-02.bak",
          "a.pst.20261208-140305Z-100.bak", "a.pst.20261208-140305Z-.bak",
          "a.pst.20261208-140305Z-2x.bak", "a.pst.20261208-140305Z"})
        EXPECT_FALSE(IsVersionOf(name, "a.pst")) << name;
    EXPECT_EQ(VersionNumber("a.pst.20261208-140305Z", "a.pst"), 0) << "no .bak: no number";
}

TEST_F(BackupTest, EarlierCopiesAreKeptAsVersionsAndTheOldestGoBeyondTheNumberKept) {
    const std::string copy = "E:\\Save\\Mail\\a.pst";
    const std::vector<std::string> entries = {"C:\\Mail\\a.pst|k|v"};
    struct Quiet : BackupReporter {
        void FileDone(const FileResult&) override {}
    } quiet;
    // In a folder of cloud files, which are reparse points and no links.
    disk.MakeDirectoryPath("E:\\Save\\");
    disk.AddDirectoryIn("E:\\Save\\Mail", kAttributeDirectory | kAttributeReparsePoint, 0x9000701A);
    disk.cloudFiles.insert(copy);
    disk.files[copy + ".20200101-000000Z.bak.txt"] = "not a version";
    disk.files["E:\\Save\\Mail\\b.pst.20200101-000000Z.bak"] = "another file's";
    // Four runs keeping 2, the source changing: the two newest earlier copies stay.
    for (int night = 1; night <= 4; ++night) {
        disk.files["C:\\Mail\\a.pst"] = "night " + std::to_string(night);
        disk.lastWrite["C:\\Mail\\a.pst"] = 125911584000000000ULL + night * 864000000000ULL;
        const BackupResult result =
            BackUpEntries("E:\\Save\\", entries, disk, &screen, quiet, true, 2);
        EXPECT_EQ(result.files[0].outcome, CopyOutcome::Copied);
        EXPECT_EQ(result.files[0].notKept, "");
    }
    EXPECT_EQ(disk.files[copy], "night 4");
    EXPECT_FALSE(disk.files.count(copy + ".20000102-000000Z.bak")) << "the oldest goes";
    EXPECT_EQ(disk.files[copy + ".20000103-000000Z.bak"], "night 2");
    EXPECT_EQ(disk.files[copy + ".20000104-000000Z.bak"], "night 3") ;
    EXPECT_EQ(disk.files[copy + ".20200101-000000Z.bak.txt"], "not a version");
    EXPECT_EQ(disk.files["E:\\Save\\Mail\\b.pst.20200101-000000Z.bak"], "another file's");
    // A version's name taken already is never overwritten: the earlier copy is released, and
    // the run says why.
    disk.files[copy] = "earlier";
    disk.files["E:\\Save\\Vintrel Copies.txt"] = "Mail\\a.pst\r\n";
    disk.lastWrite[copy] = 125911584000000000ULL + 2 * 864000000000ULL;
    disk.files["C:\\Mail\\a.pst"] = "night 5";
    disk.lastWrite["C:\\Mail\\a.pst"] = 1;
    const BackupResult result = BackUpEntries("E:\\Save\\", entries, disk, &screen, quiet, true, 2);
    EXPECT_EQ(result.files[0].notKept, "a file of its version's name is there already");
    EXPECT_EQ(disk.files[copy + ".20000103-000000Z.bak"], "night 2");
    EXPECT_EQ(disk.files[copy], "night 5");
    // So is one that cannot be renamed to its version's name.
    disk.files["C:\\Mail\\a.pst"] = "night 6";
    disk.lastWrite["C:\\Mail\\a.pst"] = 2;
    disk.failingMove = disk.moves + 1;
    EXPECT_EQ(BackUpEntries("E:\\Save\\", entries, disk, &screen, quiet, true, 2).files[0].notKept,
              "it could not be renamed");
    EXPECT_EQ(disk.files[copy], "night 6");
    disk.files[copy] = "night 5";
    // Nor is one whose version's name would have 256 characters.
    for (const std::size_t length : {234u, 235u}) { // the copy's name; its version's, 21 more
        const std::string name = std::string(length - 12, 'n') + ".pst";
        disk.files["C:\\" + name] = "newer", disk.files["E:\\Save\\" + name] = "old";
        EXPECT_EQ(BackUpEntries("E:\\Save\\", {"C:\\" + name}, disk, &screen, quiet, true, 1)
                      .files[0].notKept,
                  length == 235 ? "its version's name would have 256 characters or more" : "");
    }
    // A copy that fails rotates nothing.
    disk.files.erase("C:\\Mail\\a.pst");
    BackUpEntries("E:\\Save\\", entries, disk, &screen, quiet, true, 1);
    EXPECT_EQ(disk.files[copy], "night 5");
    EXPECT_TRUE(disk.files.count(copy + ".20000103-000000Z.bak"));
    const std::string e = copy + ".19990101-000000Z.bak", l = copy + ".20991231-000000Z.bak";
    const struct { std::uint64_t lMade, eMade, copyMade; int keep; const char* left; } rows[] = {
        {2, 1, 3, 1, "c"}, {1, 1, 1, 2, "cl"}, {0, 1, 3, 2, "ec"}, {9, 1, 3, 2, "ec"},
        {1, 3, 3, 2, "ec"}};
    for (const auto& row : rows) {
        disk.files = {{copy, "c"}, {e, "e"}, {l, "l"}, {"C:\\Mail\\a.pst", "new"}};
        disk.created = {{l, row.lMade}, {e, row.eMade}, {copy, row.copyMade}};
        BackUpEntries("E:\\Save\\", entries, disk, &screen, quiet, true, row.keep);
        const std::string c = disk.files[copy + ".16010101-000000Z.bak"]; // the copy's version
        EXPECT_EQ(disk.files[e] + c + disk.files[l], row.left) << row.lMade << row.copyMade;
    }
}

TEST_F(BackupTest, AMailboxThatLooksDamagedNeverReplacesACopyThatDoesNot) {
    const std::string pst("!BDN\xff\0\0\0SM", 10), zeros(kHeadSize, '\0');
    struct Case {
        const char* name;
        std::string source, earlier; // earlier: "" for none
        CopyOutcome outcome;
        const char* damage;
        std::size_t piece = 4; // read at a time: the first 64 KB come in many pieces
        int earlierFails = 0; // the earlier copy 1: opens, but its first bytes cannot be read;
                              // 2: cannot be opened
    };
    const Case cases[] = {
        {"a.pst", pst, pst + "old", CopyOutcome::Copied, ""},
        {"a.pst", pst + zeros, pst, CopyOutcome::Copied, "", kHeadSize}, // judged once, by its head
        {"a.pst", pst, pst + "old", CopyOutcome::Copied, "", 1}, // judged on its whole head
        {"a.dbx", "\xCF\xAD\x12\xFE", "", CopyOutcome::Copied, ""},
        {"a.pst", pst.substr(0, 9), pst, CopyOutcome::LooksDamaged, "it is cut short (9 bytes)"},
        {"a.pst", pst.substr(0, 9), pst + zeros, CopyOutcome::LooksDamaged,
         "it is cut short (9 bytes)", kHeadSize}, // the earlier copy's head read to its end
        {"a.pst", pst.substr(0, 9), pst, CopyOutcome::Copied, "it is cut short (9 bytes)", 4, 1},
        {"a.pst", pst.substr(0, 9), pst, CopyOutcome::Copied, "it is cut short (9 bytes)", 4, 2},
        {"a.PsT", zeros + pst + zeros, pst, CopyOutcome::LooksDamaged,
         "its first 64 KB are all zero bytes"},
        {"a.ost", std::string(9, '\0'), "x", CopyOutcome::LooksDamaged,
         "it holds nothing but zero bytes"},
        {"a.dbx", "\xCF\xAD\x12\xFF", "\xCF\xAD\x12\xFE", CopyOutcome::LooksDamaged,
         "it does not begin as a .dbx file does"},
        {"a.pst", pst.substr(0, 8) + "SO", "", CopyOutcome::Copied, "it does not begin as a .pst file does"},
        {"a.dbx", "\xCE\xAD\x12\xFE", "", CopyOutcome::Copied, "it does not begin as a .dbx file does"},
        {"a.pst", "", "", CopyOutcome::Copied, "it is empty"},
        {"a.pst", zeros, "zeroed too", CopyOutcome::Copied, "its first 64 KB are all zero bytes"},
        {"a.wab", zeros, "book", CopyOutcome::Copied, ""},
    };
    struct Quiet : BackupReporter {
        void FileDone(const FileResult&) override {}
    } quiet;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + c.source.substr(0, 12));
        disk = test::FakeDisk();
        const std::string copy = "E:\\Save\\Mail\\"s + c.name;
        disk.files["C:\\Mail\\"s + c.name] = c.source;
        disk.readPiece = c.piece;
        std::size_t reads = 0;
        disk.whileCopying = [&](const std::string&) { ++reads; };
        if (!c.earlier.empty()) disk.files[copy] = c.earlier;
        int earlierOpened = 0; // its head is read once at most
        disk.onOpenToCopy = [&](const std::string& path) {
            earlierOpened += path == copy;
            disk.readFailsAfter = c.earlierFails == 1 && path == copy ? 0 : std::string::npos;
        };
        if (c.earlierFails == 2) disk.unopenable.insert(copy);
        const BackupResult result = BackUpEntries("E:\\Save\\", {"C:\\Mail\\"s + c.name},
                                                  disk, nullptr, quiet, false, 1);
        EXPECT_EQ(result.files[0].outcome, c.outcome);
        if (c.outcome == CopyOutcome::LooksDamaged && c.source.size() > 2 * kHeadSize) {
            EXPECT_LT(reads, c.source.size() / 4) << "it stops once its first bytes are seen";
        }
        EXPECT_EQ(result.files[0].damage, c.damage);
        EXPECT_LE(earlierOpened, 1);
        EXPECT_EQ(disk.files[copy], c.outcome == CopyOutcome::Copied ? c.source : c.earlier);
        EXPECT_EQ(disk.files.count(VersionPath(copy, 0)),
                  c.outcome == CopyOutcome::Copied && !c.earlier.empty() ? 1u : 0u);
    }
}

TEST(BackupBoxes, NameTheFileAndWhyAndOnlyTheOutcomesOwnDetail) {
    const std::string a = "a.pst";
    const struct {
        CopyOutcome outcome;
        std::string said; // what the run knows: the other file, holder, detail or damage
        std::string text, bare; // the box with it, and without (the same where nothing is said)
    } cases[] = {
        {CopyOutcome::PathTooLong, "", a + kTooLongSuffix, ""},
        {CopyOutcome::OverwritesListed, "C:\\b.pst", a + kOverwritesListedSuffix + ", C:\\b.pst" +
         kOldCopyText, a + kOverwritesListedSuffix + kOldCopyText},
        {CopyOutcome::ChangedCopy, "E:\\a.pst", a + kChangedCopySuffix + ", E:\\a.pst" +
         kChangedCopyText, a + kChangedCopySuffix + kChangedCopyText},
        {CopyOutcome::TrimmedName, "", a + kTrimmedNameSuffix, ""},
        {CopyOutcome::SameDestination, "b", a + kSameDestinationSuffix + ", b",
         a + kSameDestinationSuffix},
        {CopyOutcome::OntoItself, "", a + kOntoItselfSuffix, ""},
        {CopyOutcome::OutsideTarget, "", a + kOutsideTargetSuffix, ""},
        {CopyOutcome::ThroughLink, "", a + kThroughLinkSuffix, ""},
        {CopyOutcome::LinkSwappedIn, "", a + kLinkSwappedInSuffix, ""},
        {CopyOutcome::NotRecorded, "it is read-only", a + kNotRecordedSuffix + ": it is read-only",
         a + kNotRecordedSuffix},
        {CopyOutcome::NoSpace, "needs 2.0 GB", a + kNoSpaceSuffix + " (needs 2.0 GB)",
         a + kNoSpaceSuffix},
        {CopyOutcome::LooksDamaged, "it is empty", a + kLooksDamagedSuffix + " (it is empty)",
         a + kLooksDamagedSuffix},
        {CopyOutcome::ReadBackDiffers, "", a + kReadBackDiffersSuffix, ""},
        {CopyOutcome::EarlierCopyHeld, "OUTLOOK.EXE",
         a + kEarlierCopyHeldSuffix + " (OUTLOOK.EXE)" + kCloseItText,
         a + kEarlierCopyHeldSuffix + kCloseItText},
        {CopyOutcome::Failed, "", a + kNotBackedUpSuffix, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        // Where the outcome says nothing more, every field it might wrongly show is filled.
        const std::string s = c.said.empty() ? "x" : c.said;
        EXPECT_EQ(BoxText({"C:\\a.pst", a, c.outcome, s, s, "", s, s}), c.text);
        EXPECT_EQ(BoxText({"C:\\a.pst", a, c.outcome, "", "", "", "", ""}),
                  c.bare.empty() ? c.text : c.bare);
    }
}

TEST(BackupBoxes, SizesReadAsWindowsShowsThem) {
    const std::pair<std::uint64_t, const char*> cases[] = {
        {0, "0 bytes"}, {1023, "1023 bytes"}, {1024, "1.0 KB"}, {1536, "1.5 KB"},
        {1048524, "1023.9 KB"}, {1048525, "1.0 MB"}, // from 1023.95 on, the next unit
        {20ULL << 30, "20.0 GB"}, {3ULL << 60, "3072.0 PB"}};
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(SizeText(bytes), text) << bytes;
}

TEST(ChooseTarget, AConfirmedFolderIsShownAndACancelEmptiesThePath) {
    AppState state;
    test::FakeScreen screen;
    screen.folderAnswer = "D:\\Backups\\";
    ChooseTargetPath(state, screen);
    EXPECT_EQ(state.targetPath, "D:\\Backups\\");
    EXPECT_EQ(screen.calls, (Strings{"folder dialog Please select the path to backup to []",
                                     "gadget 9: D:\\Backups\\"}));
    screen.calls.clear();
    screen.folderAnswer = "";
    ChooseTargetPath(state, screen);
    EXPECT_EQ(state.targetPath, "");
    EXPECT_EQ(screen.calls, (Strings{"folder dialog Please select the path to backup to []",
                                     "status 0: Error: Backup path is empty so no backup can be "
                                     "performed, please set it now!"}));
}

} // namespace
} // namespace vintrel
