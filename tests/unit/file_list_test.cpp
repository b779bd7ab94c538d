#include <gtest/gtest.h>

#include "app/file_list.h"
#include "fakes.h"

namespace vintrel {
namespace {

using Cells = std::vector<std::string>;

TEST(RowText, SplitsIntoPositionalCells) {
    EXPECT_EQ(SplitRowText("a\nb\nc\nd"), (Cells{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitRowText("a\nb\n\nOkay"), (Cells{"a", "b", "", "Okay"})) << "empty middle cell";
    EXPECT_EQ(SplitRowText("a\n"), (Cells{"a"})) << "a trailing line feed adds nothing";
    EXPECT_EQ(SplitRowText("a\n\n"), (Cells{"a", ""}));
    EXPECT_EQ(SplitRowText(""), (Cells{""}));
    EXPECT_EQ(SplitRowText("\n\n\n"), (Cells{"", "", ""}));
}

TEST(ProfileEntries, SplitIntoThreeFieldsMissingOnesEmptyExtraOnesDroppedThePathFirst) {
    using Fields = std::array<std::string, 3>;
    EXPECT_EQ(SplitProfileEntry("C:\\a.pst|Outlook personal folders|[No idea]"),
              (Fields{"C:\\a.pst", "Outlook personal folders", "[No idea]"}));
    EXPECT_EQ(SplitProfileEntry("C:\\a.pst"), (Fields{"C:\\a.pst", "", ""}));
    EXPECT_EQ(SplitProfileEntry("C:\\a.pst|kind"), (Fields{"C:\\a.pst", "kind", ""}));
    EXPECT_EQ(SplitProfileEntry("a|b|c|d|e"), (Fields{"a", "b", "c"}));
    EXPECT_EQ(SplitProfileEntry(""), (Fields{"", "", ""}));
    EXPECT_EQ(SplitProfileEntry("||"), (Fields{"", "", ""}));
    EXPECT_EQ(SplitProfileEntry("|x|"), (Fields{"", "x", ""}));
    EXPECT_EQ(EntryPath("C:\\a.pst|k|v"), "C:\\a.pst");
    EXPECT_EQ(EntryPath("C:\\no fields"), "C:\\no fields");
}

TEST(FileRows, RowsAndProfileEntriesStayInStep) {
    AppState state;
    test::FakeScreen screen;
    AddFileRow(state, &screen, "C:\\Mail\\Outlook Express\\Letters.dbx",
               "Outlook Express mailboxes", "v6.0", "Okay");
    AddFileRow(state, &screen, "C:\\Mail\\old.pst", "Outlook personal folders", "[No idea]",
               "Missing/Damaged");
    AddFileRow(state, &screen, "D:\\x\\y.wab", "", "", "Okay");

    ASSERT_EQ(screen.rows.size(), 3u);
    EXPECT_EQ(screen.rows[0], (Cells{"Letters.dbx", "Outlook Express mailboxes", "v6.0", "Okay"}));
    EXPECT_EQ(screen.rows[2], (Cells{"y.wab", "", "", "Okay"})) << "status stays in column 3";
    EXPECT_EQ(state.profileList,
              (std::vector<std::string>{
                  "C:\\Mail\\Outlook Express\\Letters.dbx|Outlook Express mailboxes|v6.0",
                  "C:\\Mail\\old.pst|Outlook personal folders|[No idea]", "D:\\x\\y.wab||"}));
    // Only the status cell has its own colour.
    EXPECT_EQ(screen.cellColours.size(), 3u);
    EXPECT_EQ(screen.cellColours[std::make_pair(0, 3)], 0x0002F7FDu);
    EXPECT_EQ(screen.cellColours[std::make_pair(1, 3)], 0x001B22FBu);
    EXPECT_EQ(screen.cellColours[std::make_pair(2, 3)], 0x0002F7FDu);

    ClearFileRows(state, &screen);
    EXPECT_TRUE(screen.rows.empty());
    EXPECT_TRUE(state.profileList.empty());
}

} // namespace
} // namespace vintrel
