// Full screen with a playing generated video: every way in and out, the floating
// bar sliding in and out with the pointer, its buttons and volume working through
// the main window, and continuous study leaving full screen for the next lesson.
#include "program_folder.h"
#include "video_media.h"

#include "playback/media_graph.h"
#include "playback/position_track_bar.h"
#include "playback/video_window.h"
#include "ui/floating_bar.h"
#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace varendo;

namespace {

using State = TFilterGraph::State;

class FullScreen : public ::testing::Test {
protected:
    void start()
    {
        w = &folder.start();
        f = w->Form1;
        bar = w->Form7;
    }
    QWidget* surface() const { return f->vdwndw1->fullScreenWindow(); }
    QRect screen() const { return surface()->screen()->geometry(); }
    bool playing() const { return f->fltrgrph1->state() == State::Playing; }
    // The pointer moved over the full-screen video to a place on the screen.
    void pointerAt(int screenY)
    {
        const QPoint global(screen().center().x(), screen().y() + screenY);
        const QPoint local = surface()->mapFromGlobal(global);
        QMouseEvent move(QEvent::MouseMove, local, global, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(surface(), &move);
    }
    void expectFullScreen(bool on, const char* how)
    {
        SCOPED_TRACE(how);
        EXPECT_EQ(f->vdwndw1->fullScreen(), on);
        EXPECT_EQ(f->isHidden(), on);
        EXPECT_EQ(surface() && surface()->isVisible(), on);
        EXPECT_EQ(f->btFullScreen->isChecked(), on);
        EXPECT_EQ(bar->btFullScreen->isChecked(), on);
        if (!on) {
            EXPECT_FALSE(bar->isVisible()) << "the floating bar goes with full screen";
        }
    }
    void enter()
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return playing(); }, 10000));
        QTest::mouseDClick(f->vdwndw1, Qt::LeftButton);
        expectFullScreen(true, "entered by a double click");
    }
    // Brings the floating bar in, and waits for it to stop moving.
    void barIn()
    {
        pointerAt(screen().height() - 10);
        ASSERT_TRUE(QTest::qWaitFor([&] { return bar->isVisible() && !bar->sliding(); }, 3000));
    }

    ProgramFolder folder;
    VarendoWindows* w = nullptr;
    TForm1* f = nullptr;
    TForm7* bar = nullptr;
};

} // namespace

