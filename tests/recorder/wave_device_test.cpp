// The real wave devices on the test PulseAudio server: a tone played into the
// null sink is captured from its monitor, and blocks we play come out of it.
#include "gsm/gsm610_codec.h"
#include "gstreamer/core/gst_core.h"
#include "gstreamer/wave/gst_wave_service.h"
#include "recorder/acm_wave_in.h"
#include "recorder/acm_wave_out.h"
#include "launch_line.h"
#include "scoped_env.h"
#include "sound_analysis.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QWidget>

#include <gst/app/gstappsink.h>
#include "event_wait.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <mutex>

using namespace varendo;
using namespace varendo::test;

namespace {

constexpr int kRate = gsm::kSampleRate;

bool pulseReachable()
{
    if (!gst::hasElement("pulsesrc") || !gst::hasElement("pulsesink"))
        return false;
    gst::Pipeline probe(gst_element_factory_make("pulsesink", nullptr));
    return probe && gst_element_set_state(probe.get(), GST_STATE_READY) == GST_STATE_CHANGE_SUCCESS;
}

// A launch line running for the life of the object.
class Running {
public:
    explicit Running(const QString& description)
    {
        QString error;
        pipeline_ = launch(description, &error);
        if (!pipeline_)
            ADD_FAILURE() << error.toStdString();
    }
    GstElement* get() const { return pipeline_.get(); }
    void play() { gst_element_set_state(pipeline_.get(), GST_STATE_PLAYING); }

private:
    gst::Pipeline pipeline_;
};

// Everything the null sink plays, at 8000 Hz mono.
class MonitorRecorder {
public:
    MonitorRecorder()
        // The sink this test program plays into (its own under the test runner).
        : running_(QStringLiteral("pulsesrc device=") + qEnvironmentVariable("PULSE_SINK", QStringLiteral("varendo_null"))
                   + QStringLiteral(".monitor ! audioconvert ! audioresample"
                                    " ! audio/x-raw,format=S16LE,rate=8000,channels=1 ! appsink name=sink sync=false"))
    {
        gst::ElementPtr sink(gst_bin_get_by_name(GST_BIN(running_.get()), "sink"));
        GstAppSinkCallbacks callbacks{};
        callbacks.new_sample = [](GstAppSink* s, gpointer self) {
            gst::SamplePtr sample(gst_app_sink_pull_sample(s));
            GstMapInfo map;
            GstBuffer* buffer = gst_sample_get_buffer(sample.get());
            gst_buffer_map(buffer, &map, GST_MAP_READ);
            auto* me = static_cast<MonitorRecorder*>(self);
            std::lock_guard lock(me->mutex_);
            const auto* p = reinterpret_cast<const int16_t*>(map.data);
            me->samples_.insert(me->samples_.end(), p, p + map.size / 2);
            gst_buffer_unmap(buffer, &map);
            return GST_FLOW_OK;
        };
        gst_app_sink_set_callbacks(GST_APP_SINK(sink.get()), &callbacks, this, nullptr);
        running_.play();
    }
    std::vector<int16_t> samples() const
    {
        std::lock_guard lock(mutex_);
        return samples_;
    }
    // An idle null sink hands its monitor's first sound over late; wait for it.
    bool listening() const
    {
        return waitUntil([this] { std::lock_guard lock(mutex_); return !samples_.empty(); }, 10000);
    }
    bool hears(double tone) const
    {
        return waitUntil([&] { return framesWithTone(samples(), tone, kRate) >= 10; }, 10000);
    }

private:
    mutable std::mutex mutex_;
    std::vector<int16_t> samples_;
    Running running_; // last: stops before the samples go
};

class WaveDeviceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gst::ensureInitialised();
        if (!pulseReachable())
            GTEST_SKIP() << "no PulseAudio server reachable (PULSE_SERVER="
                         << (std::getenv("PULSE_SERVER") ? std::getenv("PULSE_SERVER") : "unset")
                         << "); ./test.sh starts one with a null sink";
        service = gst::createWaveService();
        devices = std::make_shared<WaveDevices>(service, [this](const QString& text) { messages << text; });
        owner = std::make_unique<QWidget>();
    }
    void TearDown() override
    {
        owner.reset();
        QCoreApplication::sendPostedEvents(nullptr, WaveNoticeEvent::eventType());
        if (devices) { // not made when the case was skipped
            EXPECT_EQ(devices->buffersInUse(), 0);
        }
    }

    const WaveFormatRecord format = gsmRecordingFormat();
    std::shared_ptr<WaveService> service;
    std::shared_ptr<WaveDevices> devices;
    QStringList messages;
    std::unique_ptr<QWidget> owner;
};

