#pragma once
// One stream or module of the audio library: its pipeline, what its streaming
// threads report, where it plays and where it is headed.
//
// Nothing here waits on GStreamer for long: a seek asked for while a state
// change or another seek is in flight is held and sent once the pipeline has
// settled; an internet stream connects while the window goes on, and one that
// does not start within its time-out ends with the error.
//
// The pipeline is not asked anything while a flushing seek is in flight (a query
// then can leave the sink waiting on the clock for good), and a watchdog restarts
// a playing local channel that is stuck, through READY, at where it stood.
#include "audio/audio_library.h"
#include "gstreamer/audio/channel_state.h"
#include "gstreamer/audio/output_chain.h"
#include "gstreamer/core/bus_bridge.h"
#include "gstreamer/core/seek_stall.h"
#include "gstreamer/core/stall_watch.h"

#include <QElapsedTimer>
#include <QTimer>

#include <memory>
#include <optional>

namespace varendo::gst {

class AudioChannel {
public:
    enum class Play { Stopped, Playing, Paused };
    enum class Kind { Stream, Module, Internet };

    AudioChannel(Kind kind, std::uint32_t rate);
    ~AudioChannel(); // the pipeline is taken down off this thread
    AudioChannel(const AudioChannel&) = delete;
    AudioChannel& operator=(const AudioChannel&) = delete;

    // Builds the output and returns the builder for the source in front of it.
    bool buildOutput(const OutputSettings& settings);
    BinBuilder& builder() { return build_; }
    GstElement* addDecoder();
    const std::shared_ptr<ChannelState>& state() const { return state_; }
    const OutputChain& output() const { return output_; }

    // Starts the pre-roll; false when the pipeline refuses at once.
    bool open();
    // Waits at most timeoutMs for the pre-roll; false when it failed (true when
    // it is still under way or done).
    bool waitOpened(int timeoutMs);
    // Ends the channel with why unless it has started by then.
    void failUnlessStartedWithin(int timeoutMs, const QString& why);

    bool isModule() const { return kind_ == Kind::Module; }
    bool isInternet() const { return kind_ == Kind::Internet; }

    bool play(bool outputHeld);
    bool pause();
    bool resume(bool outputHeld);
    void stop();
    // Holds or restarts the output of a playing channel.
    void hold(bool held);

    // Playback rate with the pitch kept (the output's scaletempo): a seek to where
    // the channel is, at the new rate. Local sources only.
    bool setTempo(double rate);

    std::uint64_t length();
    std::uint64_t position();
    bool seek(std::uint64_t bytes);

    AudioLibrary::Activity activity();
    QString error();

    std::uint32_t rate() const { return rate_; }
    int bandsUsed = 0;

    // How often the watchdog looks, and how long a playing channel may stand
    // still or a seek stay unfinished before it is restarted.
    static constexpr int kStallLookMs = 500;
    static constexpr int kStillLimitMs = 2000;
    static constexpr int kSeekLimitMs = 2500;
    // A flushing seek whose end has not been heard of after this long is looked
    // at again through the pipeline's state.
    static constexpr int kSeekQuietMs = 1000;

private:
    bool setState(GstState state);
    bool busy() const;
    // Sends what waited for the pipeline to settle and reads what it now knows.
    void settle();
    void onMessage(GstMessage* message);
    void onTap(GstMessage* message);
    void release();
    // Whether a flushing seek sent is still in flight (known without asking the pipeline).
    bool seekInFlight(int asyncDone) const;
    void sendSeek(std::uint64_t bytes);
    void lookForStall();
    void restart();
    // Playing a local source with the output not held: its position should move.
    bool meantToMove() const;
    void watchWhilePlaying();

    const Kind kind_;
    const std::uint32_t rate_;
    std::shared_ptr<ChannelState> state_ = std::make_shared<ChannelState>();
    Pipeline pipeline_;
    BinBuilder build_;
    BusBridge bus_;
    OutputChain output_;
    QTimer startLimit_;
    Play play_ = Play::Stopped;
    bool started_ = false; // pre-rolled at least once
    std::uint64_t lengthBytes_ = AudioLibrary::kNoValue;
    std::uint64_t lastPosition_ = 0;
    std::optional<std::uint64_t> pendingSeek_; // waits for the pipeline to settle
    std::optional<std::uint64_t> seekingTo_;   // sent, not yet done
    double tempo_ = 1.0;                        // every seek carries it
    int seekAsyncMark_ = 0;                     // pre-rolls done when the seek in flight was sent
    QElapsedTimer seekSent_;
    bool held_ = false;                         // the library holds the output
    QTimer stallLook_;
    QElapsedTimer stallClock_;
    StallWatch stallWatch_{kStillLimitMs, kSeekLimitMs};
    SeekStall seekStall_;
};

} // namespace varendo::gst
