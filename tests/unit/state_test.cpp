#include <tuple>

#include <gtest/gtest.h>

#include "app/state.h"
#include "app/texts.h"
#include "profile/profile.h"

namespace vintrel {
namespace {

TEST(SharedState, StartupDirectoryAlwaysEndsInOneBackslash) {
    const std::string plain = "C:\\Users\\me";
    const std::string root = "C:\\";
    const std::string unc = "\\\\server\\share\\dir";
    EXPECT_EQ(StartupDirectoryFrom(&plain), "C:\\Users\\me\\");
    EXPECT_EQ(StartupDirectoryFrom(&root), "C:\\");
    EXPECT_EQ(StartupDirectoryFrom(&unc), "\\\\server\\share\\dir\\");
}

TEST(SharedState, UnknownCurrentDirectoryLeavesBlanksThatNameNoProfile) {
    AppState state;
    InitSharedState(state, nullptr);
    EXPECT_EQ(state.startupDirectory, std::string(512, ' '));
    EXPECT_EQ(ProfilePath(state), std::string(512, ' ') + "Vintrel Profile.txt");
}

TEST(SharedState, StartsWithItsFixedValues) {
    AppState state;
    // Before it is set up: not quitting, no profile read.
    EXPECT_EQ(std::tuple(state.windowColour, state.quitFlag, state.profileUnread),
              std::tuple(0u, 0, false));
    EXPECT_FALSE(state.profileLoaded);
    state.targetPath = "left over";
    state.profileList = {"x|y|z"};
    state.quitFlag = 1;
    state.profileUnread = true;
    const std::string dir = "C:\\";
    InitSharedState(state, &dir);
    EXPECT_EQ(ProfilePath(state), "C:\\Vintrel Profile.txt");
    EXPECT_EQ(state.windowColour, 0x00FDBE99u);
    EXPECT_EQ(state.spinnerString, "|/-\\/-");
    EXPECT_EQ(state.dayNames[0], "Sunday");
    EXPECT_EQ(state.dayNames[6], "Saturday");
    EXPECT_EQ(state.monthNames[0], "January");
    EXPECT_EQ(state.monthNames[8], "September");
    EXPECT_EQ(state.monthNames[11], "December");
    EXPECT_EQ(std::tuple(state.quitFlag, state.profileUnread), std::tuple(0, false));
    EXPECT_TRUE(state.targetPath.empty());
    EXPECT_TRUE(state.profileList.empty());
}

// Users and their scripts know these words: they stay as they are, byte for byte.
TEST(SharedState, TheWindowsOwnWordsStayByteForByte) {
    const std::pair<std::string, const char*> words[] = {
        {kProfileNotFoundText, "Error: Default backup profile not found, please press the "
                               "'Search for files now' button to find and create a backup profile"},
        {kProfileEmptyText, "Error: The backup profile was found but seems to be empty!"},
        {kProfileUnreadableText, "Error: The backup profile was found but could not be processed!"},
        {kProfileLoadedText, "Information: Default backup profile loaded successfully!"},
        {kProfileNotSavedText,
         "Error: The backup profile could not be saved to disk for some reason!"},
        {kSearchStartText,
         "Information: searching default drive 'C:' in expected user profile directory"},
        {kSearchDoneText, "Information: Job finished. Found all there was to find"},
        {kTargetEmptyText,
         "Error: Backup path is empty so no backup can be performed, please set it now!"},
        {kNothingToBackupText, "Error: There is nothing in the list to backup!"},
        {kAllBackedUpText, "Information: All files seem to have been backed up okay!!"},
        {kTooLongSuffix,
         " Will NOT be backed up. Combined windows path length exceeds 256 characters"},
    };
    for (const auto& [word, text] : words)
        EXPECT_EQ(word, text);
}

} // namespace
} // namespace vintrel
