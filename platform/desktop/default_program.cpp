#include "desktop/default_program.h"

#include <QDesktopServices>
#include <QUrl>

namespace varendo::desktop {

bool openWithDefaultProgram(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace varendo::desktop
