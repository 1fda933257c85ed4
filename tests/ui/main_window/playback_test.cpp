#include "program_folder.h"
#include "qstring_print.h"
#include "sound_media.h"
#include "video_media.h"

#include "audio/audio_object.h"
#include "gstreamer/core/seek_stall.h"
#include "playback/media_graph.h"
#include "playback/position_track_bar.h"
#include "playback/video_window.h"
#include "common/gbk_text.h"
#include "playback/repeat_marks.h"
#include "ui/main_window.h"
#include "ui/radio_group.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QRadioButton>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QGroupBox>
#include <QImage>
#include <QScopeGuard>
#include <QTest>
#include <QTextCursor>
#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

using namespace varendo;

// The lesson video plays inside the main window's video area, at the video area's place.
TEST(MainWindowVideo, ALessonVideoIsDrawnInTheVideoArea)
{
    const QString video = QStringLiteral(VARENDO_SOURCE_DIR "/course/demo/media/video/Book1-001.rm");
    if (!QFile::exists(video))
        GTEST_SKIP() << "no demo course in this tree";
    ProgramFolder folder;
    TForm1* f = folder.start().Form1;
    ASSERT_TRUE(folder.messages.isEmpty()) << folder.messages.join("\n").toStdString();
    ASSERT_TRUE(f->fltrgrph1->active());
    EXPECT_EQ(f->vdwndw1->parentWidget(), f->grp1);
    EXPECT_EQ(f->vdwndw1->geometry(), QRect(2, 8, 572, 465));
    EXPECT_EQ(f->dstrckbr1->geometry(), QRect(1, 473, 572, 16));

    ASSERT_TRUE(f->fltrgrph1->renderFile(video)) << f->fltrgrph1->lastError().toStdString();
    ASSERT_TRUE(f->fltrgrph1->play());
    // Wait for a picture: the slides are light text bands on a dark background.
    auto litPixels = [&] {
        const QImage shot = f->vdwndw1->grab().toImage();
        int lit = 0;
        for (int y = 0; y < shot.height(); y += 4)
            for (int x = 0; x < shot.width(); x += 4)
                lit += qGray(shot.pixel(x, y)) > 96;
        return lit;
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return litPixels() > 50; }, 20000)) << "no frame was drawn";
    // The position bar follows the graph once a second.
    EXPECT_TRUE(QTest::qWaitFor([&] { return f->dstrckbr1->maximum() == 26; }, 10000))
        << "Max " << f->dstrckbr1->maximum();

    if (const QByteArray shot = qgetenv("VARENDO_TEST_SCREENSHOT"); !shot.isEmpty())
        f->grab().save(QString::fromLocal8Bit(shot));
    f->fltrgrph1->stop();
}

// The main window's audio engine plays a lesson's MP3 through the real library.
TEST(MainWindowAudio, TheAudioPlayerPlaysALessonMp3)
{
    const QString mp3 = QStringLiteral(VARENDO_SOURCE_DIR "/course/demo/media/mp3/1/001&002－Excuse Me.mp3");
    if (!QFile::exists(mp3))
        GTEST_SKIP() << "no demo course in this tree";
    ProgramFolder folder;
    TForm1* f = folder.start().Form1;
    ASSERT_TRUE(f->audioPlayer);
    EXPECT_EQ(f->audioPlayer->State, TAudioEngine::StateStopped);
    f->audioPlayer->LoadAndPlay({mp3});
    EXPECT_EQ(f->audioPlayer->State, TAudioEngine::StatePlaying);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !f->audioPlayer->IsOpening(); }, 5000));
    EXPECT_NEAR(f->audioPlayer->GetLength(), 26100, 300);
    EXPECT_TRUE(QTest::qWaitFor([&] { return f->audioPlayer->GetPosition() >= 500; }, 10000));
    f->audioPlayer->Stop();
    EXPECT_EQ(f->audioPlayer->State, TAudioEngine::StateStopped);
}

namespace {

// Two audio lessons of book 1, each a tone of a few seconds with two timed sentences.
struct AudioCourse {
    // lastSeconds: the second lesson's length, when it differs from the first's.
    explicit AudioCourse(ProgramFolder& folder, double seconds = 3.5, double lastSeconds = 0)
    {
        QDir(folder.path()).mkpath(QStringLiteral("mp3/1"));
        QDir(folder.path()).mkpath(QStringLiteral("video"));
        QList<LessonRow> rows;
        for (int n : {1, 3}) {
            const QString mp3 = QStringLiteral("lesson%1.mp3").arg(n);
            const double length = n == 3 && lastSeconds > 0 ? lastSeconds : seconds;
            ok = ok && test::writeTone(folder.file(QStringLiteral("mp3/1/") + mp3), test::Encoding::Mp3, 440, length);
            LessonRow row;
            row.book = QStringLiteral("1");
            row.lesson = QString::number(n);
            row.title = QStringLiteral("Lesson %1").arg(n);
            row.text = QStringLiteral("Good morning. Excuse me! Is this your handbag? excuse ME!");
            row.timing = QStringLiteral("[00:01.20]Excuse me!\r\n[00:02.30]Is this your handbag?");
            row.audio = mp3;
            row.video = QStringLiteral("lesson%1.avi").arg(n);
            rows << row;
        }
        folder.writeLessons(rows);
    }
    bool ok = true;
};

QString selected(TForm1* f)
{
    return f->mmo1->textCursor().selectedText();
}

} // namespace

