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
        disk.AddShare("\\\\server\\file.pst", 0x20);
    }
    test::FakeDisk disk;
};

TEST_F(ProbeTest, FilesGiveTheirSizeDirectoriesAndSharesMinusTwoNothingMinusOne) {
    const std::pair<const char*, std::int64_t> cases[] = {
        {"C:\\Mail\\box.pst", 1234},
        {"C:\\Mail\\empty.wab", 0},
        {"C:\\big.pst", 5LL * 1024 * 1024 * 1024 + 7},
        {"C:\\Mail", kProbeDirectory},
        {"C:\\Mail\\", kProbeDirectory},
        {"C:\\Mail\\\\\\", kProbeDirectory},
        {"C:\\Mail\\box.pst\\\\", 1234}, // its name is looked up without them
        {"\\\\server\\share", kProbeDirectory}, // found by its attributes only
        {"\\\\server\\share\\", kProbeDirectory},
        {"\\\\server\\other", kProbeNothing},
        {"\\\\server\\file.pst", kProbeNothing}, // its attributes are a file's
        {"", kProbeNothing},
        {"C:\\Mail\\gone.pst", kProbeNothing},
        {"\\", kProbeNothing},
    };
    for (const auto& [path, expected] : cases) {
        SCOPED_TRACE(path);
        EXPECT_EQ(ProbeFileSize(disk, path), expected);
    }
}

TEST_F(ProbeTest, DriveRootsAskOnlyTheDriveType) {
    EXPECT_EQ(ProbeFileSize(disk, "C:"), kProbeDirectory);
    EXPECT_EQ(ProbeFileSize(disk, "C:\\"), kProbeDirectory);
    EXPECT_EQ(ProbeFileSize(disk, "D:"), kProbeDirectory);
    EXPECT_EQ(ProbeFileSize(disk, "Q:"), kProbeNothing);
    EXPECT_EQ(ProbeFileSize(disk, "Q:\\"), kProbeNothing);
    EXPECT_EQ(disk.lookups, (std::vector<std::string>{"C:\\", "C:\\", "D:\\", "Q:\\", "Q:\\"}));
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
