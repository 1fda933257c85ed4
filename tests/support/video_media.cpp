#include "video_media.h"

#include "launch_line.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <functional>

namespace varendo::test {

namespace {

QString& errorSlot()
{
    static QString error;
    return error;
}

// The colour in videotestsrc's big-endian ARGB form.
constexpr const char* kColourArgb = "0xff2080e0";

// Made under a name of its own, then renamed, so test programs running side
// by side never see half a file.
QString makeOnce(const QString& name, const std::function<QString(const QString& tmp)>& make)
{
    const QString path = testMediaDir() + QLatin1Char('/') + name;
    if (QFileInfo(path).size() > 0)
        return path;
    QDir().mkpath(testMediaDir());
    const QString tmp = QStringLiteral("%1/tmp-%2-%3").arg(testMediaDir()).arg(QCoreApplication::applicationPid()).arg(name);
    QFile::remove(tmp);
    const QString error = make(tmp);
    if (!error.isEmpty() || QFileInfo(tmp).size() == 0) {
        QFile::remove(tmp);
        errorSlot() = QStringLiteral("%1: %2").arg(name, error.isEmpty() ? QStringLiteral("empty output") : error);
        return {};
    }
    if (!QFile::rename(tmp, path))
        QFile::remove(tmp);  // another program made it first
    return QFileInfo(path).size() > 0 ? path : QString();
}

// ffmpeg's own test sources (the solid picture and a tone) into the given
// codecs and container. GStreamer's libav video encoders start their time
// stamps 1000 hours in, which its ASF muxer writes as it gets them, so ASF
// and RealMedia files are made here.
QString runFfmpeg(int seconds, const QStringList& output)
{
    QProcess ffmpeg;
    QStringList args{QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"),
                     QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                     QStringLiteral("color=c=0x%1:size=%2x%3:rate=25:duration=%4")
                         .arg(testPictureColour().name().mid(1)).arg(kTestPictureWidth)
                         .arg(kTestPictureHeight).arg(seconds),
                     QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                     QStringLiteral("sine=frequency=440:sample_rate=44100:duration=%1").arg(seconds)};
    ffmpeg.start(QStringLiteral("ffmpeg"), args + output);
    if (!ffmpeg.waitForStarted(10000))
        return QStringLiteral("ffmpeg does not start (scripts/install-deps.sh installs it)");
    if (!ffmpeg.waitForFinished(120000)) {
        ffmpeg.kill();
        ffmpeg.waitForFinished(5000);
        return QStringLiteral("ffmpeg did not finish within two minutes");
    }
    if (ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0)
        return QStringLiteral("ffmpeg failed: %1").arg(QString::fromLocal8Bit(ffmpeg.readAllStandardError()));
    return {};
}

QString solidVideo(int seconds, int width, int height)
{
    return QStringLiteral("videotestsrc pattern=solid-color foreground-color=%1 num-buffers=%2 "
                          "! video/x-raw,width=%3,height=%4,framerate=25/1")
        .arg(QLatin1String(kColourArgb)).arg(seconds * 25).arg(width).arg(height);
}

QString sineAudio(int seconds)
{
    // 1024 samples a buffer at 44100 Hz: enough buffers to cover the video.
    return stereoSine(440, 0.2, 1024, seconds * 44100 / 1024 + 1);
}

} // namespace

QColor testPictureColour()
{
    return QColor(0x20, 0x80, 0xe0);
}

QString testMediaDir()
{
    return QStringLiteral(VARENDO_TEST_MEDIA_DIR);
}

QString lastMediaError()
{
    return errorSlot();
}

QString aviFile(int seconds)
{
    return makeOnce(QStringLiteral("solid-%1s.avi").arg(seconds), [&](const QString& tmp) {
        return runToEnd(QStringLiteral("%1 ! jpegenc ! mux. %2 ! mux. avimux name=mux ! filesink location=\"%3\"")
                                .arg(solidVideo(seconds, kTestPictureWidth, kTestPictureHeight), sineAudio(seconds), tmp));
    });
}

QString wmvFile(int seconds)
{
    return makeOnce(QStringLiteral("solid-%1s.wmv").arg(seconds), [&](const QString& tmp) {
        return runFfmpeg(seconds, {QStringLiteral("-c:v"), QStringLiteral("wmv2"), QStringLiteral("-b:v"),
                                   QStringLiteral("800k"), QStringLiteral("-c:a"), QStringLiteral("wmav2"),
                                   QStringLiteral("-f"), QStringLiteral("asf"), tmp});
    });
}

QString realMediaFile(int seconds)
{
    return makeOnce(QStringLiteral("solid-%1s.rm").arg(seconds), [&](const QString& tmp) {
        return runFfmpeg(seconds, {QStringLiteral("-c:v"), QStringLiteral("rv20"), QStringLiteral("-b:v"),
                                   QStringLiteral("400k"), QStringLiteral("-c:a"), QStringLiteral("ac3"),
                                   QStringLiteral("-b:a"), QStringLiteral("96k"), QStringLiteral("-f"),
                                   QStringLiteral("rm"), tmp});
    });
}

QString mp4File(int seconds)
{
    return makeOnce(QStringLiteral("solid-%1s.mp4").arg(seconds), [&](const QString& tmp) {
        return runToEnd(QStringLiteral("%1 ! videoconvert ! x264enc speed-preset=veryfast ! h264parse ! mux. "
                                           "%2 ! avenc_aac ! mux. mp4mux name=mux ! filesink location=\"%3\"")
                                .arg(solidVideo(seconds, kTestPictureWidth, kTestPictureHeight), sineAudio(seconds), tmp));
    });
}

QString h264File(int width, int height, int seconds)
{
    return makeOnce(QStringLiteral("bars-%1x%2-%3s.mp4").arg(width).arg(height).arg(seconds), [&](const QString& tmp) {
        return runToEnd(
            QStringLiteral("videotestsrc pattern=smpte horizontal-speed=4 num-buffers=%1 ! video/x-raw,width=%2,height=%3,framerate=25/1 "
                           "! videoconvert ! x264enc speed-preset=veryfast bitrate=%4 ! h264parse ! mux. "
                           "%5 ! avenc_aac ! mux. mp4mux name=mux ! filesink location=\"%6\"")
                .arg(seconds * 25).arg(width).arg(height).arg(width * height / 300)
                .arg(sineAudio(seconds), tmp));
    });
}

QString corruptFile()
{
    return makeOnce(QStringLiteral("corrupt.avi"), [](const QString& tmp) -> QString {
        QFile file(tmp);
        if (!file.open(QIODevice::WriteOnly))
            return file.errorString();
        // An AVI header that promises a stream and then nothing but noise.
        QByteArray bytes("RIFF\x10\x00\x01\x00" "AVI LIST", 16);
        quint32 state = 12345;
        while (bytes.size() < 64 * 1024) {
            state = state * 1103515245u + 12345u;
            bytes.append(char(state >> 24));
        }
        file.write(bytes);
        return {};
    });
}

QString truncatedAviFile()
{
    const QString whole = aviFile(4);
    if (whole.isEmpty())
        return {};
    return makeOnce(QStringLiteral("truncated.avi"), [&](const QString& tmp) -> QString {
        QFile in(whole);
        QFile out(tmp);
        if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
            return QStringLiteral("cannot copy the AVI");
        out.write(in.read(in.size() / 2));
        return {};
    });
}

} // namespace varendo::test
