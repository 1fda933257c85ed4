#include "study/progress_board.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace varendo::study {

const std::array<StudyState, 4>& studyStates()
{
    static const std::array<StudyState, 4> states{{
        {QStringLiteral("未学习"), QChar(0xFF0B), 0x008000},
        {QStringLiteral("已学习"), QChar(0xFF0D), 0x800080},
        {QStringLiteral("学习中"), QChar(0xFF0A), 0x0000FF},
        {QStringLiteral("待温习"), QChar(0xFF1D), 0x008080},
    }};
    return states;
}

int stateOfWord(const QString& word)
{
    const auto& states = studyStates();
    for (int i = 0; i < int(states.size()); ++i)
        if (states[i].word == word)
            return i;
    return -1;
}

int stateOfCellText(const QString& text)
{
    int found = -1;
    const auto& states = studyStates();
    for (int i = 0; i < int(states.size()); ++i)
        if (text.contains(states[i].mark))
            found = i;
    return found;
}

QString cellLabel(const QString& lessonNumber)
{
    bool ok = false;
    const double value = lessonNumber.trimmed().toDouble(&ok);
    QString digits = lessonNumber.trimmed();
    if (ok && std::isfinite(value)) {
        const qint64 n = std::llround(value);
        digits = QStringLiteral("%1").arg(n < 0 ? -n : n, 3, 10, QLatin1Char('0'));
        if (n < 0)
            digits.prepend(QLatin1Char('-'));
    }
    return QStringLiteral("第 ") + digits + QStringLiteral(" 课");
}

QString cellText(const QString& label, int state)
{
    if (state < 0 || state >= int(studyStates().size()))
        return label;
    return label + studyStates()[state].mark;
}

QString labelOfCellText(const QString& text)
{
    QString label = text;
    while (!label.isEmpty() && stateOfCellText(label.right(1)) >= 0)
        label.chop(1);
    return label;
}

int boardRows(int lessonCount)
{
    const int needed = (std::max(lessonCount, 0) + kBoardColumns - 1) / kBoardColumns;
    return std::max(needed, kBoardMinRows);
}

QStringList titleLines(const QString& title)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = title.split(lineBreak);
    if (lines.size() > 0 && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QStringList cellLines(const QString& title, const QString& stateWord, bool showNames, bool showState)
{
    QStringList lines;
    const QStringList titled = titleLines(title);
    const bool namesShown = showNames && titled.size() >= 3;
    if (namesShown)
        for (int k = 1; k <= titled.size() - 2; ++k)
            lines << titled[k].trimmed();
    if (showState)
        lines << stateWord;
    return lines;
}

QString cellTooltip(int book, const QString& cellText, const QString& title)
{
    const QString blanks(8, QLatin1Char(' '));
    const int state = stateOfCellText(cellText);
    QString tip = blanks + QStringLiteral("第%1册 ").arg(book) + labelOfCellText(cellText) + blanks + QLatin1Char('\n');
    const QStringList lines = titleLines(title);
    for (int k = 1; k < lines.size(); ++k)
        tip += lines[k] + QLatin1Char('\n');
    return tip + blanks + QStringLiteral("课程状态:") + (state >= 0 ? studyStates()[state].word : QString());
}

} // namespace varendo::study
