// Full-screen viewing of the video, with the floating control bar.
#include "ui/main_window.h"

#include "playback/media_graph.h"
#include "playback/position_track_bar.h"
#include "playback/video_window.h"
#include "ui/floating_bar.h"
#include "ui/media_list_window.h"
#include "ui/message_box.h"
#include "ui/player_controls.h"
#include "ui/varendo_windows.h"

#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QProgressBar>
#include <QScreen>
#include <QSlider>
#include <QToolBar>
#include <QToolButton>

using namespace varendo;

namespace {

const QString kFullScreenHint = QStringLiteral("全屏");
const QString kLeaveHint = QStringLiteral("退出全屏");
constexpr int kBottomBand = 75;

} // namespace

void TFullScreenPart::connectFullScreenHandlers()
{
    const MessageBoxes& boxes = form_.w.messages;
    TVideoWindow* video = form_.vdwndw1;
    QObject::connect(btFullScreen, &QToolButton::clicked, &form_,
                     [this, &boxes] { boxes.guarded([this] { btFullScreenClick(btFullScreen); }); });
    QObject::connect(video, &TVideoWindow::doubleClicked, &form_,
                     [this, &boxes, video] { boxes.guarded([&] { vdwndw1DblClick(video); }); });
    QObject::connect(video, &TVideoWindow::mouseMoved, &form_, [this, &boxes, video](QPoint at) {
        boxes.guarded([&] { vdwndw1MouseMove(video, at); });
    });
    // Keys pressed on the full-screen video reach the window's key handler; in the
    // normal window the key preview hands them over already.
    QObject::connect(video, &TVideoWindow::keyUp, &form_,
                     [this, &boxes](int key, Qt::KeyboardModifiers modifiers) {
                         if (inFullScreen())
                             boxes.guarded([&] { form_.FormKeyUp(&form_, key, modifiers); });
                     });
    QObject::connect(video, &TVideoWindow::fullScreenCloseRequested, &form_,
                     [this, &boxes] { boxes.guarded([this] { leaveFullScreenOnEscape(); }); });
}

bool TFullScreenPart::inFullScreen() const
{
    return form_.vdwndw1->fullScreen() && form_.isHidden();
}

QRect TFullScreenPart::videoScreen() const
{
    const QWidget* surface = form_.vdwndw1->fullScreenWindow();
    QScreen* screen = surface && surface->isVisible() ? surface->screen() : form_.vdwndw1->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect();
}

void TFullScreenPart::setFullScreen(bool on)
{
    form_.vdwndw1->setFullScreen(on);
    btFullScreen->setChecked(on);
    form_.w.Form7->btFullScreen->setChecked(on);
}

void TFullScreenPart::hideFloatingBar()
{
    form_.w.Form7->hideNow();
}

void TFullScreenPart::showMainWindowAgain()
{
    form_.setWindowState(form_.windowState() & ~Qt::WindowMinimized);
    form_.show();
}

void TFullScreenPart::vdwndw1DblClick(QObject*)
{
    if (form_.playMode == QLatin1String("mp3"))
        return;
    const auto state = form_.fltrgrph1->state();
    if (state == TFilterGraph::State::Stopped || state == TFilterGraph::State::Uninitialised) {
        if (!form_.isHidden())
            return;
        leaveWhenStopped();
        return;
    }
    if (form_.isHidden())
        leaveByToggle();
    else
        enterFullScreen();
}

void TFullScreenPart::btFullScreenClick(QObject* sender)
{
    vdwndw1DblClick(sender);
    // A click the toggle declined leaves the button as the video is.
    btFullScreen->setChecked(form_.vdwndw1->fullScreen());
}

void TFullScreenPart::enterFullScreen()
{
    TForm6* list = form_.w.Form6;
    if (list->isVisible())
        list->hide();
    form_.hide();
    form_.w.Form7->btFullScreen->setToolTip(kLeaveHint);
    form_.setWindowState(form_.windowState() | Qt::WindowMinimized);
    setFullScreen(true);
}

void TFullScreenPart::leaveByToggle()
{
    TForm7* bar = form_.w.Form7;
    hideFloatingBar();
    form_.setWindowState(form_.windowState() & ~Qt::WindowMinimized);
    form_.SoundLevel->setValue(bar->SoundLevel->value());
    btFullScreen->setToolTip(kFullScreenHint);
    bar->btFullScreen->setToolTip(kFullScreenHint);
    form_.show();
    if (form_.w.Form6->isVisible())
        form_.setform6pos();
    setFullScreen(false);
}

void TFullScreenPart::leaveWhenStopped()
{
    TForm7* bar = form_.w.Form7;
    hideFloatingBar();
    form_.setWindowState(form_.windowState() & ~Qt::WindowMinimized);
    setFullScreen(false);
    form_.SoundLevel->setValue(bar->SoundLevel->value());
    btFullScreen->setToolTip(kFullScreenHint);
    bar->btFullScreen->setToolTip(kFullScreenHint);
    setform7button();
    form_.show();
    if (form_.w.Form6->isVisible())
        form_.setform6pos();
}

void TFullScreenPart::leaveFullScreenOnStop()
{
    hideFloatingBar();
    showMainWindowAgain();
    setFullScreen(false);
}

void TFullScreenPart::leaveFullScreenOnEscape()
{
    if (!form_.vdwndw1->fullScreen())
        return;
    hideFloatingBar();
    if (form_.isHidden())
        showMainWindowAgain();
    setFullScreen(false);
}

void TFullScreenPart::vdwndw1MouseMove(QObject*, QPoint at)
{
    if (!form_.isHidden())
        return;
    TForm7* bar = form_.w.Form7;
    const QRect screen = videoScreen();
    if (at.y() - screen.y() < screen.height() - kBottomBand)
        bar->slideOut();
    else
        bar->slideIn(screen);
}

void TFullScreenPart::setform7button()
{
    const QList<QWidget*> mine = toolBarControls(form_.ToolBar);
    const QList<QWidget*> theirs = toolBarControls(form_.w.Form7->ToolBar);
    for (int i = 0; i < mine.size() && i < theirs.size(); ++i) {
        auto* from = qobject_cast<QToolButton*>(mine[i]);
        auto* to = qobject_cast<QToolButton*>(theirs[i]);
        if (!from || !to)
            continue;
        to->setEnabled(from->isEnabled());
        to->setChecked(from->isChecked());
    }
    recorderChanged();
}

void TFullScreenPart::recorderChanged()
{
    TForm7* bar = form_.w.Form7;
    if (!bar)
        return; // the recorder starts before the floating bar is made
    const QList<QToolButton*> mine{form_.btnplay, form_.btnrecord, form_.btnstop};
    const QList<QToolButton*> theirs{bar->btnplay, bar->btnrecord, bar->btnstop};
    for (int i = 0; i < mine.size(); ++i) {
        theirs[i]->setEnabled(mine[i]->isEnabled());
        form_.setImage(theirs[i], form_.imageOf(mine[i]));
    }
    bar->showRecorderGroup(!form_.pnl2->isHidden());
    bar->btnrec->setChecked(form_.btnrec->isChecked());
    bar->rzprgrsbr1->setVisible(!form_.rzprgrsbr1->isHidden());
    bar->rzprgrsbr1->setValue(form_.rzprgrsbr1->value());
    bar->rzprgrsbr1->setToolTip(form_.rzprgrsbr1->toolTip());
}
