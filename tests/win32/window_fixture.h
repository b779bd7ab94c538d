// A real main window, opened and decorated as at start-up, for the tests that need one.
#pragma once

#include <gtest/gtest.h>

#include "test_support.h"
#include "win32/startup.h"
#include "app/state.h"
#include "ui/main_window.h"

namespace vintrel::test {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        static bool platformReady = false;
        if (!platformReady) InitPlatform();
        platformReady = true;
        const std::string dir = "C:\\";
        InitSharedState(state, &dir);
        ASSERT_TRUE(OpenAndDecorateMainWindow(layer, state, GetModuleHandleA(nullptr)));
        main = layer.Window(1);
        SetForegroundWindow(main);
        Drain();
    }
    void TearDown() override { layer.Release(); }

    // Handles every message already waiting, and drops the events they made.
    void Drain() {
        while (layer.PollEvent()) {
        }
    }
    HWND Gadget(int n) const { return layer.Gadget(n); }
    std::string Status(int field = 0) const { return StatusFieldText(layer.StatusBar(), field); }

    AppState state;
    WindowLayer layer;
    HWND main = nullptr;
};

} // namespace vintrel::test
