#include "desktop/version.h"

#include "build_number.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace varendo {

QString GetFileVersion(const QString& executablePath)
{
    const QFileInfo file(executablePath);
    if (!file.exists() || !file.isReadable())
        return QStringLiteral("-1");
    // Our version is compiled in; other files carry none we can read.
    if (file.canonicalFilePath() != QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath())
        return QString();
    return QStringLiteral(VARENDO_VERSION "." VARENDO_BUILD_NUMBER);
}

} // namespace varendo