// An audio lesson plays, its spoken sentences are selected as they come, Space
// pauses and resumes, the arrows seek, and continuous study goes on to the next
// lesson and stops after the last.
TEST(Playback, AnAudioLessonIsFollowedSentenceBySentenceToTheEndOfTheBook)
{
    ProgramFolder folder;
    AudioCourse course(folder);
    ASSERT_TRUE(course.ok);
    TForm1* f = folder.start().Form1;
    ASSERT_EQ(f->rzchcklst1->count(), 2);
    f->rg1->SetItemIndex(1);
    f->rg1Click(f->rg1);
    ASSERT_TRUE(folder.messages.isEmpty()) << folder.messages.join("\n").toStdString();
    EXPECT_EQ(f->playMode, "mp3");
    EXPECT_EQ(f->rzm1->toPlainText(), "Lesson 1");
    EXPECT_FALSE(f->btPlay->isEnabled());
    EXPECT_FALSE(f->btup->isEnabled()) << "the first lesson has none before it";
    EXPECT_TRUE(f->btnext->isEnabled());
    EXPECT_TRUE(f->dstrckbr1->toolTip().startsWith("正在播放:"));

    // The first sentence is selected at its stamp, at its first occurrence.
    ASSERT_TRUE(QTest::qWaitFor([&] { return selected(f) == "Excuse me!"; }, 8000)) << selected(f).toStdString();
    EXPECT_EQ(f->sentenceSelStart, int(f->mmo1->toPlainText().indexOf("Excuse me!")));
    EXPECT_EQ(f->dstrckbr1->maximum(), 35);
    EXPECT_TRUE(f->StatusBar->text().endsWith("总长: 0:00:03")) << f->StatusBar->text().toStdString();

    // Space pauses, and again resumes.
    QTest::keyClick(f, Qt::Key_Space);
    EXPECT_EQ(f->audioPlayer->State, TAudioEngine::StatePaused);
    EXPECT_TRUE(f->btPlay->isEnabled());
    const int held = f->audioPlayer->GetPosition();
    QTest::qWait(300);
    EXPECT_NEAR(f->audioPlayer->GetPosition(), held, 20);
    QTest::keyClick(f, Qt::Key_Space);
    EXPECT_EQ(f->audioPlayer->State, TAudioEngine::StatePlaying);

    // Right arrow: a tenth of a second on; with Ctrl, a second.
    const int before = f->dstrckbr1->value();
    QTest::keyClick(f, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_GE(f->audioPlayer->GetPosition(), (before + 10) * 100 - 50);

    ASSERT_TRUE(QTest::qWaitFor([&] { return selected(f) == "Is this your handbag?"; }, 8000));

    // Continuous study: the next lesson loads and plays, and the last one stops.
    ASSERT_TRUE(QTest::qWaitFor([&] { return f->rzchcklst1->currentIndex() == 1; }, 8000));
    EXPECT_EQ(f->rzm1->toPlainText(), "Lesson 3");
    EXPECT_TRUE(f->btup->isEnabled());
    EXPECT_FALSE(f->btnext->isEnabled()) << "the last lesson has none after it";
    ASSERT_TRUE(QTest::qWaitFor([&] { return f->btPlay->isEnabled(); }, 10000)) << "the last lesson stops";
    EXPECT_NE(f->audioPlayer->State, TAudioEngine::StatePlaying);
    EXPECT_EQ(f->rzchcklst1->currentIndex(), 1);
    EXPECT_TRUE(folder.messages.isEmpty()) << folder.messages.join("\n").toStdString();
}

// Files opened directly: lyrics beside them in GBK or UTF-8, and the play list.
TEST(Playback, OpenedFilesShowTheirLyricsAndJoinThePlayList)
{
    ProgramFolder folder;
    const QString a = folder.file("a.mp3");
    const QString b = folder.file("b.mp3");
    ASSERT_TRUE(test::writeTone(a, test::Encoding::Mp3, 440, 2.0));
    ASSERT_TRUE(test::writeTone(b, test::Encoding::Mp3, 660, 2.0));
    auto write = [](const QString& path, const QByteArray& bytes) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    };
    ASSERT_TRUE(write(folder.file("a.lrc"), toGbk(QStringLiteral("[00:00.50]你好！\r\n[00:01.00]Goodbye.\r\n"))));
    ASSERT_TRUE(write(folder.file("b.lrc"), QStringLiteral("[00:01.00]再见。\n").toUtf8()));
    TForm1* f = folder.start().Form1;

    f->playopenfiles(a);
    EXPECT_EQ(f->rg1->ItemIndex(), -1);
    EXPECT_EQ(f->rzm1->toPlainText(), a);
    EXPECT_EQ(f->mmo1->toPlainText(), "你好！\nGoodbye.");
    EXPECT_EQ(f->timingList.size(), 2);
    EXPECT_TRUE(f->R2->isVisible());
    EXPECT_TRUE(f->N12->isVisible() && f->N12->isChecked());
    EXPECT_FALSE(f->btnext->isEnabled()) << "a play list of one";

    f->playopenfiles(b);
    EXPECT_EQ(f->mmo1->toPlainText(), "再见。");
    EXPECT_EQ(f->playListIndex, 1);
    EXPECT_TRUE(f->btup->isEnabled());
    EXPECT_FALSE(f->btnext->isEnabled());
    // The translation pane shows the sentence reached, for an opened file.
    ASSERT_TRUE(QTest::qWaitFor([&] { return f->rzm3->toPlainText() == "再见。"; }, 5000));

    // Back to the first: its entry is checked again, not added twice.
    f->btupClick(nullptr);
    EXPECT_EQ(f->rzm1->toPlainText(), a);
    EXPECT_EQ(f->playListCount, 2);
    EXPECT_EQ(f->playListIndex, 0);
    EXPECT_FALSE(f->btup->isEnabled());
    EXPECT_TRUE(f->btnext->isEnabled());

    // Without lyrics nothing is tracked.
    const QString c = folder.file("c.mp3");
    ASSERT_TRUE(test::writeTone(c, test::Encoding::Mp3, 550, 1.0));
    f->playopenfiles(c);
    EXPECT_TRUE(f->timingList.isEmpty());
    EXPECT_FALSE(f->N12->isVisible());
    EXPECT_TRUE(folder.messages.isEmpty()) << folder.messages.join("\n").toStdString();
}

