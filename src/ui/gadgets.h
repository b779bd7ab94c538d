// The fixed layout of the main window: every gadget, list column and status-bar field.
#pragma once

#include <windows.h>

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

extern const GadgetSpec kGadgets[13]; // in the order of their numbers
extern const ColumnSpec kColumns[4];
extern const int kStatusPartEdges[2];            // right edges of the two fields
extern const GadgetColourSpec kGadgetColours[6]; // in the order start-up sets them

KindSpec SpecOf(GadgetKind kind);
FontSpec SpecOf(GadgetFont font);

} // namespace vintrel
