#include <gtest/gtest.h>

#include "app/probe.h"
#include "fakes.h"

namespace vintrel {
namespace {

class ProbeTest : public ::testing::Test {
protected:
    void SetUp() override {
        disk.AddDrive("C:\\");
        disk.AddDrive("D:\\", 5);
        disk.AddDirectory("C:\\Mail");
        disk.AddFile("C:\\Mail\\box.pst", 1234);
        disk.AddFile("C:\\Mail\\empty.wab", 0);
        disk.AddFile("C:\\big.pst", 5ULL * 1024 * 1024 * 1024 + 7);
        disk.AddShare("\\\\server\\share");
    }
    test::FakeDisk disk;
};

TEST_F(ProbeTest, FilesGiveTheirFullSize) {
    EXPECT_EQ(ProbeFileSize(disk, "C:\\Mail\\box.pst"), 1234);
    EXPECT_EQ(ProbeFileSize(disk, "C:\\Mail\\empty.wab"), 0);
    EXPECT_EQ(ProbeFileSize(disk, "C:\\big.pst"), 5LL * 1024 * 1024 * 1024 + 7);
}

TEST_F(ProbeTest, DirectoriesGiveMinusTwoWithAnyTrailingBackslashes) {
    EXPECT_EQ(ProbeFileSize(disk, "C:\\Mail"), kProbeDirectory);
    EXPECT_EQ(ProbeFileSize(disk, "C:\\Mail\\"), kProbeDirectory);
    EXPECT_EQ(ProbeFileSize(disk, "C:\\Mail\\\\\\"), kProbeDirectory);
}

TEST_F(ProbeTest, DriveRootsAskOnlyTheDriveType) {
    EXPECT_EQ(ProbeFileSize(disk, "C:"), kProbeDirectory);
    EXPECT_EQ(ProbeFileSize(disk, "C:\\"), kProbeDirectory);
    EXPECT_EQ(ProbeFileSize(disk, "D:"), kProbeDirectory);
    EXPECT_EQ(ProbeFileSize(disk, "Q:"), kProbeNothing);
    EXPECT_EQ(ProbeFileSize(disk, "Q:\\"), kProbeNothing);
    EXPECT_EQ(disk.lookups, (std::vector<std::string>{"C:\\", "C:\\", "D:\\", "Q:\\", "Q:\\"}));
}

TEST_F(ProbeTest, NothingThereGivesMinusOne) {
    EXPECT_EQ(ProbeFileSize(disk, ""), kProbeNothing);
    EXPECT_EQ(ProbeFileSize(disk, "C:\\Mail\\gone.pst"), kProbeNothing);
    EXPECT_EQ(ProbeFileSize(disk, "\\"), kProbeNothing);
}

TEST_F(ProbeTest, NetworkSharesAreFoundByTheirAttributes) {
    EXPECT_EQ(ProbeFileSize(disk, "\\\\server\\share"), kProbeDirectory);
    EXPECT_EQ(ProbeFileSize(disk, "\\\\server\\share\\"), kProbeDirectory);
    EXPECT_EQ(ProbeFileSize(disk, "\\\\server\\other"), kProbeNothing);
}

TEST_F(ProbeTest, WildcardsNameNoFileAndAreNeverLookedUp) {
    for (const char* path : {"C:\\Mail\\*.pst", "C:\\Mail\\box.ps?", "C:\\*", "*", "C:\\Ma?l"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(ProbeFileSize(disk, path), kProbeNothing);
    }
    EXPECT_TRUE(disk.lookups.empty());
}

TEST_F(ProbeTest, OverlongPathsAreNotCutToAShorterOne) {
    // The first 259 characters of this path name an existing file.
    std::string existing = "C:\\" + std::string(252, 'a') + ".pst";
    ASSERT_EQ(existing.size(), kMaxPathChars);
    disk.AddFile(existing, 99);
    EXPECT_EQ(ProbeFileSize(disk, existing), 99);
    EXPECT_EQ(ProbeFileSize(disk, existing + "x"), kProbeNothing);
    EXPECT_EQ(ProbeFileSize(disk, existing + std::string(300, 'x')), kProbeNothing);
}

} // namespace
} // namespace vintrel
