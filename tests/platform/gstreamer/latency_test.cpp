// The window never waits on a slow source: the event loop keeps turning while
// an internet stream connects to a server that never answers, and while a
// playing file is sought again and again.
#include "sound_media.h"
#include "video_media.h"
#include "audio/audio_object.h"
#include "gst_test_support.h"
#include "gstreamer/audio/gst_audio_library.h"
#include "gstreamer/video/gst_media_engine.h"
#include "playback/media_graph.h"

#include <QTemporaryDir>
#include <cstdio>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace varendo;
using namespace varendo::test;

namespace {

// Longest the loop may go without a turn: a blocking call shows as a gap of
// its whole wait (seconds), a busy machine as a few tens of milliseconds.
constexpr qint64 kLongestGapMs = 100 * VARENDO_TIME_SCALE;

// Accepts connections (the kernel does, from its backlog) and never answers.
class StalledServer {
public:
    StalledServer()
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0
            && ::listen(fd_, 16) == 0 && ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            port_ = ntohs(address.sin_port);
    }
    ~StalledServer()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1/radio.mp3").arg(port_); }
    bool listening() const { return port_ != 0; }

private:
    int fd_ = -1;
    int port_ = 0;
};

} // namespace

TEST(WindowNeverWaits, OnAnInternetStreamWhoseServerNeverAnswers)
{
    StalledServer server;
    ASSERT_TRUE(server.listening());
    gst::AudioLibraryOptions options;
    options.netTimeoutMs = 2000;
    auto library = gst::createAudioLibrary(options);
    TAudioObject player(*library, nullptr);
    player.SetDevice(0);

    LoopLatency latency;
    spinFor(50);
    player.LoadAndPlay({server.url()});
    const AudioHandle channel = player.Channel;
    ASSERT_NE(channel, 0u) << "the stream is created at once and connects afterwards";
    EXPECT_EQ(library->ChannelIsActive(channel), AudioLibrary::Activity::Stalled);
    // The time-out ends the channel with a reason the learner can read.
    EXPECT_TRUE(waitUntil([&] { return library->ChannelIsActive(channel) == AudioLibrary::Activity::Stopped; },
                          10000));
    EXPECT_FALSE(library->ChannelGetError(channel).isEmpty());
    // Letting go of a stream stuck on a dead connection does not wait either.
    player.Play(QString());
    spinFor(100);
    std::printf("longest event-loop gap, stalled stream: %lld ms\n", latency.longestGapMs());
    EXPECT_LT(latency.longestGapMs(), kLongestGapMs);
}

TEST(WindowNeverWaits, WhileAPlayingFileIsSoughtFiftyTimes)
{
    QTemporaryDir dir;
    const QString mp3 = dir.filePath(QStringLiteral("long.mp3"));
    ASSERT_TRUE(writeTone(mp3, Encoding::Mp3, 440, 20.0));
    const QString avi = aviFile(10);
    ASSERT_FALSE(avi.isEmpty()) << lastMediaError().toStdString();

    auto library = gst::createAudioLibrary();
    TAudioEngine engine(*library, nullptr);
    engine.SetDevice(0);
    TFilterGraph graph(gst::mediaEngineFactory());
    graph.setActive(true);
    engine.Play(mp3);
    ASSERT_TRUE(graph.renderFile(avi));
    graph.play();
    ASSERT_TRUE(waitUntil([&] { return graph.currentPositionMs().value_or(0) > 0; }));

    LoopLatency latency;
    for (int i = 0; i < 50; ++i) {
        const int ms = (i * 7919) % 9000; // here and there, forwards and back
        engine.SetPosition(ms * 2);
        graph.seek(ms / 1000.0);
        spinFor(15);
    }
    spinFor(300);
    std::printf("longest event-loop gap, 50 seeks: %lld ms\n", latency.longestGapMs());
    EXPECT_LT(latency.longestGapMs(), kLongestGapMs);
    // The last seeks landed where they were sent.
    EXPECT_NEAR(engine.GetPosition(), (49 * 7919) % 9000 * 2, 1000);
    EXPECT_NEAR(double(graph.currentPositionMs().value_or(-1)), (49 * 7919) % 9000, 1500);
    graph.setActive(false);
}
