#pragma once
// The video window (vdwndw1): shows the graph's frames at its own size with
// the aspect ratio kept and black around them. In full screen the video moves
// to a borderless window covering the screen; its mouse, double-click and key
// events are raised by this window as if they had happened on it.
#include "playback/media_engine.h"

#include <QPointer>
#include <QWidget>

#include <memory>

#include <QMenu>

namespace varendo::playback {
class FullScreenVideoSurface;
}

class TVideoWindow : public QWidget {
    Q_OBJECT
public:
    explicit TVideoWindow(QWidget* parent = nullptr);
    ~TVideoWindow() override;

    bool fullScreen() const { return fullScreen_; }
    // True shows the video in a window covering the whole screen; false puts
    // it back here. Also re-applied by the graph whenever playback starts.
    void setFullScreen(bool on);
    void applyFullScreen();
    // The full-screen window while it exists (it is made the first time it is needed).
    QWidget* fullScreenWindow() const;

    // The pop-up menu shown on a right click (here and in full screen). A menu
    // attached through customContextMenuRequested works in full screen too.
    void setPopupMenu(QMenu* menu) { popupMenu_ = menu; }
    QMenu* popupMenu() const { return popupMenu_; }

    void showFrame(const varendo::playback::VideoFrame& frame);
    void clearFrame();
    bool hasFrame() const { return !frame_.image.isNull(); }
    const varendo::playback::VideoFrame& frame() const { return frame_; }

    // Size of the area the video is shown in now (here or full screen), in device pixels.
    QSize videoArea() const;

    // Paints a frame into area: the picture fitted with its aspect kept, black elsewhere.
    static void paintFrame(QPainter& painter, const QRect& area,
                           const varendo::playback::VideoFrame& frame);

signals:
    void doubleClicked();
    // Widget coordinates normally, screen coordinates while in full screen.
    void mouseMoved(QPoint position, Qt::KeyboardModifiers modifiers);
    void keyDown(int key, Qt::KeyboardModifiers modifiers);
    void keyUp(int key, Qt::KeyboardModifiers modifiers);
    // The window manager asked to close the full-screen window (e.g. Alt+F4).
    void fullScreenCloseRequested();
    // The size the video is shown at changed (resize, full screen on or off).
    void videoAreaChanged(QSize area);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    friend class varendo::playback::FullScreenVideoSurface;
    void showPopupMenu(const QPoint& globalPos);
    bool showingFullScreen() const;

    varendo::playback::VideoFrame frame_;
    bool fullScreen_ = false;
    std::unique_ptr<varendo::playback::FullScreenVideoSurface> surface_;
    QPointer<QMenu> popupMenu_;
};
