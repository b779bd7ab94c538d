// Loading and saving the profile against real files.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "win32/win32_disk.h"
#include "app/ids.h"
#include "profile/profile.h"
#include "profile/profile_format.h"
#include "test_support.h"
#include "ui/main_window.h"
#include "window_fixture.h"
#include "app/texts.h"

namespace vintrel {
namespace {

class RealProfileTest : public test::MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        state.startupDirectory = dir.path() + "\\";
        profile = dir / "Vintrel Profile.txt";
        test::MakeDirectory(dir / "Save");
        test::WriteFile(dir / "box.pst", "mail");
    }
    std::string TargetField() { return test::TextOf(Gadget(kTargetPathField)); }
    test::TempDir dir;
    std::string profile;
    Win32Disk disk;
    Screen& screen = layer;
    test::DialogAnswerer answerer; // boxes are answered and recorded
};

TEST_F(RealProfileTest, LoadsRowsAndTargetAndSavesTheSameBytes) {
    const std::string original = dir / "Save\\" + "\r\n" + dir / "box.pst" +
                                 "|Outlook personal folders|[No idea]\r\n" + dir / "gone.wab" +
                                 "|Windows address book|[No idea]\r\n";
    test::WriteFile(profile, original);
    LoadProfile(state, disk, screen);
    EXPECT_EQ(Status(), kProfileLoadedText);
    EXPECT_EQ(TargetField(), dir / "Save\\");
    EXPECT_EQ(SendMessageA(Gadget(kFileList), LVM_GETITEMCOUNT, 0, 0), 2);
    ASSERT_EQ(state.profileList.size(), 2u);
    SaveProfile(state, disk, screen);
    EXPECT_EQ(test::Contents(profile), original);
    EXPECT_EQ(GetFileAttributesA((dir / "Vintrel Profile.tmp").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(answerer.seen.empty());
}

TEST_F(RealProfileTest, TargetFieldTellsAMissingTargetOrAPlainFile) {
    const std::pair<std::string, std::string> cases[] = {
        {dir / "Save\\", dir / "Save\\"},
        {dir / "Save", dir / "Save"},
        {"C:\\", "C:\\"},
        {dir / "Nowhere\\", dir / "Nowhere\\  (Does not exist)"},
        {dir / "box.pst", dir / "box.pst  (Does not exist)"},
    };
    for (const auto& [target, shown] : cases) {
        SCOPED_TRACE(target);
        test::WriteFile(profile, target + "\r\n");
        LoadProfile(state, disk, screen);
        EXPECT_EQ(state.targetPath, target);
        EXPECT_EQ(TargetField(), shown);
    }
}

TEST_F(RealProfileTest, EmptyDirectoryNamedAndLockedProfilesAreReportedAndKept) {
    test::WriteFile(profile, "");
    LoadProfile(state, disk, screen);
    EXPECT_EQ(Status(), kProfileEmptyText);

    DeleteFileA(profile.c_str());
    test::MakeDirectory(profile);
    LoadProfile(state, disk, screen);
    EXPECT_EQ(Status(), kProfileUnreadableText);
    SaveProfile(state, disk, screen);
    EXPECT_EQ(GetFileAttributesA(profile.c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    RemoveDirectoryA(profile.c_str());

    const std::string original =
        "C:\\Keep\\\r\nC:\\keep.pst|Outlook personal folders|[No idea]\r\n";
    test::WriteFile(profile, original);
    HANDLE held = CreateFileA(profile.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    state = AppState{};
    state.startupDirectory = dir.path() + "\\";
    LoadProfile(state, disk, screen);
    EXPECT_EQ(Status(), kProfileUnreadableText);
    EXPECT_TRUE(state.profileList.empty());
    CloseHandle(held);
    SaveProfile(state, disk, screen);
    EXPECT_EQ(test::Contents(profile), original) << "what could not be read is not overwritten";
}

TEST_F(RealProfileTest, AHiddenProfileIsReplacedAndStaysHidden) {
    test::WriteFile(profile, "C:\\Old\\\r\n");
    SetFileAttributesA(profile.c_str(), FILE_ATTRIBUTE_HIDDEN);
    LoadProfile(state, disk, screen);
    state.targetPath = "C:\\New\\";
    SaveProfile(state, disk, screen);
    EXPECT_TRUE(answerer.seen.empty());
    EXPECT_EQ(test::Contents(profile), "C:\\New\\\r\n");
    EXPECT_TRUE(GetFileAttributesA(profile.c_str()) & FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(RealProfileTest, AProfilePathOf258CharactersIsSavedWithTheChosenTarget) {
    const std::string folder = dir.path() + "\\" + std::string(237 - dir.path().size(), 'f');
    test::MakeDirectory(folder);
    state.startupDirectory = folder + "\\";
    ASSERT_EQ(ProfilePath(state).size(), 258u);
    state.targetPath = dir / "Save\\"; // as the folder dialog gives it
    SaveProfile(state, disk, screen);
    EXPECT_TRUE(answerer.seen.empty());
    EXPECT_EQ(test::Contents(ProfilePath(state)), dir / "Save\\" + "\r\n");
}

TEST_F(RealProfileTest, AProfileThatCannotBeReplacedStaysAsItWasAndABoxSaysSo) {
    const std::string original = "C:\\Old\\\r\n";
    test::WriteFile(profile, original);
    SetFileAttributesA(profile.c_str(), FILE_ATTRIBUTE_READONLY);
    state.targetPath = "C:\\New\\";
    SaveProfile(state, disk, screen);
    SetFileAttributesA(profile.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(test::Contents(profile), original);
    EXPECT_EQ(GetFileAttributesA((dir / "Vintrel Profile.tmp").c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_EQ(answerer.seen.size(), 1u);
    EXPECT_EQ(answerer.seen[0].caption, "Error");
    EXPECT_EQ(answerer.seen[0].text, kProfileNotSavedText);
}

TEST_F(RealProfileTest, ALinkAtTheTemporaryNameIsRemovedNeverFollowed) {
    VINTREL_NEEDS_WINE();
    test::WriteFile(dir / "victim.txt", "not to be touched");
    ASSERT_TRUE(test::MakeLink(dir / "Vintrel Profile.tmp", dir / "victim.txt"));
    state.targetPath = dir / "Save\\";
    test::WriteFile(profile, "old\r\n");
    SaveProfile(state, disk, screen);
    EXPECT_EQ(test::Contents(dir / "victim.txt"), "not to be touched");
    // Windows removes the link itself. Wine reaches through a Linux link with every call:
    // where it cannot remove the link alone, it is left standing and the next free name is
    // taken. Either way the profile is saved.
    EXPECT_TRUE(answerer.seen.empty());
    EXPECT_EQ(test::Contents(profile), dir / "Save\\" + "\r\n");
    EXPECT_EQ(GetFileAttributesA((dir / "Vintrel Profile.tmp1").c_str()), INVALID_FILE_ATTRIBUTES);
}

} // namespace
} // namespace vintrel
