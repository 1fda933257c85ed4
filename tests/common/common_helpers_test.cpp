#include "common/colour_value.h"
#include "common/file_names.h"
#include "common/folder_access.h"
#include "common/gbk_text.h"
#include "common/lesson_label.h"
#include "common/playback_speed.h"
#include "common/timing_line.h"
#include "common/whole_file.h"
#include "file_bytes.h"
#include "small_disk.h"

#include <QDir>
#include <QGuiApplication>
#include <QPalette>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace varendo;

TEST(LessonLabel, NamesAndNumbersTravelAsText)
{
    EXPECT_EQ(lessonLabel("2", "15"), "第2册 第15课");
    EXPECT_EQ(lessonNumberOf("第2册 第15课"), "15");
    EXPECT_EQ(lessonNumberOf("第1册 第007课"), "007");
    EXPECT_EQ(lessonNumberOf(lessonLabel("3", "1\"")), "1\"");
    EXPECT_EQ(lessonNumberOf("第一课"), ""); // the design-time item has no number
}

TEST(LessonLabel, ListPositionsOfBookOneAndTheOthers)
{
    EXPECT_EQ(lessonListPosition(0, 1), 0);
    EXPECT_EQ(lessonListPosition(0, 7), 3);
    EXPECT_EQ(lessonListPosition(0, 8), 4);
    EXPECT_EQ(lessonListPosition(1, 7), 6);
    EXPECT_EQ(lessonListPosition(3, 1), 0);
}

TEST(ColourValue, RgbValuesKeepRedInTheLowByte)
{
    EXPECT_EQ(colorFromValue(0), QColor(0, 0, 0));
    EXPECT_EQ(colorFromValue(255), QColor(255, 0, 0));
    EXPECT_EQ(colorFromValue(0x00FF00), QColor(0, 255, 0));
    EXPECT_EQ(colorFromValue(0xFF0000), QColor(0, 0, 255));
    EXPECT_EQ(colorFromValue(16777215), QColor(255, 255, 255));
}

TEST(ColourValue, NegativeValuesNameDesktopColours)
{
    const QPalette palette = QGuiApplication::palette();
    EXPECT_EQ(colorFromValue(-16777192), palette.color(QPalette::ToolTipBase)); // 24
    EXPECT_EQ(colorFromValue(-16777211), palette.color(QPalette::Base));        // 5
    EXPECT_EQ(colorFromValue(-16777208), palette.color(QPalette::Text));        // 8
}

TEST(TimingLine, TagsAreStrippedAndTimeTagsRecognised)
{
    EXPECT_EQ(stripTags("[00:12.00][01:30.00]Hello"), "Hello");
    EXPECT_EQ(stripTags("No tags here."), "No tags here.");
    EXPECT_EQ(stripTags("Open [tag never closes"), "Open [tag never closes");
    // A closing mark before the first opening one stays; the text cannot grow.
    EXPECT_EQ(stripTags("a]b[c]d"), "a]bd");
    EXPECT_TRUE(startsWithTimeTag("[00:04.20]Hello"));
    EXPECT_TRUE(startsWithTimeTag("[12:59]Hello"));
    EXPECT_FALSE(startsWithTimeTag("[ti:Lesson 1]"));
    EXPECT_FALSE(startsWithTimeTag("Hello [00:01.00]"));
    EXPECT_TRUE(startsWithTimeTag("[0:01.00]Hello")) << "one minute digit";
    EXPECT_TRUE(startsWithTimeTag("  [00:01:50]Hello")) << "blanks first, and a colon before hundredths";
    EXPECT_FALSE(startsWithTimeTag("[00:75.00]Hello")) << "no 75th second";
}

