// What the program does to its window. One real implementation drives the Win32 window;
// the unit tests record the calls.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/state.h"

namespace vintrel {

enum class EventKind : int {
    None = 0,         // a window message that made no event; number: the message number
    CloseRequest = 1, // number: the window number
    Command = 2,      // number: the command number (a keyboard shortcut)
    Gadget = 3,       // number: the gadget number
};

struct Event {
    EventKind kind = EventKind::None;
    int number = 0;
    // When the user made it: the time of the window message behind it, on the clock of
    // EventPump::Milliseconds.
    std::uint32_t time = 0;
    friend bool operator==(const Event& a, const Event& b) {
        return a.kind == b.kind && a.number == b.number;
    }
};

// What work that runs for a while needs of the window, and what the event loop takes its
// events from. A run without a window has none.
class EventPump {
public:
    virtual ~EventPump() = default;

    // Blocks until the next event and returns it; events queued earlier come first.
    virtual Event WaitForEvent() = 0;
    // Handles at most one pending window message. Nothing when none was pending; otherwise
    // the event it produced or, when the message made no event, an event of kind None whose
    // number is the message number.
    virtual std::optional<Event> PollEvent() = 0;

    // Lets the window paint and answer what other programs send it, during long work that
    // takes no input: presses and keys stay queued for later.
    virtual void KeepPainted() = 0;

    // Puts an event taken by PollEvent back, behind any still queued, for the event loop.
    virtual void ReturnEvent(const Event& event) = 0;

    // A cheap clock in milliseconds (wrapping round), for pacing the window's upkeep during
    // long work; reading it never waits on the window system.
    virtual std::uint32_t Milliseconds() = 0;
};

// Where the file list and the texts the user reads go.
class ListSink {
public:
    virtual ~ListSink() = default;

    // Shows a text in a field of the status bar (0: messages, 1: the search's mark).
    virtual void SetStatusText(int field, const std::string& text) = 0;
    // Replaces the text of a gadget; a number that names no gadget does nothing.
    virtual void SetGadgetText(int gadget, const std::string& text) = 0;

    // The file list: rows are only appended or all removed. A row text holds the cells
    // separated by line feeds. AddListRow returns the index of the new row.
    virtual int AddListRow(const std::string& rowText) = 0;
    virtual void SetListCellColour(int row, int column, Colour textColour) = 0;
    virtual void ClearListRows() = 0;
};

// The boxes that ask or tell the user, each modal for the whole program.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A message box; returns the button pressed.
    virtual int ShowMessageBox(const std::string& caption, const std::string& text,
                               unsigned type) = 0;

    // The folder chooser: the chosen directory's path ending in "\", or nothing when the user
    // cancels or no chooser is available.
    virtual std::string FolderDialog(const std::string& title, const std::string& initialPath) = 0;
};

// The whole window.
class Screen : public EventPump, public ListSink, public Dialogs {
public:
    virtual void ActivateMainWindow() = 0;
    virtual void CloseMainWindow() = 0;
};

} // namespace vintrel
