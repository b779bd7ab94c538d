// The one owner of handles, and the copy's writer that closes through it.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <utility>

#include "test_support.h"
#include "win32/handle.h"
#include "win32/win32_disk.h"

namespace vintrel {
namespace {

// Opens a file sharing nothing: only possible while no other handle holds it.
HANDLE OpenAlone(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

// Whether no handle holds the file open.
bool Free(const std::string& path) {
    HANDLE file = OpenAlone(path);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

TEST(HandleTest, ClosesOnceWhoeverHoldsItLastAndSaysWhetherItClosed) {
    test::TempDir dir;
    const std::string one = dir / "one.bin", two = dir / "two.bin";
    test::WriteFile(one, "1");
    test::WriteFile(two, "2");
    Handle first(OpenAlone(one));
    ASSERT_TRUE(first);
    Handle second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_TRUE(first.Close()) << "nothing is left to close";
    EXPECT_FALSE(Free(one)) << "the owner it was handed over from must not close it";
    {
        Handle last;
        last = std::move(second);
        EXPECT_FALSE(Free(one));
    }
    EXPECT_TRUE(Free(one)) << "the last owner closes it when it goes";

    // Taking another handle closes the one held before; release hands it out unclosed.
    Handle held(OpenAlone(one));
    held = Handle(OpenAlone(two));
    EXPECT_TRUE(Free(one));
    HANDLE raw = held.release();
    EXPECT_FALSE(held);
    EXPECT_FALSE(Free(two));
    CloseHandle(raw);
    EXPECT_TRUE(Free(two));

    // What the system never handed out does not close, and Close says so, once.
    Handle bogus(reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(0xFFFC)));
    EXPECT_FALSE(bogus.Close());
    EXPECT_TRUE(bogus.Close());
    EXPECT_FALSE(Handle(INVALID_HANDLE_VALUE));
    EXPECT_FALSE(Handle(nullptr));
}

TEST(HandleTest, ACopysWriterClosesItsFileOnceAndSaysSo) {
    test::TempDir dir;
    const std::string path = dir / "copy.tmp";
    Win32Disk disk;
    DiskError why = DiskError::None;
    std::unique_ptr<FileWriter> writer = disk.CreateNewFile(path, why);
    ASSERT_TRUE(writer);
    ASSERT_TRUE(writer->Write("abc", 3));
    EXPECT_FALSE(Free(path));
    EXPECT_TRUE(writer->Close());
    EXPECT_TRUE(Free(path));
    EXPECT_TRUE(writer->Close()) << "a second close has nothing to close";
    EXPECT_EQ(writer->Failure(), DiskError::None);
    // The next handle given out may bear the closed one's number: the writer, going, must
    // leave it alone.
    HANDLE later = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               0, nullptr);
    ASSERT_NE(later, INVALID_HANDLE_VALUE);
    writer.reset();
    char got[4] = {};
    DWORD read = 0;
    EXPECT_TRUE(ReadFile(later, got, 3, &read, nullptr));
    EXPECT_EQ(std::string(got, read), "abc");
    CloseHandle(later);
}

} // namespace
} // namespace vintrel
