// A-B repeat: the stretch's start and end, its marks over the position bar,
// repeating it, and the checks the position ticks run.
#include "ui/main_window.h"

#include "audio/audio_object.h"
#include "playback/media_graph.h"
#include "playback/position_track_bar.h"
#include "playback/repeat_marks.h"
#include "ui/event_hook.h"
#include "ui/varendo_windows.h"

#include <QAction>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

using varendo::playback::MarkWindow;

namespace {

// A placed mark's size, and how far below the bar's top it sits.
constexpr int kMarkWidth = 4;
constexpr int kMarkHeight = 7;
constexpr int kMarkBelowBarTop = 11;

} // namespace

void TRepeatPart::connectRepeatHandlers()
{
    const varendo::MessageBoxes& boxes = form_.w.messages;
    for (auto [button, handler] : {std::pair{btna, &TRepeatPart::btnaClick}, std::pair{btnb, &TRepeatPart::btnbClick},
                                   std::pair{btretu, &TRepeatPart::btretuClick}})
        QObject::connect(button, &QToolButton::clicked, &form_,
                         [this, &boxes, button, handler] { boxes.guarded([&] { (this->*handler)(button); }); });
    QObject::connect(C1, &QAction::triggered, &form_, [this, &boxes] { boxes.guarded([this] { C1Click(C1); }); });

    using Key = void (TRepeatPart::*)(QObject*, int, Qt::KeyboardModifiers);
    using Down = void (TRepeatPart::*)(QObject*, Qt::MouseButton, QPoint);
    using Move = void (TRepeatPart::*)(QObject*, QPoint);
    using Up = void (TRepeatPart::*)(QObject*);
    struct Handlers {
        QPushButton* mark;
        Key key;
        Down down;
        Move move;
        Up up;
    };
    for (const Handlers& h :
         {Handlers{btnabz, &TRepeatPart::btnabzKeyUp, &TRepeatPart::btnabzMouseDown, &TRepeatPart::btnabzMouseMove,
                   &TRepeatPart::btnabzMouseUp},
          Handlers{btnbbz, &TRepeatPart::btnbbzKeyUp, &TRepeatPart::btnbbzMouseDown, &TRepeatPart::btnbbzMouseMove,
                   &TRepeatPart::btnbbzMouseUp}}) {
        QPushButton* mark = h.mark;
        varendo::onEvent(mark, QEvent::KeyRelease, [this, &boxes, mark, h](QEvent* event) {
            auto* key = static_cast<QKeyEvent*>(event);
            boxes.guarded([&] { (this->*h.key)(mark, key->key(), key->modifiers()); });
            return false;
        });
        varendo::onEvent(mark, QEvent::MouseButtonPress, [this, &boxes, mark, h](QEvent* event) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            boxes.guarded([&] { (this->*h.down)(mark, mouse->button(), mouse->position().toPoint()); });
            return true;
        });
        varendo::onEvent(mark, QEvent::MouseMove, [this, &boxes, mark, h](QEvent* event) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            boxes.guarded([&] { (this->*h.move)(mark, mouse->position().toPoint()); });
            return true;
        });
        varendo::onEvent(mark, QEvent::MouseButtonRelease, [this, &boxes, mark, h](QEvent*) {
            boxes.guarded([&] { (this->*h.up)(mark); });
            return true;
        });
    }
    for (QEvent::Type type : {QEvent::Move, QEvent::Resize})
        varendo::onEvent(form_.dstrckbr1, type, [this](QEvent*) {
            followBar();
            return false;
        });
}

void TRepeatPart::placeMark(QPushButton* mark, int value)
{
    const TDSTrackBar* bar = form_.dstrckbr1;
    // The bar's design place is one pixel in from its group's edge; the marks
    // keep their place relative to the bar wherever the layout puts it.
    const int left = bar->x() - 1 + markLeft(MarkWindow::Main, bar->width(), bar->maximum(), value);
    mark->setGeometry(left, bar->y() + kMarkBelowBarTop, kMarkWidth, kMarkHeight);
    mark->show();
    mark->raise();
}

void TRepeatPart::followBar()
{
    if (btnabz->isVisible())
        placeMark(btnabz, form_.dstrckbr1->selStart());
    if (btnbbz->isVisible())
        placeMark(btnbbz, form_.dstrckbr1->selEnd());
}

void TRepeatPart::btnaClick(QObject*)
{
    form_.dstrckbr1->setSelStart(form_.dstrckbr1->value());
    placeMark(btnabz, form_.dstrckbr1->value());
}

void TRepeatPart::btnbClick(QObject*)
{
    form_.dstrckbr1->setSelEnd(form_.dstrckbr1->value());
    placeMark(btnbbz, form_.dstrckbr1->value());
}

