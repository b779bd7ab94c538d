// Thin wrappers over the messages of the common controls we use: one small class per kind of
// control, holding only its window handle, so that the window code reads as calls instead of
// SendMessageA with casts.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "win32/system_calls.h"

namespace vintrel {

// Controls whose colours we set are drawn without the system's visual theme, which would
// paint over those colours with its own. A Windows or Wine without uxtheme still runs (the
// controls are then unthemed anyway).
inline void DrawUnthemed(HWND control) {
    const auto setWindowTheme = system_calls::SetWindowTheme();
    // A single blank names no theme; empty texts would mean "the default theme".
    if (control && setWindowTheme) setWindowTheme(control, L" ", L" ");
}

// What every control shares: its handle, and one way to send it a message, which returns what
// the message returns. The plain controls (buttons, edit fields, captions) need nothing more:
// their text is the window text. With `ownProcedure`, messages go straight to the control's own
// procedure, past the procedures that subclass it.
class Control {
public:
    explicit Control(HWND handle, WNDPROC ownProcedure = nullptr)
        : handle_(handle), own_(ownProcedure) {}
    HWND Handle() const { return handle_; }
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) const {
        return own_ ? CallWindowProcA(own_, handle_, message, wParam, lParam)
                    : SendMessageA(handle_, message, wParam, lParam);
    }
    void SetFont(HFONT font, bool redraw = true) const {
        Send(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
    }

private:
    HWND handle_;
    WNDPROC own_;
};

class ListViewControl : public Control {
public:
    using Control::Control;

    int ItemCount() const { return static_cast<int>(Send(LVM_GETITEMCOUNT, 0, 0)); }
    // Appends a row with the text of its first cell; its index, or -1.
    int AppendItem(const char* text) const {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = ItemCount();
        item.pszText = const_cast<char*>(text);
        return static_cast<int>(Send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    }
    bool SetItemText(int row, int column, const char* text) const {
        LVITEMA cell{};
        cell.iSubItem = column;
        cell.pszText = const_cast<char*>(text);
        return Send(LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&cell)) != 0;
    }
    bool DeleteAllItems() const { return Send(LVM_DELETEALLITEMS, 0, 0) != 0; }
    bool RedrawItems(int first, int last) const { return Send(LVM_REDRAWITEMS, first, last) != 0; }
    void SetRedraw(bool on) const { Send(WM_SETREDRAW, on, 0); }
    int InsertColumn(int index, const char* header, int width) const {
        LVCOLUMNA column{};
        column.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = width;
        column.pszText = const_cast<char*>(header);
        column.iSubItem = index;
        return static_cast<int>(Send(LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column)));
    }
    void SetExtendedStyle(DWORD style) const { Send(LVM_SETEXTENDEDLISTVIEWSTYLE, style, style); }
    bool SetBackColours(COLORREF colour) const {
        const bool back = Send(LVM_SETBKCOLOR, 0, colour) != 0;
        return Send(LVM_SETTEXTBKCOLOR, 0, colour) != 0 && back;
    }
    COLORREF TextColour() const { return static_cast<COLORREF>(Send(LVM_GETTEXTCOLOR, 0, 0)); }
    COLORREF TextBackColour() const {
        return static_cast<COLORREF>(Send(LVM_GETTEXTBKCOLOR, 0, 0));
    }
    HWND Header() const { return reinterpret_cast<HWND>(Send(LVM_GETHEADER, 0, 0)); }
    bool ItemBounds(int row, RECT& bounds) const {
        bounds.left = LVIR_BOUNDS;
        return Send(LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds)) != 0;
    }
    // The vertical spacing of small items, which in a report list is its row height.
    int SmallItemSpacing() const { return HIWORD(Send(LVM_GETITEMSPACING, TRUE, 0)); }
};

class StatusBarControl : public Control {
public:
    using Control::Control;
    bool SetText(int field, const std::string& text) const {
        return Send(SB_SETTEXTA, static_cast<WPARAM>(field),
                    reinterpret_cast<LPARAM>(text.c_str())) != 0;
    }
    // The fields, given by the right edge of each, in order.
    bool SetParts(int count, const int* rightEdges) const {
        return Send(SB_SETPARTS, count, reinterpret_cast<LPARAM>(rightEdges)) != 0;
    }
    void SetMinHeight(int height) const {
        Send(SB_SETMINHEIGHT, height, 0);
        Send(WM_SIZE, 0, 0); // it takes its new height at the bottom
    }
    // The colour it had before.
    COLORREF SetBackColour(COLORREF colour) const {
        return static_cast<COLORREF>(Send(SB_SETBKCOLOR, 0, colour));
    }
};

class HeaderControl : public Control {
public:
    using Control::Control;
    int ItemCount() const { return static_cast<int>(Send(HDM_GETITEMCOUNT, 0, 0)); }
    bool ItemRect(int index, RECT& rect) const {
        return Send(HDM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect)) != 0;
    }
    // Reads an item's caption into a buffer of at least `limit` + 1 characters.
    bool GetItemText(int index, char* buffer, int limit) const {
        HDITEMA item{};
        item.mask = HDI_TEXT;
        item.pszText = buffer;
        item.cchTextMax = limit;
        return Send(HDM_GETITEMA, index, reinterpret_cast<LPARAM>(&item)) != 0;
    }
};

class ToolTipControl : public Control {
public:
    using Control::Control;
    void SetColours(COLORREF text, COLORREF back) const {
        Send(TTM_SETTIPTEXTCOLOR, text, 0);
        Send(TTM_SETTIPBKCOLOR, back, 0);
    }
    // The width it had before.
    int SetMaxWidth(int width) const {
        return static_cast<int>(Send(TTM_SETMAXTIPWIDTH, 0, width));
    }
    bool AddTool(const TOOLINFOA& tool) const {
        return Send(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
    }
    void Update() const { Send(TTM_UPDATE, 0, 0); }
};

} // namespace vintrel
