// The real window's messages turned into events: buttons, close, shortcuts, focus.
#include <gtest/gtest.h>

#include <vector>

#include "app/ids.h"
#include "window_fixture.h"

namespace vintrel {
namespace {

using test::MainWindowTest;

constexpr int kGuardCommand = 0x7E00;

// Types keys for real: down in order, up in reverse.
void Press(std::initializer_list<WORD> keys) {
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = key;
        inputs.push_back(in);
    }
    for (auto it = keys.end(); it != keys.begin();) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = *--it;
        in.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(in);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

HWND guardTarget = nullptr;

void CALLBACK GuardFired(HWND, UINT, UINT_PTR, DWORD) {
    PostMessageA(guardTarget, WM_COMMAND, MAKEWPARAM(kGuardCommand, 0), 0);
}

class EventsTest : public MainWindowTest {
protected:
    // Waits for the next event that is not an edit-field notification. A guard command
    // comes after ten seconds, so that a missing event fails the test instead of hanging it.
    Event NextEvent() {
        guardTarget = main;
        const UINT_PTR guard = SetTimer(nullptr, 0, 10000, GuardFired);
        Event e;
        do {
            e = layer.WaitForEvent();
        } while (e.kind == EventKind::Gadget &&
                 (e.number == kTargetPathField || e.number == kParentPathField));
        KillTimer(nullptr, guard);
        return e;
    }
};

TEST_F(EventsTest, CloseRequestKeepsTheWindowOpen) {
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(NextEvent(), (Event{EventKind::CloseRequest, 1}));
    EXPECT_TRUE(IsWindow(main));
    EXPECT_TRUE(IsWindowVisible(main));
}

TEST_F(EventsTest, SystemMenuCloseIsACloseRequest) {
    PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(NextEvent(), (Event{EventKind::CloseRequest, 1}));
    EXPECT_TRUE(IsWindow(main));
}

TEST_F(EventsTest, ButtonPressesAreGadgetEventsWithTheirNumbers) {
    for (int n : {kSearchButton, kBrowseButton, kBackupButton}) {
        SendMessageA(Gadget(n), BM_CLICK, 0, 0);
        EXPECT_EQ(NextEvent(), (Event{EventKind::Gadget, n}));
    }
}

TEST_F(EventsTest, QueuedEventsComeOutOldestFirstBeforeNewMessages) {
    PostMessageA(main, WM_CLOSE, 0, 0);
    SendMessageA(Gadget(kSearchButton), BM_CLICK, 0, 0); // queued at once
    SendMessageA(Gadget(kBackupButton), BM_CLICK, 0, 0);
    EXPECT_EQ(layer.PollEvent(), (Event{EventKind::Gadget, kSearchButton}));
    EXPECT_EQ(layer.PollEvent(), (Event{EventKind::Gadget, kBackupButton}));
    std::optional<Event> e;
    while ((e = layer.PollEvent()) && e->kind != EventKind::CloseRequest) {
    }
    EXPECT_EQ(e, (Event{EventKind::CloseRequest, kMainWindowNumber}));
}

TEST_F(EventsTest, PollReturnsNothingWhenIdleAndTheMessageWhenNoEventCame) {
    Drain();
    EXPECT_EQ(layer.PollEvent(), std::nullopt);
    PostMessageA(main, WM_USER + 5, 0, 0);
    EXPECT_EQ(layer.PollEvent(), (Event{EventKind::None, WM_USER + 5}));
    EXPECT_EQ(layer.PollEvent(), std::nullopt);
}

TEST_F(EventsTest, AltXTypedOnTheActiveWindowIsTheQuitCommand) {
    ASSERT_EQ(GetActiveWindow(), main);
    SetFocus(Gadget(kSearchButton));
    Press({VK_MENU, 'X'});
    EXPECT_EQ(NextEvent(), (Event{EventKind::Command, kQuitCommand}));
}

TEST_F(EventsTest, TabAndShiftTabWalkTheSixGadgetsRoundAndRound) {
    const std::vector<int> order = {kSearchButton,    kParentPathField, kFileList,
                                    kTargetPathField, kBrowseButton,    kBackupButton};
    SetFocus(Gadget(kSearchButton));
    for (std::size_t i = 1; i <= order.size(); ++i) {
        SendMessageA(main, WM_COMMAND, MAKEWPARAM(kNextGadgetCommand, 1), 0);
        EXPECT_EQ(GetFocus(), Gadget(order[i % order.size()])) << "step " << i;
    }
    for (std::size_t i = order.size(); i-- > 0;) {
        SendMessageA(main, WM_COMMAND, MAKEWPARAM(kPreviousGadgetCommand, 1), 0);
        EXPECT_EQ(GetFocus(), Gadget(order[i])) << "back to " << order[i];
    }
    // A disabled gadget is passed over.
    EnableWindow(Gadget(kFileList), FALSE);
    SetFocus(Gadget(kParentPathField));
    SendMessageA(main, WM_COMMAND, MAKEWPARAM(kNextGadgetCommand, 1), 0);
    EXPECT_EQ(GetFocus(), Gadget(kTargetPathField));
}

TEST_F(EventsTest, TypedTabKeysMoveTheFocus) {
    ASSERT_EQ(GetActiveWindow(), main);
    SetFocus(Gadget(kBackupButton));
    Press({VK_TAB});
    EXPECT_EQ(NextEvent(), (Event{EventKind::Command, kNextGadgetCommand}));
    EXPECT_EQ(GetFocus(), Gadget(kSearchButton));
    Press({VK_SHIFT, VK_TAB});
    EXPECT_EQ(NextEvent(), (Event{EventKind::Command, kPreviousGadgetCommand}));
    EXPECT_EQ(GetFocus(), Gadget(kBackupButton));
}

TEST_F(EventsTest, AltF4TypedOnTheWindowIsACloseRequest) {
    ASSERT_EQ(GetActiveWindow(), main);
    Press({VK_MENU, VK_F4});
    EXPECT_EQ(NextEvent(), (Event{EventKind::CloseRequest, 1}));
    EXPECT_TRUE(IsWindow(main));
}

// Another window of the program that notes when F5 reaches it.
bool otherSawF5 = false;
LRESULT CALLBACK OtherWindowProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN && wParam == VK_F5) otherSawF5 = true;
    return DefWindowProcA(w, message, wParam, lParam);
}

