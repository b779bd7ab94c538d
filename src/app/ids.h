// Numbers that name the window, its gadgets and its commands. A gadget's number is also
// its control identifier, so WM_COMMAND and WM_NOTIFY carry it.
#pragma once

namespace vintrel {

inline constexpr int kMainWindowNumber = 1;

enum Gadget : int {
    kSearchFrame = 1,
    kSearchCaption = 2,
    kSearchButton = 3,
    kPathFrame = 4,
    kParentPathLabel = 5,
    kParentPathField = 6,
    kFileList = 7,
    kTargetPathLabel = 8,
    kTargetPathField = 9,
    kBrowseButton = 10,
    kBackupFrame = 11,
    kBackupCaption = 12,
    kBackupButton = 13,
};
inline constexpr int kGadgetCount = 13;

// Keyboard shortcuts arrive as commands with these numbers.
inline constexpr int kQuitCommand = 14;               // Alt+X
inline constexpr int kNextGadgetCommand = 0x7F01;     // Tab
inline constexpr int kPreviousGadgetCommand = 0x7F02; // Shift+Tab

// Status-bar fields.
inline constexpr int kMessageField = 0;
inline constexpr int kSpinnerField = 1;

} // namespace vintrel
