// The file list of the window layer: its columns and colours, rows added and removed, and
// the colour of single cells, drawn through the list's custom drawing.
#include "app/file_list.h"
#include "ui/gadgets.h"
#include "ui/list_grid.h"
#include "ui/main_window.h"

namespace vintrel {

void WindowLayer::SetUpFileList(HWND list) {
    listProcedure_ = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(list, GWLP_WNDPROC));
    const ListViewControl view(list);
    DrawUnthemed(list);
    DrawUnthemed(view.Header());
    view.SetExtendedStyle(LVS_EX_DOUBLEBUFFER);
    view.InsertColumn(0, kColumns[0].header, kColumns[0].width);
    view.SetBackColours(kWindowColour);
    for (int column = 1; column < static_cast<int>(std::size(kColumns)); ++column)
        view.InsertColumn(column, kColumns[column].header, kColumns[column].width);
}

// A message sent to the list passes the tooltip's subclass, which under Wine looks up a window
// property through the server for every message (0.13 ms); the tooltip only wants the mouse
// messages, so the list's own messages go straight to its own procedure.
ListViewControl WindowLayer::List() const {
    return ListViewControl(Gadget(kFileList), listProcedure_);
}

// Under Wine a list view that may draw repaints itself at every insert and every text set,
// some milliseconds each. Rows are added with drawing held, and the list draws once, with
// all of them, when messages are next handled.
void WindowLayer::HoldListDrawing() {
    if (listHeld_) return;
    List().SetRedraw(false);
    listHeld_ = true;
    listHeldSince_ = GetTickCount();
}

void WindowLayer::ReleaseListDrawing() {
    if (!listHeld_) return;
    listHeld_ = false;
    if (Gadget(kFileList)) List().SetRedraw(true); // repaints the whole list
}

int WindowLayer::AddListRow(const std::string& rowText) {
    if (Gadget(kFileList) == nullptr) return -1;
    HoldListDrawing();
    const ListViewControl list = List();
    const std::vector<std::string> cells = SplitRowText(rowText);
    const int row = list.AppendItem(cells[0].c_str());
    if (row < 0) return row;
    for (std::size_t column = 1; column < cells.size(); ++column)
        list.SetItemText(row, static_cast<int>(column), cells[column].c_str());
    return row;
}

void WindowLayer::SetListCellColour(int row, int column, Colour textColour) {
    if (row < 0) return;
    cellColours_[{row, column}] = textColour;
    // While drawing is held the whole list is drawn anew when it is released.
    if (Gadget(kFileList) && !listHeld_) List().RedrawItems(row, row);
}

void WindowLayer::ClearListRows() {
    cellColours_.clear();
    if (Gadget(kFileList)) List().DeleteAllItems();
}

LRESULT WindowLayer::OnListCustomDraw(NMLVCUSTOMDRAW* draw) {
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        // Only some cells have a colour of their own; every other cell is drawn in the
        // list's colours, not in whatever the cell before it used.
        const ListViewControl list = List();
        const auto it =
            cellColours_.find({static_cast<int>(draw->nmcd.dwItemSpec), draw->iSubItem});
        draw->clrText = it != cellColours_.end() ? it->second : list.TextColour();
        draw->clrTextBk = list.TextBackColour();
        return CDRF_NEWFONT;
    }
    case CDDS_POSTPAINT:
        DrawListGrid(draw->nmcd.hdr.hwndFrom, draw->nmcd.hdc);
        return CDRF_DODEFAULT;
    default:
        return CDRF_DODEFAULT;
    }
}

} // namespace vintrel