// Lyric files as the learners' players and public projects write them.
TEST(TimingLine, TheFormsOfRealLyricFilesAreRead)
{
    const auto times = [](const QString& line) { return parseTimingLine(line).times; };
    EXPECT_EQ(times("[00:04.20]Hello"), QList<qint64>{4200});
    EXPECT_EQ(times("[1:02]Hello"), QList<qint64>{62000});
    EXPECT_EQ(times("[00:04.2]a"), QList<qint64>{4200});
    EXPECT_EQ(times("[00:04.205]a"), QList<qint64>{4205});
    EXPECT_EQ(times("[00:04:20]a"), QList<qint64>{4200});
    EXPECT_EQ(times("[120:00.00]a"), QList<qint64>{7200000});
    EXPECT_EQ(times("[00:01.00] [00:09.50]Twice"), (QList<qint64>{1000, 9500}));
    // Only the leading tags time a line: a time in the sentence, or a tag after it, does not.
    const TimingLine meet = parseTimingLine("[00:03.00]Meet me at 00:07, not [00:09.00]");
    EXPECT_EQ(meet.times, QList<qint64>{3000});
    EXPECT_EQ(meet.sentence, "Meet me at 00:07, not ");
    EXPECT_TRUE(parseTimingLine("Meet me at [00:07.00]").times.isEmpty());

    // Word times of enhanced lyrics are no part of the sentence; other angle brackets are.
    const TimingLine words = parseTimingLine("[00:12.00]<00:12.00>Hello <00:12.80>there, a <b> c");
    EXPECT_EQ(words.sentence, "Hello there, a <b> c");
    EXPECT_FALSE(words.header);
    EXPECT_EQ(stripWordTags("<1:02.5>x<00:01>y<no>"), "xy<no>");

    // Header tags make no sentence; a bracketed word in a line is still stripped as before.
    for (const char* header : {"[ti:Lesson 1]", "[ar:Someone][al:Book 1]", " [offset:-250] ", "[by:]"})
        EXPECT_TRUE(parseTimingLine(header).header) << header;
    for (const char* text : {"[Chorus]", "", "Plain text", "[00:01.00][ti:x]"})
        EXPECT_FALSE(parseTimingLine(text).header) << text;
    EXPECT_EQ(parseTimingLine("[Chorus]").sentence, "");

    // The offset moves every line: positive sooner, negative later, never before 0.
    EXPECT_EQ(lyricOffset({"[ti:x]", "[offset:+500]", "[00:01.00]a", "[offset:9]"}), 500);
    EXPECT_EQ(lyricOffset({"[ar:y][offset: -1500 ]"}), -1500);
    EXPECT_EQ(lyricOffset({"[offset:soon]", "[00:01.00]a"}), 0);
    EXPECT_EQ(lyricOffset({"[00:01.00]Set [offset:500] here"}), 0) << "a tag in a sentence is no header";
    EXPECT_EQ(offsetTime(1000, 500), 500);
    EXPECT_EQ(offsetTime(1000, -1500), 2500);
    EXPECT_EQ(offsetTime(200, 500), 0);

    EXPECT_EQ(timeTag(4200), "[00:04.20]");
    EXPECT_EQ(timeTag(4205), "[00:04.205]");
    EXPECT_EQ(timeTag(6000000), "[100:00.00]");
}

TEST(TimingLine, LyricFilesInEveryEncodingTheyComeIn)
{
    const QString text = QStringLiteral("[ti:问候]\r\n[00:01.00]你好，Tom!\r\n[00:03.00]Goodbye.\r\n");
    const QStringList lines{QStringLiteral("[ti:问候]"), QStringLiteral("[00:01.00]你好，Tom!"),
                            QStringLiteral("[00:03.00]Goodbye.")};
    auto utf16 = [&](bool bigEndian, bool bom) {
        QByteArray bytes;
        for (QChar c : (bom ? QString(QChar(0xFEFF)) : QString()) + text) {
            const char high = char(c.unicode() >> 8), low = char(c.unicode() & 0xFF);
            bytes += bigEndian ? QByteArray{&high, 1} + QByteArray{&low, 1} : QByteArray{&low, 1} + QByteArray{&high, 1};
        }
        return bytes;
    };
    EXPECT_EQ(decodeLyrics(utf16(false, true)), lines) << "UTF-16 LE with its mark";
    EXPECT_EQ(decodeLyrics(utf16(true, true)), lines) << "UTF-16 BE with its mark";
    EXPECT_EQ(decodeLyrics(utf16(false, false)), lines) << "UTF-16 LE starting with [";
    QStringEncoder utf32("UTF-32LE");
    EXPECT_EQ(decodeLyrics(QByteArray("\xFF\xFE\0\0", 4) + QByteArray(utf32.encode(text))), lines);
    EXPECT_EQ(decodeLyrics(QByteArray("\xEF\xBB\xBF") + text.toUtf8()), lines) << "UTF-8 with a byte-order mark";
    EXPECT_EQ(decodeLyrics(text.toUtf8()), lines);
    EXPECT_EQ(decodeLyrics(toGbk(text)), lines) << "bytes that are no UTF-8 are GBK";
    EXPECT_EQ(decodeLyrics("[00:01.00]a\r[00:02.00]b\n\n"), (QStringList{"[00:01.00]a", "[00:02.00]b", ""}));
}

