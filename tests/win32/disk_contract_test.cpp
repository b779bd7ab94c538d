// The disk contract on the real disk, in a private folder on drive C:.
#include <gtest/gtest.h>

#include <windows.h>

#include "contract/disk_contract.h"
#include "test_support.h"
#include "win32/win32_disk.h"

namespace vintrel {
namespace {

class RealPlace : public test::ContractPlace {
public:
    RealPlace() { ::GetCurrentDirectoryA(sizeof before_, before_); }
    ~RealPlace() override {
        HoldOpen("", false);
        ::SetCurrentDirectoryA(before_);
    }
    Disk& disk() override { return disk_; }
    std::string Root() override { return root_.path(); }
    std::string AliasOfDriveC() override { return test::kAliasOfDriveC; }
    void MakeFile(const std::string& path, const std::string& bytes) override {
        test::WriteFile(path, bytes);
    }
    void MakeFolder(const std::string& path) override { test::MakeDirectory(path); }
    bool MakeFileTheCodePageCannotName(const std::string& folder,
                                       const std::string& bytes) override {
        // UTF-8 as the ANSI code page (an option since Windows 10 1903) holds every letter.
        if (GetACP() == CP_UTF8) return false;
        wchar_t wide[MAX_PATH] = L"";
        EXPECT_TRUE(MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, wide, MAX_PATH));
        // The first of these letters that this machine's ANSI code page cannot hold: "Ł" on
        // 1252, a Hangul syllable on 1250, a Thai letter on 949.
        std::wstring first;
        for (const wchar_t letter : {L'\u0141', L'\uAC00', L'\u0E01'}) {
            char held[8];
            BOOL lost = FALSE;
            if (!WideCharToMultiByte(CP_ACP, 0, &letter, 1, held, sizeof held, nullptr, &lost) ||
                lost) {
                first = letter;
                break;
            }
        }
        EXPECT_FALSE(first.empty()) << "a code page that holds all three";
        const std::wstring path = std::wstring(wide) + L"\\" + first + L"ukasz mail.pst";
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        const bool made =
            file != INVALID_HANDLE_VALUE &&
            ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size();
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        EXPECT_TRUE(made);
        // The listing's own word on its 8.3 name, which a volume may keep none of.
        WIN32_FIND_DATAW found;
        const HANDLE find = FindFirstFileW(path.c_str(), &found);
        EXPECT_NE(find, INVALID_HANDLE_VALUE);
        if (find == INVALID_HANDLE_VALUE) return true;
        FindClose(find);
        if (found.cAlternateFileName[0] != L'\0') return true;
        DeleteFileW(path.c_str());
        return false;
    }
    void MakeFolderLink(const std::string& link, const std::string& target) override {
        ASSERT_TRUE(test::MakeLink(link, target));
    }
    bool SwapForLink(const std::string& folder, const std::string& target) override {
        return MoveFileA(folder.c_str(), (folder + "~").c_str()) && test::MakeLink(folder, target);
    }
    std::string ShareOfDriveC() override {
        const DWORD there = GetFileAttributesA(test::kShareOfDriveC);
        return there != INVALID_FILE_ATTRIBUTES && (there & FILE_ATTRIBUTE_DIRECTORY)
                   ? test::kShareOfDriveC
                   : "";
    }
    void ChangeDirectory(const std::string& path) override {
        ::SetCurrentDirectoryA(path.c_str());
    }
    void HoldOpen(const std::string& path, bool open) override {
        if (held_ != INVALID_HANDLE_VALUE) CloseHandle(held_);
        held_ = open ? CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, 0, nullptr)
                     : INVALID_HANDLE_VALUE;
        ASSERT_TRUE(!open || held_ != INVALID_HANDLE_VALUE);
    }
    bool RenamesByName() override { return test::UnderWine(); }

private:
    HANDLE held_ = INVALID_HANDLE_VALUE;
    char before_[MAX_PATH] = "";
    test::TempDir root_{"C:"};
    Win32Disk disk_;
};

TEST(DiskContract, TheRealDiskKeepsTheContract) {
    RealPlace place;
    test::CheckDiskContract(place);
}

} // namespace
} // namespace vintrel
