// The engine over the in-process library double: states, conversions, the end watch,
// the equaliser, titles and stream information.
#include "audio/audio_engine.h"
#include "event_wait.h"
#include "fake_audio_library.h"

#include <gtest/gtest.h>

using namespace varendo;
using varendo::test::FakeAudioLibrary;
using varendo::test::spinFor;
using varendo::test::waitUntil;

namespace {

constexpr int kLengthMs = 10000;

class EngineTest : public ::testing::Test {
protected:
    EngineTest()
    {
        lib.sources[QStringLiteral("/m/lesson.mp3")] = {false, FakeAudioLibrary::msToBytes(kLengthMs), {}, {}};
        lib.sources[QStringLiteral("/m/tune.mod")] = {true, FakeAudioLibrary::msToBytes(7680), {}, {}};
    }
    FakeAudioLibrary lib;
    TAudioEngine engine{lib, nullptr};
};

std::string headerBlock(std::initializer_list<const char*> lines)
{
    std::string block;
    for (const char* line : lines)
        block += std::string(line) + '\0';
    return block + '\0';
}

TEST_F(EngineTest, StartsTheLibraryOnTheDefaultDeviceWithHalfASecondBuffer)
{
    EXPECT_EQ(lib.log.join(u'|'), QStringLiteral("Stop|Free|Init -1 44100|Start"));
    EXPECT_FLOAT_EQ(lib.bufferSeconds, 0.5f);
    EXPECT_EQ(engine.State, TAudioEngine::StateStopped);

    engine.SetBufferLength(100);
    EXPECT_FLOAT_EQ(lib.bufferSeconds, 0.15f);
    engine.SetBufferLength(5000);
    EXPECT_FLOAT_EQ(lib.bufferSeconds, 2.0f);
    engine.SetBufferLength(500);
    EXPECT_FLOAT_EQ(lib.bufferSeconds, 0.5f);

    engine.SetVolume(140);
    EXPECT_EQ(lib.volume, 100u);
    engine.SetVolume(37);
    EXPECT_EQ(lib.volume, 37u);
}

TEST_F(EngineTest, PlaysAStreamThroughTenEqualiserBandsAtTheStoredGains)
{
    engine.SetEqualizer({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    engine.Play(QStringLiteral("/m/lesson.mp3"));

    ASSERT_NE(engine.Channel, 0u);
    EXPECT_EQ(lib.channel(engine.Channel)->play, FakeAudioLibrary::Channel::Playing);
    EXPECT_EQ(engine.State, TAudioEngine::StatePlaying);
    EXPECT_EQ(engine.GetLength(), kLengthMs);
    EXPECT_EQ(engine.GetFileName(), QStringLiteral("/m/lesson.mp3"));
    for (int i = 0; i < TAudioEngine::BandCount; ++i) {
        ParamEqRecord band;
        ASSERT_TRUE(lib.FXGetParameters(engine.FXHandles[i], band)) << i;
        EXPECT_EQ(band.fCenter, float(engine.EQCentres[i]));
        EXPECT_EQ(band.fBandwidth, 3.0f);
        EXPECT_EQ(band.fGain, float(i + 1));
    }
}

TEST_F(EngineTest, OpensATrackerModuleWhenTheFileIsNoStream)
{
    engine.Play(QStringLiteral("/m/tune.mod"));
    ASSERT_NE(engine.Channel, 0u);
    EXPECT_TRUE(lib.channel(engine.Channel)->source.module);
    EXPECT_EQ(lib.channel(engine.Channel)->play, FakeAudioLibrary::Channel::Playing);
    EXPECT_EQ(engine.GetLength(), 7680);
    EXPECT_TRUE(lib.log.contains(QStringLiteral("MusicLoad /m/tune.mod")));
}

TEST_F(EngineTest, PlayingAnotherFileFreesTheFirst)
{
    engine.Play(QStringLiteral("/m/lesson.mp3"));
    const AudioHandle first = engine.Channel;
    engine.Play(QStringLiteral("/m/tune.mod"));
    EXPECT_EQ(lib.channel(first), nullptr);
    EXPECT_EQ(lib.channels.size(), 1u);
}

TEST_F(EngineTest, AFileThatOpensAsNeitherKeepsTheStateUntilTheEndWatchLooks)
{
    engine.Play(QStringLiteral("/m/missing.mp3"));
    EXPECT_EQ(engine.Channel, 0u);
    EXPECT_EQ(engine.State, TAudioEngine::StateStopped);
    spinFor(50);
    EXPECT_EQ(engine.State, TAudioEngine::StateStopped) << "a stopped engine never ends";

    engine.Play(QStringLiteral("/m/lesson.mp3"));
    const std::uint64_t length = engine.LengthBytes;
    engine.Play(QStringLiteral("/m/missing.mp3"));
    EXPECT_EQ(engine.State, TAudioEngine::StatePlaying);
    EXPECT_EQ(engine.LengthBytes, length);
    EXPECT_EQ(engine.GetPosition(), 0);
    EXPECT_EQ(engine.GetLength(), 0);
    EXPECT_TRUE(waitUntil([&] { return engine.State == TAudioEngine::StateEnded; }));
}

TEST_F(EngineTest, EndsFiftyMillisecondsBeforeTheLength)
{
    engine.Play(QStringLiteral("/m/lesson.mp3"));
    lib.setPositionMs(engine.Channel, kLengthMs - 51);
    spinFor(300);
    EXPECT_EQ(engine.State, TAudioEngine::StatePlaying);

    lib.setPositionMs(engine.Channel, kLengthMs - 50);
    EXPECT_TRUE(waitUntil([&] { return engine.State == TAudioEngine::StateEnded; }));
    EXPECT_EQ(lib.channel(engine.Channel)->play, FakeAudioLibrary::Channel::Stopped);
}

TEST_F(EngineTest, EndsWhilePausedWhenMovedToTheEnd)
{
    engine.Play(QStringLiteral("/m/lesson.mp3"));
    engine.Pause();
    EXPECT_EQ(lib.channel(engine.Channel)->play, FakeAudioLibrary::Channel::Paused);
    spinFor(50);
    EXPECT_EQ(engine.State, TAudioEngine::StatePaused);

    engine.SetPosition(kLengthMs - 20);
    EXPECT_TRUE(waitUntil([&] { return engine.State == TAudioEngine::StateEnded; }));
}

TEST_F(EngineTest, AStoppedEngineNeverEnds)
{
    engine.Play(QStringLiteral("/m/lesson.mp3"));
    engine.Stop();
    lib.setPositionMs(engine.Channel, kLengthMs);
    engine.SetPosition(kLengthMs);
    spinFor(300);
    EXPECT_EQ(engine.State, TAudioEngine::StateStopped);
}

TEST_F(EngineTest, ResumeAfterPauseAndSeekByMilliseconds)
{
    engine.Play(QStringLiteral("/m/lesson.mp3"));
    engine.Pause();
    EXPECT_EQ(engine.State, TAudioEngine::StatePaused);
    engine.Resume();
    EXPECT_EQ(engine.State, TAudioEngine::StatePlaying);
    EXPECT_EQ(lib.channel(engine.Channel)->play, FakeAudioLibrary::Channel::Playing);

    for (int ms : {0, 1, 290, 1234, 9949}) {
        engine.SetPosition(ms);
        EXPECT_EQ(engine.GetPosition(), ms);
    }
    engine.SetPosition(-5);
    EXPECT_EQ(engine.GetPosition(), 0);
}

TEST_F(EngineTest, QueriesWithoutAChannelGiveZero)
{
    EXPECT_EQ(engine.GetPosition(), 0);
    EXPECT_EQ(engine.GetLength(), 0);
    engine.LengthBytes = FakeAudioLibrary::kNoValue;
    engine.Play(QStringLiteral("/m/lesson.mp3"));
    lib.channel(engine.Channel)->position = FakeAudioLibrary::kNoValue;
    EXPECT_EQ(engine.GetPosition(), 0);
}

TEST_F(EngineTest, AnInternetStreamNeverEndsByItselfAndHasNoEqualiser)
{
    const QString url = QStringLiteral("http://127.0.0.1:1/live");
    lib.sources[url] = {false, FakeAudioLibrary::kNoValue, headerBlock({"icy-name:Radio"}), {}};
    engine.Play(url);
    EXPECT_EQ(engine.State, TAudioEngine::StatePlaying);
    EXPECT_TRUE(lib.effects.empty());
    EXPECT_EQ(engine.GetLength(), 0);
    spinFor(100);
    EXPECT_EQ(engine.State, TAudioEngine::StatePlaying);

    EXPECT_FALSE(engine.PlayURL(QStringLiteral("ftp://127.0.0.1:1/none.mp3")));
    EXPECT_EQ(engine.Channel, 0u);
    EXPECT_EQ(engine.State, TAudioEngine::StatePlaying) << "the state follows the request, not the outcome";
    spinFor(100);
    EXPECT_EQ(engine.State, TAudioEngine::StatePlaying);
    EXPECT_TRUE(engine.PlayURL(url));
}

TEST_F(EngineTest, SetDeviceStopsAndStartsTheLibraryAgain)
{
    engine.Play(QStringLiteral("/m/lesson.mp3"));
    lib.log.clear();
    engine.SetDevice(0);
    EXPECT_EQ(lib.log.join(u'|'), QStringLiteral("Stop|Free|Init 0 44100|Start"));
    EXPECT_EQ(engine.State, TAudioEngine::StateStopped);
    EXPECT_TRUE(lib.channels.empty());
}

TEST(EngineNames, SupportedFilesAndTheOpenDialogFilter)
{
    for (const char* yes : {"a.Mp3", "b.IT", "c.mp1", "d.wav", "e.ogg", "f.xm", "g.umx", "/x.y/z.MO3", "C:\\a\\b.s3m"})
        EXPECT_TRUE(TAudioEngine::IsSupportedFile(QString::fromUtf8(yes))) << yes;
    for (const char* no : {"a.mpeg", "b.wma", "mp3", "/d.mp3/file", "x.mp3.txt", ""})
        EXPECT_FALSE(TAudioEngine::IsSupportedFile(QString::fromUtf8(no))) << no;

    FakeAudioLibrary lib;
    TAudioEngine engine(lib, nullptr);
    EXPECT_EQ(engine.GetFilter(),
              QStringLiteral("mp1/mp2/mp3/wav/ogg/mod/s3m/it/umx/mo3/mtm/xm|*.mp1;*.mp2;*.mp3;*.wav;*.ogg;*.mod;"
                             "*.s3m;*.it;*.umx;*.mo3;*.mtm;*.xm|Streams (mp1/mp2/mp3/wav/ogg)|*.mp1;*.mp2;*.mp3;"
                             "*.wav;*.ogg|Trackers (mod/s3m/it/umx/mo3/mtm/xm)|*.mod;*.s3m;*.it;*.umx;*.mo3;"
                             "*.mtm;*.xm"));
}

TEST_F(EngineTest, TitlesOfFilesAndInternetStreams)
{
    EXPECT_EQ(engine.GetTitle(QStringLiteral("D:\\lessons\\Lesson 01.mp3")), QStringLiteral("Lesson 01"));
    EXPECT_EQ(engine.GetTitle(QStringLiteral("/home/u/课程/b.c.mp3")), QStringLiteral("b.c"));
    EXPECT_EQ(engine.GetTitle(QStringLiteral("noext")), QStringLiteral("noext"));

    const QString bare = QStringLiteral("http://127.0.0.1:1/bare");
    lib.sources[bare] = {false, 0, headerBlock({"icy-genre:Talk"}), std::string("StreamTitle='x';")};
    EXPECT_EQ(engine.GetTitle(bare), QStringLiteral("Unknown Host"));
    EXPECT_EQ(engine.GetTitle(QStringLiteral("http://127.0.0.1:1/unreachable")), QStringLiteral("Unknown Host"));

    const QString radio = QStringLiteral("HTTP://127.0.0.1:1/radio");
    lib.sources[radio] = {false, 0, headerBlock({"ICY 200 OK", "icy-name:Radio One", "icy-url:http://one.example"}),
                          std::string("StreamTitle='News';StreamUrl='http://one.example/news';")};
    // A URL that is not the open one is opened only to be asked, then freed.
    EXPECT_EQ(engine.GetTitle(radio), QStringLiteral("Radio One http://one.example - News"));
    EXPECT_TRUE(lib.channels.empty());
    EXPECT_TRUE(lib.log.contains(QStringLiteral("StreamCreateURL ") + radio));

    // The open stream answers for itself.
    engine.Play(radio);
    lib.log.clear();
    EXPECT_EQ(engine.GetTitle(radio), QStringLiteral("Radio One http://one.example - News"));
    EXPECT_TRUE(lib.log.isEmpty());
}

TEST(StreamInfo, ReadsHeaderLinesAndMetadata)
{
    TStreamInfo info;
    readStreamInfo(headerBlock({"ICY 200 OK", "icy-notice1:<BR>This stream requires <a>WINAMP</a><BR>",
                                "icy-notice2:Hello", "icy-notice3:World", "icy-notice5:Skipped",
                                "icy-name:A: B", "icy-genre:Pop", "icy-url:http://a.example", "icy-br:128"}),
                   std::string("StreamTitle='A';StreamUrl='B';"), info);
    EXPECT_EQ(info.name, QStringLiteral("A: B"));
    EXPECT_EQ(info.genre, QStringLiteral("Pop"));
    EXPECT_EQ(info.url, QStringLiteral("http://a.example"));
    EXPECT_EQ(info.bitRate, QStringLiteral("128"));
    EXPECT_EQ(info.notices, QStringLiteral("Hello World "));
    EXPECT_EQ(info.streamTitle, QStringLiteral("A"));
    EXPECT_EQ(info.streamUrl, QStringLiteral("B"));

    TStreamInfo apostrophe;
    readStreamInfo(std::nullopt, std::string("StreamTitle='It's';"), apostrophe);
    EXPECT_EQ(apostrophe.streamTitle, QStringLiteral("It"));
    EXPECT_EQ(apostrophe.streamUrl, QString());

    TStreamInfo oneQuote;
    readStreamInfo(std::nullopt, std::string("StreamTitle='open"), oneQuote);
    EXPECT_EQ(oneQuote.streamTitle, QString());
}

TEST(StreamInfo, KeepsWhatIsNotFoundAndScansAtMost400Bytes)
{
    TStreamInfo info;
    info.name = QStringLiteral("kept");
    info.notices = QStringLiteral("old ");
    std::string block(395, 'x');
    block += '\0';
    block += "icy-name:beyond the scan";
    block += '\0';
    readStreamInfo(block, std::nullopt, info);
    EXPECT_EQ(info.name, QStringLiteral("kept"));
    EXPECT_EQ(info.notices, QStringLiteral("old "));

    // A last line without its NUL is unfinished and dropped.
    TStreamInfo unfinished;
    readStreamInfo(std::string("icy-genre:Jazz\0icy-name:cut", 27), std::nullopt, unfinished);
    EXPECT_EQ(unfinished.genre, QStringLiteral("Jazz"));
    EXPECT_EQ(unfinished.name, QString());

    // The last line with a key wins; keys are found in any case.
    TStreamInfo last;
    readStreamInfo(headerBlock({"ICY-NAME:first", "Icy-Name:second"}), std::nullopt, last);
    EXPECT_EQ(last.name, QStringLiteral("second"));
}

} // namespace
