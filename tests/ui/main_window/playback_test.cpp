#include "program_folder.h"

#include "audio/audio_object.h"
#include "playback/media_graph.h"
#include "playback/position_track_bar.h"
#include "playback/video_window.h"
#include "ui/main_window.h"

#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

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
