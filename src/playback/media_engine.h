#pragma once
// What the media graph needs from a media framework: one file at a time,
// decoded into frames for the video window. Implemented over GStreamer in
// platform/gstreamer/video; tests may put a double in its place.
#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace varendo::playback {

// The graph's states as callers see them; Uninitialised means no graph at all.
enum class GraphState { Uninitialised, Stopped, Paused, Playing };

// One decoded picture; pixelAspect is the width / height of one of its pixels.
struct VideoFrame {
    QImage image;
    double pixelAspect = 1.0;
};

// Every call is made on the user-interface thread, and every signal is raised there.
class MediaEngine : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~MediaEngine() override;

    // Builds the chain for a local file (or a URI) and pre-rolls it, waiting a
    // bounded time. Replaces the file held before. False, with lastError() set,
    // when the file cannot be played; the engine then holds no file.
    virtual bool load(const QString& path) = 0;
    // Stops and lets go of the file.
    virtual void unload() = 0;
    virtual bool hasMedia() const = 0;

    virtual bool play() = 0;
    virtual bool pause() = 0;
    // Stopped files start again from their beginning.
    virtual bool stop() = 0;
    // Stopped, Paused or Playing (Stopped while no file is held).
    virtual GraphState state() const = 0;

    // Milliseconds; empty while unknown. At the end of the file the position
    // is the duration.
    virtual std::optional<qint64> positionMs() const = 0;
    virtual std::optional<qint64> durationMs() const = 0;
    // Accurate seek; issued once the pipeline can take it, so always accepted
    // while a file is held.
    virtual bool seekMs(qint64 positionMs) = 0;

    // Playback rate with the pitch kept (1 normal, 0.5 half speed), kept across
    // files. Positions and durations stay in the file's own time.
    virtual void setRate(double rate) = 0;
    virtual double rate() const = 0;

    // Linear gain 0..1, kept across files.
    virtual void setGain(double gain) = 0;
    // The gain the playing chain holds (the kept one while none).
    virtual double gain() const = 0;

    // The area the video is shown in, so frames can be made at the size they are shown.
    virtual void setVideoArea(QSize area) = 0;

    virtual QString lastError() const = 0;

signals:
    void frameReady(const varendo::playback::VideoFrame& frame);
    // The file played to its end; the state stays Playing, as the position
    // track bar reads the end from the position.
    void endOfMedia();
    // The file failed while loading or playing; the engine has let it go.
    void errorOccurred(const QString& message);
    // The file refused a seek; the engine plays it on from its beginning and does
    // not seek in it again. Raised once per file.
    void seekFailed(const QString& message);
    // A change the engine made by itself (a failure stops it).
    void stateChanged(varendo::playback::GraphState state);
};

using MediaEngineFactory = std::function<std::unique_ptr<MediaEngine>()>;

} // namespace varendo::playback

Q_DECLARE_METATYPE(varendo::playback::VideoFrame)
