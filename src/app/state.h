// The program-wide state, one instance, owned by the program entry.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vintrel {

using Colour = std::uint32_t; // a Windows COLORREF: 0x00BBGGRR

inline constexpr Colour kWindowColour = 0x00FDBE99; // light blue: red 153, green 190, blue 253

struct AppState {
    std::string startupDirectory; // always ends in "\" unless the current directory was unknown
    Colour windowColour = 0;
    std::string spinnerString;
    std::array<std::string, 7> dayNames;
    std::array<std::string, 12> monthNames;
    std::int32_t quitFlag = 0;
    std::string targetPath;
    std::vector<std::string> profileList; // "full path|kind|version", one per file-list row
    // The profile exists but could not be read in full: it must not be overwritten with what
    // little was read. A search, which replaces the list by design, clears it.
    bool profileUnread = false;
    std::string profileTargetPath; // the target path as the profile on disk holds it
    // The profile as it was loaded, and the text this program would have written for it: a
    // window that changed neither does not write over a profile another run saved since.
    std::string loadedProfileBytes;
    std::string loadedProfileText;
    bool profileLoaded = false;
};

// Fills the state as the program finds it at start-up. `currentDirectory` is what the
// platform reported, or nothing when it could not say.
void InitSharedState(AppState& state, const std::string* currentDirectory);

// The start-up directory made from the current directory: a trailing "\" is added where
// missing; an unknown directory leaves 512 blanks, which name no file.
std::string StartupDirectoryFrom(const std::string* currentDirectory);

} // namespace vintrel
