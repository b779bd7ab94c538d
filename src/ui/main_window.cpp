#include "ui/main_window.h"

#include <commctrl.h>

#include <algorithm>

#include "app/ids.h"
#include "discovery/rows.h"
#include "ui/gadgets.h"
#include "ui/list_grid.h"

namespace vintrel {

namespace {

// A screen shows about sixty pictures a second: a mark shown sooner would never be seen.
constexpr DWORD kMarkIntervalMs = 16;

// Rows added during work that polls for messages reach the screen at most this long after.
constexpr DWORD kListDrawIntervalMs = 200;

// What PollEvent returns for a WM_NULL that made no event: never 0, never a message number.
constexpr int kNullMessageMark = 0x10000;

HWND CreateGadget(const GadgetSpec& g, HWND parent, HINSTANCE instance) {
    const KindSpec kind = SpecOf(g.kind);
    return CreateWindowExA(kind.exStyle, kind.className, g.text, WS_CHILD | WS_VISIBLE | kind.style,
                           g.x, g.y, g.width, g.height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(g.number)), instance,
                           nullptr);
}

void InsertColumn(HWND list, int index) {
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = kColumns[index].width;
    column.pszText = const_cast<char*>(kColumns[index].header);
    column.iSubItem = index;
    SendMessageA(list, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
}

// Controls whose colours we set are drawn without the system's visual theme, which would
// paint over those colours with its own. uxtheme is looked up when first needed, so that a
// Windows or Wine without it still runs (the controls are then unthemed anyway).
void DrawUnthemed(HWND control) {
    using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    static const SetWindowThemeFn setWindowTheme = [] {
        HMODULE uxtheme = LoadLibraryA("uxtheme.dll");
        return uxtheme ? reinterpret_cast<SetWindowThemeFn>(
                             reinterpret_cast<void*>(GetProcAddress(uxtheme, "SetWindowTheme")))
                       : nullptr;
    }();
    // A single blank names no theme; empty texts would mean "the default theme".
    if (control && setWindowTheme) setWindowTheme(control, L" ", L" ");
}

} // namespace

WindowLayer::~WindowLayer() {
    Release();
}

bool WindowLayer::OpenMainWindow(HINSTANCE instance) {
    WNDCLASSEXA cls{};
    cls.cbSize = sizeof cls;
    cls.style = CS_DBLCLKS;
    cls.lpfnWndProc = WindowProc;
    cls.hInstance = instance;
    cls.hIcon = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON, 0, 0, 0));
    cls.hIconSm =
        static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON, 16, 16, 0));
    cls.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    cls.lpszClassName = kMainWindowClass;
    const bool registered = RegisterClassExA(&cls) != 0;

    RECT outer{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&outer, kMainWindowStyle, FALSE, 0);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const int width = std::min<int>(outer.right - outer.left, screenWidth);
    const int height = std::min<int>(outer.bottom - outer.top, screenHeight);

    window_ = CreateWindowExA(0, kMainWindowClass, kMainWindowTitle, kMainWindowStyle,
                              (screenWidth - width) / 2, (screenHeight - height) / 2,
                              outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                              instance, this);
    if (window_ == nullptr) {
        if (registered) UnregisterClassA(kMainWindowClass, instance);
        return false;
    }

    // From here on the whole client area is erased in the window colour. Never deleted:
    // the class keeps using it.
    LOGBRUSH background{BS_SOLID, kWindowColour, 0};
    SetClassLongPtrA(window_, GCLP_HBRBACKGROUND,
                     reinterpret_cast<LONG_PTR>(CreateBrushIndirect(&background)));

    CreateGadgets(instance);
    CreateStatusBar();

    // Tab and Shift+Tab walk the gadgets that take the focus.
    shortcuts_.push_back({FVIRTKEY | FNOINVERT, VK_TAB, kNextGadgetCommand});
    shortcuts_.push_back({FVIRTKEY | FNOINVERT | FSHIFT, VK_TAB, kPreviousGadgetCommand});
    RebuildShortcuts();

    ShowWindow(window_, SW_SHOWNORMAL);
    return true;
}