TEST_F(WaveDeviceTest, OnlyTheRecordingFormatIsOffered)
{
    QObject receiver;
    WaveHandle h = 99;
    EXPECT_GE(service->largestFormatSize(), sizeof(WaveFormatRecord));

    WaveFormatRecord pcm = format;
    pcm.formatTag = 1;
    pcm.bitsPerSample = 16;
    EXPECT_EQ(service->inOpen(&h, &pcm, &receiver), waveerr::kBadFormat);
    EXPECT_EQ(h, 0u);
    EXPECT_EQ(service->outOpen(&h, &pcm, &receiver), waveerr::kBadFormat);
    WaveFormatRecord faster = format;
    faster.samplesPerSec = 11025;
    EXPECT_EQ(service->inOpen(&h, &faster, &receiver), waveerr::kBadFormat);
    EXPECT_EQ(service->outOpen(&h, nullptr, &receiver), waveerr::kInvalidParam);
    WaveHeader header;
    EXPECT_EQ(service->outWrite(12345, &header), waveerr::kInvalidHandle);
    EXPECT_EQ(service->inStart(12345), waveerr::kInvalidHandle);
}

TEST_F(WaveDeviceTest, UnreachableSoundServerIsRefusedNotWaitedFor)
{
    ScopedEnv env("PULSE_SERVER", "unix:/nonexistent/varendo/native");
    QObject receiver;
    WaveHandle h = 0;
    EXPECT_EQ(service->inOpen(&h, &format, &receiver), waveerr::kNoDriver);
    EXPECT_EQ(service->outOpen(&h, &format, &receiver), waveerr::kNoDriver);
    EXPECT_EQ(h, 0u);

    TACMWaveIn in(owner.get(), devices);
    in.Open(&format);
    EXPECT_EQ(messages, QStringList{"Problem creating record handle6"});
    in.Close();
}

TEST_F(WaveDeviceTest, MissingMicrophoneIsRefused)
{
    ScopedEnv env("PULSE_SOURCE", "varendo_no_such_source");
    QObject receiver;
    WaveHandle h = 0;
    if (service->inOpen(&h, &format, &receiver) != waveerr::kNoError) {
        EXPECT_EQ(h, 0u);
        return;
    }
    // Open waits only a moment for the server; a refusal after that fails the
    // device then, and it says so from then on.
    EXPECT_TRUE(waitUntil([&] { return service->inStart(h) != waveerr::kNoError; }, 5000));
    EXPECT_EQ(service->inClose(h), waveerr::kNoError);
}

TEST_F(WaveDeviceTest, MissingSpeakerFailsOnceAndGivesEveryBlockBack)
{
    ScopedEnv env("PULSE_SINK", "varendo_no_such_sink");
    gsm::Gsm610Encoder encoder;
    const auto bytes = encoder.encode(sineWave(400, 8000, kRate, kRate));
    TACMWaveOut out(owner.get(), devices);
    out.Open(&format);
    // The sink is only looked up once there is sound for it.
    for (int round = 0; round < 2; ++round) {
        for (std::size_t at = 0; at < bytes.size(); at += gsm::kBlockBytes)
            out.Write(bytes.data() + at, int(gsm::kBlockBytes));
        EXPECT_TRUE(waitUntil([&] { return devices->buffersInUse() == 0; }, 10000));
    }
    out.Close();
    // Nothing plays, so the first round came back through the failure and
    // the second was refused: one message for all of it.
    EXPECT_EQ(messages, QStringList{"WaveOutWrite error"});
}