// Lyrics as learners' players write them: found whatever the case of ".lrc", in UTF-16,
// with header tags, an offset, word times, a line sung twice, a translation under a
// line and a time inside a sentence. Each line is marked where it is shown, in time.
TEST(Playback, LyricsOfRealFilesAreShownReadableAndFollowed)
{
    ProgramFolder folder;
    const QString song = folder.file("song.mp3");
    ASSERT_TRUE(test::writeTone(song, test::Encoding::Mp3, 440, 6.0));
    const QString lyrics = QStringLiteral("[ti:Greetings]\r\n[ar:Someone]\r\n[offset:+1000]\r\n"
                                          "[0:02.00]<00:02.00>Hello <00:02.60>there\r\n[00:02.00]你好\r\n"
                                          "[00:03:50]Meet me at 00:04 today\r\n[00:05.00]Hello there\r\n");
    QFile file(folder.file("song.LRC"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("\xFF\xFE"));
    file.write(reinterpret_cast<const char*>(lyrics.utf16()), lyrics.size() * 2);
    file.close();

    TForm1* f = folder.start().Form1;
    struct Mark {
        int start;
        QString text;
    };
    std::vector<Mark> marks;
    QStringList translations;
    QObject::connect(f->mmo1, &QPlainTextEdit::selectionChanged, f, [&] {
        const QTextCursor cursor = f->mmo1->textCursor();
        const QString text = cursor.selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        if (!text.isEmpty() && (marks.empty() || marks.back().text != text || marks.back().start != cursor.selectionStart()))
            marks.push_back({cursor.selectionStart(), text});
    });
    QObject::connect(f->rzm3, &QPlainTextEdit::textChanged, f, [&] { translations << f->rzm3->toPlainText(); });

    f->playopenfiles(song);
    const QString shown = QStringLiteral("Hello there\n你好\nMeet me at 00:04 today\nHello there");
    EXPECT_EQ(f->mmo1->toPlainText(), shown) << "no header lines, no word times";
    EXPECT_TRUE(f->N12->isVisible() && f->N12->isChecked());
    ASSERT_TRUE(QTest::qWaitFor([&] { return marks.size() >= 3; }, 12000)) << marks.size() << " marks";
    const std::vector<Mark> expected{{0, QStringLiteral("Hello there\n你好")},
                                     {int(shown.indexOf(QStringLiteral("Meet"))), QStringLiteral("Meet me at 00:04 today")},
                                     {int(shown.lastIndexOf(QStringLiteral("Hello"))), QStringLiteral("Hello there")}};
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(marks[i].text, expected[i].text) << i;
        EXPECT_EQ(marks[i].start, expected[i].start) << i << ": where it is shown";
    }
    EXPECT_TRUE(translations.contains(QStringLiteral("Hello there\n你好"))) << translations.join("|").toStdString();
    EXPECT_TRUE(folder.messages.isEmpty()) << folder.messages.join("\n").toStdString();
}

