#include "app/program.h"

#include "app/ids.h"

namespace vintrel {

namespace {
void Call(const std::function<void()>& action) {
    if (action) action();
}
} // namespace

void HandleEvent(AppState& state, const Event& event, const Operations& ops) {
    switch (event.kind) {
    case EventKind::CloseRequest:
        if (event.number == kMainWindowNumber) state.quitFlag = 1;
        break;
    case EventKind::Command:
        if (event.number == kQuitCommand) state.quitFlag = 1;
        break;
    case EventKind::Gadget:
        switch (event.number) {
        case kSearchButton:
            Call(ops.searchDataFiles);
            break;
        case kBrowseButton:
            Call(ops.chooseTargetPath);
            break;
        case kBackupButton:
            Call(ops.runBackup);
            break;
        default:
            break;
        }
        break;
    case EventKind::None:
        break;
    }
}

void RunEventLoop(AppState& state, EventPump& pump, const Operations& ops) {
    do {
        HandleEvent(state, pump.WaitForEvent(), ops);
    } while (state.quitFlag == 0);
}

void RunProgram(AppState& state, Screen& screen, const Operations& ops) {
    Call(ops.loadProfile);
    screen.ActivateMainWindow();
    Call(ops.tellLastRun);
    RunEventLoop(state, screen, ops);
    screen.CloseMainWindow();
    Call(ops.saveProfile);
}

} // namespace vintrel
