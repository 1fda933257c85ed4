#pragma once
// The desktop's part of the windows' platform services: opening documents with
// the desktop's default program, writing launchers, reading the program's version.
#include "ui/platform_services.h"

namespace varendo {

DocumentOpener desktopDocumentOpener();
LauncherWriter desktopLauncherWriter();
VersionReader desktopVersionReader();

} // namespace varendo
