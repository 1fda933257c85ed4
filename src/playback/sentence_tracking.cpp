#include "playback/sentence_tracking.h"

#include "common/gbk_text.h"
#include "common/timing_line.h"

#include <QFileInfo>

namespace varendo::playback {

QString gettimes(qint64 ms)
{
    const qint64 s = qMax<qint64>(ms, 0) / 1000;
    qint64 m = s / 60;
    if (m >= 60)
        m = (m / 60) * 100 + m % 60;
    // m * 100 + s mod 60 in the pattern "0:00:00": the hour unpadded.
    const qint64 number = m * 100 + s % 60;
    return QStringLiteral("%1:%2:%3")
        .arg(number / 10000)
        .arg((number / 100) % 100, 2, 10, QLatin1Char('0'))
        .arg(number % 100, 2, 10, QLatin1Char('0'));
}

QString statusText(qint64 currentMs, qint64 totalMs)
{
    return QStringLiteral("当前: %1 总长: %2").arg(gettimes(currentMs), gettimes(totalMs));
}

QString statusStamp(const QString& status)
{
    const QString prefix = QStringLiteral("当前: ");
    if (!status.startsWith(prefix))
        return {};
    return status.mid(prefix.size() + 2, 5);
}

QString upperLatin(const QString& text)
{
    QString result = text;
    for (QChar& c : result)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    return result;
}

std::optional<SentenceMark> markSentence(const QString& stamp, const QStringList& timingList,
                                         const QString& lastStamp, const QString& text, bool selectSentence)
{
    if (stamp.isEmpty() || stamp == QLatin1String("00:00") || stamp == lastStamp)
        return std::nullopt;
    for (const QString& line : timingList) {
        if (line.contains(stamp))
            return locateSentence(line, stamp, text, selectSentence);
    }
    return std::nullopt;
}

SentenceMark locateSentence(const QString& line, const QString& stamp, const QString& text, bool selectSentence)
{
    SentenceMark mark;
    mark.stamp = stamp;
    mark.sentence = stripTags(line);
    const qsizetype at = mark.sentence.isEmpty() ? -1 : upperLatin(text).indexOf(upperLatin(mark.sentence));
    mark.found = at >= 0;
    if (mark.found) {
        mark.start = int(at);
        mark.length = selectSentence ? int(mark.sentence.size()) : 0;
    }
    return mark;
}

QString stampAt(qint64 ms)
{
    return statusStamp(statusText(ms, 0));
}

EndStep continueRule(bool openedFile, bool nextEnabled, int playListCount)
{
    if (nextEnabled)
        return EndStep::Next;
    if (!openedFile || playListCount < 2)
        return EndStep::Stop;
    return EndStep::FirstOfList;
}

QString lyricsPathFor(const QString& mediaPath)
{
    const QFileInfo info(mediaPath);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString base = dot > 0 ? name.left(dot) : name;
    const qsizetype slash = mediaPath.lastIndexOf(QLatin1Char('/'));
    return mediaPath.left(slash + 1) + base + QStringLiteral(".lrc");
}

QStringList decodeLyrics(const QByteArray& bytes)
{
    QString text = fromUtf8OrGbk(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the end of the last line, not a line of its own
    return lines;
}

} // namespace varendo::playback
