#include "ui/floating_bar.h"

#include "playback/media_graph.h"
#include "playback/position_track_bar.h"
#include "ui/event_hook.h"
#include "ui/main_window.h"
#include "ui/message_box.h"
#include "ui/player_controls.h"
#include "ui/varendo_windows.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRegion>
#include <QShowEvent>
#include <QSlider>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>

using namespace varendo;

namespace {

constexpr int kWidth = 582;
constexpr int kBarHeight = 56;
constexpr int kSlideStep = 5;
constexpr int kSlideMs = 16;

// The main window's control with the same name among those given.
template <typename Control>
Control* sameNamed(const QList<Control*>& controls, const QObject* like)
{
    for (Control* c : controls)
        if (c->objectName() == like->objectName())
            return c;
    return nullptr;
}

} // namespace

TForm7::TForm7(VarendoWindows& windows)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), w(windows)
{
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("Varendo英语视频辅助学习工具"));
    setAutoFillBackground(true);

    body_ = new QWidget(this);
    body_->setGeometry(0, 0, kWidth, kBarHeight);

    // A plain track bar: the main window's video tick keeps its range and position.
    dstrckbr1 = new TDSTrackBar(body_);
    dstrckbr1->setObjectName(QStringLiteral("dstrckbr1"));
    dstrckbr1->setGeometry(-8, 1, 593, 16);

    takeToolBar(*this, buildPlayerToolBar(body_, 258, 84, w.Form1));
    ToolBar->setGeometry(0, kBarHeight - 29, kWidth, 29);
    const RecorderGroup g = buildRecorderGroup(this);
    takeRecorderGroup(*this, g);
    grp9->hide();

    btnabz = buildRepeatMark(body_, true);
    btnbbz = buildRepeatMark(body_, false);

    slide_ = new QTimer(this);
    slide_->setInterval(kSlideMs);
    connect(slide_, &QTimer::timeout, this, &TForm7::slideStep);

    // Handlers. The main window exists already: it is made first.
    TForm1* f = w.Form1;
    const MessageBoxes& boxes = w.messages;
    for (QWidget* control : toolBarControls(ToolBar))
        if (auto* button = qobject_cast<QToolButton*>(control))
            connect(button, &QToolButton::clicked, this,
                    [this, &boxes, button] { boxes.guarded([&] { btnrecClick(button); }); });
    for (QToolButton* button : g.buttons())
        connect(button, &QToolButton::clicked, this,
                [this, &boxes, button] { boxes.guarded([&] { btnplayClick(button); }); });
    connect(dstrckbr1, &QAbstractSlider::valueChanged, this,
            [this, &boxes] { boxes.guarded([this] { dstrckbr1Change(dstrckbr1); }); });
    connect(SoundLevel, &QSlider::valueChanged, this,
            [this, &boxes] { boxes.guarded([this] { SoundLevelChange(SoundLevel); }); });
    dstrckbr1->setPopupMenu(f->pm3);
    for (QPushButton* mark : {btnabz, btnbbz}) {
        const bool start = mark == btnabz;
        onEvent(mark, QEvent::MouseButtonPress, [f, &boxes, start](QEvent* event) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            boxes.guarded([&] { f->floatingMarkMouseDown(start, mouse->button(), mouse->position().toPoint()); });
            return true;
        });
        onEvent(mark, QEvent::MouseMove, [f, &boxes, start](QEvent* event) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            boxes.guarded([&] { f->floatingMarkMouseMove(start, mouse->position().toPoint()); });
            return true;
        });
        onEvent(mark, QEvent::MouseButtonRelease, [f, &boxes](QEvent*) {
            boxes.guarded([&] { f->floatingMarkMouseUp(); });
            return true;
        });
    }
    // Keys pressed on the bar reach the main window's key handler, as on the video.
    onKeyRelease(this, [f, &boxes](QKeyEvent* key) {
        boxes.guarded([&] { f->FormKeyUp(f, key->key(), key->modifiers()); });
    });

    placeChildren();
}

void TForm7::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        w.messages.guarded([this] { FormShow(this); });
}

void TForm7::FormShow(QObject*)
{
    SoundLevel->setValue(w.Form1->SoundLevel->value());
}

void TForm7::btnrecClick(QObject* sender)
{
    TForm1* f = w.Form1;
    if (auto* button = sameNamed(toolBarControls(f->ToolBar), sender))
        if (auto* tool = qobject_cast<QToolButton*>(button))
            tool->click();
    f->setform7button();
}

void TForm7::btnplayClick(QObject* sender)
{
    TForm1* f = w.Form1;
    if (QToolButton* button = sameNamed(QList<QToolButton*>{f->btnplay, f->btnrecord, f->btnstop}, sender))
        button->click();
    f->setform7button();
}

void TForm7::dstrckbr1Change(QObject*)
{
    TForm1* f = w.Form1;
    if (!f->barSyncing)
        f->fltrgrph1->seek(dstrckbr1->value());
}

void TForm7::SoundLevelChange(QObject*)
{
    const int level = SoundLevel->value();
    w.Form1->fltrgrph1->setVolume(level);
    SoundLevel->setToolTip(QStringLiteral("音量:") + QString::number(level / 100));
}

void TForm7::placeChildren()
{
    const bool recorder = grp9->isVisibleTo(this);
    const int above = recorder ? grp9->height() : 0;
    grp9->move(kWidth - grp9->width(), 0);
    body_->move(0, above);
    setFixedSize(kWidth, kBarHeight + above);
    // Only the bar and the group are the window: the video shows beside the group.
    if (recorder)
        setMask(QRegion(body_->geometry()) + QRegion(grp9->geometry()));
    else
        clearMask();
}

void TForm7::showRecorderGroup(bool show)
{
    if (grp9->isVisibleTo(this) == show)
        return;
    const int bottom = geometry().bottom();
    grp9->setVisible(show);
    placeChildren();
    // On screen the bar keeps its bottom edge; the group grows it upwards.
    if (isVisible())
        move(x(), bottom - height() + 1);
}

void TForm7::slideIn(const QRect& screen)
{
    if (isVisible() && !hideAtTarget_)
        return;
    if (!isVisible()) {
        move(screen.x() + (screen.width() - width()) / 2, screen.y() + screen.height());
        w.Form1->setform7button();
        show();
        raise();
    }
    // One pixel of the bar stays below the screen's edge.
    slideTarget_ = screen.y() + screen.height() - height() + 1;
    hideAtTarget_ = false;
    slide_->start();
}

void TForm7::slideOut()
{
    if (!isVisible() || hideAtTarget_)
        return;
    const int travel = height() - 1;
    slideTarget_ = slide_->isActive() ? slideTarget_ + travel : y() + travel;
    hideAtTarget_ = true;
    slide_->start();
}

void TForm7::slideStep()
{
    const int distance = slideTarget_ - y();
    const int step = std::clamp(distance, -kSlideStep, kSlideStep);
    move(x(), y() + step);
    if (y() != slideTarget_)
        return;
    slide_->stop();
    if (hideAtTarget_) {
        hideAtTarget_ = false;
        hide();
    }
}

void TForm7::hideNow()
{
    slide_->stop();
    hideAtTarget_ = false;
    hide();
}

bool TForm7::sliding() const
{
    return slide_->isActive();
}
