// Time texts, the sentence a tick marks, the end-of-file rule and lyrics files.
#include "common/gbk_text.h"
#include "playback/repeat_marks.h"
#include "playback/sentence_tracking.h"

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
    const QString text = QStringLiteral("Excuse me! Yes? Is this your handbag? Excuse me! 对不起。");
    const QStringList lines{QStringLiteral("[00:00.50]Lesson one"),       QStringLiteral("[00:02.10]Excuse me!"),
                            QStringLiteral("[00:02.90]Not this one"),     QStringLiteral("[00:05.00]is THIS your handbag?"),
                            QStringLiteral("[00:07.00]对不起。"),          QStringLiteral("[00:09.00]Nowhere in the text")};

    EXPECT_FALSE(markSentence(QStringLiteral("00:00"), lines, QString(), text, true)) << "00:00 is never marked";

    const auto first = markSentence(QStringLiteral("00:02"), lines, QString(), text, true);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->sentence, QStringLiteral("Excuse me!")) << "the first line holding the stamp";
    EXPECT_TRUE(first->found);
    EXPECT_EQ(first->start, 0) << "its first occurrence";
    EXPECT_EQ(first->length, 10);
    EXPECT_FALSE(markSentence(QStringLiteral("00:02"), lines, first->stamp, text, true)) << "not twice in a row";

    const auto latin = markSentence(QStringLiteral("00:05"), lines, first->stamp, text, false);
    ASSERT_TRUE(latin);
    EXPECT_EQ(latin->start, int(text.indexOf(QStringLiteral("Is this")))) << "Latin letters compare in any case";
    EXPECT_EQ(latin->length, 0) << "without selecting, only the caret moves";

    const auto chinese = markSentence(QStringLiteral("00:07"), lines, latin->stamp, text, true);
    ASSERT_TRUE(chinese);
    EXPECT_EQ(chinese->start, int(text.indexOf(QStringLiteral("对不起"))));

    const auto missing = markSentence(QStringLiteral("00:09"), lines, chinese->stamp, text, true);
    ASSERT_TRUE(missing) << "the stamp is acted on (and a pause would come) even when the sentence is not found";
    EXPECT_FALSE(missing->found);
    EXPECT_FALSE(markSentence(QStringLiteral("00:42"), lines, QString(), text, true));
}

TEST(EndOfFile, ContinuousStudyStepsOnStopsOrStartsTheListAgain)
{
    EXPECT_EQ(continueRule(false, true, 0), EndStep::Next);
    EXPECT_EQ(continueRule(false, false, 5), EndStep::Stop) << "the last lesson of a book stops";
    EXPECT_EQ(continueRule(true, true, 3), EndStep::Next);
    EXPECT_EQ(continueRule(true, false, 1), EndStep::Stop) << "a one-entry list stops";
    EXPECT_EQ(continueRule(true, false, 2), EndStep::FirstOfList);
}

TEST(Lyrics, BesideTheFileInEitherEncoding)
{
    EXPECT_EQ(lyricsPathFor(QStringLiteral("/d/x.mp3/a.mp3")), QStringLiteral("/d/x.mp3/a.lrc"));
    EXPECT_EQ(lyricsPathFor(QStringLiteral("/d/v.1/lesson.final.avi")), QStringLiteral("/d/v.1/lesson.final.lrc"));
    EXPECT_EQ(lyricsPathFor(QStringLiteral("/d/noext")), QStringLiteral("/d/noext.lrc"));

    const QStringList lines{QStringLiteral("[00:01.00]你好，Tom!"), QStringLiteral("[00:03.00]Goodbye.")};
    const QString text = lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    EXPECT_EQ(decodeLyrics(QByteArray("\xEF\xBB\xBF") + text.toUtf8()), lines) << "UTF-8 with a byte-order mark";
    EXPECT_EQ(decodeLyrics(text.toUtf8()), lines);
    EXPECT_EQ(decodeLyrics(varendo::toGbk(text)), lines) << "bytes that are no UTF-8 are GBK";
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
