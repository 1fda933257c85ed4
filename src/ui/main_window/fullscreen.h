#pragma once
// Full-screen viewing of the video, with the floating control bar (Form7): going
// in and out, the bar sliding in near the bottom edge, and the bar's copies of the
// tool bar and recorder kept like the main window's.
#include "ui/main_window/part.h"

#include <QPoint>
#include <QRect>

class QObject;
class QToolButton;

class TFullScreenPart : protected TMainWindowPart {
public:
    using TMainWindowPart::TMainWindowPart;

    // The full-screen toggle, on a double click of the video and on btFullScreen.
    // Nothing in audio mode, nor on a stopped video in the normal window.
    void vdwndw1DblClick(QObject* sender);
    void btFullScreenClick(QObject* sender);
    // While in full screen: the pointer in the screen's bottom 75 pixels slides the
    // floating bar in, anywhere above slides it out. at is in screen coordinates.
    void vdwndw1MouseMove(QObject* sender, QPoint at);
    // The floating bar's tool buttons and recorder buttons take the main window's states.
    void setform7button();
    // The floating bar's copies of the recorder's controls follow the main window's:
    // pictures, panel, progress and the record button's pressed state.
    void recorderChanged();

    // Leaving full screen by Stop, and by Esc (or the full-screen window being closed).
    void leaveFullScreenOnStop();
    void leaveFullScreenOnEscape();
    // The main window is hidden because the video fills the screen.
    bool inFullScreen() const;

    // ---- Controls
    QToolButton* btFullScreen = nullptr;

protected:
    void connectFullScreenHandlers();

private:
    void enterFullScreen();
    // The toggle's way out, and the way out when double-clicked while stopped.
    void leaveByToggle();
    void leaveWhenStopped();
    void showMainWindowAgain();
    void setFullScreen(bool on);
    void hideFloatingBar();
    QRect videoScreen() const;
};
