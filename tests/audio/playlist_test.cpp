// The playlist, its list-file readers and path rules, and the audio object that plays it,
// over the in-process library double and real files in a temporary folder.
#include "audio/audio_object.h"
#include "common/gbk_text.h"
#include "fake_audio_library.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace varendo;
using varendo::test::FakeAudioLibrary;

namespace {

class PlaylistFiles : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QString write(const QString& name, const QByteArray& bytes) const
    {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path(name);
    }
    QString folder() const { return dir.path() + u'/'; }
    QTemporaryDir dir;
};

TEST(ResolvePath, WindowsListsKeepWindowsRules)
{
    TPlaylist list;
    list.ListFile = QStringLiteral("D:\\lists\\a.pls");
    EXPECT_EQ(list.ResolvePath(QStringLiteral("song.mp3")), QStringLiteral("D:\\lists\\song.mp3"));
    EXPECT_EQ(list.ResolvePath(QStringLiteral("\\music\\b.mp3")), QStringLiteral("D:\\music\\b.mp3"));
    EXPECT_EQ(list.ResolvePath(QStringLiteral("E:\\c.mp3")), QStringLiteral("E:\\c.mp3"));
    EXPECT_EQ(list.ResolvePath(QStringLiteral(" HTTP://radio.example/x ")), QStringLiteral("HTTP://radio.example/x"));
    EXPECT_EQ(list.ResolvePath(QStringLiteral("ftp://files.example/y.mp3")), QStringLiteral("ftp://files.example/y.mp3"));
    EXPECT_EQ(list.ResolvePath(QStringLiteral("\\\\server\\share\\d.mp3")),
              QStringLiteral("D:\\lists\\\\\\server\\share\\d.mp3"));
    EXPECT_EQ(list.ResolvePath(QString()), QStringLiteral("D:\\lists\\"));
}

TEST(ResolvePath, LinuxListsResolveAgainstTheirFolder)
{
    TPlaylist list;
    list.ListFile = QStringLiteral("/home/u/lists/a.m3u");
    EXPECT_EQ(list.ResolvePath(QStringLiteral("song.mp3")), QStringLiteral("/home/u/lists/song.mp3"));
    EXPECT_EQ(list.ResolvePath(QStringLiteral("sub\\dir\\x.mp3")), QStringLiteral("/home/u/lists/sub/dir/x.mp3"));
    EXPECT_EQ(list.ResolvePath(QStringLiteral(" /srv/music/b.mp3\t")), QStringLiteral("/srv/music/b.mp3"));
    EXPECT_EQ(list.ResolvePath(QStringLiteral("\\music\\b.mp3")), QStringLiteral("/music/b.mp3"));
    EXPECT_EQ(list.ResolvePath(QStringLiteral("E:\\c.mp3")), QStringLiteral("E:\\c.mp3"));
    EXPECT_EQ(list.ResolvePath(QString()), QStringLiteral("/home/u/lists/"));
}

TEST_F(PlaylistFiles, ListNamedWithoutAFolderResolvesAgainstTheWorkingFolder)
{
    write(QStringLiteral("a.pls"), "[playlist]\nNumberOfEntries=1\nFile1=song.mp3\n");
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    TPlaylist list;
    const bool loaded = list.LoadPLS(QStringLiteral("a.pls"), false);
    QDir::setCurrent(before);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(list.Files, QStringList{QDir(dir.path()).canonicalPath() + QStringLiteral("/song.mp3")});
}

TEST_F(PlaylistFiles, PlsEntriesTitlesAndLengths)
{
    const QString pls = write(QStringLiteral("a.pls"),
                              "; made by hand\r\n[other]\r\nFile1=wrong.mp3\r\n"
                              "[PlayList]\r\n numberofentries = 3 \r\nFILE1=one.mp3\r\nTitle1=First one\r\n"
                              "Length1=123\r\nFile2=\"/abs/Two Song.ogg\"\r\nFile3=http://radio.example/live\r\n"
                              "File1=ignored.mp3\r\n[playlist]\r\nFile4=not.mp3\r\n");
    TPlaylist list;
    list.Add(QStringLiteral("/earlier.mp3"), QStringLiteral("earlier"));
    ASSERT_TRUE(list.LoadPLS(pls, false));
    EXPECT_EQ(list.Files, (QStringList{QStringLiteral("/earlier.mp3"), folder() + QStringLiteral("one.mp3"),
                                       QStringLiteral("/abs/Two Song.ogg"), QStringLiteral("http://radio.example/live")}));
    EXPECT_EQ(list.Titles,
              (QStringList{QStringLiteral("earlier"), QStringLiteral("First one"), QStringLiteral("Two Song"),
                           QStringLiteral("live")}));
    EXPECT_EQ(list.Lengths, (QStringList{"0", "123", "0", "0"}));
    EXPECT_EQ(list.ListFile, pls);

    ASSERT_TRUE(list.LoadPLS(pls, true));
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Items(0), folder() + QStringLiteral("one.mp3"));
    EXPECT_EQ(list.Items(7), QString());
}

