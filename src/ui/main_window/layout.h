#pragma once
// The window's layout: its client area laid out for any window size, the
// compact and full display modes, and the media list window docked over the
// new-words group.
#include "ui/main_window/layout_rule.h"
#include "ui/main_window/part.h"

class QAction;
class QFrame;
class QMenu;
class QObject;
class QToolButton;
class QWidget;

class TLayoutPart : protected TMainWindowPart {
public:
    using TMainWindowPart::TMainWindowPart;

    // Sets the window's outer size as the layout counts it.
    void setOuterSize(int width, int height);
    // The outer size as the layout counts it: the client area below the menu
    // bar, with the frame, title and menu bar around it.
    varendo::OuterSize outerSize() const;
    // Lays the controls out for the window's size; runs on every size change,
    // the first showing included.
    void FormResize(QObject* sender);
    // Compact mode (position bar, tool bar and the top of the title pane) and full mode.
    void M1Click(QObject* sender);
    void F3Click(QObject* sender);
    // Places the media list window over the new-words group, flush with the
    // main window's bottom edge.
    void setform6pos();
    // Shows the media list window in its place.
    void btn2Click(QObject* sender);
    void N17Click(QObject* sender);

protected:
    void connectLayoutHandlers();

public:
    // ---- State
    // The window, main or media list window, the learner last acted on. A docked
    // media list window follows the main window's moves only while this is the
    // main window, so a list window the learner has just dragged away stays put.
    QWidget* sysCommandWindow = nullptr;

    // ---- Controls
    QWidget* client = nullptr; // the client area below the menu bar
    QFrame* pnl1 = nullptr;
    QToolButton* btn2 = nullptr;
    QAction *M1 = nullptr, *F3 = nullptr; // window menu: compact and full mode
    QMenu* pm5 = nullptr;                 // on the video window
    QAction *F4 = nullptr, *N17 = nullptr;

private:
    void setDisplaySize(varendo::OuterSize size);
    // The media list window is shown and fixed below the main window.
    bool listDocked() const;
    // Re-places a docked media list window; it must never stop the caller.
    void replaceDockedList();
    void mainWindowMoved();
};
