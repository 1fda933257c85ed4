// Time texts, the sentence a tick marks, the end-of-file rule and lyrics files.
#include "playback/repeat_marks.h"
#include "playback/sentence_tracking.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace varendo::playback;

TEST(TimeText, HoursMinutesSecondsAndTheStampOfAStatusLine)
{
    EXPECT_EQ(gettimes(83000), QStringLiteral("0:01:23"));
    EXPECT_EQ(gettimes(3723000), QStringLiteral("1:02:03"));
    EXPECT_EQ(gettimes(59999), QStringLiteral("0:00:59"));
    EXPECT_EQ(gettimes(36000000), QStringLiteral("10:00:00"));
    const QString status = statusText(83400, 3723000);
    EXPECT_EQ(status, QStringLiteral("当前: 0:01:23 总长: 1:02:03"));
    EXPECT_EQ(statusStamp(status), QStringLiteral("01:23"));
}

TEST(SentenceTracking, MarksTheFirstLineOfANewStampAtItsFirstOccurrence)
{
    const QString text = QStringLiteral("Excuse me! Yes? Is this your handbag? Excuse me! 对不起。 Meet me at 00:09.");
    const QStringList lines{QStringLiteral("[00:00.50]Lesson one"),       QStringLiteral("[00:02.10]Excuse me!"),
                            QStringLiteral("[00:02.90]Not this one"),     QStringLiteral("[00:05.00]is THIS your handbag?"),
                            QStringLiteral("[00:07.00]对不起。"),          QStringLiteral("[00:08.00]Meet me at 00:09."),
                            QStringLiteral("[00:09.00]Nowhere in the text")};
    SentenceTracker lesson = SentenceTracker::forText(lines, text);

    EXPECT_FALSE(lesson.markAt(QStringLiteral("00:00"), QString(), true)) << "00:00 is never marked";

    const auto first = lesson.markAt(QStringLiteral("00:02"), QString(), true);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->sentence, QStringLiteral("Excuse me!")) << "the first line holding the stamp";
    EXPECT_TRUE(first->found);
    EXPECT_EQ(first->start, 0) << "its first occurrence";
    EXPECT_EQ(first->length, 10);
    EXPECT_FALSE(lesson.markAt(QStringLiteral("00:02"), first->stamp, true)) << "not twice in a row";

    const auto latin = lesson.markAt(QStringLiteral("00:05"), first->stamp, false);
    ASSERT_TRUE(latin);
    EXPECT_EQ(latin->start, int(text.indexOf(QStringLiteral("Is this")))) << "Latin letters compare in any case";
    EXPECT_EQ(latin->length, 0) << "without selecting, only the caret moves";

    const auto chinese = lesson.markAt(QStringLiteral("00:07"), latin->stamp, true);
    ASSERT_TRUE(chinese);
    EXPECT_EQ(chinese->start, int(text.indexOf(QStringLiteral("对不起"))));

    // A time in a sentence is no tag: at 00:09 the line timed 00:09 is due.
    const auto missing = lesson.markAt(QStringLiteral("00:09"), chinese->stamp, true);
    ASSERT_TRUE(missing) << "the stamp is acted on (and a pause would come) even when the sentence is not found";
    EXPECT_EQ(missing->sentence, QStringLiteral("Nowhere in the text"));
    EXPECT_FALSE(missing->found);
    EXPECT_FALSE(lesson.markAt(QStringLiteral("00:42"), QString(), true));
}

// An opened file's lyrics, in the forms real files have: each line marked where it is shown.
TEST(SentenceTracking, LyricsAreShownReadableAndMarkedWhereTheyPlay)
{
    const QStringList lines{QStringLiteral("[ti:Two songs]"),
                            QStringLiteral("[ar:Someone]"),
                            QStringLiteral("[offset:+1000]"),
                            QStringLiteral("[0:02.00]<00:02.00>Hello <00:02.60>there"),
                            QStringLiteral("[00:02.00]你好"),
                            QStringLiteral("[00:03:50]Meet me at 00:04 today"),
                            QStringLiteral(""),
                            QStringLiteral("[00:05.00]Hello there"),
                            QStringLiteral("[01:05.00][00:06.00]Again and again"),
                            QStringLiteral("[00:07.00]")};
    SentenceTracker lyrics = SentenceTracker::forLyrics(lines);
    const QString shown = QStringLiteral("Hello there\n你好\nMeet me at 00:04 today\n\nHello there\nAgain and again\n");
    EXPECT_EQ(lyrics.shownText(), shown) << "no header lines, no word times";

    // The offset shows every line a second sooner; the translation under a line goes with it.
    const auto hello = lyrics.markAt(QStringLiteral("00:01"), QString(), true);
    ASSERT_TRUE(hello && hello->found);
    EXPECT_EQ(hello->start, 0);
    EXPECT_EQ(hello->sentence, QStringLiteral("Hello there\n你好"));
    EXPECT_EQ(hello->length, hello->sentence.size());

    const auto meet = lyrics.markAt(QStringLiteral("00:02"), hello->stamp, true);
    ASSERT_TRUE(meet && meet->found) << "[mm:ss:xx]";
    EXPECT_EQ(meet->start, int(shown.indexOf(QStringLiteral("Meet"))));
    EXPECT_EQ(meet->length, int(QStringLiteral("Meet me at 00:04 today").size())) << "a line of its own";

    // The line sung again is marked where it plays, not at its first copy; the time
    // in the sentence before it takes nothing over.
    const auto again = lyrics.markAt(QStringLiteral("00:04"), meet->stamp, true);
    ASSERT_TRUE(again && again->found);
    EXPECT_EQ(again->sentence, QStringLiteral("Hello there"));
    EXPECT_EQ(again->start, int(shown.lastIndexOf(QStringLiteral("Hello there"))));

    const auto twice = lyrics.markAt(QStringLiteral("01:04"), again->stamp, false);
    ASSERT_TRUE(twice && twice->found) << "each of a line's tags times it";
    EXPECT_EQ(twice->start, int(shown.indexOf(QStringLiteral("Again"))));
    EXPECT_EQ(twice->length, 0);
    EXPECT_EQ(lyrics.markLine(8, QStringLiteral("00:05"), true).start, twice->start);

    const auto empty = lyrics.markAt(QStringLiteral("00:06"), twice->stamp, true);
    ASSERT_TRUE(empty) << "a line without words is due (a pause comes) but marks nothing";
    EXPECT_FALSE(empty->found);
    EXPECT_FALSE(lyrics.markLine(0, QStringLiteral("00:06"), true).found) << "a header is nowhere";
}

