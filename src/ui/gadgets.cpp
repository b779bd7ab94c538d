#include "ui/gadgets.h"

#include <commctrl.h>

namespace vintrel {

using K = GadgetKind;
using F = GadgetFont;

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
