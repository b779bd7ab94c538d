// The file list: a list view whose state, custom drawing and header drawing are its own.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "app/state.h"
#include "ui/controls.h"

namespace vintrel {

class FileListView {
public:
    FileListView() = default;
    FileListView(const FileListView&) = delete;
    FileListView& operator=(const FileListView&) = delete;
    ~FileListView();

    // Takes over the list made for the file list: its columns and colours, and the one
    // subclass it gets from us, which draws the column headers as buttons in the window
    // colour. From then on messages go straight to the list's own procedure, past the
    // procedures that subclass it (under Wine the tooltip's costs a server trip a message).
    void Attach(HWND list, Colour windowColour);
    // The window is gone: everything done to the list does nothing from now on.
    void Forget();
    HWND Handle() const { return list_; }
    ListViewControl View() const { return ListViewControl(list_, own_); }

    // Rows are added with the list's drawing held: under Wine a list that may draw repaints
    // itself at every insert, some milliseconds each. A row text holds the cells separated by
    // line feeds; the row's index, or -1.
    int AddRow(const std::string& rowText, std::uint32_t now);
    void SetCellColour(int row, int column, Colour textColour);
    void Clear();
    // Lets the list draw the rows added since it last drew.
    void ReleaseDrawing();
    // Whether drawing has been held for at least `interval` milliseconds by `now`.
    bool HeldFor(std::uint32_t now, std::uint32_t interval) const {
        return held_ && now - heldSince_ >= interval;
    }

    // The list's own custom drawing: single cells in their own colours, the grid lines.
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW* draw);

private:
    static LRESULT CALLBACK HeaderDrawingProc(HWND list, UINT message, WPARAM wParam,
                                              LPARAM lParam);
    void PaintHeaderItem(NMCUSTOMDRAW& draw) const;

    HWND list_ = nullptr;
    HWND header_ = nullptr;
    WNDPROC own_ = nullptr;      // the list's own procedure
    WNDPROC previous_ = nullptr; // what our subclass hands every message on to
    HBRUSH headerBrush_ = nullptr;
    std::map<std::pair<int, int>, Colour> cellColours_; // (row, column) -> text colour
    bool held_ = false;
    std::uint32_t heldSince_ = 0;
};

} // namespace vintrel