// A lyric file far beyond any real one is not read: the learner is told, and the
// file plays without sentence tracking.
TEST(Playback, AHugeLyricFileIsNotReadAndTheFilePlaysWithoutTracking)
{
    ProgramFolder folder;
    const QString song = folder.file("long.mp3");
    ASSERT_TRUE(test::writeTone(song, test::Encoding::Mp3, 440, 2.0));
    QFile file(folder.file("long.lrc"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QByteArray line = "[00:01.00]The same line over and over again, as a broken tool wrote it.\r\n";
    while (file.size() < 3 * 1024 * 1024)
        file.write(line);
    file.close();

    TForm1* f = folder.start().Form1;
    f->playopenfiles(song);
    ASSERT_EQ(folder.messages.size(), 1);
    EXPECT_TRUE(folder.messages[0].contains(QStringLiteral("long.lrc")) && folder.messages[0].contains(QStringLiteral("没有载入"))
                && folder.messages[0].contains(QStringLiteral("没有句子跟踪")))
        << folder.messages[0].toStdString();
    EXPECT_TRUE(f->timingList.isEmpty());
    EXPECT_TRUE(f->mmo1->toPlainText().isEmpty());
    EXPECT_FALSE(f->N12->isVisible());
    EXPECT_FALSE(f->R2->isVisible());
    EXPECT_EQ(f->audioPlayer->State, TAudioEngine::StatePlaying);
}

// A lesson whose video is missing is reported and the first lesson's file plays instead.
TEST(Playback, AMissingLessonVideoFallsBackToTheFirstLesson)
{
    ProgramFolder folder;
    AudioCourse course(folder);
    ASSERT_TRUE(course.ok);
    const QString avi = test::aviFile(3);
    ASSERT_FALSE(avi.isEmpty());
    ASSERT_TRUE(QFile::copy(avi, folder.file("video/Book1-001.rm")));
    TForm1* f = folder.start().Form1;
    f->btPlayClick(nullptr); // at start, Play loads the selected lesson
    ASSERT_EQ(folder.messages.size(), 1) << folder.messages.join("\n").toStdString();
    EXPECT_TRUE(folder.messages[0].contains("暂时打开第一册第一课播放!"));
    EXPECT_TRUE(f->dstrckbr1->toolTip().endsWith("/video/Book1-001.rm")) << f->dstrckbr1->toolTip().toStdString();
    EXPECT_TRUE(f->btPause->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return f->dstrckbr1->maximum() == 3; }, 10000));
    EXPECT_TRUE(f->StatusBar->text().startsWith("当前: 0:00:0"));
    f->btPauseClick(nullptr);
    EXPECT_EQ(f->fltrgrph1->state(), TFilterGraph::State::Paused);
    QTest::keyClick(f, Qt::Key_Space);
    EXPECT_EQ(f->fltrgrph1->state(), TFilterGraph::State::Playing);
}

// The demo course as a learner meets it: an audio lesson is heard on the sound
// output and its spoken sentences are selected in the text.
TEST(Playback, ADemoLessonIsHeardAndItsSentencesFollowed)
{
    const QString demo = QStringLiteral(VARENDO_BINARY_DIR "/varendo/");
    if (!QFile::exists(demo + "varendo.mdb") || !QFile::exists(demo + "mp3/1/001&002－Excuse Me.mp3"))
        GTEST_SKIP() << "no demo course laid out (scripts/program-folder.sh)";
    test::MonitorRecording monitor;
    if (!monitor.start())
        GTEST_SKIP() << "no PulseAudio server with the null sink (run ./test.sh)";
    ProgramFolder folder;
    ASSERT_TRUE(QFile::copy(demo + "varendo.mdb", folder.file("varendo.mdb")));
    QDir(folder.path()).mkpath("mp3/1");
    for (const QString& name : QDir(demo + "mp3/1").entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(demo + "mp3/1/" + name, folder.file("mp3/1/" + name)));
    TForm1* f = folder.start().Form1;
    const double silence = monitor.levelOver(300);

    f->rg1->SetItemIndex(1);
    f->rg1Click(f->rg1);
    ASSERT_TRUE(folder.messages.isEmpty()) << folder.messages.join("\n").toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !selected(f).isEmpty(); }, 15000)) << "no sentence was selected";
    EXPECT_TRUE(f->mmo1->toPlainText().contains(selected(f)));
    const double speaking = monitor.levelOver(1500);
    EXPECT_GT(speaking, 200.0) << "the lesson is heard";
    EXPECT_GT(speaking, 10 * silence);

    if (const QByteArray shot = qgetenv("VARENDO_TEST_SCREENSHOT"); !shot.isEmpty())
        f->grab().save(QString::fromLocal8Bit(shot));
    f->btStopClick(nullptr);
}

