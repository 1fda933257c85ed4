// The GStreamer audio library on media the tests generate: lengths, seeking, pausing,
// the end watch, the equaliser and the volume, measured at a test sink.
#include "audio/audio_object.h"
#include "event_wait.h"
#include "gstreamer/audio/gst_audio_library.h"
#include "gstreamer/core/seek_stall.h"
#include "gstreamer/core/stall_watch.h"
#include "sound_media.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>

using namespace varendo;
using namespace varendo::test;

namespace {

// Long enough that an MP3 encoder's start delay and last-frame padding (up to about
// 50 ms, real frames of the file) stay within 1 % of the length.
constexpr double kToneSeconds = 8.0;

class GstAudio : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir = new QTemporaryDir;
        ok = writeTone(file("tone.wav"), Encoding::Wav, 440, kToneSeconds)
            && writeTone(file("tone.mp3"), Encoding::Mp3, 440, kToneSeconds)
            && writeTone(file("tone.ogg"), Encoding::Ogg, 440, kToneSeconds)
            && writeTone(file("short.wav"), Encoding::Wav, 440, 1.0)
            && writeTone(file("1k.wav"), Encoding::Wav, 1000, 1.0, 0.1)
            && writeTone(file("100.wav"), Encoding::Wav, 100, 1.0, 0.1)
            && writeModule(file("tune.mod"));
        QFile text(file("notes.mp3"));
        ok = ok && text.open(QIODevice::WriteOnly) && text.write("These are notes, not sound.\n") > 0;
    }
    static void TearDownTestSuite() { delete dir; }
    static QString file(const char* name) { return dir->filePath(QString::fromUtf8(name)); }

    void SetUp() override { ASSERT_TRUE(ok) << "test media could not be generated"; }

    // A library whose output is the clock-paced silent sink: plays in real time.
    static std::unique_ptr<AudioLibrary> realTimeLibrary()
    {
        auto lib = gst::createAudioLibrary();
        lib->Init(0, 44100, 0, nullptr);
        return lib;
    }
    // A library whose output is the capture, taken as fast as the pipeline runs.
    static std::unique_ptr<AudioLibrary> capturingLibrary(Capture& capture)
    {
        gst::AudioLibraryOptions options;
        options.makeSink = [&capture] { return capture.makeSink(); };
        auto lib = gst::createAudioLibrary(options);
        lib->Init(-1, 44100, 0, nullptr);
        return lib;
    }

    static inline QTemporaryDir* dir = nullptr;
    static inline bool ok = false;
};

// The first file a process opens loads its plugins, and may still be opening
// when the call returns.
bool opened(AudioLibrary& lib, AudioHandle h)
{
    return waitUntil([&] { return lib.ChannelIsActive(h) != AudioLibrary::Activity::Stalled; });
}

double lengthSeconds(AudioLibrary& lib, AudioHandle h, bool music)
{
    EXPECT_TRUE(opened(lib, h));
    const std::uint64_t bytes = music ? lib.MusicGetLength(h, true) : lib.StreamGetLength(h);
    return lib.ChannelBytes2Seconds(h, bytes);
}

TEST_F(GstAudio, OpensStreamsAndModulesWithTheirLength)
{
    auto lib = realTimeLibrary();
    for (const char* name : {"tone.wav", "tone.mp3", "tone.ogg"}) {
        const AudioHandle h = lib->StreamCreateFile(false, file(name), 0, 0, 0);
        ASSERT_NE(h, 0u) << name;
        EXPECT_NEAR(lengthSeconds(*lib, h, false), kToneSeconds, kToneSeconds * 0.01) << name;
        EXPECT_EQ(lib->MusicGetLength(h, true), AudioLibrary::kNoValue) << "a stream is no module";
        EXPECT_EQ(lib->ChannelGetPosition(h), 0u);
        EXPECT_EQ(lib->StreamGetLength(h) % AudioLibrary::kBytesPerFrame, 0u);
        EXPECT_FALSE(lib->MusicFree(h));
        EXPECT_TRUE(lib->StreamFree(h));
        EXPECT_EQ(lib->ChannelGetPosition(h), AudioLibrary::kNoValue);
        EXPECT_EQ(lib->MusicLoad(false, file(name), 0, 0, 0), 0u) << name << " is no module";
    }

    EXPECT_EQ(lib->StreamCreateFile(false, file("tune.mod"), 0, 0, 0), 0u) << "a module is no stream";
    const AudioHandle music = lib->MusicLoad(false, file("tune.mod"), 0, 0, 0);
    ASSERT_NE(music, 0u);
    EXPECT_NEAR(lengthSeconds(*lib, music, true), kModuleSeconds, kModuleSeconds * 0.01);
    EXPECT_FALSE(lib->StreamPlay(music, false, 0));
    EXPECT_TRUE(lib->MusicPlay(music));
    EXPECT_TRUE(waitUntil([&] { return lib->ChannelGetPosition(music) > 0; }));
    EXPECT_TRUE(lib->MusicFree(music));
}