TEST_F(PlaylistFiles, PlsWithMissingEntriesAndBadCounts)
{
    TPlaylist list;
    ASSERT_TRUE(list.LoadPLS(write(QStringLiteral("gap.pls"), "[playlist]\nNumberOfEntries=2\nFile1=a.mp3\nTitle1=A\n"),
                             false));
    EXPECT_EQ(list.Files, (QStringList{folder() + QStringLiteral("a.mp3"), folder()}));
    EXPECT_EQ(list.Titles, (QStringList{QStringLiteral("A"), QString()}));

    TPlaylist none;
    EXPECT_TRUE(none.LoadPLS(write(QStringLiteral("nan.pls"), "[playlist]\nNumberOfEntries=two\nFile1=a.mp3\n"), false));
    EXPECT_TRUE(none.LoadPLS(write(QStringLiteral("neg.pls"), "[playlist]\nNumberOfEntries=-4\n"), false));
    EXPECT_TRUE(none.LoadPLS(path(QStringLiteral("missing.pls")), false));
    EXPECT_EQ(none.Count(), 0);
    EXPECT_FALSE(none.LoadPLS(dir.path(), false)) << "a folder cannot be read as a list";

    // A corrupt count must not exhaust memory.
    TPlaylist huge;
    EXPECT_TRUE(huge.LoadPLS(write(QStringLiteral("huge.pls"), "[playlist]\nNumberOfEntries=2000000000\n"), false));
    EXPECT_EQ(huge.Count(), TPlaylist::MaxEntries);
}

TEST_F(PlaylistFiles, M3uEntriesTitlesAndComments)
{
    TPlaylist list;
    ASSERT_TRUE(list.LoadM3U(write(QStringLiteral("a.m3u"),
                                   "#EXTM3U\r\n#EXTINF:123,First\r\nfirst.mp3\r\n#EXTINF:98,Second\r\nsecond.mp3"),
                             false));
    EXPECT_EQ(list.Files, (QStringList{folder() + QStringLiteral("first.mp3"), folder() + QStringLiteral("second.mp3")}));
    EXPECT_EQ(list.Titles, (QStringList{QStringLiteral("First"), QStringLiteral("Second")}));
    EXPECT_EQ(list.Lengths, QStringList(5, QStringLiteral("0")));

    TPlaylist odd;
    ASSERT_TRUE(odd.LoadM3U(write(QStringLiteral("b.m3u"), "  #extinf:5 no comma\n\n# comment\n  x.mp3  \n"), false));
    EXPECT_EQ(odd.Titles, QStringList{QStringLiteral("  #extinf:5 no comma")});
    EXPECT_EQ(odd.Files, QStringList{folder() + QStringLiteral("x.mp3")});
    EXPECT_EQ(odd.Lengths.size(), 3);

    EXPECT_FALSE(odd.LoadM3U(path(QStringLiteral("missing.m3u")), false));
    EXPECT_EQ(odd.Files.size(), 1);
}

TEST_F(PlaylistFiles, M3uBlankLinesAddNothingAndEntriesAreCapped)
{
    // Two megabytes of blank lines, with every kind of line break and some blanks.
    QByteArray blank;
    while (blank.size() < 2 * 1024 * 1024)
        blank += "\n\r\n\r \t\n";
    TPlaylist list;
    ASSERT_TRUE(list.LoadM3U(write(QStringLiteral("blank.m3u"), blank + "only.mp3\n\n"), false));
    EXPECT_EQ(list.Files, QStringList{folder() + QStringLiteral("only.mp3")});
    EXPECT_EQ(list.Lengths.size(), 1);

    // A list longer than the cap adds the cap's worth, like a PLS file claiming more.
    QByteArray many;
    for (int n = 0; n < TPlaylist::MaxEntries + 3; ++n)
        many += "#EXTINF:1,t\n" + QByteArray::number(n) + ".mp3\n";
    TPlaylist capped;
    ASSERT_TRUE(capped.LoadM3U(write(QStringLiteral("many.m3u"), many), false));
    EXPECT_EQ(capped.Count(), TPlaylist::MaxEntries);
    EXPECT_EQ(capped.Files.back(), folder() + QStringLiteral("%1.mp3").arg(TPlaylist::MaxEntries - 1));
    EXPECT_EQ(capped.Titles.size(), TPlaylist::MaxEntries);
}