namespace {

// Where playback jumped back while a stretch repeated: for each jump, the
// furthest place before it and the first place after it (milliseconds).
struct Jumps {
    QList<qint64> before, after;
};

// How late a tick and our 20 ms look at the position may come on a loaded
// machine; a missed tick is far more.
constexpr qint64 kLateTick = 150 * VARENDO_TIME_SCALE;

template <typename Position>
Jumps watchJumps(Position position, int ms, int wanted)
{
    Jumps jumps;
    qint64 last = position();
    QElapsedTimer clock;
    clock.start();
    // Until enough jumps were seen: on a busy machine each round may take a tick longer.
    while (clock.elapsed() < ms && jumps.after.size() < wanted) {
        QTest::qWait(20);
        const qint64 now = position();
        if (now < last - 1000) {
            jumps.before << last;
            jumps.after << now;
        }
        last = now;
    }
    return jumps;
}

} // namespace

// Opens a file in the video player and repeats two seconds of it from its second
// second, as the learner sets them with A, B and 复读; false when the bar never got there.
bool repeatTwoSecondsOf(TForm1* f, const QString& file)
{
    f->playopenfiles(file);
    TDSTrackBar* bar = f->dstrckbr1;
    // The bar moves once a second; a busy machine may see it skip one.
    if (!QTest::qWaitFor([&] { return bar->value() >= 2; }, 8000))
        return false;
    f->btnaClick(nullptr);
    if (!QTest::qWaitFor([&] { return bar->value() >= bar->selStart() + 2; }, 8000))
        return false;
    f->btnbClick(nullptr);
    f->btretuClick(nullptr);
    return true;
}

// A stretch set with the buttons repeats in audio mode, jumping back at the
// 250 ms tick that finds it past its end; the marks show it, and the messages
// say what is wrong with a stretch that cannot repeat.
TEST(Repeat, AnAudioStretchRepeatsUntilCleared)
{
    ProgramFolder folder;
    AudioCourse course(folder, 8.0);
    ASSERT_TRUE(course.ok);
    TForm1* f = folder.start().Form1;
    f->rg1->SetItemIndex(1);
    f->rg1Click(f->rg1);
    TDSTrackBar* bar = f->dstrckbr1;
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->maximum() == 80; }, 5000)) << bar->maximum();

    f->btretuClick(nullptr);
    ASSERT_EQ(folder.messages, QStringList{"请设置复读起终点！"});
    // The end set before the start: the stretch is the wrong way round.
    bar->setValue(10);
    f->btnbClick(nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->value() >= 30; }, 5000 * VARENDO_TIME_SCALE));
    f->btnaClick(nullptr);
    f->btretuClick(nullptr);
    ASSERT_EQ(folder.messages.size(), 2);
    EXPECT_EQ(folder.messages[1], "请设置正确复读的起终点！");
    EXPECT_FALSE(f->repeatOn);

    // 1 s to 3 s.
    bar->setValue(10);
    f->btnaClick(nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->value() >= 30; }, 5000 * VARENDO_TIME_SCALE));
    f->btnbClick(nullptr);
    const int start = bar->selStart(), end = bar->selEnd();
    EXPECT_EQ(start, 10);
    EXPECT_TRUE(f->btnabz->isVisible() && f->btnbbz->isVisible());
    EXPECT_EQ(f->btnabz->x(), bar->x() - 1 + playback::markLeft(playback::MarkWindow::Main, bar->width(), 80, start));
    EXPECT_LT(f->btnabz->x(), f->btnbbz->x());
    f->btretuClick(nullptr);
    EXPECT_TRUE(f->repeatOn);

    const Jumps jumps = watchJumps([&] { return qint64(f->audioPlayer->GetPosition()); }, 20000, 3);
    ASSERT_GE(jumps.after.size(), 3) << "the stretch plays again and again";
    for (int i = 0; i < jumps.after.size(); ++i) {
        EXPECT_NEAR(double(jumps.after[i]), start * 100.0, 300.0) << "jump " << i << " lands at A";
        EXPECT_LE(jumps.before[i], end * 100 + 250 + kLateTick) << "jump " << i << ": at most one tick past B";
    }

    // Stop ends the repeat and keeps the stretch; clearing removes it.
    f->btStopClick(nullptr);
    EXPECT_FALSE(f->repeatOn);
    EXPECT_EQ(bar->selStart(), start);
    EXPECT_EQ(bar->selEnd(), end);
    f->C1Click(nullptr);
    EXPECT_EQ(bar->selStart(), 0);
    EXPECT_EQ(bar->selEnd(), 0);
    EXPECT_FALSE(f->btnabz->isVisible() || f->btnbbz->isVisible());
}

