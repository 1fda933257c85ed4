#include "playback/position_track_bar.h"

#include "playback/media_arithmetic.h"
#include "playback/media_graph.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

#include <algorithm>
#include <cmath>

using varendo::playback::GraphState;

namespace {
constexpr int kChannelHeight = 4;
constexpr int kThumbWidth = 9;
} // namespace

TDSTrackBar::TDSTrackBar(QWidget* parent) : QAbstractSlider(parent)
{
    setOrientation(Qt::Horizontal);
    setFocusPolicy(Qt::StrongFocus);
    setRange(0, 10);
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, &TDSTrackBar::tick);
}

TDSTrackBar::~TDSTrackBar() = default;

void TDSTrackBar::setFilterGraph(TFilterGraph* graph)
{
    disconnect(stateConnection_);
    disconnect(destroyedConnection_);
    graph_ = graph;
    if (graph_) {
        stateConnection_ = connect(graph_, &TFilterGraph::stateChanged, this, &TDSTrackBar::followGraphState);
        destroyedConnection_ = connect(graph_, &QObject::destroyed, &timer_, &QTimer::stop);
    }
    followGraphState();
}

void TDSTrackBar::followGraphState()
{
    if (graph_ && graph_->state() == GraphState::Playing) {
        if (!timer_.isActive())
            timer_.start();
    } else {
        timer_.stop();
    }
}

void TDSTrackBar::tick()
{
    // The learner holds the bar: leave Position where the mouse put it.
    if (leftDown_ || !graph_)
        return;
    const auto current = graph_->currentPositionMs();
    const auto duration = graph_->durationMs();
    if (!current || !duration)
        return;
    const auto values = varendo::playback::trackTickFor(*current, *duration);
    setMinimum(values.min);
    setMaximum(values.max);
    setValue(values.position);
    emit timer(*current, *duration);
}

void TDSTrackBar::seekToPosition()
{
    if (!graph_ || !graph_->active())
        return;
    const qint64 target = varendo::playback::releaseSeekTargetMs(
        graph_->stopPositionMs().value_or(-1), value(), maximum());
    if (target >= 0)
        graph_->seek(target / 1000.0);
}

void TDSTrackBar::setSelStart(int value)
{
    if (selStart_ != value) {
        selStart_ = value;
        update();
    }
}

void TDSTrackBar::setSelEnd(int value)
{
    if (selEnd_ != value) {
        selEnd_ = value;
        update();
    }
}

int TDSTrackBar::valueToX(int value) const
{
    const int span = maximum() - minimum();
    if (span <= 0)
        return kChannelInset;
    const double fraction = double(std::clamp(value, minimum(), maximum()) - minimum()) / span;
    return kChannelInset + int(std::lround(fraction * (width() - 2 * kChannelInset)));
}

int TDSTrackBar::xToValue(int x) const
{
    const int pixels = width() - 2 * kChannelInset;
    if (pixels <= 0)
        return minimum();
    const double fraction = double(x - kChannelInset) / pixels;
    const int value = minimum() + int(std::lround(fraction * (maximum() - minimum())));
    return std::clamp(value, minimum(), maximum());
}

QSize TDSTrackBar::sizeHint() const
{
    return {200, 16};
}

QSize TDSTrackBar::minimumSizeHint() const
{
    return {2 * kChannelInset + kThumbWidth, 12};
}

void TDSTrackBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPalette& pal = palette();
    painter.fillRect(rect(), pal.window());

    const int left = kChannelInset;
    const int right = std::max(left, width() - kChannelInset);
    const int top = (height() - kChannelHeight) / 2;
    const QRect channel(left, top, right - left, kChannelHeight);
    painter.fillRect(channel, pal.base());
    painter.setPen(pal.color(QPalette::Dark));
    painter.drawLine(channel.topLeft(), channel.topRight());
    painter.drawLine(channel.topLeft(), channel.bottomLeft());
    painter.setPen(pal.color(QPalette::Light));
    painter.drawLine(channel.bottomLeft(), channel.bottomRight());
    painter.drawLine(channel.topRight(), channel.bottomRight());

    // The repeat stretch; nothing while it is empty (both ends 0) or reversed.
    if (selEnd_ > selStart_) {
        const int x1 = valueToX(selStart_);
        const int x2 = valueToX(selEnd_);
        painter.fillRect(QRect(x1, top + 1, std::max(1, x2 - x1), kChannelHeight - 1),
                         pal.color(QPalette::Highlight));
    }

    const int centre = valueToX(value());
    const QRect thumb(centre - kThumbWidth / 2, 1, kThumbWidth, std::max(4, height() - 2));
    painter.setPen(pal.color(QPalette::Dark));
    painter.setBrush(isSliderDown() ? pal.mid() : pal.button());
    painter.drawRect(thumb.adjusted(0, 0, -1, -1));

    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect();
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void TDSTrackBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractSlider::mousePressEvent(event);
        return;
    }
    leftDown_ = true;
    setSliderDown(true);
    setSliderPosition(xToValue(event->position().toPoint().x()));
    event->accept();
}

void TDSTrackBar::mouseMoveEvent(QMouseEvent* event)
{
    if (!leftDown_) {
        QAbstractSlider::mouseMoveEvent(event);
        return;
    }
    setSliderPosition(xToValue(event->position().toPoint().x()));
    event->accept();
}

void TDSTrackBar::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !leftDown_) {
        QAbstractSlider::mouseReleaseEvent(event);
        return;
    }
    leftDown_ = false;
    setSliderDown(false);
    seekToPosition();
    event->accept();
}

void TDSTrackBar::keyReleaseEvent(QKeyEvent* event)
{
    if (!event->isAutoRepeat())
        emit keyUp(event->key(), event->modifiers());
    QAbstractSlider::keyReleaseEvent(event);
}

void TDSTrackBar::contextMenuEvent(QContextMenuEvent* event)
{
    if (popupMenu_)
        popupMenu_->popup(event->globalPos());
}
