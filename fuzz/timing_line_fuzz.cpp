// Tag stripping and time-tag recognition take lines of lyric files and of the lesson
// database's timing. Checks: stripping never lengthens a line, keeps no opening mark
// with a closing mark after it, and changes nothing a second time; a line said to start
// with a time tag does start with "[dd:dd" and a closing bracket.
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

bool isDigit(const QString& s, qsizetype i) { return s.at(i) >= u'0' && s.at(i) <= u'9'; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString line = QString::fromUtf8(fuzz::bytesOf(data, size));
    checkStrip(line, u'[', u']');
    // Marks of the input's own choosing, equal ones included.
    if (line.size() >= 2)
        checkStrip(line.mid(2), line.at(0), line.at(1));

    if (startsWithTimeTag(line)) {
        require(line.size() >= 7 && line.at(0) == u'[' && isDigit(line, 1) && isDigit(line, 2)
                    && line.at(3) == u':' && isDigit(line, 4) && isDigit(line, 5) && line.indexOf(u']') >= 6,
                "a time tag is [mm:ss…]");
    }
    return 0;
}
