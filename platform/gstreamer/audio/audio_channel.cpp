#include "gstreamer/audio/audio_channel.h"

#include "gstreamer/audio/internet_source.h"
#include "gstreamer/core/teardown.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace varendo::gst {

namespace {

using Shared = Held<ChannelState>;
constexpr int kBytesPerFrame = AudioLibrary::kBytesPerFrame;

std::uint64_t nsToBytes(gint64 ns, std::uint32_t rate)
{
    return std::uint64_t(gst_util_uint64_scale(guint64(ns), rate, GST_SECOND)) * kBytesPerFrame;
}

void onDecodedPad(GstElement*, GstPad* pad, gpointer data)
{
    ChannelState& state = Shared::of(data);
    CapsPtr caps(gst_pad_get_current_caps(pad));
    if (!caps)
        caps.reset(gst_pad_query_caps(pad, nullptr));
    const GstStructure* s = caps && !gst_caps_is_empty(caps.get()) ? gst_caps_get_structure(caps.get(), 0) : nullptr;
    if (!s || !g_str_has_prefix(gst_structure_get_name(s), "audio/x-raw"))
        return;
    PadPtr sink(gst_element_get_static_pad(state.output, "sink"));
    if (gst_pad_is_linked(sink.get()))
        return; // the first audio stream of a file plays
    if (gst_pad_link(pad, sink.get()) == GST_PAD_LINK_OK)
        state.update([&] { state.audioLinked = true; });
}

// A parser tells the duration of a stream without a length header (MP3 without a Xing
// frame) only once it plays; before that it can still turn the stream's size into
// time from the frames it has seen, which is exact for a constant bit rate.
gint64 parsedDuration(GstElement* pipeline)
{
    gint64 result = -1;
    IteratorPtr it(gst_bin_iterate_recurse(GST_BIN(pipeline)));
    Value item;
    while (result < 0 && gst_iterator_next(it.get(), item.get()) == GST_ITERATOR_OK) {
        auto* element = GST_ELEMENT(g_value_get_object(item.get()));
        GstElementFactory* factory = gst_element_get_factory(element);
        const char* klass = factory ? gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS) : nullptr;
        if (klass && strstr(klass, "Parser") && strstr(klass, "Audio")) {
            PadPtr in(gst_element_get_static_pad(element, "sink"));
            PadPtr out(gst_element_get_static_pad(element, "src"));
            gint64 bytes = -1;
            gint64 ns = -1;
            if (in && out && gst_pad_peer_query_duration(in.get(), GST_FORMAT_BYTES, &bytes) && bytes > 0
                && gst_pad_query_convert(out.get(), GST_FORMAT_BYTES, bytes, GST_FORMAT_TIME, &ns) && ns > 0)
                result = ns;
        }
        item.reset();
    }
    return result;
}

} // namespace

AudioChannel::AudioChannel(Kind kind, std::uint32_t rate)
    : kind_(kind), rate_(rate), pipeline_(gst_pipeline_new(nullptr)), build_(GST_BIN(pipeline_.get()))
{
    state_->pipeline = pipeline_.get();
    bus_.attach(
        pipeline_.get(), GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ERROR | GST_MESSAGE_EOS,
        [this](GstMessage* message) { onMessage(message); },
        [state = state_](GstMessage* message) {
            // Noted where it is posted: a caller waiting for a local file to open needs it now.
            switch (GST_MESSAGE_TYPE(message)) {
            case GST_MESSAGE_EOS:
                state->update([&] { state->ended = true; });
                break;
            case GST_MESSAGE_ERROR:
                state->fail(errorText(message, QStringLiteral("音频无法播放。")));
                break;
            case GST_MESSAGE_ASYNC_DONE:
                if (GST_MESSAGE_SRC(message) == GST_OBJECT(state->pipeline))
                    state->update([&] { ++state->asyncDone; });
                break;
            case GST_MESSAGE_ELEMENT:
                if (std::string block = headerBlock(message); !block.empty())
                    state->update([&] { state->headers = std::move(block); });
                break;
            default:
                break;
            }
        });
    startLimit_.setSingleShot(true);
    stallLook_.setInterval(kStallLookMs);
    QObject::connect(&stallLook_, &QTimer::timeout, &bus_, [this] { lookForStall(); });
    stallClock_.start();
}

AudioChannel::~AudioChannel()
{
    release();
}

void AudioChannel::release()
{
    startLimit_.stop();
    stallLook_.stop();
    seekStall_.release();
    bus_.detach();
    // The saved copy is complete now, not whenever the pipeline is gone.
    state_->closeSave();
    if (pipeline_) {
        state_->update([&] { state_->pipeline = nullptr; });
        Teardown::instance().dispose(std::move(pipeline_));
    }
}

bool AudioChannel::buildOutput(const OutputSettings& settings)
{
    if (!output_.build(build_, settings))
        return false;
    state_->output = output_.input();
    return true;
}

