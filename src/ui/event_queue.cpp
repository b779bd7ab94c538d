// The event queue of the window layer: the window's messages become the program's events,
// and the keyboard shortcuts of the main window.
#include "ui/event_queue.h"

namespace vintrel {

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

} // namespace vintrel
