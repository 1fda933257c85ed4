#pragma once
// The player's tool bar, recorder group and repeat marks, built the same way for
// the main window and the floating bar: the same controls, names, pictures, hints
// and start states in the same order, so a control's place on one names the same
// control on the other.
#include <QList>

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSlider;
class QToolBar;
class QToolButton;
class QWidget;

namespace varendo {

struct PlayerToolBar {
    QToolBar* bar = nullptr;
    QLabel* StatusBar = nullptr;
    QToolButton *btup = nullptr, *btPlay = nullptr, *btPause = nullptr, *btStop = nullptr, *btnext = nullptr;
    QToolButton *btFullScreen = nullptr, *btna = nullptr, *btnb = nullptr, *btretu = nullptr, *btnrec = nullptr;
    QSlider* SoundLevel = nullptr;
};

// statusWidth and volumeWidth: the widths of the status text and the volume slider.
// iconsFrom: a window whose tool bar was built already and lends its pictures
// (looking them up in the icon theme is a good part of the start-up).
PlayerToolBar buildPlayerToolBar(QWidget* parent, int statusWidth, int volumeWidth, const QWidget* iconsFrom = nullptr);

// Hands the tool bar's controls to a window's members of the same names.
template <typename Window>
void takeToolBar(Window& w, const PlayerToolBar& t)
{
    w.ToolBar = t.bar;
    w.StatusBar = t.StatusBar;
    w.btup = t.btup;
    w.btPlay = t.btPlay;
    w.btPause = t.btPause;
    w.btStop = t.btStop;
    w.btnext = t.btnext;
    w.btFullScreen = t.btFullScreen;
    w.btna = t.btna;
    w.btnb = t.btnb;
    w.btretu = t.btretu;
    w.btnrec = t.btnrec;
    w.SoundLevel = t.SoundLevel;
}

// The controls of a tool bar in their order on it.
QList<QWidget*> toolBarControls(const QToolBar* bar);

struct RecorderGroup {
    QGroupBox* grp9 = nullptr;
    QToolButton *btnplay = nullptr, *btnrecord = nullptr, *btnstop = nullptr;
    QProgressBar* rzprgrsbr1 = nullptr;

    QList<QToolButton*> buttons() const { return {btnplay, btnrecord, btnstop}; }
};

// The recorder's buttons and its playing progress, 134 × 45; their pictures follow
// the recorder's state.
RecorderGroup buildRecorderGroup(QWidget* parent);

template <typename Window>
void takeRecorderGroup(Window& w, const RecorderGroup& g)
{
    w.grp9 = g.grp9;
    w.btnplay = g.btnplay;
    w.btnrecord = g.btnrecord;
    w.btnstop = g.btnstop;
    w.rzprgrsbr1 = g.rzprgrsbr1;
}

// A repeat mark (start: green, end: red), hidden until placed.
QPushButton* buildRepeatMark(QWidget* parent, bool start);

} // namespace varendo
