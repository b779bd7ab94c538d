// The main window's title: the banner and the date, byte for byte.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "app/banner.h"
#include "app/ids.h"
#include "ui/title_banner.h"
#include "window_fixture.h"

namespace vintrel {
namespace {

using test::MainWindowTest;

TEST_F(MainWindowTest, TitleIsTheBannerAndTheDateOfAFixedClockByteForByte) {
    SYSTEMTIME clock{};
    clock.wYear = 2026;
    clock.wMonth = 12;
    clock.wDayOfWeek = 1;
    clock.wDay = 7;
    clock.wHour = 23;
    SetBannerTitle(layer, state, kMainWindowNumber, &clock);
    char title[200] = "";
    GetWindowTextA(main, title, sizeof title);
    EXPECT_EQ(std::string(title), std::string(kTitleBanner) + "Monday, 7th, December, 2026");
    // The three high bytes arrive as the Windows-1252 characters they stand for.
    wchar_t wide[200] = L"";
    GetWindowTextW(main, wide, 200);
    EXPECT_EQ(wide[1], 0x00B0);
    EXPECT_EQ(wide[8], 0x00B2);
    EXPECT_EQ(wide[9], 0x00B3);
    EXPECT_EQ(GetACP(), 1252u);

    SetBannerTitle(layer, state, 2, &clock); // no such window: nothing happens
    GetWindowTextA(main, title, sizeof title);
    EXPECT_EQ(std::string(title), std::string(kTitleBanner) + "Monday, 7th, December, 2026");
}

TEST_F(MainWindowTest, StartUpTitleShowsTodaysUtcDate) {
    SYSTEMTIME before, after;
    GetSystemTime(&before);
    char title[200] = "";
    GetWindowTextA(main, title, sizeof title);
    GetSystemTime(&after);
    auto expected = [&](const SYSTEMTIME& t) {
        return BannerTitle(state, {t.wDayOfWeek, t.wDay, t.wMonth, t.wYear});
    };
    EXPECT_TRUE(title == expected(before) || title == expected(after)) << title;
}

} // namespace
} // namespace vintrel
