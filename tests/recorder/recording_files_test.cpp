// The recording file as it is written, the names proposed for copies, and
// the wave copies other programs must be able to open.
#include "gsm/gsm610_codec.h"
#include "recorder/recording_copy.h"
#include "recorder/recording_file.h"
#include "file_bytes.h"
#include "launch_line.h"
#include "sound_analysis.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gst/app/gstappsink.h>
#include <gtest/gtest.h>

using namespace varendo;
using namespace varendo::recorder;

namespace {

// Two seconds of a 500 Hz tone as our recordings hold it.
QByteArray toneRecording()
{
    gsm::Gsm610Encoder encoder;
    const auto bytes = encoder.encode(test::sineWave(500, 8000, 2 * gsm::kSampleRate, gsm::kSampleRate));
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

// What a GStreamer launch line ending in "appsink name=sink" hands its sink, as 16-bit samples.
std::vector<int16_t> pull(const QString& description, QString* error)
{
    gst::Pipeline pipeline = test::launch(description, error);
    if (!pipeline)
        return {};
    gst::ElementPtr sink(gst_bin_get_by_name(GST_BIN(pipeline.get()), "sink"));
    gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);
    std::vector<int16_t> samples;
    while (gst::SamplePtr sample{gst_app_sink_try_pull_sample(GST_APP_SINK(sink.get()), 10 * GST_SECOND)}) {
        GstMapInfo map;
        GstBuffer* buffer = gst_sample_get_buffer(sample.get());
        gst_buffer_map(buffer, &map, GST_MAP_READ);
        const auto* p = reinterpret_cast<const int16_t*>(map.data);
        samples.insert(samples.end(), p, p + map.size / 2);
        gst_buffer_unmap(buffer, &map);
    }
    if (!gst_app_sink_is_eos(GST_APP_SINK(sink.get())))
        *error = QStringLiteral("the stream did not end");
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    return samples;
}

} // namespace

TEST(RecordingCopy, ProposedNamesComeFromThePlayingFileOrTheTime)
{
    const QDateTime now(QDate(2024, 1, 31), QTime(14, 23, 5));
    EXPECT_EQ(proposedCopyName(QStringLiteral("正在播放:D:\\audio\\lesson01.mp3"), now),
              QStringLiteral("D:\\audio\\lesson01.rec"));
    EXPECT_EQ(proposedCopyName(QStringLiteral("  "), now), QStringLiteral("20240131_142305.rec"));
    EXPECT_EQ(proposedCopyName(QString(), QDateTime(QDate(2024, 1, 31), QTime(9, 3, 5))),
              QStringLiteral("20240131_090305.rec"));
    // Only the file's own extension changes, not a folder that looks alike.
    EXPECT_EQ(proposedCopyName(QStringLiteral("正在播放:/home/x/a.mp3dir/lesson.mp3"), now),
              QStringLiteral("/home/x/a.mp3dir/lesson.rec"));
    EXPECT_EQ(proposedCopyName(QStringLiteral("正在播放:/home/x.y/lesson"), now), QStringLiteral("/home/x.y/lesson"));
}

// A new recording leaves the old one until sound arrives, then every block is
// on disk as soon as it is appended; a recording that got nothing leaves no trace.
TEST(RecordingFile, ReplacesTheOldRecordingOnlyOnceSoundArrives)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rec.rec"));
    const QByteArray old(3250, 'o');
    ASSERT_TRUE(test::writeAll(path, old));

    {
        RecordingFile file;
        QString error;
        ASSERT_TRUE(file.create(path, &error)) << error.toStdString();
        file.finish(); // nothing came
    }
    EXPECT_EQ(test::readAll(path), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"rec.rec"});

    RecordingFile file;
    QString error;
    ASSERT_TRUE(file.create(path, &error));
    EXPECT_EQ(test::readAll(path), old);
    QByteArray sent;
    for (char c = 'a'; c < 'a' + 30; ++c) {
        const QByteArray block(65, c);
        ASSERT_TRUE(file.append(block.constData(), block.size(), &error)) << error.toStdString();
        sent += block;
        ASSERT_EQ(test::readAll(path), sent) << "block " << c - 'a';
    }
    file.finish();
    EXPECT_EQ(test::readAll(path), sent);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"rec.rec"});
}

