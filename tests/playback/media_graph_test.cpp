// The media graph, video window and track bar together over GStreamer, on
// files generated on this machine (AVI, ASF/WMV, RealMedia, MP4).
#include "gstreamer/video/gst_media_engine.h"
#include "gstreamer/core/teardown.h"
#include "gstreamer/core/seek_stall.h"
#include "playback/media_arithmetic.h"
#include "playback/media_graph.h"
#include "playback/position_track_bar.h"
#include "playback/video_window.h"
#include "playback_test_support.h"
#include "video_media.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

using varendo::playback::GraphState;
using namespace varendo::test;

namespace {

constexpr int kWaitMs = 15000;  // generous: the machine is shared and busy

class MediaGraph : public ::testing::Test {
protected:
    void SetUp() override
    {
        host.resize(576, 519);
        video = new TVideoWindow(&host);
        video->setGeometry(2, 8, 572, 465);
        bar = new TDSTrackBar(&host);
        bar->setGeometry(1, 473, 572, 16);
        graph = std::make_unique<TFilterGraph>(varendo::gst::mediaEngineFactory());
        graph->setActive(true);
        graph->setVideoWindow(video);
        bar->setFilterGraph(graph.get());
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    }

    void TearDown() override
    {
        graph.reset();
        varendo::gst::Teardown::instance().waitIdle(std::chrono::seconds(10));
    }

    static QString need(const QString& path)
    {
        if (path.isEmpty())
            ADD_FAILURE() << "test media: " << lastMediaError().toStdString();
        return path;
    }

    // Renders and plays, and waits for the first picture.
    void startPlaying(const QString& path)
    {
        ASSERT_FALSE(path.isEmpty());
        ASSERT_TRUE(graph->renderFile(path)) << graph->lastError().toStdString();
        ASSERT_TRUE(graph->play());
        ASSERT_EQ(graph->state(), GraphState::Playing);
        ASSERT_TRUE(waitForNewFrame(*video)) << "no picture reached the video window";
    }

    bool waitForTick(QSignalSpy& ticks, int atLeast = 1)
    {
        return QTest::qWaitFor([&] { return ticks.count() >= atLeast; }, kWaitMs);
    }

    QWidget host;
    TVideoWindow* video = nullptr;
    TDSTrackBar* bar = nullptr;
    std::unique_ptr<TFilterGraph> graph;
};

struct Format {
    const char* name;
    std::function<QString()> make;
};

class MediaGraphFormat : public MediaGraph, public ::testing::WithParamInterface<Format> {};

TEST_P(MediaGraphFormat, PlaysVisiblyAndTicksInWholeSeconds)
{
    const QString path = need(GetParam().make());
    QSignalSpy ticks(bar, &TDSTrackBar::timer);
    startPlaying(path);

    // The picture fills the width; 4:3 in 572x465 leaves black bands of 18 rows.
    const QImage shot = video->grab().toImage();
    EXPECT_TRUE(near(shot.pixelColor(286, 232), testPictureColour()))
        << "centre is " << shot.pixelColor(286, 232).name().toStdString();
    EXPECT_TRUE(near(shot.pixelColor(5, 30), testPictureColour()));
    EXPECT_TRUE(isBlack(shot.pixelColor(286, 5)));
    EXPECT_TRUE(isBlack(shot.pixelColor(286, 460)));

    ASSERT_TRUE(waitForTick(ticks));
    const qint64 current = ticks.first().at(0).toLongLong();
    const qint64 duration = ticks.first().at(1).toLongLong();
    EXPECT_NEAR(duration, 4000, 400);
    EXPECT_GE(current, 0);
    EXPECT_LE(current, duration);
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), duration / 1000);
    EXPECT_EQ(graph->durationMs().value_or(-1), duration);
    EXPECT_TRUE(bar->ticking());
}

