#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "app/paths.h"
#include "app/texts.h"
#include "backup/checksum.h"
#include "backup/versions.h"
#include "fakes.h"
#include "unattended/command_line.h"
#include "unattended/run_log.h"
#include "unattended/unattended.h"

namespace vintrel {
namespace {

using test::Strings;
using Mode = CommandLine::Mode;

TEST(CommandLineParse, TakesTheFourFormsAndNothingElse) {
    struct Case {
        Strings arguments;
        Mode mode;
        bool search = false;
        const char* folder = "";
        bool all = false;
        int keep = 0;
        int wait = 0;
    };
    const Case cases[] = {
        {{}, Mode::Window},
        {{"/?"}, Mode::Usage},
        {{"-?"}, Mode::Usage},
        {{"/backup"}, Mode::Backup},
        {{"-BACKUP"}, Mode::Backup},
        {{"/Backup", "C:\\Program Files\\Vintrel"},
         Mode::Backup,
         false,
         "C:\\Program Files\\Vintrel"},
        {{"/search", "/backup"}, Mode::Backup, true},
        {{"-Search", "/BACKUP", "D:\\p\\"}, Mode::Backup, true, "D:\\p\\"},
        {{"/search"}, Mode::Invalid},
        {{"/backup", "/search"}, Mode::Invalid},
        {{"/backup", "/ALL", "D:\\p"}, Mode::Backup, false, "D:\\p", true},
        {{"/search", "/backup", "D:\\p", "-all"}, Mode::Backup, true, "D:\\p", true},
        {{"/backup", "/all", "/all"}, Mode::Invalid},
        {{"/all"}, Mode::Invalid},
        {{"/backup", "C:\\Tools\""}, Mode::Backup, false, "C:\\Tools"}, // from "C:\Tools\"
        {{"/backup", "/"}, Mode::Invalid},
        {{"/backup", "/keep", "7", "C:\\p"}, Mode::Backup, false, "C:\\p", false, 7},
        {{"/backup", "C:\\p", "-KEEP", "99", "/all"}, Mode::Backup, false, "C:\\p", true, 99},
        {{"/backup", "/keep"}, Mode::Invalid},
        {{"/backup", "/keep", "-1"}, Mode::Invalid},
        {{"/backup", "/keep", "100"}, Mode::Invalid},
        {{"/backup", "/keep", "x"}, Mode::Invalid},
        {{"/backup", "/keep", "1", "/keep", "2"}, Mode::Invalid},
        {{"/backup", "/wait", "1440", "C:\\p"}, Mode::Backup, false, "C:\\p", false, 0, 1440},
        {{"/backup", "/wait", "1441"}, Mode::Invalid},
        {{"/backup", "/wait", "x"}, Mode::Invalid},
        {{"/backup", "/wait"}, Mode::Invalid},
        {{"/backup", "C:\\a", "C:\\b"}, Mode::Invalid, false, "C:\\a"},
        {{"/backup", "/keep", "100", "C:\\p\""}, Mode::Invalid, false, "C:\\p"}, // log beside it
        {{"/backup", "-x"}, Mode::Invalid},
        {{"/backup", ""}, Mode::Invalid},
        {{"/restore"}, Mode::Invalid},
        {{"C:\\Mail\\box.pst"}, Mode::Window}, // a file dropped on the program
        {{"C:\\folder", "/backup"}, Mode::Window},
        {{""}, Mode::Window},
        {{"/?", "/backup"}, Mode::Invalid},
        {{"/search", "/search", "/backup"}, Mode::Invalid},
        {{"backup"}, Mode::Window},
        {{"/backup", "call"}, Mode::Backup, false, "call"}, // a folder, not "/all"
        {{"/check"}, Mode::Check},
        {{"-CHECK", "C:\\p\""}, Mode::Check, false, "C:\\p"},
        {{"/check", "/verify"}, Mode::Invalid},
        {{"/check", "C:\\a", "C:\\b"}, Mode::Invalid},
        {{"/backup", "/verify", "/verify"}, Mode::Invalid},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        const CommandLine line = ParseCommandLine(c.arguments);
        EXPECT_EQ(line.mode, c.mode);
        EXPECT_EQ(line.search, c.search && c.mode == Mode::Backup);
        EXPECT_EQ(line.folder, c.folder);
        EXPECT_EQ(line.all, c.all);
        EXPECT_EQ(line.keep, c.keep);
        EXPECT_EQ(line.wait, c.wait);
    }
    const CommandLine restore = ParseCommandLine(
        {"/restore", "C:\\Mail\\a.pst", "/to", "D:\\Back\"", "/from", "19991231-235959", "C:\\Jobs\""});
    EXPECT_EQ(restore.mode, Mode::Restore);
    EXPECT_EQ(restore.restoreFile, "C:\\Mail\\a.pst");
    EXPECT_EQ(restore.restoreTo, "D:\\Back");
    EXPECT_EQ(restore.restoreStamp, "19991231-235959");
    EXPECT_EQ(restore.folder, "C:\\Jobs");
    // A line not understood names the argument at fault.
    const std::pair<Strings, const char*> bad[] = {
        {{"/backup", "/keep", "100"}, "100"},
        {{"/backup", "/search"}, "/search"},
        {{"/restore"}, "/restore"},
        {{"/restore", "/from", "x"}, "/from"},
        {{"/restore", "a.pst", "/from", "2026-12-08"}, "2026-12-08"},
        {{"/restore", "a.pst", "/from", "20261208x140305"}, "20261208x140305"},
        {{"/restore", "a.pst", "/from"}, "/from"},
        {{"/restore", "a.pst", "/to"}, "/to"},
        {{"/restore", "a.pst", "/to", "-x"}, "-x"},
        {{"/restore", "a.pst", "/to", ""}, ""},
        {{"/backup", "/wait", "x"}, "x"},
        {{"/backup", "/keep", "-1", "C:\\p"}, "-1"},
        {{"/backup", "/keep"}, "/keep"},
        {{"/backup", "C:\\a", "C:\\b"}, "C:\\b"},
        {{"/search"}, "/search"},
        {{"/?", "/backup"}, "/?"},
        {{"/restore", "a.pst", "C:\\a", "C:\\b"}, "C:\\b"},
        {{"/restore", "a.pst", "/from", "20261208-140305-1"}, "20261208-140305-1"},
        {{"/backup", "/wait", "12345", "/keep", "x"}, "12345"},
        {{"/backup", "/keep", "/all"}, "/all"},
        {{"/restore", "a.pst", "/force", "/force"}, "/force"},
    };
    for (const auto& [arguments, problem] : bad) {
        const CommandLine line = ParseCommandLine(arguments);
        EXPECT_EQ(line.mode, Mode::Invalid) << testing::PrintToString(arguments);
        EXPECT_EQ(line.problem, problem);
    }
    // Every line fits a console of 80 columns and ends in CR LF.
    const std::string usage = kUsageText;
    for (std::size_t at = 0, end; (end = usage.find("\r\n", at)) != std::string::npos; at = end + 2)
        EXPECT_LT(end - at, 80u) << usage.substr(at, end - at);
    EXPECT_EQ(usage.substr(usage.size() - 2), "\r\n");
    EXPECT_NE(usage.find("Exit codes: 0 every listed file was copied or left unchanged; 1"),
              std::string::npos);
    // Versions are spelled there as they are named.
    const std::string digits = "00000000-000000";
    for (const auto& [stamp, more] :
         {std::pair{"<YYYYMMDD-HHMMSS>", ""}, {"<STAMP>", ""}, {"<time>", "-2"}}) {
        std::string version = StampedVersionPath("<name>", digits + more);
        version.replace(version.find(digits), digits.size(), stamp);
        EXPECT_NE(usage.find(version), std::string::npos) << version;
    }
}

TEST(UnattendedLog, EachReasonInWords) {
    const std::pair<CopyOutcome, const char*> cases[] = {
        {CopyOutcome::Copied, "copied"},
        {CopyOutcome::SourceMissing, "not copied: the source is missing"},
        {CopyOutcome::InUse, "not copied: the file is in use by another program"},
        {CopyOutcome::AccessDenied, "not copied: access is denied"},
        {CopyOutcome::DiskFull, "not copied: the target disk is full"},
        {CopyOutcome::TooLarge,
         "not copied: the file is too large for the target drive's file system"},
        {CopyOutcome::PathTooLong, "not copied: the destination path has 256 characters or more"},
        {CopyOutcome::OntoItself, "not copied: it would be copied onto itself"},
        {CopyOutcome::SourceChanged, "not copied: the source changed while it was copied"},
        {CopyOutcome::Failed, "not copied: source, target or disk error"},
        {CopyOutcome::OverwritesListed,
         "not copied: it would overwrite another listed file, C:\\Bak\\a.pst"},
        {CopyOutcome::SameDestination,
         "not copied: another listed file was copied to the same place, C:\\Bak\\a.pst"},
        {CopyOutcome::OutsideTarget,
         "not copied: its destination is no file below the target folder"},
        {CopyOutcome::NotRecorded,
         "not copied: the target folder's record of its copies cannot be read or written"},
        {CopyOutcome::EarlierCopyHeld,
         "not copied: the earlier copy is open in another program; close it and try again"},
        {CopyOutcome::NoSpace, "not copied: not enough space on the target"},
        {CopyOutcome::LooksDamaged, "not copied: it looks damaged: the last good copy is kept"},
        {CopyOutcome::Unchanged, "unchanged"},
        {CopyOutcome::ChangedCopy, "not copied: it would overwrite a changed file, C:\\Bak\\a.pst,"
                                   " which is no longer the copy made there"},
        {CopyOutcome::TrimmedName, "not copied: a name on its copy's path ends in a dot or a space,"
                                   " which Windows drops"},
        {CopyOutcome::ReadBackDiffers, "not copied: the copy read back differs from what was "
                                       "written; the earlier copy is kept"},
        {CopyOutcome::ThroughLink, "not copied: a link below the target folder leads elsewhere, "
                                   "and is not written through"},
        {CopyOutcome::LinkSwappedIn, "not copied: a folder on the way became a link while it was "
                                     "copied, and nothing was left written through it"},
        {CopyOutcome::PathNotFound, "not copied: the path to its copy is not there (is the "
                                    "target's drive or share missing?)"},
        {CopyOutcome::FileInTheWay,
         "not copied: a file stands where a folder on the way to its copy goes"},
    };
    for (const auto& [outcome, text] : cases) {
        EXPECT_EQ(OutcomeText({"C:\\a.pst", "a.pst", outcome, "", "C:\\Bak\\a.pst", "", "", ""}),
                  text);
    }
    EXPECT_EQ(OutcomeText({"C:\\a.pst", "a.pst", CopyOutcome::NoSpace, "", "", "", "needs 2.0 GB", ""}),
              "not copied: not enough space on the target (needs 2.0 GB)");
    EXPECT_EQ(
        OutcomeText({"C:\\a.pst", "a.pst", CopyOutcome::InUse, "Microsoft Outlook", "", "", "", ""}),
        "not copied: the file is in use by Microsoft Outlook");
    EXPECT_EQ(OutcomeText({"C:\\a.pst", "a.pst", CopyOutcome::Copied, "", "", "it could not be "
                                                                             "renamed", "", ""}),
              "copied; previous copy not kept: it could not be renamed");
}

TEST(UnattendedLog, IsCutToItsNewestHalfFromARunsFirstLine) {
    std::string log;
    for (int run = 0; log.size() <= kLogLimit; ++run) {
        log += "2026-12-0" + std::to_string(run % 9 + 1) + " backup, run " + std::to_string(run) +
               "\r\n";
        for (int i = 0; i < 100; ++i)
            log += "  C:\\Mail\\file" + std::to_string(i) + ".pst: copied\r\n";
    }
    const std::string cut = CutLog(log);
    EXPECT_LE(cut.size(), kLogLimit / 2);
    EXPECT_GT(cut.size(), kLogLimit / 2 - 4000) << "no more than one run's lines go with the cut";
    EXPECT_EQ(cut.rfind("2026-12-0", 0), 0u) << "it begins with a run's header";
    EXPECT_EQ(log.substr(log.size() - cut.size()), cut) << "the newest stays";
    // A log of one run's lines alone is cut at a line's start.
    const std::string lines(kLogLimit / 2 + 10, 'x');
    EXPECT_EQ(CutLog("  a\r\n" + lines + "\r\n  b\r\n"), "  b\r\n");
    EXPECT_EQ(CutLog("a\r\n"), "a\r\n");
    // Exactly half the limit, from a run's first line, is kept whole.
    const std::string half = "2026-12-09 backup\r\n" + std::string(kLogLimit / 2 - 19, 'y');
    EXPECT_EQ(CutLog("xx\n" + half), half);
    // A line that only begins with a digit is no run's first line.
    EXPECT_EQ(CutLog(lines + "\r\n1000 of 1000 files copied\r\n1999-12-31 backup\r\n"),
              "1999-12-31 backup\r\n");
}

class ScheduledBackupTest : public test::FakeProgramTest {
protected:
    ScheduledBackupTest() : FakeProgramTest("C:\\Jobs") {
        setting.currentDirectory = "C:\\Windows\\System32";
        setting.localTime = "2026-12-08 14:03:05";
        setting.echo = [this](const std::string& line) { echoed.push_back(line); };
        disk.MakeDirectoryPath("C:\\Windows\\System32\\");
        disk.files["C:\\Mail\\a.pst"] = "mail";
        disk.files["C:\\Mail\\b.wab"] = "book";
        disk.MakeDirectoryPath("E:\\Bak\\"); // the backup disk, connected
    }
    std::string& Profile() { return disk.files["C:\\Jobs\\Vintrel Profile.txt"]; }
    std::string Log() { return disk.files["C:\\Jobs\\Vintrel Backup.log"]; }
    int Run(const Strings& arguments) {
        return RunWithoutWindow(ParseCommandLine(arguments), disk, setting);
    }

