#include "ui/title_banner.h"

#include "app/banner.h"

namespace vintrel {

int SetBannerTitle(WindowLayer& layer, const AppState& state, int windowNumber,
                   const SYSTEMTIME* clock) {
    SYSTEMTIME now;
    if (clock != nullptr) {
        now = *clock;
    } else {
        GetSystemTime(&now); // UTC: the local time zone plays no part
    }
    const CalendarDate date{now.wDayOfWeek, now.wDay, now.wMonth, now.wYear};
    if (HWND window = layer.Window(windowNumber)) {
        SetWindowTextA(window, BannerTitle(state, date).c_str());
    }
    return 0;
}

} // namespace vintrel