INSTANTIATE_TEST_SUITE_P(Files, MediaGraphFormat,
                         ::testing::Values(Format{"Avi", [] { return aviFile(4); }},
                                           Format{"AsfWmv", [] { return wmvFile(4); }},
                                           Format{"RealMedia", [] { return realMediaFile(4); }},
                                           Format{"Mp4", [] { return mp4File(4); }}),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(MediaGraph, SeeksPausesAndStops)
{
    const QString path = need(aviFile(4));
    ASSERT_TRUE(graph->renderFile(path));
    EXPECT_EQ(graph->state(), GraphState::Stopped);

    ASSERT_TRUE(graph->pause());
    EXPECT_EQ(graph->state(), GraphState::Paused);
    EXPECT_FALSE(bar->ticking());
    ASSERT_TRUE(graph->seek(2.0));
    EXPECT_EQ(graph->currentPositionMs().value_or(-1), 2000);
    // Once the seek has landed the pipeline itself reads 2 s.
    ASSERT_TRUE(waitForNewFrame(*video));
    qint64 landed = -1;
    EXPECT_TRUE(QTest::qWaitFor([&] {
        landed = graph->currentPositionMs().value_or(-1);
        return landed >= 2000 && landed < 2100;
    }, kWaitMs)) << "position " << landed;

    QSignalSpy ticks(bar, &TDSTrackBar::timer);
    ASSERT_TRUE(graph->play());
    EXPECT_TRUE(bar->ticking());
    ASSERT_TRUE(waitForTick(ticks));
    EXPECT_GE(ticks.first().at(0).toLongLong(), 2000) << "played from the start, not from the seek";
    EXPECT_GE(bar->value(), 2);

    ASSERT_TRUE(graph->pause());
    EXPECT_EQ(graph->state(), GraphState::Paused);
    EXPECT_FALSE(bar->ticking());

    ASSERT_TRUE(graph->stop());
    EXPECT_EQ(graph->state(), GraphState::Stopped);
    EXPECT_FALSE(bar->ticking());
    EXPECT_EQ(graph->currentPositionMs().value_or(-1), 0);

    // Play after a stop starts again from the beginning.
    ticks.clear();
    ASSERT_TRUE(graph->play());
    ASSERT_TRUE(waitForTick(ticks));
    // From the stop's 2 s the first tick would read 3 s or more.
    EXPECT_LT(ticks.first().at(0).toLongLong(), 2600);
}

TEST_F(MediaGraph, SeeksWhilePlayingAndRightAfterStarting)
{
    const QString path = need(aviFile(8));
    ASSERT_TRUE(graph->renderFile(path));
    ASSERT_TRUE(graph->play());
    // Sent while the pipeline is still starting: it must not be lost.
    ASSERT_TRUE(graph->seek(5.0));
    QSignalSpy ticks(bar, &TDSTrackBar::timer);
    ASSERT_TRUE(waitForTick(ticks));
    EXPECT_GE(ticks.last().at(0).toLongLong(), 5000);

    // Two seeks in a row while playing: the last one wins.
    ASSERT_TRUE(graph->seek(1.0));
    ASSERT_TRUE(graph->seek(2.0));
    ticks.clear();
    ASSERT_TRUE(waitForTick(ticks));
    const qint64 at = ticks.first().at(0).toLongLong();
    EXPECT_GE(at, 2000);
    EXPECT_LT(at, 4500);

    // Before the start lands on the start.
    ASSERT_TRUE(graph->seek(-3.0));
    EXPECT_EQ(graph->currentPositionMs().value_or(-1), 0);
}

// A seek that leaves the pipeline stuck (no picture or sound after the flush, as a
// sink waiting on the clock for good) is got out of by the watchdog: the file plays
// on from where the seek went.
TEST_F(MediaGraph, AStalledSeekIsGotOutOfAndPlaysOnFromWhereItWent)
{
    startPlaying(need(aviFile(10)));
    const int stalled = varendo::gst::SeekStall::stalledCount();
    varendo::gst::SeekStall::armNext();
    ASSERT_TRUE(graph->seek(4.0));
    QTest::qWait(1000);
    ASSERT_EQ(varendo::gst::SeekStall::stalledCount(), stalled + 1);
    EXPECT_EQ(graph->currentPositionMs().value_or(-1), 4000) << "the seek stalled where it went";
    EXPECT_EQ(graph->state(), GraphState::Playing);
    ASSERT_TRUE(QTest::qWaitFor([&] { return graph->currentPositionMs().value_or(0) >= 4600; }, kWaitMs))
        << "still at " << graph->currentPositionMs().value_or(-1);
    EXPECT_LT(graph->currentPositionMs().value_or(0), 9000);
    EXPECT_TRUE(waitForNewFrame(*video)) << "pictures come again";
}

// Every video of the demo course can be sought: the first lesson's video is the
// start lesson and stands in for every missing lesson video.
TEST_F(MediaGraph, EveryDemoVideoSeeksAndPlaysOn)
{
    const QDir demo(QStringLiteral(VARENDO_SOURCE_DIR "/course/demo/media/video"));
    const QStringList videos = demo.entryList(QDir::Files, QDir::Name);
    ASSERT_FALSE(videos.isEmpty()) << demo.path().toStdString();
    QSignalSpy refused(graph.get(), &TFilterGraph::seekFailed);
    for (const QString& name : videos) {
        SCOPED_TRACE(name.toStdString());
        startPlaying(demo.filePath(name));
        ASSERT_TRUE(graph->seek(10.0));
        EXPECT_TRUE(QTest::qWaitFor([&] { return graph->currentPositionMs().value_or(0) >= 11000; }, kWaitMs))
            << "at " << graph->currentPositionMs().value_or(-1);
        EXPECT_LT(graph->currentPositionMs().value_or(0), 14000) << "it went to 10 s, not elsewhere";
        graph->clearGraph();
    }
    EXPECT_EQ(refused.count(), 0) << refused.value(0).value(0).toString().toStdString();
}

// A file whose demuxer refuses to seek (a RealMedia file without an index) does not
// freeze: it plays on from its beginning, at the normal speed even when another is
// chosen, and the learner is told once.
TEST_F(MediaGraph, AFileThatRefusesToSeekPlaysOnFromItsStartAndSaysSoOnce)
{
    const QString path = need(realMediaFile(6));
    QSignalSpy refused(graph.get(), &TFilterGraph::seekFailed);
    // Another speed is applied by a seek, which this file refuses: it plays all the same.
    graph->setRate(0.8);
    startPlaying(path);
    ASSERT_TRUE(QTest::qWaitFor([&] { return graph->currentPositionMs().value_or(0) >= 1000; }, kWaitMs))
        << "at " << graph->currentPositionMs().value_or(-1);
    ASSERT_EQ(refused.count(), 1);
    EXPECT_TRUE(refused.first().at(0).toString().contains(QStringLiteral("没有索引")));

    EXPECT_FALSE(graph->seek(4.0)) << "a seek in it is refused at once";
    const qint64 at = graph->currentPositionMs().value_or(0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return graph->currentPositionMs().value_or(0) >= at + 500; }, kWaitMs))
        << "it plays on";
    EXPECT_EQ(refused.count(), 1) << "told once";
    EXPECT_EQ(graph->state(), GraphState::Playing);

    // Another file seeks as before.
    startPlaying(need(aviFile(8)));
    ASSERT_TRUE(graph->seek(4.0));
    EXPECT_TRUE(QTest::qWaitFor([&] { return graph->currentPositionMs().value_or(0) >= 4500; }, kWaitMs));
    graph->setRate(1.0);
}