TEST(RecordingFile, FailuresSayWhyAndKeepTheOldRecording)
{
    QTemporaryDir dir;
    RecordingFile file;
    QString error;
    EXPECT_FALSE(file.create(dir.filePath(QStringLiteral("missing/rec.rec")), &error));
    EXPECT_FALSE(error.isEmpty());

    // A folder in the way of the recording: the first block cannot be put in place.
    const QString path = dir.filePath(QStringLiteral("rec.rec"));
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("rec.rec/kept")));
    ASSERT_TRUE(file.create(path, &error));
    error.clear();
    const QByteArray block(65, 'b');
    EXPECT_FALSE(file.append(block.constData(), block.size(), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(file.failed());
    EXPECT_FALSE(file.append(block.constData(), block.size(), &error)); // nothing more after a failure
    file.finish();
    EXPECT_TRUE(QDir(path + QStringLiteral("/kept")).exists());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{});
}

// A copy saved as ".wav" is a GSM 6.10 wave file that GStreamer and FFmpeg
// read, decoding to the very samples our decoder makes of the recording; a
// ".rec" copy is the recording byte for byte.
TEST(RecordingCopy, WaveCopiesOpenInOtherPlayersAndRecCopiesAreExact)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("rec.rec"));
    const QByteArray recording = toneRecording() + QByteArray(10, 'x'); // a ragged tail
    ASSERT_TRUE(test::writeAll(source, recording));

    QString error;
    const QString rec = dir.filePath(QStringLiteral("copy.rec"));
    ASSERT_TRUE(saveRecordingCopy(source, rec, &error)) << error.toStdString();
    EXPECT_EQ(test::readAll(rec), recording);
    const QString wav = dir.filePath(QStringLiteral("copy.WAV"));
    ASSERT_TRUE(saveRecordingCopy(source, wav, &error)) << error.toStdString();
    EXPECT_FALSE(saveRecordingCopy(source, dir.filePath(QStringLiteral("missing/copy.rec")), &error));
    EXPECT_FALSE(error.isEmpty());

    const QByteArray blocks = recording.left(recording.size() / 65 * 65);
    gsm::Gsm610Decoder decoder;
    const std::vector<int16_t> ours =
        decoder.decode({reinterpret_cast<const uint8_t*>(blocks.constData()), std::size_t(blocks.size())});
    error.clear();
    const std::vector<int16_t> theirs =
        pull(QStringLiteral("filesrc location=\"%1\" ! wavparse ! decodebin ! audioconvert"
                            " ! audio/x-raw,format=S16LE,channels=1,rate=8000 ! appsink name=sink sync=false")
                 .arg(wav),
             &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    ASSERT_EQ(theirs.size(), ours.size());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < ours.size(); ++i)
        differing += std::abs(ours[i] - theirs[i]) > 8;
    EXPECT_EQ(differing, 0u);
    EXPECT_NEAR(test::dominantFrequency(theirs, gsm::kSampleRate), 500, 10);

    auto run = [](const QString& program, const QStringList& args) {
        QProcess p;
        p.start(program, args);
        p.waitForFinished(30000);
        return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    };
    if (!QStandardPaths::findExecutable(QStringLiteral("ffprobe")).isEmpty()) {
        const QString probe = run(QStringLiteral("ffprobe"), {QStringLiteral("-hide_banner"), wav});
        EXPECT_TRUE(probe.contains(QStringLiteral("gsm_ms"))) << probe.toStdString();
        EXPECT_TRUE(probe.contains(QStringLiteral("8000 Hz"))) << probe.toStdString();
        EXPECT_TRUE(probe.contains(QStringLiteral("00:00:02.00"))) << probe.toStdString();
    }
    if (!QStandardPaths::findExecutable(QStringLiteral("gst-discoverer-1.0")).isEmpty()) {
        const QString found = run(QStringLiteral("gst-discoverer-1.0"), {wav});
        EXPECT_TRUE(found.contains(QStringLiteral("Duration: 0:00:02.0"))) << found.toStdString();
        EXPECT_TRUE(found.contains(QStringLiteral("GSM"), Qt::CaseInsensitive)) << found.toStdString();
    }
}
