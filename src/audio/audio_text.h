#pragma once
// Small text rules shared by the audio engine and its playlist: names of internet
// streams, display titles of files, and decoding of list files and stream tags.
#include <QByteArray>
#include <QString>

namespace varendo::audio_text {

// The name begins (case ignored) with "http://", "https://" or "ftp://".
bool startsWithUrl(const QString& name);

// The name contains (case ignored) "http://", "https://" or "ftp://" anywhere.
bool containsUrl(const QString& name);

// The last path component ("/" and "\" both separate) without its extension:
// "C:\a\b.c.mp3" and "/a/b.c.mp3" both give "b.c".
QString fileTitle(const QString& path);

// The extension of the last path component with its dot (".mp3"), or empty.
QString fileExtension(const QString& path);

// Removes leading and trailing blanks and control characters.
QString trimmed(const QString& text);

} // namespace varendo::audio_text
