#include "ui/modal_boxes.h"

#include <vector>

namespace vintrel {

namespace {

struct DisabledWindow {
    HWND window;
    DWORD thread;
    bool wasTopmost;
};

// The windows that BeginModal disabled and EndModal gives back.
std::vector<DisabledWindow>& Disabled() {
    static std::vector<DisabledWindow> records;
    return records;
}

struct EnumContext {
    DWORD thread;
    HWND foreground;
};

BOOL CALLBACK DisableOne(HWND window, LPARAM param) {
    const auto* context = reinterpret_cast<const EnumContext*>(param);
    if (GetWindowThreadProcessId(window, nullptr) != context->thread) return TRUE;
    if (!IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
    if (window == context->foreground) return TRUE;

    DisabledWindow record{window, context->thread, false};
    // Without SWP_NOACTIVATE the window would become the active one, and with it the
    // owner of the box.
    if (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) {
        SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        record.wasTopmost = true;
    }
    EnableWindow(window, FALSE);
    Disabled().push_back(record);
    return TRUE;
}

} // namespace

void BeginModal() {
    EnumContext context{GetCurrentThreadId(), GetForegroundWindow()};
    EnumWindows(DisableOne, reinterpret_cast<LPARAM>(&context));
}

void EndModal() {
    const DWORD thread = GetCurrentThreadId();
    auto& records = Disabled();
    for (auto it = records.begin(); it != records.end();) {
        if (it->thread != thread) {
            ++it;
            continue;
        }
        EnableWindow(it->window, TRUE);
        if (it->wasTopmost) {
            SetWindowPos(it->window, HWND_TOPMOST, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
        it = records.erase(it);
    }
}

HWND ModalOwner() {
    HWND foreground = GetForegroundWindow();
    if (foreground == nullptr) return nullptr;
    DWORD process = 0;
    GetWindowThreadProcessId(foreground, &process);
    return process == GetCurrentProcessId() ? foreground : nullptr;
}

int ShowModalMessageBox(const std::string& caption, const std::string& text, UINT type) {
    BeginModal();
    const int result = MessageBoxA(ModalOwner(), text.c_str(), caption.c_str(), type);
    EndModal();
    return result;
}

} // namespace vintrel