// In video mode the stretch is in whole seconds and the one-second tick jumps back.
TEST(Repeat, AVideoStretchRepeatsInWholeSeconds)
{
    const QString avi = test::aviFile(10);
    ASSERT_FALSE(avi.isEmpty());
    ProgramFolder folder;
    TForm1* f = folder.start().Form1;
    ASSERT_TRUE(repeatTwoSecondsOf(f, avi));
    TDSTrackBar* bar = f->dstrckbr1;
    const qint64 start = bar->selStart() * 1000, end = bar->selEnd() * 1000;
    const Jumps jumps = watchJumps([&] { return f->fltrgrph1->currentPositionMs().value_or(0); }, 20000, 3);
    ASSERT_GE(jumps.after.size(), 3);
    for (int i = 0; i < jumps.after.size(); ++i) {
        EXPECT_NEAR(double(jumps.after[i]), double(start), 300.0) << "jump " << i;
        EXPECT_LE(jumps.before[i], end + 1000 + kLateTick) << "jump " << i << ": at most one tick past B";
    }
    EXPECT_TRUE(folder.messages.isEmpty()) << folder.messages.join("\n").toStdString();
}

// Watches a repeating stretch jump back once, makes the next jump stall its player,
// and expects the stretch to go on repeating from startMs all the same.
template <typename Position>
void expectRepeatingThroughAStall(TForm1* f, Position position, qint64 startMs)
{
    ASSERT_EQ(watchJumps(position, 10000, 1).after.size(), 1);
    const int stalled = gst::SeekStall::stalledCount();
    gst::SeekStall::armNext();
    // The stalled jump, then the stretch again and again.
    const Jumps jumps = watchJumps(position, 40000, 3);
    EXPECT_EQ(gst::SeekStall::stalledCount(), stalled + 1) << "the next jump stalled";
    ASSERT_EQ(jumps.after.size(), 3) << "the stretch stopped repeating; at " << position();
    for (qint64 after : jumps.after)
        EXPECT_NEAR(double(after), double(startMs), 300.0);
    EXPECT_TRUE(f->repeatOn);
}

// A jump back to A that leaves the player stuck (its sink waiting on the clock for
// good, as a busy sound server can leave it: the position stays at A, the state says
// playing, nothing is heard) is got out of, and the stretch goes on repeating, in
// the audio player and in the video player.
TEST(Repeat, AJumpThatStallsThePlayerIsGotOutOfAndTheStretchGoesOn)
{
    {
        SCOPED_TRACE("audio");
        ProgramFolder folder;
        AudioCourse course(folder, 8.0);
        ASSERT_TRUE(course.ok);
        TForm1* f = folder.start().Form1;
        f->rg1->SetItemIndex(1);
        f->rg1Click(f->rg1);
        TDSTrackBar* bar = f->dstrckbr1;
        ASSERT_TRUE(QTest::qWaitFor([&] { return bar->maximum() == 80; }, 5000)) << bar->maximum();
        bar->setValue(10);
        f->btnaClick(nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return bar->value() >= 30; }, 5000 * VARENDO_TIME_SCALE));
        f->btnbClick(nullptr);
        f->btretuClick(nullptr);
        expectRepeatingThroughAStall(f, [&] { return qint64(f->audioPlayer->GetPosition()); }, 1000);
        EXPECT_EQ(f->audioPlayer->State, TAudioEngine::StatePlaying);
        EXPECT_TRUE(folder.messages.isEmpty()) << folder.messages.join("\n").toStdString();
        f->btStopClick(nullptr);
    }
    {
        SCOPED_TRACE("video");
        const QString avi = test::aviFile(10);
        ASSERT_FALSE(avi.isEmpty());
        ProgramFolder folder;
        TForm1* f = folder.start().Form1;
        ASSERT_TRUE(repeatTwoSecondsOf(f, avi));
        expectRepeatingThroughAStall(f, [&] { return f->fltrgrph1->currentPositionMs().value_or(0); },
                                     f->dstrckbr1->selStart() * 1000);
        EXPECT_EQ(f->fltrgrph1->state(), TFilterGraph::State::Playing);
        EXPECT_TRUE(folder.messages.isEmpty()) << folder.messages.join("\n").toStdString();
        f->btStopClick(nullptr);
    }
}

