#pragma once
// File names as the disk holds them and as the program shows them. Names are
// bytes; most are UTF-8, but files unzipped from Windows archives often carry
// GBK bytes. Such a name is shown decoded from GBK, and the shown path is
// mapped back to the bytes on disk whenever the file is opened.
#include <QByteArray>
#include <QString>

namespace varendo {

// A name's bytes as text: UTF-8 when they are valid UTF-8, else GBK when they
// are valid GBK, else the system's reading of them.
QString fileNameText(const QByteArray& name);

// The on-disk bytes of path, a path as fileNameText shows it: each part that
// is not found under its UTF-8 bytes is the entry of its folder shown the same
// way. A path not found at all comes back as its UTF-8 bytes.
QByteArray onDiskPath(const QString& path);

// True when path, mapped to its bytes on disk, names a regular file (or a link to one).
bool isExistingFile(const QString& path);

// A file:// URI for path with its on-disk bytes percent-encoded, as GStreamer takes it.
QString fileUri(const QString& path);

} // namespace varendo
