#pragma once
// Playback control and tracking: the media graph with its video window and
// position bar, the audio player, the tool bar's play controls and the state
// that follows the playing lesson or file.
#include "ui/main_window/part.h"

#include <QString>
#include <QStringList>
#include <memory>

class QAction;
class QGroupBox;
class QLabel;
class QSlider;
class QTimer;
class QToolBar;
class QToolButton;
class TFilterGraph;
class TVideoWindow;
class TDSTrackBar;

namespace varendo {
class TAudioObject;
class TRadioGroup;
}

class TPlaybackPart : protected TMainWindowPart {
public:
    using TMainWindowPart::TMainWindowPart;
    ~TPlaybackPart();

    void playvarendo(const QString& path, int how);

    // ---- State
    QString playMode;
    std::unique_ptr<varendo::TAudioObject> audioPlayer;
    QStringList timingList;
    QString mediaFilter;
    QString lastTimingStamp;
    qint32 sentenceSelStart = 0;
    qint32 sentenceSelLength = 0;
    bool trackMovedByProgram = false;
    bool barSyncing = false;
    bool openFileMode = false;
    qint32 playListCount = 0;
    qint32 playListIndex = 0;

    // ---- Controls
    QGroupBox* grp1 = nullptr;
    TFilterGraph* fltrgrph1 = nullptr;
    TVideoWindow* vdwndw1 = nullptr;
    TDSTrackBar* dstrckbr1 = nullptr;
    QToolBar* ToolBar = nullptr;
    QLabel* StatusBar = nullptr;
    QToolButton* btup = nullptr;
    QToolButton* btPlay = nullptr;
    QToolButton* btPause = nullptr;
    QToolButton* btStop = nullptr;
    QToolButton* btnext = nullptr;
    QSlider* SoundLevel = nullptr;
    varendo::TRadioGroup* rg1 = nullptr;
    QTimer* tmr1 = nullptr;
    QAction* O1 = nullptr;                          // file menu: open a file
    QAction *R2 = nullptr, *N12 = nullptr, *C3 = nullptr; // pane menu: reading modes
};