TEST_F(GstAudio, FilesThatAreNeitherGiveNoHandle)
{
    auto lib = realTimeLibrary();
    for (const QString& name : {file("notes.mp3"), file("missing.mp3"), dir->path()}) {
        EXPECT_EQ(lib->StreamCreateFile(false, name, 0, 0, 0), 0u) << name.toStdString();
        EXPECT_EQ(lib->MusicLoad(false, name, 0, 0, 0), 0u) << name.toStdString();
    }

    // Through the engine: nothing plays, and the end watch turns the state to ended.
    TAudioObject player(*lib, nullptr);
    player.SetDevice(0);
    player.LoadAndPlay({file("notes.mp3")});
    EXPECT_EQ(player.Channel, 0u);
    EXPECT_TRUE(waitUntil([&] { return player.State != TAudioEngine::StatePlaying; })) << player.State;
}

TEST_F(GstAudio, PlaysInRealTimeSeeksPausesAndResumes)
{
    auto lib = gst::createAudioLibrary();
    TAudioObject player(*lib, nullptr);
    player.SetDevice(0);
    QElapsedTimer clock;
    clock.start();
    player.LoadAndPlay({file("tone.mp3")});
    ASSERT_EQ(player.State, TAudioEngine::StatePlaying);
    ASSERT_TRUE(waitUntil([&] { return !player.IsOpening(); }));
    EXPECT_NEAR(player.GetLength(), kToneSeconds * 1000, kToneSeconds * 10);

    ASSERT_TRUE(waitUntil([&] { return player.GetPosition() >= 200; }));
    EXPECT_LE(player.GetPosition(), clock.elapsed() + 50) << "playback runs no faster than the clock";

    for (int target : {1500, 400, 2500}) {
        // The stream plays on after the seek, so allow for the time the calls took.
        QElapsedTimer since;
        since.start();
        player.SetPosition(target);
        const int at = player.GetPosition();
        EXPECT_GE(at, target - 50) << target;
        EXPECT_LE(at, target + since.elapsed() + 50) << target;
    }

    player.SetPosition(1000);
    player.Pause();
    const int paused = player.GetPosition();
    EXPECT_NEAR(paused, 1000, 50);
    spinFor(300);
    EXPECT_NEAR(player.GetPosition(), paused, 5) << "a paused stream holds its place";
    EXPECT_EQ(player.State, TAudioEngine::StatePaused);

    player.Resume();
    EXPECT_TRUE(waitUntil([&] { return player.GetPosition() >= paused + 200; }));

    // Holding the whole output holds the stream too.
    lib->Stop();
    spinFor(50);
    const int held = player.GetPosition();
    spinFor(300);
    EXPECT_NEAR(player.GetPosition(), held, 5);
    lib->Start();
    EXPECT_TRUE(waitUntil([&] { return player.GetPosition() >= held + 200; }));
}

