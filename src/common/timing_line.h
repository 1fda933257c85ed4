#pragma once
// Timing lines: LRC lyric lines, one or more time tags [mm:ss.xx] and one sentence.
#include <QString>

namespace varendo {

// Removes every bracketed group: "[00:12.00][01:30.00]Hello" gives "Hello".
// An opening mark without a closing mark after it ends the stripping there.
QString stripTags(const QString& text, QChar open = QLatin1Char('['), QChar close = QLatin1Char(']'));

// The line starts with a time tag: two-digit minutes, a colon, two-digit seconds
// and an optional fraction, in square brackets.
bool startsWithTimeTag(const QString& line);

} // namespace varendo
