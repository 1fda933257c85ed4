// The lyrics file beside an opened media file is whatever the learner has there.
// The input is the lyrics file; its first line also serves as the media path, and the
// mm:ss of its first characters as a stamp. Checks: decoded lines hold no line end; the
// lyrics path keeps the media file's folder and ends in ".lrc"; the pane shows one line
// per lyric line that is no header; a mark lies in the shown text and selects what it
// says; a lesson's mark is its sentence found in the text, apart from the case of Latin
// letters; a stamp already acted on marks nothing.
#include "playback/sentence_tracking.h"

#include "common/timing_line.h"
#include "fuzz_support.h"

#include <algorithm>

using namespace varendo;
using fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QStringList lines = decodeLyrics(fuzz::bytesOf(data, size));
    for (const QString& line : lines)
        require(!line.contains(u'\r') && !line.contains(u'\n'), "a lyric line holds no line end");
    if (lines.isEmpty())
        return 0;

    const QString& first = lines.front();
    const QString lyricsPath = playback::lyricsPathFor(first);
    const qsizetype slash = first.lastIndexOf(u'/');
    require(lyricsPath.endsWith(QLatin1String(".lrc")), "a lyrics path ends in .lrc");
    require(lyricsPath.left(slash + 1) == first.left(slash + 1), "the lyrics lie in the media file's folder");

    auto lyrics = playback::SentenceTracker::forLyrics(lines);
    const QString& shown = lyrics.shownText();
    qsizetype headers = 0;
    for (const QString& line : lines)
        headers += parseTimingLine(line).header ? 1 : 0;
    require(shown.count(u'\n') == std::max<qsizetype>(lines.size() - headers - 1, 0), "one shown line per lyric line");

    const QString stamp = first.mid(1, 5);
    const QString text = lines.mid(1).join(u'\n');
    auto lesson = playback::SentenceTracker::forText(lines, text);
    for (bool select : {false, true}) {
        if (const auto mark = lyrics.markAt(stamp, QString(), select); mark && mark->found) {
            require(mark->start >= 0 && mark->start + mark->sentence.size() <= shown.size(), "the mark lies in the pane");
            require(shown.mid(mark->start, mark->sentence.size()) == mark->sentence, "the mark is what is shown there");
            require(mark->length == (select ? mark->sentence.size() : 0), "only a selecting mark selects");
        }
        const auto mark = lesson.markAt(stamp, QString(), select);
        if (!mark)
            continue;
        require(mark->stamp == stamp, "the mark keeps its stamp");
        if (!mark->found)
            continue;
        require(mark->start >= 0 && mark->start + mark->sentence.size() <= text.size(), "the sentence lies in the text");
        require(playback::upperLatin(text.mid(mark->start, mark->sentence.size())) == playback::upperLatin(mark->sentence),
                "the sentence found is the sentence");
        require(mark->length == (select ? mark->sentence.size() : 0), "only a selecting mark selects");
    }
    require(!lesson.markAt(stamp, stamp, true), "a stamp already acted on marks nothing");
    return 0;
}
