#include "common/timing_line.h"

#include <QRegularExpression>

namespace varendo {

QString stripTags(const QString& text, QChar open, QChar close)
{
    // One pass: each opening mark is paired with the first closing mark after it, and
    // the pair goes with everything between. An opening mark without a closing mark
    // after it ends the stripping there.
    QString result;
    result.reserve(text.size());
    qsizetype from = 0;
    while (from < text.size()) {
        const qsizetype start = text.indexOf(open, from);
        const qsizetype end = start < 0 ? -1 : text.indexOf(close, start + 1);
        if (end < 0)
            break;
        result += QStringView(text).mid(from, start - from);
        from = end + 1;
    }
    result += QStringView(text).mid(from);
    return result;
}

bool startsWithTimeTag(const QString& line)
{
    static const QRegularExpression tag(QStringLiteral("^\\[[0-9]{2}:[0-9]{2}(\\.[0-9]+)?\\]"));
    return tag.match(line).hasMatch();
}

} // namespace varendo
