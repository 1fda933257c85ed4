// The lyrics file beside an opened media file is whatever the learner has there.
// The input is the lyrics file; its first line also serves as the media path, the
// stamp and the lesson text the sentences are looked for in. Checks: decoded lines hold
// no line end; the lyrics path keeps the media file's folder and ends in ".lrc"; a marked
// sentence is the stripped first line with the stamp, and what it selects is that
// sentence, apart from the case of Latin letters.
#include "playback/sentence_tracking.h"

#include "common/timing_line.h"
#include "fuzz_support.h"

using namespace varendo;
using fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QStringList lines = playback::decodeLyrics(fuzz::bytesOf(data, size));
    for (const QString& line : lines)
        require(!line.contains(u'\r') && !line.contains(u'\n'), "a lyric line holds no line end");
    if (lines.isEmpty())
        return 0;

    const QString& first = lines.front();
    const QString lyrics = playback::lyricsPathFor(first);
    const qsizetype slash = first.lastIndexOf(u'/');
    require(lyrics.endsWith(QLatin1String(".lrc")), "a lyrics path ends in .lrc");
    require(lyrics.left(slash + 1) == first.left(slash + 1), "the lyrics lie in the media file's folder");

    const QString stamp = first.mid(1, 5);
    const QString text = lines.mid(1).join(u'\n');
    for (bool select : {false, true}) {
        const auto mark = playback::markSentence(stamp, lines, QString(), text, select);
        if (!mark)
            continue;
        require(mark->stamp == stamp, "the mark keeps its stamp");
        require(mark->sentence == stripTags(first), "the first line holding the stamp is marked");
        if (!mark->found)
            continue;
        require(mark->start >= 0 && mark->start + mark->sentence.size() <= text.size(), "the sentence lies in the text");
        require(playback::upperLatin(text.mid(mark->start, mark->sentence.size())) == playback::upperLatin(mark->sentence),
                "the sentence found is the sentence");
        require(mark->length == (select ? mark->sentence.size() : 0), "only a selecting mark selects");
    }
    require(!playback::markSentence(stamp, lines, stamp, text, true), "a stamp already acted on marks nothing");
    return 0;
}
