// The window layer as the program's event pump: waiting and polling for events, keeping the
// window painted during long work, the clock, and the keys that move the focus.
#include "ui/main_window.h"

#include <algorithm>

#include "ui/gadgets.h"

namespace vintrel {

namespace {

// Rows added during work that polls for messages reach the screen at most this long after:
// letting the list draw again costs Wine about 18 ms, whatever was added.
constexpr DWORD kListDrawIntervalMs = 200;

} // namespace

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

std::uint32_t WindowLayer::Milliseconds() {
    // The one clock of the screen's work (the turning mark, the list's drawing, the search's
    // upkeep, the copy's painting): that of the window messages' own times, so that the work
    // that polls can tell what the user did before a moment from what came after it. Read in
    // the process.
    return GetTickCount();
}

void WindowLayer::KeepPainted() {
    // Only paint messages and those sent by other threads or programs: presses, keys and
    // close requests stay queued for the event loop.
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE)) {
        DispatchMessageA(&message);
    }
}

void WindowLayer::ReturnEvent(const Event& event) {
    events_.Return(event);
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
