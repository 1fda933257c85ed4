#include "playback/sentence_tracking.h"

#include "common/gbk_text.h"
#include "common/timing_line.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <functional>

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

LyricsFile readLyricsBeside(const QString& mediaPath)
{
    LyricsFile lyrics;
    const QFileInfo wanted(lyricsPathFor(mediaPath));
    if (wanted.isFile()) {
        lyrics.path = wanted.filePath();
    } else {
        // "song.LRC" beside "song.mp3": the same name, the extension in any letter case.
        const QString name = wanted.fileName();
        const QString base = name.chopped(4);
        QStringList found;
        for (QDirIterator it(wanted.path(), QDir::Files | QDir::Hidden); it.hasNext();) {
            it.next();
            const QString other = it.fileName();
            if (other.size() == name.size() && other.startsWith(base)
                && other.endsWith(QLatin1String(".lrc"), Qt::CaseInsensitive))
                found << it.filePath();
        }
        if (found.isEmpty())
            return lyrics;
        found.sort();
        lyrics.path = found.first();
    }
    QFile file(lyrics.path);
    if (!file.open(QIODevice::ReadOnly)) {
        lyrics.status = LyricsFile::Unreadable;
        lyrics.error = file.errorString();
        return lyrics;
    }
    lyrics.size = file.size();
    if (lyrics.size > kLyricsLargest) {
        lyrics.status = LyricsFile::TooLarge;
        return lyrics;
    }
    // Read no more than the limit allows, whatever size the file claimed.
    const QByteArray bytes = file.read(kLyricsLargest + 1);
    if (file.error() != QFileDevice::NoError) {
        lyrics.status = LyricsFile::Unreadable;
        lyrics.error = file.errorString();
        return lyrics;
    }
    if (bytes.size() > kLyricsLargest) {
        lyrics.size = bytes.size();
        lyrics.status = LyricsFile::TooLarge;
        return lyrics;
    }
    lyrics.status = LyricsFile::Read;
    lyrics.lines = decodeLyrics(bytes);
    return lyrics;
}

QString lyricsProblem(const LyricsFile& lyrics)
{
    const QString after = QStringLiteral("\n媒体文件照常播放，但没有句子跟踪。");
    auto megabytes = [](qint64 bytes) { return QString::number(double(bytes) / (1024.0 * 1024.0), 'f', 1); };
    switch (lyrics.status) {
    case LyricsFile::TooLarge:
        return QStringLiteral("歌词文件“%1”太大（%2 MB，超过 %3 MB），没有载入。")
                   .arg(lyrics.path, megabytes(lyrics.size), megabytes(kLyricsLargest))
             + after;
    case LyricsFile::Unreadable:
        return QStringLiteral("歌词文件“%1”无法读取（%2），没有载入。").arg(lyrics.path, lyrics.error) + after;
    case LyricsFile::None:
    case LyricsFile::Read:
        break;
    }
    return QString();
}

// ---- Sentence tracking

void SentenceTracker::read(const QStringList& timingList, const std::function<void(Line&, const TimingLine&)>& place)
{
    const qint64 offset = lyricOffset(timingList);
    lines_.assign(size_t(timingList.size()), Line{});
    for (int i = 0; i < timingList.size(); ++i) {
        const TimingLine parsed = parseTimingLine(timingList[i]);
        Line& line = lines_[size_t(i)];
        line.sentence = parsed.sentence;
        for (qint64 ms : parsed.times) {
            const QString stamp = stampAt(offsetTime(ms, offset));
            line.stamps << stamp;
            if (!firstAt_.contains(stamp))
                firstAt_.insert(stamp, i);
        }
        place(line, parsed);
    }
}

SentenceTracker SentenceTracker::forLyrics(const QStringList& timingList)
{
    SentenceTracker tracker;
    tracker.lyrics_ = true;
    QStringList shown;
    qsizetype at = 0;
    tracker.read(timingList, [&](Line& line, const TimingLine& parsed) {
        line.looked = true;
        // Header tags are no text to read: they are not shown at all.
        if (parsed.header)
            return;
        line.at = at;
        at += line.sentence.size() + 1;
        shown << line.sentence;
    });
    tracker.shown_ = shown.join(QLatin1Char('\n'));
    return tracker;
}

SentenceTracker SentenceTracker::forText(const QStringList& timingList, const QString& paneText)
{
    SentenceTracker tracker;
    tracker.read(timingList, [](Line&, const TimingLine&) {});
    tracker.upperText_ = upperLatin(paneText);
    return tracker;
}

qsizetype SentenceTracker::locate(int index)
{
    Line& line = lines_[size_t(index)];
    if (!line.looked) {
        line.looked = true;
        line.at = line.sentence.isEmpty() ? -1 : upperText_.indexOf(upperLatin(line.sentence));
    }
    return line.sentence.isEmpty() ? -1 : line.at;
}

SentenceMark SentenceTracker::markLine(int index, const QString& stamp, bool selectSentence)
{
    SentenceMark mark;
    mark.stamp = stamp;
    if (index < 0 || index >= int(lines_.size()))
        return mark;
    mark.sentence = lines_[size_t(index)].sentence;
    const qsizetype at = locate(index);
    if (at < 0)
        return mark;
    qsizetype end = at + mark.sentence.size();
    if (lyrics_) {
        // The lines right under it at the same stamp go with it: a translation of the sentence.
        for (size_t next = size_t(index) + 1; next < lines_.size(); ++next) {
            const Line& line = lines_[next];
            if (line.at < 0 || line.sentence.isEmpty() || !line.stamps.contains(stamp))
                break;
            end = line.at + line.sentence.size();
        }
        mark.sentence = shown_.mid(at, end - at);
    }
    mark.found = true;
    mark.start = int(at);
    mark.length = selectSentence ? int(end - at) : 0;
    return mark;
}

std::optional<SentenceMark> SentenceTracker::markAt(const QString& stamp, const QString& lastStamp,
                                                    bool selectSentence)
{
    if (stamp.isEmpty() || stamp == QLatin1String("00:00") || stamp == lastStamp)
        return std::nullopt;
    const auto first = firstAt_.constFind(stamp);
    if (first == firstAt_.cend())
        return std::nullopt;
    return markLine(*first, stamp, selectSentence);
}

} // namespace varendo::playback