void WindowLayer::CreateGadgets(HINSTANCE instance) {
    for (const GadgetSpec& g : kGadgets) {
        HWND gadget = CreateGadget(g, window_, instance);
        if (gadget == nullptr) continue;
        gadgets_[g.number] = gadget;
        const FontSpec font = SpecOf(g.font);
        HGDIOBJ fontObject = g.font == GadgetFont::Default ? GetStockObject(DEFAULT_GUI_FONT)
                                                           : MakeFont(font.points, font.weight);
        SendMessageA(gadget, WM_SETFONT, reinterpret_cast<WPARAM>(fontObject), TRUE);

        if (g.kind == GadgetKind::ListView) {
            listProc_ = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(gadget, GWLP_WNDPROC));
            DrawUnthemed(gadget);
            DrawUnthemed(reinterpret_cast<HWND>(SendMessageA(gadget, LVM_GETHEADER, 0, 0)));
            SendMessageA(gadget, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_DOUBLEBUFFER,
                         LVS_EX_DOUBLEBUFFER);
            InsertColumn(gadget, 0);
            SendMessageA(gadget, LVM_SETBKCOLOR, 0, kWindowColour);
            SendMessageA(gadget, LVM_SETTEXTBKCOLOR, 0, kWindowColour);
            for (int column = 1; column < 4; ++column)
                InsertColumn(gadget, column);
        }
    }
}

void WindowLayer::CreateStatusBar() {
    statusBar_ = CreateStatusWindowA(WS_CHILD | WS_VISIBLE, "", window_, kStatusBarId);
    if (statusBar_ == nullptr) return;
    DrawUnthemed(statusBar_);
    SendMessageA(statusBar_, SB_SETMINHEIGHT, kStatusBarMinHeight, 0);
    SendMessageA(statusBar_, WM_SIZE, 0, 0); // let it take its new height at the bottom
    int edges[2] = {kStatusPartEdges[0], kStatusPartEdges[1]};
    SendMessageA(statusBar_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges));
}

