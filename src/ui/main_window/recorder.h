#pragma once
// The voice recorder: its panel, the hidden capture and output components, the
// progress timer and the recording file.
#include "common/recording_format.h"
#include "ui/main_window/part.h"
#include "ui/on_first_use.h"

#include <QPointer>
#include <QString>
#include <memory>

class QAction;
class QFileDialog;
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
class myfirthread;
namespace recorder {
class RecordingFile;
enum class RecorderState;
}
}

class TRecorderPart : protected TMainWindowPart {
public:
    explicit TRecorderPart(TForm1& form);
    ~TRecorderPart();

    // ---- Handlers
    void btnrecClick(QObject* sender);    // shows or hides the panel
    void btnrecordClick(QObject* sender); // starts recording
    void acmwvn1Data(const void* data, int size);
    void btnstopClick(QObject* sender);   // stops recording or playing
    void btnplayClick(QObject* sender);   // plays the working recording
    void tmr2Timer(QObject* sender);      // playing progress, once a second
    void pmrecplay3Popup(QObject* sender);
    void pmrecsave1Popup(QObject* sender);
    void pmrecsaveClick(QObject* sender); // saves a copy of the working recording
    void pmrecplayClick(QObject* sender); // opens a recording and plays it
    void getrectime();                    // the hints tell how long it has been recording
    // The recording hint on the record buttons of both windows.
    void setRecordingHints(const QString& hint);
    void btnrecordMouseEnter(QObject* sender);
    void btnrecMouseMove(QObject* sender);
    void R3Click(QObject* sender);        // system menu: record

    // The picture a recorder button shows; the recorder's state is read from these.
    static int imageOf(const QToolButton* button);
    static void setImage(QToolButton* button, int image);

    // ---- State
    QString recFileName;
    varendo::WaveFormatRecord recFormat{};
    varendo::WaveFormatRecord* recFormatPtr = nullptr;
    std::unique_ptr<varendo::recorder::RecordingFile> recStream;
    quint32 recStartTick = 0;
    qint32 btnplayTag = 0; // whole seconds of the recording playing
    qint32 tmr2Tag = 0;    // seconds played so far
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
    // Made when first opened.
    varendo::OnFirstUse<QFileDialog> dlgOpen1;
    varendo::OnFirstUse<QFileDialog> dlgSave1;

protected:
    void connectRecorderHandlers();
    // At exit: the recording is completed and no playback is left running.
    void recorderShutdown();

private:
    void showState(varendo::recorder::RecorderState state);
    // Starts the worker that plays file, with an output component of its own.
    void startPlayer(const QString& file);
    void abandonPlayer();

    QPointer<varendo::myfirthread> player_;
    QPointer<varendo::TACMWaveOut> playerWaveOut_;
};
