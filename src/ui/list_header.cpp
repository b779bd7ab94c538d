#include "ui/list_header.h"

#include <commctrl.h>

#include <cstring>

#include "app/ids.h"
#include "ui/controls.h"

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
    HeaderControl(data.header).GetItemText(static_cast<int>(draw.dwItemSpec), caption, 100);

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
    if (data.windowBrush == nullptr) data.windowBrush = CreateSolidBrush(state.windowColour);
    data.header = ListViewControl(list).Header();
    SetWindowLongPtrA(list, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&data));
    data.previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListHeaderProc)));
}

} // namespace vintrel
