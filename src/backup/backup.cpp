#include "backup/backup.h"

namespace vintrel {

// The folder choice and the copying are not built yet; their buttons already reach them.
void ChooseTargetPath(AppState&, Screen&) {}
void RunBackup(AppState&, Disk&, Screen&) {}

} // namespace vintrel
