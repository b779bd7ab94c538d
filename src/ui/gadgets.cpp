#include "ui/gadgets.h"

#include <commctrl.h>

namespace vintrel {

using K = GadgetKind;
using F = GadgetFont;

const GadgetSpec kGadgets[13] = {
    {1, K::GroupBox, 5, 0, 630, 40, "", F::Default},
    {2, K::StaticText, 15, 15, 430, 20, "Search for files to backup and save them to the profile",
     F::Arial12Bold},
    {3, K::PushButton, 445, 10, 185, 25, "Search for files now", F::Arial12},
    {4, K::GroupBox, 5, 40, 630, 375, "", F::Default},
    {5, K::StaticText, 15, 55, 95, 20, "Parent path", F::Arial12Bold},
    {6, K::ReadOnlyEdit, 110, 55, 520, 20, "Documents and Settings\\", F::Arial12Bold},
    {7, K::ListView, 10, 105, 620, 305, "", F::Default},
    {8, K::StaticText, 15, 80, 95, 20, "Target path", F::Arial12Bold},
    {9, K::ReadOnlyEdit, 110, 80, 495, 20, "", F::Arial12},
    {10, K::PushButton, 605, 80, 25, 20, ">>", F::Arial10Bold},
    {11, K::GroupBox, 5, 415, 630, 40, "", F::Default},
    {12, K::StaticText, 15, 430, 430, 20, "Backup the files in the profile to the user chosen path",
     F::Arial12Bold},
    {13, K::PushButton, 445, 425, 185, 25, "Backup the files now", F::Arial12},
};

const ColumnSpec kColumns[4] = {
    {"Filename", 286},
    {"Belongs to", 130},
    {"OE Version", 100},
    {"Status", 100},
};

const int kStatusPartEdges[2] = {620, 640};

const GadgetColourSpec kGadgetColours[6] = {
    {2, 0x00FF0000},  // blue
    {5, 0x00FFFFFF},  // white
    {6, 0x00800000},  // navy
    {8, 0x00FFFFFF},  // white
    {9, 0x00000000},  // black
    {12, 0x00800080}, // purple
};

KindSpec SpecOf(GadgetKind kind) {
    switch (kind) {
    case K::GroupBox:
        return {"Button", BS_GROUPBOX | WS_GROUP, 0};
    case K::StaticText:
        return {"Static", SS_LEFT | WS_GROUP, 0};
    case K::PushButton:
        return {"Button", BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, 0};
    case K::ReadOnlyEdit:
        return {"Edit", ES_LEFT | ES_AUTOHSCROLL | ES_READONLY | WS_TABSTOP | WS_GROUP, 0};
    case K::ListView:
        return {WC_LISTVIEWA, LVS_REPORT | LVS_SINGLESEL | LVS_SHAREIMAGELISTS | WS_TABSTOP,
                WS_EX_CLIENTEDGE};
    }
    return {"Static", 0, 0};
}

FontSpec SpecOf(GadgetFont font) {
    switch (font) {
    case F::Arial12Bold:
        return {12, FW_BOLD};
    case F::Arial12:
        return {12, FW_NORMAL};
    case F::Arial10Bold:
        return {10, FW_BOLD};
    case F::Default:
        break;
    }
    return {0, 0};
}

} // namespace vintrel
