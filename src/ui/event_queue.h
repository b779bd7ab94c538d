// The events of the window layer: what the window's messages became, oldest first, and the
// keyboard shortcuts that turn keys into commands.
#pragma once

#include <windows.h>

#include <deque>
#include <vector>

#include "app/screen.h"

namespace vintrel {

class EventQueue {
public:
    EventQueue() = default;
    EventQueue(const EventQueue&) = delete;
    EventQueue& operator=(const EventQueue&) = delete;
    ~EventQueue() { Clear(); }

    // An event made by the message being handled, stamped with that message's time (when the
    // user acted, not when it was seen).
    void Push(EventKind kind, int number);
    // An event taken out and put back, behind any still queued.
    void Return(const Event& event) { events_.push_back(event); }
    bool Empty() const { return events_.empty(); }
    Event Pop();

    // Adds a shortcut of `window`; it arrives as a command event.
    void AddShortcut(BYTE flags, WORD key, WORD command);
    // Handles one window message: the shortcuts act only while `window` is the active one.
    void Dispatch(HWND window, MSG& message);

    // Forgets every event and shortcut.
    void Clear();

private:
    std::deque<Event> events_;
    std::vector<ACCEL> shortcuts_;
    HACCEL accelerators_ = nullptr;
};

} // namespace vintrel
