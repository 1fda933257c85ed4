#pragma once
// The media graph's engine over GStreamer: playbin decodes the file, an appsink
// hands frames, already scaled to the size they are shown at, to the user
// interface. Bus messages and frames reach the engine through the Qt event
// loop, tagged with the pipeline's generation so a released pipeline is never heard.
// Loading never waits for the file: it pre-rolls while the window goes on, seeks
// wait for the pre-roll, and a failure arrives as errorOccurred.
#include "gstreamer/core/bus_bridge.h"
#include "gstreamer/core/gst_core.h"
#include "gstreamer/core/seek_stall.h"
#include "gstreamer/core/stall_watch.h"
#include "playback/media_engine.h"

#include <QElapsedTimer>
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
    // A playing pipeline whose position has not moved for this long, or whose seek
    // has not finished, is stuck (a sink can wait on the clock for good after a
    // flushing seek on a busy sound server): it is restarted through READY and
    // sought back to where it stood. Only a restart gets it going again.
    static constexpr int kStallLookMs = 500;
    static constexpr int kStillLimitMs = 2000;
    static constexpr int kSeekLimitMs = 2500;

protected:
    void customEvent(QEvent* event) override;

private:
    struct Link;

    bool buildPipeline(const QString& uri);
    void prerollOverdue();
    bool changeState(GstState target);
    void expectPreroll();
    // told: the pipeline said so (not the watchdog's guess).
    void prerollDone(bool told = true);
    bool issueSeek(qint64 positionMs);
    void handleMessage(GstMessage* message);
    void takeFrame();
    void fitFramesToArea();
    void fail(const QString& message);
    void lookForStall();
    void restart(qint64 atMs);
    void seekRefused();
    // Takes the pipeline down to READY and starts it again toward target, from
    // its beginning and at the normal speed; false when a state change failed.
    bool restartTowards(GstState target);

    Pipeline pipeline_;
    BusBridge bus_;
    ElementPtr frameCaps_;   // capsfilter in front of the appsink
    PadPtr scalerInput_;     // where the decoded picture's own size can be read
    std::shared_ptr<Link> link_;
    quint64 generation_ = 0;
    bool local_ = false;
    QString path_;

    varendo::playback::GraphState state_ = varendo::playback::GraphState::Stopped;
    QTimer stallLook_;
    QElapsedTimer stallClock_;
    StallWatch stallWatch_{kStillLimitMs, kSeekLimitMs};
    SeekStall seekStall_;
    bool seekable_ = true;     // false once the file refused a seek
    bool prerolled_ = false;   // a seek can be sent now
    bool prerollTold_ = false; // ... because the pipeline said its pre-roll was done
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
