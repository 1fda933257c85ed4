#include "common/timing_line.h"

#include <QRegularExpression>

namespace varendo {

QString stripTags(const QString& text, QChar open, QChar close)
{
    QString result = text;
    for (;;) {
        const qsizetype start = result.indexOf(open);
        if (start < 0)
            break;
        // The closing mark is looked for after the opening one, so a stray closing
        // mark before it cannot make the text grow.
        const qsizetype end = result.indexOf(close, start + 1);
        if (end < 0)
            break;
        result.remove(start, end - start + 1);
    }
    return result;
}

bool startsWithTimeTag(const QString& line)
{
    static const QRegularExpression tag(QStringLiteral("^\\[[0-9]{2}:[0-9]{2}(\\.[0-9]+)?\\]"));
    return tag.match(line).hasMatch();
}

} // namespace varendo
