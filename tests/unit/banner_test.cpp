#include <gtest/gtest.h>

#include "app/banner.h"

namespace vintrel {
namespace {

TEST(Banner, IsSixtyFiveBytesEndingInTodayIs) {
    const std::string banner = kTitleBanner;
    EXPECT_EQ(banner.size(), 65u);
    EXPECT_EQ(banner.substr(0, 10), "<\xB0)))o><\xB2\xB3");
    EXPECT_EQ(banner.substr(10), "  Vintrel Backup 1.0   --* Dulvex *--    --   Today is ");
}

TEST(Banner, DayOrdinals) {
    const std::pair<const char*, const char*> cases[] = {
        {"1", "1st"},   {"2", "2nd"},   {"3", "3rd"},   {"4", "4th"},   {"11", "11th"},
        {"12", "12th"}, {"13", "13th"}, {"21", "21st"}, {"22", "22nd"}, {"23", "23rd"},
        {"30", "30th"}, {"31", "31st"}, {"01", "01th"}, {"", "th"}};
    for (const auto& [day, ordinal] : cases)
        EXPECT_EQ(DayOrdinal(day), ordinal) << day;
}

TEST(Banner, DatesInEnglishWords) {
    AppState state;
    const std::string here = "C:\\";
    InitSharedState(state, &here);
    EXPECT_EQ(DateText(state, {2, 1, 1, 2008}), "Tuesday, 1st, January, 2008");
    EXPECT_EQ(DateText(state, {5, 22, 2, 2008}), "Friday, 22nd, February, 2008");
    EXPECT_EQ(DateText(state, {1, 31, 3, 2008}), "Monday, 31st, March, 2008");
    EXPECT_EQ(DateText(state, {5, 11, 1, 2008}), "Friday, 11th, January, 2008");
    EXPECT_EQ(DateText(state, {1, 7, 12, 2026}), "Monday, 7th, December, 2026");
    // 00:30 on Sunday 2 March 2008 at UTC+1 is still Saturday 1 March in UTC: the clock
    // gives the UTC fields, and those are what the title shows.
    EXPECT_EQ(DateText(state, {6, 1, 3, 2008}), "Saturday, 1st, March, 2008");
    EXPECT_EQ(BannerTitle(state, {2, 1, 1, 2008}),
              std::string(kTitleBanner) + "Tuesday, 1st, January, 2008");
    EXPECT_EQ(DateText(state, {9, 1, 13, 2008}), ", 1st, , 2008")
        << "no reading outside the tables";
}

} // namespace
} // namespace vintrel
