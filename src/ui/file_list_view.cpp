#include "ui/file_list_view.h"

#include <cstring>
#include <vector>

#include "app/file_list.h"
#include "ui/gadgets.h"
#include "ui/list_grid.h"

namespace vintrel {

FileListView::~FileListView() {
    if (headerBrush_) DeleteObject(headerBrush_);
}

void FileListView::Attach(HWND list, Colour windowColour) {
    list_ = list;
    own_ = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(list, GWLP_WNDPROC));
    const ListViewControl view = View();
    header_ = view.Header();
    DrawUnthemed(list);
    DrawUnthemed(header_);
    view.SetExtendedStyle(LVS_EX_DOUBLEBUFFER);
    view.InsertColumn(0, kColumns[0].header, kColumns[0].width);
    view.SetBackColours(windowColour);
    for (int column = 1; column < static_cast<int>(std::size(kColumns)); ++column)
        view.InsertColumn(column, kColumns[column].header, kColumns[column].width);
    if (headerBrush_ == nullptr) headerBrush_ = CreateSolidBrush(windowColour);
    // Kept in the list's user data: every message to the list passes the subclass, and a
    // window property would cost a trip to Wine's server each time.
    SetWindowLongPtrA(list, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    previous_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(HeaderDrawingProc)));
}

void FileListView::Forget() {
    list_ = header_ = nullptr;
    own_ = nullptr;
    held_ = false;
    cellColours_.clear();
}

int FileListView::AddRow(const std::string& rowText, std::uint32_t now) {
    if (list_ == nullptr) return -1;
    if (!held_) {
        View().SetRedraw(false);
        held_ = true;
        heldSince_ = now;
    }
    const ListViewControl view = View();
    const std::vector<std::string> cells = SplitRowText(rowText);
    const int row = view.AppendItem(cells[0].c_str());
    if (row < 0) return row;
    for (std::size_t column = 1; column < cells.size(); ++column)
        view.SetItemText(row, static_cast<int>(column), cells[column].c_str());
    return row;
}

void FileListView::ReleaseDrawing() {
    if (!held_) return;
    held_ = false;
    if (list_) View().SetRedraw(true); // repaints the whole list
}

void FileListView::SetCellColour(int row, int column, Colour textColour) {
    if (row < 0) return;
    cellColours_[{row, column}] = textColour;
    // While drawing is held the whole list is drawn anew when it is released.
    if (list_ && !held_) View().RedrawItems(row, row);
}

void FileListView::Clear() {
    cellColours_.clear();
    if (list_) View().DeleteAllItems();
}

LRESULT FileListView::OnCustomDraw(NMLVCUSTOMDRAW* draw) {
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        // Only some cells have a colour of their own; every other cell is drawn in the
        // list's colours, not in whatever the cell before it used.
        const ListViewControl view = View();
        const auto it =
            cellColours_.find({static_cast<int>(draw->nmcd.dwItemSpec), draw->iSubItem});
        draw->clrText = it != cellColours_.end() ? it->second : view.TextColour();
        draw->clrTextBk = view.TextBackColour();
        return CDRF_NEWFONT;
    }
    case CDDS_POSTPAINT:
        DrawListGrid(draw->nmcd.hdr.hwndFrom, draw->nmcd.hdc);
        return CDRF_DODEFAULT;
    default:
        return CDRF_DODEFAULT;
    }
}

void FileListView::PaintHeaderItem(NMCUSTOMDRAW& draw) const {
    char caption[101];
    std::memset(caption, ' ', 100);
    caption[100] = '\0';
    HeaderControl(header_).GetItemText(static_cast<int>(draw.dwItemSpec), caption, 100);

    if (draw.uItemState & CDIS_SELECTED) {
        DrawFrameControl(draw.hdc, &draw.rc, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED);
        InflateRect(&draw.rc, -1, -1);
    } else {
        DrawFrameControl(draw.hdc, &draw.rc, DFC_BUTTON, DFCS_BUTTONPUSH);
    }
    InflateRect(&draw.rc, -1, -1);
    SetBkMode(draw.hdc, TRANSPARENT);
    FillRect(draw.hdc, &draw.rc, headerBrush_);
    SetTextColor(draw.hdc, 0);
    DrawTextA(draw.hdc, caption, static_cast<int>(std::strlen(caption)), &draw.rc,
              DT_CENTER | DT_VCENTER | DT_END_ELLIPSIS);
}

LRESULT CALLBACK FileListView::HeaderDrawingProc(HWND list, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
    const auto* view =
        reinterpret_cast<const FileListView*>(GetWindowLongPtrA(list, GWLP_USERDATA));
    if (view == nullptr) return DefWindowProcA(list, message, wParam, lParam);
    // The list's own procedure sees every message first.
    const LRESULT answer = CallWindowProcA(view->previous_, list, message, wParam, lParam);
    if (message == WM_NCDESTROY) SetWindowLongPtrA(list, GWLP_USERDATA, 0);
    if (message != WM_NOTIFY) return answer;
    auto* from = reinterpret_cast<NMHDR*>(lParam);
    // Only the header's drawing is ours: the list's own tooltips also draw through here.
    if (from->code != static_cast<UINT>(NM_CUSTOMDRAW) || from->hwndFrom != view->header_) {
        return answer;
    }
    auto* draw = reinterpret_cast<NMCUSTOMDRAW*>(lParam);
    switch (draw->dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        view->PaintHeaderItem(*draw);
        return CDRF_SKIPDEFAULT;
    default:
        return answer;
    }
}

} // namespace vintrel
