// Internet streams from a small ICY server on 127.0.0.1: header lines, metadata and its
// changes, playing, and what the engine makes of them.
#include "audio/audio_object.h"
#include "event_wait.h"
#include "gstreamer/audio/gst_audio_library.h"
#include "icy_server.h"
#include "sound_media.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace varendo;
using namespace varendo::test;

namespace {

constexpr int kMp3BytesPerSecond = 128000 / 8;

class InternetStream : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir = new QTemporaryDir;
        const QString mp3 = dir->filePath(QStringLiteral("loop.mp3"));
        QFile file(mp3);
        if (writeTone(mp3, Encoding::Mp3, 523, 3.0) && file.open(QIODevice::ReadOnly))
            data = new QByteArray(file.readAll());
    }
    static void TearDownTestSuite()
    {
        delete data;
        delete dir;
    }
    void SetUp() override
    {
        ASSERT_TRUE(data && !data->isEmpty()) << "test media could not be generated";
        server = std::make_unique<IcyServer>(*data, kMp3BytesPerSecond);
        ASSERT_TRUE(server->listening());
        gst::AudioLibraryOptions options;
        options.makeSink = [] {
            GstElement* sink = gst_element_factory_make("fakesink", nullptr);
            g_object_set(sink, "sync", TRUE, nullptr);
            return sink;
        };
        lib = gst::createAudioLibrary(options);
    }

    static std::string meta(AudioLibrary& lib, AudioHandle h)
    {
        return lib.StreamGetTags(h, AudioLibrary::kTagsMeta).value_or(std::string());
    }

    static inline QTemporaryDir* dir = nullptr;
    static inline QByteArray* data = nullptr;
    std::unique_ptr<IcyServer> server;
    std::unique_ptr<AudioLibrary> lib;
};

TEST_F(InternetStream, HeaderLinesMetadataAndItsChanges)
{
    ASSERT_TRUE(lib->Init(-1, 44100, 0, nullptr));
    const AudioHandle h = lib->StreamCreateURL(server->url("/radio"), 0, AudioLibrary::kUrlMetadataFlag, QString());
    ASSERT_NE(h, 0u);
    EXPECT_EQ(lib->ChannelIsActive(h), AudioLibrary::Activity::Stalled) << "the stream connects after the call";

    // Header lines and metadata arrive as the stream does.
    ASSERT_TRUE(waitUntil([&] { return lib->StreamGetTags(h, AudioLibrary::kTagsHttp).has_value(); }));
    const std::optional<std::string> headers = lib->StreamGetTags(h, AudioLibrary::kTagsHttp);
    EXPECT_NE(headers->find(std::string("icy-name:") + IcyServer::kName + '\0'), std::string::npos);
    EXPECT_NE(headers->find(std::string("icy-br:128\0", 11)), std::string::npos);
    EXPECT_NE(headers->find(std::string("icy-notice2:Varendo test server<BR>\0", 36)), std::string::npos);
    EXPECT_EQ(headers->substr(headers->size() - 2), std::string("\0\0", 2)) << "lines end with a NUL, the block with another";

    ASSERT_TRUE(waitUntil([&] { return !meta(*lib, h).empty(); }));
    const std::string first = meta(*lib, h);
    const std::size_t number = first.find("Title ");
    ASSERT_NE(number, std::string::npos) << first;
    const std::string n = first.substr(number + 6, first.find('\'', number) - number - 6);
    EXPECT_EQ(first, "StreamTitle='Title " + n + "';StreamUrl='http://radio.example/" + n + "';");

    ASSERT_TRUE(lib->StreamPlay(h, false, 0));
    EXPECT_TRUE(waitUntil([&] { return meta(*lib, h) != first; }, 20000))
        << "the title changes as the stream goes on";
    EXPECT_TRUE(waitUntil([&] { return lib->ChannelBytes2Seconds(h, lib->ChannelGetPosition(h)) > 0.5; }, 20000))
        << "the stream plays";
    EXPECT_TRUE(lib->StreamFree(h));
}

TEST_F(InternetStream, TheEngineTitlesAndKeepsPlayingIt)
{
    TAudioObject player(*lib, nullptr);
    const QString url = server->url("/radio");
    player.Play(url);
    ASSERT_NE(player.Channel, 0u);
    EXPECT_EQ(player.State, TAudioEngine::StatePlaying);
    const QString title = QStringLiteral("%1 http://radio.example/ - Title ").arg(QString::fromUtf8(IcyServer::kName));
    EXPECT_TRUE(waitUntil([&] { return player.GetTitle(url).startsWith(title); })) << player.GetTitle(url).toStdString();

    TStreamInfo info;
    player.GetStreamInfo(QString(), info);
    EXPECT_EQ(info.genre, QStringLiteral("Speech"));
    EXPECT_EQ(info.bitRate, QStringLiteral("128"));
    EXPECT_EQ(info.notices, QStringLiteral("Varendo test server<BR> "));
    EXPECT_TRUE(info.streamUrl.startsWith(QStringLiteral("http://radio.example/"))) << info.streamUrl.toStdString();

    // Another URL is opened just to be asked, beside the one playing; the answer
    // is not waited for, so nothing is known of it yet.
    EXPECT_EQ(player.GetTitle(server->url("/radio?second")), QStringLiteral("Unknown Host"));

    EXPECT_TRUE(waitUntil([&] { return player.GetPosition() > 500; }, 20000));
    spinFor(300);
    EXPECT_EQ(player.State, TAudioEngine::StatePlaying) << "an internet stream never ends by itself";
}

TEST_F(InternetStream, PlainHttpStreamsAndSavedCopies)
{
    TAudioObject player(*lib, nullptr);
    EXPECT_TRUE(player.PlayURL(server->url("/plain")));
    EXPECT_TRUE(waitUntil([&] { return player.GetPosition() > 300; }, 20000));
    EXPECT_EQ(player.GetTitle(player.GetFileName()), QStringLiteral("Unknown Host"));

    // A saved copy holds the audio as sent, without the metadata blocks.
    const QString copy = dir->filePath(QStringLiteral("copy.mp3"));
    player.SaveFile = copy;
    EXPECT_TRUE(player.PlayURL(server->url("/radio")));
    EXPECT_TRUE(waitUntil([&] { return QFile(copy).size() > 3 * IcyServer::kMetaInterval; }, 20000));
    player.Stop();
    QFile saved(copy);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray start = saved.read(3 * IcyServer::kMetaInterval);
    const QByteArray expected = (*data + *data).left(start.size());
    EXPECT_TRUE(start == expected);
}

TEST_F(InternetStream, StreamsThatCannotBeOpened)
{
    TAudioObject player(*lib, nullptr);
    // The stream is created at once; the server's refusal ends it when it comes, with why.
    EXPECT_TRUE(player.PlayURL(server->url("/missing")));
    EXPECT_EQ(player.State, TAudioEngine::StatePlaying);
    EXPECT_TRUE(waitUntil([&] { return lib->ChannelIsActive(player.Channel) == AudioLibrary::Activity::Stopped; }));
    EXPECT_FALSE(lib->ChannelGetError(player.Channel).isEmpty());
    // No GStreamer source on this machine reads FTP: no stream, quickly.
    EXPECT_FALSE(player.PlayURL(QStringLiteral("ftp://127.0.0.1:9/lesson.mp3")));
    server.reset();
    EXPECT_EQ(player.GetTitle(QStringLiteral("http://127.0.0.1:9/radio")), QStringLiteral("Unknown Host"));
}

} // namespace
