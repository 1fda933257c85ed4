#pragma once
// Plays a recording file: a worker thread reads the file's blocks and hands
// each one to the user-interface thread, which writes it to the output
// device; the thread waits for each hand-over. The device plays what it is
// given in order, so all blocks are queued within moments.
//
// The output component is a widget, so the user-interface thread makes it and
// opens the output device with it before the thread starts.
#include "common/recording_format.h"

#include <QThread>

#include <functional>
#include <memory>

namespace varendo {

class TACMWaveOut;

class myfirthread : public QThread {
    Q_OBJECT
public:
    // Steps run on the user-interface thread while the worker waits.
    struct Steps {
        std::function<void()> showPlaying;            // the recorder shows it plays
        std::function<void()> stop;                   // nothing (more) to play: back to idle
        std::function<void(qint32 seconds)> started;  // the length is known; the clock starts
        std::function<void(qint32 seconds, const char* block, int size)> writeBlock;
        std::function<void(const QString& reason)> unreadable; // the file cannot be opened
    };

    // context: the user-interface object the steps run on; it outlives the
    // thread or abandons it first. waveOut: the output component, already
    // open on the recording format.
    myfirthread(const QString& fileName, TACMWaveOut* waveOut, QObject* context, Steps steps);
    ~myfirthread() override;

    // No step runs any more once this returns; the thread ends shortly after.
    // Called on the user-interface thread: when the recording is stopped, and
    // before the context goes.
    void abandon();
    bool abandoned() const;

    QString FileName;
    TACMWaveOut* WaveOut = nullptr;
    WaveFormatRecord Format = gsmRecordingFormat();
    qint32 Seconds = 0;
    char Block[65] = {};
    int BlockSize = 0;

protected:
    void run() override; // the thread's body

private:
    // Runs step on the user-interface thread and waits for it; false when the
    // player was abandoned before it ran.
    bool onUiThread(std::function<void()> step);

    struct Shared;
    std::shared_ptr<Shared> shared_;
    QObject* context_;
    Steps steps_;
};

} // namespace varendo
