#include "ui/hooks.h"

namespace vintrel {

// Not built yet: until then the header draws itself, the gadgets have no tips and the
// title stays "Search now".
void InstallListHeader(WindowLayer&, AppState&) {}
void AttachBalloonTips(WindowLayer&) {}
void SetBannerTitle(WindowLayer&, const AppState&) {}

} // namespace vintrel
