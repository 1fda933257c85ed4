#pragma once
// What the position display and sentence tracking decide, without widgets:
// time texts, the status line, which sentence a tick marks, what comes at the
// end of a file, and the lyrics that come with an opened file.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

namespace varendo::playback {

// Milliseconds as h:mm:ss with an unpadded hour: 83 000 gives "0:01:23".
QString gettimes(qint64 ms);
// "当前: <current> 总长: <total>", both as gettimes.
QString statusText(qint64 currentMs, qint64 totalMs);
// The mm:ss stamp of the current time in a status line: characters 3 to 7 of
// its h:mm:ss current time.
QString statusStamp(const QString& status);

// Upper-cases Latin letters only; every other character stays as it is.
QString upperLatin(const QString& text);

// What one tick of sentence tracking does.
struct SentenceMark {
    QString stamp;         // becomes the last stamp acted on
    bool found = false;    // the sentence occurs in the lesson text
    int start = 0;         // where its first occurrence starts (0-based)
    int length = 0;        // the selection: the sentence, or nothing when only the caret moves
    QString sentence;      // the line without its tags
};
// Where the sentence of one timing line is in text, marked as at stamp: its
// first occurrence, Latin letters compared without regard to case.
SentenceMark locateSentence(const QString& line, const QString& stamp, const QString& text, bool selectSentence);
// The mm:ss stamp tracking sees at a media time (as the status line shows it).
QString stampAt(qint64 ms);

// The first timing line containing stamp, unless the stamp is "00:00" or the
// one last acted on: where its sentence is in text. Empty when nothing is due.
std::optional<SentenceMark> markSentence(const QString& stamp, const QStringList& timingList,
                                         const QString& lastStamp, const QString& text, bool selectSentence);

// At the end of a file with continuous study on.
enum class EndStep { Next, Stop, FirstOfList };
// openedFile: a file opened directly (its play list steps), not a lesson.
EndStep continueRule(bool openedFile, bool nextEnabled, int playListCount);

// The lyrics file of a media file: its final extension (of the last path
// component only) replaced by ".lrc".
QString lyricsPathFor(const QString& mediaPath);
// Lyrics text: UTF-8 when the bytes are valid UTF-8 (a byte-order mark is
// dropped), otherwise GBK; the lines as they are, line ends removed.
QStringList decodeLyrics(const QByteArray& bytes);

} // namespace varendo::playback
