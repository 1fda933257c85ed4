// The volume scale, the track bar's whole seconds, seeking on release and
// fitting the picture: the numbers other parts of the program rely on.
#include "playback/media_arithmetic.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace varendo::playback;

TEST(GraphVolumeScale, MapsTheSliderOntoHundredthsOfADecibel)
{
    EXPECT_EQ(volumeToAttenuation(0), -10000);    // silent
    EXPECT_EQ(volumeToAttenuation(1), -9247);     // ln 2 * 1085.73 = 752.57
    EXPECT_EQ(volumeToAttenuation(5000), -752);   // ln 5001 * 1085.73 = 9247.58
    EXPECT_EQ(volumeToAttenuation(10000), 0);     // full level
    EXPECT_EQ(volumeToAttenuation(100), -4989);   // ln 101 * 1085.73 = 5010.73 -> 5011
}

TEST(GraphVolumeScale, KeepsValuesOutsideTheRangeInside)
{
    EXPECT_EQ(clampVolume(-5), 0);
    EXPECT_EQ(clampVolume(20000), 10000);
    EXPECT_EQ(clampVolume(4321), 4321);
    EXPECT_EQ(volumeToAttenuation(-5), -10000);
    EXPECT_EQ(volumeToAttenuation(20000), 0);
}

TEST(GraphVolumeScale, GainIsSilentAtTheBottomAndWholeAtTheTop)
{
    EXPECT_EQ(attenuationToGain(-10000), 0.0);
    EXPECT_EQ(attenuationToGain(-20000), 0.0);
    EXPECT_DOUBLE_EQ(attenuationToGain(0), 1.0);
    EXPECT_NEAR(attenuationToGain(-2000), 0.1, 1e-12);  // -20 dB
    EXPECT_NEAR(attenuationToGain(-752), std::pow(10.0, -0.376), 1e-12);
    EXPECT_NEAR(attenuationToGain(-9247), std::pow(10.0, -4.6235), 1e-15);
    EXPECT_DOUBLE_EQ(attenuationToGain(500), 1.0);  // never louder than the file
    // Each step up the slider is at least as loud as the one below.
    double previous = -1.0;
    for (int v = 0; v <= 10000; v += 7) {
        const double gain = attenuationToGain(volumeToAttenuation(v));
        EXPECT_GE(gain, previous) << v;
        previous = gain;
    }
}

TEST(TrackBarTick, TruncatesToWholeSeconds)
{
    const TrackTick tick = trackTickFor(4999, 65432);
    EXPECT_EQ(tick.min, 0);
    EXPECT_EQ(tick.max, 65);
    EXPECT_EQ(tick.position, 4);
    EXPECT_EQ(trackTickFor(0, 999).max, 0);
    EXPECT_EQ(trackTickFor(65432, 65432).position, 65);
    EXPECT_EQ(trackTickFor(-20, 1000).position, 0);
}

TEST(TrackBarReleaseSeek, ScalesPositionByTheStopPosition)
{
    EXPECT_EQ(releaseSeekTargetMs(5500, 5, 5), 5500);  // the end means the very end
    EXPECT_EQ(releaseSeekTargetMs(5500, 2, 5), 2200);
    EXPECT_EQ(releaseSeekTargetMs(65432, 0, 65), 0);
    EXPECT_EQ(releaseSeekTargetMs(65432, 30, 65), 30199);
}

TEST(TrackBarReleaseSeek, NoSeekWithoutARangeOrAStopPosition)
{
    EXPECT_EQ(releaseSeekTargetMs(5500, 0, 0), -1);
    EXPECT_EQ(releaseSeekTargetMs(-1, 3, 5), -1);
}

TEST(VideoFit, KeepsTheAspectAndCentres)
{
    // 4:3 into the main window's video area: full width, bands above and below.
    EXPECT_EQ(fitVideoRect({320, 240}, 1.0, QRect(0, 0, 572, 465)), QRect(0, 18, 572, 429));
    // 16:9 into a 4:3 screen.
    EXPECT_EQ(fitVideoRect({1280, 720}, 1.0, QRect(0, 0, 1024, 768)), QRect(0, 96, 1024, 576));
    // Tall picture: bands left and right, and the area's own offset is kept.
    EXPECT_EQ(fitVideoRect({100, 200}, 1.0, QRect(10, 20, 300, 100)), QRect(135, 20, 50, 100));
}

TEST(VideoFit, HonoursNonSquarePixels)
{
    // PAL 720x576 with 16:15 pixels shows as 768x576 (4:3).
    EXPECT_EQ(fitVideoRect({720, 576}, 16.0 / 15.0, QRect(0, 0, 800, 600)), QRect(0, 0, 800, 600));
    EXPECT_EQ(fitVideoRect({720, 576}, 16.0 / 15.0, QRect(0, 0, 572, 465)), QRect(0, 18, 572, 429));
}

TEST(VideoFit, NothingToShowGivesAnEmptyRect)
{
    EXPECT_TRUE(fitVideoRect({}, 1.0, QRect(0, 0, 572, 465)).isEmpty());
    EXPECT_TRUE(fitVideoRect({320, 240}, 1.0, QRect(0, 0, 572, 0)).isEmpty());
    EXPECT_TRUE(fitVideoRect({320, 240}, 0.0, QRect(0, 0, 572, 465)).isEmpty());
}
