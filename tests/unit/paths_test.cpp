#include <gtest/gtest.h>

#include <tuple>

#include "app/paths.h"

namespace vintrel {
namespace {

struct SplitCase {
    const char* path;
    const char* directory;
    const char* fileName;
};

// Each row: a path, its directory part, its file-name part.
const SplitCase kSplitCases[] = {
    {"C:\\Mail\\box.pst", "C:\\Mail\\", "box.pst"},
    {"box.pst", "", "box.pst"},
    {"", "", ""},
    {"C:\\Mail\\", "C:\\Mail\\", ""},
    {"C:\\Mail\\\\", "C:\\Mail\\\\", ""},
    {"C:\\box.pst", "C:\\", "box.pst"},
    {"C:box.pst", "", "C:box.pst"},
    {"\\\\server\\share\\a.wab", "\\\\server\\share\\", "a.wab"},
    {"C:/Mail/box.pst", "C:/Mail/", "box.pst"},
    {"C:\\Mail/sub\\box.pst", "C:\\Mail/sub\\", "box.pst"},
    // A leading quote is skipped; the name ends at the next quote.
    {"\"C:\\Mail\\box.pst\"", "C:\\Mail\\", "box.pst"},
    {"\"C:\\Mail\\box.pst\" extra", "C:\\Mail\\", "box.pst"},
    {"\"box.pst", "", "box.pst"},
    {"\"", "", ""},
    // The directory scan stops at the first "|"; the name scan does not.
    {"C:\\Mail\\box.pst|Outlook personal folders|[No idea]", "C:\\Mail\\",
     "box.pst|Outlook personal folders|[No idea]"},
    {"C:\\a\\b.pst|x\\y|z", "C:\\a\\", "y|z"},
    {"|C:\\a\\b.pst", "", "b.pst"},
    {"C:\\Outlook Express\\Inbox.dbx", "C:\\Outlook Express\\", "Inbox.dbx"},
    // Bytes above 0x7F are ordinary characters.
    {"C:\\D\xe9j\xe0\\\xfc.pst", "C:\\D\xe9j\xe0\\", "\xfc.pst"},
};

TEST(PathParts, SplitsEveryKindOfPath) {
    for (const SplitCase& c : kSplitCases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(DirectoryPart(c.path), c.directory);
        EXPECT_EQ(FileNamePart(c.path), c.fileName);
    }
}

TEST(PathParts, DirectoryAndNameRebuildAnUnquotedPath) {
    for (const char* path : {"C:\\Mail\\box.pst", "D:\\x\\y\\z\\w.wab", "n.pab", "C:\\"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(DirectoryPart(path) + FileNamePart(path), path);
    }
}

TEST(PathParts, SamePathFoldsTheCaseOfAsciiLettersOnly) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"C:\\Backup", "c:\\BACKUP", true},
        {"C:\\Backup", "C:\\Backup2", false},
        {"C:\\Backup\\", "C:\\Backup", false},
        {"C:\\Backup\\\\", "C:\\Backup\\", false},
        {"dir\\", "DIR\\", true},
        {"AZ", "az", true}, // the first and last letters
        {"C:\\\xc4", "C:\\\xe4", false}, // beyond ASCII the bytes must agree
        {"", "", true},
        {"@", "`", false}, // the neighbours of the letters
        {"[", "{", false},
    };
    for (const auto& [a, b, same] : cases) {
        SCOPED_TRACE(std::string(a) + " / " + b);
        EXPECT_EQ(SamePath(a, b), same);
        EXPECT_EQ(SamePath(b, a), same);
    }
}

TEST(PathParts, FinalPathsAreTakenAsPlainPaths) {
    const std::pair<std::string, std::string> cases[] = {
        {std::string("\\\\?\\C:\\Mail\\box.pst") + '\0', "C:\\Mail\\box.pst"}, // Vista counts the NUL
        {"\\\\?\\UNC\\server\\share\\a.wab", "\\\\server\\share\\a.wab"},
        {"C:\\x", "C:\\x"},
        {"", ""},
    };
    for (const auto& [reported, plain] : cases)
        EXPECT_EQ(PlainFinalPath(reported), plain) << plain;
}

TEST(PathParts, TheRootIsWhatNoOneMakes) {
    const std::tuple<const char*, std::size_t> cases[] = {
        {"C:\\Mail\\", 3},
        {"C:", 2},
        {"C:Mail\\", 2},
        {"\\Mail\\", 1},
        {"Mail\\", 0},
        {"M\\ail", 0},
        {"\\\\server\\share\\Mail\\", 15},
        {"\\\\server\\share", 14},
        {"//server/share/Mail/", 15},
        {"\\\\?\\C:\\Mail\\", 7},
        {"\\\\.\\C:\\", 7},
        {"\\\\?\\unc\\server\\share\\Mail\\", 21},
        {"\\\\a\\unc\\x\\", 8}, // a share named "unc" on a server of one letter
    };
    for (const auto& [path, root] : cases) {
        SCOPED_TRACE(path);
        EXPECT_EQ(PathRootLength(path), root);
    }
    EXPECT_TRUE(LiesBelow("C:\\Save\\Mail\\a.pst", "c:\\save"));
    EXPECT_TRUE(LiesBelow("C:\\a.pst", "C:\\"));
    EXPECT_FALSE(LiesBelow("C:\\Saved\\a.pst", "C:\\Save\\"));
    EXPECT_FALSE(LiesBelow("C:\\Save\\", "C:\\Save"));
}

TEST(PathParts, DigitPatternsNeverReadPastTheText) {
    EXPECT_TRUE(MatchesDigits("log 2026-", 4, "0000-"));
    EXPECT_FALSE(MatchesDigits("2026", 0, "0000-"));
    EXPECT_FALSE(MatchesDigits("2026-", 9, "0"));
}

TEST(PathParts, PlainNamesAreThoseAWindowsPathOpensAndALineHolds) {
    const std::pair<const char*, bool> cases[] = {
        {"box.pst", true},
        {"\xc4pfel.pst", true}, // what the code page holds is plain
        {".pst", true},
        {"nullify.pst", true},
        {"com10.pst", true},
        {"coma.pst", true},
        {"console", true},
        {"", false},
        {"?ukasz.pst", false}, // "?" where the code page could not hold a character
        {"a\nb.pst", false},
        {"a|b.pst", false},
        {"co:lon.pst", false},
        {"back\\slash.pst", false},
        {"a<b>*.pst", false},
        {"folder.", false}, // Windows drops the final dot, and opens "folder"
        {"box.pst ", false},
        {"nul.pst", false}, // devices, with any ending
        {"Aux.pab", false},
        {"con .wab", false},
        {"COM1.pst", false},
        {"lpt9", false},
        {".", false},
    };
    for (const auto& [name, plain] : cases)
        EXPECT_EQ(IsPlainName(name), plain) << name;
}

} // namespace
} // namespace vintrel
