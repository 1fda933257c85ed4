#pragma once
// The two list files of the media list window: the media tree (".mdl": one
// line per node, its level as leading tabs) and the play list (".lst": one
// entry per line with its flags). Both are text with CR LF line ends, in GBK
// without any header, so lists written by other copies of the program load;
// a list holding a name GBK cannot write is written as UTF-8 behind a byte
// order mark. A file is read as UTF-8 when it starts with the mark, else as
// GBK (GBK bytes are often valid UTF-8 too: "一" is D2 BB).
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace varendo::library {

// Lines of a list file's bytes: a line ends at CR, LF or CR LF; a last line
// without an end counts; an empty file has no lines.
QStringList decodeListLines(const QByteArray& bytes);
// Each line followed by CR LF, in GBK when every line fits it and the bytes
// read back as the same lines, else in UTF-8 behind a byte order mark.
QByteArray encodeListLines(const QStringList& lines);

// Reads a list file's lines; false, with the reason, when it cannot be read.
bool readListFile(const QString& path, QStringList* lines, QString* error);
// Replaces path with the lines whole or not at all, so a failed save (a full
// disk) leaves the old file whole; false, with the reason.
bool writeListFile(const QString& path, const QStringList& lines, QString* error);

// One play-list entry as its file line holds it.
struct PlayListEntry {
    bool enabled = true;
    int checkState = 0; // 0 unchecked, 1 checked, 2 greyed
    std::optional<int> image;
    std::optional<int> disabledImage;
    QString text;
    friend bool operator==(const PlayListEntry&, const PlayListEntry&) = default;
};

// "@<enabled> <state> <image> <disabled image> <text>", images as three
// digits or "---".
QString playListLine(const PlayListEntry& entry);
// Reads the full "@" form, the short "&" form and a bare path.
PlayListEntry parsePlayListLine(const QString& line);
// The entries of a play list file's lines; empty lines are skipped.
QList<PlayListEntry> parsePlayList(const QStringList& lines);

} // namespace varendo::library
