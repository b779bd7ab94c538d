// The event queue of the window layer: the window's messages become the program's events,
// and the keyboard shortcuts of the main window.
#include <algorithm>

#include "ui/gadgets.h"
#include "ui/main_window.h"

namespace vintrel {

namespace {

// Rows added during work that polls for messages reach the screen at most this long after:
// letting the list draw again costs Wine about 18 ms, whatever was added.
constexpr DWORD kListDrawIntervalMs = 200;

// What PollEvent returns for a WM_NULL that made no event: never 0, never a message number.
constexpr int kNullMessageMark = 0x10000;

} // namespace

void WindowLayer::AddShortcut(BYTE flags, WORD key, WORD command) {
    shortcuts_.push_back({flags, key, command});
    RebuildShortcuts();
}

void WindowLayer::RebuildShortcuts() {
    if (accelerators_) DestroyAcceleratorTable(accelerators_);
    accelerators_ = CreateAcceleratorTableA(shortcuts_.data(), static_cast<int>(shortcuts_.size()));
}

void WindowLayer::HandleWindowMessage(MSG& message) {
    // Shortcuts belong to the main window and act only while it is the active one.
    if (window_ && accelerators_ && GetActiveWindow() == window_ &&
        TranslateAcceleratorA(window_, accelerators_, &message)) {
        return;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

Event WindowLayer::WaitForEvent() {
    ReleaseListDrawing();
    while (events_.empty()) {
        MSG message;
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            // Nobody here posts WM_QUIT; should it come anyway, end like a close request.
            QueueEvent(EventKind::CloseRequest, kMainWindowNumber);
            break;
        }
        HandleWindowMessage(message);
    }
    Event event = events_.front();
    events_.pop_front();
    return event;
}

int WindowLayer::PollEvent(Event* event) {
    // Work that polls (the search) shows its new rows a few times a second, not at every poll.
    if (fileList_.HeldFor(Milliseconds(), kListDrawIntervalMs)) ReleaseListDrawing();
    if (events_.empty()) {
        MSG message;
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return 0;
        if (message.message == WM_QUIT) {
            QueueEvent(EventKind::CloseRequest, kMainWindowNumber);
        } else {
            HandleWindowMessage(message);
        }
        if (events_.empty()) {
            return message.message != 0 ? static_cast<int>(message.message) : kNullMessageMark;
        }
    }
    *event = events_.front();
    events_.pop_front();
    return static_cast<int>(event->kind);
}

void WindowLayer::MoveFocus(bool forward) {
    std::vector<HWND> stops;
    for (const GadgetSpec& g : kGadgets) {
        HWND gadget = Gadget(g.number);
        if (gadget && IsWindowVisible(gadget) && IsWindowEnabled(gadget) &&
            (GetWindowLongA(gadget, GWL_STYLE) & WS_TABSTOP)) {
            stops.push_back(gadget);
        }
    }
    if (stops.empty()) return;
    HWND focus = GetFocus();
    auto current = std::find_if(stops.begin(), stops.end(), [focus](HWND stop) {
        return stop == focus || IsChild(stop, focus);
    });
    std::size_t next;
    if (current == stops.end()) {
        next = forward ? 0 : stops.size() - 1;
    } else {
        const std::size_t at = static_cast<std::size_t>(current - stops.begin());
        next = forward ? (at + 1) % stops.size() : (at + stops.size() - 1) % stops.size();
    }
    SetFocus(stops[next]);
}

} // namespace vintrel