void TRepeatPart::btretuClick(QObject*)
{
    TDSTrackBar* bar = form_.dstrckbr1;
    if (bar->selStart() == bar->selEnd() && bar->selStart() <= 0) {
        form_.w.messages.ShowMessage(QStringLiteral("请设置复读起终点！"));
        return;
    }
    if (bar->selStart() > bar->selEnd()) {
        form_.w.messages.ShowMessage(QStringLiteral("请设置正确复读的起终点！"));
        return;
    }
    repeatOn = true;
    if (form_.playMode == QLatin1String("video"))
        form_.fltrgrph1->seek(bar->selStart());
    else
        bar->setValue(bar->selStart()); // its change handler seeks the engine
}

namespace {

// The main keyboard's plus key (shared with "=") and minus key.
bool isPlus(int key)
{
    return key == Qt::Key_Plus || key == Qt::Key_Equal;
}

} // namespace

void TRepeatPart::btnabzKeyUp(QObject*, int key, Qt::KeyboardModifiers modifiers)
{
    TDSTrackBar* bar = form_.dstrckbr1;
    const int step = modifiers.testFlag(Qt::ControlModifier) ? 10 : 0;
    // Plus widens the stretch, minus narrows it; the limits are tested before the step.
    if (isPlus(key) && bar->selStart() >= bar->minimum())
        bar->setSelStart(bar->selStart() - step);
    else if (key == Qt::Key_Minus && bar->selStart() <= bar->maximum())
        bar->setSelStart(bar->selStart() + step);
    placeMark(btnabz, bar->selStart());
}

void TRepeatPart::btnbbzKeyUp(QObject*, int key, Qt::KeyboardModifiers modifiers)
{
    TDSTrackBar* bar = form_.dstrckbr1;
    const int step = modifiers.testFlag(Qt::ControlModifier) ? 10 : 0;
    if (isPlus(key) && bar->selEnd() <= bar->maximum())
        bar->setSelEnd(bar->selEnd() + step);
    else if (key == Qt::Key_Minus && bar->selEnd() >= bar->minimum())
        bar->setSelEnd(bar->selEnd() - step);
    placeMark(btnbbz, bar->selEnd());
}

void TRepeatPart::btnabzMouseDown(QObject*, Qt::MouseButton button, QPoint at)
{
    markDragging = button == Qt::LeftButton;
    dragStartX = at.x();
    dragStartY = at.y();
}

void TRepeatPart::btnbbzMouseDown(QObject* sender, Qt::MouseButton button, QPoint at)
{
    btnabzMouseDown(sender, button, at);
}

void TRepeatPart::dragMark(QPushButton* mark, QPoint at, bool start)
{
    if (!markDragging)
        return;
    TDSTrackBar* bar = form_.dstrckbr1;
    const int left = mark->x();
    // The limits look at where the mark was, so one move may pass one; the next pulls it back.
    if (left > bar->x() + bar->width() - 10) {
        mark->move(bar->x() + bar->width() - 10, mark->y());
        return;
    }
    if (left < bar->x() + 10) {
        mark->move(bar->x() + 10, mark->y());
        return;
    }
    const int newLeft = left + (at.x() - dragStartX);
    mark->move(newLeft, mark->y());
    const int value = markValue(MarkWindow::Main, bar->width(), bar->maximum(), newLeft - (bar->x() - 1));
    if (start)
        bar->setSelStart(value);
    else
        bar->setSelEnd(value);
}

void TRepeatPart::btnabzMouseMove(QObject*, QPoint at)
{
    dragMark(btnabz, at, true);
}

void TRepeatPart::btnbbzMouseMove(QObject*, QPoint at)
{
    dragMark(btnbbz, at, false);
}

void TRepeatPart::btnabzMouseUp(QObject*)
{
    markDragging = false;
}

void TRepeatPart::btnbbzMouseUp(QObject* sender)
{
    btnabzMouseUp(sender);
}

void TRepeatPart::C1Click(QObject*)
{
    form_.dstrckbr1->setSelEnd(0);
    form_.dstrckbr1->setSelStart(0);
    btnabz->hide();
    btnbbz->hide();
    repeatOn = false;
}

void TRepeatPart::repeatCheckVideoTick()
{
    TDSTrackBar* bar = form_.dstrckbr1;
    if (repeatOn && bar->value() >= bar->selEnd())
        form_.fltrgrph1->seek(bar->selStart());
}

void TRepeatPart::repeatCheckTimerTick()
{
    TDSTrackBar* bar = form_.dstrckbr1;
    if (!repeatOn || bar->value() < bar->selEnd())
        return;
    form_.trackMovedByProgram = true;
    form_.tmr1->stop();
    try {
        if (form_.playMode == QLatin1String("video"))
            form_.fltrgrph1->seek(bar->selStart());
        else
            form_.audioPlayer->SetPosition(bar->selStart() * 100);
    } catch (...) {
        // A jump that fails is not worth a message; the next tick tries again.
    }
    form_.tmr1->start();
    form_.trackMovedByProgram = false;
}
