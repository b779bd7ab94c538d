#include <gtest/gtest.h>

#include <functional>

#include "app/ids.h"
#include "app/paths.h"
#include "app/program.h"
#include "app/file_list.h"
#include "discovery/search.h"
#include "fakes.h"
#include "copies/copy_record.h"
#include "profile/profile.h"
#include "profile/profile_format.h"
#include "app/texts.h"

namespace vintrel {
namespace {

using test::Strings;
using namespace std::string_literals;

Strings ReadAllLines(const std::string& bytes) {
    ProfileLineReader reader(bytes);
    Strings lines{reader.NextLine()}; // line 1 is read even from nothing
    while (!reader.AtEnd())
        lines.push_back(reader.NextLine());
    return lines;
}

TEST(ProfileLines, EveryKindOfLineEndIsTaken) {
    struct Case {
        std::string bytes;
        Strings lines;
    };
    const Case cases[] = {
        {"T\r\na\r\nb\r\n", {"T", "a", "b"}},
        {"T\na\nb\n", {"T", "a", "b"}},
        {"T\ra\rb\r", {"T", "a", "b"}},
        {"T\0a\0b"s, {"T", "a", "b"}},
        {"T\r\na", {"T", "a"}},      // last line without an end
        {"T\r\na\r", {"T", "a"}},    // a CR as the very last byte
        {"T\r\n\r\n", {"T", ""}},    // an empty line
        {"T\r\r\n", {"T", ""}},      // lone CR, then CR LF
        {"T\n\ra", {"T", "", "a"}},  // LF CR is two ends
        {"T\r\0a"s, {"T", "", "a"}}, // a CR not followed by LF ends only its own line
        {"\r\n", {""}},              // what an untouched first run writes
        {"T", {"T"}},
        {"", {""}},
        {"\xEF\xBB\xBF"
         "E:\\S\\\r\na",
         {"E:\\S\\", "a"}}, // an editor's byte-order mark
        {"\xEF\xBB\xBF", {""}},
        {"\xEF\xBB", {"\xEF\xBB"}},
        {"T\r\n\xEF\xBB\xBF"
         "a",
         {"T", "\xEF\xBB\xBF"
               "a"}}, // only at the start
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        EXPECT_EQ(ReadAllLines(c.bytes), c.lines);
    }
}

TEST(CopyRecord, ALineNamesAPathBelowItsFolderAsWindowsTakesIt) {
    const std::pair<const char*, const char*> cases[] = {
        {"Mail\\box.pst", "Mail\\box.pst"},
        {"Mail/Deep/x.pst", "Mail\\Deep\\x.pst"},
        {"a\\.\\b\\..\\c.pst", "a\\c.pst"},
        {"Mail. \\box.pst", nullptr}, // Windows would write it as "Mail\box.pst"
        {"Mail\\box.pst.", nullptr},
        {"Q7 \\box.pst", nullptr},
        {"a\\\\b.pst", "a\\b.pst"},
        {"..\\x.pst", nullptr},
        {"a\\..\\..\\x.pst", nullptr},
        {"C:\\x.pst", nullptr},
        {"C:x.pst", nullptr},
        {"\\x.pst", nullptr},
        {"/x.pst", nullptr},
        {"Mail\\", nullptr},
        {"", nullptr},
        {"M?il\\x.pst", nullptr},
        {"x*.pst", nullptr},
    };
    for (const auto& [line, plain] : cases) {
        SCOPED_TRACE(line);
        const std::optional<std::string> path = PathBelow(line);
        ASSERT_EQ(path.has_value(), plain != nullptr);
        EXPECT_EQ(path.value_or("-"), plain ? plain : "-");
    }
    const auto paths = [](const std::vector<RecordedCopy>& copies) {
        Strings names;
        for (const RecordedCopy& copy : copies)
            names.push_back(copy.path);
        return names;
    };
    EXPECT_EQ(paths(ReadCopyRecord("a.pst\r\n..\\b.pst\nc.pst\rd.pst")), (Strings{"a.pst", "c.pst", "d.pst"}));
}

// Each line keeps the copy's state; a record of paths alone (from before states were kept)
// still reads, and a line whose state is damaged names nothing.
TEST(CopyRecord, LinesKeepEachCopysStateAndOldRecordsStillRead) {
    const CopyState made{5, 133000000000000000ULL, 0x0123456789abcdefULL};
    const CopyState unsummed{7, 9, std::nullopt};
    const std::vector<RecordedCopy> copies = {
        {"a.pst", std::nullopt, std::nullopt},
        {"b\\c.pst", made, std::nullopt},
        {"d.pst", unsummed, CopyState{8, 10, std::nullopt}},
        {"e.pst", std::nullopt, CopyState{1, 2, std::nullopt}},
        {"f.pst", CopyState{~0ULL, 0, std::nullopt}, std::nullopt}, // the largest number read
    };
    const std::string text = CopyRecordText(copies);
    EXPECT_EQ(text, "a.pst\r\nb\\c.pst\t5\t133000000000000000\t0123456789abcdef\r\n"
                    "d.pst\t7\t9\t-\t8\t10\r\ne.pst\t-\t-\t-\t1\t2\r\n"
                    "f.pst\t18446744073709551615\t0\t-\r\n");
    EXPECT_EQ(ReadCopyRecord(text), copies);
    for (const char* damaged : {"x.pst\t5", "x.pst\t5\t6\t0123", "x.pst\t-\t6\t-",
                                "x.pst\t5\t6\t-\t7", "x.pst\t-\t-\t-",
                                "x.pst\t99999999999999999999\t6\t-", "x.pst\t5\t6\t-\t7\tx",
                                "x.pst\t5\t6\t0123456789abcdeg", "x.pst\t5\t6\t0123456789ABCDEF",
                                "x.pst\t\t6\t-", "x.pst\t18446744073709551616\t6\t-"}) {
        SCOPED_TRACE(damaged);
        EXPECT_TRUE(ReadCopyRecord(damaged).empty());
    }
}

// A line settles on the file at its path: the copy it names as being made, its checksum
// unknown, unless the file still has the line's state, which then stays, checksum and all.
TEST(CopyRecord, ALineSettlesOnTheCopyBeingMadeUnlessItsStateStillHolds) {
    const CopyState made{5, 20, 0xabcULL}, same{5, 20, std::nullopt}, other{6, 30, std::nullopt};
    const struct {
        std::optional<CopyState> state, next;
        std::optional<std::uint64_t> size; // of the file there; nothing where none is
        std::optional<CopyState> settled;
    } cases[] = {
        {made, same, 5, made}, {made, other, 6, other}, {made, other, 5, made},
        {made, other, std::nullopt, made}, {std::nullopt, other, 6, other}, {made, {}, 6, made},
    };
    for (const auto& c : cases) {
        RecordedCopy line{"a.pst", c.state, c.next};
        SettleOnFile(line, c.size, c.size == 5 ? 20 : 30, 0);
        EXPECT_EQ(line.state, c.settled) << c.size.value_or(0);
    }
}

TEST(ProfileLines, LinesHaveNoLengthLimit) {
    const std::string longLine(100000, 'x');
    EXPECT_EQ(ReadAllLines("T\r\n" + longLine + "\r\nz"), (Strings{"T", longLine, "z"}));
}

class ProfileTest : public test::FakeProgramTest {
protected:
    ProfileTest() : FakeProgramTest("C:\\Run") {}
    void SetUp() override {
        disk.AddDrive("C:\\");
        disk.AddDirectory("C:\\Save");
        disk.AddFile("C:\\Mail\\box.pst", 10);
        disk.AddDirectory("C:\\Mail\\dir.pst");
        disk.files["C:\\Mail\\empty.wab"] = "";
    }
    std::string& ProfileBytes() { return disk.files["C:\\Run\\Vintrel Profile.txt"]; }
    std::string GadgetNine() const {
        for (auto it = screen.calls.rbegin(); it != screen.calls.rend(); ++it) {
            if (it->rfind("gadget 9: ", 0) == 0) return it->substr(10);
        }
        return "<never set>";
    }
};

TEST_F(ProfileTest, LoadsTargetAndRowsMarkingWhatIsGone) {
    ProfileBytes() = "C:\\Save\\\r\n"
                     "C:\\Mail\\box.pst|Outlook personal folders|[No idea]\r\n"
                     "C:\\Mail\\gone.pst|Outlook personal folders|[No idea]\r\n"
                     "C:\\Mail\\empty.wab|Windows address book|[No idea]\r\n"
                     "C:\\Mail\\dir.pst\r\n"
                     "\r\n"
                     "a|b|c|d\r\n";
    EXPECT_EQ(LoadProfile(state, disk, screen), ProfileRead::Whole);
    EXPECT_EQ(state.targetPath, "C:\\Save\\");
    EXPECT_EQ(GadgetNine(), "C:\\Save\\");
    EXPECT_EQ(state.profileList, (Strings{"C:\\Mail\\box.pst|Outlook personal folders|[No idea]",
                                          "C:\\Mail\\gone.pst|Outlook personal folders|[No idea]",
                                          "C:\\Mail\\empty.wab|Windows address book|[No idea]",
                                          "C:\\Mail\\dir.pst||", "||", "a|b|c"}));
    ASSERT_EQ(screen.rows.size(), 6u);
    EXPECT_EQ(screen.rows[1],
              (Strings{"gone.pst", "Outlook personal folders", "[No idea]", "Missing/Damaged"}));
    EXPECT_EQ(screen.rows[2][3], "Okay") << "a file of 0 bytes is there";
    EXPECT_EQ(screen.rows[3], (Strings{"dir.pst", "", "", "Okay"})) << "a directory is there";
    EXPECT_EQ(screen.rows[4], (Strings{"", "", "", "Missing/Damaged"}));
    EXPECT_EQ(screen.cellColours[std::make_pair(1, 3)], kMissingColour);
    EXPECT_EQ(screen.cellColours[std::make_pair(0, 3)], kOkayColour);
    EXPECT_EQ(screen.statusFields[kMessageField], kProfileLoadedText);
}

TEST_F(ProfileTest, TargetFieldSaysWhenTheTargetIsNotADirectory) {
    for (const auto& [target, shown] : std::vector<std::pair<std::string, std::string>>{
             {"C:\\Nowhere\\", "C:\\Nowhere\\  (Does not exist)"},
             {"C:\\Mail\\box.pst", "C:\\Mail\\box.pst  (Does not exist)"},
             {"C:\\", "C:\\"},
             {"", "  (Does not exist)"}}) {
        SCOPED_TRACE(target);
        AppState fresh = state;
        ProfileBytes() = target + "\r\n";
        LoadProfile(fresh, disk, screen);
        EXPECT_EQ(fresh.targetPath, target) << "the suffix is for the field only";
        EXPECT_EQ(GadgetNine(), shown);
        EXPECT_TRUE(fresh.profileList.empty());
        EXPECT_EQ(screen.statusFields[kMessageField], kProfileLoadedText);
    }
}

TEST_F(ProfileTest, TheWindowLoadsWhateverStandsAtTheProfilesNameAndOnlyThat) {
    CheckForProfile(state, disk, screen);
    EXPECT_EQ(screen.statusFields[kMessageField], kProfileNotFoundText);
    EXPECT_EQ(disk.lookups.front(), "C:\\Run\\Vintrel Profile.txt");
    EXPECT_EQ(screen.calls.size(), 1u) << "nothing is loaded";
    // A profile of no bytes, or a folder of its name, is handed to the loader, which speaks.
    ProfileBytes() = "";
    CheckForProfile(state, disk, screen);
    EXPECT_EQ(screen.statusFields[kMessageField], kProfileEmptyText);
    const std::string root = "C:\\";
    InitSharedState(state, &root);
    disk.AddDirectory("C:\\Vintrel Profile.txt");
    CheckForProfile(state, disk, screen);
    EXPECT_EQ(screen.statusFields[kMessageField], kProfileUnreadableText);
    EXPECT_EQ(disk.lookups.back(), "C:\\Vintrel Profile.txt"); // one backslash from a root
}

TEST_F(ProfileTest, EmptyAndUnopenableProfilesLoadNothing) {
    ProfileBytes() = "";
    EXPECT_EQ(LoadProfile(state, disk, screen), ProfileRead::Empty);
    EXPECT_EQ(screen.statusFields[kMessageField], kProfileEmptyText);
    EXPECT_FALSE(state.profileUnread) << "an empty profile loses nothing when overwritten";

    ProfileBytes() = "C:\\Save\\\r\nC:\\Mail\\box.pst||\r\n";
    disk.unopenable.insert("C:\\Run\\Vintrel Profile.txt");
    EXPECT_EQ(LoadProfile(state, disk, screen), ProfileRead::Unreadable);
    EXPECT_EQ(screen.statusFields[kMessageField], kProfileUnreadableText);
    EXPECT_TRUE(state.targetPath.empty());
    EXPECT_TRUE(state.profileList.empty());
    EXPECT_EQ(GadgetNine(), "<never set>");
    // Read in part: what was read is shown, and never saved over the rest.
    disk.unopenable.clear();
    disk.cutShort.insert("C:\\Run\\Vintrel Profile.txt");
    state.profileUnread = false;
    screen.statusFields.clear();
    EXPECT_EQ(LoadProfile(state, disk, screen), ProfileRead::InPart);
    EXPECT_EQ(screen.statusFields[kMessageField], kProfileUnreadableText);
    EXPECT_TRUE(state.profileUnread && !state.profileLoaded);
}

TEST_F(ProfileTest, AnUnreadableProfileIsNotOverwrittenUnlessASearchRan) {
    const std::string original =
        "C:\\Save\\\r\nC:\\Mail\\box.pst|Outlook personal folders|[No idea]\r\n";
    ProfileBytes() = original;
    disk.unopenable.insert("C:\\Run\\Vintrel Profile.txt");
    LoadProfile(state, disk, screen);
    screen.calls.clear();
    EXPECT_EQ(SaveProfile(state, disk, screen), ProfileSave::Kept);
    EXPECT_EQ(ProfileBytes(), original);
    EXPECT_TRUE(screen.calls.empty()) << "nothing of this run is lost";
    // A target chosen in this run cannot be kept: the user is told, the file stays.
    state.targetPath = "D:\\New\\";
    SaveProfile(state, disk, screen);
    EXPECT_EQ(ProfileBytes(), original);
    EXPECT_EQ(screen.calls, (Strings{"box Error: " + std::string(kProfileNotSavedText)}));

    disk.AddDrive("E:\\");
    disk.unopenable.clear();
    SearchDataFiles(state, disk, screen, "E:");
    EXPECT_EQ(SaveProfile(state, disk, screen), ProfileSave::Saved);
    EXPECT_EQ(ProfileBytes(), "D:\\New\\\r\n") << "the search's (empty) list replaces it";
}

TEST_F(ProfileTest, AWindowThatChangedNothingLeavesWhatAnotherRunSavedMeanwhile) {
    ProfileBytes() = "C:\\Save\\\nC:\\Mail\\box.pst|Outlook personal folders|[No idea]\n";
    LoadProfile(state, disk, screen);
    const std::string scheduled = "C:\\Save\\\r\nC:\\Mail\\new.pst|k|v\r\n";
    ProfileBytes() = scheduled; // a scheduled search saved a new list
    screen.calls.clear();
    EXPECT_EQ(SaveProfile(state, disk, screen), ProfileSave::Kept);
    EXPECT_EQ(ProfileBytes(), scheduled);
    EXPECT_TRUE(screen.calls.empty());
    // Unchanged on disk too, or changed here: the window's list is written as ever.
    state.profileList.clear();
    ProfileBytes() = "C:\\Save\\\nC:\\Mail\\new.pst|k|v\n"; // its line ends become CR LF
    LoadProfile(state, disk, screen);
    SaveProfile(state, disk, screen);
    EXPECT_EQ(ProfileBytes(), scheduled);
    ProfileBytes() = "C:\\Other\\\r\n";
    state.targetPath = "D:\\Chosen\\";
    SaveProfile(state, disk, screen);
    EXPECT_EQ(ProfileBytes(), "D:\\Chosen\\\r\nC:\\Mail\\new.pst|k|v\r\n");
}

TEST_F(ProfileTest, AProfileThatIsThereButCannotBeLookedUpIsKeptNotTakenForMissing) {
    const std::string original = "C:\\Save\\\r\nC:\\Mail\\box.pst||\r\n";
    ProfileBytes() = original;
    disk.unlookable.insert("C:\\Run\\Vintrel Profile.txt");
    disk.unopenable.insert("C:\\Run\\Vintrel Profile.txt");
    CheckForProfile(state, disk, screen);
    EXPECT_EQ(screen.statusFields[kMessageField], kProfileUnreadableText);
    SaveProfile(state, disk, screen);
    EXPECT_EQ(ProfileBytes(), original);
}

TEST_F(ProfileTest, AReadFailingPartWayKeepsTheRowsButSaysSoAndProtectsTheFile) {
    const std::string original =
        "C:\\Save\\\r\nC:\\Mail\\box.pst|k|v\r\nC:\\Mail\\gone.pst|k|v\r\n";
    ProfileBytes() = original;
    disk.readFailsAfter = 29; // just before the line end of the first entry
    LoadProfile(state, disk, screen);
    EXPECT_EQ(state.profileList, (Strings{"C:\\Mail\\box.pst|k|v"}));
    EXPECT_EQ(screen.statusFields[kMessageField], kProfileUnreadableText);
    SaveProfile(state, disk, screen);
    EXPECT_EQ(ProfileBytes(), original);
    EXPECT_TRUE(screen.calls.back().rfind("box", 0) != 0) << "the target it read is unchanged";
    // A target chosen since would be lost with the list: the box says so.
    state.targetPath = "D:\\Elsewhere\\";
    SaveProfile(state, disk, screen);
    EXPECT_EQ(ProfileBytes(), original);
    EXPECT_EQ(screen.calls.back(), "box Error: " + std::string(kProfileNotSavedText));
}

TEST_F(ProfileTest, SavesTheTargetAndEveryEntryWithCrLf) {
    SaveProfile(state, disk, screen);
    EXPECT_EQ(ProfileBytes(), "\r\n");
    state.targetPath = "E:\\Save\\";
    state.profileList = {"D:\\Mail\\letters.pst|Outlook personal folders|[No idea]",
                         "D:\\Mail\\book.wab|Windows address book|[No idea]"};
    SaveProfile(state, disk, screen);
    EXPECT_EQ(ProfileBytes(), "E:\\Save\\\r\n"
                              "D:\\Mail\\letters.pst|Outlook personal folders|[No idea]\r\n"
                              "D:\\Mail\\book.wab|Windows address book|[No idea]\r\n");
    EXPECT_FALSE(disk.files.count(ProfileTemporaryPath(state)));
    // A profile whose path fits Windows' limit can always be written beside itself.
    EXPECT_EQ(DirectoryPart(ProfileTemporaryPath(state)), "C:\\Run\\");
    EXPECT_LE(ProfileTemporaryPath(state).size(), ProfilePath(state).size());
}

TEST_F(ProfileTest, TenThousandEntriesGoRoundByteForByte) {
    std::string original = "E:\\Backups\\\r\n";
    for (int i = 0; i < 10000; ++i) {
        original += "C:\\Documents and Settings\\user" + std::to_string(i % 7) +
                    "\\Local Settings\\Outlook Express\\Folder" + std::to_string(i) +
                    ".dbx|Outlook Express mailboxes|v6.0\r\n";
    }
    ProfileBytes() = original;
    LoadProfile(state, disk, screen);
    ASSERT_EQ(state.profileList.size(), 10000u);
    SaveProfile(state, disk, screen);
    EXPECT_TRUE(ProfileBytes() == original);
}

TEST_F(ProfileTest, AFailedSaveLeavesTheOldProfileAndNoTemporaryFile) {
    const std::string original = "C:\\Old\\\r\nC:\\old.pst|Outlook personal folders|[No idea]\r\n";
    state.targetPath = "C:\\New\\";
    for (int i = 0; i < 500; ++i)
        state.profileList.push_back("C:\\Mail\\f" + std::to_string(i) + ".pst|k|v");
    using Step = test::FakeDisk::Step;
    const std::pair<Step, int> failures[] = {{Step::Create, 0}, {Step::Write, 1}, {Step::Write, 2},
                                             {Step::Write, 3},  {Step::Flush, 0}, {Step::Close, 0},
                                             {Step::Replace, 0}};
    for (const bool byName : {false, true}) { // and where renames go by name
        for (const auto& [step, write] : failures) {
            SCOPED_TRACE(static_cast<int>(step) * 10 + write + (byName ? 100 : 0));
            if (byName && step == Step::Close) continue; // there it takes its name before
            ProfileBytes() = original;
            disk.renamesByName = byName;
            disk.failAt = step;
            disk.failingWrite = write;
            disk.writes = 0;
            screen.calls.clear();
            SaveProfile(state, disk, screen);
            EXPECT_EQ(ProfileBytes(), original);
            EXPECT_FALSE(disk.files.count(ProfileTemporaryPath(state)));
            EXPECT_EQ(screen.calls, (Strings{"box Error: " + std::string(kProfileNotSavedText)}));
        }
        EXPECT_GE(disk.writes, 3) << "the profile is written in several pieces";
    }
}

TEST_F(ProfileTest, WhateverStandsAtTheTemporaryNameIsRemovedNeverFollowed) {
    const std::string temporary = ProfileTemporaryPath(state);
    const std::string ownFolder = OwnFolderPath(DirectoryPart(temporary), 0);
    const std::string own = ownFolder + "\\" + FileNamePart(temporary);
    disk.files["C:\\Other\\victim.txt"] = "not to be touched";
    state.targetPath = "E:\\Save\\";
    struct Case {
        const char* what;
        std::function<void()> plant;
        bool saved;
    };
    const Case cases[] = {
        {"a link", [&] { disk.AddLink(temporary, "C:\\Other\\victim.txt"); }, true},
        {"a read-only leftover",
         [&] {
             disk.files[temporary] = "left by a run that died";
             disk.readOnly.insert(temporary);
         },
         true},
        {"a folder: the next free name is taken", [&] { disk.MakeDirectoryPath(temporary + "\\"); },
         true},
        {"every name but the last taken", [&] {
             for (int n = 1; n <= 8; ++n)
                 disk.MakeDirectoryPath(temporary + std::to_string(n) + "\\");
         }, true},
        {"every name taken",
         [&] {
             for (int n = 1; n <= 9; ++n)
                 disk.MakeDirectoryPath(temporary + std::to_string(n) + "\\");
         },
         false},
        {"where renames go by name, a leftover in the folder of its own",
         [&] {
             disk.renamesByName = true;
             disk.MakeDirectoryPath(ownFolder + "\\");
             disk.files[own] = "left by a run that died";
         },
         true},
        {"where renames go by name, its file refused in the folder of its own",
         [&] { disk.createFails[own] = DiskError::AccessDenied; }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProfileBytes() = "old\r\n";
        disk.marks[ProfilePath(state)] = kAttributeHidden; // the user hid it
        screen.calls.clear();
        c.plant();
        SaveProfile(state, disk, screen);
        EXPECT_EQ(ProfileBytes(), c.saved ? "E:\\Save\\\r\n" : "old\r\n");
        EXPECT_EQ(screen.calls.empty(), c.saved);
        EXPECT_EQ(disk.files["C:\\Other\\victim.txt"], "not to be touched");
        EXPECT_FALSE(disk.files.count(temporary + "1"));
        EXPECT_FALSE(disk.files.count(own));
        EXPECT_TRUE(disk.Absent(ownFolder));
        EXPECT_EQ(disk.marks[ProfilePath(state)] & kAttributeHidden, kAttributeHidden);
    }
}

TEST(ProfilePath, ANameTheLoaderCannotTakeIsNeverWritten) {
    // The start-up folder of 241 characters makes a profile path of exactly 260.
    const std::string folder = "C:\\" + std::string(237, 'p') + "\\";
    AppState state;
    InitSharedState(state, &folder);
    ASSERT_EQ(ProfilePath(state).size(), 260u);
    test::FakeDisk disk;
    test::FakeScreen screen;
    disk.MakeDirectoryPath(state.startupDirectory);
    disk.files[ProfilePath(state)] = "E:\\Save\\\r\nC:\\Mail\\a.pst|k|v\r\n";
    CheckForProfile(state, disk, screen);
    EXPECT_EQ(screen.statusFields[kMessageField], kProfileNotFoundText);
    SaveProfile(state, disk, screen);
    EXPECT_EQ(disk.files[ProfilePath(state)], "E:\\Save\\\r\nC:\\Mail\\a.pst|k|v\r\n");
    EXPECT_EQ(screen.calls.back(), "box Error: " + std::string(kProfileNotSavedText));
    // One character less, and both go.
    const std::string shorter = "C:\\" + std::string(236, 'p') + "\\";
    InitSharedState(state, &shorter);
    EXPECT_TRUE(ProfilePathFits(state));
}

} // namespace
} // namespace vintrel
