// The window's finishing touches: the list header drawing, the balloon tips and the title
// with today's date.
#pragma once

#include "app/state.h"
#include "ui/main_window.h"

namespace vintrel {

void InstallListHeader(WindowLayer& layer, AppState& state);
void AttachBalloonTips(WindowLayer& layer);
void SetBannerTitle(WindowLayer& layer, const AppState& state);

} // namespace vintrel
