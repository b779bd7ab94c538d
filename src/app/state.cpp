#include "app/state.h"

#include "app/paths.h"

namespace vintrel {

std::string StartupDirectoryFrom(const std::string* currentDirectory) {
    if (currentDirectory == nullptr) return std::string(512, ' ');
    return currentDirectory->empty() ? "\\" : WithFinalSeparator(*currentDirectory);
}

void InitSharedState(AppState& state, const std::string* currentDirectory) {
    state.profileList.clear();
    state.startupDirectory = StartupDirectoryFrom(currentDirectory);
    state.windowColour = kWindowColour;
    state.spinnerString = "|/-\\/-";
    state.dayNames = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    state.monthNames = {"January", "February", "March",     "April",   "May",      "June",
                        "July",    "August",   "September", "October", "November", "December"};
    state.quitFlag = 0;
    state.targetPath.clear();
    state.profileUnread = false;
}

} // namespace vintrel