TEST_F(MediaGraph, SeekPastTheEndEndsTheFileAndSeekingBackPlaysOn)
{
    QSignalSpy ended(graph.get(), &TFilterGraph::endOfMedia);
    startPlaying(need(aviFile(4)));
    ASSERT_TRUE(graph->seek(100.0));
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended.count() == 1; }, kWaitMs));
    EXPECT_EQ(graph->currentPositionMs(), graph->durationMs());
    ASSERT_TRUE(graph->seek(1.0));
    QSignalSpy ticks(bar, &TDSTrackBar::timer);
    ASSERT_TRUE(waitForTick(ticks, 2));
    EXPECT_GE(ticks.last().at(0).toLongLong(), 1000);
    EXPECT_LT(ticks.last().at(0).toLongLong(), 3900) << "still at the end";
}

TEST_F(MediaGraph, RendersPathsWithChineseLettersBlanksAndAmpersands)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("第1册 第1课 001&002－Excuse Me #1.avi"));
    ASSERT_TRUE(QFile::copy(need(aviFile(2)), path));
    startPlaying(path);
    EXPECT_TRUE(near(pixelOf(*video, {286, 232}), testPictureColour()));
}

TEST_F(MediaGraph, VolumeIsKeptReadBackAndAppliedLogarithmically)
{
    EXPECT_EQ(graph->volume(), 10000);
    ASSERT_TRUE(graph->renderFile(need(aviFile(4))));
    struct Case { int volume; double gain; };
    for (const Case c : {Case{0, 0.0}, Case{1, std::pow(10.0, -9247 / 2000.0)},
                         Case{5000, std::pow(10.0, -752 / 2000.0)}, Case{10000, 1.0}}) {
        graph->setVolume(c.volume);
        EXPECT_EQ(graph->volume(), c.volume);
        // The sound server keeps volumes on its own integer scale: 1% leeway.
        EXPECT_NEAR(graph->appliedGain(), c.gain, c.gain * 0.01 + 1e-9) << "volume " << c.volume;
    }
    graph->setVolume(20000);
    EXPECT_EQ(graph->volume(), 10000);
    graph->setVolume(-1);
    EXPECT_EQ(graph->volume(), 0);

    // Kept across files and across deactivation.
    graph->setVolume(5000);
    graph->clearGraph();
    ASSERT_TRUE(graph->renderFile(need(wmvFile(4))));
    EXPECT_NEAR(graph->appliedGain(), std::pow(10.0, -752 / 2000.0), 0.005);
    graph->setActive(false);
    EXPECT_EQ(graph->volume(), 5000);
    graph->setActive(true);
    ASSERT_TRUE(graph->renderFile(need(aviFile(4))));
    EXPECT_NEAR(graph->appliedGain(), std::pow(10.0, -752 / 2000.0), 0.005);
}

