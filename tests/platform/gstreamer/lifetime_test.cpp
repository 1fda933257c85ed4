// Every pipeline the back-ends make is released: open, play and close hundreds
// of times and the process holds no more descriptors or pipelines than before.
#include "sound_media.h"
#include "video_media.h"
#include "audio/audio_engine.h"
#include "common/recording_format.h"
#include "gst_test_support.h"
#include "gstreamer/audio/gst_audio_library.h"
#include "gstreamer/video/gst_media_engine.h"
#include "gstreamer/wave/gst_wave_service.h"
#include "icy_server.h"
#include "playback/media_graph.h"
#include "recorder/wave_service.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <gtest/gtest.h>

using namespace varendo;
using namespace varendo::test;

namespace {

// A few descriptors may come and go with threads and caches; a leak grows by
// one or more per pipeline.
constexpr int kDescriptorSlack = 8;

// Descriptors and pipelines before and after a loop of openings.
class Footprint {
public:
    Footprint()
    {
        settlePipelines();
        fds_ = openDescriptors();
        pipelines_ = livePipelines();
    }
    void expectUnchanged(const char* what) const
    {
        settlePipelines();
        const QStringList now = openDescriptors();
        std::printf("%s: %lld descriptors before, %lld after; %d pipelines before, %d after\n", what,
                    qint64(fds_.size()), qint64(now.size()), pipelines_, livePipelines());
        EXPECT_LE(now.size(), fds_.size() + kDescriptorSlack)
            << what << ": descriptors grew from\n  " << fds_.join(QStringLiteral("\n  ")).toStdString()
            << "\nto\n  " << now.join(QStringLiteral("\n  ")).toStdString();
        EXPECT_EQ(livePipelines(), pipelines_) << what << ": pipelines left alive";
    }

private:
    QStringList fds_;
    int pipelines_ = 0;
};

bool pulseReachable()
{
    return !qEnvironmentVariableIsEmpty("PULSE_SERVER") && gst::hasElement("pulsesink");
}

// Whether the process still holds the file open.
bool isOpen(const QString& path)
{
    return openDescriptors().contains(QFileInfo(path).canonicalFilePath());
}

} // namespace

TEST(PipelineLifetime, CountingIsOnForThisTest)
{
    // Without the leaks tracer every count below would be meaningless.
    gst::ensureInitialised();
    const int before = livePipelines();
    ASSERT_GE(before, 0) << "run with GST_TRACERS=leaks(filters=GstPipeline)";
    {
        gst::Pipeline probe(gst_pipeline_new(nullptr));
        EXPECT_EQ(livePipelines(), before + 1);
    }
    EXPECT_EQ(livePipelines(), before);
}

TEST(PipelineLifetime, AudioEnginePlaysThreeHundredFilesAndLetsEachGo)
{
    QTemporaryDir dir;
    const QString mp3 = dir.filePath(QStringLiteral("tone.mp3"));
    ASSERT_TRUE(writeTone(mp3, Encoding::Mp3, 440, 3.0));
    auto library = gst::createAudioLibrary();
    {
        TAudioEngine engine(*library, nullptr);
        engine.SetDevice(0); // the silent output: no sound device needed
        engine.Play(mp3); // plugins loaded, threads started
        spinFor(50);
        engine.Play(QString()); // lets go of it
        const Footprint before;
        for (int i = 0; i < 300; ++i) {
            engine.Play(mp3);
            ASSERT_EQ(engine.State, TAudioEngine::StatePlaying) << "play " << i;
            spinFor(2);
        }
        EXPECT_GT(engine.GetLength(), 2900);
        engine.Stop();
        engine.Play(QString()); // lets go of the last file
        before.expectUnchanged("audio engine");
    }
}

TEST(PipelineLifetime, MediaGraphLoadsAHundredVideosAndLetsEachGo)
{
    const QString avi = aviFile(2);
    ASSERT_FALSE(avi.isEmpty()) << lastMediaError().toStdString();
    TFilterGraph graph(gst::mediaEngineFactory());
    graph.setActive(true);
    ASSERT_TRUE(graph.renderFile(avi));
    graph.play();
    spinFor(100);
    graph.clearGraph();
    const Footprint before;
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(graph.renderFile(avi)) << graph.lastError().toStdString();
        graph.play();
        spinFor(10);
    }
    graph.clearGraph();
    before.expectUnchanged("media graph");
    graph.setActive(false);
}

TEST(PipelineLifetime, WaveDevicesOpenAndCloseAHundredTimes)
{
    if (!pulseReachable())
        GTEST_SKIP() << "no PulseAudio server (run ./test.sh)";
    const std::shared_ptr<WaveService> service = gst::createWaveService();
    const WaveFormatRecord format = gsmRecordingFormat();
    QObject receiver;
    WaveHandle h = 0;
    ASSERT_EQ(service->outOpen(&h, &format, &receiver), waveerr::kNoError);
    service->outClose(h);
    const Footprint before;
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(service->outOpen(&h, &format, &receiver), waveerr::kNoError) << "output " << i;
        EXPECT_EQ(service->outClose(h), waveerr::kNoError);
        ASSERT_EQ(service->inOpen(&h, &format, &receiver), waveerr::kNoError) << "capture " << i;
        EXPECT_EQ(service->inClose(h), waveerr::kNoError);
    }
    spinFor(20); // notices still queued for the receiver
    before.expectUnchanged("wave devices");
}

TEST(PipelineLifetime, InternetStreamsAreLetGoAndTheirSavedCopiesClosed)
{
    QTemporaryDir dir;
    const QString mp3 = dir.filePath(QStringLiteral("loop.mp3"));
    ASSERT_TRUE(writeTone(mp3, Encoding::Mp3, 523, 3.0));
    QFile file(mp3);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll();
    auto library = gst::createAudioLibrary();
    ASSERT_TRUE(library->Init(0, 44100, 0, nullptr));
    const QString saved = dir.filePath(QStringLiteral("saved.mp3"));

    auto playOnce = [&](IcyServer& server, int round) {
        const AudioHandle h = library->StreamCreateURL(server.url("/radio"), 0, AudioLibrary::kUrlMetadataFlag, saved);
        ASSERT_NE(h, 0u);
        ASSERT_TRUE(library->StreamPlay(h, false, 0));
        ASSERT_TRUE(waitUntil([&] { return library->ChannelIsActive(h) == AudioLibrary::Activity::Playing; }))
            << "round " << round << ": " << library->ChannelGetError(h).toStdString();
        ASSERT_TRUE(waitUntil([&] { return QFileInfo(saved).size() > 0; }));
        EXPECT_TRUE(isOpen(saved));
        library->StreamFree(h);
        EXPECT_FALSE(isOpen(saved)) << "round " << round << ": the saved copy is still open";
    };
    {
        IcyServer warmUp(data, 128000 / 8);
        ASSERT_TRUE(warmUp.listening());
        playOnce(warmUp, -1);
    }
    const Footprint before;
    {
        // The server's ends of the connections are this process's too; they
        // close with it.
        IcyServer server(data, 128000 / 8);
        ASSERT_TRUE(server.listening());
        for (int i = 0; i < 20; ++i)
            playOnce(server, i);
    }
    before.expectUnchanged("internet streams");
}
