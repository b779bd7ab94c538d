// The window's finish: the dated title, the header drawn as buttons, the balloon tips.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "app/ids.h"
#include "ui/banner.h"
#include "ui/hooks.h"
#include "window_fixture.h"

namespace vintrel {
namespace {

using test::MainWindowTest;

TEST_F(MainWindowTest, TitleIsTheBannerAndTheDateOfAFixedClockByteForByte) {
    SYSTEMTIME clock{};
    clock.wYear = 2026;
    clock.wMonth = 12;
    clock.wDayOfWeek = 1;
    clock.wDay = 7;
    clock.wHour = 23;
    SetBannerTitle(layer, state, kMainWindowNumber, &clock);
    char title[200] = "";
    GetWindowTextA(main, title, sizeof title);
    EXPECT_EQ(std::string(title), std::string(kTitleBanner) + "Monday, 7th, December, 2026");
    // The three high bytes arrive as the Windows-1252 characters they stand for.
    wchar_t wide[200] = L"";
    GetWindowTextW(main, wide, 200);
    EXPECT_EQ(wide[1], 0x00B0);
    EXPECT_EQ(wide[8], 0x00B2);
    EXPECT_EQ(wide[9], 0x00B3);
    EXPECT_EQ(GetACP(), 1252u);

    SetBannerTitle(layer, state, 2, &clock); // no such window: nothing happens
    GetWindowTextA(main, title, sizeof title);
    EXPECT_EQ(std::string(title), std::string(kTitleBanner) + "Monday, 7th, December, 2026");
}

TEST_F(MainWindowTest, StartUpTitleShowsTodaysUtcDate) {
    SYSTEMTIME before, after;
    GetSystemTime(&before);
    char title[200] = "";
    GetWindowTextA(main, title, sizeof title);
    GetSystemTime(&after);
    auto expected = [&](const SYSTEMTIME& t) {
        return BannerTitle(state, {t.wDayOfWeek, t.wDay, t.wMonth, t.wYear});
    };
    EXPECT_TRUE(title == expected(before) || title == expected(after)) << title;
}

class ListHeaderTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        list = Gadget(kFileList);
        header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
        classProc = reinterpret_cast<WNDPROC>(GetClassLongPtrA(list, GCLP_WNDPROC));
        dc = CreateCompatibleDC(nullptr);
        // Wide enough that the centred caption stays clear of the left edge in any font.
        bitmap = CreateBitmap(kWidth, 20, 1, 32, nullptr);
        SelectObject(dc, bitmap);
    }
    void TearDown() override {
        DeleteDC(dc);
        DeleteObject(bitmap);
        MainWindowTest::TearDown();
    }
    NMCUSTOMDRAW Draw(DWORD stage, HWND from, UINT state = 0) {
        NMCUSTOMDRAW draw{};
        draw.hdr.hwndFrom = from;
        draw.hdr.idFrom = 0;
        draw.hdr.code = NM_CUSTOMDRAW;
        draw.dwDrawStage = stage;
        draw.hdc = dc;
        draw.rc = {0, 0, kWidth, 20};
        draw.dwItemSpec = 0;
        draw.uItemState = state;
        return draw;
    }
    LRESULT Send(NMCUSTOMDRAW& draw) {
        return SendMessageA(list, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&draw));
    }
    LRESULT ListOwnAnswer(NMCUSTOMDRAW draw) {
        return CallWindowProcA(classProc, list, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&draw));
    }
    static constexpr int kWidth = 200;
    HWND list, header;
    WNDPROC classProc;
    HDC dc;
    HBITMAP bitmap;
};

TEST_F(ListHeaderTest, AnswersEachDrawingStage) {
    EXPECT_NE(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(list, GWLP_WNDPROC)), classProc)
        << "the list has its own procedure installed";
    NMCUSTOMDRAW prepaint = Draw(CDDS_PREPAINT, header);
    EXPECT_EQ(Send(prepaint), CDRF_NOTIFYITEMDRAW);
    NMCUSTOMDRAW item = Draw(CDDS_ITEMPREPAINT, header);
    EXPECT_EQ(Send(item), CDRF_SKIPDEFAULT);
    NMCUSTOMDRAW post = Draw(CDDS_POSTPAINT, header);
    EXPECT_EQ(Send(post), ListOwnAnswer(Draw(CDDS_POSTPAINT, header)));
    // Drawing that does not come from the header is left to the list.
    NMCUSTOMDRAW other = Draw(CDDS_PREPAINT, main);
    EXPECT_EQ(Send(other), ListOwnAnswer(Draw(CDDS_PREPAINT, main)));
}

TEST_F(ListHeaderTest, ItemsAreButtonsInTheWindowColourSunkenWhilePressed) {
    NMCUSTOMDRAW raised = Draw(CDDS_ITEMPREPAINT, header);
    Send(raised);
    EXPECT_EQ(GetPixel(dc, 1, 1), kWindowColour) << "raised: filled from 1 pixel in";
    EXPECT_NE(GetPixel(dc, 0, 0), kWindowColour) << "inside a button frame";
    EXPECT_EQ(GetPixel(dc, 3, 10), kWindowColour);

    NMCUSTOMDRAW pressed = Draw(CDDS_ITEMPREPAINT, header, CDIS_SELECTED);
    Send(pressed);
    EXPECT_NE(GetPixel(dc, 1, 1), kWindowColour) << "pressed: filled from 2 pixels in";
    EXPECT_EQ(GetPixel(dc, 2, 2), kWindowColour);
    int black = 0;
    for (int x = 0; x < kWidth; ++x) {
        for (int y = 0; y < 20; ++y)
            black += GetPixel(dc, x, y) == 0;
    }
    EXPECT_GT(black, 0) << "the caption is written in black";
}

TEST_F(ListHeaderTest, TheRealHeaderShowsTheWindowColour) {
    RedrawWindow(header, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    RECT item;
    SendMessageA(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
    HDC screen = GetDC(header);
    EXPECT_EQ(GetPixel(screen, item.left + 3, (item.top + item.bottom) / 2), kWindowColour);
    ReleaseDC(header, screen);
}

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
