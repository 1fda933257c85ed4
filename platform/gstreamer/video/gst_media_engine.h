#pragma once
// The media graph's engine over GStreamer: playbin decodes the file, an appsink
// hands frames, already scaled to the size they are shown at, to the user
// interface. Bus messages and frames reach the engine through the Qt event
// loop, tagged with the pipeline's generation so a released pipeline is never heard.
#include "gstreamer/core/gst_core.h"
#include "playback/media_engine.h"

#include <QSize>
#include <QTimer>

#include <memory>
#include <optional>

namespace varendo::gst {

class GstMediaEngine final : public varendo::playback::MediaEngine {
    Q_OBJECT
public:
    explicit GstMediaEngine(QObject* parent = nullptr);
    ~GstMediaEngine() override;

    bool load(const QString& path) override;
    void unload() override;
    bool hasMedia() const override { return static_cast<bool>(pipeline_); }

    bool play() override;
    bool pause() override;
    bool stop() override;
    varendo::playback::GraphState state() const override { return state_; }

    std::optional<qint64> positionMs() const override;
    std::optional<qint64> durationMs() const override;
    bool seekMs(qint64 positionMs) override;

    void setGain(double gain) override;
    double gain() const override;

    void setVideoArea(QSize area) override;

    QString lastError() const override { return lastError_; }

    // Longest wait for a file to pre-roll when it is loaded. Local files
    // take well under a second; one that takes longer is taken as unplayable.
    static constexpr int kPrerollWaitMs = 8000;
    // After this long without news of a pre-roll, seeks are sent anyway.
    static constexpr int kPrerollWatchdogMs = 3000;

protected:
    void customEvent(QEvent* event) override;

private:
    struct Link;

    bool buildPipeline(const QString& uri);
    bool changeState(GstState target);
    void expectPreroll();
    void prerollDone();
    bool issueSeek(qint64 positionMs);
    void handleMessage(GstMessage* message);
    void takeFrame();
    void fitFramesToArea();
    void fail(const QString& message);

    Pipeline pipeline_;
    ElementPtr frameCaps_;   // capsfilter in front of the appsink
    PadPtr scalerInput_;     // where the decoded picture's own size can be read
    std::shared_ptr<Link> link_;
    quint64 generation_ = 0;

    varendo::playback::GraphState state_ = varendo::playback::GraphState::Stopped;
    bool prerolled_ = false;   // a seek can be sent now
    // Pre-roll notices load() already waited for: their queued copies must not be
    // taken for the end of a later seek or state change.
    int staleAsyncDone_ = 0;
    bool atEnd_ = false;
    std::optional<qint64> pendingSeekMs_;  // waits for the pre-roll
    std::optional<qint64> seekingToMs_;    // sent, not finished
    mutable std::optional<qint64> durationCacheMs_;
    double gain_ = 1.0;
    QSize area_;
    QSize frameSize_;          // what the capsfilter asks for now; empty: the file's own size
    QString lastError_;
    // A pre-roll that never reports its end must not hold seeks back for good.
    QTimer prerollWatchdog_;
};

// The factory main() hands the media graph (TFilterGraph) through the platform services.
varendo::playback::MediaEngineFactory mediaEngineFactory();

} // namespace varendo::gst