    UnattendedSetting setting;
    Strings echoed;
};

TEST_F(ScheduledBackupTest, CopiesTheListAndSaysInTheLogAndTheExitCodeHowItWent) {
    const std::string profile = "E:\\Bak\\\r\nC:\\Mail\\a.pst|Outlook personal folders|[No "
                                "idea]\r\nC:\\Mail\\b.wab|k|v\r\n";
    Profile() = profile;
    EXPECT_EQ(Run({"/backup", "C:\\Jobs"}), kAllCopied);
    EXPECT_EQ(disk.files["E:\\Bak\\Mail\\a.pst"], "mail");
    EXPECT_EQ(Log(), "2026-12-08 14:03:05 backup with the profile C:\\Jobs\\Vintrel Profile.txt\r\n"
                     "  C:\\Mail\\a.pst: copied, but it looks damaged (it is cut short (4 "
                     "bytes)), and no earlier copy that looks whole was there to keep\r\n"
                     "  C:\\Mail\\b.wab: copied\r\n"
                     "2 of 2 files copied\r\n");
    EXPECT_EQ(echoed.size(), 4u) << "the same lines go to the console";
    EXPECT_EQ(Profile(), profile) << "a backup alone never rewrites the profile";

    disk.heldByWriter.insert("C:\\Mail\\b.wab");
    disk.holderName = "Microsoft Outlook";
    disk.files["E:\\Bak\\Mail\\b.wab"] = "earlier copy";
    disk.files.erase("E:\\Bak\\Vintrel Copies.txt"); // copies of no record
    EXPECT_EQ(Run({"/backup", "C:\\Jobs\\"}), kSomeNotCopied);
    EXPECT_NE(
        Log().find("  C:\\Mail\\a.pst: unchanged\r\n"
                   "  C:\\Mail\\b.wab: not copied: the file is in use by Microsoft Outlook\r\n"
                   "1 of 2 files copied or unchanged\r\n"),
        std::string::npos);
    EXPECT_EQ(disk.files["E:\\Bak\\Mail\\b.wab"], "earlier copy");
    EXPECT_EQ(Log().rfind("2026-12-08 14:03:05 backup", 0), 0u) << "appended to";
    // A file at the target's name is there: each copy says what is in its way.
    Profile() = "E:\\File\r\nC:\\Mail\\a.pst|k|v\r\n";
    disk.files["E:\\File"] = "not a folder";
    EXPECT_EQ(Run({"/backup", "C:\\Jobs"}), kSomeNotCopied);
    EXPECT_NE(Log().find("a.pst: not copied: a file stands where a folder on the way to its copy "
                         "goes\r\n0 of 1 files copied\r\n"), std::string::npos);
}

TEST_F(ScheduledBackupTest, NothingIsDoneAndNothingWrittenWhenThereIsNothingToDo) {
    // Its profile's path has 260 characters; its log's, 259.
    const std::string tooLong = "C:\\" + std::string(237, 'j') + "\\";
    disk.files[tooLong + "Vintrel Profile.txt"] = "E:\\Bak\\\r\nC:\\Mail\\a.pst|k|v\r\n";
    struct Case {
        const char* what;
        std::function<void()> arrange;
        Strings arguments;
        const char* logged;
    };
    const Case cases[] = {
        {"no profile",
         [&] { disk.files.erase("C:\\Jobs\\Vintrel Profile.txt"); },
         {"/backup", "C:\\Jobs"},
         "there is no profile"},
        {"unreadable",
         [&] { disk.unopenable.insert("C:\\Jobs\\Vintrel Profile.txt"); },
         {"/backup", "C:\\Jobs"},
         "the profile cannot be read"},
        {"read in part",
         [&] { disk.cutShort.insert("C:\\Jobs\\Vintrel Profile.txt"); },
         {"/backup", "C:\\Jobs"},
         "the profile cannot be read"},
        {"a profile path Windows cannot take",
         [&] { disk.MakeDirectoryPath(tooLong); },
         {"/backup", tooLong},
         "there is no profile"},
        {"no target",
         [&] { Profile() = "\r\nC:\\Mail\\a.pst|k|v\r\n"; },
         {"/search", "/backup", "C:\\Jobs"},
         "the profile names no target folder"},
        {"empty list",
         [&] { Profile() = "E:\\Bak\\\r\n"; },
         {"/backup", "C:\\Jobs"},
         "the profile lists no file"},
        {"search finds nothing",
         [] {},
         {"/search", "/backup", "C:\\Jobs"},
         "the search found no file"},
        {"wrong argument",
         [] {},
         {"/backup", "C:\\Jobs", "now"},
         "\"now\" is an unknown or misplaced argument"},
        {"wrong argument, no folder named",
         [] {},
         {"/backup", "-now"},
         "\"-now\" is an unknown or misplaced argument"},
        {"a number out of range",
         [] {},
         {"/backup", "/keep", "100", "C:\\Jobs"},
         "\"100\" is out of range for /keep (0 to 99)"},
        {"no record to check", [] {}, {"/check", "C:\\Jobs"},
         "there is no record of copies, E:\\Bak\\Vintrel Copies.txt"},
        {"a restore after another run held the turn for a minute",
         [&] { setting.waitForTurn = [](const std::string&) { return false; }; },
         {"/restore", "C:\\Mail\\a.pst", "C:\\Jobs"},
         "another run over the profile is still going on"},
        {"a check after another run held the turn for a minute",
         [&] { setting.waitForTurn = [](const std::string&) { return false; }; },
         {"/check", "C:\\Jobs"}, "another run over the profile is still going on"},
        {"the backup disk unplugged", [&] { disk.missingDrives.insert("E:"); },
         {"/backup", "C:\\Jobs"},
         "the target folder E:\\Bak\\ is not there (is the disk connected?)"},
        {"a check with the backup disk unplugged", [&] { disk.missingDrives.insert("E:"); },
         {"/check", "C:\\Jobs"},
         "the target folder E:\\Bak\\ is not there (is the disk connected?)"},
        {"a target folder not there on a disk that is",
         [&] { Profile() = "E:\\New\r\n" + Profile(); },
         {"/backup", "C:\\Jobs"},
         "the target folder E:\\New is not there (is the disk connected?)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        disk.unopenable.clear();
        disk.cutShort.clear();
        disk.missingDrives.clear();
        setting.waitForTurn = nullptr;
        Profile() = "E:\\Bak\\\r\nC:\\Mail\\a.pst|k|v\r\n";
        disk.files.erase("C:\\Windows\\System32\\Vintrel Backup.log");
        disk.files.erase("C:\\Jobs\\Vintrel Backup.log");
        c.arrange();
        const bool hadProfile = disk.files.count("C:\\Jobs\\Vintrel Profile.txt") > 0;
        const std::string before = hadProfile ? Profile() : "";
        disk.madePaths.clear();
        EXPECT_EQ(Run(c.arguments), kNothingDone);
        EXPECT_FALSE(disk.files.count("E:\\Bak\\Mail\\a.pst")) << "nothing copied";
        EXPECT_TRUE(disk.madePaths.empty()) << "no folder made";
        if (hadProfile) {
            EXPECT_EQ(Profile(), before) << "no profile written";
        }
        const std::string log =
            c.arguments[1] == "-now"
                ? disk.files["C:\\Windows\\System32\\Vintrel Backup.log"]
                : disk.files[(c.arguments[1] == tooLong ? tooLong : "C:\\Jobs\\") + kLogFileName];
        EXPECT_EQ(log.rfind("2026-12-08 14:03:05 ", 0), 0u) << "a dated line comes first";
        EXPECT_NE(log.find("Nothing was done: " + std::string(c.logged) + ".\r\n"),
                  std::string::npos)
            << log;
    }
    // A folder named that is not there is no profile's: nothing goes to the current folder.
    disk.files.erase("C:\\Windows\\System32\\Vintrel Backup.log");
    EXPECT_EQ(Run({"/backup", "C:\\Nowhere"}), kNothingDone);
    EXPECT_FALSE(disk.files.count("C:\\Windows\\System32\\Vintrel Backup.log"));
}

TEST_F(ScheduledBackupTest, SearchThenBackupSavesTheNewListWithTheTargetKept) {
    disk.AddDirectoryIn("C:\\Mail");
    disk.AddFileIn("C:\\Mail\\a.pst");
    disk.AddFileIn("C:\\Mail\\q\nC:|forged|x.pst"); // no short name to go by
    disk.AddFileIn("C:\\Mail\\?ukasz.pst");         // the code page cannot hold its name
    Profile() = "E:\\Bak\\\r\nC:\\Old\\gone.pst|k|v\r\n";
    setting.currentDirectory = "C:\\Jobs";
    EXPECT_EQ(Run({"/search", "/backup"}), kAllCopied);
    EXPECT_EQ(Profile(), "E:\\Bak\\\r\nC:\\Mail\\a.pst|Outlook personal folders|[No idea]\r\n"
                         "C:\\Mail\\b.wab|Windows address book|[No idea]\r\n");
    EXPECT_EQ(disk.files["E:\\Bak\\Mail\\a.pst"], "mail");
    EXPECT_NE(Log().find("search and backup"), std::string::npos);
    EXPECT_NE(Log().find("\r\n  C:\\Mail\\q?C:|forged|x.pst: left out of the list: no Windows path "
                         "can spell its name (a line break, \"|\", \":\", a final dot or a "
                         "device's name such as NUL)\r\n"),
              std::string::npos)
        << Log();
    EXPECT_NE(Log().find("\r\n  C:\\Mail\\?ukasz.pst: left out of the list: Windows' ANSI code "
                         "page cannot hold its name\r\n"),
              std::string::npos)
        << Log();

    // A new list that cannot be saved is no full success.
    disk.failAt = test::FakeDisk::Step::Replace;
    EXPECT_EQ(Run({"/search", "/backup"}), kSomeNotCopied);
    EXPECT_EQ(echoed[echoed.size() - 2], "2 of 2 files copied or unchanged");
    EXPECT_EQ(echoed.back(), "The outcome could not be written to C:\\Jobs\\Vintrel Last Run.txt.");

    // A control character from a hand-written profile reaches neither the log nor the console.
    disk.failAt = test::FakeDisk::Step::None;
    Profile() = "E:\\Bak\\\r\nC:\\Mail\\\x1b[2Jx.pst|k|v\r\n";
    EXPECT_EQ(Run({"/backup"}), kSomeNotCopied);
    EXPECT_EQ(echoed[echoed.size() - 2], "  C:\\Mail\\?[2Jx.pst: not copied: the source is missing");
}

TEST_F(ScheduledBackupTest, AFileWhoseCopyHasItsSizeAndTimeIsLeftAloneUnlessAllAreAsked) {
    Profile() = "E:\\Bak\\\r\nC:\\Mail\\a.pst|k|v\r\n";
    constexpr std::uint64_t kSecond = 10000000;
    const std::uint64_t source = 500 * kSecond;
    disk.lastWrite["C:\\Mail\\a.pst"] = source;
    const struct {
        const char* what;
        const char* copy;
        std::uint64_t copyTime;
        Strings arguments;
        const char* logged;
        std::uint64_t step = 0; // of the target's times: FAT's 2 s; 0 exact
        std::uint64_t made = 0; // when the copy was made
        bool hardLink = false;  // the copy's name is one of its file's names
        int code = kAllCopied;
        int altered = 0; // the new copy read back from the disk: 1 a byte flipped, 2 it cannot
                         // be opened, 3 its read fails
        const char* record = nullptr; // else a copy of no record
    } cases[] = {
        {"the same size and time", "mail", source, {"/backup", "C:\\Jobs"}, "unchanged"},
        {"2 seconds apart on FAT, made after", "mail", source - 2 * kSecond,
         {"/backup", "C:\\Jobs"}, "unchanged", 2 * kSecond, source + 3 * kSecond},
        {"1 second apart on FAT, made after", "mail", source + kSecond, {"/backup", "C:\\Jobs"},
         "unchanged", 2 * kSecond, source + 3 * kSecond},
        {"the same time on FAT, made within 2 s of the write: rewritten since?", "mail", source,
         {"/backup", "C:\\Jobs"}, "copied", 2 * kSecond, source + 2 * kSecond},
        {"1 second apart where times are kept exactly", "mail", source - kSecond,
         {"/backup", "C:\\Jobs"}, "copied", 0, source + 3 * kSecond},
        {"a little more", "mail", source + 2 * kSecond + 1, {"/backup", "C:\\Jobs"}, "copied"},
        {"an hour apart", "mail", source + 3600 * kSecond, {"/backup", "C:\\Jobs"}, "copied"},
        {"another size", "mall!", source, {"/backup", "C:\\Jobs"}, "copied"},
        {"every file asked for", "mail", source, {"/backup", "/all", "C:\\Jobs"}, "copied"},
        {"read back as written", "mall!", source, {"/backup", "/verify", "C:\\Jobs"}, "copied"},
        {"read back otherwise", "mall!", source, {"/backup", "/verify", "C:\\Jobs"},
         "not copied: the copy read back differs from what was written; the earlier copy is kept",
         0, 0, false, kSomeNotCopied, 1},
        {"not to be opened to read back", "mall!", source, {"/backup", "/verify", "C:\\Jobs"},
         "not copied: access is denied", 0, 0, false, kSomeNotCopied, 2},
        {"not to be read back", "mall!", source, {"/backup", "/verify", "C:\\Jobs"},
         "not copied: source, target or disk error", 0, 0, false, kSomeNotCopied, 3},
        {"the copy a run that died made there, its line settled on it", "mail", source,
         {"/backup", "C:\\Jobs"}, "unchanged", 0, 0, false, kAllCopied, 0,
         "Mail\\a.pst\t3\t1\t-\t4\t5000000000\r\n"},
        {"a hard link", "mail", source, {"/backup", "C:\\Jobs"}, "copied", 0, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        disk.files["E:\\Bak\\Mail\\a.pst"] = c.copy;
        disk.files.erase("E:\\Bak\\Vintrel Copies.txt");
        if (c.record) disk.files["E:\\Bak\\Vintrel Copies.txt"] = c.record;
        disk.lastWrite["E:\\Bak\\Mail\\a.pst"] = c.copyTime;
        disk.created["E:\\Bak\\Mail\\a.pst"] = c.made;
        disk.timeSteps["E:"] = c.step;
        if (c.hardLink) disk.otherNames.insert("E:\\Bak\\Mail\\a.pst");
        disk.alteredReadBack.clear(), disk.unopenable.clear(), disk.readBackFails.clear();
        test::PathSet* readBack[] = {nullptr, &disk.alteredReadBack, &disk.unopenable, &disk.readBackFails};
        if (c.altered) readBack[c.altered]->insert("E:\\Bak\\Mail\\a.pst.~vt");
        disk.diskCalls.clear();
        echoed.clear();
        EXPECT_EQ(Run(c.arguments), c.code);
        EXPECT_EQ(echoed[1].rfind("  C:\\Mail\\a.pst: " + std::string(c.logged), 0), 0u) << echoed[1];
        const bool unchanged = std::string(c.logged) == "unchanged" || c.altered;
        EXPECT_EQ(disk.files["E:\\Bak\\Mail\\a.pst"], unchanged ? c.copy : "mail");
        EXPECT_EQ(std::count_if(disk.diskCalls.begin(), disk.diskCalls.end(),
                                [](const std::string& call) { return call.rfind("move", 0) == 0; }),
                  unchanged ? 0 : 1)
            << "nothing written for an unchanged file";
    }
    EXPECT_EQ(echoed.back(), "1 of 1 files copied");
    disk.lastWrite["E:\\Bak\\Mail\\a.pst"] = source;
    Run({"/backup", "C:\\Jobs"});
    EXPECT_EQ(echoed.back(), "1 of 1 files copied or unchanged");
}

TEST_F(ScheduledBackupTest, FilesInUseAreWaitedForAfterAFewSecondsThenEveryMinute) {
    Profile() = "E:\\Bak\\\r\nC:\\Mail\\a.pst|k|v\r\nC:\\Mail\\b.wab|k|v\r\n";
    disk.heldByWriter.insert("C:\\Mail\\b.wab");
    disk.holderName = "OUTLOOK.EXE";
    std::uint32_t clock = 0xFFFFF000; // the clock wraps round during the wait
    std::vector<std::uint64_t> slept;
    setting.milliseconds = [&] { return clock; };
    setting.sleep = [&](std::uint64_t ms) {
        slept.push_back(ms);
        clock += static_cast<std::uint32_t>(ms);
        if (slept.size() == 2) disk.heldByWriter.clear(); // the mail program ends
        if (slept.size() == 1) disk.files["C:\\Jobs\\Vintrel Backup.log"] += "another run\r\n";
    };
    std::string turns; // t: taken, r: let go
    setting.waitForTurn = [&](const std::string&) { return turns += 't', true; };
    setting.releaseTurn = [&] { turns += 'r'; };
    EXPECT_EQ(Run({"/backup", "/wait", "3", "C:\\Jobs"}), kAllCopied);
    EXPECT_EQ(slept, (std::vector<std::uint64_t>{5000, 60000}));
    EXPECT_EQ(turns, "trtrt") << "no turn held while asleep";
    EXPECT_EQ(disk.files["E:\\Bak\\Mail\\b.wab"], "book");
    EXPECT_NE(Log().find("waiting for 1 file in use: C:\\Mail\\b.wab, held by OUTLOOK.EXE\r\n"),
              std::string::npos);
    EXPECT_EQ(echoed.back(), "2 of 2 files copied");
    const std::string header = "2026-12-08 14:03:05 backup with the profile ";
    EXPECT_EQ(Log().rfind(header), Log().find("another run\r\n") + 13)
        << "said again after another run's lines, and only then";
    // One let go, one held for good: the wait ends when the minutes since the run began are over.
    disk.heldByWriter = {"C:\\Mail\\a.pst", "C:\\Mail\\b.wab"};
    disk.files["C:\\Mail\\a.pst"] = "mail, newer";
    disk.files["C:\\Mail\\b.wab"] = "book, newer";
    slept.clear();
    setting.sleep = [&](std::uint64_t ms) {
        slept.push_back(ms);
        clock += static_cast<std::uint32_t>(ms);
        disk.heldByWriter.erase("C:\\Mail\\b.wab");
    };
    EXPECT_EQ(Run({"/backup", "/wait", "1", "C:\\Jobs"}), kSomeNotCopied);
    EXPECT_EQ(slept, (std::vector<std::uint64_t>{5000, 55000}));
    EXPECT_NE(Log().find("waiting for 2 files in use: C:\\Mail\\a.pst, held by OUTLOOK.EXE; C:"),
              std::string::npos);
    EXPECT_EQ(disk.files["E:\\Bak\\Mail\\b.wab"], "book, newer");
    EXPECT_EQ(disk.files["E:\\Bak\\Mail\\a.pst"], "mail");
    EXPECT_EQ(echoed.back(), "1 of 2 files copied");
    // A turn not had back after a sleep ends the wait with what the run has.
    setting.waitForTurn = [&](const std::string&) { return (turns += 't') == "t"; };
    turns.clear();
    slept.clear();
    disk.heldByWriter = {"C:\\Mail\\a.pst"};
    disk.files.erase("C:\\Jobs\\Vintrel Last Run.txt");
    EXPECT_EQ(Run({"/backup", "/wait", "5", "C:\\Jobs"}), kSomeNotCopied);
    EXPECT_FALSE(disk.files.count("C:\\Jobs\\Vintrel Last Run.txt")) << "written without the turn";
    EXPECT_EQ(slept.size(), 1u);
    EXPECT_NE(Log().find("has not ended for a minute: the wait ends here\r\n1 of 2 files copied"),
              std::string::npos);
    // A record the retry cannot settle after its copy is said, as after the first pass.
    setting.waitForTurn = nullptr;
    setting.sleep = [&](std::uint64_t ms) {
        clock += static_cast<std::uint32_t>(ms);
        disk.heldByWriter.clear();
        disk.whileCopying = [&](const std::string&) {
            disk.createFails["E:\\Bak\\Vintrel Copies.lock"] = DiskError::AccessDenied;
        };
    };
    EXPECT_EQ(Run({"/backup", "/wait", "5", "C:\\Jobs"}), kAllCopied);
    EXPECT_NE(Log().find(std::string(kRecordNotSettledText) + ": E:\\Bak\\Vintrel Copies.txt"),
              std::string::npos) << Log();
    // Without a clock to tell the minutes by, there is no wait.
    setting.milliseconds = nullptr;
    slept.clear();
    setting.sleep = [&](std::uint64_t ms) { slept.push_back(ms); };
    disk.whileCopying = nullptr;
    disk.createFails.clear();
    disk.heldByWriter = {"C:\\Mail\\a.pst"};
    disk.files["C:\\Mail\\a.pst"] = "mail, newest";
    EXPECT_EQ(Run({"/backup", "/wait", "5", "C:\\Jobs"}), kSomeNotCopied);
    EXPECT_TRUE(slept.empty());
    // A log swapped for a link while the run sleeps is not written through, and said lost.
    setting.milliseconds = [&] { return clock; };
    setting.waitForTurn = [&](const std::string&) { return true; };
    setting.sleep = [&](std::uint64_t ms) {
        clock += static_cast<std::uint32_t>(ms);
        disk.AddLink("C:\\Jobs\\Vintrel Backup.log", "C:\\Elsewhere\\x");
    };
    disk.files["C:\\Elsewhere\\x"] = "x";
    EXPECT_EQ(Run({"/backup", "/wait", "1", "C:\\Jobs"}), kSomeNotCopied);
    EXPECT_EQ(disk.files["C:\\Elsewhere\\x"], "x");
    EXPECT_EQ(echoed.back(), "The log C:\\Jobs\\Vintrel Backup.log could not be written.");
    // A log removed while the run sleeps begins again with the run's header.
    const auto noLog = [&] {
        disk.RemoveFile("C:\\Jobs\\Vintrel Backup.log");
        disk.files.erase("C:\\Jobs\\Vintrel Backup.log");
    };
    noLog();
    setting.sleep = [&](std::uint64_t ms) { clock += static_cast<std::uint32_t>(ms), noLog(); };
    Run({"/backup", "/wait", "1", "C:\\Jobs"});
    EXPECT_EQ(Log().rfind("2026-12-08 14:03:05 backup with the profile ", 0), 0u) << Log();
    // A record that a run without a wait cannot settle is said too.
    noLog();
    disk.heldByWriter.clear();
    disk.files["C:\\Mail\\a.pst"] = "mail, last";
    disk.whileCopying = [&](const std::string&) {
        disk.createFails["E:\\Bak\\Vintrel Copies.lock"] = DiskError::AccessDenied;
    };
    Run({"/backup", "C:\\Jobs"});
    EXPECT_NE(Log().find(kRecordNotSettledText), std::string::npos) << Log();
    // A log that cannot be closed as the run goes to sleep is said lost at the end.
    disk.createFails.clear();
    disk.heldByWriter = {"C:\\Mail\\a.pst"};
    disk.files["C:\\Mail\\b.wab"] = "book, last";
    disk.files["C:\\Mail\\a.pst"] = "mail, final";
    disk.whileCopying = [&, once = true](const std::string&) mutable {
        if (std::exchange(once, false)) disk.failAt = test::FakeDisk::Step::Close;
    };
    setting.sleep = [&](std::uint64_t ms) {
        clock += static_cast<std::uint32_t>(ms);
        disk.failAt = test::FakeDisk::Step::None;
    };
    Run({"/backup", "/wait", "1", "C:\\Jobs"});
    EXPECT_EQ(echoed.back(), "The log C:\\Jobs\\Vintrel Backup.log could not be written.");
    // One that could not be made at first, and is there but empty after the sleep, begins
    // with the run's header.
    noLog();
    disk.createFails["C:\\Jobs\\Vintrel Backup.log"] = DiskError::AccessDenied;
    disk.files["C:\\Mail\\a.pst"] = "mail, after all";
    setting.sleep = [&](std::uint64_t ms) {
        clock += static_cast<std::uint32_t>(ms);
        if (disk.createFails.empty()) return;
        disk.createFails.clear();
        disk.files["C:\\Jobs\\Vintrel Backup.log"] = "";
    };
    Run({"/backup", "/wait", "1", "C:\\Jobs"});
    EXPECT_EQ(Log().rfind("2026-12-08 14:03:05 backup with the profile ", 0), 0u) << Log();
}

TEST_F(ScheduledBackupTest, EachOutcomeIsKeptBesideTheProfileAndAFailureGoesToTheEventLog) {
    Profile() = "E:\\Bak\\\r\nC:\\Mail\\a.pst|k|v\r\nC:\\Mail\\b.wab|k|v\r\n";
    Strings events;
    bool written = true;
    setting.reportEvent = [&](bool error, const std::string& text) {
        events.push_back((error ? "error: " : "warning: ") + text);
        return written;
    };
    const auto status = [&] { return disk.files["C:\\Jobs\\Vintrel Last Run.txt"]; };
    for (const char* night : {"2026-12-01 02:00:00", "2026-12-02 02:00:00", "2026-12-08 02:00:00"}) {
        setting.localTime = night;
        Run({"/backup", "C:\\Jobs"});
        disk.files.erase("C:\\Mail\\b.wab"); // missing from the second night on
    }
    EXPECT_EQ(status(), "Vintrel last run\r\ntime 2026-12-08 02:00:00\r\nexit code 1\r\ncopied 1 of "
                        "2\r\nlast success 2026-12-01 02:00:00\r\n");
    EXPECT_EQ(events.size(), 2u);
    EXPECT_EQ(events.back(), "warning: The scheduled backup of 2026-12-08 02:00:00 did not back up every "
                             "file: 1 of 2 files copied or unchanged (exit code 1). The profile: C:\\Jobs\\"
                             "Vintrel Profile.txt. The log C:\\Jobs\\Vintrel Backup.log says which files and why.");
    EXPECT_EQ(echoed.back(), "Written to the Windows event log (Application, source Vintrel).");
    // Nothing done is an error; an event log that takes nothing is said in the log.
    written = false;
    Profile() = "E:\\Bak\\\r\n";
    EXPECT_EQ(Run({"/backup", "C:\\Jobs"}), kNothingDone);
    EXPECT_NE(status().find("\r\ncopied 0 of 0\r\n"), std::string::npos) << status();
    EXPECT_EQ(events.back().rfind("error: The scheduled backup of 2026-12-08 02:00:00 did nothing", 0), 0u);
    EXPECT_NE(Log().find("file.\r\nThe Windows event log could not be written.\r\n"), std::string::npos);
    // A run that waited in vain for its turn leaves the outcome of the run that holds it.
    const std::string kept = status();
    setting.waitForTurn = [](const std::string&) { return false; };
    setting.localTime = "2026-12-09 02:00:00";
    EXPECT_EQ(Run({"/backup", "C:\\Jobs"}), kNothingDone);
    EXPECT_EQ(status(), kept);
}

TEST_F(ScheduledBackupTest, TheWindowTellsOfAFailedRunOrAQuietWeekOnceAndOfNoOtherFile) {
    const std::string run = "Vintrel last run\r\ntime 2026-12-08 02:00:00\r\nexit code ";
    const std::string failed = run + "1\r\ncopied 1 of 2\r\nlast success 2026-12-07 02:00:00\r\n";
    const std::string fine = "Vintrel last run\r\ntime 2026-12-01 02:00:00\r\nexit code 0\r\n"
                             "copied 2 of 2\r\nlast success 2026-12-01 02:00:00\r\n";
    std::string big = failed;
    while (big.size() <= kLastRunLimit) big += "told 2026-01-01 00:00:00\r\n";
    std::string exact =
        run + "1\r\ncopied 1000001 of 2000002\r\nlast success 2026-12-07 02:00:00\r\n";
    while (exact.size() < kLastRunLimit) exact += "told 2026-01-01 00:00:00\r\n";
    ASSERT_EQ(exact.size(), kLastRunLimit);
    const std::string did = "The scheduled backup of 2026-12-08 02:00:00 did ";
    const std::string notAll = did + "not back up every file: 1 of 2 files copied or unchanged "
                                     "(exit code 1).\n";
    const std::string since = "No scheduled backup has backed up every file since 2026-12-0";
    const struct {
        const char* what;
        std::string file; // empty: a link to a failed run's file elsewhere
        const char* now;
        std::string said; // empty: nothing
    } cases[] = {
        {"a failed run a day after a success", failed, "2026-12-08 09:00:00",
         notAll + "The last that backed up every file ran at 2026-12-07 02:00:00.\n"},
        {"failed runs for over three days", failed, "2026-12-10 02:00:01",
         notAll + since + "7 02:00:00.\n"},
        {"nothing done, no success known", run + "2\r\ncopied 0 of 0\r\n", "2026-12-08 09:00:00",
         did + "nothing (exit code 2).\n"},
        {"a success, then no run for over three days", fine, "2026-12-04 02:00:01",
         since + "1 02:00:00.\n"},
        {"a success three days before", fine, "2026-12-04 02:00:00", ""},
        {"a success three days before, over the new year",
         "Vintrel last run\r\ntime 2026-12-30 02:00:00\r\nexit code 0\r\ncopied 2 of 2\r\n"
         "last success 2026-12-30 02:00:00\r\n", "2027-01-02 02:00:00", ""},
        {"a success on a month's 31st, over three days before",
         "Vintrel last run\r\ntime 2026-12-31 02:00:00\r\nexit code 0\r\ncopied 2 of 2\r\n"
         "last success 2026-12-31 02:00:00\r\n", "2027-01-03 02:00:01",
         "No scheduled backup has backed up every file since 2026-12-31 02:00:00.\n"},
        {"a success two days before, over the end of February",
         "Vintrel last run\r\ntime 2027-02-27 02:00:00\r\nexit code 0\r\ncopied 2 of 2\r\n"
         "last success 2027-02-27 02:00:00\r\n", "2027-03-01 02:00:00", ""},
        {"a success over three days before, over a leap day",
         "Vintrel last run\r\ntime 2028-02-28 02:00:00\r\nexit code 0\r\ncopied 2 of 2\r\n"
         "last success 2028-02-28 02:00:00\r\n", "2028-03-02 02:00:01",
         "No scheduled backup has backed up every file since 2028-02-28 02:00:00.\n"},
        {"a failed run, an earlier one told", failed + "told 2026-12-07 02:00:00\r\n",
         "2026-12-08 09:00:00", notAll + "The last that backed up every file ran at 2026-12-07 02:00:00.\n"},
        {"counts that cannot be", run + "1\r\ncopied 3 of 2\r\n", "2026-12-09 09:00:00", ""},
        {"counts of nine digits", run + "1\r\ncopied 0 of 999999999\r\n", "2026-12-08 09:00:00",
         did + "not back up every file: 0 of 999999999 files copied or unchanged (exit code 1).\n"},
        {"a count of ten digits", run + "1\r\ncopied 0 of 1000000000\r\n", "2026-12-08 09:00:00", ""},
        {"a success that is not the last",
         run + "0\r\ncopied 2 of 2\r\nlast success 2026-12-01 02:00:00\r\n", "2026-12-09 09:00:00", ""},
        {"larger than ours", big, "2026-12-09 09:00:00", ""},
        {"as large as ours may be", exact, "2026-12-08 09:00:00",
         did + "not back up every file: 1000001 of 2000002 files copied or unchanged (exit code "
               "1).\nThe last that backed up every file ran at 2026-12-07 02:00:00.\n"},
        {"a link at its name", "", "2026-12-09 09:00:00", ""},
        {"every file copied, the log not written", run + "1\r\ncopied 2 of 2\r\n",
         "2026-12-08 09:00:00", "The scheduled backup of 2026-12-08 02:00:00 copied every file, "
         "but could not write its log or the new list of its search (exit code 1).\n"},
        {"a last success that is no time",
         run + "1\r\ncopied 1 of 2\r\nlast success 2026-12-07\r\n", "2026-12-09 09:00:00", ""},
        {"a told line that is no time", failed + "told soon\r\n", "2026-12-09 09:00:00", ""},
        {"a time with a digit more",
         "Vintrel last run\r\ntime 2026-12-08 02:00:001\r\nexit code 2\r\ncopied 0 of 0\r\n",
         "2026-12-09 09:00:00", ""},
        {"a run in a leap second",
         "Vintrel last run\r\ntime 2016-12-31 23:59:60\r\nexit code 2\r\ncopied 0 of 0\r\n",
         "2017-01-01 09:00:00",
         "The scheduled backup of 2016-12-31 23:59:60 did nothing (exit code 2).\n"},
        {"a failed run late in the evening", "Vintrel last run\r\ntime 2026-12-08 23:59:59\r\nexit "
         "code 2\r\ncopied 0 of 0\r\n", "2026-12-09 09:00:00",
         "The scheduled backup of 2026-12-08 23:59:59 did nothing (exit code 2).\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        disk = test::FakeDisk();
        disk.files["C:\\Elsewhere\\x.txt"] = failed;
        if (!c.file.empty()) disk.files["C:\\Jobs\\Vintrel Last Run.txt"] = c.file;
        if (c.file.empty()) disk.AddLink("C:\\Jobs\\Vintrel Last Run.txt", "C:\\Elsewhere\\x.txt");
        screen.calls.clear();
        TellLastRun(state, disk, screen, c.now);
        TellLastRun(state, disk, screen, c.now); // once only
        const std::string box = "box Scheduled backup: " + c.said + "The log C:\\Jobs\\Vintrel "
                                "Backup.log" + kSeeTheLogText + " [type 48]";
        EXPECT_EQ(screen.calls, c.said.empty() ? Strings{} : Strings{box});
        EXPECT_EQ(disk.files["C:\\Elsewhere\\x.txt"], failed) << "nothing through a link";
    }
}

TEST_F(ScheduledBackupTest, ARestoreBringsTheCopyOrAVersionBackAndKeepsWhatItReplaces) {
    Profile() = "E:\\Bak\\\r\nC:\\Mail\\a.pst|k|v\r\n";
    constexpr std::uint64_t kDay = 864000000000ULL, k2000 = 125911584000000000ULL;
    disk.files["E:\\Bak\\Mail\\a.pst"] = "the copy";
    disk.lastWrite["E:\\Bak\\Mail\\a.pst"] = k2000;
    disk.files["E:\\Bak\\Mail\\a.pst.20000101-000000Z.bak"] = "a version";
    disk.files["C:\\Mail\\a.pst"] = "damaged";
    disk.lastWrite["C:\\Mail\\a.pst"] = k2000 + kDay;
    bool noted = false; // should the run die while it copies, its note says what to finish
    disk.whileCopying = [&](auto&) {
        noted |= disk.files.count("C:\\Jobs\\Vintrel Restore.txt") > 0;
    };
    disk.onCreate = [&, notes = 0](const std::string& path) mutable {
        if (path.ends_with("Restore.tmp") && ++notes == 2) // written meanwhile: kept as noted
            disk.lastWrite["C:\\Mail\\a.pst"] = k2000 + 9 * kDay;
    };
    EXPECT_EQ(Run({"/restore", "c:\\mail\\A.PST", "C:\\Jobs"}), kAllCopied);
    EXPECT_TRUE(noted);
    disk.whileCopying = nullptr;
    disk.onCreate = nullptr;
    EXPECT_EQ(disk.files["C:\\Mail\\a.pst"], "the copy");
    EXPECT_EQ(disk.lastWrite["C:\\Mail\\a.pst"], k2000) << "the copy's time";
    EXPECT_EQ(disk.files["C:\\Mail\\a.pst.20000102-000000Z.bak"], "damaged");
    EXPECT_EQ(echoed.back(), "restored C:\\Mail\\a.pst from E:\\Bak\\Mail\\a.pst (kept the "
                             "replaced file as C:\\Mail\\a.pst.20000102-000000Z.bak)");
    disk.MakeDirectoryPath("C:\\Jobs\\Vintrel Restore.txt\\");
    EXPECT_EQ(Run({"/restore", "C:\\Mail\\a.pst", "C:\\Jobs"}), kSomeNotCopied);
    EXPECT_EQ(echoed.back(), "  C:\\Mail\\a.pst: not restored: its note, C:\\Jobs\\Vintrel "
                             "Restore.txt, cannot be written beside the profile");
    disk.RemoveFolder("C:\\Jobs\\Vintrel Restore.txt");
    // Nor one whose note cannot be written again once the copy is made, nor a copy not to be read.
    disk.onCreate = [&, notes = 0](const std::string& path) mutable {
        if (path.ends_with("Restore.tmp") && ++notes == 2)
            disk.createFails[path] = DiskError::DiskFull;
    };
    EXPECT_EQ(Run({"/restore", "C:\\Mail\\a.pst", "C:\\Jobs"}), kSomeNotCopied);
    EXPECT_EQ(echoed.back(), "  C:\\Mail\\a.pst: not restored: its note cannot be written beside "
                             "the profile");
    disk.onCreate = nullptr;
    disk.createFails.clear();
    disk.unopenable.insert("E:\\Bak\\Mail\\a.pst");
    EXPECT_EQ(Run({"/restore", "C:\\Mail\\a.pst", "C:\\Jobs"}), kSomeNotCopied);
    EXPECT_EQ(echoed.back(), "  C:\\Mail\\a.pst: not restored: access is denied");
    disk.unopenable.clear();
    // A copy that differs from the checksum recorded when it was made is restored only by force.
    auto record = [&](std::uint64_t sum) {
        disk.files["E:\\Bak\\Vintrel Copies.txt"] =
            CopyRecordText({{"Mail\\a.pst", CopyState{8, k2000, sum}, std::nullopt}});
    };
    record(1);
    disk.files["C:\\Mail\\a.pst"] = "damaged";
    disk.lastWrite["C:\\Mail\\a.pst"] = k2000 + 2 * kDay;
    EXPECT_EQ(Run({"/restore", "C:\\Mail\\a.pst", "C:\\Jobs"}), kSomeNotCopied);
    EXPECT_EQ(echoed.back(), "  C:\\Mail\\a.pst: not restored: the copy differs from the checksum "
                             "recorded when it was made (damaged, or changed since); nothing was "
                             "replaced: /force restores it anyway");
    EXPECT_EQ(disk.files["C:\\Mail\\a.pst"], "damaged");
    EXPECT_EQ(disk.files.count("C:\\Jobs\\Vintrel Restore.txt") +
                  disk.files.count("C:\\Mail\\a.pst.~vr"),
              0u) << "nothing left to finish";
    EXPECT_EQ(Run({"/restore", "C:\\Mail\\a.pst", "/force", "C:\\Jobs"}), kAllCopied);
    EXPECT_EQ(disk.files["C:\\Mail\\a.pst"], "the copy");
    Checksum copy;
    copy.Add("the copy", 8);
    record(copy.Value());
    EXPECT_EQ(Run({"/restore", "C:\\Mail\\a.pst", "/to", "D:\\Checked", "C:\\Jobs"}), kAllCopied);
    disk.afterRename = [&](const std::string& to) { // its log then lost: no full success
        if (to == "D:\\Checked\\a.pst") disk.failAt = test::FakeDisk::Step::Close;
    };
    EXPECT_EQ(Run({"/restore", "C:\\Mail\\a.pst", "/to", "D:\\Checked", "C:\\Jobs"}),
              kSomeNotCopied);
    disk.afterRename = nullptr;
    disk.failAt = test::FakeDisk::Step::None;
    disk.unopenable.insert("E:\\Bak\\Vintrel Copies.txt"); // compared with nothing, and said
    EXPECT_EQ(Run({"/restore", "C:\\Mail\\a.pst", "/to", "D:\\Checked", "C:\\Jobs"}), kAllCopied);
    EXPECT_NE(Log().find("the copy is not compared with its checksum: E:\\Bak\\Vintrel Copies.txt "
                         "cannot be read in full\r\n"),
              std::string::npos);
    disk.unopenable.clear();
    disk.files.erase("E:\\Bak\\Vintrel Copies.txt");
    // A kept version, into another folder.
    EXPECT_EQ(Run({"/restore", "C:\\Mail\\a.pst", "/from", "20000101-000000", "/to", "D:\\Out",
                   "C:\\Jobs"}),
              kAllCopied);
    EXPECT_EQ(disk.files["D:\\Out\\a.pst"], "a version");
    disk.MakeDirectoryPath("D:\\Dir\\a.pst\\");
    EXPECT_EQ(Run({"/restore", "C:\\Mail\\a.pst", "/to", "D:\\Dir", "C:\\Jobs"}), kSomeNotCopied);
    EXPECT_EQ(echoed.back(), "  D:\\Dir\\a.pst: not restored: a folder stands at its name");
    // Held by the mail program: nothing written; nothing to restore: nothing done.
    disk.heldByWriter.insert("C:\\Mail\\a.pst");
    disk.holderName = "OUTLOOK.EXE";
    EXPECT_EQ(Run({"/restore", "C:\\Mail\\a.pst", "C:\\Jobs"}), kSomeNotCopied);
    EXPECT_EQ(echoed.back(), "  C:\\Mail\\a.pst: not restored: the file is in use by OUTLOOK.EXE; "
                             "close the mail program first");
    EXPECT_EQ(disk.files["C:\\Mail\\a.pst"], "the copy");
    disk.heldByWriter = {"E:\\Bak\\Mail\\a.pst"};
    EXPECT_EQ(Run({"/restore", "C:\\Mail\\a.pst", "C:\\Jobs"}), kSomeNotCopied);
    EXPECT_NE(echoed.back().find("must not be opened in the mail program"), std::string::npos);
    disk.heldByWriter.clear();
    disk.otherNames = {"C:\\Mail\\a.pst"}; // a second name: what it replaces cannot be kept
    EXPECT_EQ(Run({"/restore", "C:\\Mail\\a.pst", "C:\\Jobs"}), kSomeNotCopied);
    EXPECT_NE(echoed.back().find("cannot be kept"), std::string::npos);
    EXPECT_EQ(disk.files.count("C:\\Mail\\a.pst.~vr") + disk.files.count("C:\\Jobs\\Vintrel Restore.txt"),
              0u) << "its copy and note go";
    disk.otherNames = {"E:\\Bak\\Mail\\a.pst"}; // the copy's other name: the mailbox's?
    EXPECT_EQ(Run({"/restore", "C:\\Mail\\a.pst", "C:\\Jobs"}), kNothingDone);
    disk.otherNames.clear();
    disk.files["C:\\Mail\\a.pst"] = "damaged again";
    disk.failCopyTo = {"C:\\Mail\\a.pst.~vr.~vt"}; // the disk fills up: the file stays
    EXPECT_EQ(Run({"/restore", "C:\\Mail\\a.pst", "C:\\Jobs"}), kSomeNotCopied);
    EXPECT_EQ(disk.files["C:\\Mail\\a.pst"], "damaged again");
    EXPECT_NE(echoed.back().find("not restored: its disk is full"), std::string::npos);
    EXPECT_FALSE(disk.files.count("C:\\Jobs\\Vintrel Restore.txt")) << "its note goes";
    disk.failCopyTo.clear();
    disk.closeFails = {"C:\\Mail\\a.pst.~vr"}; // on the disk, but not whole: it goes
    EXPECT_EQ(Run({"/restore", "C:\\Mail\\a.pst", "C:\\Jobs"}), kSomeNotCopied);
    EXPECT_FALSE(disk.files.count("C:\\Mail\\a.pst.~vr"));
    disk.closeFails.clear();
    disk.sizes["E:\\Bak\\Mail\\a.pst"] = 20ULL << 30, disk.freeBytes["C:"] = 5ULL << 30;
    EXPECT_EQ(Run({"/restore", "C:\\Mail\\a.pst", "C:\\Jobs"}), kSomeNotCopied);
    EXPECT_NE(echoed.back().find("not restored: not enough space on its disk"), std::string::npos);
    disk.sizes.clear();
    disk.freeBytes.clear();
    EXPECT_FALSE(disk.files.count("C:\\Mail\\a.pst.20000101-000000Z.bak"));
    disk.failCopyTo.clear();
    disk.files["C:\\Mail\\a.pst"] = "the copy";
    disk.lastWrite["C:\\Mail\\a.pst"] = k2000; // not changed since it was restored
    disk.files["C:\\Mail\\a.pst.20000101-000000Z.bak"] = "kept before"; // never replaced
    EXPECT_EQ(Run({"/restore", "C:\\Mail\\a.pst", "C:\\Jobs"}), kAllCopied);
    EXPECT_EQ(disk.files["C:\\Mail\\a.pst.20000101-000000Z.bak"], "kept before");
    EXPECT_EQ(disk.files["C:\\Mail\\a.pst.20000101-000000Z-2.bak"], "the copy");
    disk.files["E:\\Bak\\Mail\\a.pst.20000101-000000Z-2.bak"] = "second version";
    EXPECT_EQ(Run({"/restore", "C:\\Mail\\a.pst", "/from", "20000101-000000-2", "C:\\Jobs"}),
              kAllCopied);
    EXPECT_EQ(disk.files["C:\\Mail\\a.pst"], "second version");
    EXPECT_EQ(disk.files["C:\\Mail\\a.pst.20000101-000000Z-3.bak"], "the copy");
    // Where every name a version of it may have is taken, the file stays as it is.
    const auto version = [](int n) {
        return "C:\\Mail\\a.pst.20000101-000000Z-" + std::to_string(n) + ".bak";
    };
    for (int n = 4; n <= 98; ++n) disk.files[version(n)] = "v";
    disk.lastWrite["C:\\Mail\\a.pst"] = k2000;
    EXPECT_EQ(Run({"/restore", "C:\\Mail\\a.pst", "C:\\Jobs"}), kAllCopied); // the last free
    EXPECT_EQ(disk.files[version(99)], "second version");
    disk.files["C:\\Mail\\a.pst"] = "second version";
    disk.lastWrite["C:\\Mail\\a.pst"] = k2000;
    EXPECT_EQ(Run({"/restore", "C:\\Mail\\a.pst", "C:\\Jobs"}), kSomeNotCopied);
    EXPECT_NE(echoed.back().find("every version name for the file it would replace is taken"),
              std::string::npos);
    EXPECT_EQ(disk.files["C:\\Mail\\a.pst"], "second version");
    for (int n = 4; n <= 99; ++n) disk.files.erase(version(n));
    // Into the copy's own folder, by any name of it, it would land on the copy itself.
    disk.AddAlias("X:", "E:\\Bak");
    for (const char* folder : {"e:\\bak\\MAIL\\", "X:\\Mail", "E:\\Bak\\Mail"}) {
        if (folder[0] == 'E') disk.numberless.insert("E:"); // no identities: by spelling
        EXPECT_EQ(Run({"/restore", "C:\\Mail\\a.pst", "/to", folder, "C:\\Jobs"}), kNothingDone);
        EXPECT_EQ(echoed.back(), "Nothing was done: it would be restored onto its backup copy, "
                                 "E:\\Bak\\Mail\\a.pst.");
        EXPECT_EQ(disk.files["E:\\Bak\\Mail\\a.pst"], "the copy");
    }
    disk.numberless.clear();
    // A restore killed part-way left its note: the next run finishes or undoes it.
    const std::string note = "C:\\Jobs\\Vintrel Restore.txt";
    constexpr int kWindow = -1; // the window's backup button, not a run without a window
    const struct {
        const char* stage;
        const char* live; // what the file's name holds, if anything
        int code;
        const char* logged;
        const char* after;
        bool held = false; // the mail program holds the file
        bool copyGone = false; // killed after the copy took the file's name
    } killed[] = {
        {"copying", "damaged", kAllCopied, "was undone: the file was left as it was", "damaged"},
        {"copied", nullptr, kAllCopied, "was finished", "restored"},
        {"copied", nullptr, kWindow, "was finished", "restored"},
        {"copied", "made anew", kWindow, "cannot be finished", "made anew", true},
        {"copied", "made anew", kNothingDone, "cannot be finished", "made anew", true},
        {"copied", "made anew", kAllCopied, "was finished (kept the replaced file as C:\\Mail\\a.pst.",
         "restored"},
        {"copied", "restored", kAllCopied, "had come to its end; its note is removed", "restored",
         false, true},
    };
    for (const auto& k : killed) {
        SCOPED_TRACE(std::string(k.stage) + (k.live ? k.live : "") + std::to_string(k.code));
        disk.files.erase("C:\\Mail\\a.pst");
        disk.lastWrite.erase("C:\\Mail\\a.pst");
        if (k.live) disk.files["C:\\Mail\\a.pst"] = k.live;
        disk.heldOpen.clear();
        if (k.held) disk.heldOpen.insert("C:\\Mail\\a.pst");
        disk.files["C:\\Mail\\a.pst.~vr"] = "restored";
        if (k.copyGone) disk.files.erase("C:\\Mail\\a.pst.~vr");
        disk.files["C:\\Mail\\a.pst.~vr.~vt"] = "half of the copy's copy";
        disk.files[note] = "Vintrel restore, not finished\r\nC:\\Mail\\a.pst\r\nE:\\Bak\\Mail\\a."
                           "pst\r\nC:\\Mail\\a.pst.~vr\r\n\r\n" + std::string(k.stage) + "\r\n";
        if (k.code == kWindow) { // a log grown past three quarters of its limit is cut first
            std::string& grown = disk.files["C:\\Jobs\\Vintrel Backup.log"];
            while (grown.size() <= kLogLimit * 3 / 4) grown += "2026-12-01 an earlier run\r\n";
            const auto why = FinishRestoreBeforeWindowBackup(disk, "C:\\Jobs\\", "2026-12-09");
            EXPECT_LT(Log().size(), kLogLimit / 2 + 1000);
            EXPECT_EQ(why.has_value(), k.held);
            EXPECT_NE(Log().find("2026-12-09 the window's backup with the profile C:\\Jobs\\Vintrel "
                                 "Profile.txt\r\n"), std::string::npos);
            EXPECT_TRUE(!why || Log().find("Nothing was done: " + *why + ".") != std::string::npos);
        } else {
            EXPECT_EQ(Run({"/backup", "C:\\Jobs"}), k.code);
            EXPECT_EQ(disk.files["E:\\Bak\\Mail\\a.pst"], k.held ? "the copy" : k.after)
                << "what the backup saw";
        }
        EXPECT_NE(Log().find("an unfinished restore of C:\\Mail\\a.pst from E:\\Bak\\Mail\\a.pst " +
                             std::string(k.logged)),
                  std::string::npos);
        EXPECT_EQ(disk.files["C:\\Mail\\a.pst"], k.after);
        EXPECT_EQ(disk.files.count(note) + disk.files.count("C:\\Mail\\a.pst.~vr"), k.held ? 2u : 0u);
        EXPECT_EQ(disk.files.erase("C:\\Mail\\a.pst.~vr.~vt"), std::string(k.stage) == "copied")
            << "what the making of the copy left goes as it is undone";
        disk.files["E:\\Bak\\Mail\\a.pst"] = "the copy";
        disk.lastWrite["E:\\Bak\\Mail\\a.pst"] = k2000;
        disk.files.erase("E:\\Bak\\Vintrel Copies.txt"); // a copy laid by hand
    }
    EXPECT_EQ(disk.files["C:\\Mail\\a.pst.16010101-000000Z.bak"], "made anew");
    // A restore finishes the one left first.
    disk.files["C:\\Mail\\a.pst.~vr"] = "restored";
    disk.files[note] = "Vintrel restore, not finished\r\nC:\\Mail\\a.pst\r\nE:\\Bak\\Mail\\a."
                       "pst\r\nC:\\Mail\\a.pst.~vr\r\n\r\ncopied\r\n";
    EXPECT_EQ(Run({"/restore", "C:\\Mail\\a.pst", "C:\\Jobs"}), kAllCopied);
    EXPECT_NE(Log().find("an unfinished restore of C:\\Mail\\a.pst from E:\\Bak\\Mail\\a.pst "
                         "was finished",
                         Log().rfind("restore C:\\Mail\\a.pst with the profile")),
              std::string::npos);
    disk.files.erase("C:\\Jobs\\Vintrel Backup.log"); // with no note, the window writes nothing
    EXPECT_FALSE(FinishRestoreBeforeWindowBackup(disk, "C:\\Jobs\\", "2026-12-09"));
    EXPECT_FALSE(disk.files.count("C:\\Jobs\\Vintrel Backup.log"));
    // A note naming as its copy a file that is not beside the restored one is not acted on.
    disk.files[note] = "Vintrel restore, not finished\r\nC:\\Mail\\a.pst\r\nE:\\Bak\\Mail\\a."
                       "pst\r\nC:\\Mail\\b.pst\r\n\r\ncopying\r\n";
    disk.files["C:\\Mail\\b.pst"] = "mail";
    EXPECT_EQ(Run({"/backup", "C:\\Jobs"}), kNothingDone);
    EXPECT_EQ(disk.files.count("C:\\Mail\\b.pst") + disk.files.count(note), 2u);
    // Nor is one that cannot be read; one of just the size a note may reach is.
    disk.files[note] = "Vintrel restore, not finished\r\nC:\\Mail\\b.pst\r\nE:\\Bak\\Mail\\b.pst"
                       "\r\nC:\\Mail\\b.pst.~vr\r\n";
    disk.files[note] += std::string(kRestoreNoteLimit - disk.files[note].size() - 11, 'k') +
                        "\r\ncopying\r\n";
    disk.unopenable.insert(note);
    EXPECT_EQ(Run({"/backup", "C:\\Jobs"}), kNothingDone);
    disk.unopenable.clear();
    const auto files = disk.files;
    const auto times = disk.lastWrite;
    EXPECT_EQ(Run({"/backup", "C:\\Jobs"}), kAllCopied);
    EXPECT_EQ(disk.files.count("C:\\Mail\\b.pst") + disk.files.count(note), 1u) << "undone";
    disk.files = files, disk.lastWrite = times; // the backup's copies as they were
    disk.files.erase(note);
    disk.files["C:\\Mail\\a.pst"] = "the copy";
    disk.MakeDirectoryPath("E:\\Bak\\Mail\\a.pst.19990101-000000Z.bak\\");
    for (const char* stamp : {"19990101-000000", "19990102-000000"}) {
        EXPECT_EQ(Run({"/restore", "C:\\Mail\\a.pst", "/from", stamp, "C:\\Jobs"}), kNothingDone);
        EXPECT_NE(
            Log().find("there is no such version, E:\\Bak\\Mail\\a.pst." + std::string(stamp)),
            std::string::npos);
    }
    disk.afterRename = [&](const std::string&) { disk.files["C:\\Mail\\a.pst"] = "new"; };
    EXPECT_EQ(Run({"/restore", "C:\\Mail\\a.pst", "C:\\Jobs"}), kSomeNotCopied) << "name taken";
    disk.afterRename = nullptr;
    EXPECT_EQ(Run({"/backup", "C:\\Jobs"}), kAllCopied) << "it finishes the restore left to it";
    EXPECT_EQ(Run({"/restore", "C:\\Other\\b.pst", "C:\\Jobs"}), kNothingDone);
    EXPECT_NE(Log().find("\"C:\\Other\\b.pst\" is not listed in the profile"), std::string::npos);
    EXPECT_EQ(disk.files["C:\\Mail\\a.pst"], "the copy");
}

TEST_F(ScheduledBackupTest, ACheckReadsEachRecordedCopyAgainstItsStateAndWritesNothingThere) {
    Profile() = "E:\\Bak\\\r\nC:\\Mail\\a.pst|k|v\r\n";
    const std::string copy = "E:\\Bak\\Mail\\a.pst", record = "E:\\Bak\\Vintrel Copies.txt";
    Checksum sum;
    sum.Add("mail", 4);
    std::map<std::string, std::string> meanwhile; // what another run wrote during the check
    std::string event;
    setting.reportEvent = [&](bool error, const std::string& text) { // a warning, no error
        return !(event = error ? "<error>" : text).empty();
    };
    const struct { const char* what; std::function<void()> arrange; int code; const char* logged; }
        cases[] = {
        {"as made", [] {}, kAllCopied, "good"},
        {"changed behind its back, its size and time kept", [&] { disk.files[copy] = "mall"; },
         kSomeNotCopied, "it differs from its checksum: its bytes are no longer the ones written "
                         "(the disk damaged it, or it was changed without its time)\r\n"},
        {"worked in", [&] { disk.lastWrite[copy] = 8; }, kSomeNotCopied,
         "it is no longer the recorded copy: its size or last-write time changed since it was "
         "made (was it opened in the mail program?)\r\n"},
        {"missing", [&] { disk.files.erase(copy); }, kSomeNotCopied, "it is missing"},
        {"written by another program", [&] { disk.heldByWriter = {copy}; }, kSomeNotCopied,
         "it cannot be read: another program writes to it"},
        {"a hard link", [&] { disk.otherNames = {copy}; }, kSomeNotCopied,
         "it is no longer the recorded copy: a link, a folder or a file with other names too "
         "(hard links) stands there\r\n"},
        {"recorded before checksums", [&] { disk.files[record] = "Mail\\a.pst\r\n"; },
         kSomeNotCopied, "not checkable"},
        {"replaced, and its line, by another profile's run as it is read", [&] {
             disk.onOpenToCopy = [&, once = true](const std::string&) mutable {
                 if (!std::exchange(once, false)) return;
                 Checksum newer;
                 newer.Add("newer mail", 10);
                 meanwhile[copy] = disk.files[copy] = "newer mail";
                 disk.lastWrite[copy] = 9;
                 meanwhile[record] = disk.files[record] = CopyRecordText(
                     {{"Mail\\a.pst", CopyState{10, 9, newer.Value()}, {}}});
             };
         }, kAllCopied, "good"},
        {"replaced, and its line, by another profile's run that still holds the record", [&] {
             disk.onOpenToCopy = [&, once = true](const std::string&) mutable {
                 if (!std::exchange(once, false)) return;
                 meanwhile[copy] = disk.files[copy] = "mall";
                 meanwhile[record] = disk.files[record] = CopyRecordText({});
                 disk.heldByWriter = {"E:\\Bak\\Vintrel Copies.lock"};
             };
         }, kSomeNotCopied, "it differs from its checksum"},
        {"taken out of the record, changed, by another profile's run as it is read", [&] {
             disk.onOpenToCopy = [&](const std::string&) {
                 meanwhile[copy] = disk.files[copy] = "mall";
                 meanwhile[record] = disk.files[record] = CopyRecordText({});
             };
         }, kSomeNotCopied, "not checkable: it was replaced while it was checked"},
        {"unreadable part-way",
         [&] { disk.onOpenToCopy = [&](auto&) { disk.readFailsAfter = 2; }; }, kSomeNotCopied,
         "it cannot be read in full"},
        {"its size and time not to be asked", [&] { disk.factsUnknown = {copy}; }, kSomeNotCopied,
         "it cannot be read"},
        {"changed, its record unreadable when asked again", [&] {
             disk.files[copy] = "mall";
             disk.onOpenToCopy = [&](auto&) { disk.unopenable.insert(record); };
         }, kSomeNotCopied, "it differs from its checksum"},
        {"elsewhere, its time an hour apart", [&] { disk.lastWrite[copy] = 7 + 36000000000; },
         kSomeNotCopied, "it is no longer the recorded copy: its size or last-write time changed"},
        {"on FAT, its time read an hour apart after a clock change", [&] {
             disk.timeSteps["E:"] = 20000000;
             disk.lastWrite[copy] = 7 + 36000000000;
         }, kAllCopied, "good"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        meanwhile.clear();
        event.clear();
        disk.onOpenToCopy = nullptr;
        disk.unopenable.clear();
        disk.readFailsAfter = std::string::npos;
        disk.files[copy] = "mail";
        disk.lastWrite[copy] = 7;
        disk.otherNames.clear();
        disk.heldByWriter.clear();
        disk.timeSteps.clear();
        disk.factsUnknown.clear();
        disk.files[record] = CopyRecordText({{"Mail\\a.pst", CopyState{4, 7, sum.Value()}, {}}});
        c.arrange();
        auto before = disk.files;
        EXPECT_EQ(Run({"/check", "C:\\Jobs"}), c.code);
        const bool unchecked = std::string(c.logged).rfind("not checkable", 0) == 0;
        const std::string found = c.code == kAllCopied ? ""
                                  : unchecked ? "found 1 has nothing to compare (recorded before "
                                                "checksums were kept, or while being made): a "
                                                "/backup /all copies them again with one. The log"
                                              : "found 1 damaged, missing or changed since";
        EXPECT_EQ(event.empty(), found.empty());
        EXPECT_NE(event.find(found), std::string::npos) << event;
        EXPECT_EQ(Log().find("event log could not"), std::string::npos) << "it was written";
        EXPECT_NE(Log().find("  " + copy + ": " + c.logged), std::string::npos) << Log();
        const std::string tally = c.code == kAllCopied ? "1 of 1 recorded copies are good\r\n"
                                  : unchecked ? "0 of 1 recorded copies are good; 1 has nothing"
                                              : "0 of 1 recorded copies are good; 1 not\r\n";
        EXPECT_GT(Log().rfind(tally) + 1, Log().rfind("check of the copies") + 1) << Log();
        before["C:\\Jobs\\Vintrel Backup.log"] = Log(); // the log alone is written
        for (const auto& [path, bytes] : meanwhile) before[path] = bytes;
        EXPECT_EQ(disk.files, before) << "nothing written";
    }
    setting.reportEvent = [](bool, const std::string&) { return false; };
    disk.files[copy] = "mall";
    EXPECT_EQ(Run({"/check", "C:\\Jobs"}), kSomeNotCopied);
    EXPECT_NE(Log().find("The Windows event log could not be written.\r\n"), std::string::npos);
}

TEST_F(ScheduledBackupTest, TheLogIsWrittenAsTheRunGoesNeverThroughALinkAndItsLossIsSaid) {
    Profile() = "E:\\Bak\\\r\nC:\\Mail\\a.pst|k|v\r\n";
    disk.files["C:\\Jobs\\Vintrel Backup.log"] = "earlier runs\r\n";
    // Killed in the middle of its copy, a run leaves its header and what it did so far.
    std::string whileCopying;
    disk.whileCopying = [&](const std::string&) { whileCopying = Log(); };
    EXPECT_EQ(Run({"/backup", "C:\\Jobs"}), kAllCopied);
    EXPECT_EQ(whileCopying, "earlier runs\r\n2026-12-08 14:03:05 backup with the profile "
                            "C:\\Jobs\\Vintrel Profile.txt\r\n");
    disk.whileCopying = nullptr;
    // A log that cannot be read in full is never cut down to what could be read.
    disk.cutShort.insert("C:\\Jobs\\Vintrel Backup.log");
    const std::string log = Log();
    EXPECT_EQ(Run({"/backup", "C:\\Jobs"}), kAllCopied);
    EXPECT_EQ(Log().rfind(log, 0), 0u);
    disk.cutShort.clear();
    // One past three quarters of its limit is cut to its newest half, then written on.
    std::string grown;
    while (grown.size() <= kLogLimit * 3 / 4)
        grown += "2026-12-01 02:00:00 backup with the profile C:\\Jobs\\Vintrel Profile.txt\r\n";
    disk.files["C:\\Jobs\\Vintrel Backup.log"] = grown;
    EXPECT_EQ(Run({"/backup", "C:\\Jobs"}), kAllCopied);
    EXPECT_LT(Log().size(), kLogLimit / 2 + 1000);
    EXPECT_NE(Log().find("2026-12-08 14:03:05 backup"), std::string::npos);
    // One run's lines stay within its share of the log: those of files that went well go first.
    std::string many = "E:\\Bak\\\r\n";
    for (int i = 0; i < 5000; ++i)
        many += (i == 2500 ? "C:\\Mail\\a" : "C:\\Gone\\m" + std::to_string(i)) + ".pst|k|v\r\n";
    Profile() = many;
    disk.files.erase("C:\\Jobs\\Vintrel Backup.log");
    disk.files.erase("E:\\Bak\\Mail\\a.pst");
    echoed.clear();
    EXPECT_EQ(Run({"/backup", "C:\\Jobs"}), kSomeNotCopied);
    EXPECT_EQ(echoed.size(), 5002u) << "the console shows every line";
    EXPECT_LE(Log().size(), kRunLogShare + 200);
    EXPECT_EQ(Log().find("a.pst: copied"), std::string::npos);
    EXPECT_NE(Log().find("m3000.pst: not copied"), std::string::npos);
    EXPECT_EQ(Log().find("m4999.pst"), std::string::npos);
    EXPECT_NE(Log().find(" lines were left out of the log, to keep it below its size\r\n"
                         "1 of 5000 files copied\r\n"),
              std::string::npos);
    Profile() = "E:\\Bak\\\r\nC:\\" + std::string(kRunLogShare, 'x') + ".pst|k|v\r\n";
    Run({"/backup", "C:\\Jobs"});
    EXPECT_NE(Log().find("\r\n1 line was left out of the log"), std::string::npos) << "one alone";
    // Lines that bring a run's to its share exactly are kept; a byte more is left out.
    const auto withName = [&](std::size_t n) {
        Profile() = "E:\\Bak\\\r\nC:\\" + std::string(n, 'x') + ".pst|k|v\r\n";
        echoed.clear();
        Run({"/backup", "C:\\Jobs"});
        return echoed.at(0).size() + echoed.at(1).size() + 4;
    };
    const std::size_t fits = kRunLogShare - withName(1000) + 1000;
    for (const std::size_t n : {fits, fits + 1}) {
        withName(n);
        const std::size_t run = Log().rfind("2026-12-08 14:03:05 backup");
        EXPECT_EQ(Log().find("left out of the log", run) == std::string::npos, n == fits);
    }
    Profile() = "E:\\Bak\\\r\nC:\\Mail\\a.pst|k|v\r\n";

    struct Case {
        const char* what;
        std::function<void()> arrange;
    };
    const Case cases[] = {
        {"a link at its name, to a file large enough to be cut",
         [&] {
             std::string& secret = disk.files["C:\\Secret\\x"];
             while (secret.size() < kLogLimit)
                 secret += "secret line sss\r\n";
             disk.AddLink("C:\\Jobs\\Vintrel Backup.log", "C:\\Secret\\x");
         }},
        {"a folder at its name", [&] { disk.MakeDirectoryPath("C:\\Jobs\\Vintrel Backup.log\\"); }},
        {"a read-only log", [&] { disk.readOnly.insert("C:\\Jobs\\Vintrel Backup.log"); }},
        {"a log whose first line the disk refuses", [&] { disk.failAt = test::FakeDisk::Step::Write; }},
        {"a log whose close the disk refuses at the end, the copy made",
         [&] {
             disk.afterRename = [&](const std::string&) {
                 disk.failAt = test::FakeDisk::Step::Close;
             };
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::FakeDisk fresh;
        disk = fresh;
        disk.files["C:\\Mail\\a.pst"] = "mail";
        disk.MakeDirectoryPath("E:\\Bak\\");
        Profile() = "E:\\Bak\\\r\nC:\\Mail\\a.pst|k|v\r\n";
        c.arrange();
        echoed.clear();
        EXPECT_EQ(Run({"/backup", "C:\\Jobs"}), kSomeNotCopied) << "copied, but nobody could see it";
        EXPECT_EQ(disk.files["E:\\Bak\\Mail\\a.pst"], "mail");
        EXPECT_EQ(echoed.back(), "The log C:\\Jobs\\Vintrel Backup.log could not be written.");
        EXPECT_EQ(echoed.end()[-2].rfind("The log", 0), std::string::npos) << "said once";
        // A restore not made loses its log as loudly (the same fault again: the write that
        // fails is counted from here).
        c.arrange();
        disk.writes = 0;
        disk.heldByWriter.insert("C:\\Mail\\a.pst");
        EXPECT_EQ(Run({"/restore", "C:\\Mail\\a.pst", "C:\\Jobs"}), kSomeNotCopied);
        EXPECT_EQ(echoed.back(), "The log C:\\Jobs\\Vintrel Backup.log could not be written.");
        for (const auto& [path, bytes] : disk.files) {
            EXPECT_TRUE(path == "C:\\Secret\\x" || bytes.find("sss") == std::string::npos) << path;
        }
    }
    disk.afterRename = nullptr; // so does a run that does nothing
    disk.failAt = test::FakeDisk::Step::None;
    disk.readOnly.insert("C:\\Jobs\\Vintrel Backup.log");
    EXPECT_EQ(Run({"/backup", "/bogus", "C:\\Jobs"}), kNothingDone);
    EXPECT_EQ(echoed.back(), "The log C:\\Jobs\\Vintrel Backup.log could not be written.");

    // Runs over one profile take turns: one that waited in vain does nothing and says so.
    test::FakeDisk fresh;
    disk = fresh;
    disk.files["C:\\Mail\\a.pst"] = "mail";
    Profile() = "E:\\Bak\\\r\nC:\\Mail\\a.pst|k|v\r\n";
    disk.MakeDirectoryPath("C:\\Jobs\\");
    disk.MakeDirectoryPath("E:\\Bak\\");
    std::vector<std::string> turns;
    setting.waitForTurn = [&](const std::string& name) {
        turns.push_back(name);
        return turns.size() == 1;
    };
    // A log of three quarters of the limit is not cut yet; one that another run writes never.
    std::string full = "2026-12-07 backup\r\n";
    full += std::string(kLogLimit * 3 / 4 - full.size() - 2, 'x') + "\r\n";
    disk.files["C:\\Jobs\\Vintrel Backup.log"] = full;
    EXPECT_EQ(Run({"/backup", "C:\\Jobs"}), kAllCopied);
    disk.files.erase("E:\\Bak\\Mail\\a.pst");
    EXPECT_EQ(Run({"/backup", "c:/jobs/"}), kNothingDone);
    EXPECT_EQ(Log().rfind(full, 0), 0u);
    EXPECT_FALSE(disk.files.count("E:\\Bak\\Mail\\a.pst"));
    ASSERT_EQ(turns.size(), 2u);
    EXPECT_EQ(PathKey(turns[0]), "c:\\jobs\\vintrel profile.lock") << "a file beside the profile";
    EXPECT_EQ(PathKey(turns[1]), PathKey(turns[0])) << "one turn for every spelling of the folder";
    EXPECT_NE(Log().find(" another run over this profile has not ended for a minute\r\nNothing was "
                         "done: another run over the profile is still going on."),
              std::string::npos);
    EXPECT_EQ(Run({"/restore", "C:\\Mail\\a.pst", "C:\\Jobs"}), kNothingDone); // a restore too
    EXPECT_NE(Log().rfind("still going on."), Log().find("still going on."));
}

} // namespace
} // namespace vintrel