// The watchdog's judgement: a position that has not moved, or a seek that has not
// finished, for its limit; reported once per limit, never while idle.
TEST(StallWatch, TellsAStandstillOrAnUnfinishedSeekOncePerLimit)
{
    using Phase = gst::StallWatch::Phase;
    gst::StallWatch watch(2000, 3000);
    EXPECT_FALSE(watch.stuck(Phase::Moving, 0, 100));
    EXPECT_FALSE(watch.stuck(Phase::Moving, 1500, 100));
    EXPECT_FALSE(watch.stuck(Phase::Moving, 1900, 300)) << "it moved: counting starts again";
    EXPECT_FALSE(watch.stuck(Phase::Moving, 3800, 300));
    EXPECT_TRUE(watch.stuck(Phase::Moving, 3900, 300));
    EXPECT_FALSE(watch.stuck(Phase::Moving, 4500, 300)) << "told once, then one limit later";
    EXPECT_TRUE(watch.stuck(Phase::Moving, 5900, 300));

    // A seek gets its own limit, counted from when it was first seen in flight.
    EXPECT_FALSE(watch.stuck(Phase::Seeking, 6000));
    EXPECT_FALSE(watch.stuck(Phase::Seeking, 8900));
    EXPECT_TRUE(watch.stuck(Phase::Seeking, 9000));

    // Idle (paused, at the end, opening) is never stuck, and forgets what was seen.
    EXPECT_FALSE(watch.stuck(Phase::Idle, 9500));
    EXPECT_FALSE(watch.stuck(Phase::Idle, 60000));
    EXPECT_FALSE(watch.stuck(Phase::Moving, 60500, 300));
    watch.reset();
    EXPECT_FALSE(watch.stuck(Phase::Moving, 62000, 300)) << "after a reset counting starts afresh";
    EXPECT_FALSE(watch.stuck(Phase::Moving, 63900, 300));
}

// A seek that leaves the stream silent for good (its sink never gets sound again,
// as a busy sound server can leave it) is got out of: the channel is restarted and
// plays on from where the seek went, without the caller doing anything.
TEST_F(GstAudio, AStalledSeekIsGotOutOfAndPlaysOnFromWhereItWent)
{
    auto lib = gst::createAudioLibrary();
    TAudioObject player(*lib, nullptr);
    player.SetDevice(0);
    player.LoadAndPlay({file("tone.mp3")});
    ASSERT_TRUE(waitUntil([&] { return player.GetPosition() >= 500; }));

    const int stalled = gst::SeekStall::stalledCount();
    gst::SeekStall::armNext();
    player.SetPosition(3000);
    spinFor(1000);
    ASSERT_EQ(gst::SeekStall::stalledCount(), stalled + 1);
    EXPECT_NEAR(player.GetPosition(), 3000, 50) << "the seek stalled: the stream stands where it went";
    EXPECT_EQ(player.State, TAudioEngine::StatePlaying);

    ASSERT_TRUE(waitUntil([&] { return player.GetPosition() >= 3600; })) << "still at " << player.GetPosition();
    EXPECT_LT(player.GetPosition(), 6000) << "it plays on from the seek's place, not from elsewhere";
    EXPECT_EQ(player.State, TAudioEngine::StatePlaying);
    // It goes on playing and seeking as before.
    player.SetPosition(1000);
    EXPECT_TRUE(waitUntil([&] { return player.GetPosition() >= 1500 && player.GetPosition() < 3000; }));
}

TEST_F(GstAudio, TheEndWatchStopsEachKindNearItsEnd)
{
    auto lib = gst::createAudioLibrary();
    TAudioObject player(*lib, nullptr);
    player.SetDevice(0);
    for (const char* name : {"short.wav", "tone.ogg", "tone.mp3"}) {
        player.LoadAndPlay({file(name)});
        ASSERT_TRUE(waitUntil([&] { return !player.IsOpening(); })) << name;
        const int length = player.GetLength();
        player.SetPosition(length - 600);
        ASSERT_TRUE(waitUntil([&] { return player.State == TAudioEngine::StateEnded; })) << name;
        const int stoppedAt = player.GetPosition();
        EXPECT_GE(stoppedAt, length - TAudioEngine::EndMarginMs) << name;
        spinFor(200);
        EXPECT_EQ(player.GetPosition(), stoppedAt) << name << ": the channel is stopped";
    }
    // Placed past its end, a file ends as if it had played there.
    player.LoadAndPlay({file("short.wav")});
    player.SetPosition(player.GetLength() + 5000);
    EXPECT_TRUE(waitUntil([&] { return player.State == TAudioEngine::StateEnded; }));

    // A stopped engine stays stopped even when placed at the end.
    player.LoadAndPlay({file("short.wav")});
    player.Stop();
    player.SetPosition(player.GetLength() - 10);
    spinFor(200);
    EXPECT_EQ(player.State, TAudioEngine::StateStopped);
}

