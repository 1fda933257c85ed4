#include "playback/video_window.h"

#include "playback/media_arithmetic.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace varendo::playback {

// The borderless window that holds the video while in full screen. It has no
// behaviour of its own: everything the learner does on it is raised by the
// video window that owns it.
class FullScreenVideoSurface : public QWidget {
public:
    explicit FullScreenVideoSurface(TVideoWindow* owner)
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), owner_(owner)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_NoSystemBackground);
        setMouseTracking(true);
        setFocusPolicy(Qt::StrongFocus);
        setWindowTitle(owner->window()->windowTitle());
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        TVideoWindow::paintFrame(painter, rect(), owner_->frame());
    }
    void resizeEvent(QResizeEvent*) override { emit owner_->videoAreaChanged(owner_->videoArea()); }
    void mouseDoubleClickEvent(QMouseEvent*) override { emit owner_->doubleClicked(); }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        emit owner_->mouseMoved(event->globalPosition().toPoint(), event->modifiers());
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        emit owner_->keyDown(event->key(), event->modifiers());
    }
    void keyReleaseEvent(QKeyEvent* event) override
    {
        if (!event->isAutoRepeat())
            emit owner_->keyUp(event->key(), event->modifiers());
    }
    void contextMenuEvent(QContextMenuEvent* event) override
    {
        owner_->showPopupMenu(event->globalPos());
    }
    void closeEvent(QCloseEvent* event) override
    {
        // Leaving full screen is the main window's business (it shows itself again).
        event->ignore();
        emit owner_->fullScreenCloseRequested();
    }

private:
    TVideoWindow* owner_;
};

} // namespace varendo::playback

using varendo::playback::FullScreenVideoSurface;
using varendo::playback::VideoFrame;

TVideoWindow::TVideoWindow(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
}

TVideoWindow::~TVideoWindow() = default;

QWidget* TVideoWindow::fullScreenWindow() const
{
    return surface_.get();
}

bool TVideoWindow::showingFullScreen() const
{
    return fullScreen_ && surface_ && surface_->isVisible();
}

void TVideoWindow::setFullScreen(bool on)
{
    fullScreen_ = on;
    applyFullScreen();
}

void TVideoWindow::applyFullScreen()
{
    if (fullScreen_) {
        if (!surface_)
            surface_ = std::make_unique<FullScreenVideoSurface>(this);
        QScreen* target = screen() ? screen() : QGuiApplication::primaryScreen();
        if (target)
            surface_->setGeometry(target->geometry());
        if (!surface_->isVisible())
            surface_->showFullScreen();
        surface_->raise();
        surface_->activateWindow();
        surface_->setFocus(Qt::OtherFocusReason);
    } else if (surface_ && surface_->isVisible()) {
        surface_->hide();
    }
    update();
    emit videoAreaChanged(videoArea());
}

QSize TVideoWindow::videoArea() const
{
    const QWidget* shownIn = showingFullScreen() ? static_cast<const QWidget*>(surface_.get()) : this;
    // In device pixels, so frames are made at the resolution they are shown at.
    const qreal ratio = shownIn->devicePixelRatioF();
    return QSize(qRound(shownIn->width() * ratio), qRound(shownIn->height() * ratio));
}

void TVideoWindow::showFrame(const VideoFrame& frame)
{
    frame_ = frame;
    if (showingFullScreen())
        surface_->update();
    else
        update();
}

void TVideoWindow::clearFrame()
{
    frame_ = {};
    update();
    if (surface_)
        surface_->update();
}

void TVideoWindow::paintFrame(QPainter& painter, const QRect& area, const VideoFrame& frame)
{
    const QRect target = varendo::playback::fitVideoRect(frame.image.size(), frame.pixelAspect, area);
    if (target.isEmpty()) {
        painter.fillRect(area, Qt::black);
        return;
    }
    // Black only around the picture, so the picture itself is drawn once.
    const QRegion around = QRegion(area).subtracted(QRegion(target));
    for (const QRect& r : around)
        painter.fillRect(r, Qt::black);
    const qreal ratio = painter.device()->devicePixelRatioF();
    if (QSize(qRound(target.width() * ratio), qRound(target.height() * ratio)) == frame.image.size()) {
        painter.drawImage(target, frame.image);
    } else {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, frame.image);
    }
}

void TVideoWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (showingFullScreen())
        painter.fillRect(rect(), Qt::black);
    else
        paintFrame(painter, rect(), frame_);
}

void TVideoWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (!showingFullScreen())
        emit videoAreaChanged(videoArea());
}

void TVideoWindow::mouseDoubleClickEvent(QMouseEvent*)
{
    emit doubleClicked();
}

void TVideoWindow::mouseMoveEvent(QMouseEvent* event)
{
    emit mouseMoved(event->position().toPoint(), event->modifiers());
    QWidget::mouseMoveEvent(event);
}

void TVideoWindow::keyPressEvent(QKeyEvent* event)
{
    emit keyDown(event->key(), event->modifiers());
    QWidget::keyPressEvent(event);
}

void TVideoWindow::keyReleaseEvent(QKeyEvent* event)
{
    if (!event->isAutoRepeat())
        emit keyUp(event->key(), event->modifiers());
    QWidget::keyReleaseEvent(event);
}

void TVideoWindow::contextMenuEvent(QContextMenuEvent* event)
{
    showPopupMenu(event->globalPos());
}

void TVideoWindow::showPopupMenu(const QPoint& globalPos)
{
    if (popupMenu_)
        popupMenu_->popup(globalPos);
    else if (contextMenuPolicy() == Qt::CustomContextMenu)
        // A menu attached the Qt way; from full screen it still gets a point
        // that maps back to where the click was.
        emit customContextMenuRequested(mapFromGlobal(globalPos));
}