GstElement* AudioChannel::addDecoder()
{
    GstElement* decoder = build_.make("decodebin");
    if (decoder)
        g_signal_connect_data(decoder, "pad-added", G_CALLBACK(onDecodedPad), Shared::hold(state_),
                              &Shared::releaseClosure, GConnectFlags(0));
    return decoder;
}

bool AudioChannel::setState(GstState target)
{
    if (!pipeline_)
        return false;
    return gst_element_set_state(pipeline_.get(), target) != GST_STATE_CHANGE_FAILURE;
}

bool AudioChannel::open()
{
    if (!build_.ok())
        return false;
    return setState(GST_STATE_PAUSED);
}

bool AudioChannel::waitOpened(int timeoutMs)
{
    state_->waitFor(timeoutMs, [&] { return state_->asyncDone > 0 || state_->failed; });
    {
        std::lock_guard lock(state_->mutex);
        // Pre-rolled without a sound to play (a video without audio, say): nothing to hear.
        if (state_->asyncDone > 0 && !state_->audioLinked && !state_->failed)
            return false;
        if (state_->failed)
            return false;
    }
    settle();
    return true;
}

void AudioChannel::failUnlessStartedWithin(int timeoutMs, const QString& why)
{
    QObject::connect(&startLimit_, &QTimer::timeout, &bus_, [this, why] {
        settle();
        if (started_)
            return;
        state_->fail(why);
        release();
    });
    startLimit_.start(timeoutMs);
}

bool AudioChannel::busy() const
{
    // A zero time-out only looks: is a state change or a flushing seek under way?
    return pipeline_ && gst_element_get_state(pipeline_.get(), nullptr, nullptr, 0) == GST_STATE_CHANGE_ASYNC;
}

bool AudioChannel::seekInFlight(int asyncDone) const
{
    return seekingTo_ && asyncDone <= seekAsyncMark_ && seekSent_.elapsed() < kSeekQuietMs;
}

void AudioChannel::sendSeek(std::uint64_t bytes)
{
    const gint64 ns = gint64(std::llround(AudioLibrary::bytesToSeconds(bytes, rate_) * double(GST_SECOND)));
    {
        std::lock_guard lock(state_->mutex);
        seekAsyncMark_ = state_->asyncDone;
    }
    if (state_->output) {
        PadPtr input(gst_element_get_static_pad(state_->output, "sink"));
        seekStall_.follow(input.get());
    }
    if (gst_element_seek(pipeline_.get(), tempo_, GST_FORMAT_TIME,
                         GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE), GST_SEEK_TYPE_SET, ns,
                         GST_SEEK_TYPE_NONE, 0)) {
        seekingTo_ = bytes;
        seekSent_.start();
    }
}

void AudioChannel::settle()
{
    if (!pipeline_)
        return;
    bool failed = false;
    int asyncDone = 0;
    {
        std::lock_guard lock(state_->mutex);
        failed = state_->failed;
        asyncDone = state_->asyncDone;
        if (asyncDone > 0)
            started_ = true;
    }
    if (failed) {
        // An internet stream lets go of its connection at once.
        if (isInternet())
            release();
        return;
    }
    if (!started_)
        return;
    // The length is there from the first pre-roll on, whatever is under way now.
    if (lengthBytes_ == AudioLibrary::kNoValue && !isInternet()) {
        gint64 ns = -1;
        if (!gst_element_query_duration(pipeline_.get(), GST_FORMAT_TIME, &ns))
            ns = parsedDuration(pipeline_.get());
        if (ns >= 0)
            lengthBytes_ = nsToBytes(ns, rate_);
    }
    // Until the seek in flight is done the pipeline is not asked, not even its state.
    if (seekInFlight(asyncDone) || busy())
        return;
    seekingTo_.reset();
    if (pendingSeek_) {
        const std::uint64_t bytes = *pendingSeek_;
        pendingSeek_.reset();
        sendSeek(bytes);
    }
}

bool AudioChannel::meantToMove() const
{
    return pipeline_ && play_ == Play::Playing && !held_ && !isInternet();
}

void AudioChannel::watchWhilePlaying()
{
    stallWatch_.reset();
    if (meantToMove())
        stallLook_.start();
    else
        stallLook_.stop();
}

void AudioChannel::lookForStall()
{
    if (!meantToMove()) {
        stallLook_.stop();
        return;
    }
    settle();
    bool idle = false;
    {
        std::lock_guard lock(state_->mutex);
        idle = state_->failed || state_->ended || !started_;
    }
    if (!pipeline_ || idle) {
        stallWatch_.reset();
        return;
    }
    const bool seeking = pendingSeek_ || seekingTo_;
    const std::uint64_t at = seeking ? 0 : position();
    if (stallWatch_.stuck(seeking ? StallWatch::Phase::Seeking : StallWatch::Phase::Moving, stallClock_.elapsed(),
                          std::int64_t(at)))
        restart();
}

