#pragma once
// Keeping a copy of a recording: the name proposed for it, and the copy
// itself, either the bare blocks (".rec") or a GSM 6.10 wave file (".wav")
// that other players open.
#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace varendo::recorder {

// The name proposed for a copy, from the position bar's hint "正在播放:<path>":
// that path with its file name's extension replaced by ".rec" (a name without
// one stays as it is). With no hint, the time stamp "YYYYMMDD_hhmmss.rec".
QString proposedCopyName(const QString& playingHint, const QDateTime& now);

// A wave file around whole 65-byte GSM 6.10 blocks (format tag 49, 8000 Hz
// mono, 320 samples a block); bytes after the last whole block are left out.
QByteArray gsmWaveFile(const QByteArray& blocks);

// Whether a copy under this name is written as a wave file.
bool isWaveName(const QString& path);

// Copies the recording at source to target, as a wave file when target's name
// ends in ".wav"; target is replaced whole or not at all. False, with the
// reason in *error, when that fails.
bool saveRecordingCopy(const QString& source, const QString& target, QString* error);

} // namespace varendo::recorder
