#include "database/lesson_schema.h"
#include "database/settings_row.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace varendo::db;

namespace {

class SettingsRowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        app = dir.path() + "/";
        con = openLessonDatabase(app + kDatabaseFileName, app);
    }
    void setColumn(const QString& column, const QString& value)
    {
        Query q(con);
        q.SetSQL("select * from bookset");
        q.Open();
        q.Edit();
        q.FieldByName(column).SetAsString(value);
        q.Post();
    }
    QTemporaryDir dir;
    QString app;
    ConnectionPtr con;
};

auto existsOnly(const QString& path)
{
    return [path](const QString& p) { return p == path; };
}

} // namespace

TEST_F(SettingsRowTest, ReadsTheDefaultRow)
{
    const SettingsRow s = loadSettingsRow(con, app, existsOnly(sampleAudioFile(app + "mp3")));
    EXPECT_EQ(s.videoDir, app + "video");
    EXPECT_EQ(s.audioDir, app + "mp3");
    EXPECT_EQ(s.showLessonNameFlag, "1");
    EXPECT_EQ(s.showLessonStateFlag, "1");
    EXPECT_EQ(s.font.name, "微软雅黑");
    EXPECT_EQ(s.font.pointSize, 12);
    EXPECT_EQ(s.font.colour, 0);
    EXPECT_FALSE(s.font.bold || s.font.italic || s.font.underline || s.font.strikeOut);
    EXPECT_EQ(s.backgroundColour, -16777192);
}

TEST_F(SettingsRowTest, StoredFoldersAreTrimmedAndKeptWhenTheSampleFileIsThere)
{
    setColumn("视频文件目录", "/media/course/video" + QString(20, ' '));
    setColumn("音频文件目录", "/media/course/mp3   ");
    const SettingsRow s = loadSettingsRow(con, app, existsOnly("/media/course/mp3/1/001&002－Excuse Me.mp3"));
    EXPECT_EQ(s.videoDir, "/media/course/video");
    EXPECT_EQ(s.audioDir, "/media/course/mp3");
}

TEST_F(SettingsRowTest, BothFoldersFallBackWhenTheAudioFolderLacksTheSampleFile)
{
    setColumn("视频文件目录", "/media/course/video");
    setColumn("音频文件目录", "/media/course/mp3");
    const SettingsRow s = loadSettingsRow(con, app, [](const QString&) { return false; });
    EXPECT_EQ(s.videoDir, app + "video");
    EXPECT_EQ(s.audioDir, app + "mp3");
    // The stored row is not changed by the fallback.
    Query q(con);
    q.SetSQL("select * from bookset");
    q.Open();
    EXPECT_EQ(q.FieldByName("视频文件目录").AsString().trimmed(), "/media/course/video");
}

TEST_F(SettingsRowTest, FontStylesAreReadByName)
{
    setColumn("状态", "fsbold,fsUnderline,");
    setColumn("字号", "16");
    setColumn("颜色", "255");
    const SettingsRow s = loadSettingsRow(con, app, [](const QString&) { return true; });
    EXPECT_TRUE(s.font.bold);
    EXPECT_FALSE(s.font.italic);
    EXPECT_TRUE(s.font.underline);
    EXPECT_FALSE(s.font.strikeOut);
    EXPECT_EQ(s.font.pointSize, 16);
    EXPECT_EQ(s.font.colour, 255);
    EXPECT_EQ(fontStyleText(s.font), "fsbold,fsUnderline,");
}

TEST_F(SettingsRowTest, WithoutARowTheProgramFoldersAreUsed)
{
    con->exec("delete from bookset");
    const SettingsRow s = loadSettingsRow(con, app, [](const QString&) { return true; });
    EXPECT_EQ(s.videoDir, app + "video");
    EXPECT_EQ(s.audioDir, app + "mp3");
    EXPECT_EQ(s.showLessonNameFlag, "1");
}

// The speed lives in the spare column 自定义一: kept as the menu shows it, read back
// as tenths; what no speed is (hand-edited, or outside the range) is reported and
// normal speed used, and the row keeps what it held.
TEST_F(SettingsRowTest, ThePlaybackSpeedIsKeptInTheFirstSpareColumn)
{
    auto load = [&] { return loadSettingsRow(con, app, [](const QString&) { return true; }); };
    EXPECT_EQ(load().playbackSpeed, 10) << "nothing chosen yet";
    EXPECT_TRUE(load().problems.isEmpty());
    savePlaybackSpeed(con, 7);
    Query q(con);
    q.SetSQL("select 自定义一, 自定义二 from bookset");
    q.Open();
    EXPECT_EQ(q.FieldByName("自定义一").AsString(), "0.7");
    EXPECT_EQ(q.FieldByName("自定义二").AsString(), "");
    EXPECT_EQ(load().playbackSpeed, 7);
    savePlaybackSpeed(con, 15);
    EXPECT_EQ(load().playbackSpeed, 15);
    for (const char* bad : {"fast", "2.0", "0.75", "0,7"}) {
        setColumn("自定义一", bad);
        const SettingsRow s = load();
        EXPECT_EQ(s.playbackSpeed, 10) << bad;
        ASSERT_EQ(s.problems.size(), 1) << bad;
        EXPECT_TRUE(s.problems[0].contains(bad)) << s.problems[0].toStdString();
    }
}
