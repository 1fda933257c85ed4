#pragma once
// Texts about media files that more than one part of the program reads or
// writes: the position bar's "now playing" hint and file-dialog filters.
#include <QString>

namespace varendo {

// The position bar's hint while a file plays: this prefix, then the file's path.
inline const QString kPlayingPrefix = QStringLiteral("正在播放:");
inline QString playingHint(const QString& path) { return kPlayingPrefix + path; }

// "desc|*.a;*.b|desc2|*.c" as a Qt dialog filter, "desc (*.a *.b);;desc2 (*.c)".
QString qtFileFilter(const QString& filter);
// The extension of a filter's first "*.ext" mask, for a save dialog's default suffix.
QString filterSuffix(const QString& filter);

} // namespace varendo
