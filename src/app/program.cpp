#include "app/program.h"

#include "app/ids.h"
#include "app/probe.h"
#include "app/texts.h"

namespace vintrel {

namespace {
void Call(const std::function<void()>& action) {
    if (action) action();
}
} // namespace

void CheckForProfile(AppState& state, Disk& disk, ListSink& list, const Operations& ops) {
    // A directory of that name counts as present, and so does a profile that is there but
    // cannot be looked at: loading either reports its own failure and keeps it from being
    // overwritten.
    if (!ProfileMayExist(state, disk)) {
        list.SetStatusText(kMessageField, kProfileNotFoundText);
        return;
    }
    Call(ops.loadProfile);
}

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

void RunProgram(AppState& state, Disk& disk, Screen& screen, const Operations& ops) {
    CheckForProfile(state, disk, screen, ops);
    screen.ActivateMainWindow();
    Call(ops.tellLastRun);
    RunEventLoop(state, screen, ops);
    screen.CloseMainWindow();
    Call(ops.saveProfile);
}

} // namespace vintrel
