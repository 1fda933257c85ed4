#pragma once
// Timing lines: LRC lyric lines, one or more time tags [mm:ss.xx] and one sentence.
// One reading of them serves the lyrics of opened files, the lessons' timing, sentence
// tracking and steps, and the course tool, so all of them accept the same forms.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

namespace varendo {

// Removes every bracketed group: "[00:12.00][01:30.00]Hello" gives "Hello".
// An opening mark without a closing mark after it ends the stripping there.
QString stripTags(const QString& text, QChar open = QLatin1Char('['), QChar close = QLatin1Char(']'));

// Removes the word times of enhanced lyrics, "<00:12.34>"; other angle brackets stay.
QString stripWordTags(const QString& text);

// One line of a lyric file or of a lesson's timing, read.
struct TimingLine {
    // The time tags the line starts with, in milliseconds as written (no offset applied).
    QList<qint64> times;
    // Where the text after the leading time tags starts.
    qsizetype textStart = 0;
    // What the learner reads: the line without its time, word and other bracketed tags.
    QString sentence;
    // A line of tags such as [ti:…], [ar:…] or [offset:…] only: the file's header, no sentence.
    bool header = false;
};

// Reads a line. Time tags are [m:ss], [mm:ss], [mm:ss.x], [mm:ss.xx], [mm:ss.xxx] and
// [mm:ss:xx] (the fraction in hundredths when two digits), minutes up to three digits;
// blanks before and between the leading tags are allowed.
TimingLine parseTimingLine(const QString& line);

// The line starts with a time tag (as parseTimingLine reads them).
bool startsWithTimeTag(const QString& line);

// The [offset:±ms] of a lyric file: a positive offset shows each line that much sooner.
// 0 when there is none; the first one counts.
qint64 lyricOffset(const QStringList& lines);

// The time a tag stands for once the file's offset is applied; never before 0.
qint64 offsetTime(qint64 tagMs, qint64 offsetMs);

// A time as the tag the lessons store: "[mm:ss.xx]", or "[mm:ss.xxx]" for a time between
// hundredths; minutes beyond 99 as they are.
QString timeTag(qint64 ms);

// The lines of a lyric file. A byte-order mark says UTF-8, UTF-16 or UTF-32; without
// one, UTF-16 is recognised by its first character "[", else the text is UTF-8 when the
// bytes are valid UTF-8 and GBK otherwise. Line ends (CR LF, LF or CR) are removed.
QStringList decodeLyrics(const QByteArray& bytes);

} // namespace varendo
