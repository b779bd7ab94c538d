// The six balloon tips over the gadgets.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "app/ids.h"
#include "ui/balloon_tips.h"
#include "window_fixture.h"

namespace vintrel {
namespace {

using test::MainWindowTest;

struct FoundTip {
    HWND tip;
    HWND tool;
    std::string text;
};

BOOL CALLBACK CollectTips(HWND window, LPARAM found) {
    char cls[64] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (lstrcmpiA(cls, TOOLTIPS_CLASSA) == 0) {
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    }
    return TRUE;
}

TEST_F(MainWindowTest, SixBalloonTipsOneToolEachWithTheirTextsColoursAndWidth) {
    std::vector<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(), CollectTips, reinterpret_cast<LPARAM>(&windows));
    std::vector<FoundTip> tips;
    for (HWND tip : windows) {
        if (GetWindow(tip, GW_OWNER) != main) continue;
        SCOPED_TRACE(tips.size());
        EXPECT_EQ(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(tip, GWL_STYLE)) & 0x80000042u, 0x80000042u);
        EXPECT_FALSE(GetWindowLongA(tip, GWL_STYLE) & TTS_ALWAYSTIP);
        EXPECT_TRUE(GetWindowLongA(tip, GWL_EXSTYLE) & WS_EX_TOPMOST);
        EXPECT_EQ(SendMessageA(tip, TTM_GETTIPBKCOLOR, 0, 0), 0xF58C0A);
        EXPECT_EQ(SendMessageA(tip, TTM_GETTIPTEXTCOLOR, 0, 0), 0);
        EXPECT_EQ(SendMessageA(tip, TTM_GETMAXTIPWIDTH, 0, 0), 180);
        char text[300] = "";
        TOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.lpszText = text;
        ASSERT_TRUE(SendMessageA(tip, TTM_ENUMTOOLSA, 0, reinterpret_cast<LPARAM>(&tool)));
        EXPECT_EQ(tool.uFlags & (TTF_IDISHWND | TTF_SUBCLASS),
                  static_cast<UINT>(TTF_IDISHWND | TTF_SUBCLASS));
        EXPECT_EQ(tool.hwnd, main);
        // The ANSI answers stop at 80 characters; the wide one gives the whole stored text.
        wchar_t wide[300] = L"";
        TOOLINFOW byId{};
        byId.cbSize = TTTOOLINFOW_V2_SIZE;
        byId.hwnd = tool.hwnd;
        byId.uId = tool.uId;
        byId.lpszText = wide;
        SendMessageW(tip, TTM_GETTEXTW, 300, reinterpret_cast<LPARAM>(&byId));
        std::string whole;
        for (const wchar_t* c = wide; *c; ++c)
            whole += static_cast<char>(*c);
        tips.push_back({tip, reinterpret_cast<HWND>(tool.uId), whole});
    }
    ASSERT_EQ(tips.size(), 6u);
    auto textFor = [&](int gadget) {
        for (const FoundTip& t : tips) {
            if (t.tool == Gadget(gadget)) return t.text;
        }
        return std::string("<none>");
    };
    EXPECT_EQ(textFor(kSearchButton),
              "Press this button to start the search for Outlook and Outlook "
              "Express data files. If the profile exists, it will be overwritten!!");
    EXPECT_EQ(textFor(kParentPathField),
              "This is the original parent path of the files to be backed up.");
    EXPECT_EQ(textFor(kFileList),
              "All found Outlook and Outlook Express data files will be presented "
              "here with version and status information");
    EXPECT_EQ(textFor(kTargetPathField),
              "This is the chosen target path to backup the files to. Plese "
              "be aware that there is a Windows limit of 256 chars for a path length");
    EXPECT_EQ(textFor(kBrowseButton), "Press this button to select a backup location");
    EXPECT_EQ(textFor(kBackupButton),
              "Press this button to start backing up the found files to the chosen location");
}

} // namespace
} // namespace vintrel
