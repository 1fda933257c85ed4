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

QString filterSuffix(const QString& filter)
{
    const qsizetype star = filter.indexOf(QStringLiteral("*."));
    if (star < 0)
        return {};
    QString suffix = filter.mid(star + 2);
    for (qsizetype i = 0; i < suffix.size(); ++i)
        if (!suffix[i].isLetterOrNumber())
            return suffix.left(i);
    return suffix;
}

} // namespace varendo
