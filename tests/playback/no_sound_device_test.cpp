// Without any sound device the video still plays. This program points the
// sound server variable at nothing before GStreamer starts, so it runs apart
// from the other playback tests.
#include "gstreamer/video/gst_media_engine.h"
#include "gstreamer/core/teardown.h"
#include "playback/media_graph.h"
#include "playback/position_track_bar.h"
#include "playback_test_support.h"
#include "video_media.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

#include <cstdlib>

using namespace varendo::test;

TEST(VideoWithoutSound, VideoStillPlays)
{
    qputenv("PULSE_SERVER", "unix:/nonexistent/varendo-no-sound");
    {
        TVideoWindow video;
        video.resize(572, 465);
        TDSTrackBar bar;
        TFilterGraph graph(varendo::gst::mediaEngineFactory());
        graph.setActive(true);
        graph.setVideoWindow(&video);
        bar.setFilterGraph(&graph);
        video.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&video));

        const QString path = aviFile(4);
        ASSERT_FALSE(path.isEmpty()) << lastMediaError().toStdString();
        ASSERT_TRUE(graph.renderFile(path)) << graph.lastError().toStdString();
        ASSERT_TRUE(graph.play());
        ASSERT_TRUE(waitForNewFrame(video));
        EXPECT_TRUE(near(pixelOf(video, {286, 232}), testPictureColour()));
        QSignalSpy ticks(&bar, &TDSTrackBar::timer);
        ASSERT_TRUE(QTest::qWaitFor([&] { return ticks.count() >= 2; }, 15000));
        EXPECT_GT(ticks.last().at(0).toLongLong(), ticks.first().at(0).toLongLong()) << "the clock runs";
        EXPECT_EQ(graph.state(), varendo::playback::GraphState::Playing);
    }
    varendo::gst::Teardown::instance().waitIdle(std::chrono::seconds(10));
}
