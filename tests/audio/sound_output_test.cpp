// End to end through the PulseAudio null sink that ./test.sh starts: what the engine
// plays on the default output is captured from the sink's monitor.
#include "audio/audio_object.h"
#include "event_wait.h"
#include "gstreamer/audio/gst_audio_library.h"
#include "gstreamer/core/gst_core.h"
#include "sound_media.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

using namespace varendo;
using namespace varendo::test;

namespace {

// An unusual frequency, so other programs sounding on the same server while the test
// runs (the sink is shared) do not count as ours.
constexpr double kToneHz = 1373.0;

TEST(SoundOutput, TheEngineIsHeardOnTheDefaultOutput)
{
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER"))
        GTEST_SKIP() << "PULSE_SERVER is not set: no PulseAudio server to play through (run ./test.sh)";
    MonitorRecording monitor;
    if (!monitor.start())
        GTEST_SKIP() << "the PulseAudio server at " << qgetenv("PULSE_SERVER").constData()
                     << " is not reachable, or has no varendo_null sink";

    QTemporaryDir dir;
    const QString tone = dir.filePath(QStringLiteral("tone.wav"));
    ASSERT_TRUE(writeTone(tone, Encoding::Wav, kToneHz, 3.0));

    auto lib = gst::createAudioLibrary();
    TAudioObject player(*lib, nullptr);
    const double before = monitor.toneOver(kToneHz, 400);

    player.LoadAndPlay({tone});
    ASSERT_EQ(player.State, TAudioEngine::StatePlaying);
    spinFor(300);
    const double playing = monitor.toneOver(kToneHz, 600);
    EXPECT_GT(std::sqrt(playing), 1465.4) << "the tone reaches the sink (its rms, of about 6950 written)";
    EXPECT_GT(playing, 100 * before) << "and it is the tone we played";

    player.SetVolume(0);
    spinFor(200);
    EXPECT_LT(monitor.toneOver(kToneHz, 500), playing / 100) << "volume 0 silences the output";
    player.SetVolume(100);

    player.Pause();
    spinFor(200);
    EXPECT_LT(monitor.toneOver(kToneHz, 500), playing / 100) << "a paused stream is silent";
    player.Resume();
    spinFor(200);
    EXPECT_GT(monitor.toneOver(kToneHz, 400), playing / 4) << "and sounds again when resumed";

    ASSERT_TRUE(waitUntil([&] { return player.State == TAudioEngine::StateEnded; }, 15000));
    spinFor(200);
    EXPECT_LT(monitor.toneOver(kToneHz, 400), playing / 100) << "nothing sounds after the end";
}

} // namespace
