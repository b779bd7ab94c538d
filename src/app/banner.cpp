#include "app/banner.h"

#include <cstdint>

namespace vintrel {

namespace {

// A name from a table, or nothing for an index outside it.
template <typename Table> std::string NameAt(const Table& table, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= table.size()) return "";
    return table[static_cast<std::size_t>(index)];
}

} // namespace

std::string DayOrdinal(const std::string& day) {
    if (day == "1" || day == "21" || day == "31") return day + "st";
    if (day == "2" || day == "22") return day + "nd";
    if (day == "3" || day == "23") return day + "rd";
    return day + "th";
}

std::string DateText(const AppState& state, const CalendarDate& date) {
    // The clock's fields are read as narrow signed values.
    const int dayOfWeek = static_cast<std::int8_t>(date.dayOfWeek);
    const int day = static_cast<std::int8_t>(date.day);
    const int month = static_cast<std::int8_t>(date.month);
    const int year = static_cast<std::int16_t>(date.year);
    return NameAt(state.dayNames, dayOfWeek) + ", " + DayOrdinal(std::to_string(day)) + ", " +
           NameAt(state.monthNames, month - 1) + ", " + std::to_string(year);
}

std::string BannerTitle(const AppState& state, const CalendarDate& date) {
    return kTitleBanner + DateText(state, date);
}

} // namespace vintrel
