// The components placed as in the main window: the video shows inside grp1's
// video area and the track bar follows it.
#include "gstreamer/core/teardown.h"
#include "layout_harness.h"
#include "playback_test_support.h"
#include "video_media.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace varendo::test;

TEST(VideoLayout, VideoPlaysInsideTheVideoArea)
{
    {
        MainVideoLayout layout;
        layout.window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&layout.window));
        const QString path = aviFile(4);
        ASSERT_FALSE(path.isEmpty()) << lastMediaError().toStdString();
        QSignalSpy ticks(layout.dstrckbr1, &TDSTrackBar::timer);
        ASSERT_TRUE(layout.fltrgrph1->renderFile(path));
        ASSERT_TRUE(layout.fltrgrph1->play());
        ASSERT_TRUE(waitForNewFrame(*layout.vdwndw1));

        const QImage shot = layout.window.grab().toImage();
        // grp1 at (0,5), the video window at (2,8) in it: its middle is (288, 245).
        EXPECT_TRUE(near(shot.pixelColor(288, 245), testPictureColour()));
        EXPECT_FALSE(near(shot.pixelColor(800, 245), testPictureColour())) << "drawn outside the video area";
        EXPECT_TRUE(isBlack(shot.pixelColor(288, 16))) << "no black band above a 4:3 picture";

        ASSERT_TRUE(QTest::qWaitFor([&] { return ticks.count() > 0; }, 15000));
        EXPECT_EQ(layout.dstrckbr1->maximum(), 4);
    }
    varendo::gst::Teardown::instance().waitIdle(std::chrono::seconds(10));
}
