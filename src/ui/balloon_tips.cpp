#include "ui/balloon_tips.h"

#include "app/ids.h"
#include "ui/controls.h"

namespace vintrel {

int AddBalloonTip(WindowLayer& layer, int windowNumber, int gadgetNumber, const char* text) {
    HWND window = layer.Window(windowNumber);
    HWND gadget = layer.Gadget(gadgetNumber);
    HWND tip = CreateWindowExA(0, TOOLTIPS_CLASSA, "", WS_POPUP | TTS_BALLOON | TTS_NOPREFIX, 0, 0,
                               0, 0, window, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (tip == nullptr) return 0;
    SetWindowPos(tip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    const ToolTipControl tips(tip);
    tips.SetColours(0, 0xF58C0A);
    tips.SetMaxWidth(180);
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE; // 44: without the reserved last field
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window;
    tool.uId = reinterpret_cast<UINT_PTR>(gadget);
    tool.lpszText = const_cast<char*>(text);
    tips.AddTool(tool);
    tips.Update();
    return 0;
}

void AttachBalloonTips(WindowLayer& layer) {
    const std::pair<int, const char*> tips[] = {
        {kSearchButton,
         "Press this button to start the search for Outlook and Outlook Express data "
         "files. If the profile exists, it will be overwritten!!"},
        {kParentPathField, "This is the original parent path of the files to be backed up."},
        {kFileList, "All found Outlook and Outlook Express data files will be presented here with "
                    "version and status information"},
        {kTargetPathField, "This is the chosen target path to backup the files to. Plese be aware "
                           "that there is a Windows limit of 256 chars for a path length"},
        {kBrowseButton, "Press this button to select a backup location"},
        {kBackupButton,
         "Press this button to start backing up the found files to the chosen location"},
    };
    for (const auto& [gadget, text] : tips)
        AddBalloonTip(layer, kMainWindowNumber, gadget, text);
}

} // namespace vintrel
