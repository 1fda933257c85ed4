#include "common/lesson_label.h"

namespace varendo {

QString lessonLabel(const QString& book, const QString& lesson)
{
    return QStringLiteral("第") + book + QStringLiteral("册 第") + lesson + QStringLiteral("课");
}

QString lessonNumberOf(const QString& label)
{
    const QString marker = QStringLiteral("册 第");
    const qsizetype start = label.indexOf(marker);
    if (start < 0)
        return QString();
    const qsizetype from = start + marker.size();
    const qsizetype end = label.indexOf(QStringLiteral("课"), from);
    return end < 0 ? label.mid(from) : label.mid(from, end - from);
}

int lessonListPosition(int bookIndex, qint64 lessonNumber)
{
    // Integer division truncates toward zero, as the stored numbers expect.
    return int(bookIndex == 0 ? lessonNumber / 2 : lessonNumber - 1);
}

} // namespace varendo
