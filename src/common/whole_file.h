#pragma once
// Files the program writes are written whole or not at all: the bytes go to a
// temporary file beside the target, which is synced and then renamed over it.
// Any failure on the way (a full disk above all) removes the temporary file
// and leaves the old file exactly as it was.
#include <QByteArray>
#include <QString>

namespace varendo {

// Replaces path with bytes. A file already there keeps its permissions; a
// symbolic link keeps pointing where it did, its target is replaced. False,
// with the reason in Chinese (fileErrorText), when path was left as it was.
bool writeFileWhole(const QString& path, const QByteArray& bytes, QString* error);

// Writes all of size bytes to fd, going on after short writes; false with
// errno set (ENOSPC when the disk took nothing more).
bool writeFully(int fd, const char* data, qint64 size, qint64* written = nullptr);

// The reason for a failed file operation in Chinese, from its errno: a full
// disk, missing permission, a read-only disk are named; anything else gives
// the system's own text.
QString fileErrorText(int error);

} // namespace varendo