TEST_F(GstAudio, AFileThatEndsEarlierThanAnnouncedStillEnds)
{
    // Cut a WAV file short behind its header: the header still announces three seconds.
    QFile whole(file("tone.wav"));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    QFile cut(file("cut.wav"));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(whole.read(44 + 44100 * 4 / 2));
    cut.close();

    auto lib = gst::createAudioLibrary();
    TAudioObject player(*lib, nullptr);
    player.SetDevice(0);
    player.LoadAndPlay({file("cut.wav")});
    ASSERT_NE(player.Channel, 0u);
    EXPECT_TRUE(waitUntil([&] { return player.State == TAudioEngine::StateEnded; }, 15000))
        << "position " << player.GetPosition() << " of " << player.GetLength();
}

TEST_F(GstAudio, EqualiserBandRaisesItsOwnFrequencyOnly)
{
    Capture capture;
    auto lib = capturingLibrary(capture);
    TAudioObject player(*lib, nullptr);

    auto levelOf = [&](const char* name, bool boosted) {
        capture.clear();
        std::array<int, TAudioEngine::BandCount> gains{};
        gains[4] = boosted ? 12 : 0; // the 1000 Hz band
        player.SetEqualizer(gains);
        player.Play(file(name));
        EXPECT_TRUE(waitUntil([&] { return capture.ended(); })) << name;
        return rms(capture.left(), 4410); // past the filter's settling
    };
    const double flat1k = levelOf("1k.wav", false);
    const double boosted1k = levelOf("1k.wav", true);
    const double flat100 = levelOf("100.wav", false);
    const double boosted100 = levelOf("100.wav", true);

    ASSERT_GT(flat1k, 1000.0);
    EXPECT_GT(boosted1k / flat1k, 3.0) << "+12 dB is about four times the amplitude";
    EXPECT_LT(boosted1k / flat1k, 4.5);
    ASSERT_GT(flat100, 1000.0);
    EXPECT_NEAR(boosted100 / flat100, 1.0, 0.06);
}

TEST_F(GstAudio, VolumeScalesAndZeroSilences)
{
    Capture capture;
    auto lib = capturingLibrary(capture);
    TAudioObject player(*lib, nullptr);

    auto levelAt = [&](int volume) {
        capture.clear();
        player.SetVolume(volume);
        player.Play(file("short.wav"));
        EXPECT_TRUE(waitUntil([&] { return capture.ended(); }));
        return rms(capture.left());
    };
    const double full = levelAt(100);
    ASSERT_GT(full, 1000.0);
    EXPECT_NEAR(levelAt(50) / full, 0.5, 0.02);
    EXPECT_EQ(levelAt(0), 0.0);
}

TEST_F(GstAudio, WithoutASoundServerStreamsStillPlay)
{
    // Point PulseAudio at nothing: the library falls back to another output, or to the
    // silent clock-paced one, and the program keeps working.
    const QByteArray saved = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", "unix:/nonexistent/varendo-no-server");
    auto lib = gst::createAudioLibrary();
    TAudioObject player(*lib, nullptr);
    if (saved.isNull())
        qunsetenv("PULSE_SERVER");
    else
        qputenv("PULSE_SERVER", saved);

    player.LoadAndPlay({file("short.wav")});
    ASSERT_NE(player.Channel, 0u);
    ASSERT_TRUE(waitUntil([&] { return !player.IsOpening(); }));
    EXPECT_EQ(player.GetLength(), 1000);
    EXPECT_TRUE(waitUntil([&] { return player.GetPosition() > 100; }));
    EXPECT_TRUE(waitUntil([&] { return player.State == TAudioEngine::StateEnded; }));
}

} // namespace
