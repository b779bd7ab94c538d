// The spine of the program once its window is open: the profile's load, the event loop and
// the exit sequence.
#pragma once

#include <functional>

#include "app/screen.h"
#include "app/state.h"

namespace vintrel {

// The actions the loop and the start-up hand work to. Each runs to its end.
struct Operations {
    std::function<void()> searchDataFiles;  // "Search for files now"
    std::function<void()> chooseTargetPath; // ">>"
    std::function<void()> runBackup;        // "Backup the files now"
    std::function<void()> loadProfile; // or says there is none
    std::function<void()> saveProfile;
    // Once the window shows: the word on a scheduled run that failed.
    std::function<void()> tellLastRun;
};

// Acts on one event: a close request or Alt+X sets the quit flag; the three buttons start
// their actions; everything else is ignored.
void HandleEvent(AppState& state, const Event& event, const Operations& ops);

// Takes events one at a time until the quit flag is set; always waits for at least one.
void RunEventLoop(AppState& state, EventPump& pump, const Operations& ops);

// From the profile's load to its save: load (or say there is none), activate, the word on the
// last scheduled run, loop, close, save.
void RunProgram(AppState& state, Screen& screen, const Operations& ops);

} // namespace vintrel
