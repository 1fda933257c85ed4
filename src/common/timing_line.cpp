#include "common/timing_line.h"

#include "common/gbk_text.h"

#include <QStringDecoder>

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

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Reads up to `most` digits at `at`; how many were read.
int readDigits(QStringView text, qsizetype& at, int most, qint64& value)
{
    int count = 0;
    value = 0;
    while (count < most && at < text.size() && isDigit(text[at])) {
        value = value * 10 + (text[at].unicode() - '0');
        ++at;
        ++count;
    }
    return count;
}

// A time "m:ss", "mm:ss.xx", "mm:ss:xx" … between open and close at `at`: its
// milliseconds, and `at` moved past the closing mark. Nothing when there is none.
std::optional<qint64> readTime(QStringView text, qsizetype& at, QChar open, QChar close)
{
    qsizetype i = at;
    if (i >= text.size() || text[i] != open)
        return std::nullopt;
    ++i;
    qint64 minutes = 0, seconds = 0, fraction = 0;
    if (readDigits(text, i, 3, minutes) == 0 || i >= text.size() || text[i] != QLatin1Char(':'))
        return std::nullopt;
    ++i;
    if (readDigits(text, i, 2, seconds) != 2 || seconds >= 60)
        return std::nullopt;
    if (i < text.size() && (text[i] == QLatin1Char('.') || text[i] == QLatin1Char(':'))) {
        ++i;
        const int digits = readDigits(text, i, 3, fraction);
        if (digits == 0)
            return std::nullopt;
        for (int d = digits; d < 3; ++d)
            fraction *= 10; // tenths and hundredths as milliseconds
    }
    if (i >= text.size() || text[i] != close)
        return std::nullopt;
    at = i + 1;
    return (minutes * 60 + seconds) * 1000 + fraction;
}

void skipBlanks(QStringView text, qsizetype& at)
{
    while (at < text.size() && text[at].isSpace())
        ++at;
}

// "[key:value]" with a key of letters, as the header tags [ti:…] and [offset:…] are.
bool readInfoTag(QStringView text, qsizetype& at, QStringView* key = nullptr, QStringView* value = nullptr)
{
    qsizetype i = at;
    if (i >= text.size() || text[i] != QLatin1Char('['))
        return false;
    const qsizetype keyStart = ++i;
    while (i < text.size() && text[i].unicode() < 128 && text[i].isLetter())
        ++i;
    if (i == keyStart || i >= text.size() || text[i] != QLatin1Char(':'))
        return false;
    const qsizetype close = text.indexOf(QLatin1Char(']'), i + 1);
    if (close < 0)
        return false;
    if (key)
        *key = text.mid(keyStart, i - keyStart);
    if (value)
        *value = text.mid(i + 1, close - i - 1);
    at = close + 1;
    return true;
}

} // namespace

QString stripWordTags(const QString& text)
{
    if (!text.contains(QLatin1Char('<')))
        return text;
    QString result;
    result.reserve(text.size());
    for (qsizetype at = 0; at < text.size();) {
        if (readTime(text, at, QLatin1Char('<'), QLatin1Char('>')))
            continue;
        result += text[at++];
    }
    return result;
}

TimingLine parseTimingLine(const QString& line)
{
    TimingLine parsed;
    qsizetype at = 0;
    for (;;) {
        skipBlanks(line, at);
        const auto ms = readTime(line, at, QLatin1Char('['), QLatin1Char(']'));
        if (!ms)
            break;
        parsed.times << *ms;
        parsed.textStart = at;
    }
    if (parsed.times.isEmpty()) {
        qsizetype tags = 0;
        at = 0;
        for (skipBlanks(line, at); readInfoTag(line, at); skipBlanks(line, at))
            ++tags;
        parsed.header = tags > 0 && at == line.size();
    }
    if (!parsed.header)
        parsed.sentence = stripTags(stripWordTags(line));
    return parsed;
}

bool startsWithTimeTag(const QString& line)
{
    qsizetype at = 0;
    skipBlanks(line, at);
    return readTime(line, at, QLatin1Char('['), QLatin1Char(']')).has_value();
}

qint64 lyricOffset(const QStringList& lines)
{
    for (const QString& line : lines) {
        qsizetype at = 0;
        skipBlanks(line, at);
        QStringView key, value;
        while (readInfoTag(line, at, &key, &value)) {
            if (key.compare(QLatin1String("offset"), Qt::CaseInsensitive) == 0) {
                bool ok = false;
                const qint64 ms = value.trimmed().toLongLong(&ok);
                return ok ? ms : 0;
            }
            skipBlanks(line, at);
        }
    }
    return 0;
}

qint64 offsetTime(qint64 tagMs, qint64 offsetMs)
{
    return qMax<qint64>(tagMs - offsetMs, 0);
}

QString timeTag(qint64 ms)
{
    ms = qMax<qint64>(ms, 0);
    // Hundredths, as lessons write them; a time finer than that keeps its milliseconds.
    const bool fine = ms % 10 != 0;
    return QStringLiteral("[%1:%2.%3]")
        .arg(ms / 60000, 2, 10, QLatin1Char('0'))
        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(fine ? ms % 1000 : ms % 1000 / 10, fine ? 3 : 2, 10, QLatin1Char('0'));
}

QStringList decodeLyrics(const QByteArray& bytes)
{
    QString text;
    const auto declared = QStringConverter::encodingForData(bytes, u'[');
    if (declared && *declared != QStringConverter::Utf8)
        text = QStringDecoder(*declared).decode(bytes);
    else
        text = fromUtf8OrGbk(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the end of the last line, not a line of its own
    return lines;
}

} // namespace varendo
