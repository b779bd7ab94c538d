#include "ui/main_window.h"

#include <commctrl.h>

#include <algorithm>

#include <iterator>

#include "ui/folder_dialog.h"
#include "ui/gadgets.h"
#include "ui/modal_boxes.h"

namespace vintrel {

namespace {

// A screen shows about sixty pictures a second: a mark shown sooner would never be seen.
constexpr DWORD kMarkIntervalMs = 16;

HWND CreateGadget(const GadgetSpec& g, HWND parent, HINSTANCE instance) {
    const KindSpec kind = SpecOf(g.kind);
    return CreateWindowExA(kind.exStyle, kind.className, g.text, WS_CHILD | WS_VISIBLE | kind.style,
                           g.x, g.y, g.width, g.height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(g.number)), instance,
                           nullptr);
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

    // From here on the whole client area is erased in the window colour. One brush serves
    // every window of the class as long as the program runs.
    static const HBRUSH background = [] {
        LOGBRUSH solid{BS_SOLID, kWindowColour, 0};
        return CreateBrushIndirect(&solid);
    }();
    SetClassLongPtrA(window_, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(background));

    CreateGadgets(instance);
    CreateStatusBar();

    // Tab and Shift+Tab walk the gadgets that take the focus.
    events_.AddShortcut(FVIRTKEY | FNOINVERT, VK_TAB, kNextGadgetCommand);
    events_.AddShortcut(FVIRTKEY | FNOINVERT | FSHIFT, VK_TAB, kPreviousGadgetCommand);

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
        Control(gadget).SetFont(static_cast<HFONT>(fontObject));
        if (g.kind == GadgetKind::ListView) fileList_.Attach(gadget, kWindowColour);
    }
}

void WindowLayer::CreateStatusBar() {
    statusBar_ = CreateStatusWindowA(WS_CHILD | WS_VISIBLE, "", window_, kStatusBarId);
    if (statusBar_ == nullptr) return;
    DrawUnthemed(statusBar_);
    const StatusBarControl bar(statusBar_);
    bar.SetMinHeight(kStatusBarMinHeight);
    bar.SetParts(static_cast<int>(std::size(kStatusPartEdges)), kStatusPartEdges);
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
    if (statusBar_) StatusBarControl(statusBar_).SetText(field, text);
}

void WindowLayer::ShowPendingMark() {
    if (!markPending_) return;
    markPending_ = false;
    markShownAt_ = Milliseconds();
    markEverShown_ = true;
    ShowStatusText(kSpinnerField, pendingMark_);
}

void WindowLayer::SetStatusText(int field, const std::string& text) {
    if (field == kSpinnerField) {
        pendingMark_ = text;
        markPending_ = true;
        if (!markEverShown_ || Milliseconds() - markShownAt_ >= kMarkIntervalMs) ShowPendingMark();
        return;
    }
    ShowPendingMark();
    ShowStatusText(field, text);
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
    if (statusBar_) StatusBarControl(statusBar_).SetBackColour(colour);
}

void WindowLayer::Forget() {
    window_ = nullptr;
    statusBar_ = nullptr;
    gadgets_.fill(nullptr);
    fileList_.Forget();
}

void WindowLayer::ActivateMainWindow() {
    if (window_) SetActiveWindow(window_);
}

int WindowLayer::ShowMessageBox(const std::string& caption, const std::string& text,
                                unsigned type) {
    ReleaseListDrawing(); // the box's own loop paints the window behind it
    return ShowModalMessageBox(caption, text, type);
}

std::string WindowLayer::FolderDialog(const std::string& title, const std::string& initialPath) {
    ReleaseListDrawing();
    return ShowFolderDialog(title, initialPath);
}

int WindowLayer::AddListRow(const std::string& rowText) {
    return fileList_.AddRow(rowText, Milliseconds());
}

void WindowLayer::SetListCellColour(int row, int column, Colour textColour) {
    fileList_.SetCellColour(row, column, textColour);
}

void WindowLayer::ClearListRows() {
    fileList_.Clear();
}

void WindowLayer::ReleaseListDrawing() {
    fileList_.ReleaseDrawing();
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
    for (HFONT font : fonts_)
        DeleteObject(font);
    fonts_.clear();
    events_.Clear();
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
        layer->Forget();
        return DefWindowProcA(window, message, wParam, lParam);
    }
    return layer->HandleMessage(message, wParam, lParam);
}

LRESULT WindowLayer::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        // Closing is the program's decision, after its loop has seen the request.
        events_.Push(EventKind::CloseRequest, kMainWindowNumber);
        return 0;
    case WM_COMMAND:
        OnCommand(wParam, lParam);
        return 0;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == kFileList && header->code == NM_CUSTOMDRAW) {
            return fileList_.OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
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
        events_.Push(EventKind::Command, command);
        return;
    }
    // Only a click is a press: a field's focus and change notices are no events.
    if (HIWORD(wParam) != BN_CLICKED) return;
    events_.Push(EventKind::Gadget, GetDlgCtrlID(reinterpret_cast<HWND>(lParam)));
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
