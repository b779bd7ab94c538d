// The real main window, checked against the layout it must have.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "app/ids.h"
#include "ui/gadgets.h"
#include "ui/list_grid.h"
#include "window_fixture.h"

namespace vintrel {
namespace {

using test::MainWindowTest;

RECT RectInParent(HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

LONG FontHeight(int points) {
    HDC dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return -MulDiv(points, dpi, 72);
}

TEST_F(MainWindowTest, WindowIsFixedSizeCentredWithA639By480ClientArea) {
    RECT client;
    GetClientRect(main, &client);
    EXPECT_EQ(client.right - client.left, 639);
    EXPECT_EQ(client.bottom - client.top, 480);

    RECT outer;
    GetWindowRect(main, &outer);
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left)) / 2);
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - (outer.bottom - outer.top)) / 2);

    const LONG style = GetWindowLongA(main, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX),
              WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    EXPECT_EQ(style & (WS_MAXIMIZEBOX | WS_THICKFRAME), 0); // cannot be maximised or resized
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_EQ(test::TextOf(main).substr(0, 10), "<\xB0)))o><\xB2\xB3")
        << "start-up has dated the title";
    EXPECT_EQ(GetClassLongA(main, GCL_STYLE) & CS_DBLCLKS, static_cast<DWORD>(CS_DBLCLKS));
}

TEST(BareMainWindow, OpensHiddenFirstThenShownWithItsFirstTitle) {
    WindowLayer layer;
    ASSERT_TRUE(layer.OpenMainWindow(GetModuleHandleA(nullptr)));
    EXPECT_EQ(test::TextOf(layer.Window(1)), "Search now");
    EXPECT_TRUE(IsWindowVisible(layer.Window(1)));
    layer.Release();
    EXPECT_EQ(layer.Window(1), nullptr);
}

TEST_F(MainWindowTest, GadgetsAreMadeInNumberOrderWithTheirFontsAndTheStatusBarLast) {
    HWND child = GetWindow(main, GW_CHILD);
    for (const GadgetSpec& g : kGadgets) {
        SCOPED_TRACE("gadget " + std::to_string(g.number));
        HWND gadget = Gadget(g.number);
        ASSERT_NE(gadget, nullptr);
        EXPECT_EQ(gadget, child) << "gadgets are made in the order of their numbers";
        child = GetWindow(child, GW_HWNDNEXT);
        EXPECT_EQ(GetDlgCtrlID(gadget), g.number);
        EXPECT_EQ(RectInParent(gadget).left, g.x);

        HFONT font = reinterpret_cast<HFONT>(SendMessageA(gadget, WM_GETFONT, 0, 0));
        if (g.font == GadgetFont::Default) {
            EXPECT_EQ(font, GetStockObject(DEFAULT_GUI_FONT));
        } else {
            LOGFONTA lf{};
            ASSERT_TRUE(GetObjectA(font, sizeof lf, &lf));
            EXPECT_STREQ(lf.lfFaceName, "Arial");
            EXPECT_EQ(lf.lfHeight, FontHeight(SpecOf(g.font).points)) << "points at this DPI";
            EXPECT_EQ(lf.lfWeight, SpecOf(g.font).weight);
        }
    }
    EXPECT_EQ(child, layer.StatusBar()) << "the status bar comes after the gadgets";
    const RECT bar = RectInParent(layer.StatusBar());
    EXPECT_EQ(bar.bottom, 480) << "along the bottom";
    EXPECT_GE(bar.bottom - bar.top, 18);
    EXPECT_EQ(GetWindowLongA(layer.StatusBar(), GWL_STYLE) & SBARS_SIZEGRIP, 0);
}

TEST_F(MainWindowTest, StatusTextsGoToTheirFieldsAndStay) {
    layer.SetStatusText(0, "Information: one");
    layer.SetStatusText(1, "-|-");
    EXPECT_EQ(Status(0), "Information: one");
    EXPECT_EQ(Status(1), "-|-");
    layer.SetStatusText(0, "");
    EXPECT_EQ(Status(0), "");
}

TEST_F(MainWindowTest, ColouredGadgetsAnswerWithTheirColours) {
    HDC dc = CreateCompatibleDC(nullptr);
    for (const GadgetColourSpec& c : kGadgetColours) {
        SCOPED_TRACE("gadget " + std::to_string(c.gadget));
        HWND gadget = Gadget(c.gadget);
        auto brush = reinterpret_cast<HBRUSH>(SendMessageA(main, WM_CTLCOLORSTATIC,
                                                           reinterpret_cast<WPARAM>(dc),
                                                           reinterpret_cast<LPARAM>(gadget)));
        EXPECT_EQ(GetTextColor(dc), c.front);
        EXPECT_EQ(GetBkColor(dc), kWindowColour);
        LOGBRUSH lb{};
        ASSERT_TRUE(GetObjectA(brush, sizeof lb, &lb));
        EXPECT_EQ(lb.lbColor, kWindowColour);
    }
    // A new back colour takes effect and replaces the old brush.
    layer.SetGadgetColours(kSearchCaption, 0x000000FF, 0x0000FF00);
    auto brush =
        reinterpret_cast<HBRUSH>(SendMessageA(main, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                              reinterpret_cast<LPARAM>(Gadget(kSearchCaption))));
    EXPECT_EQ(GetTextColor(dc), 0x000000FFu);
    LOGBRUSH lb{};
    ASSERT_TRUE(GetObjectA(brush, sizeof lb, &lb));
    EXPECT_EQ(lb.lbColor, 0x0000FF00u);
    DeleteDC(dc);
}

