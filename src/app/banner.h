// The window title: a fixed banner followed by today's (UTC) date in English words.
#pragma once

#include <string>

#include "app/state.h"

namespace vintrel {

// 65 bytes in Windows-1252; 0xB0, 0xB2 and 0xB3 are the degree sign, superscript two and
// superscript three.
inline constexpr char kTitleBanner[] =
    "<\xB0)))o><\xB2\xB3  Vintrel Backup 1.0   --* Dulvex *--    --   Today is ";

// The calendar fields of the system clock that the title uses.
struct CalendarDate {
    int dayOfWeek; // 0 Sunday .. 6 Saturday
    int day;       // 1 .. 31
    int month;     // 1 .. 12
    int year;
};

// The day of the month with its English ordinal suffix: "1" gives "1st", "11" gives "11th".
std::string DayOrdinal(const std::string& day);

// "Tuesday, 1st, January, 2008"
std::string DateText(const AppState& state, const CalendarDate& date);

std::string BannerTitle(const AppState& state, const CalendarDate& date);

} // namespace vintrel
