// The position track bar: its tick, the held button, seeking on release, the
// geometry the repeat marks are placed by, and the selection band.
#include "fake_media_engine.h"
#include "playback/media_graph.h"
#include "playback/position_track_bar.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

using varendo::playback::GraphState;

namespace {

class PositionTrackBar : public ::testing::Test {
protected:
    void SetUp() override
    {
        graph = std::make_unique<TFilterGraph>([this] {
            auto e = std::make_unique<FakeMediaEngine>();
            engine = e.get();
            return e;
        });
        graph->setActive(true);
        bar.resize(572, 16);
        bar.setTimerInterval(20);  // the tick's rules, not its pace, are under test
        bar.setFilterGraph(graph.get());
        bar.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
        ASSERT_TRUE(graph->renderFile(QStringLiteral("any")));
        engine->duration = 65432;
        engine->position = 4999;
    }

    // Runs the event loop long enough for several ticks.
    static void letTicksRun() { QTest::qWait(150); }

    FakeMediaEngine* engine = nullptr;
    std::unique_ptr<TFilterGraph> graph;
    TDSTrackBar bar;
};

TEST_F(PositionTrackBar, TicksOnlyWhileTheGraphPlays)
{
    EXPECT_FALSE(bar.ticking());
    QSignalSpy timer(&bar, &TDSTrackBar::timer);
    QSignalSpy changed(&bar, &QAbstractSlider::valueChanged);
    ASSERT_TRUE(graph->play());
    EXPECT_TRUE(bar.ticking());
    ASSERT_TRUE(QTest::qWaitFor([&] { return timer.count() > 0; }, 5000));
    EXPECT_EQ(bar.minimum(), 0);
    EXPECT_EQ(bar.maximum(), 65);
    EXPECT_EQ(bar.value(), 4);
    EXPECT_GE(changed.count(), 1);  // setting Position raised the change event
    EXPECT_EQ(timer.first().at(0).toLongLong(), 4999);
    EXPECT_EQ(timer.first().at(1).toLongLong(), 65432);

    graph->pause();
    EXPECT_FALSE(bar.ticking());
    graph->play();
    EXPECT_TRUE(bar.ticking());
    graph->stop();
    EXPECT_FALSE(bar.ticking());
}

TEST_F(PositionTrackBar, HeldButtonFreezesTheTickAndReleaseSeeks)
{
    ASSERT_TRUE(graph->play());
    QSignalSpy timer(&bar, &TDSTrackBar::timer);
    ASSERT_TRUE(QTest::qWaitFor([&] { return timer.count() > 0; }, 5000));

    // Press at the value 30 of 65: the thumb jumps there.
    const QPoint at30(bar.valueToX(30), 8);
    QTest::mousePress(&bar, Qt::LeftButton, {}, at30);
    EXPECT_EQ(bar.value(), 30);
    engine->position = 50000;
    const int ticksBefore = timer.count();
    letTicksRun();
    EXPECT_EQ(bar.value(), 30) << "the tick moved the bar under the learner's hand";
    EXPECT_EQ(timer.count(), ticksBefore);
    EXPECT_TRUE(engine->seeks.empty()) << "no seek before the release";

    // Drag on to 40, then let go: one seek, to stop position * 40 / 65.
    const QPoint at40(bar.valueToX(40), 8);
    QMouseEvent move(QEvent::MouseMove, at40, bar.mapToGlobal(at40), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&bar, &move);
    EXPECT_EQ(bar.value(), 40);
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, at40);
    ASSERT_EQ(engine->seeks.size(), 1u);
    EXPECT_EQ(engine->seeks.front(), 65432LL * 40 / 65);

    // The tick follows the graph again.
    ASSERT_TRUE(QTest::qWaitFor([&] { return timer.count() > ticksBefore; }, 5000));
    EXPECT_EQ(bar.value(), 40);
}

TEST_F(PositionTrackBar, SkipsTheTickWhileTheDurationIsUnknown)
{
    // A file still opening would otherwise read as ended (Position 0 = Max 0).
    ASSERT_TRUE(graph->play());
    bar.setRange(0, 65);
    bar.setValue(12);
    QSignalSpy timer(&bar, &TDSTrackBar::timer);
    engine->loaded = false;  // position and duration read as unknown
    letTicksRun();
    EXPECT_EQ(timer.count(), 0);
    EXPECT_EQ(bar.maximum(), 65);
    EXPECT_EQ(bar.value(), 12);
}

TEST_F(PositionTrackBar, ReleaseWithoutARangeDoesNotSeek)
{
    bar.setRange(0, 0);
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(200, 8));
    EXPECT_TRUE(engine->seeks.empty());
}

TEST(PositionTrackBarGeometry, MatchesWhereTheRepeatMarksArePlaced)
{
    // Marks sit at (W - 20) / Max * v + 10 over a bar W wide.
    TDSTrackBar bar;
    bar.resize(572, 16);
    bar.setRange(0, 600);
    EXPECT_EQ(bar.valueToX(200), 194);
    EXPECT_EQ(bar.valueToX(0), 10);
    EXPECT_EQ(bar.valueToX(600), 562);
    EXPECT_EQ(bar.xToValue(194), 200);
    EXPECT_EQ(bar.xToValue(0), 0);      // left of the channel: the start
    EXPECT_EQ(bar.xToValue(571), 600);  // right of it: the end
    bar.setRange(0, 0);
    EXPECT_EQ(bar.valueToX(0), 10);
}

TEST(PositionTrackBarPlain, WorksWithoutAGraph)
{
    TDSTrackBar bar;
    bar.resize(593, 16);
    bar.setRange(0, 100);
    bar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    QSignalSpy changed(&bar, &QAbstractSlider::valueChanged);
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(bar.valueToX(75), 8));
    EXPECT_EQ(bar.value(), 75);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_FALSE(bar.ticking());
}

// The band's colour at a value's pixel, on the channel's middle row.
QColor bandPixel(TDSTrackBar& bar, int value)
{
    const QImage image = bar.grab().toImage();
    return image.pixelColor(bar.valueToX(value), bar.height() / 2);
}

TEST(PositionTrackBarSelection, ShowsTheBandOnlyForAStretch)
{
    TDSTrackBar bar;
    bar.resize(572, 16);
    bar.setRange(0, 100);
    bar.setValue(90);  // thumb out of the way
    const QColor highlight = bar.palette().color(QPalette::Highlight);

    EXPECT_NE(bandPixel(bar, 30), highlight) << "no band while SelStart and SelEnd are 0";

    bar.setSelStart(20);
    bar.setSelEnd(40);
    EXPECT_EQ(bandPixel(bar, 30), highlight);
    EXPECT_NE(bandPixel(bar, 10), highlight);
    EXPECT_NE(bandPixel(bar, 50), highlight);

    bar.setSelStart(60);  // start after the end: no band
    EXPECT_NE(bandPixel(bar, 30), highlight);
    EXPECT_NE(bandPixel(bar, 50), highlight);

    bar.setSelStart(0);
    bar.setSelEnd(0);
    EXPECT_NE(bandPixel(bar, 30), highlight);
}

} // namespace
