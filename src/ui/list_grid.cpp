#include "ui/list_grid.h"

#include "ui/controls.h"

namespace vintrel {

int ListRowHeight(HWND list) {
    const ListViewControl view(list);
    RECT row{};
    if (view.ItemCount() > 0 && view.ItemBounds(0, row)) return row.bottom - row.top;
    // Without rows, the small-item spacing of a report list is its row height.
    return view.SmallItemSpacing();
}

void DrawListGrid(HWND list, HDC dc) {
    RECT client;
    GetClientRect(list, &client);
    HWND header = ListViewControl(list).Header();
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
    const HeaderControl columns(header);
    const int count = header ? columns.ItemCount() : 0;
    for (int i = 0; i < count; ++i) {
        RECT item;
        if (!columns.ItemRect(i, item)) continue;
        MapWindowPoints(header, list, reinterpret_cast<POINT*>(&item), 2);
        RECT line{item.right - 1, top, item.right, client.bottom};
        FillRect(dc, &line, face);
    }
}

} // namespace vintrel