// A video that cannot seek (a RealMedia file without an index) does not freeze at
// the jump back to A: it plays on from its start, and the learner is told why once.
TEST(Playback, ALessonVideoThatCannotSeekPlaysOnAndSaysSoOnce)
{
    const QString rm = test::realMediaFile(8);
    ASSERT_FALSE(rm.isEmpty());
    ProgramFolder folder;
    TForm1* f = folder.start().Form1;
    ASSERT_TRUE(repeatTwoSecondsOf(f, rm));
    // The jump back is refused: the learner hears why, and the video plays on.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !folder.messages.isEmpty(); }, 8000));
    EXPECT_TRUE(folder.messages.first().contains(QStringLiteral("不能跳到指定位置"))) << folder.messages.first().toStdString();
    const qint64 at = f->fltrgrph1->currentPositionMs().value_or(0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return f->fltrgrph1->currentPositionMs().value_or(0) >= at + 1500; }, 8000))
        << "the picture froze at " << at;
    QTest::qWait(1500);
    EXPECT_EQ(folder.messages.size(), 1) << folder.messages.join("\n").toStdString();
    f->btStopClick(nullptr);
}

// A shorter lesson or file started while the position bar stands past its end
// plays from its start: the bar's new range is the program's, never a seek.
TEST(Playback, AShorterLessonOrFileAfterALongerOnePlaysFromItsStart)
{
    ProgramFolder folder;
    AudioCourse course(folder, 6.0, 2.5);
    ASSERT_TRUE(course.ok);
    const QString longer = folder.file("longer.mp3"), shorter = folder.file("shorter.mp3");
    ASSERT_TRUE(test::writeTone(longer, test::Encoding::Mp3, 550, 6.0));
    ASSERT_TRUE(test::writeTone(shorter, test::Encoding::Mp3, 660, 2.5));
    TForm1* f = folder.start().Form1;
    ASSERT_TRUE(f->C3->isChecked()) << "continuous study would move on at an end";
    auto playsFromItsStart = [&](const char* what) {
        QTest::qWait(700);
        EXPECT_EQ(f->audioPlayer->State, TAudioEngine::StatePlaying) << what;
        EXPECT_LT(f->audioPlayer->GetPosition(), 1500) << what;
        EXPECT_TRUE(f->btPause->isEnabled()) << what;
    };

    f->rg1->SetItemIndex(1);
    f->rg1Click(f->rg1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return f->dstrckbr1->value() >= 35; }, 8000 * VARENDO_TIME_SCALE));
    f->rzchcklst1->setCurrentIndex(1);
    f->rzchcklst1Change(f->rzchcklst1);
    EXPECT_EQ(f->rzm1->toPlainText(), "Lesson 3");
    playsFromItsStart("the shorter lesson");
    EXPECT_EQ(f->rzchcklst1->currentIndex(), 1);

    f->playopenfiles(longer);
    ASSERT_TRUE(QTest::qWaitFor([&] { return f->dstrckbr1->value() >= 35; }, 8000 * VARENDO_TIME_SCALE));
    f->playopenfiles(shorter);
    playsFromItsStart("the shorter file");
    EXPECT_EQ(f->rzm1->toPlainText(), shorter);
    EXPECT_TRUE(folder.messages.isEmpty()) << folder.messages.join("\n").toStdString();
}

// A file neither player can play is told, and the controls are as after Stop:
// a broken video, a play list opened as a file, a broken MP3.
TEST(Playback, AFileThatCannotPlayIsToldAndTheControlsReset)
{
    ProgramFolder folder;
    auto write = [](const QString& path, const QByteArray& bytes) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    };
    QByteArray noise(64 * 1024, '\0');
    for (qsizetype i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919 + 13) % 251);
    ASSERT_TRUE(write(folder.file("broken.avi"), noise));
    ASSERT_TRUE(write(folder.file("radio.pls"), "[playlist]\nFile1=http://127.0.0.1:9/none\nNumberOfEntries=1\n"));
    ASSERT_TRUE(write(folder.file("broken.mp3"), noise));
    TForm1* f = folder.start().Form1;

    for (const QString name : {"broken.avi", "radio.pls", "broken.mp3"}) {
        folder.messages.clear();
        f->playopenfiles(folder.file(name));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !folder.messages.isEmpty(); }, 15000 * VARENDO_TIME_SCALE))
            << name.toStdString() << " failed in silence";
        EXPECT_TRUE(folder.messages[0].startsWith("无法播放媒体文件：" + folder.file(name)))
            << folder.messages[0].toStdString();
        EXPECT_TRUE(f->btPlay->isEnabled()) << name.toStdString();
        EXPECT_FALSE(f->btPause->isEnabled() || f->btStop->isEnabled() || f->btna->isEnabled())
            << name.toStdString();
        EXPECT_NE(f->fltrgrph1->state(), TFilterGraph::State::Playing) << name.toStdString();
        EXPECT_NE(f->audioPlayer->State, TAudioEngine::StatePlaying) << name.toStdString();
        QTest::qWait(300);
        EXPECT_EQ(folder.messages.size(), 1) << "told once: " << folder.messages.join("\n").toStdString();
    }
}