TEST(EndOfFile, ContinuousStudyStepsOnStopsOrStartsTheListAgain)
{
    EXPECT_EQ(continueRule(false, true, 0), EndStep::Next);
    EXPECT_EQ(continueRule(false, false, 5), EndStep::Stop) << "the last lesson of a book stops";
    EXPECT_EQ(continueRule(true, true, 3), EndStep::Next);
    EXPECT_EQ(continueRule(true, false, 1), EndStep::Stop) << "a one-entry list stops";
    EXPECT_EQ(continueRule(true, false, 2), EndStep::FirstOfList);
}

TEST(Lyrics, BesideTheFileInAnyLetterCaseAndNoLargerThanAnyRealOne)
{
    EXPECT_EQ(lyricsPathFor(QStringLiteral("/d/x.mp3/a.mp3")), QStringLiteral("/d/x.mp3/a.lrc"));
    EXPECT_EQ(lyricsPathFor(QStringLiteral("/d/v.1/lesson.final.avi")), QStringLiteral("/d/v.1/lesson.final.lrc"));
    EXPECT_EQ(lyricsPathFor(QStringLiteral("/d/noext")), QStringLiteral("/d/noext.lrc"));

    QTemporaryDir dir;
    auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    };
    EXPECT_EQ(readLyricsBeside(dir.filePath(QStringLiteral("song.mp3"))).status, LyricsFile::None);
    ASSERT_TRUE(write(QStringLiteral("Song.lrc"), "[00:01.00]Not this one\n"));
    ASSERT_TRUE(write(QStringLiteral("song.LRC"), "[00:01.00]Hello\n"));
    const LyricsFile upper = readLyricsBeside(dir.filePath(QStringLiteral("song.mp3")));
    EXPECT_EQ(upper.status, LyricsFile::Read);
    EXPECT_EQ(upper.path, dir.filePath(QStringLiteral("song.LRC"))) << "the name as it is, the extension in any case";
    EXPECT_EQ(upper.lines, QStringList{QStringLiteral("[00:01.00]Hello")});
    EXPECT_TRUE(lyricsProblem(upper).isEmpty());
    ASSERT_TRUE(write(QStringLiteral("song.lrc"), "[00:01.00]Exact\n"));
    EXPECT_EQ(readLyricsBeside(dir.filePath(QStringLiteral("song.mp3"))).lines.value(0), QStringLiteral("[00:01.00]Exact"));

    ASSERT_TRUE(write(QStringLiteral("big.lrc"), QByteArray(kLyricsLargest + 1, 'x')));
    const LyricsFile big = readLyricsBeside(dir.filePath(QStringLiteral("big.ogg")));
    EXPECT_EQ(big.status, LyricsFile::TooLarge);
    EXPECT_TRUE(big.lines.isEmpty());
    EXPECT_TRUE(lyricsProblem(big).contains(QStringLiteral("没有载入"))) << lyricsProblem(big).toStdString();
    ASSERT_TRUE(write(QStringLiteral("edge.lrc"), QByteArray(kLyricsLargest, 'x')));
    EXPECT_EQ(readLyricsBeside(dir.filePath(QStringLiteral("edge.mp3"))).status, LyricsFile::Read);
}

TEST(RepeatMarks, PlacedAndReadBackInBothWindows)
{
    using varendo::playback::MarkWindow;
    // One minute in audio units on the main bar (572 wide) and the floating bar (593).
    EXPECT_EQ(markLeft(MarkWindow::Main, 572, 600, 200), 194);
    EXPECT_EQ(markLeft(MarkWindow::Floating, 593, 600, 200), 191);
    EXPECT_EQ(markValue(MarkWindow::Main, 572, 600, 194), 200);
    EXPECT_EQ(markValue(MarkWindow::Floating, 593, 600, 191), 200);
    // 552 / 26 * 13 = 276 exactly; 552 / 26 * 1 = 21.23 → 21; 0.5 steps round away from zero.
    EXPECT_EQ(markLeft(MarkWindow::Main, 572, 26, 13), 286);
    EXPECT_EQ(markLeft(MarkWindow::Main, 572, 26, 1), 31);
    EXPECT_EQ(markLeft(MarkWindow::Floating, 21, 2, 1), 1) << "0.5 rounds up";
    EXPECT_EQ(markValue(MarkWindow::Main, 572, 26, 31), 1);
    EXPECT_EQ(markValue(MarkWindow::Main, 572, 600, 10), 0);
    EXPECT_EQ(markValue(MarkWindow::Main, 572, 600, 4), -7) << "left of the bar's start reads below 0";
    // No range yet: marks stand at the start and read 0.
    EXPECT_EQ(markLeft(MarkWindow::Main, 572, 0, 200), 10);
    EXPECT_EQ(markLeft(MarkWindow::Floating, 593, 0, 200), 0);
    EXPECT_EQ(markValue(MarkWindow::Main, 572, 0, 300), 0);
}
