// The backup run and the folder dialog against real files, real boxes and the real dialog.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include <windows.h>
#include <commctrl.h>

#include "win32/win32_disk.h"
#include "app/ids.h"
#include "backup/backup.h"
#include "app/file_list.h"
#include "app/paths.h"
#include "test_support.h"
#include "ui/folder_dialog.h"
#include "ui/main_window.h"
#include "window_fixture.h"
#include "app/texts.h"

namespace vintrel {
namespace {

using test::Contents;

// The fixture's .dbx begins as one does, so that it is taken for a sound mailbox.
const std::string kInbox = "\xCF\xAD\x12\xFE" + std::string(69996, 'i');

FILETIME LastWrite(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

class RealBackupTest : public test::MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        // Sources live on drive C: so their first three characters are the drive.
        src = source.path() + "\\";
        test::MakeDirectory(src + "Mail");
        test::MakeDirectory(src + "Mail\\Outlook Express");
        test::WriteFile(src + "Mail\\Outlook Express\\Inbox.dbx", kInbox);
        test::WriteFile(src + "Mail\\book.wab", "address book");
        test::WriteFile(src + "Mail\\empty.pab", "");
        test::WriteFile(src + "top.pab", "top");
        SetFileAttributesA((src + "Mail\\book.wab").c_str(), FILE_ATTRIBUTE_HIDDEN);
        state.targetPath = target.path() + "\\";
        for (const char* f :
             {"Mail\\Outlook Express\\Inbox.dbx", "Mail\\book.wab", "Mail\\empty.pab", "top.pab"}) {
            state.profileList.push_back(src + f + "|kind|version");
        }
    }
    // Where a source file is copied to: the target, then the source path less "C:\".
    std::string CopyOf(const std::string& relative) const {
        return state.targetPath + (src + relative).substr(3);
    }
    test::TempDir source{"C:"};
    test::TempDir target;
    std::string src;
    Win32Disk disk;
    Screen& screen = layer;
};

TEST_F(RealBackupTest, CopiesMatchTheirSourcesByteForByteWithAttributesAndTimes) {
    RunBackup(state, disk, screen);
    EXPECT_EQ(Status(), kAllBackedUpText);
    for (const char* f :
         {"Mail\\Outlook Express\\Inbox.dbx", "Mail\\book.wab", "Mail\\empty.pab", "top.pab"}) {
        SCOPED_TRACE(f);
        EXPECT_EQ(Contents(CopyOf(f)), Contents(src + f));
        const FILETIME copied = LastWrite(CopyOf(f)), original = LastWrite(src + f);
        EXPECT_EQ(CompareFileTime(&copied, &original), 0);
        EXPECT_EQ(GetFileAttributesA(CopyOf(f).c_str()), GetFileAttributesA((src + f).c_str()));
        EXPECT_EQ(GetFileAttributesA(TemporaryCopyPath(CopyOf(f)).c_str()),
                  INVALID_FILE_ATTRIBUTES);
    }
}

TEST_F(RealBackupTest, ASecondRunReplacesTheFirstRunsCopies) {
    RunBackup(state, disk, screen);
    test::WriteFile(src + "top.pab", "changed since");
    RunBackup(state, disk, screen);
    EXPECT_EQ(Contents(CopyOf("top.pab")), "changed since");
    EXPECT_EQ(Status(), kAllBackedUpText);
}

TEST_F(RealBackupTest, LockedAndMissingSourcesEachGetABoxAndTheRunGoesOn) {
    RunBackup(state, disk, screen); // good copies to keep
    state.profileList.insert(state.profileList.begin() + 1, src + "Mail\\gone.pst|k|v");
    HANDLE locked = CreateFileA((src + "top.pab").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    test::WriteFile(src + "Mail\\empty.pab", "new data");
    // An earlier copy that another program has open (sharing reads only) is not replaced.
    const std::string inbox = "Mail\\Outlook Express\\Inbox.dbx";
    test::WriteFile(src + inbox, kInbox + "newer mail");
    HANDLE reader = CreateFileA(CopyOf(inbox).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    // A folder where a copy goes is not replaced.
    DeleteFileA(CopyOf("Mail\\book.wab").c_str());
    test::MakeDirectory(CopyOf("Mail\\book.wab"));
    test::WriteFile(CopyOf("Mail\\book.wab") + "\\inside.txt", "kept");

    test::DialogAnswerer answerer;
    RunBackup(state, disk, screen);
    CloseHandle(locked);
    CloseHandle(reader);

    ASSERT_EQ(answerer.seen.size(), 4u);
    // Windows names the holder (here this very test) in between; Wine cannot tell.
    const std::string& held = answerer.seen[0].text;
    EXPECT_EQ(held.rfind("Inbox.dbx Not backed up. The earlier copy is open in another program", 0),
              0u)
        << held;
    EXPECT_EQ(held.substr(held.size() - 24), "; close it and try again") << held;
    EXPECT_EQ(Contents(CopyOf(inbox)), kInbox);
    EXPECT_EQ(GetFileAttributesA(TemporaryCopyPath(CopyOf(inbox)).c_str()),
              INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(answerer.seen[1].caption, "Error");
    EXPECT_EQ(answerer.seen[1].text, "gone.pst Not backed up. Source, target or disk error");
    EXPECT_EQ(answerer.seen[2].text, "book.wab Not backed up. Source, target or disk error");
    EXPECT_EQ(answerer.seen[3].text, "top.pab Not backed up. Source, target or disk error");
    EXPECT_EQ(Status(), "Error: 4 of 5 files were NOT backed up!");
    EXPECT_EQ(Contents(CopyOf("Mail\\book.wab") + "\\inside.txt"), "kept");
    EXPECT_EQ(GetFileAttributesA(TemporaryCopyPath(CopyOf("Mail\\book.wab")).c_str()),
              INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Contents(CopyOf("Mail\\empty.pab")), "new data") << "the run went on";
    EXPECT_EQ(Contents(CopyOf("top.pab")), "top") << "the earlier copy is kept";
    EXPECT_EQ(GetFileAttributesA(TemporaryCopyPath(CopyOf("top.pab")).c_str()),
              INVALID_FILE_ATTRIBUTES);
}

TEST_F(RealBackupTest, ATargetThatDoesNotExistYetIsCreated) {
    state.targetPath = target / "new\\deeper\\";
    RunBackup(state, disk, screen);
    EXPECT_EQ(Contents(CopyOf("top.pab")), "top");
}

TEST_F(RealBackupTest, ATargetThatIsDriveCUnderAnySpellingCopiesNothingOntoItself) {
    VINTREL_NEEDS_WINE();
    state.profileList = {src + "top.pab|k|v"};
    SetFileAttributesA((src + "top.pab").c_str(), FILE_ATTRIBUTE_READONLY);
    std::vector<std::string> targets = {"C:\\",        "c:/",         test::kAliasOfDriveC,
                                        "\\\\?\\C:\\", "\\\\.\\C:\\", src + "Mail\\..\\..\\..\\"};
    if (!test::DriveCFromOutside().empty()) targets.push_back(test::DriveCFromOutside());
    for (const std::string& target : targets) {
        SCOPED_TRACE(target);
        state.targetPath = target;
        test::DialogAnswerer answerer;
        RunBackup(state, disk, screen);
        ASSERT_EQ(answerer.seen.size(), 1u);
        EXPECT_EQ(answerer.seen[0].text, "top.pab" + std::string(kOntoItselfSuffix));
        EXPECT_EQ(Status(), "Error: 1 of 1 files were NOT backed up!");
        EXPECT_EQ(Contents(src + "top.pab"), "top");
        EXPECT_TRUE(GetFileAttributesA((src + "top.pab").c_str()) & FILE_ATTRIBUTE_READONLY);
        EXPECT_EQ(GetFileAttributesA(TemporaryCopyPath(src + "top.pab").c_str()),
                  INVALID_FILE_ATTRIBUTES);
    }
    SetFileAttributesA((src + "top.pab").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(RealBackupTest, MailInsideTheTargetIsBackedUpNeverOverwrittenAndSlashesMakeFolders) {
    VINTREL_NEEDS_WINE();
    test::MakeDirectory(src + "Data");
    test::MakeDirectory(src + "Data\\Outlook");
    test::WriteFile(src + "Data\\Outlook\\mail.pst", "kept in the target folder");
    state.targetPath = src + "Data\\";
    // Live mail at the very place another listed file's copy would go.
    const std::string live = CopyOf("top.pab");
    disk.MakeDirectoryPath(live);
    test::WriteFile(live, "live mail");
    state.profileList = {src + "top.pab|k|v", src + "Data\\Outlook\\mail.pst|k|v", live + "|k|v"};
    test::DialogAnswerer answerer;
    RunBackup(state, disk, screen);
    ASSERT_EQ(answerer.seen.size(), 1u);
    EXPECT_EQ(answerer.seen[0].text,
              "top.pab" + std::string(kOverwritesListedSuffix) + ", " + live + kOldCopyText);
    EXPECT_EQ(Contents(live), "live mail");
    EXPECT_EQ(Contents(CopyOf("Data\\Outlook\\mail.pst")), "kept in the target folder");
    EXPECT_EQ(Contents(CopyOf(live.substr(src.size()))), "live mail");

    // Two folders that differ in case only (a Linux drive under Wine) go to one destination:
    // the first is copied, the second says why not.
    const std::string unix = test::LinuxName(src);
    if (!unix.empty()) {
        ASSERT_TRUE(test::RunLinuxShell("mkdir -p '" + unix + "/cs/Mail' '" + unix +
                                        "/cs/mail' && echo one > '" + unix +
                                        "/cs/Mail/box.pst' && echo two > '" + unix +
                                        "/cs/mail/box.pst'"));
        state.targetPath = target.path() + "\\";
        state.profileList = {src + "cs\\Mail\\box.pst|k|v", src + "cs\\mail\\box.pst|k|v"};
        answerer.seen.clear();
        RunBackup(state, disk, screen);
        ASSERT_EQ(answerer.seen.size(), 1u);
        EXPECT_EQ(answerer.seen[0].text, "box.pst" + std::string(kSameDestinationSuffix) + ", " +
                                             src + "cs\\Mail\\box.pst");
        EXPECT_EQ(Contents(CopyOf("cs\\Mail\\box.pst")), "one\n");
    }

    std::string slashed = target.path() + "/";
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    state.targetPath = slashed;
    state.profileList = {src + "Mail\\book.wab|k|v"};
    RunBackup(state, disk, screen);
    EXPECT_EQ(Status(), kAllBackedUpText);
    EXPECT_EQ(Contents(target.path() + "\\" + (src + "Mail\\book.wab").substr(3)), "address book");
}

TEST_F(RealBackupTest, AHandWrittenTargetWithoutItsBackslashStillGetsTheCopiesInside) {
    state.targetPath = target.path();
    RunBackup(state, disk, screen);
    EXPECT_EQ(Contents(target.path() + "\\" + (src + "top.pab").substr(3)), "top");
    EXPECT_EQ(Status(), kAllBackedUpText);
}

TEST_F(RealBackupTest, ALongTargetIsRefusedWithItsBoxAndTheRunEnds) {
    // On a drive that is there: one that is not gets its one box before anything else.
    const std::string base = target.path() + "\\Backups of the accounting department mailboxes\\";
    state.targetPath = base + std::string(177 - base.size(), 'x') + "\\";
    ASSERT_EQ(state.targetPath.size(), 178u);
    state.profileList = {
        "C:\\Documents and Settings\\Administrator\\Local Settings\\Application Data\\"
        "Identities\\{4A8B2C1D-0E3F-4A5B-8C7D-9E0F1A2B3C4D}\\Microsoft\\Outlook "
        "Express\\Inbox.dbx|Outlook Express mailboxes|v6.0"};
    test::DialogAnswerer answerer;
    RunBackup(state, disk, screen);
    ASSERT_EQ(answerer.seen.size(), 1u);
    EXPECT_EQ(answerer.seen[0].text, std::string("Inbox.dbx") + kTooLongSuffix);
    EXPECT_EQ(Status(), "Error: 1 of 1 files were NOT backed up!");
    // Handed to the platform directly, such a directory path is refused, not a crash.
    disk.MakeDirectoryPath(PlanBackup(state.targetPath, state.profileList[0]).destinationDirectory);
}

// A disk on which a Linux program appends to a file while it is being copied: Windows'
// sharing shuts out Windows writers, not it.
class WrittenMeanwhileDisk : public Win32Disk {
public:
    std::unique_ptr<FileSource> OpenToCopy(const std::string& path, DiskError& why) override {
        auto source = Win32Disk::OpenToCopy(path, why);
        // Only the source, opened first, is written to: not the earlier copy read after it.
        if (!source || std::exchange(opened_, true)) return source;
        class Source : public FileSource {
        public:
            Source(std::unique_ptr<FileSource> inner, std::string path)
                : inner_(std::move(inner)), path_(std::move(path)) {}
            std::optional<FileFacts> Facts() override { return inner_->Facts(); }
            bool Read(char* buffer, std::size_t size, std::size_t& got) override {
                const bool done = inner_->Read(buffer, size, got);
                if (!written_) {
                    written_ = true;
                    EXPECT_TRUE(
                        test::RunLinuxShell("printf new >> '" + test::LinuxName(path_) + "'"));
                }
                return done;
            }
            DiskError Failure() override { return inner_->Failure(); }

        private:
            std::unique_ptr<FileSource> inner_;
            std::string path_;
            bool written_ = false;
        };
        return std::make_unique<Source>(std::move(source), path);
    }
    bool opened_ = false;
};

TEST_F(RealBackupTest, ASourceWrittenToDuringItsCopyKeepsTheEarlierCopy) {
    VINTREL_NEEDS_WINE();
    if (test::LinuxName(src).empty()) GTEST_SKIP() << "no Linux program to write meanwhile";
    RunBackup(state, disk, screen); // good copies to keep
    state.profileList = {src + "Mail\\Outlook Express\\Inbox.dbx|k|v"};
    WrittenMeanwhileDisk meanwhile;
    test::DialogAnswerer answerer;
    const BackupResult result = RunBackup(state, meanwhile, screen);
    ASSERT_EQ(result.files.size(), 1u);
    EXPECT_EQ(result.files[0].outcome, CopyOutcome::SourceChanged);
    ASSERT_EQ(answerer.seen.size(), 1u);
    EXPECT_EQ(answerer.seen[0].text, "Inbox.dbx Not backed up. Source, target or disk error");
    EXPECT_EQ(Contents(CopyOf("Mail\\Outlook Express\\Inbox.dbx")), kInbox);
    EXPECT_EQ(Contents(src + "Mail\\Outlook Express\\Inbox.dbx"), kInbox + "new");
    EXPECT_EQ(
        GetFileAttributesA(TemporaryCopyPath(CopyOf("Mail\\Outlook Express\\Inbox.dbx")).c_str()),
        INVALID_FILE_ATTRIBUTES);
}

TEST_F(RealBackupTest,
       AWriterThatHoldsTheSourceMakesItInUseAndALinkAtTheTemporaryNameIsNotFollowed) {
    VINTREL_NEEDS_WINE();
    RunBackup(state, disk, screen);
    state.profileList = {src + "top.pab|k|v", src + "Mail\\book.wab|k|v"};
    HANDLE writer =
        CreateFileA((src + "top.pab").c_str(), GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    test::WriteFile(target / "victim.txt", "not to be touched");
    ASSERT_TRUE(test::MakeLink(TemporaryCopyPath(CopyOf("Mail\\book.wab")), target / "victim.txt"));
    test::WriteFile(src + "Mail\\book.wab", "newer book");
    test::DialogAnswerer answerer;
    const BackupResult result = RunBackup(state, disk, screen);
    CloseHandle(writer);
    ASSERT_EQ(result.files.size(), 2u);
    EXPECT_EQ(result.files[0].outcome, CopyOutcome::InUse);
    EXPECT_EQ(Contents(CopyOf("top.pab")), "top") << "the earlier copy is kept";
    EXPECT_EQ(Contents(target / "victim.txt"), "not to be touched");
    // Windows removes the link itself. Wine reaches through a Linux link with every call:
    // where it cannot remove the link alone, it is left standing and the next free name is
    // taken. Either way the file is copied.
    EXPECT_EQ(result.files[1].outcome, CopyOutcome::Copied);
    EXPECT_EQ(Contents(CopyOf("Mail\\book.wab")), "newer book");
}

// A large earlier copy is moved aside and cut down piece by piece; one that is a link, or a
// file with another name too, is not the earlier copy's alone: what it leads to stays whole.
TEST_F(RealBackupTest, AnEarlierCopyThatIsALinkOrAHardLinkLeavesItsOtherFileWhole) {
    VINTREL_NEEDS_WINE();
    const std::string hard = CopyOf("Mail\\book.wab"), soft = CopyOf("top.pab");
    disk.MakeDirectoryPath(hard.substr(0, hard.rfind('\\') + 1));
    std::vector<std::string> victims;
    for (const char* name : {"hard-victim.bin", "soft-victim.bin"}) {
        victims.push_back(target / name);
        test::WriteFile(victims.back(), "KEEP");
        HANDLE file = CreateFileA(victims.back().c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  0, nullptr);
        LARGE_INTEGER size;
        size.QuadPart = static_cast<LONGLONG>(kReleaseStep) * 2;
        SetFilePointerEx(file, size, nullptr, FILE_BEGIN);
        SetEndOfFile(file);
        CloseHandle(file);
    }
    ASSERT_TRUE(CreateHardLinkA(hard.c_str(), victims[0].c_str(), nullptr));
    const bool linked = test::MakeLink(soft, victims[1]);
    // A hard link to the very source: the copy takes the name, the source keeps its own.
    const std::string inbox = src + "Mail\\Outlook Express\\Inbox.dbx";
    disk.MakeDirectoryPath(CopyOf("Mail\\Outlook Express\\"));
    ASSERT_TRUE(CreateHardLinkA(CopyOf("Mail\\Outlook Express\\Inbox.dbx").c_str(), inbox.c_str(),
                                nullptr));
    state.profileList = {src + "Mail\\book.wab|k|v", src + "top.pab|k|v", inbox + "|k|v"};
    RunBackup(state, disk, screen);
    EXPECT_EQ(Status(), kAllBackedUpText);
    test::WriteFile(inbox, "written after the backup");
    EXPECT_EQ(Contents(CopyOf("Mail\\Outlook Express\\Inbox.dbx")), kInbox);
    EXPECT_EQ(Contents(hard), "address book");
    if (linked) {
        EXPECT_EQ(Contents(soft), "top");
    }
    for (const std::string& victim : victims) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        ASSERT_TRUE(GetFileAttributesExA(victim.c_str(), GetFileExInfoStandard, &data)) << victim;
        EXPECT_EQ(data.nFileSizeLow, kReleaseStep * 2) << victim;
        EXPECT_EQ(Contents(victim).substr(0, 4), "KEEP") << victim;
    }
}

TEST_F(RealBackupTest, LinksPlantedInTheTargetAreNotWrittenThrough) {
    VINTREL_NEEDS_WINE();
    // A folder link where the mail's folder goes, and a link at a copy's name to a read-only
    // file elsewhere.
    test::TempDir elsewhere;
    disk.MakeDirectoryPath(CopyOf(""));
    ASSERT_TRUE(test::MakeLink(CopyOf("Mail"), elsewhere.path()));
    test::WriteFile(elsewhere / "victim.pab", "victim");
    SetFileAttributesA((elsewhere / "victim.pab").c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(test::MakeLink(CopyOf("top.pab"), elsewhere / "victim.pab"));
    test::DialogAnswerer answerer;
    const BackupResult result = RunBackup(state, disk, screen);
    ASSERT_EQ(result.files.size(), 4u);
    for (const FileResult& file : result.files) {
        EXPECT_EQ(file.outcome, CopyOutcome::ThroughLink) << file.source;
    }
    EXPECT_EQ(Contents(elsewhere / "victim.pab"), "victim");
    EXPECT_TRUE(GetFileAttributesA((elsewhere / "victim.pab").c_str()) & FILE_ATTRIBUTE_READONLY);
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((elsewhere / "*.pst").c_str(), &found);
    EXPECT_EQ(find, INVALID_HANDLE_VALUE) << "nothing written through the folder link";
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
    SetFileAttributesA((elsewhere / "victim.pab").c_str(), FILE_ATTRIBUTE_NORMAL);
    test::RemoveLink(CopyOf("Mail"));
    test::RemoveLink(CopyOf("top.pab"));
}

// Swaps a Linux link to a victim in at a name the run makes, at the very step after it.
class RacingDisk : public Win32Disk {
public:
    explicit RacingDisk(std::string victim) : victim_(std::move(victim)) {}
    void SwapIn(const std::string& name) {
        const std::string at = "'" + test::LinuxName(name) + "'";
        EXPECT_TRUE(test::RunLinuxShell(
            "if [ -d " + at + " ]; then mv " + at + " " + at + "~ && ln -s '" +
            test::LinuxName(lure) + "' " + at + "; else rm -f " + at + " && ln -s '" +
            test::LinuxName(victim_) + "' " + at + "; fi"));
    }
    // Right after the earlier copy was moved aside to its second name.
    std::unique_ptr<HeldFile> HoldSoleFile(const std::string& path, DiskError& why) override {
        std::unique_ptr<HeldFile> held = Win32Disk::HoldSoleFile(path, why);
        if (!held) return held;
        class Held : public HeldFile {
        public:
            Held(std::unique_ptr<HeldFile> inner, RacingDisk& disk)
                : inner_(std::move(inner)), disk_(disk) {}
            std::uint64_t Size() override { return inner_->Size(); }
            bool MoveTo(const std::string& to) override {
                const bool moved = inner_->MoveTo(to);
                if (moved && to.size() > 5 && to.compare(to.size() - 5, 5, ".~old") == 0) disk_.SwapIn(to);
                return moved;
            }
            bool Shrink(std::uint64_t bytes) override { return inner_->Shrink(bytes); }
            bool Delete() override { return inner_->Delete(); }
            bool SetReadOnly(bool on) override { return inner_->SetReadOnly(on); }

        private:
            std::unique_ptr<HeldFile> inner_;
            RacingDisk& disk_;
        };
        return std::make_unique<Held>(std::move(held), *this);
    }
    // Right before the new copy takes its name.
    std::unique_ptr<FileWriter> CreateNewFile(const std::string& path, DiskError& why) override {
        std::unique_ptr<FileWriter> copy = Win32Disk::CreateNewFile(path, why);
        if (copy && !raceMade.empty() && FileNamePart(path) == raceMade) SwapIn(raceAt);
        if (!copy || !raceTemporary) return copy;
        class Writer : public FileWriter {
        public:
            Writer(std::unique_ptr<FileWriter> inner, RacingDisk& disk, std::string path)
                : inner_(std::move(inner)), disk_(disk), path_(std::move(path)) {}
            bool Write(const char* data, std::size_t size) override { return inner_->Write(data, size); }
            bool SetLastWriteTime(std::uint64_t time) override { return inner_->SetLastWriteTime(time); }
            bool Flush() override { return inner_->Flush(); }
            bool SetMarks(std::uint32_t marks) override { return inner_->SetMarks(marks); }
            bool MoveOver(const std::string& destination) override {
                disk_.SwapIn(path_);
                return inner_->MoveOver(destination);
            }
            std::string FinalPath() override { return inner_->FinalPath(); }
            bool Discard() override { return inner_->Discard(); }
            std::unique_ptr<FileSource> ReadBack(DiskError& why) override {
                return inner_->ReadBack(why);
            }
            bool Close() override { return inner_->Close(); }
            DiskError Failure() override { return inner_->Failure(); }

        private:
            std::unique_ptr<FileWriter> inner_;
            RacingDisk& disk_;
            std::string path_;
        };
        return std::make_unique<Writer>(std::move(copy), *this, path);
    }
    // As the source is opened: a folder moved aside and a link to the victim's folder put in
    // its place.
    std::unique_ptr<FileSource> OpenToCopy(const std::string& path, DiskError& why) override {
        if (!swapFolder.empty()) {
            const std::string folder = test::LinuxName(swapFolder);
            EXPECT_TRUE(test::RunLinuxShell("mv '" + folder + "' '" + folder + "~' && ln -s '" +
                                            test::LinuxName(DirectoryPart(victim_)) + "' '" +
                                            folder + "'"));
        }
        return Win32Disk::OpenToCopy(path, why);
    }
    bool raceTemporary = false;
    std::string swapFolder;
    std::string raceMade, raceAt, lure; // as a file of one name is made, a link at the other

private:
    std::string victim_;
};

TEST_F(RealBackupTest, ALinkRacedInAtANameTheRunMakesIsNeverFollowed) {
    VINTREL_NEEDS_WINE();
    if (test::LinuxName(src).empty()) GTEST_SKIP() << "no Linux link to race in";
    test::TempDir elsewhere;
    const std::string victim = elsewhere / "victim.bin";
    test::WriteFile(victim, "victim");
    RacingDisk racing(victim);
    // A large earlier copy, moved aside and given back: a link put at its second name the
    // moment it takes it cuts nothing.
    const std::string copy = CopyOf("Mail\\empty.pab");
    disk.MakeDirectoryPath(copy);
    test::WriteFile(copy, "earlier");
    HANDLE file = CreateFileA(copy.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER size;
    size.QuadPart = static_cast<LONGLONG>(kReleaseStep) * 2;
    SetFilePointerEx(file, size, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);
    state.profileList = {src + "Mail\\empty.pab|k|v"};
    RunBackup(state, racing, screen);
    EXPECT_EQ(Contents(victim), "victim");
    EXPECT_EQ(Contents(copy), "");
    test::RemoveLink(ReleasedCopyPath(copy));
    // A link put at the temporary name right before the swap is never taken for the copy.
    racing.raceTemporary = true;
    state.profileList = {src + "top.pab|k|v"};
    test::DialogAnswerer answerer;
    const BackupResult result = RunBackup(state, racing, screen);
    ASSERT_EQ(result.files.size(), 1u);
    EXPECT_NE(result.files[0].outcome, CopyOutcome::Copied);
    EXPECT_EQ(Contents(victim), "victim");
    // (Wine moved the link to the copy's name, and cannot remove it alone: it stays, as
    // anyone who may write in the target could have put it there; the next run replaces it.)
    test::RemoveLink(CopyOf("top.pab"));
    // A folder on the way swapped for a link as the source is opened (nothing holds a Linux
    // program back): nothing is written through it, and the file there stays as it was.
    racing.raceTemporary = false;
    racing.swapFolder = CopyOf("Mail");
    test::WriteFile(elsewhere / "book.wab", "outside");
    state.profileList = {src + "Mail\\book.wab|k|v"};
    const BackupResult swapped = RunBackup(state, racing, screen);
    ASSERT_EQ(swapped.files.size(), 1u);
    EXPECT_EQ(swapped.files[0].outcome, CopyOutcome::LinkSwappedIn);
    EXPECT_EQ(Contents(elsewhere / "book.wab"), "outside");
    EXPECT_EQ(GetFileAttributesA(TemporaryCopyPath(elsewhere / "book.wab").c_str()),
              INVALID_FILE_ATTRIBUTES);
    test::RemoveLink(CopyOf("Mail"));
    racing.swapFolder.clear();
    // The log's name, a link put there after any check by name: nothing goes through it.
    ASSERT_TRUE(test::MakeLink(state.targetPath + "log.txt", victim));
    DiskError why = DiskError::None;
    EXPECT_FALSE(racing.OpenToAppend(state.targetPath + "log.txt", why));
    test::RemoveLink(state.targetPath + "log.txt");
    // A link to the read-only victim at each name the run makes (its folder too), as it is made.
    SetFileAttributesA(victim.c_str(), FILE_ATTRIBUTE_READONLY);
    racing.lure = elsewhere.path();
    ASSERT_TRUE(test::MakeLink(elsewhere / "race3.pab.~vt", victim) &&
                test::MakeLink(elsewhere / "Vintrel Copies.tmp", victim));
    const struct { const char* made; std::string at; bool copied; } races[] = {
                 {"race0.pab.~vt", TemporaryCopyPath(CopyOf("race0.pab")), true},
                 {"Vintrel Copies.tmp", state.targetPath + "Vintrel Copies.tmp", true},
                 {"race2.pab.~vt", CopyOf("race2.pab"), false},
                 {"race3.pab.~vt", OwnFolderPath(DirectoryPart(CopyOf("race3.pab")), 0), false},
                 {"Vintrel Copies.tmp", OwnFolderPath(state.targetPath, 0), false}};
    for (std::size_t i = 0; i < std::size(races); ++i) {
        const std::string name = "race" + std::to_string(i) + ".pab";
        test::WriteFile(src + name, "raced");
        SetFileAttributesA((src + name).c_str(), FILE_ATTRIBUTE_HIDDEN); // its mark goes too
        test::WriteFile(CopyOf(name), "earlier");
        state.profileList = {src + name + "|k|v"};
        racing.raceMade = races[i].made, racing.raceAt = races[i].at;
        const BackupResult raced = RunBackup(state, racing, screen);
        EXPECT_EQ(raced.files.at(0).outcome == CopyOutcome::Copied, races[i].copied) << name;
        EXPECT_EQ(Contents(CopyOf(name)), races[i].copied ? "raced" : i == 2 ? "victim" : "earlier");
        EXPECT_TRUE(Contents(victim) == "victim" &&
                    (GetFileAttributesA(victim.c_str()) & FILE_ATTRIBUTE_READONLY)) << name;
        test::RunLinuxShell("rm -rf '" + test::LinuxName(races[i].at) + "~'; find '" +
                            test::LinuxName(target.path()) + "' -type l -delete"); // what it left
    }
    // A folder link whose name differs from a held folder's in case only is no folder held.
    std::string mail = test::LinuxName(CopyOf("Mail")), from = test::LinuxName(src + "Mail");
    from.replace(from.size() - 4, 4, "MAIL");
    ASSERT_TRUE(test::RunLinuxShell("mkdir -p '" + mail + "' '" + from + "' && echo x > '" + from +
                                    "/x.pst' && ln -s '" + test::LinuxName(elsewhere.path()) +
                                    "' '" + mail.substr(0, mail.size() - 4) + "MAIL'"));
    state.profileList = {src + "Mail\\book.wab|k|v", src + "MAIL\\x.pst|k|v"};
    const BackupResult cased = RunBackup(state, disk, screen);
    EXPECT_EQ(cased.files.at(1).outcome, CopyOutcome::ThroughLink);
    EXPECT_EQ(GetFileAttributesA((elsewhere / "x.pst").c_str()), INVALID_FILE_ATTRIBUTES);
    test::RunLinuxShell("rm '" + mail.substr(0, mail.size() - 4) + "MAIL'");
}

TEST_F(RealBackupTest, FilesOver4GiBAreCopiedExactly) {
    // Some 25 s under Wine: make bench runs it.
    if (!GetEnvironmentVariableA("VINTREL_BIG_FILES", nullptr, 0)) GTEST_SKIP() << "make bench";
    // 4 GiB and a half of nothing, marked at its head and its tail (sparse under Wine).
    const std::string big = src + "Mail\\big.pab";
    HANDLE file = CreateFileA(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0, returned = 0;
    WriteFile(file, "HEAD", 4, &written, nullptr);
    LARGE_INTEGER at;
    at.QuadPart = (9LL << 29) - 4;
    SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
    WriteFile(file, "TAIL", 4, &written, nullptr);
    CloseHandle(file);
    state.profileList = {big + "|k|v"};
    RunBackup(state, disk, screen);
    EXPECT_EQ(Status(), kAllBackedUpText);
    const std::string copy = CopyOf("Mail\\big.pab");
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExA(copy.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ((std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow, 9ULL << 29);
    HANDLE read = CreateFileA(copy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    ASSERT_NE(read, INVALID_HANDLE_VALUE);
    char head[4] = {}, tail[4] = {};
    ReadFile(read, head, 4, &returned, nullptr);
    SetFilePointerEx(read, at, nullptr, FILE_BEGIN);
    ReadFile(read, tail, 4, &returned, nullptr);
    CloseHandle(read);
    EXPECT_EQ(std::string(head, 4), "HEAD");
    EXPECT_EQ(std::string(tail, 4), "TAIL");
    DeleteFileA(copy.c_str());
    DeleteFileA(big.c_str());
}

class FolderDialogTest : public test::MainWindowTest {};

TEST_F(FolderDialogTest, ConfirmingGivesThePathWithOneBackslash) {
    test::TempDir dir{"C:"};
    test::DialogAnswerer answerer(IDOK);
    EXPECT_EQ(ShowFolderDialog("Please select the path to backup to", dir.path()),
              dir.path() + "\\");
    ASSERT_EQ(answerer.seen.size(), 1u);
    EXPECT_NE(answerer.seen[0].text.find("Please select the path to backup to"), std::string::npos)
        << answerer.seen[0].text;
    EXPECT_EQ(ShowFolderDialog("Pick", dir.path() + "\\"), dir.path() + "\\");
    EXPECT_EQ(ShowFolderDialog("Pick", "C:\\"), "C:\\") << "a drive root gets no second backslash";
}

TEST_F(FolderDialogTest, CancellingEmptiesTheTargetButNotTheField) {
    layer.SetGadgetText(kTargetPathField, "D:\\Old\\");
    state.targetPath = "D:\\Old\\";
    {
        test::DialogAnswerer answerer(IDCANCEL);
        ChooseTargetPath(state, layer);
        EXPECT_EQ(answerer.seen.size(), 1u);
    }
    EXPECT_EQ(state.targetPath, "");
    EXPECT_EQ(test::TextOf(Gadget(kTargetPathField)), "D:\\Old\\");
    EXPECT_EQ(Status(), kTargetEmptyText);
}

} // namespace
} // namespace vintrel
