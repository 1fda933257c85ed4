#pragma once
// The media graph of the main window (fltrgrph1): plays one video file at a
// time through a MediaEngine and shows it in the video window (vdwndw1).
// The position track bars bound to it tick while it plays.
#include "playback/media_arithmetic.h"
#include "playback/media_engine.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>
#include <optional>

#include "playback/video_window.h"

class TFilterGraph : public QObject {
    Q_OBJECT
public:
    using State = varendo::playback::GraphState;

    // factory makes the engine each activation builds (the platform's media framework).
    explicit TFilterGraph(varendo::playback::MediaEngineFactory factory, QObject* parent = nullptr);
    ~TFilterGraph() override;

    // True builds the graph (an engine); false stops and releases it.
    // Activating without an engine factory raises VarendoError.
    bool active() const { return engine_ != nullptr; }
    void setActive(bool on);

    // Stops and removes the file; the video window goes black.
    void clearGraph();
    // Builds the chain for the file. False when it cannot be played; the
    // program never hangs on it (the wait is bounded).
    bool renderFile(const QString& path);

    // Play starts the bound track bars' tick; Pause and Stop halt it.
    bool play();
    bool pause();
    bool stop();
    State state() const;

    // 0..10000, clamped and kept, applied on a logarithmic scale (0 silent).
    int volume() const { return volume_; }
    void setVolume(int volume);
    // The linear gain the playing chain holds (for checks and diagnostics).
    double appliedGain() const;

    // Playback rate with the pitch kept (1 normal), kept across files and activations.
    double rate() const { return rate_; }
    void setRate(double rate);

    // Seeks to a position in seconds (before the start means the start).
    bool seek(double seconds);

    // Milliseconds; empty while there is no file or the value is not known yet.
    std::optional<qint64> currentPositionMs() const;
    std::optional<qint64> durationMs() const;
    // Where playback stops: the end of the file.
    std::optional<qint64> stopPositionMs() const { return durationMs(); }

    void setVideoWindow(TVideoWindow* window);
    TVideoWindow* videoWindow() const { return videoWindow_; }

    QString lastError() const;

signals:
    void stateChanged(varendo::playback::GraphState state);
    void endOfMedia();
    void errorOccurred(const QString& message);
    // The file refused a seek and plays on from its beginning (once per file).
    void seekFailed(const QString& message);

private:
    void setStateSeen(State state);
    void connectEngine();
    void pushVideoArea();
    void applyVolume();

    varendo::playback::MediaEngineFactory factory_;
    std::unique_ptr<varendo::playback::MediaEngine> engine_;
    QPointer<TVideoWindow> videoWindow_;
    QMetaObject::Connection areaConnection_;
    int volume_ = varendo::playback::kMaxVolume;
    double rate_ = 1.0;
    State lastState_ = State::Uninitialised;
    QString lastError_;
};
