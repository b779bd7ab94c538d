// The balloon tooltips over the gadgets of the main window.
#pragma once

#include "ui/main_window.h"

namespace vintrel {

// One balloon tooltip for one gadget of a window.
int AddBalloonTip(WindowLayer& layer, int windowNumber, int gadgetNumber, const char* text);

// The six tips, in their order.
void AttachBalloonTips(WindowLayer& layer);

} // namespace vintrel
