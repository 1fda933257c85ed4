#pragma once
// A-B repeat: the start and end buttons, the repeat switch and the two marks
// above the position bar.
#include "ui/main_window/part.h"

#include <QtGlobal>

class QAction;
class QMenu;
class QPushButton;
class QToolButton;

class TRepeatPart : protected TMainWindowPart {
public:
    using TMainWindowPart::TMainWindowPart;

    // Clears the stretch: no band, no marks, no repeating.
    void C1Click(QObject* sender);
    // The repeat check of the position bar's one-second video tick, and of the
    // 250 ms tick: at or past the end of the stretch, back to its start.
    void repeatCheckVideoTick();
    void repeatCheckTimerTick();

    // ---- State
    bool repeatOn = false;
    bool markDragging = false;
    qint32 dragStartX = 0;
    qint32 dragStartY = 0;

    // ---- Controls
    QToolButton* btna = nullptr;
    QToolButton* btnb = nullptr;
    QToolButton* btretu = nullptr;
    QPushButton* btnabz = nullptr; // the A mark
    QPushButton* btnbbz = nullptr; // the B mark
    QMenu* pm3 = nullptr;          // on the position bar
    QAction* C1 = nullptr;
};
