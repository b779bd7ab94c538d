// The modal rule on real top-level windows, and a real message box closed by the test.
#include <gtest/gtest.h>

#include <vector>

#include "ui/modal_boxes.h"
#include "test_support.h"

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

TEST_F(ModalTest, MessageBoxBlocksTheProgramUntilClosed) {
    HWND owner = nullptr;
    bool plainEnabled = true, frontEnabled = true, stillTopmost = true;
    test::DialogAnswerer answerer(IDOK);
    answerer.whileOpen = [&](HWND box) {
        owner = GetWindow(box, GW_OWNER);
        plainEnabled = IsWindowEnabled(plain);
        frontEnabled = IsWindowEnabled(front);
        stillTopmost = IsTopmost(topmost);
    };
    const int result =
        ShowModalMessageBox("Error", "box.pst Not backed up. Source, target or disk error", 0);
    EXPECT_EQ(result, IDOK);
    ASSERT_EQ(answerer.seen.size(), 1u);
    EXPECT_EQ(answerer.seen[0].caption, "Error");
    EXPECT_EQ(answerer.seen[0].text, "box.pst Not backed up. Source, target or disk error");
    EXPECT_EQ(owner, front);
    EXPECT_FALSE(plainEnabled);
    EXPECT_FALSE(frontEnabled) << "the box itself disables its owner";
    EXPECT_FALSE(stillTopmost);
    EXPECT_TRUE(IsWindowEnabled(plain));
    EXPECT_TRUE(IsWindowEnabled(front));
    EXPECT_TRUE(IsTopmost(topmost));
}

} // namespace
} // namespace vintrel