HFONT WindowLayer::MakeFont(int points, int weight) {
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    const int dpi = display ? GetDeviceCaps(display, LOGPIXELSY) : 96;
    if (display) DeleteDC(display);
    HFONT font = CreateFontA(-MulDiv(points, dpi, 72), 0, 0, 0, weight, FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Arial");
    if (font) fonts_.push_back(font);
    return font;
}

HWND WindowLayer::Window(int number) const {
    return number == kMainWindowNumber ? window_ : nullptr;
}

HWND WindowLayer::Gadget(int number) const {
    if (window_ == nullptr || number < 1 || number > kGadgetCount) return nullptr;
    // Kept from their creation: GetDlgItem asks Wine's server for the children every time.
    return gadgets_[number];
}

void WindowLayer::ShowStatusText(int field, const std::string& text) {
    if (statusBar_ == nullptr) return;
    SendMessageA(statusBar_, SB_SETTEXTA, static_cast<WPARAM>(field),
                 reinterpret_cast<LPARAM>(text.c_str()));
}

void WindowLayer::ShowPendingMark() {
    if (!markPending_) return;
    markPending_ = false;
    markShownAt_ = GetTickCount();
    markEverShown_ = true;
    ShowStatusText(kSpinnerField, pendingMark_);
}

void WindowLayer::SetStatusText(int field, const std::string& text) {
    if (field == kSpinnerField) {
        pendingMark_ = text;
        markPending_ = true;
        if (!markEverShown_ || GetTickCount() - markShownAt_ >= kMarkIntervalMs) ShowPendingMark();
        return;
    }
    ShowPendingMark();
    ShowStatusText(field, text);
}

// Under Wine a list view that may draw repaints itself at every insert and every text set,
// some milliseconds each. Rows are added with drawing held, and the list draws once, with
// all of them, when messages are next handled.
void WindowLayer::HoldListDrawing() {
    if (listHeld_) return;
    ListCall(WM_SETREDRAW, FALSE, 0);
    listHeld_ = true;
    listHeldSince_ = GetTickCount();
}

// The list's messages go straight to its own procedure: a message sent to the list passes
// the tooltip's subclass, which under Wine looks up a window property through the server for
// every message (0.13 ms), and the tooltip only wants the mouse messages.
LRESULT WindowLayer::ListCall(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND list = Gadget(kFileList);
    if (list == nullptr || listProc_ == nullptr) return 0;
    return CallWindowProcA(listProc_, list, message, wParam, lParam);
}

void WindowLayer::ReleaseListDrawing() {
    if (!listHeld_) return;
    listHeld_ = false;
    // Drawing again repaints the whole list (under Wine some milliseconds).
    ListCall(WM_SETREDRAW, TRUE, 0);
}

int WindowLayer::AddListRow(const std::string& rowText) {
    if (Gadget(kFileList) == nullptr) return -1;
    HoldListDrawing();
    const std::vector<std::string> cells = SplitRowText(rowText);
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(ListCall(LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<char*>(cells[0].c_str());
    const int row = static_cast<int>(ListCall(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) return row;
    for (std::size_t column = 1; column < cells.size(); ++column) {
        LVITEMA cell{};
        cell.iSubItem = static_cast<int>(column);
        cell.pszText = const_cast<char*>(cells[column].c_str());
        ListCall(LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&cell));
    }
    return row;
}

void WindowLayer::SetListCellColour(int row, int column, Colour textColour) {
    if (row < 0) return;
    cellColours_[{row, column}] = textColour;
    // While drawing is held the whole list is drawn anew when it is released.
    if (!listHeld_) ListCall(LVM_REDRAWITEMS, row, row);
}

void WindowLayer::ClearListRows() {
    cellColours_.clear();
    ListCall(LVM_DELETEALLITEMS, 0, 0);
}

void WindowLayer::SetGadgetText(int number, const std::string& text) {
    if (HWND gadget = Gadget(number)) SetWindowTextA(gadget, text.c_str());
}

int WindowLayer::SetGadgetColours(int number, Colour front, Colour back) {
    HWND gadget = Gadget(number);
    if (gadget == nullptr) return 0;
    auto it = colours_.find(number);
    if (it == colours_.end()) {
        colours_[number] = {front, back, CreateSolidBrush(back)};
    } else {
        if (it->second.back != back || it->second.brush == nullptr) {
            if (it->second.brush) DeleteObject(it->second.brush);
            it->second.brush = CreateSolidBrush(back);
        }
        it->second.front = front;
        it->second.back = back;
    }
    RedrawWindow(gadget, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE | RDW_FRAME);
    return 0;
}

void WindowLayer::SetStatusBarColour(Colour colour) {
    if (statusBar_) SendMessageA(statusBar_, SB_SETBKCOLOR, 0, colour);
}

void WindowLayer::AddShortcut(BYTE flags, WORD key, WORD command) {
    shortcuts_.push_back({flags, key, command});
    RebuildShortcuts();
}

void WindowLayer::RebuildShortcuts() {
    if (accelerators_) DestroyAcceleratorTable(accelerators_);
    accelerators_ = CreateAcceleratorTableA(shortcuts_.data(), static_cast<int>(shortcuts_.size()));
}

void WindowLayer::HandleWindowMessage(MSG& message) {
    // Shortcuts belong to the main window and act only while it is the active one.
    if (window_ && accelerators_ && GetActiveWindow() == window_ &&
        TranslateAcceleratorA(window_, accelerators_, &message)) {
        return;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

Event WindowLayer::WaitForEvent() {
    ReleaseListDrawing();
    while (events_.empty()) {
        MSG message;
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            // Nobody here posts WM_QUIT; should it come anyway, end like a close request.
            events_.push_back({EventKind::CloseRequest, kMainWindowNumber});
            break;
        }
        HandleWindowMessage(message);
    }
    Event event = events_.front();
    events_.pop_front();
    return event;
}

int WindowLayer::PollEvent(Event* event) {
    // Work that polls (the search) shows its new rows a few times a second, not at every poll.
    if (listHeld_ && GetTickCount() - listHeldSince_ >= kListDrawIntervalMs) ReleaseListDrawing();
    if (events_.empty()) {
        MSG message;
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return 0;
        if (message.message == WM_QUIT) {
            events_.push_back({EventKind::CloseRequest, kMainWindowNumber});
        } else {
            HandleWindowMessage(message);
        }
        if (events_.empty()) {
            return message.message != 0 ? static_cast<int>(message.message) : kNullMessageMark;
        }
    }
    *event = events_.front();
    events_.pop_front();
    return static_cast<int>(event->kind);
}

void WindowLayer::MoveFocus(bool forward) {
    std::vector<HWND> stops;
    for (const GadgetSpec& g : kGadgets) {
        HWND gadget = Gadget(g.number);
        if (gadget && IsWindowVisible(gadget) && IsWindowEnabled(gadget) &&
            (GetWindowLongA(gadget, GWL_STYLE) & WS_TABSTOP)) {
            stops.push_back(gadget);
        }
    }
    if (stops.empty()) return;
    HWND focus = GetFocus();
    auto current = std::find_if(stops.begin(), stops.end(), [focus](HWND stop) {
        return stop == focus || IsChild(stop, focus);
    });
    std::size_t next;
    if (current == stops.end()) {
        next = forward ? 0 : stops.size() - 1;
    } else {
        const std::size_t at = static_cast<std::size_t>(current - stops.begin());
        next = forward ? (at + 1) % stops.size() : (at + stops.size() - 1) % stops.size();
    }
    SetFocus(stops[next]);
}

void WindowLayer::CloseMainWindow() {
    if (window_) DestroyWindow(window_);
}

void WindowLayer::Release() {
    CloseMainWindow();
    for (auto& [number, colours] : colours_) {
        if (colours.brush) DeleteObject(colours.brush);
    }
    colours_.clear();
    cellColours_.clear();
    for (HFONT font : fonts_)
        DeleteObject(font);
    fonts_.clear();
    if (accelerators_) DestroyAcceleratorTable(accelerators_);
    accelerators_ = nullptr;
    shortcuts_.clear();
    events_.clear();
}

LRESULT CALLBACK WindowLayer::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* layer =
            static_cast<WindowLayer*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        layer->window_ = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(layer));
    }
    auto* layer = reinterpret_cast<WindowLayer*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (layer == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        layer->window_ = nullptr;
        layer->statusBar_ = nullptr;
        layer->listHeld_ = false;
        layer->gadgets_.fill(nullptr);
        layer->listProc_ = nullptr;
        return DefWindowProcA(window, message, wParam, lParam);
    }
    return layer->HandleMessage(message, wParam, lParam);
}

LRESULT WindowLayer::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        // Closing is the program's decision, after its loop has seen the request.
        events_.push_back({EventKind::CloseRequest, kMainWindowNumber});
        return 0;
    case WM_COMMAND:
        OnCommand(wParam, lParam);
        return 0;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == kFileList && header->code == NM_CUSTOMDRAW) {
            return OnListCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
        }
        return DefWindowProcA(window_, message, wParam, lParam);
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
        return OnCtlColor(message, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    default:
        return DefWindowProcA(window_, message, wParam, lParam);
    }
}

