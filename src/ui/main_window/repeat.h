#pragma once
// A-B repeat: the start and end buttons, the repeat switch and the two marks
// above the position bar.
#include "playback/repeat_marks.h"
#include "ui/main_window/part.h"

#include <QPoint>
#include <Qt>
#include <QtGlobal>

class QAction;
class QMenu;
class QPushButton;
class QToolButton;
class TDSTrackBar;

class TRepeatPart : protected TMainWindowPart {
public:
    using TMainWindowPart::TMainWindowPart;

    // Setting the stretch's start and end at the position, and repeating it.
    void btnaClick(QObject* sender);
    void btnbClick(QObject* sender);
    void btretuClick(QObject* sender);
    // Clears the stretch: no band, no marks, no repeating.
    void C1Click(QObject* sender);
    // Ctrl with the main keyboard's plus or minus key nudges a mark by 10 units.
    void btnabzKeyUp(QObject* sender, int key, Qt::KeyboardModifiers modifiers);
    void btnbbzKeyUp(QObject* sender, int key, Qt::KeyboardModifiers modifiers);
    // Dragging a mark moves its end of the stretch (it does not seek).
    void btnabzMouseDown(QObject* sender, Qt::MouseButton button, QPoint at);
    void btnabzMouseMove(QObject* sender, QPoint at);
    void btnabzMouseUp(QObject* sender);
    void btnbbzMouseDown(QObject* sender, Qt::MouseButton button, QPoint at);
    void btnbbzMouseMove(QObject* sender, QPoint at);
    void btnbbzMouseUp(QObject* sender);
    // The floating bar's marks: dragging one moves that end of the stretch in both windows.
    void floatingMarkMouseDown(bool start, Qt::MouseButton button, QPoint at);
    void floatingMarkMouseMove(bool start, QPoint at);
    void floatingMarkMouseUp();
    // The repeat check of the position bar's one-second video tick, and of the
    // 250 ms tick: at or past the end of the stretch, back to its start.
    void repeatCheckVideoTick();
    void repeatCheckTimerTick();
    // Repeating on or off; the 复读 buttons of both bars show it pressed while on.
    void setRepeating(bool on);

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

protected:
    void connectRepeatHandlers();

private:
    // A window's mark with its track bar: where the bar's design place puts the
    // marks' origin, and the marks' top.
    struct MarkSide {
        varendo::playback::MarkWindow window;
        TDSTrackBar* bar;
        QPushButton* mark;
        int origin;
        int top;
    };
    MarkSide markSide(varendo::playback::MarkWindow window, bool start) const;
    void placeMark(const MarkSide& side, int value);
    // Puts a main-window mark where value sits on the position bar, and shows it.
    void placeMark(QPushButton* mark, int value);
    // Marks follow the position bar when the window's layout moves or sizes it.
    void followBar();
    void dragMark(const MarkSide& mine, const MarkSide& other, QPoint at, bool start);
};
