// A-B repeat: the stretch's start and end, its marks over the position bar,
// repeating it, and the checks the position ticks run.
#include "ui/main_window.h"

#include "audio/audio_object.h"
#include "playback/media_graph.h"
#include "playback/position_track_bar.h"
#include "playback/repeat_marks.h"
#include "ui/event_hook.h"
#include "ui/floating_bar.h"
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
constexpr int kFloatingMarkBelowBarTop = 15;

} // namespace

void TRepeatPart::connectRepeatHandlers()
{
    const varendo::MessageBoxes& boxes = form_.w.messages;
    for (auto [button, handler] : {std::pair{btna, &TRepeatPart::btnaClick}, std::pair{btnb, &TRepeatPart::btnbClick},
                                   std::pair{btretu, &TRepeatPart::btretuClick}})
        QObject::connect(button, &QToolButton::clicked, &form_,
                         [this, &boxes, button = button, handler = handler] { boxes.guarded([&] { (this->*handler)(button); }); });
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

TRepeatPart::MarkSide TRepeatPart::markSide(MarkWindow window, bool start) const
{
    if (window == MarkWindow::Main) {
        TDSTrackBar* bar = form_.dstrckbr1;
        // The bar's design place is one pixel in from its group's edge; the marks
        // keep their place relative to the bar wherever the layout puts it.
        return {window, bar, start ? btnabz : btnbbz, bar->x() - 1, bar->y() + kMarkBelowBarTop};
    }
    TForm7* floating = form_.w.Form7;
    TDSTrackBar* bar = floating->dstrckbr1;
    // The floating bar's track bar is designed 8 pixels out past the bar's left edge.
    return {window, bar, start ? floating->btnabz : floating->btnbbz, bar->x() + 8, bar->y() + kFloatingMarkBelowBarTop};
}

void TRepeatPart::placeMark(const MarkSide& side, int value)
{
    const int left = side.origin + markLeft(side.window, side.bar->width(), side.bar->maximum(), value);
    side.mark->setGeometry(left, side.top, kMarkWidth, kMarkHeight);
    side.mark->show();
    side.mark->raise();
}

void TRepeatPart::placeMark(QPushButton* mark, int value)
{
    placeMark(markSide(MarkWindow::Main, mark == btnabz), value);
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
    const int at = form_.dstrckbr1->value();
    form_.dstrckbr1->setSelStart(at);
    form_.w.Form7->dstrckbr1->setSelStart(at);
    placeMark(btnabz, at);
    placeMark(markSide(MarkWindow::Floating, true), at);
}

void TRepeatPart::btnbClick(QObject*)
{
    const int at = form_.dstrckbr1->value();
    form_.dstrckbr1->setSelEnd(at);
    placeMark(btnbbz, at);
    // The floating bar's end is its own position, which the video tick keeps equal to the main one.
    TDSTrackBar* floating = form_.w.Form7->dstrckbr1;
    floating->setSelEnd(floating->value());
    placeMark(markSide(MarkWindow::Floating, false), floating->value());
}

void TRepeatPart::btretuClick(QObject*)
{
    TDSTrackBar* bar = form_.dstrckbr1;
    // The button flips itself when clicked: it shows what the repeat really is.
    setRepeating(repeatOn);
    if (bar->selStart() == bar->selEnd() && bar->selStart() <= 0) {
        form_.w.messages.ShowMessage(QStringLiteral("请设置复读起终点！"));
        return;
    }
    if (bar->selStart() > bar->selEnd()) {
        form_.w.messages.ShowMessage(QStringLiteral("请设置正确复读的起终点！"));
        return;
    }
    setRepeating(true);
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

void TRepeatPart::dragMark(const MarkSide& mine, const MarkSide& other, QPoint at, bool start)
{
    if (!markDragging)
        return;
    TDSTrackBar* bar = mine.bar;
    QPushButton* mark = mine.mark;
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
    // The floating bar's marks stand 10 pixels left of the main window's.
    const int designLeft = newLeft - mine.origin;
    const int otherLeft = designLeft + (mine.window == MarkWindow::Main ? -10 : 10);
    other.mark->move(other.origin + otherLeft, other.mark->y());
    const int value = markValue(mine.window, bar->width(), bar->maximum(), designLeft);
    const int otherValue = markValue(other.window, other.bar->width(), other.bar->maximum(), otherLeft);
    if (start) {
        bar->setSelStart(value);
        other.bar->setSelStart(otherValue);
    } else {
        bar->setSelEnd(value);
        other.bar->setSelEnd(otherValue);
    }
}

void TRepeatPart::floatingMarkMouseDown(bool, Qt::MouseButton button, QPoint at)
{
    btnabzMouseDown(nullptr, button, at);
}

void TRepeatPart::floatingMarkMouseMove(bool start, QPoint at)
{
    dragMark(markSide(MarkWindow::Floating, start), markSide(MarkWindow::Main, start), at, start);
}

void TRepeatPart::floatingMarkMouseUp()
{
    markDragging = false;
}

void TRepeatPart::btnabzMouseMove(QObject*, QPoint at)
{
    dragMark(markSide(MarkWindow::Main, true), markSide(MarkWindow::Floating, true), at, true);
}

void TRepeatPart::btnbbzMouseMove(QObject*, QPoint at)
{
    dragMark(markSide(MarkWindow::Main, false), markSide(MarkWindow::Floating, false), at, false);
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
    TForm7* floating = form_.w.Form7;
    for (TDSTrackBar* bar : {form_.dstrckbr1, floating->dstrckbr1}) {
        bar->setSelEnd(0);
        bar->setSelStart(0);
    }
    for (QPushButton* mark : {btnabz, btnbbz, floating->btnabz, floating->btnbbz})
        mark->hide();
    setRepeating(false);
}

void TRepeatPart::setRepeating(bool on)
{
    repeatOn = on;
    for (QToolButton* button : {btretu, form_.w.Form7->btretu})
        if (button->isCheckable())
            button->setChecked(on);
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
    const qint64 unitMs = form_.playMode == QLatin1String("video") ? 1000 : 100;
    form_.jumpTo(bar->selStart() * unitMs);
}
