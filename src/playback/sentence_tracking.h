#pragma once
// What the position display and sentence tracking decide, without widgets:
// time texts, the status line, which sentence a tick marks, what comes at the
// end of a file, and the lyrics that come with an opened file.
#include <QHash>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>
#include <optional>
#include <vector>

namespace varendo {
struct TimingLine;
}

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
    int start = 0;         // where it starts in the pane's text (0-based)
    int length = 0;        // the selection: the sentence, or nothing when only the caret moves
    QString sentence;      // the line without its tags
};
// The mm:ss stamp tracking sees at a media time (as the status line shows it).
QString stampAt(qint64 ms);

// What tracking keeps between ticks: the timing lines read once, each with its
// stamps and where its sentence stands in the pane's text, so a tick costs a look-up
// however long the text is.
class SentenceTracker {
public:
    // An opened file's lyrics: the pane shows shownText(), one line per lyric line
    // (header tags left out), and each line is marked where it is shown, so a line
    // sung twice is marked where it plays. Lines that follow it at the same stamp (a
    // translation under the sentence) are marked with it.
    static SentenceTracker forLyrics(const QStringList& timingList);
    // A lesson: each sentence is looked for in the pane's text, at its first
    // occurrence, Latin letters compared without regard to case.
    static SentenceTracker forText(const QStringList& timingList, const QString& paneText);

    // The text the pane shows for lyrics.
    const QString& shownText() const { return shown_; }

    // The first line timed at stamp, unless the stamp is "00:00" or the one last acted
    // on. Empty when nothing is due.
    std::optional<SentenceMark> markAt(const QString& stamp, const QString& lastStamp, bool selectSentence);
    // Line (an index in the timing list) marked as at stamp.
    SentenceMark markLine(int line, const QString& stamp, bool selectSentence);

private:
    struct Line {
        QString sentence;
        QStringList stamps;   // of its leading time tags, the file's offset applied
        qsizetype at = -1;    // where the sentence starts in the pane's text; -1 not found
        bool looked = false;  // lessons: looked for yet
    };
    // Reads the lines; place() tells where each is shown.
    void read(const QStringList& timingList, const std::function<void(Line&, const TimingLine&)>& place);
    qsizetype locate(int line);

    std::vector<Line> lines_;
    QHash<QString, int> firstAt_; // stamp → the first line timed at it
    QString shown_;
    QString upperText_;           // lessons: the pane's text, Latin letters upper-cased
    bool lyrics_ = false;
};

// At the end of a file with continuous study on.
enum class EndStep { Next, Stop, FirstOfList };
// openedFile: a file opened directly (its play list steps), not a lesson.
EndStep continueRule(bool openedFile, bool nextEnabled, int playListCount);

// The lyrics file of a media file: its final extension (of the last path
// component only) replaced by ".lrc".
QString lyricsPathFor(const QString& mediaPath);

// A lyric file is read whole into the pane; real ones are a few kilobytes.
constexpr qint64 kLyricsLargest = qint64{1024} * 1024;

// The lyrics beside a media file, read.
struct LyricsFile {
    enum Status { None, Read, TooLarge, Unreadable } status = None;
    QString path;       // the file found (its extension in any letter case)
    qint64 size = 0;
    QString error;      // Unreadable: why
    QStringList lines;  // Read: the lines as decodeLyrics gives them
};
LyricsFile readLyricsBeside(const QString& mediaPath);
// What the learner is told when the lyrics were found but not read; empty when read.
QString lyricsProblem(const LyricsFile& lyrics);

} // namespace varendo::playback
