// The file list's column headers, drawn as buttons in the window colour.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "app/ids.h"
#include "ui/main_window.h"
#include "window_fixture.h"

namespace vintrel {
namespace {

using test::MainWindowTest;

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

} // namespace
} // namespace vintrel
