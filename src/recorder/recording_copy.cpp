#include "recorder/recording_copy.h"

#include "common/media_texts.h"
#include "common/recording_format.h"
#include "common/whole_file.h"
#include "recorder/recorder_state.h"

#include <QFile>
#include <QtEndian>

namespace varendo::recorder {

QString proposedCopyName(const QString& playingHint, const QDateTime& now)
{
    if (playingHint.trimmed().isEmpty())
        return now.toString(QStringLiteral("yyyyMMdd_HHmmss")) + QStringLiteral(".rec");
    QString path = playingHint;
    path.remove(kPlayingPrefix);
    // Only the file name's own extension: a folder may have a dot too.
    const qsizetype nameStart = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\'))) + 1;
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < nameStart)
        return path;
    return path.left(dot) + QStringLiteral(".rec");
}

namespace {

void putLe16(QByteArray& out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void putLe32(QByteArray& out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

} // namespace

QByteArray gsmWaveFile(const QByteArray& blocks)
{
    const WaveFormatRecord f = gsmRecordingFormat();
    const quint32 dataBytes = quint32(recordingBlocks(blocks.size()) * kBlockBytes);
    constexpr quint32 kFormatBytes = sizeof(WaveFormatRecord); // 18-byte header and the samples per block
    QByteArray out;
    out.reserve(int(dataBytes) + 60);
    out.append("RIFF", 4);
    putLe32(out, 4 + (8 + kFormatBytes) + (8 + 4) + (8 + dataBytes) + (dataBytes & 1));
    out.append("WAVE", 4);
    out.append("fmt ", 4);
    putLe32(out, kFormatBytes);
    putLe16(out, f.formatTag);
    putLe16(out, f.channels);
    putLe32(out, f.samplesPerSec);
    putLe32(out, f.avgBytesPerSec);
    putLe16(out, f.blockAlign);
    putLe16(out, f.bitsPerSample);
    putLe16(out, f.extraSize);
    putLe16(out, f.samplesPerBlock);
    // Compressed wave data says how many samples it decodes to.
    out.append("fact", 4);
    putLe32(out, 4);
    putLe32(out, dataBytes / f.blockAlign * f.samplesPerBlock);
    out.append("data", 4);
    putLe32(out, dataBytes);
    out.append(blocks.constData(), qsizetype(dataBytes));
    if (dataBytes & 1)
        out.append('\0'); // chunks are padded to an even length
    return out;
}

bool isWaveName(const QString& path)
{
    return path.endsWith(QStringLiteral(".wav"), Qt::CaseInsensitive);
}

bool saveRecordingCopy(const QString& source, const QString& target, QString* error)
{
    auto fail = [&](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return fail(in.errorString());
    QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError)
        return fail(in.errorString());
    if (isWaveName(target))
        bytes = gsmWaveFile(bytes);
    QString reason;
    return writeFileWhole(target, bytes, &reason) || fail(reason);
}

} // namespace varendo::recorder