TEST_F(MediaGraph, ClearsAndRendersAnotherFile)
{
    startPlaying(need(aviFile(4)));
    graph->clearGraph();
    EXPECT_EQ(graph->state(), GraphState::Stopped);
    EXPECT_FALSE(video->hasFrame());
    EXPECT_TRUE(isBlack(pixelOf(*video, {286, 232})));
    EXPECT_FALSE(graph->currentPositionMs().has_value());
    EXPECT_FALSE(graph->play()) << "nothing to play after a clear";
    EXPECT_FALSE(bar->ticking());

    startPlaying(need(realMediaFile(4)));
    EXPECT_TRUE(near(pixelOf(*video, {286, 232}), testPictureColour()));
}

TEST_F(MediaGraph, BadFilesNeitherHangNorCrash)
{
    const QString missing = testMediaDir() + QStringLiteral("/no such file.avi");
    EXPECT_FALSE(graph->renderFile(missing));
    EXPECT_FALSE(graph->lastError().isEmpty());
    EXPECT_EQ(graph->state(), GraphState::Stopped);
    EXPECT_FALSE(graph->play());
    EXPECT_FALSE(bar->ticking());

    // A file that is no media is found out while it opens, without holding the
    // window, and reported when it is.
    QSignalSpy failed(graph.get(), &TFilterGraph::errorOccurred);
    graph->renderFile(need(corruptFile()));
    graph->play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return failed.count() > 0; }, 15000));
    EXPECT_FALSE(graph->lastError().isEmpty());
    EXPECT_FALSE(graph->play());
    EXPECT_FALSE(graph->seek(1.0));
    EXPECT_EQ(graph->state(), GraphState::Stopped);
    failed.clear();

    // Half a file: plays what is there, then ends or fails, and is let go of cleanly.
    QSignalSpy ended(graph.get(), &TFilterGraph::endOfMedia);
    if (graph->renderFile(need(truncatedAviFile()))) {
        graph->play();
        EXPECT_TRUE(QTest::qWaitFor([&] { return ended.count() + failed.count() > 0; }, 30000));
    }

    // The graph still plays a good file afterwards.
    graph->clearGraph();
    startPlaying(need(aviFile(4)));
}

