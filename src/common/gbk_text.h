#pragma once
// Stored texts, file contents and database values of the course are GBK (code page 936).
#include <QByteArray>
#include <QString>

namespace varendo {

// Unicode text to GBK bytes. Characters GBK cannot hold come out as '?'.
QByteArray toGbk(const QString& text);

// GBK bytes to Unicode text. Invalid sequences become U+FFFD, and so does a character
// cut short after its first byte at the end.
QString fromGbk(const QByteArray& bytes);

// The text of a file that may be written either way: UTF-8 when the bytes are valid
// UTF-8 (a leading byte order mark dropped), otherwise GBK. A UTF-8 character cut
// short at the end makes the bytes GBK, not a character silently lost.
QString fromUtf8OrGbk(const QByteArray& bytes);

// True when every character of the text has a GBK form.
bool fitsGbk(const QString& text);

} // namespace varendo
