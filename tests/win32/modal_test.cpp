// The modal rule on real top-level windows, and a real message box closed by the test.
#include <gtest/gtest.h>

#include <vector>

#include "app/modal_win32.h"

namespace vintrel {
namespace {

HWND MakeWindow(const char* title, DWORD exStyle, bool visible) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA cls{};
        cls.lpfnWndProc = DefWindowProcA;
        cls.hInstance = GetModuleHandleA(nullptr);
        cls.lpszClassName = "VintrelModalTestWindow";
        RegisterClassA(&cls);
        registered = true;
    }
    return CreateWindowExA(exStyle, "VintrelModalTestWindow", title,
                           WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 10, 10, 200, 100,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

bool IsTopmost(HWND w) {
    return (GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

class ModalTest : public ::testing::Test {
protected:
    void SetUp() override {
        front = MakeWindow("front", 0, true);
        plain = MakeWindow("plain", 0, true);
        topmost = MakeWindow("topmost", WS_EX_TOPMOST, true);
        hidden = MakeWindow("hidden", 0, false);
        disabled = MakeWindow("disabled", 0, true);
        EnableWindow(disabled, FALSE);
        SetForegroundWindow(front);
        ASSERT_EQ(GetForegroundWindow(), front);
        ASSERT_TRUE(IsTopmost(topmost));
    }
    void TearDown() override {
        for (HWND w : {front, plain, topmost, hidden, disabled})
            DestroyWindow(w);
    }
    HWND front, plain, topmost, hidden, disabled;
};

TEST_F(ModalTest, BoxesDisableEveryOtherWindowAndGiveEverythingBack) {
    BeginModal();
    EXPECT_TRUE(IsWindowEnabled(front)) << "the foreground window owns the box";
    EXPECT_FALSE(IsWindowEnabled(plain));
    EXPECT_FALSE(IsWindowEnabled(topmost));
    EXPECT_FALSE(IsTopmost(topmost)) << "an always-on-top window steps down meanwhile";
    EXPECT_TRUE(IsWindowEnabled(hidden)) << "hidden windows are left alone";
    EXPECT_EQ(GetForegroundWindow(), front) << "stepping down must not activate a window";
    EndModal();
    EXPECT_EQ(GetForegroundWindow(), front);
    EXPECT_TRUE(IsWindowEnabled(front));
    EXPECT_TRUE(IsWindowEnabled(plain));
    EXPECT_TRUE(IsWindowEnabled(topmost));
    EXPECT_TRUE(IsTopmost(topmost)) << "and gets its always-on-top state back";
    EXPECT_FALSE(IsWindowEnabled(disabled)) << "a window disabled before stays disabled";
    EXPECT_FALSE(IsTopmost(plain));
}

TEST_F(ModalTest, OwnerIsTheForegroundWindowOfThisProgram) {
    EXPECT_EQ(ModalOwner(), front);
    SetForegroundWindow(plain);
    EXPECT_EQ(ModalOwner(), plain);
}

// What the test saw of the box while it was open.
struct SeenBox {
    std::string caption, text;
    bool plainEnabled = true, frontEnabled = false, topmostWasTopmost = true;
    HWND owner = nullptr;
    HWND front = nullptr, plain = nullptr, topmost = nullptr;
} seen;

BOOL CALLBACK FindBox(HWND window, LPARAM found) {
    char cls[16] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (std::string(cls) == "#32770" && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// Runs inside the box's own message loop until it finds the box, then presses OK.
void CALLBACK CloseTheBox(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&box));
    if (box == nullptr) return;
    KillTimer(nullptr, timer);
    char buffer[256] = "";
    GetWindowTextA(box, buffer, sizeof buffer);
    seen.caption = buffer;
    GetDlgItemTextA(box, 0xFFFF, buffer, sizeof buffer);
    seen.text = buffer;
    seen.owner = GetWindow(box, GW_OWNER);
    seen.plainEnabled = IsWindowEnabled(seen.plain);
    seen.frontEnabled = IsWindowEnabled(seen.front);
    seen.topmostWasTopmost = IsTopmost(seen.topmost);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

TEST_F(ModalTest, MessageBoxBlocksTheProgramUntilClosed) {
    seen = SeenBox{};
    seen.front = front;
    seen.plain = plain;
    seen.topmost = topmost;
    SetTimer(nullptr, 0, 50, CloseTheBox);
    const int result =
        ShowMessageBox("Error", "box.pst Not backed up. Source, target or disk error", 0);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(seen.caption, "Error");
    EXPECT_EQ(seen.text, "box.pst Not backed up. Source, target or disk error");
    EXPECT_EQ(seen.owner, front);
    EXPECT_FALSE(seen.plainEnabled);
    EXPECT_FALSE(seen.frontEnabled) << "the box itself disables its owner";
    EXPECT_FALSE(seen.topmostWasTopmost);
    EXPECT_TRUE(IsWindowEnabled(plain));
    EXPECT_TRUE(IsWindowEnabled(front));
    EXPECT_TRUE(IsTopmost(topmost));
}

} // namespace
} // namespace vintrel
