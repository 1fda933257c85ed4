#pragma once
// The media graph's engine over GStreamer: playbin decodes the file, an appsink
// hands frames, already scaled to the size they are shown at, to the user
// interface. Bus messages and frames reach the engine through the Qt event
// loop, tagged with the pipeline's generation so a released pipeline is never heard.
// Loading never waits for the file: it pre-rolls while the window goes on, seeks
// wait for the pre-roll, and a failure arrives as errorOccurred.
#include "gstreamer/core/bus_bridge.h"
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

    void setRate(double rate) override;
    double rate() const override { return rate_; }

    void setGain(double gain) override;
    double gain() const override;

    void setVideoArea(QSize area) override;

    QString lastError() const override { return lastError_; }

    // A local file that has not pre-rolled by then never will (a demuxer can
    // fail on it without a word): it is reported as unplayable.
    static constexpr int kLocalPrerollLimitMs = 8000;
    // After this long without news of a pre-roll, seeks are sent anyway.
    static constexpr int kPrerollWatchdogMs = 3000;
    // A playing pipeline whose position has not moved for this long is stuck
    // (an audio sink can stay corked after a flushing seek on a starved sound
    // server); pausing and playing it again sets it going.
    static constexpr int kStallMs = 2000;

protected:
    void customEvent(QEvent* event) override;

private:
    struct Link;

    bool buildPipeline(const QString& uri);
    void prerollOverdue();
    bool changeState(GstState target);
    void expectPreroll();
    void prerollDone();
    bool issueSeek(qint64 positionMs);
    void handleMessage(GstMessage* message);
    void takeFrame();
    void fitFramesToArea();
    void fail(const QString& message);
    void checkStall();

    Pipeline pipeline_;
    BusBridge bus_;
    ElementPtr frameCaps_;   // capsfilter in front of the appsink
    PadPtr scalerInput_;     // where the decoded picture's own size can be read
    std::shared_ptr<Link> link_;
    quint64 generation_ = 0;
    bool local_ = false;
    QString path_;

    varendo::playback::GraphState state_ = varendo::playback::GraphState::Stopped;
    QTimer stallCheck_;
    qint64 stallPositionMs_ = -1;
    int stallTicks_ = 0;
    bool prerolled_ = false;   // a seek can be sent now
    bool everPrerolled_ = false;
    bool atEnd_ = false;
    std::optional<qint64> pendingSeekMs_;  // waits for the pre-roll
    std::optional<qint64> seekingToMs_;    // sent, not finished
    mutable std::optional<qint64> durationCacheMs_;
    double gain_ = 1.0;
    double rate_ = 1.0;
    double appliedRate_ = 1.0; // the rate of the pipeline's segment now
    QSize area_;
    QSize frameSize_;          // what the capsfilter asks for now; empty: the file's own size
    QString lastError_;
    // A pre-roll that never reports its end must not hold seeks back for good.
    QTimer prerollWatchdog_;
    QTimer prerollLimit_;
};

// The factory main() hands the media graph (TFilterGraph) through the platform services.
varendo::playback::MediaEngineFactory mediaEngineFactory();

} // namespace varendo::gst