void AudioChannel::restart()
{
    // Where it stood, or where the seek that never finished was headed.
    const std::uint64_t at = pendingSeek_ ? *pendingSeek_ : seekingTo_ ? *seekingTo_ : lastPosition_;
    seekStall_.release();
    seekingTo_.reset();
    setState(GST_STATE_READY);
    // Pre-rolls again from the start; the seek back goes out once it has.
    pendingSeek_ = at;
    lastPosition_ = at;
    setState(GST_STATE_PLAYING);
    stallWatch_.reset();
}

void AudioChannel::onMessage(GstMessage*)
{
    // The tap has noted what happened; act on it here, on the channel's own thread.
    settle();
}

bool AudioChannel::play(bool outputHeld)
{
    settle();
    bool ended = false;
    {
        std::lock_guard lock(state_->mutex);
        ended = state_->ended && !state_->failed;
    }
    if (ended && !isInternet()) {
        // Played out: start again from the beginning.
        seek(0);
    }
    if (!pipeline_)
        return false;
    play_ = Play::Playing;
    held_ = outputHeld;
    watchWhilePlaying();
    return outputHeld || setState(GST_STATE_PLAYING);
}

bool AudioChannel::pause()
{
    if (play_ != Play::Playing)
        return false;
    play_ = Play::Paused;
    watchWhilePlaying();
    setState(GST_STATE_PAUSED);
    return true;
}

bool AudioChannel::resume(bool outputHeld)
{
    if (play_ != Play::Paused)
        return false;
    play_ = Play::Playing;
    held_ = outputHeld;
    watchWhilePlaying();
    if (!outputHeld)
        setState(GST_STATE_PLAYING);
    return true;
}

void AudioChannel::stop()
{
    play_ = Play::Stopped;
    watchWhilePlaying();
    setState(GST_STATE_PAUSED);
}

void AudioChannel::hold(bool held)
{
    held_ = held;
    watchWhilePlaying();
    if (play_ == Play::Playing)
        setState(held ? GST_STATE_PAUSED : GST_STATE_PLAYING);
}

std::uint64_t AudioChannel::length()
{
    settle();
    return lengthBytes_;
}

std::uint64_t AudioChannel::position()
{
    settle();
    if (pendingSeek_)
        return *pendingSeek_;
    if (seekingTo_)
        return *seekingTo_;
    bool ended = false;
    {
        std::lock_guard lock(state_->mutex);
        ended = state_->ended;
    }
    // A source that has played out stands at its end, even when the decoder found
    // less than the length it announced.
    if (ended && lengthBytes_ != AudioLibrary::kNoValue)
        return lastPosition_ = std::max(lastPosition_, lengthBytes_);
    gint64 ns = 0;
    if (pipeline_ && gst_element_query_position(pipeline_.get(), GST_FORMAT_TIME, &ns) && ns >= 0)
        lastPosition_ = nsToBytes(ns, rate_);
    return lastPosition_;
}

bool AudioChannel::seek(std::uint64_t bytes)
{
    if (!pipeline_ || bytes == AudioLibrary::kNoValue)
        return false;
    settle();
    // A place at or past the end is the last frame: dragging to the end ends the file.
    if (lengthBytes_ != AudioLibrary::kNoValue && bytes >= lengthBytes_)
        bytes = lengthBytes_ >= std::uint64_t(kBytesPerFrame) ? lengthBytes_ - kBytesPerFrame : 0;
    state_->update([&] {
        if (!state_->failed)
            state_->ended = false;
    });
    lastPosition_ = bytes;
    // Sent now when the pipeline has settled, else as soon as it has.
    pendingSeek_ = bytes;
    settle();
    return true;
}

bool AudioChannel::setTempo(double rate)
{
    if (isInternet() || !pipeline_ || !(rate > 0.0))
        return false;
    if (rate == tempo_)
        return true;
    tempo_ = rate;
    // Where it stands, at the new rate; a file still opening takes it once open.
    return seek(position());
}

AudioLibrary::Activity AudioChannel::activity()
{
    settle();
    std::lock_guard lock(state_->mutex);
    if (state_->failed || (state_->ended && !isInternet()))
        return AudioLibrary::Activity::Stopped;
    if (!started_)
        return AudioLibrary::Activity::Stalled;
    switch (play_) {
    case Play::Playing:
        return AudioLibrary::Activity::Playing;
    case Play::Paused:
        return AudioLibrary::Activity::Paused;
    case Play::Stopped:
        break;
    }
    return AudioLibrary::Activity::Stopped;
}

QString AudioChannel::error()
{
    settle();
    std::lock_guard lock(state_->mutex);
    return state_->error;
}

} // namespace varendo::gst
