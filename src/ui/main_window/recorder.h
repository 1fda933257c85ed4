#pragma once
// The voice recorder: its panel, the hidden capture and output components, the
// progress timer and the recording file.
#include "common/recording_format.h"
#include "ui/main_window/part.h"

#include <QString>
#include <memory>

class QAction;
class QFile;
class QFrame;
class QGroupBox;
class QMenu;
class QProgressBar;
class QTimer;
class QToolButton;

namespace varendo {
class TACMWaveIn;
class TACMWaveOut;
class WaveDevices;
}

class TRecorderPart : protected TMainWindowPart {
public:
    using TMainWindowPart::TMainWindowPart;

    // ---- State
    QString recFileName;
    varendo::WaveFormatRecord recFormat{};
    varendo::WaveFormatRecord* recFormatPtr = nullptr;
    QFile* recStream = nullptr;
    quint32 recStartTick = 0;
    // The wave devices the recorder's components share, over the platform's service.
    std::shared_ptr<varendo::WaveDevices> waveDevices;

    // ---- Controls
    QToolButton* btnrec = nullptr;
    QFrame* pnl2 = nullptr;
    QGroupBox* grp9 = nullptr;
    QToolButton* btnplay = nullptr;
    QToolButton* btnrecord = nullptr;
    QToolButton* btnstop = nullptr;
    QProgressBar* rzprgrsbr1 = nullptr;
    varendo::TACMWaveIn* acmwvn1 = nullptr;
    varendo::TACMWaveOut* acmwvt1 = nullptr;
    QTimer* tmr2 = nullptr;
    QAction* R3 = nullptr; // system menu: the recorder panel
    QMenu* pmrecplay3 = nullptr;
    QAction* pmrecplay = nullptr;
    QMenu* pmrecsave1 = nullptr;
    QAction* pmrecsave = nullptr;
};
