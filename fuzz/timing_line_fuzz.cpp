// Tag stripping and time-tag recognition take lines of lyric files and of the lesson
// database's timing. Checks: stripping never lengthens a line, keeps no opening mark
// with a closing mark after it, and changes nothing a second time; a line's time tags
// are the ones it starts with, and each written again as a tag reads back the same.
#include "common/timing_line.h"

#include "fuzz_support.h"

using namespace varendo;
using fuzz::require;

namespace {

void checkStrip(const QString& line, QChar open, QChar close)
{
    const QString stripped = stripTags(line, open, close);
    require(stripped.size() <= line.size(), "stripping never lengthens a line");
    const qsizetype firstOpen = stripped.indexOf(open);
    require(firstOpen < 0 || stripped.indexOf(close, firstOpen + 1) < 0, "no complete tag pair is left");
    require(stripTags(stripped, open, close) == stripped, "stripping twice changes nothing more");
    if (!line.contains(open))
        require(stripped == line, "a line without an opening mark stays as it is");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString line = QString::fromUtf8(fuzz::bytesOf(data, size));
    checkStrip(line, u'[', u']');
    // Marks of the input's own choosing, equal ones included.
    if (line.size() >= 2)
        checkStrip(line.mid(2), line.at(0), line.at(1));

    const TimingLine parsed = parseTimingLine(line);
    require(startsWithTimeTag(line) == !parsed.times.isEmpty(), "a line starting with a time tag is timed");
    require(!parsed.header || parsed.times.isEmpty(), "a header line has no time");
    require(parsed.header || parsed.sentence == stripTags(stripWordTags(line)), "the sentence is the line without tags");
    for (qint64 ms : parsed.times) {
        require(ms >= 0 && ms < 1000LL * 60 * 1000, "a time tag is under 1000 minutes");
        const TimingLine again = parseTimingLine(timeTag(ms));
        require(again.times == QList<qint64>{ms}, "a time written as a tag reads back");
    }
    return 0;
}
