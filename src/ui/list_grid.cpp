#include "ui/list_grid.h"

#include <commctrl.h>

namespace vintrel {

int ListRowHeight(HWND list) {
    RECT row{LVIR_BOUNDS, 0, 0, 0};
    if (SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) > 0 &&
        SendMessageA(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row))) {
        return row.bottom - row.top;
    }
    // Without rows, the small-item spacing of a report list is its row height.
    return HIWORD(SendMessageA(list, LVM_GETITEMSPACING, TRUE, 0));
}

void DrawListGrid(HWND list, HDC dc) {
    RECT client;
    GetClientRect(list, &client);
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    int top = 0;
    if (header && IsWindowVisible(header)) {
        RECT r;
        GetWindowRect(header, &r);
        MapWindowPoints(HWND_DESKTOP, list, reinterpret_cast<POINT*>(&r), 2);
        top = r.bottom;
    }
    const int rowHeight = ListRowHeight(list);
    HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);

    if (rowHeight > 0) {
        for (int y = top + rowHeight - 1; y < client.bottom; y += rowHeight) {
            RECT line{client.left, y, client.right, y + 1};
            FillRect(dc, &line, face);
        }
    }
    const int columns = header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    for (int i = 0; i < columns; ++i) {
        RECT item;
        if (!SendMessageA(header, HDM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item))) continue;
        MapWindowPoints(header, list, reinterpret_cast<POINT*>(&item), 2);
        RECT line{item.right - 1, top, item.right, client.bottom};
        FillRect(dc, &line, face);
    }
}

} // namespace vintrel
