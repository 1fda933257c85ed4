#pragma once
// The floating control bar shown over full-screen video. It slides in from the
// screen's bottom edge and carries copies of the main window's position bar,
// status text, tool bar, volume, recorder buttons and repeat marks; every button
// on it works by running the main window's own handler.
#include <QPoint>
#include <QRect>
#include <QWidget>

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSlider;
class QTimer;
class QToolBar;
class QToolButton;
class TDSTrackBar;
namespace varendo { struct VarendoWindows; }

class TForm7 : public QWidget {
    Q_OBJECT
public:
    explicit TForm7(varendo::VarendoWindows& windows);
    varendo::VarendoWindows& w;

    // Every tool-bar button: runs the main window's button of the same name.
    void btnrecClick(QObject* sender);
    // Every recorder button: runs the main window's recorder button of the same name.
    void btnplayClick(QObject* sender);
    // Seeks the video at every change the learner makes (not while the tick copies the position).
    void dstrckbr1Change(QObject* sender);
    void SoundLevelChange(QObject* sender);
    void FormShow(QObject* sender);

    // Slides in from below the bottom edge of the screen area until one pixel of the
    // bar is left below it; slides out again and hides. Neither blocks: the bar moves
    // 5 pixels every 16 ms. A slide the other way turns it round.
    void slideIn(const QRect& screen);
    void slideOut();
    // Hides at once, ending any slide.
    void hideNow();
    bool sliding() const;

    // The recorder group shows above the bar's right end; the bar grows to hold it.
    void showRecorderGroup(bool show);

    TDSTrackBar* dstrckbr1 = nullptr;
    QToolBar* ToolBar = nullptr;
    QLabel* StatusBar = nullptr;
    QToolButton *btup = nullptr, *btPlay = nullptr, *btPause = nullptr, *btStop = nullptr, *btnext = nullptr;
    QToolButton *btFullScreen = nullptr, *btna = nullptr, *btnb = nullptr, *btretu = nullptr, *btnrec = nullptr;
    QSlider* SoundLevel = nullptr;
    QGroupBox* grp9 = nullptr;
    QToolButton *btnplay = nullptr, *btnrecord = nullptr, *btnstop = nullptr;
    QProgressBar* rzprgrsbr1 = nullptr;
    QPushButton* btnabz = nullptr;
    QPushButton* btnbbz = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void slideStep();
    void placeChildren();

    QWidget* body_ = nullptr; // the bar itself; the recorder group sits above it
    QTimer* slide_ = nullptr;
    int slideTarget_ = 0;
    bool hideAtTarget_ = false;
};