TEST_F(MediaGraph, AtTheEndPositionReachesMax)
{
    QSignalSpy ended(graph.get(), &TFilterGraph::endOfMedia);
    startPlaying(need(aviFile(2)));
    // The end of a video is seen by the tick as Position = Max. A slow machine may tick
    // at 2.0 s just before the end arrives, so the wait is for both.
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended.count() > 0 && bar->maximum() == 2 && bar->value() == 2; }, kWaitMs));
    EXPECT_EQ(ended.count(), 1);
    EXPECT_EQ(graph->state(), GraphState::Playing);
    EXPECT_EQ(graph->currentPositionMs(), graph->durationMs());
    // Going back from the end plays again.
    ASSERT_TRUE(graph->seek(0.0));
    QSignalSpy ticks(bar, &TDSTrackBar::timer);
    ASSERT_TRUE(waitForTick(ticks));
    // From the stop's 2 s the first tick would read 3 s or more.
    EXPECT_LT(ticks.first().at(0).toLongLong(), 2600);
}

TEST_F(MediaGraph, FullScreenCoversTheScreenAndForwardsEvents)
{
    startPlaying(need(aviFile(8)));
    video->setFullScreen(true);
    QWidget* surface = video->fullScreenWindow();
    ASSERT_NE(surface, nullptr);
    EXPECT_TRUE(surface->isVisible());
    EXPECT_TRUE(surface->isWindow());
    EXPECT_EQ(surface->geometry(), video->screen()->geometry());
    EXPECT_EQ(video->videoArea(), surface->size());

    // The video is drawn there now, and no longer in its place.
    ASSERT_TRUE(waitForNewFrame(*video));
    const QPoint middle(surface->width() / 2, surface->height() / 2);
    EXPECT_TRUE(near(pixelOf(*surface, middle), testPictureColour()));
    EXPECT_TRUE(isBlack(pixelOf(*video, {286, 232})));

    QSignalSpy moved(video, &TVideoWindow::mouseMoved);
    QSignalSpy doubled(video, &TVideoWindow::doubleClicked);
    QSignalSpy keys(video, &TVideoWindow::keyUp);
    const QPoint local(40, surface->height() - 30);
    QMouseEvent move(QEvent::MouseMove, local, surface->mapToGlobal(local), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(surface, &move);
    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved.first().at(0).toPoint(), surface->mapToGlobal(local)) << "screen coordinates";
    QTest::mouseDClick(surface, Qt::LeftButton, {}, middle);
    EXPECT_EQ(doubled.count(), 1);
    QTest::keyClick(surface, Qt::Key_Space);
    ASSERT_EQ(keys.count(), 1);
    EXPECT_EQ(keys.first().at(0).toInt(), int(Qt::Key_Space));

    // A menu attached the Qt way opens where the right click was.
    video->setContextMenuPolicy(Qt::CustomContextMenu);
    QSignalSpy menu(video, &QWidget::customContextMenuRequested);
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, local, surface->mapToGlobal(local));
    QApplication::sendEvent(surface, &rightClick);
    ASSERT_EQ(menu.count(), 1);
    EXPECT_EQ(video->mapToGlobal(menu.first().at(0).toPoint()), surface->mapToGlobal(local));

    // Re-applied when playback starts, also for the next file.
    surface->hide();
    graph->clearGraph();
    ASSERT_TRUE(graph->renderFile(need(wmvFile(4))));
    ASSERT_TRUE(graph->play());
    EXPECT_TRUE(surface->isVisible());
    ASSERT_TRUE(waitForNewFrame(*video));

    video->setFullScreen(false);
    EXPECT_FALSE(surface->isVisible());
    EXPECT_EQ(video->videoArea(), QSize(572, 465));
    ASSERT_TRUE(waitForNewFrame(*video));
    EXPECT_TRUE(near(pixelOf(*video, {286, 232}), testPictureColour()));
}

TEST_F(MediaGraph, MouseMovesInPlaceReportWindowCoordinates)
{
    QSignalSpy moved(video, &TVideoWindow::mouseMoved);
    QMouseEvent move(QEvent::MouseMove, QPointF(30, 40), video->mapToGlobal(QPointF(30, 40)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(video, &move);
    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved.first().at(0).toPoint(), QPoint(30, 40));
}

TEST_F(MediaGraph, DeactivatedGraphIsUninitialised)
{
    startPlaying(need(aviFile(4)));
    graph->setActive(false);
    EXPECT_EQ(graph->state(), GraphState::Uninitialised);
    EXPECT_FALSE(bar->ticking());
    EXPECT_FALSE(video->hasFrame());
    EXPECT_FALSE(graph->renderFile(need(aviFile(4))));
    EXPECT_FALSE(graph->play());
}

} // namespace