TEST(PlaybackSpeed, StepsStayInRangeAndReadBackExactly)
{
    EXPECT_EQ(varendo::stepSpeed(10, -3), 7);
    EXPECT_EQ(varendo::stepSpeed(6, -3), 5);
    EXPECT_EQ(varendo::stepSpeed(14, 2), 15);
    for (int speed = varendo::kSlowestSpeed; speed <= varendo::kFastestSpeed; ++speed)
        EXPECT_EQ(varendo::parseSpeed(varendo::speedText(speed)), speed) << speed;
    EXPECT_EQ(varendo::speedText(5), "0.5");
    EXPECT_EQ(varendo::parseSpeed(" 1 "), 10);
    EXPECT_EQ(varendo::parseSpeed("0.70"), 7);
    EXPECT_DOUBLE_EQ(varendo::speedRate(7), 0.7);
    for (const char* bad : {"", "0.4", "1.6", "0.75", "-1", "1e0", "abc"})
        EXPECT_EQ(varendo::parseSpeed(bad), std::nullopt) << bad;
}

// A folder that takes files, and one that does not even for the superuser.
TEST(FolderAccess, WritingIsTriedNotGuessed)
{
    QTemporaryDir dir;
    EXPECT_TRUE(varendo::acceptsWrites(dir.path()));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty())
        << "the probe is removed";
    EXPECT_FALSE(varendo::acceptsWrites(QStringLiteral("/proc")));
    EXPECT_FALSE(varendo::acceptsWrites(dir.path() + QStringLiteral("/missing")));
}

// A file is replaced whole or left as it was: its permissions and a link to it
// stay; on a full disk the old bytes stay and the reason is named.
TEST(WholeFile, ReplacedWholeOrLeftAsItWas)
{
    QTemporaryDir dir;
    test::SmallDisk disk(dir.path(), "size=64k");
    ASSERT_TRUE(disk.mounted()) << "mounting a tmpfs needs root";
    const QString file = dir.filePath(QStringLiteral("play.lst"));
    const QString link = dir.filePath(QStringLiteral("link.lst"));
    QString error;
    ASSERT_TRUE(writeFileWhole(file, "old", &error)) << error.toStdString();
    ASSERT_TRUE(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    ASSERT_TRUE(QFile::link(file, link));
    ASSERT_TRUE(writeFileWhole(link, "new", &error)) << error.toStdString();
    EXPECT_EQ(test::readAll(file), "new");
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(QFile::permissions(file), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup
                                            | QFile::ReadUser | QFile::WriteUser);

    ASSERT_TRUE(disk.fill());
    EXPECT_FALSE(writeFileWhole(file, QByteArray(5000, 'x'), &error));
    EXPECT_EQ(error, QStringLiteral("磁盘已满"));
    EXPECT_EQ(test::readAll(file), "new");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"filler", "link.lst", "play.lst"})) << "no temporary file left behind";
    EXPECT_FALSE(writeFileWhole(dir.filePath(QStringLiteral("missing/a")), "a", &error));
    EXPECT_EQ(error, QStringLiteral("文件夹不存在"));
}

// A name in GBK bytes is shown in Chinese and found again by its bytes, in a
// folder whose own name is GBK too; GStreamer gets its bytes percent-encoded.
TEST(FileNames, GbkNamesAreShownAndFoundByTheirBytes)
{
    QTemporaryDir dir;
    const QString folderName = QStringLiteral("课本"), name = QStringLiteral("第一课 1.mp3");
    const QByteArray folder = QFile::encodeName(dir.path()) + '/' + toGbk(folderName);
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    ASSERT_TRUE(test::writeAll(dir.path() + "/plain.mp3", "x"));
    const QByteArray bytes = folder + '/' + toGbk(name);
    ASSERT_TRUE(test::writeAll(dir.path() + "/tmp", "sound"));
    ASSERT_EQ(::rename(QFile::encodeName(dir.path() + "/tmp").constData(), bytes.constData()), 0);
    EXPECT_EQ(fileNameText(toGbk(name)), name);
    EXPECT_EQ(fileNameText(name.toUtf8()), name);
    const QString shown = dir.path() + '/' + folderName + '/' + name;
    EXPECT_EQ(onDiskPath(shown), bytes);
    EXPECT_TRUE(isExistingFile(shown));
    EXPECT_FALSE(isExistingFile(dir.path() + '/' + folderName)); // a folder is no file
    EXPECT_FALSE(isExistingFile(dir.path() + '/' + folderName + QStringLiteral("/第二课.mp3")));
    EXPECT_EQ(onDiskPath(dir.path() + "/plain.mp3"), QFile::encodeName(dir.path() + "/plain.mp3"));
    EXPECT_EQ(fileUri(shown), "file://" + bytes.toPercentEncoding("/"));
    EXPECT_TRUE(fileUri(shown).endsWith(QStringLiteral("/%BF%CE%B1%BE/%B5%DA%D2%BB%BF%CE%201.mp3"))) << fileUri(shown).toStdString();
    // The temporary folder's own clean-up reads names as UTF-8.
    ::unlink(bytes.constData());
    ::rmdir(folder.constData());
}