// Double click, the tool button (on either bar), Esc and Stop all leave; the bar
// comes with the pointer in the bottom 75 pixels only, and its buttons and volume
// act through the main window.
TEST_F(FullScreen, EveryWayInAndOutWithTheFloatingBar)
{
    const QString avi = test::aviFile(30);
    ASSERT_FALSE(avi.isEmpty()) << test::lastMediaError().toStdString();
    folder.writeLessons({});
    start();
    f->playopenfiles(avi);
    enter();
    EXPECT_EQ(bar->btFullScreen->toolTip(), "退出全屏");

    // The bar slides in once the pointer reaches the bottom band, and out above it.
    const QRect s = screen();
    pointerAt(s.height() - 76);
    EXPECT_FALSE(bar->isVisible());
    barIn();
    EXPECT_EQ(bar->geometry().bottom(), s.bottom() + 1) << "one pixel below the edge";
    EXPECT_EQ(bar->x(), s.x() + (s.width() - bar->width()) / 2);
    EXPECT_TRUE(bar->btPause->isEnabled()) << "the bar's buttons follow the main window's";
    pointerAt(s.height() - 76);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !bar->isVisible(); }, 3000));

    // Its volume sets the video's, and the main window takes it over on the way out.
    barIn();
    bar->SoundLevel->setValue(4300);
    EXPECT_EQ(f->fltrgrph1->volume(), 4300);
    EXPECT_EQ(bar->SoundLevel->toolTip(), "音量:43");
    QTest::mouseDClick(surface(), Qt::LeftButton);
    expectFullScreen(false, "left by a double click");
    EXPECT_EQ(f->SoundLevel->value(), 4300);
    EXPECT_EQ(f->btFullScreen->toolTip(), "全屏");

    // The tool button goes in; the floating bar's own button comes out.
    f->btFullScreen->click();
    expectFullScreen(true, "entered by the tool button");
    barIn();
    bar->btFullScreen->click();
    expectFullScreen(false, "left by the floating bar's button");
    EXPECT_TRUE(playing());

    // Esc on the video.
    enter();
    QTest::keyClick(surface(), Qt::Key_Escape);
    expectFullScreen(false, "left by Esc");
    EXPECT_TRUE(playing());

    // The repeat marks set on the floating bar show in both windows; dragging the
    // bar's end mark moves the main window's with it, 10 pixels further right.
    enter();
    barIn();
    bar->btna->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return f->dstrckbr1->value() >= f->dstrckbr1->selStart() + 3; }, 8000));
    bar->btnb->click();
    ASSERT_TRUE(f->btnbbz->isVisibleTo(f));
    ASSERT_TRUE(bar->btnbbz->isVisibleTo(bar));
    const int selEnd = f->dstrckbr1->selEnd();
    QPushButton* mark = bar->btnbbz;
    for (auto [type, x] : {std::pair{QEvent::MouseButtonPress, 2}, std::pair{QEvent::MouseMove, 32},
                           std::pair{QEvent::MouseButtonRelease, 32}}) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent e(type, QPointF(x, 3), mark->mapToGlobal(QPointF(x, 3)), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(mark, &e);
    }
    const int floatingLeft = mark->x() - (bar->dstrckbr1->x() + 8);
    const int mainLeft = f->btnbbz->x() - (f->dstrckbr1->x() - 1);
    EXPECT_EQ(mainLeft, floatingLeft + 10);
    EXPECT_GT(f->dstrckbr1->selEnd(), selEnd) << "30 pixels later";
    EXPECT_NEAR(bar->dstrckbr1->selEnd(), f->dstrckbr1->selEnd(), 1);
    f->C1Click(nullptr);
    EXPECT_FALSE(bar->btnbbz->isVisibleTo(bar));

    // Pause and Stop on the floating bar run the main window's handlers.
    bar->btPause->click();
    EXPECT_EQ(f->fltrgrph1->state(), State::Paused);
    EXPECT_TRUE(f->btPlay->isEnabled());
    EXPECT_TRUE(bar->btPlay->isEnabled());
    EXPECT_FALSE(bar->btPause->isEnabled());
    bar->btStop->click();
    EXPECT_EQ(f->fltrgrph1->state(), State::Stopped);
    expectFullScreen(false, "left by Stop");

    // A double click on a video stopped behind the full screen brings the window back.
    f->btPlayClick(nullptr);
    enter();
    f->fltrgrph1->stop();
    QTest::mouseDClick(surface(), Qt::LeftButton);
    expectFullScreen(false, "left while stopped");
    // In the normal window a stopped video does not go full screen.
    QTest::mouseDClick(f->vdwndw1, Qt::LeftButton);
    expectFullScreen(false, "a stopped video stays in the window");
    EXPECT_TRUE(folder.messages.isEmpty()) << folder.messages.join("\n").toStdString();
}

// With continuous study on, the end of a lesson watched full screen starts the
// next lesson in the normal window.
TEST_F(FullScreen, ContinuousStudyStartsTheNextLessonInTheNormalWindow)
{
    const QString avi = test::aviFile(2);
    ASSERT_FALSE(avi.isEmpty()) << test::lastMediaError().toStdString();
    QDir(folder.path()).mkpath("video");
    QList<LessonRow> rows;
    for (const QString n : {"1", "3"}) {
        ASSERT_TRUE(QFile::copy(avi, folder.file("video/lesson" + n + ".avi")));
        LessonRow r;
        r.book = "1";
        r.lesson = n;
        r.title = "Lesson " + n;
        r.video = "lesson" + n + ".avi";
        rows << r;
    }
    folder.writeLessons(rows);
    start();
    ASSERT_TRUE(f->C3->isChecked());
    f->btPlayClick(nullptr);
    enter();
    ASSERT_TRUE(QTest::qWaitFor([&] { return f->rzchcklst1->currentIndex() == 1; }, 15000));
    expectFullScreen(false, "the next lesson");
    EXPECT_EQ(f->rzm1->toPlainText(), "Lesson 3");
    EXPECT_TRUE(QTest::qWaitFor([&] { return playing(); }, 10000));
    EXPECT_TRUE(folder.messages.isEmpty()) << folder.messages.join("\n").toStdString();
}
