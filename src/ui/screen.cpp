#include "ui/screen.h"

#include <algorithm>

#include "app/ids.h"
#include "app/modal_win32.h"
#include "ui/folder_dialog.h"

namespace vintrel {

void Win32Screen::SetStatusText(int field, const std::string& text) {
    layer_.SetStatusText(field, text);
}

void Win32Screen::SetGadgetText(int gadget, const std::string& text) {
    layer_.SetGadgetText(gadget, text);
}

int Win32Screen::AddListRow(const std::string& rowText) {
    return layer_.AddListRow(rowText);
}

void Win32Screen::SetListCellColour(int row, int column, Colour textColour) {
    layer_.SetListCellColour(row, column, textColour);
}

void Win32Screen::ClearListRows() {
    layer_.ClearListRows();
}

Event Win32Screen::WaitForEvent() {
    return layer_.WaitForEvent();
}

int Win32Screen::PollEvent(Event* event) {
    return layer_.PollEvent(event);
}

std::uint32_t Win32Screen::Milliseconds() {
    // The performance counter is read in the process (no trip to the window system, nor to
    // Wine's server), and finer than GetTickCount's 10 to 16 ms.
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<std::uint32_t>(now.QuadPart / std::max<LONGLONG>(frequency / 1000, 1));
}

int Win32Screen::ShowMessageBox(const std::string& caption, const std::string& text,
                                unsigned type) {
    layer_.ReleaseListDrawing(); // the box's own loop paints the window behind it
    return vintrel::ShowMessageBox(caption, text, type);
}

std::string Win32Screen::FolderDialog(const std::string& title, const std::string& initialPath) {
    layer_.ReleaseListDrawing();
    return ShowFolderDialog(title, initialPath);
}

void Win32Screen::ActivateMainWindow() {
    if (HWND window = layer_.Window(kMainWindowNumber)) SetActiveWindow(window);
}

void Win32Screen::CloseMainWindow() {
    layer_.CloseMainWindow();
}

} // namespace vintrel
