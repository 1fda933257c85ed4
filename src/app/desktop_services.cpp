#include "app/desktop_services.h"

#include "desktop/default_program.h"
#include "desktop/desktop_entry.h"
#include "desktop/version.h"

namespace varendo {

DocumentOpener desktopDocumentOpener()
{
    return [](const QString& path) { return desktop::openWithDefaultProgram(path); };
}

LauncherWriter desktopLauncherWriter()
{
    return [](const QString& path, const Launcher& launcher) {
        desktop::writeDesktopEntry(path, {.name = launcher.name,
                                          .comment = launcher.comment,
                                          .command = launcher.command,
                                          .workingFolder = launcher.workingFolder,
                                          .icon = launcher.icon});
        desktop::markTrusted(path);
    };
}

VersionReader desktopVersionReader()
{
    return [](const QString& executablePath) { return GetFileVersion(executablePath); };
}

} // namespace varendo