TEST_F(PlaylistFiles, ListTextInGbkOrUtf8)
{
    TPlaylist list;
    ASSERT_TRUE(list.LoadM3U(write(QStringLiteral("gbk.m3u"), toGbk(QStringLiteral("#EXTINF:1,第一课\n第一课.mp3\n"))),
                             false));
    ASSERT_TRUE(list.LoadM3U(write(QStringLiteral("utf8.m3u"), "\xEF\xBB\xBF#EXTM3U\n" + QStringLiteral("第二课.mp3").toUtf8()),
                             false));
    EXPECT_EQ(list.Titles, QStringList{QStringLiteral("第一课")});
    EXPECT_EQ(list.Files,
              (QStringList{folder() + QStringLiteral("第一课.mp3"), folder() + QStringLiteral("第二课.mp3")}));
}

class AudioObjectTest : public PlaylistFiles {
protected:
    AudioObjectTest()
    {
        for (int i = 0; i < 6; ++i)
            lib.sources[path(QStringLiteral("%1.mp3").arg(i))] = {false, FakeAudioLibrary::msToBytes(1000), {}, {}};
    }
    QString playing() { return lib.current() ? lib.current()->name : QString(); }
    FakeAudioLibrary lib;
    TAudioObject player{lib, nullptr};
};

TEST_F(AudioObjectTest, LoadAndPlayAppendsAndStartsTheFirstNewEntry)
{
    player.LoadAndPlay({path(QStringLiteral("0.mp3"))});
    EXPECT_EQ(player.CurrentIndex, 0);
    EXPECT_EQ(player.Playlist.Titles, QStringList{QStringLiteral("0")});
    EXPECT_EQ(playing(), path(QStringLiteral("0.mp3")));
    EXPECT_EQ(player.State, TAudioEngine::StatePlaying);

    for (int i = 1; i < 5; ++i)
        player.Playlist.Add(path(QStringLiteral("%1.mp3").arg(i)), QString());
    player.LoadAndPlay({path(QStringLiteral("5.mp3"))});
    EXPECT_EQ(player.CurrentIndex, 5);
    EXPECT_EQ(playing(), path(QStringLiteral("5.mp3")));
    EXPECT_EQ(player.GetFileName(), path(QStringLiteral("5.mp3")));
}

TEST_F(AudioObjectTest, NamesThatAddNothingWrapToTheFirstEntry)
{
    player.LoadAndPlay({path(QStringLiteral("notes.txt"))});
    EXPECT_EQ(player.Playlist.Count(), 0);
    EXPECT_TRUE(lib.channels.empty());
    EXPECT_EQ(player.State, TAudioEngine::StateStopped);

    player.LoadAndPlay({path(QStringLiteral("0.mp3")), path(QStringLiteral("1.mp3"))});
    EXPECT_EQ(playing(), path(QStringLiteral("0.mp3")));
    player.PlayNext();
    EXPECT_EQ(playing(), path(QStringLiteral("1.mp3")));

    player.LoadAndPlay({write(QStringLiteral("empty.m3u"), "")});
    EXPECT_EQ(player.CurrentIndex, 0);
    EXPECT_EQ(playing(), path(QStringLiteral("0.mp3")));
}

TEST_F(AudioObjectTest, ListFilesAddTheirEntriesAndStartTheFirstOfThem)
{
    player.LoadAndPlay({path(QStringLiteral("0.mp3"))});
    player.LoadAndPlay({write(QStringLiteral("L.PLS"), "[playlist]\nNumberOfEntries=2\nFile1=2.mp3\nFile2=3.mp3\n"),
                        write(QStringLiteral("l.m3u"), "4.mp3\n")});
    EXPECT_EQ(player.Playlist.Files,
              (QStringList{path(QStringLiteral("0.mp3")), path(QStringLiteral("2.mp3")), path(QStringLiteral("3.mp3")),
                           path(QStringLiteral("4.mp3"))}));
    EXPECT_EQ(player.CurrentIndex, 1);
    EXPECT_EQ(playing(), path(QStringLiteral("2.mp3")));

    // Entries naming missing files stay; playing one fails quietly.
    player.LoadAndPlay({path(QStringLiteral("gone.mp3"))});
    EXPECT_EQ(player.Playlist.Count(), 5);
    EXPECT_EQ(player.Channel, 0u);

    EXPECT_EQ(player.GetFilter(), player.TAudioEngine::GetFilter() + QStringLiteral("|Playlist (pls/m3u)|*.pls;*.m3u"));
}

} // namespace
