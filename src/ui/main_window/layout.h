#pragma once
// The window's layout: its client area, the compact and full display modes and
// their sizes.
#include "ui/main_window/part.h"

#include <QtGlobal>

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
    qint32 lastSysCommand = 0;
    QWidget* sysCommandWindow = nullptr;

    // ---- Controls
    QWidget* client = nullptr; // the client area below the menu bar
    QFrame* pnl1 = nullptr;
    QToolButton* btn2 = nullptr;
    QAction *M1 = nullptr, *F3 = nullptr; // window menu: compact and full mode
    QMenu* pm5 = nullptr;                 // on the video window
    QAction *F4 = nullptr, *N17 = nullptr;
};
