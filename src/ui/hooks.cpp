#include "ui/hooks.h"

#include <commctrl.h>

#include <cstring>

#include "app/ids.h"
#include "ui/banner.h"

namespace vintrel {

namespace {

// What the header drawing needs, kept on the file list itself.
struct ListHeaderData {
    HWND header;
    WNDPROC previous;
    HBRUSH windowBrush;
};

void PaintHeaderItem(const ListHeaderData& data, NMCUSTOMDRAW& draw) {
    char caption[101];
    std::memset(caption, ' ', 100);
    caption[100] = '\0';
    HDITEMA item{};
    item.mask = HDI_TEXT;
    item.pszText = caption;
    item.cchTextMax = 100;
    SendMessageA(data.header, HDM_GETITEMA, draw.dwItemSpec, reinterpret_cast<LPARAM>(&item));

    if (draw.uItemState & CDIS_SELECTED) {
        DrawFrameControl(draw.hdc, &draw.rc, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED);
        InflateRect(&draw.rc, -1, -1);
    } else {
        DrawFrameControl(draw.hdc, &draw.rc, DFC_BUTTON, DFCS_BUTTONPUSH);
    }
    InflateRect(&draw.rc, -1, -1);
    SetBkMode(draw.hdc, TRANSPARENT);
    FillRect(draw.hdc, &draw.rc, data.windowBrush);
    SetTextColor(draw.hdc, 0);
    DrawTextA(draw.hdc, caption, static_cast<int>(std::strlen(caption)), &draw.rc,
              DT_CENTER | DT_VCENTER | DT_END_ELLIPSIS);
}

} // namespace

LRESULT CALLBACK ListHeaderProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    // Kept in the list's user data: every message to the list passes here, and a window
    // property would cost a trip to Wine's server each time.
    const auto* data =
        reinterpret_cast<const ListHeaderData*>(GetWindowLongPtrA(list, GWLP_USERDATA));
    if (data == nullptr) return DefWindowProcA(list, message, wParam, lParam);
    // The list's own procedure sees every message first.
    const LRESULT answer = CallWindowProcA(data->previous, list, message, wParam, lParam);
    if (message == WM_NCDESTROY) SetWindowLongPtrA(list, GWLP_USERDATA, 0);
    if (message != WM_NOTIFY) return answer;
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    // Only the header's drawing is ours: the list's own tooltips also draw through here.
    if (header->code != static_cast<UINT>(NM_CUSTOMDRAW) || header->hwndFrom != data->header) {
        return answer;
    }
    auto* draw = reinterpret_cast<NMCUSTOMDRAW*>(lParam);
    switch (draw->dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        PaintHeaderItem(*data, *draw);
        return CDRF_SKIPDEFAULT;
    default:
        return answer;
    }
}

void InstallListHeader(WindowLayer& layer, const AppState& state) {
    HWND list = layer.Gadget(kFileList);
    if (list == nullptr) return;
    // Lives as long as the program: the list may paint until its very end.
    static ListHeaderData data{};
    data.windowBrush = CreateSolidBrush(state.windowColour);
    data.header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    SetWindowLongPtrA(list, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&data));
    data.previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListHeaderProc)));
}

int AddBalloonTip(WindowLayer& layer, int windowNumber, int gadgetNumber, const char* text) {
    HWND window = layer.Window(windowNumber);
    HWND gadget = layer.Gadget(gadgetNumber);
    HWND tip = CreateWindowExA(0, TOOLTIPS_CLASSA, "", WS_POPUP | TTS_BALLOON | TTS_NOPREFIX, 0, 0,
                               0, 0, window, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (tip == nullptr) return 0;
    SetWindowPos(tip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SendMessageA(tip, TTM_SETTIPTEXTCOLOR, 0, 0);
    SendMessageA(tip, TTM_SETTIPBKCOLOR, 0xF58C0A, 0);
    SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, 180);
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE; // 44: without the reserved last field
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window;
    tool.uId = reinterpret_cast<UINT_PTR>(gadget);
    tool.lpszText = const_cast<char*>(text);
    SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageA(tip, TTM_UPDATE, 0, 0);
    return 0;
}

void AttachBalloonTips(WindowLayer& layer) {
    const std::pair<int, const char*> tips[] = {
        {kSearchButton,
         "Press this button to start the search for Outlook and Outlook Express data "
         "files. If the profile exists, it will be overwritten!!"},
        {kParentPathField, "This is the original parent path of the files to be backed up."},
        {kFileList, "All found Outlook and Outlook Express data files will be presented here with "
                    "version and status information"},
        {kTargetPathField, "This is the chosen target path to backup the files to. Plese be aware "
                           "that there is a Windows limit of 256 chars for a path length"},
        {kBrowseButton, "Press this button to select a backup location"},
        {kBackupButton,
         "Press this button to start backing up the found files to the chosen location"},
    };
    for (const auto& [gadget, text] : tips)
        AddBalloonTip(layer, kMainWindowNumber, gadget, text);
}

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
