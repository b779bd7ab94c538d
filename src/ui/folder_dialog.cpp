#include "ui/folder_dialog.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstring>

#include "app/paths.h"
#include "ui/modal_boxes.h"
#include "win32/system_calls.h"

namespace vintrel {

namespace {

constexpr UINT kBrowseFlags = BIF_NEWDIALOGSTYLE | BIF_EDITBOX; // 0x50

// Pre-selects the initial path once the dialog is up.
int CALLBACK OnBrowseEvent(HWND dialog, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED && data != 0) {
        SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, data);
    }
    return 0;
}

} // namespace

std::string ShowFolderDialog(const std::string& title, const std::string& initialPath) {
    static bool comReady = false;
    if (!comReady) {
        CoInitialize(nullptr); // normally done at start-up already; then it changes nothing
        comReady = true;
    }
    const auto browse = system_calls::SHBrowseForFolderA();
    const auto toPath = system_calls::SHGetPathFromIDListA();
    if (browse == nullptr || toPath == nullptr) return "";

    char initial[MAX_PATH] = "";
    std::strncpy(initial, initialPath.c_str(), MAX_PATH - 1);
    const std::size_t length = std::strlen(initial);
    if (length > 3 && initial[length - 1] == '\\') initial[length - 1] = '\0'; // "C:\" keeps it

    BROWSEINFOA info{};
    info.hwndOwner = ModalOwner();
    info.lpszTitle = title.c_str();
    info.ulFlags = kBrowseFlags;
    info.lpfn = OnBrowseEvent;
    info.lParam = reinterpret_cast<LPARAM>(initial);

    BeginModal();
    LPITEMIDLIST chosen = browse(&info);
    EndModal();

    std::string path;
    if (chosen != nullptr) {
        char buffer[MAX_PATH] = "";
        // A virtual folder (the computer itself, say) has no path: that counts as a cancel.
        if (toPath(chosen, buffer)) path = buffer;
        CoTaskMemFree(chosen);
        path = WithFinalSeparator(path);
    }
    return path;
}

} // namespace vintrel
