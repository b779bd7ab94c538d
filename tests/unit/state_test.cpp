#include <tuple>

#include <gtest/gtest.h>

#include "app/state.h"
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
    EXPECT_EQ(state.quitFlag, 0);
    EXPECT_TRUE(state.targetPath.empty());
    EXPECT_TRUE(state.profileList.empty());
}

} // namespace
} // namespace vintrel
