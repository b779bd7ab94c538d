// The program's Screen on the real window.
#pragma once

#include "app/screen.h"
#include "ui/main_window.h"

namespace vintrel {

class Win32Screen : public Screen {
public:
    explicit Win32Screen(WindowLayer& layer) : layer_(layer) {}

    void SetStatusText(int field, const std::string& text) override;
    void SetGadgetText(int gadget, const std::string& text) override;
    int AddListRow(const std::string& rowText) override;
    void SetListCellColour(int row, int column, Colour textColour) override;
    void ClearListRows() override;
    Event WaitForEvent() override;
    int PollEvent(Event* event) override;
    std::uint32_t Milliseconds() override;
    int ShowMessageBox(const std::string& caption, const std::string& text, unsigned type) override;
    std::string FolderDialog(const std::string& title, const std::string& initialPath) override;
    void ActivateMainWindow() override;
    void CloseMainWindow() override;

private:
    WindowLayer& layer_;
};

} // namespace vintrel
