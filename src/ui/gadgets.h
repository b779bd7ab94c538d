// The fixed layout of the main window: every gadget, list column and status-bar field.
#pragma once

#include <windows.h>

#include <iterator>

#include "app/ids.h"
#include "app/state.h"

namespace vintrel {

enum class GadgetKind { GroupBox, StaticText, PushButton, ReadOnlyEdit, ListView };
enum class GadgetFont { Default, Arial12Bold, Arial12, Arial10Bold };

struct GadgetSpec {
    int number;
    GadgetKind kind;
    int x, y, width, height;
    const char* text;
    GadgetFont font;
};

struct KindSpec {
    const char* className;
    DWORD style; // without WS_CHILD and WS_VISIBLE, which every gadget has
    DWORD exStyle;
};

struct FontSpec {
    int points;
    int weight;
};

struct ColumnSpec {
    const char* header;
    int width;
};

struct GadgetColourSpec {
    int gadget;
    Colour front; // the back colour is the window colour
};

inline constexpr int kClientWidth = 639;
inline constexpr int kClientHeight = 480;
inline constexpr DWORD kMainWindowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
inline constexpr const char* kMainWindowTitle = "Search now";
inline constexpr const char* kMainWindowClass = "VintrelMainWindow";
inline constexpr int kStatusBarId = 100;
inline constexpr int kStatusBarMinHeight = 18;

// In the order of their numbers.
inline constexpr GadgetSpec kGadgets[] = {
    {kSearchFrame, GadgetKind::GroupBox, 5, 0, 630, 40, "", GadgetFont::Default},
    {kSearchCaption, GadgetKind::StaticText, 15, 15, 430, 20,
     "Search for files to backup and save them to the profile", GadgetFont::Arial12Bold},
    {kSearchButton, GadgetKind::PushButton, 445, 10, 185, 25, "Search for files now",
     GadgetFont::Arial12},
    {kPathFrame, GadgetKind::GroupBox, 5, 40, 630, 375, "", GadgetFont::Default},
    {kParentPathLabel, GadgetKind::StaticText, 15, 55, 95, 20, "Parent path",
     GadgetFont::Arial12Bold},
    {kParentPathField, GadgetKind::ReadOnlyEdit, 110, 55, 520, 20, "Documents and Settings\\",
     GadgetFont::Arial12Bold},
    {kFileList, GadgetKind::ListView, 10, 105, 620, 305, "", GadgetFont::Default},
    {kTargetPathLabel, GadgetKind::StaticText, 15, 80, 95, 20, "Target path",
     GadgetFont::Arial12Bold},
    {kTargetPathField, GadgetKind::ReadOnlyEdit, 110, 80, 495, 20, "", GadgetFont::Arial12},
    {kBrowseButton, GadgetKind::PushButton, 605, 80, 25, 20, ">>", GadgetFont::Arial10Bold},
    {kBackupFrame, GadgetKind::GroupBox, 5, 415, 630, 40, "", GadgetFont::Default},
    {kBackupCaption, GadgetKind::StaticText, 15, 430, 430, 20,
     "Backup the files in the profile to the user chosen path", GadgetFont::Arial12Bold},
    {kBackupButton, GadgetKind::PushButton, 445, 425, 185, 25, "Backup the files now",
     GadgetFont::Arial12},
};
static_assert(std::size(kGadgets) == kGadgetCount);

inline constexpr ColumnSpec kColumns[] = {
    {"Filename", 286},
    {"Belongs to", 130},
    {"OE Version", 100},
    {"Status", 100},
};

inline constexpr int kStatusPartEdges[] = {620, 640}; // right edges of the two fields

// In the order start-up sets them.
inline constexpr GadgetColourSpec kGadgetColours[] = {
    {kSearchCaption, 0x00FF0000},   // blue
    {kParentPathLabel, 0x00FFFFFF}, // white
    {kParentPathField, 0x00800000}, // navy
    {kTargetPathLabel, 0x00FFFFFF}, // white
    {kTargetPathField, 0x00000000}, // black
    {kBackupCaption, 0x00800080},   // purple
};

KindSpec SpecOf(GadgetKind kind);
FontSpec SpecOf(GadgetFont font);

} // namespace vintrel
