// The event queue of the window layer: the window's messages become the program's events,
// and the keyboard shortcuts of the main window.
#include "ui/event_queue.h"

#include <algorithm>

#include "ui/gadgets.h"
#include "ui/main_window.h"

namespace vintrel {

namespace {

// Rows added during work that polls for messages reach the screen at most this long after:
// letting the list draw again costs Wine about 18 ms, whatever was added.
constexpr DWORD kListDrawIntervalMs = 200;

} // namespace

void EventQueue::Push(EventKind kind, int number) {
    events_.push_back({kind, number, static_cast<std::uint32_t>(GetMessageTime())});
}

Event EventQueue::Pop() {
    Event event = events_.front();
    events_.pop_front();
    return event;
}

void EventQueue::AddShortcut(BYTE flags, WORD key, WORD command) {
    shortcuts_.push_back({flags, key, command});
    if (accelerators_) DestroyAcceleratorTable(accelerators_);
    accelerators_ = CreateAcceleratorTableA(shortcuts_.data(), static_cast<int>(shortcuts_.size()));
}

void EventQueue::Dispatch(HWND window, MSG& message) {
    // Shortcuts belong to the main window and act only while it is the active one.
    if (window && accelerators_ && GetActiveWindow() == window &&
        TranslateAcceleratorA(window, accelerators_, &message)) {
        return;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

void EventQueue::Clear() {
    if (accelerators_) DestroyAcceleratorTable(accelerators_);
    accelerators_ = nullptr;
    shortcuts_.clear();
    events_.clear();
}

void WindowLayer::AddShortcut(BYTE flags, WORD key, WORD command) {
    events_.AddShortcut(flags, key, command);
}

Event WindowLayer::WaitForEvent() {
    ReleaseListDrawing();
    while (events_.Empty()) {
        MSG message;
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            // Nobody here posts WM_QUIT; should it come anyway, end like a close request.
            events_.Push(EventKind::CloseRequest, kMainWindowNumber);
            break;
        }
        events_.Dispatch(window_, message);
    }
    return events_.Pop();
}

std::optional<Event> WindowLayer::PollEvent() {
    // Work that polls (the search) shows its new rows a few times a second, not at every poll.
    if (fileList_.HeldFor(Milliseconds(), kListDrawIntervalMs)) ReleaseListDrawing();
    if (events_.Empty()) {
        MSG message;
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return std::nullopt;
        if (message.message == WM_QUIT) {
            events_.Push(EventKind::CloseRequest, kMainWindowNumber);
        } else {
            events_.Dispatch(window_, message);
        }
        if (events_.Empty()) {
            return Event{EventKind::None, static_cast<int>(message.message), message.time};
        }
    }
    return events_.Pop();
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