// The mode switch, the repeat button and the stretch as a learner uses them.
TEST(Repeat, ModeChoiceRepeatButtonAndStretchBehaveAsTheLearnerSeesThem)
{
    ProgramFolder folder;
    AudioCourse course(folder, 6.0);
    ASSERT_TRUE(course.ok);
    const QString avi = test::aviFile(3);
    ASSERT_FALSE(avi.isEmpty());
    ASSERT_TRUE(QFile::copy(avi, folder.file("video/lesson1.avi")));
    TForm1* f = folder.start().Form1;
    TDSTrackBar* bar = f->dstrckbr1;

    // A video lesson: a sentence step does not start the 250 ms tick, which
    // video lessons do without.
    f->btPlayClick(nullptr);
    ASSERT_TRUE(folder.messages.isEmpty()) << folder.messages.join("\n").toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->maximum() == 3; }, 10000 * VARENDO_TIME_SCALE));
    QTest::keyClick(f, Qt::Key_D);
    EXPECT_FALSE(f->tmr1->isActive());

    // The audio lessons chosen with the mouse.
    QTest::mouseClick(f->rg1->button(1), Qt::LeftButton);
    ASSERT_EQ(f->playMode, "mp3");
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->value() >= 10; }, 8000 * VARENDO_TIME_SCALE));

    // 复读 without a stretch: the message, and the button is not left pressed.
    f->btretu->click();
    EXPECT_EQ(folder.messages, QStringList{"请设置复读起终点！"});
    EXPECT_FALSE(f->btretu->isChecked());
    f->btnaClick(nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->value() >= bar->selStart() + 10; }, 8000 * VARENDO_TIME_SCALE));
    f->btnbClick(nullptr);
    const int start = bar->selStart(), end = bar->selEnd();
    f->btretu->click();
    EXPECT_TRUE(f->repeatOn);
    EXPECT_TRUE(f->btretu->isChecked());

    // Space on the item already chosen does not start the lesson again or clear the stretch.
    const int before = f->audioPlayer->GetPosition();
    QTest::keyClick(f->rg1->button(1), Qt::Key_Space);
    QTest::qWait(300);
    EXPECT_GE(f->audioPlayer->GetPosition() + 400, before) << "the lesson started again";
    EXPECT_EQ(bar->selStart(), start);
    EXPECT_EQ(bar->selEnd(), end);
    EXPECT_TRUE(f->btnabz->isVisible());
    EXPECT_EQ(f->rg1->button(1)->focusPolicy() & Qt::ClickFocus, 0) << "a click leaves the focus where it was";

    // Stop ends the repeat, and the button shows it.
    f->btStop->click();
    EXPECT_FALSE(f->btretu->isChecked());

    // The next lesson starts without the last one's stretch.
    f->btPlayClick(nullptr);
    f->btnextClick(nullptr);
    EXPECT_EQ(f->rzm1->toPlainText(), "Lesson 3");
    EXPECT_EQ(bar->selStart(), 0);
    EXPECT_EQ(bar->selEnd(), 0);
    EXPECT_FALSE(f->btnabz->isVisible() || f->btnbbz->isVisible());
    EXPECT_FALSE(f->repeatOn);
    EXPECT_EQ(folder.messages.size(), 1) << folder.messages.join("\n").toStdString();
}

// A lesson's MP3 unzipped from a Windows archive has a name in GBK bytes: the
// lesson plays it, and no file is reported missing.
TEST(Playback, ALessonWhoseMediaIsNamedInGbkBytesPlays)
{
    ProgramFolder folder;
    ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("mp3/1")) && QDir(folder.path()).mkpath(QStringLiteral("video")));
    const QString name = QStringLiteral("第三课.mp3");
    ASSERT_TRUE(test::writeTone(folder.file("mp3/1/tone.mp3"), test::Encoding::Mp3, 440, 3.0));
    const QByteArray onDisk = QFile::encodeName(folder.file("mp3/1/")) + toGbk(name);
    ASSERT_EQ(::rename(QFile::encodeName(folder.file("mp3/1/tone.mp3")).constData(), onDisk.constData()), 0);
    // The temporary folder's own clean-up reads names as UTF-8.
    const auto cleanUp = qScopeGuard([&] { ::unlink(onDisk.constData()); });
    LessonRow row;
    row.book = QStringLiteral("1");
    row.lesson = QStringLiteral("1");
    row.title = QStringLiteral("Lesson 1");
    row.audio = name;
    row.video = QStringLiteral("lesson1.avi");
    folder.writeLessons({row});
    TForm1* f = folder.start().Form1;
    f->rg1->SetItemIndex(1);
    f->rg1Click(f->rg1);
    EXPECT_TRUE(folder.messages.isEmpty()) << folder.messages.join("\n").toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return f->audioPlayer->GetPosition() >= 500; }, 8000 * VARENDO_TIME_SCALE));
    f->btStopClick(nullptr);
}
