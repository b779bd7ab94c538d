// The window layer: the main window with its gadgets and status bar, their texts and
// colours, the file list, and the queue through which the window's messages become the
// program's events. It is the program's Screen: its event pump is in window_pump.cpp, the
// rest in main_window.cpp.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "app/ids.h"
#include "app/screen.h"
#include "app/state.h"
#include "ui/controls.h"
#include "ui/event_queue.h"
#include "ui/file_list_view.h"

namespace vintrel {

class WindowLayer : public Screen {
public:
    WindowLayer() = default;
    WindowLayer(const WindowLayer&) = delete;
    WindowLayer& operator=(const WindowLayer&) = delete;
    ~WindowLayer() override;

    // Builds and shows the whole window. False when the window itself cannot be made;
    // a gadget, font or status bar that cannot be made is passed over.
    bool OpenMainWindow(HINSTANCE instance);

    // The window with that number (1), or 0.
    HWND Window(int number) const;
    // The gadget with that number, or 0 when there is none (or no window any more).
    HWND Gadget(int number) const;
    HWND StatusBar() const { return statusBar_; }

    // Texts of field 1 (the search's turning mark) reach the screen at most about sixty times
    // a second; the newest one is always shown before the next text of another field.
    void SetStatusText(int field, const std::string& text) override;
    void SetGadgetText(int number, const std::string& text) override;
    int SetGadgetColours(int number, Colour front, Colour back);
    void SetStatusBarColour(Colour colour);

    // The file list. A row text holds the cells separated by line feeds. Rows are drawn
    // together when the program next waits for an event, opens a box, or polls at least a
    // fifth of a second after the first of them was added.
    int AddListRow(const std::string& rowText) override;
    void SetListCellColour(int row, int column, Colour textColour) override;
    void ClearListRows() override;
    // Lets the list draw the rows added since it last drew.
    void ReleaseListDrawing();

    // Adds a keyboard shortcut of the main window; it arrives as a command event.
    void AddShortcut(BYTE flags, WORD key, WORD command);

    Event WaitForEvent() override;
    std::optional<Event> PollEvent() override;
    void KeepPainted() override;
    void ReturnEvent(const Event& event) override;
    std::uint32_t Milliseconds() override;

    int ShowMessageBox(const std::string& caption, const std::string& text, unsigned type) override;
    std::string FolderDialog(const std::string& title, const std::string& initialPath) override;

    // Moves the keyboard focus to the next or previous gadget that takes it, wrapping round.
    void MoveFocus(bool forward);

    void ActivateMainWindow() override;
    // Destroys the window with its gadgets; operations on them then do nothing.
    void CloseMainWindow() override;
    // Gives back what the layer still holds: its window, fonts and brushes.
    void Release();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnCtlColor(UINT message, HDC dc, HWND control);
    void OnCommand(WPARAM wParam, LPARAM lParam);
    void CreateGadgets(HINSTANCE instance);
    void CreateStatusBar();
    HFONT MakeFont(int points, int weight);
    void ShowStatusText(int field, const std::string& text);
    void ShowPendingMark();
    void Forget(); // the window is gone

    struct GadgetColours {
        Colour front;
        Colour back;
        HBRUSH brush;
    };

    HWND window_ = nullptr;
    HWND statusBar_ = nullptr;
    std::array<HWND, kGadgetCount + 1> gadgets_{}; // by number; [0] unused
    EventQueue events_;
    std::map<int, GadgetColours> colours_;
    std::vector<HFONT> fonts_;
    std::string pendingMark_;
    bool markPending_ = false;
    DWORD markShownAt_ = 0;
    bool markEverShown_ = false;
    FileListView fileList_;
};

} // namespace vintrel