void WindowLayer::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (lParam == 0) {
        const int command = LOWORD(wParam);
        if (command == kNextGadgetCommand) MoveFocus(true);
        if (command == kPreviousGadgetCommand) MoveFocus(false);
        events_.push_back({EventKind::Command, command});
        return;
    }
    const int gadget = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
    events_.push_back({EventKind::Gadget, gadget});
}

LRESULT WindowLayer::OnListCustomDraw(NMLVCUSTOMDRAW* draw) {
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        // Only some cells have a colour of their own; every other cell is drawn in the
        // list's colours, not in whatever the cell before it used.
        const auto it =
            cellColours_.find({static_cast<int>(draw->nmcd.dwItemSpec), draw->iSubItem});
        draw->clrText = it != cellColours_.end()
                            ? it->second
                            : static_cast<COLORREF>(ListCall(LVM_GETTEXTCOLOR, 0, 0));
        draw->clrTextBk = static_cast<COLORREF>(ListCall(LVM_GETTEXTBKCOLOR, 0, 0));
        return CDRF_NEWFONT;
    }
    case CDDS_POSTPAINT:
        DrawListGrid(draw->nmcd.hdr.hwndFrom, draw->nmcd.hdc);
        return CDRF_DODEFAULT;
    default:
        return CDRF_DODEFAULT;
    }
}

LRESULT WindowLayer::OnCtlColor(UINT message, HDC dc, HWND control) {
    auto it = colours_.find(GetDlgCtrlID(control));
    if (it == colours_.end() || GetParent(control) != window_) {
        return DefWindowProcA(window_, message, reinterpret_cast<WPARAM>(dc),
                              reinterpret_cast<LPARAM>(control));
    }
    SetTextColor(dc, it->second.front);
    SetBkColor(dc, it->second.back);
    return reinterpret_cast<LRESULT>(it->second.brush);
}

} // namespace vintrel