TEST_F(MainWindowTest, BackgroundsShowTheWindowColour) {
    LOGBRUSH lb{};
    ASSERT_TRUE(GetObjectA(reinterpret_cast<HBRUSH>(GetClassLongPtrA(main, GCLP_HBRBACKGROUND)),
                           sizeof lb, &lb));
    EXPECT_EQ(lb.lbColor, kWindowColour);
    // Read back from the screen: a spot of bare window and the empty second status field.
    RedrawWindow(main, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    HDC dc = GetDC(main);
    EXPECT_EQ(GetPixel(dc, 2, 60), kWindowColour);
    ReleaseDC(main, dc);
    dc = GetDC(layer.StatusBar());
    RECT part;
    SendMessageA(layer.StatusBar(), SB_GETRECT, 1, reinterpret_cast<LPARAM>(&part));
    EXPECT_EQ(GetPixel(dc, (part.left + part.right) / 2, (part.top + part.bottom) / 2),
              kWindowColour);
    ReleaseDC(layer.StatusBar(), dc);
}

TEST_F(MainWindowTest, TextsChangeOnlyThroughTheProgram) {
    layer.SetGadgetText(kTargetPathField, "D:\\Backups\\");
    EXPECT_EQ(test::TextOf(Gadget(kTargetPathField)), "D:\\Backups\\");
    // Read-only: typing changes nothing.
    SendMessageA(Gadget(kTargetPathField), WM_CHAR, 'x', 1);
    SendMessageA(Gadget(kParentPathField), WM_CHAR, 'x', 1);
    EXPECT_EQ(test::TextOf(Gadget(kTargetPathField)), "D:\\Backups\\");
    EXPECT_EQ(test::TextOf(Gadget(kParentPathField)), "Documents and Settings\\");
    // Numbers that name no gadget do nothing.
    for (int n : {0, 14, 99, -1}) {
        layer.SetGadgetText(n, "nowhere");
        EXPECT_EQ(layer.SetGadgetColours(n, 0, 0), 0);
        EXPECT_EQ(layer.Gadget(n), nullptr);
    }
    EXPECT_EQ(layer.Window(2), nullptr);
}

TEST_F(MainWindowTest, OperationsAfterCloseDoNothing) {
    layer.CloseMainWindow();
    EXPECT_FALSE(IsWindow(main));
    EXPECT_EQ(layer.Window(1), nullptr);
    EXPECT_EQ(layer.Gadget(kSearchButton), nullptr);
    layer.SetStatusText(0, "Information: nobody sees this");
    layer.SetGadgetText(kTargetPathField, "x");
    layer.SetGadgetColours(kSearchCaption, 0, 0);
}

} // namespace
} // namespace vintrel

namespace vintrel {
namespace {

class ListGridTest : public test::MainWindowTest {
protected:
    COLORREF PixelAt(int x, int y) {
        HWND list = Gadget(kFileList);
        RedrawWindow(list, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        HDC dc = GetDC(list);
        const COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(list, dc);
        return c;
    }
    int HeaderBottom() {
        HWND list = Gadget(kFileList);
        RECT r;
        GetWindowRect(reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0)), &r);
        MapWindowPoints(HWND_DESKTOP, list, reinterpret_cast<POINT*>(&r), 2);
        return r.bottom;
    }
};

TEST_F(ListGridTest, EmptyListShowsRowAndColumnLinesDownToTheBottom) {
    HWND list = Gadget(kFileList);
    const int rowHeight = ListRowHeight(list);
    ASSERT_GT(rowHeight, 8);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    ASSERT_NE(face, kWindowColour);
    const int top = HeaderBottom();
    RECT client;
    GetClientRect(list, &client);
    // The last whole row position near the bottom still has its line.
    const int lastLine = top + ((client.bottom - top) / rowHeight) * rowHeight - 1;
    EXPECT_EQ(PixelAt(100, top + rowHeight - 1), face);
    EXPECT_EQ(PixelAt(100, lastLine), face);
    EXPECT_EQ(PixelAt(100, top + rowHeight / 2), kWindowColour) << "no line inside a row";
    // Column edges: 286, then 130, 100 and 100 further on.
    for (int edge : {286, 416, 516, 616}) {
        SCOPED_TRACE(edge);
        EXPECT_EQ(PixelAt(edge - 1, top + rowHeight / 2), face);
        EXPECT_EQ(PixelAt(edge - 1, client.bottom - 2), face);
    }
    EXPECT_EQ(PixelAt(150, top + rowHeight / 2), kWindowColour);
}

TEST_F(ListGridTest, RowLinesFallOnTheLowerEdgeOfEveryRowAndGoOnBelowThem) {
    HWND list = Gadget(kFileList);
    const int emptyHeight = ListRowHeight(list);
    for (int i = 0; i < 3; ++i) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = const_cast<char*>("Inbox.dbx");
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    RECT row{LVIR_BOUNDS, 0, 0, 0};
    ASSERT_TRUE(SendMessageA(list, LVM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&row)));
    EXPECT_EQ(row.bottom - row.top, emptyHeight) << "the empty list's rows are the real rows";
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(PixelAt(200, row.bottom - 1), face);
    EXPECT_EQ(PixelAt(200, row.bottom - 1 + 2 * emptyHeight), face);
    EXPECT_EQ(PixelAt(200, row.bottom + emptyHeight / 2), kWindowColour);
}

} // namespace
} // namespace vintrel
