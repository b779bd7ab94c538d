// Thin wrappers over the messages of the common controls we use: one small class per kind of
// control, holding only its window handle, so that the window code reads as calls instead of
// SendMessageA with casts.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace vintrel {

// Controls whose colours we set are drawn without the system's visual theme, which would
// paint over those colours with its own. uxtheme is looked up when first needed, so that a
// Windows or Wine without it still runs (the controls are then unthemed anyway).
inline void DrawUnthemed(HWND control) {
    using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    static const SetWindowThemeFn setWindowTheme = [] {
        HMODULE uxtheme = LoadLibraryA("uxtheme.dll");
        return uxtheme ? reinterpret_cast<SetWindowThemeFn>(
                             reinterpret_cast<void*>(GetProcAddress(uxtheme, "SetWindowTheme")))
                       : nullptr;
    }();
    // A single blank names no theme; empty texts would mean "the default theme".
    if (control && setWindowTheme) setWindowTheme(control, L" ", L" ");
}

class ListViewControl {
public:
    // With `ownProcedure`, messages go straight to the list's own procedure, past the
    // procedures that subclass it.
    explicit ListViewControl(HWND list, WNDPROC ownProcedure = nullptr)
        : list_(list), own_(ownProcedure) {}
    HWND Handle() const { return list_; }

    int ItemCount() const { return static_cast<int>(Send(LVM_GETITEMCOUNT, 0, 0)); }
    // Appends a row with the text of its first cell; its index, or -1.
    int AppendItem(const char* text) const {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = ItemCount();
        item.pszText = const_cast<char*>(text);
        return static_cast<int>(Send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    }
    void SetItemText(int row, int column, const char* text) const {
        LVITEMA cell{};
        cell.iSubItem = column;
        cell.pszText = const_cast<char*>(text);
        Send(LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&cell));
    }
    void DeleteAllItems() const { Send(LVM_DELETEALLITEMS, 0, 0); }
    void RedrawItems(int first, int last) const { Send(LVM_REDRAWITEMS, first, last); }
    void SetRedraw(bool on) const { Send(WM_SETREDRAW, on, 0); }
    void InsertColumn(int index, const char* header, int width) const {
        LVCOLUMNA column{};
        column.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = width;
        column.pszText = const_cast<char*>(header);
        column.iSubItem = index;
        Send(LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
    }
    void SetExtendedStyle(DWORD style) const { Send(LVM_SETEXTENDEDLISTVIEWSTYLE, style, style); }
    void SetBackColours(COLORREF colour) const {
        Send(LVM_SETBKCOLOR, 0, colour);
        Send(LVM_SETTEXTBKCOLOR, 0, colour);
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

private:
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) const {
        return own_ ? CallWindowProcA(own_, list_, message, wParam, lParam)
                    : SendMessageA(list_, message, wParam, lParam);
    }
    HWND list_;
    WNDPROC own_;
};

class StatusBarControl {
public:
    explicit StatusBarControl(HWND bar) : bar_(bar) {}
    void SetText(int field, const std::string& text) const {
        SendMessageA(bar_, SB_SETTEXTA, static_cast<WPARAM>(field),
                     reinterpret_cast<LPARAM>(text.c_str()));
    }
    // The fields, given by the right edge of each, in order.
    void SetParts(int count, const int* rightEdges) const {
        SendMessageA(bar_, SB_SETPARTS, count, reinterpret_cast<LPARAM>(rightEdges));
    }
    void SetMinHeight(int height) const {
        SendMessageA(bar_, SB_SETMINHEIGHT, height, 0);
        SendMessageA(bar_, WM_SIZE, 0, 0); // it takes its new height at the bottom
    }
    void SetBackColour(COLORREF colour) const { SendMessageA(bar_, SB_SETBKCOLOR, 0, colour); }

private:
    HWND bar_;
};

class HeaderControl {
public:
    explicit HeaderControl(HWND header) : header_(header) {}
    int ItemCount() const {
        return static_cast<int>(SendMessageA(header_, HDM_GETITEMCOUNT, 0, 0));
    }
    bool ItemRect(int index, RECT& rect) const {
        return SendMessageA(header_, HDM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect)) != 0;
    }
    // Reads an item's caption into a buffer of at least `limit` + 1 characters.
    void GetItemText(int index, char* buffer, int limit) const {
        HDITEMA item{};
        item.mask = HDI_TEXT;
        item.pszText = buffer;
        item.cchTextMax = limit;
        SendMessageA(header_, HDM_GETITEMA, index, reinterpret_cast<LPARAM>(&item));
    }

private:
    HWND header_;
};

class ToolTipControl {
public:
    explicit ToolTipControl(HWND tip) : tip_(tip) {}
    void SetColours(COLORREF text, COLORREF back) const {
        SendMessageA(tip_, TTM_SETTIPTEXTCOLOR, text, 0);
        SendMessageA(tip_, TTM_SETTIPBKCOLOR, back, 0);
    }
    void SetMaxWidth(int width) const { SendMessageA(tip_, TTM_SETMAXTIPWIDTH, 0, width); }
    void AddTool(const TOOLINFOA& tool) const {
        SendMessageA(tip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    void Update() const { SendMessageA(tip_, TTM_UPDATE, 0, 0); }

private:
    HWND tip_;
};

} // namespace vintrel
