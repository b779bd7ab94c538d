// The size probe against real files, directories and drives.
#include <gtest/gtest.h>

#include <windows.h>
#include <winioctl.h>

#include "win32/win32_disk.h"
#include "app/probe.h"
#include "test_support.h"

namespace vintrel {
namespace {

using test::TempDir;

class RealProbeTest : public ::testing::Test {
protected:
    std::int64_t Probe(const std::string& path) { return ProbeFileSize(disk, path); }
    Win32Disk disk;
    TempDir dir;
};

TEST_F(RealProbeTest, FilesGiveTheirSizeHiddenAndSystemOnesToo) {
    test::WriteFile(dir / "box.pst", std::string(1234, 'x'));
    test::WriteFile(dir / "empty.wab", "");
    test::WriteFile(dir / "hidden.pab", "abc");
    SetFileAttributesA((dir / "hidden.pab").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    EXPECT_EQ(Probe(dir / "box.pst"), 1234);
    EXPECT_EQ(Probe(dir / "empty.wab"), 0);
    EXPECT_EQ(Probe(dir / "hidden.pab"), 3);
    EXPECT_EQ(Probe(dir / "gone.pst"), kProbeNothing);
    EXPECT_EQ(Probe(dir / "no such dir\\box.pst"), kProbeNothing);
    EXPECT_EQ(Probe(""), kProbeNothing);
}

TEST_F(RealProbeTest, FilesOver4GiBGiveTheirFull64BitSize) {
    const std::string path = dir / "huge.pst";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD returned = 0;
    // Sparse where the file system can; Wine's files are sparse on Linux anyway.
    DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    const LONGLONG size = 5LL * 1024 * 1024 * 1024 + 17;
    LARGE_INTEGER at;
    at.QuadPart = size;
    ASSERT_TRUE(SetFilePointerEx(file, at, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(file));
    CloseHandle(file);
    EXPECT_EQ(Probe(path), size);
}

TEST_F(RealProbeTest, DirectoriesGiveMinusTwoWithOrWithoutTrailingBackslashes) {
    test::MakeDirectory(dir / "Mail");
    EXPECT_EQ(Probe(dir / "Mail"), kProbeDirectory);
    EXPECT_EQ(Probe(dir / "Mail\\"), kProbeDirectory);
    EXPECT_EQ(Probe(dir / "Mail\\\\\\"), kProbeDirectory);
    EXPECT_EQ(Probe(dir.path()), kProbeDirectory);
}

TEST_F(RealProbeTest, DriveRootsAreDirectoriesAndMissingDrivesAreNothing) {
    EXPECT_EQ(Probe("C:"), kProbeDirectory);
    EXPECT_EQ(Probe("C:\\"), kProbeDirectory);
    const std::string missing = test::MissingDrive();
    ASSERT_FALSE(missing.empty());
    EXPECT_EQ(Probe(missing), kProbeNothing);
    EXPECT_EQ(Probe(missing + "\\"), kProbeNothing);
}

TEST_F(RealProbeTest, WildcardsNeverMatchAnExistingFile) {
    test::WriteFile(dir / "box.pst", "data");
    EXPECT_EQ(Probe(dir / "*.pst"), kProbeNothing);
    EXPECT_EQ(Probe(dir / "box.ps?"), kProbeNothing);
    EXPECT_EQ(Probe(dir / "*"), kProbeNothing);
}

TEST_F(RealProbeTest, OverlongPathsAreNotCutToAnExistingOne) {
    const std::string base = dir.path() + "\\";
    ASSERT_LT(base.size(), 200u);
    const std::string name = std::string(kMaxPathChars - base.size(), 'a');
    const std::string path = base + name;
    ASSERT_EQ(path.size(), kMaxPathChars);
    // The longest name the probe takes; it must exist for the test to mean anything.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) GTEST_SKIP() << "cannot make a 259-character name here";
    CloseHandle(file);
    EXPECT_EQ(Probe(path), 0);
    EXPECT_EQ(Probe(path + "b"), kProbeNothing);
    EXPECT_EQ(Probe(path + "\\more\\box.pst"), kProbeNothing);
}

} // namespace
} // namespace vintrel