TEST_F(EventsTest, AltXDoesNothingWhileAnotherWindowIsActive) {
    WNDCLASSA cls{};
    cls.lpfnWndProc = OtherWindowProc;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "VintrelOtherWindow";
    RegisterClassA(&cls);
    HWND other = CreateWindowExA(0, cls.lpszClassName, "other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                 0, 200, 100, nullptr, nullptr, cls.hInstance, nullptr);
    SetForegroundWindow(other);
    ASSERT_EQ(GetActiveWindow(), other);
    Drain();

    otherSawF5 = false;
    Press({VK_MENU, 'X'});
    Press({VK_F5}); // input keeps its order: once F5 is in, Alt+X has been handled
    guardTarget = main;
    const UINT_PTR guard = SetTimer(nullptr, 0, 10000, GuardFired);
    std::vector<Event> events;
    while (!otherSawF5) {
        const std::optional<Event> e = layer.PollEvent();
        if (!e) {
            WaitMessage();
            continue;
        }
        if (e->kind == EventKind::Command && e->number == kGuardCommand) break;
        events.push_back(*e);
    }
    KillTimer(nullptr, guard);
    DestroyWindow(other);
    EXPECT_TRUE(otherSawF5);
    for (const Event& e : events) {
        EXPECT_FALSE(e.kind == EventKind::Command && e.number == kQuitCommand);
    }
}

} // namespace
} // namespace vintrel