TEST_F(WaveDeviceTest, FiveSecondsFromTheSinkMonitorArriveAsTheTonePlayed)
{
    constexpr double kTone = 700;
    constexpr double kVolume = 0.3;
    Running tone("audiotestsrc wave=sine freq=700 volume=0.3 is-live=true ! audioconvert ! pulsesink");
    tone.play();
    // Until the sink plays, its monitor delivers in bursts of seconds.
    ASSERT_TRUE(MonitorRecorder().hears(kTone)) << "the tone does not reach the null sink";

    TACMWaveIn in(owner.get(), devices);
    std::vector<std::size_t> sizes;
    std::vector<uint8_t> recording;
    in.OnData = [&](const void* data, int size) {
        sizes.push_back(std::size_t(size));
        const auto* p = static_cast<const uint8_t*>(data);
        recording.insert(recording.end(), p, p + size);
    };
    in.Open(&format);
    ASSERT_TRUE(messages.isEmpty()) << messages.join(", ").toStdString();
    spinFor(5000);
    in.Close();

    for (std::size_t s : sizes)
        ASSERT_EQ(s, gsm::kBlockBytes);
    // 25 blocks a second, give or take what is on its way at either end: on a busy
    // machine the sound server may still hold up to a second of it at Close.
    const double blocks = double(recording.size()) / gsm::kBlockBytes;
    EXPECT_NEAR(blocks, 5 * 25, 25) << recording.size() << " bytes";

    gsm::Gsm610Decoder decoder;
    const auto decoded = decoder.decode(recording);
    ASSERT_GT(decoded.size(), std::size_t(kRate));
    const std::span<const int16_t> steady(decoded.begin() + kRate / 5, decoded.end());
    EXPECT_NEAR(dominantFrequency(steady, kRate), kTone, 10);
    const double expected = kVolume * 32767 / std::sqrt(2.0);
    EXPECT_NEAR(rms(steady) / expected, 1.0, 0.3);
}

TEST_F(WaveDeviceTest, CaptureStartsAgainAfterClose)
{
    TACMWaveIn in(owner.get(), devices);
    int blocks = 0;
    in.OnData = [&](const void*, int) { ++blocks; };
    for (int round = 0; round < 2; ++round) {
        blocks = 0;
        in.Open(&format);
        EXPECT_TRUE(waitUntil([&] { return blocks >= 5; }, 10000)) << "round " << round;
        in.Close();
    }
    EXPECT_TRUE(messages.isEmpty()) << messages.join(", ").toStdString();
}

TEST_F(WaveDeviceTest, WrittenBlocksPlayForTheirDuration)
{
    constexpr double kTone = 400;
    constexpr int kSeconds = 2;
    gsm::Gsm610Encoder encoder;
    const auto bytes = encoder.encode(sineWave(kTone, 8000, kRate * kSeconds, kRate));

    MonitorRecorder monitor;
    ASSERT_TRUE(monitor.listening()) << "the null sink's monitor delivers nothing";
    TACMWaveOut out(owner.get(), devices);
    out.Open(&format);
    ASSERT_TRUE(messages.isEmpty()) << messages.join(", ").toStdString();
    QElapsedTimer played;
    played.start();
    for (std::size_t at = 0; at < bytes.size(); at += gsm::kBlockBytes)
        out.Write(bytes.data() + at, int(gsm::kBlockBytes));
    ASSERT_TRUE(waitUntil([&] { return devices->buffersInUse() == 0; }, 20000))
        << devices->buffersInUse() << " blocks never came back";
    // Blocks come back as the device takes them, so they cannot all be back
    // long before their sound has had time to play (the sink buffers 0.1 s).
    EXPECT_GE(played.elapsed(), kSeconds * 1000 - 500);
    spinFor(500);
    out.Close();

    const auto heard = monitor.samples();
    const double toneSeconds = double(framesWithTone(heard, kTone, kRate)) / 50;
    EXPECT_NEAR(toneSeconds, kSeconds, 0.3) << "of " << double(heard.size()) / kRate << " s heard";
}

TEST_F(WaveDeviceTest, CloseDropsQueuedBlocksAndTheDeviceOpensAgain)
{
    gsm::Gsm610Encoder encoder;
    const auto bytes = encoder.encode(sineWave(400, 8000, kRate * 10, kRate));
    TACMWaveOut out(owner.get(), devices);
    out.Open(&format);
    for (std::size_t at = 0; at < bytes.size(); at += gsm::kBlockBytes)
        out.Write(bytes.data() + at, int(gsm::kBlockBytes));
    spinFor(300);
    EXPECT_GT(devices->buffersInUse(), 100);
    out.Close();
    QCoreApplication::sendPostedEvents(nullptr, WaveNoticeEvent::eventType());
    EXPECT_EQ(devices->buffersInUse(), 0);

    // Odd sizes: the device joins bytes into whole blocks across writes.
    out.Open(&format);
    out.Write(bytes.data(), 40);
    out.Write(bytes.data() + 40, 90);
    out.Write(bytes.data() + 130, 0);
    EXPECT_TRUE(waitUntil([&] { return devices->buffersInUse() == 0; }, 10000));
    out.Close();
    EXPECT_TRUE(messages.isEmpty()) << messages.join(", ").toStdString();
}

} // namespace
