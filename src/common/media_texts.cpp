#include "common/media_texts.h"

#include <QStringList>

namespace varendo {

QString qtFileFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        result << parts[i] + QStringLiteral(" (") + QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '))
                      + QLatin1Char(')');
    return result.join(QStringLiteral(";;"));
}

} // namespace varendo
