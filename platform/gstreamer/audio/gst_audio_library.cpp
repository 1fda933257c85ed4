#include "gstreamer/audio/gst_audio_library.h"

#include "gstreamer/core/gst_core.h"

#include <QFile>
#include <QFileInfo>
#include <gst/audio/streamvolume.h>
#include <gst/base/gsttypefindhelper.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>

namespace varendo::gst {

namespace {

using std::chrono::milliseconds;

// Equaliser bands a stream can hold; the engine uses ten.
constexpr int kBandCapacity = 16;
// Limits of equalizer-nbands' band gain.
constexpr double kMinGainDb = -24.0;
constexpr double kMaxGainDb = 12.0;
// Bytes read to tell a tracker module from a stream.
constexpr qint64 kTypeFindBytes = 256 * 1024;
// Longest ICY metadata block: a length byte of 255 counts 16-byte units.
constexpr std::uint64_t kLongestMetadataBlock = 1 + 255 * 16;
// How long to wait after pre-roll for an internet stream's first metadata.
constexpr int kMetadataWaitMs = 2000;

// What streaming threads learn about a pipeline; read by the library's own thread.
struct ChannelShared {
    std::mutex mutex;
    std::condition_variable changed;
    GstElement* pipeline = nullptr; // not owned: lives as long as the channel's pipeline
    int asyncDone = 0;              // pre-rolls and seeks completed
    bool ended = false;
    bool failed = false;
    bool audioLinked = false;
    std::string headers; // NUL-terminated header lines, then a NUL; empty when none
    std::optional<std::string> meta;
    int metaInterval = 0;
    std::uint64_t icyBytes = 0;
    std::FILE* save = nullptr;
    // Elements the internet pipeline links once the stream's type is known; owned by it.
    GstElement* icydemux = nullptr;
    GstElement* queue = nullptr;
    GstElement* output = nullptr; // first element of the output chain

    ~ChannelShared()
    {
        if (save)
            std::fclose(save);
    }
    template <typename Change>
    void update(Change change)
    {
        {
            std::lock_guard lock(mutex);
            change();
        }
        changed.notify_all();
    }
    template <typename Predicate>
    bool waitFor(int timeoutMs, Predicate predicate)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, milliseconds(timeoutMs), predicate);
    }
};
using SharedPtr = std::shared_ptr<ChannelShared>;

// Callbacks hold the shared state for as long as the element or pad keeps them.
gpointer hold(const SharedPtr& shared)
{
    return new SharedPtr(shared);
}
void release(gpointer data)
{
    delete static_cast<SharedPtr*>(data);
}
void releaseClosure(gpointer data, GClosure*)
{
    release(data);
}
ChannelShared& sharedOf(gpointer data)
{
    return **static_cast<SharedPtr*>(data);
}

struct Channel {
    enum class Play { Stopped, Playing, Paused };
    bool music = false;
    bool url = false;
    Pipeline pipeline;
    GstElement* equalizer = nullptr; // owned by the pipeline; null without the plugin
    GstElement* volume = nullptr;    // the element that takes the output volume
    SharedPtr shared;
    Play play = Play::Stopped;
    std::uint32_t rate = 44100;
    std::uint64_t lengthBytes = AudioLibrary::kNoValue;
    std::uint64_t lastPosition = 0;
    int bandsUsed = 0;
};

struct Effect {
    AudioHandle channel = 0;
    int band = 0;
    ParamEqRecord params;
};

enum class Output { Pulse, Alsa, Silent, Given };

std::string headerBlock(const GstStructure* headers)
{
    std::string block;
    const int count = gst_structure_n_fields(headers);
    for (int i = 0; i < count; ++i) {
        const char* name = gst_structure_nth_field_name(headers, i);
        const GValue* value = gst_structure_get_value(headers, name);
        auto addLine = [&](const GValue* v) {
            if (G_VALUE_HOLDS_STRING(v))
                block += std::string(name) + ':' + g_value_get_string(v) + '\0';
        };
        if (GST_VALUE_HOLDS_ARRAY(value)) {
            for (guint k = 0; k < gst_value_array_get_size(value); ++k)
                addLine(gst_value_array_get_value(value, k));
        } else {
            addLine(value);
        }
    }
    return block.empty() ? block : block + '\0';
}

GstBusSyncReply onBusMessage(GstBus*, GstMessage* message, gpointer data)
{
    ChannelShared& shared = sharedOf(data);
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_EOS:
        shared.update([&] { shared.ended = true; });
        break;
    case GST_MESSAGE_ERROR:
        shared.update([&] { shared.failed = shared.ended = true; });
        break;
    case GST_MESSAGE_ASYNC_DONE:
        if (GST_MESSAGE_SRC(message) == GST_OBJECT(shared.pipeline))
            shared.update([&] { ++shared.asyncDone; });
        break;
    case GST_MESSAGE_ELEMENT: {
        const GstStructure* s = gst_message_get_structure(message);
        const GstStructure* response = nullptr;
        if (s && gst_structure_has_name(s, "http-headers")
            && gst_structure_get(s, "response-headers", GST_TYPE_STRUCTURE, &response, nullptr)) {
            std::string block = headerBlock(response);
            gst_structure_free(const_cast<GstStructure*>(response));
            shared.update([&] { shared.headers = std::move(block); });
        }
        break;
    }
    default:
        break;
    }
    // Nobody pops this bus: every message ends here.
    return GST_BUS_DROP;
}

void onDecodedPad(GstElement*, GstPad* pad, gpointer data)
{
    ChannelShared& shared = sharedOf(data);
    CapsPtr caps(gst_pad_get_current_caps(pad));
    if (!caps)
        caps.reset(gst_pad_query_caps(pad, nullptr));
    const GstStructure* s = caps && !gst_caps_is_empty(caps.get()) ? gst_caps_get_structure(caps.get(), 0) : nullptr;
    if (!s || !g_str_has_prefix(gst_structure_get_name(s), "audio/x-raw"))
        return;
    PadPtr sink(gst_element_get_static_pad(shared.output, "sink"));
    if (gst_pad_is_linked(sink.get()))
        return; // the first audio stream of a file plays
    if (gst_pad_link(pad, sink.get()) == GST_PAD_LINK_OK)
        shared.update([&] { shared.audioLinked = true; });
}

// ICY metadata reaches us as the tags icydemux sends downstream.
GstPadProbeReturn onIcyEvent(GstPad*, GstPadProbeInfo* info, gpointer data)
{
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (GST_EVENT_TYPE(event) != GST_EVENT_TAG)
        return GST_PAD_PROBE_OK;
    GstTagList* tags = nullptr;
    gst_event_parse_tag(event, &tags);
    gchar* title = nullptr;
    gchar* url = nullptr;
    gst_tag_list_get_string(tags, GST_TAG_TITLE, &title);
    gst_tag_list_get_string(tags, GST_TAG_HOMEPAGE, &url);
    if (title || url) {
        std::string text;
        if (title)
            text += std::string("StreamTitle='") + title + "';";
        if (url)
            text += std::string("StreamUrl='") + url + "';";
        ChannelShared& shared = sharedOf(data);
        shared.update([&] { shared.meta = std::move(text); });
    }
    g_free(title);
    g_free(url);
    return GST_PAD_PROBE_OK;
}

GstPadProbeReturn onIcyBytes(GstPad*, GstPadProbeInfo* info, gpointer data)
{
    ChannelShared& shared = sharedOf(data);
    const gsize size = gst_buffer_get_size(GST_PAD_PROBE_INFO_BUFFER(info));
    shared.update([&] { shared.icyBytes += size; });
    return GST_PAD_PROBE_OK;
}

GstPadProbeReturn onSavedBytes(GstPad*, GstPadProbeInfo* info, gpointer data)
{
    ChannelShared& shared = sharedOf(data);
    GstMapInfo map;
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    if (shared.save && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        std::fwrite(map.data, 1, map.size, shared.save);
        gst_buffer_unmap(buffer, &map);
    }
    return GST_PAD_PROBE_OK;
}

void linkStaticPads(GstElement* from, GstElement* to)
{
    PadPtr src(gst_element_get_static_pad(from, "src"));
    PadPtr sink(gst_element_get_static_pad(to, "sink"));
    gst_pad_link(src.get(), sink.get());
}

void onIcyPad(GstElement*, GstPad* pad, gpointer data)
{
    ChannelShared& shared = sharedOf(data);
    PadPtr sink(gst_element_get_static_pad(shared.queue, "sink"));
    gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, onIcyEvent, hold(*static_cast<SharedPtr*>(data)),
                      release);
    gst_pad_link(pad, sink.get());
}

// The internet stream's type is known: ICY streams go through icydemux first, so their
// metadata is read as the data arrives, ahead of the decoder.
void onStreamType(GstElement* typefind, guint, GstCaps* caps, gpointer data)
{
    ChannelShared& shared = sharedOf(data);
    const GstStructure* s = gst_caps_get_structure(caps, 0);
    if (gst_structure_has_name(s, "application/x-icy") && shared.icydemux) {
        int interval = 0;
        gst_structure_get_int(s, "metadata-interval", &interval);
        shared.update([&] { shared.metaInterval = interval; });
        linkStaticPads(typefind, shared.icydemux);
    } else {
        linkStaticPads(typefind, shared.queue);
    }
}

class GstAudioLibrary final : public AudioLibrary {
public:
    explicit GstAudioLibrary(AudioLibraryOptions options) : options_(std::move(options))
    {
        ensureInitialised();
        hasEqualizer_ = hasElement("equalizer-nbands");
    }

    ~GstAudioLibrary() override
    {
        releaseAll();
        std::unique_lock lock(teardowns_->mutex);
        teardowns_->done.wait_for(lock, milliseconds(options_.netTimeoutMs), [this] { return teardowns_->count == 0; });
    }

    bool Init(int device, std::uint32_t frequency, std::uint32_t, QObject*) override
    {
        if (initialised_ || frequency < 1000 || frequency > 192000)
            return false;
        rate_ = frequency;
        output_ = options_.makeSink ? Output::Given : device == 0 ? Output::Silent : probeOutput();
        initialised_ = true;
        outputStopped_ = false;
        return true;
    }

    bool Free() override
    {
        if (!initialised_)
            return false;
        releaseAll();
        initialised_ = false;
        return true;
    }

    bool Start() override { return holdOutput(false); }
    bool Stop() override { return holdOutput(true); }

    float SetBufferLength(float seconds) override
    {
        if (std::isfinite(seconds))
            bufferSeconds_ = std::clamp(seconds, 0.01f, 5.0f);
        return bufferSeconds_;
    }

    bool SetVolume(std::uint32_t volume) override
    {
        if (volume > 100)
            return false;
        volume_ = volume;
        for (auto& [handle, channel] : channels_)
            applyVolume(*channel);
        return true;
    }

    AudioHandle StreamCreateFile(bool fromMemory, const QString& file, std::uint64_t offset, std::uint64_t length,
                                 std::uint32_t) override
    {
        return fromMemory || offset || length ? 0 : openFile(file, false);
    }

    AudioHandle MusicLoad(bool fromMemory, const QString& file, std::uint64_t offset, std::uint64_t length,
                          std::uint32_t) override
    {
        return fromMemory || offset || length ? 0 : openFile(file, true);
    }

    AudioHandle StreamCreateURL(const QString& url, std::uint64_t offset, std::uint32_t, const QString& saveFile) override
    {
        if (!initialised_ || offset)
            return 0;
        return openUrl(url, saveFile);
    }

    bool MusicFree(AudioHandle music) override
    {
        if (!find(music, true))
            return false;
        releaseChannel(music);
        return true;
    }

    bool StreamFree(AudioHandle stream) override
    {
        if (!find(stream, false))
            return false;
        releaseChannel(stream);
        return true;
    }

    bool StreamPlay(AudioHandle stream, bool, std::uint32_t) override { return play(find(stream, false)); }
    bool MusicPlay(AudioHandle music) override { return play(find(music, true)); }

    bool ChannelPause(AudioHandle handle) override
    {
        Channel* channel = find(handle);
        if (!channel || channel->play != Channel::Play::Playing)
            return false;
        channel->play = Channel::Play::Paused;
        gst_element_set_state(channel->pipeline.get(), GST_STATE_PAUSED);
        return true;
    }

    bool ChannelResume(AudioHandle handle) override
    {
        Channel* channel = find(handle);
        if (!channel || channel->play != Channel::Play::Paused)
            return false;
        channel->play = Channel::Play::Playing;
        if (!outputStopped_)
            gst_element_set_state(channel->pipeline.get(), GST_STATE_PLAYING);
        return true;
    }

    bool ChannelStop(AudioHandle handle) override
    {
        Channel* channel = find(handle);
        if (!channel)
            return false;
        channel->play = Channel::Play::Stopped;
        gst_element_set_state(channel->pipeline.get(), GST_STATE_PAUSED);
        return true;
    }

    std::uint64_t StreamGetLength(AudioHandle stream) override
    {
        Channel* channel = find(stream, false);
        return channel ? channel->lengthBytes : kNoValue;
    }

    std::uint64_t MusicGetLength(AudioHandle music, bool) override
    {
        Channel* channel = find(music, true);
        return channel ? channel->lengthBytes : kNoValue;
    }

    std::uint64_t ChannelGetPosition(AudioHandle handle) override
    {
        Channel* channel = find(handle);
        if (!channel)
            return kNoValue;
        bool ended = false;
        {
            std::lock_guard lock(channel->shared->mutex);
            ended = channel->shared->ended;
        }
        // A source that has played out stands at its end, even when the decoder found
        // less than the length it announced.
        if (ended && channel->lengthBytes != kNoValue)
            return channel->lastPosition = std::max(channel->lastPosition, channel->lengthBytes);
        gint64 ns = 0;
        if (gst_element_query_position(channel->pipeline.get(), GST_FORMAT_TIME, &ns) && ns >= 0)
            channel->lastPosition = nsToBytes(ns, channel->rate);
        return channel->lastPosition;
    }

    bool ChannelSetPosition(AudioHandle handle, std::uint64_t bytes) override
    {
        Channel* channel = find(handle);
        if (!channel || bytes == kNoValue)
            return false;
        // A place at or past the end is the last frame: dragging to the end ends the file.
        if (channel->lengthBytes != kNoValue && bytes >= channel->lengthBytes)
            bytes = channel->lengthBytes >= std::uint64_t(kBytesPerFrame) ? channel->lengthBytes - kBytesPerFrame : 0;
        GstElement* pipeline = channel->pipeline.get();
        // Seek only once any state change in flight has settled.
        gst_element_get_state(pipeline, nullptr, nullptr, GST_MSECOND * options_.openTimeoutMs);
        int doneBefore = 0;
        {
            std::lock_guard lock(channel->shared->mutex);
            doneBefore = channel->shared->asyncDone;
        }
        const gint64 ns = gint64(std::llround(bytesToSeconds(bytes, channel->rate) * double(GST_SECOND)));
        if (!gst_element_seek_simple(pipeline, GST_FORMAT_TIME,
                                     GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE), ns))
            return false;
        ChannelShared& shared = *channel->shared;
        shared.waitFor(options_.openTimeoutMs, [&] { return shared.asyncDone != doneBefore || shared.failed; });
        {
            std::lock_guard lock(shared.mutex);
            if (!shared.failed)
                shared.ended = false;
        }
        channel->lastPosition = bytes;
        return true;
    }

    double ChannelBytes2Seconds(AudioHandle handle, std::uint64_t bytes) override
    {
        Channel* channel = find(handle);
        if (!channel || bytes == kNoValue)
            return -1.0;
        return bytesToSeconds(bytes, channel->rate);
    }

    std::uint64_t ChannelSeconds2Bytes(AudioHandle handle, double seconds) override
    {
        Channel* channel = find(handle);
        return channel ? secondsToBytes(seconds, channel->rate) : kNoValue;
    }

    FxHandle ChannelSetFX(AudioHandle handle, int type) override
    {
        Channel* channel = find(handle);
        if (!channel || type != kFxParamEq || !channel->equalizer || channel->bandsUsed >= kBandCapacity)
            return 0;
        const int band = channel->bandsUsed++;
        const FxHandle fx = nextFx_++;
        effects_[fx] = Effect{handle, band, ParamEqRecord{}};
        GObject* object = gst_child_proxy_get_child_by_index(GST_CHILD_PROXY(channel->equalizer), guint(band));
        // Edge bands of equalizer-nbands default to shelves; ours are all peaks.
        g_object_set(object, "type", 0, "gain", 0.0, nullptr);
        g_object_unref(object);
        return fx;
    }

    bool FXSetParameters(FxHandle fx, const ParamEqRecord& params) override
    {
        auto it = effects_.find(fx);
        if (it == effects_.end())
            return false;
        Channel* channel = find(it->second.channel);
        if (!channel || !std::isfinite(params.fGain) || !(params.fCenter > 0.0f)
            || !(params.fCenter < float(channel->rate) / 2.0f) || !(params.fBandwidth > 0.0f)
            || !(params.fBandwidth <= 36.0f))
            return false;
        it->second.params = params;
        // The band spans half the bandwidth in semitones either side of its centre.
        const double centre = params.fCenter;
        const double halfOctaves = params.fBandwidth / 24.0;
        const double widthHz = centre * (std::exp2(halfOctaves) - std::exp2(-halfOctaves));
        GObject* band = gst_child_proxy_get_child_by_index(GST_CHILD_PROXY(channel->equalizer), guint(it->second.band));
        g_object_set(band, "freq", centre, "bandwidth", widthHz, "gain",
                     std::clamp(double(params.fGain), kMinGainDb, kMaxGainDb), nullptr);
        g_object_unref(band);
        return true;
    }

    bool FXGetParameters(FxHandle fx, ParamEqRecord& params) override
    {
        auto it = effects_.find(fx);
        if (it == effects_.end())
            return false;
        params = it->second.params;
        return true;
    }

    std::optional<std::string> StreamGetTags(AudioHandle stream, int kind) override
    {
        Channel* channel = find(stream, false);
        if (!channel || !channel->url)
            return std::nullopt;
        std::lock_guard lock(channel->shared->mutex);
        if (kind == kTagsHttp && !channel->shared->headers.empty())
            return channel->shared->headers;
        if (kind == kTagsMeta)
            return channel->shared->meta;
        return std::nullopt;
    }

private:
    // Holding the output pauses every playing pipeline; they stay "playing" to their callers.
    bool holdOutput(bool hold)
    {
        if (!initialised_)
            return false;
        outputStopped_ = hold;
        for (auto& [handle, channel] : channels_)
            if (channel->play == Channel::Play::Playing)
                gst_element_set_state(channel->pipeline.get(), hold ? GST_STATE_PAUSED : GST_STATE_PLAYING);
        return true;
    }

    static std::uint64_t nsToBytes(gint64 ns, std::uint32_t rate)
    {
        return std::uint64_t(gst_util_uint64_scale(guint64(ns), rate, GST_SECOND)) * kBytesPerFrame;
    }

    Channel* find(AudioHandle handle)
    {
        auto it = channels_.find(handle);
        return it == channels_.end() ? nullptr : it->second.get();
    }

    Channel* find(AudioHandle handle, bool music)
    {
        Channel* channel = find(handle);
        return channel && channel->music == music ? channel : nullptr;
    }

    Output probeOutput() const
    {
        for (auto [factory, output] : {std::pair{"pulsesink", Output::Pulse}, std::pair{"alsasink", Output::Alsa}}) {
            GstElement* sink = gst_element_factory_make(factory, nullptr);
            if (!sink)
                continue;
            // Opening the device is part of reaching READY.
            const bool reachable = gst_element_set_state(sink, GST_STATE_READY) == GST_STATE_CHANGE_SUCCESS;
            gst_element_set_state(sink, GST_STATE_NULL);
            gst_object_unref(sink);
            if (reachable)
                return output;
        }
        return Output::Silent;
    }

    GstElement* makeSink() const
    {
        GstElement* sink = nullptr;
        switch (output_) {
        case Output::Given:
            return options_.makeSink();
        case Output::Pulse:
            sink = gst_element_factory_make("pulsesink", nullptr);
            break;
        case Output::Alsa:
            sink = gst_element_factory_make("alsasink", nullptr);
            break;
        case Output::Silent:
            sink = gst_element_factory_make("fakesink", nullptr);
            if (sink)
                g_object_set(sink, "sync", TRUE, nullptr);
            return sink;
        }
        if (sink)
            g_object_set(sink, "buffer-time", gint64(double(bufferSeconds_) * 1e6), nullptr);
        return sink;
    }

    void applyVolume(Channel& channel) const
    {
        const double level = double(volume_) / 100.0;
        if (GST_IS_STREAM_VOLUME(channel.volume))
            gst_stream_volume_set_volume(GST_STREAM_VOLUME(channel.volume), GST_STREAM_VOLUME_FORMAT_LINEAR, level);
        else
            g_object_set(channel.volume, "volume", level, nullptr);
    }

    // A new channel with its pipeline and the output chain every source plays through.
    std::unique_ptr<Channel> newChannel(bool music, bool url)
    {
        auto channel = std::make_unique<Channel>();
        channel->music = music;
        channel->url = url;
        channel->rate = rate_;
        channel->shared = std::make_shared<ChannelShared>();
        channel->pipeline.reset(gst_pipeline_new(nullptr));
        GstElement* pipeline = channel->pipeline.get();
        channel->shared->pipeline = pipeline;
        BusPtr bus(gst_element_get_bus(pipeline));
        gst_bus_set_sync_handler(bus.get(), onBusMessage, hold(channel->shared), release);

        GstElement* convert = gst_element_factory_make("audioconvert", nullptr);
        GstElement* resample = gst_element_factory_make("audioresample", nullptr);
        GstElement* format = gst_element_factory_make("capsfilter", nullptr);
        GstElement* volume = gst_element_factory_make("volume", nullptr);
        GstElement* sink = makeSink();
        if (!convert || !resample || !format || !volume || !sink) {
            for (GstElement* e : {convert, resample, format, volume, sink})
                if (e)
                    gst_object_unref(gst_object_ref_sink(e));
            return nullptr;
        }
        CapsPtr caps(gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, "S16LE", "layout", G_TYPE_STRING,
                                         "interleaved", "rate", G_TYPE_INT, int(rate_), "channels", G_TYPE_INT, 2,
                                         nullptr));
        g_object_set(format, "caps", caps.get(), nullptr);
        gst_bin_add_many(GST_BIN(pipeline), convert, resample, format, volume, sink, nullptr);
        GstElement* beforeVolume = format;
        if (hasEqualizer_) {
            channel->equalizer = gst_element_factory_make("equalizer-nbands", nullptr);
            g_object_set(channel->equalizer, "num-bands", guint(kBandCapacity), nullptr);
            gst_bin_add(GST_BIN(pipeline), channel->equalizer);
            gst_element_link(format, channel->equalizer);
            beforeVolume = channel->equalizer;
        }
        gst_element_link_many(convert, resample, format, nullptr);
        gst_element_link_many(beforeVolume, volume, sink, nullptr);
        // A sink with its own volume (PulseAudio) changes it at once; a volume element
        // would be heard only after the sink's buffer.
        channel->volume = GST_IS_STREAM_VOLUME(sink) ? sink : volume;
        applyVolume(*channel);
        channel->shared->output = convert;
        return channel;
    }

    GstElement* addDecoder(Channel& channel)
    {
        GstElement* decoder = gst_element_factory_make("decodebin", nullptr);
        gst_bin_add(GST_BIN(channel.pipeline.get()), decoder);
        g_signal_connect_data(decoder, "pad-added", G_CALLBACK(onDecodedPad), hold(channel.shared), releaseClosure,
                              GConnectFlags(0));
        return decoder;
    }

    // Pauses the new pipeline and waits until it is ready to play, then reads its length.
    bool preroll(Channel& channel, int timeoutMs)
    {
        GstElement* pipeline = channel.pipeline.get();
        ChannelShared& shared = *channel.shared;
        const GstStateChangeReturn result = gst_element_set_state(pipeline, GST_STATE_PAUSED);
        if (result == GST_STATE_CHANGE_FAILURE)
            return false;
        if (result == GST_STATE_CHANGE_ASYNC
            && !shared.waitFor(timeoutMs, [&] { return shared.asyncDone > 0 || shared.failed; }))
            return false;
        {
            std::lock_guard lock(shared.mutex);
            if (shared.failed || !shared.audioLinked)
                return false;
        }
        gint64 ns = -1;
        if (!gst_element_query_duration(pipeline, GST_FORMAT_TIME, &ns))
            ns = parsedDuration(pipeline);
        channel.lengthBytes = ns >= 0 ? nsToBytes(ns, channel.rate) : kNoValue;
        return true;
    }

    // A parser tells the duration of a stream without a length header (MP3 without a Xing
    // frame) only once it plays; before that it can still turn the stream's size into
    // time from the frames it has seen, which is exact for a constant bit rate.
    static gint64 parsedDuration(GstElement* pipeline)
    {
        gint64 result = -1;
        GstIterator* it = gst_bin_iterate_recurse(GST_BIN(pipeline));
        GValue item = G_VALUE_INIT;
        while (result < 0 && gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
            auto* element = GST_ELEMENT(g_value_get_object(&item));
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
            g_value_reset(&item);
        }
        g_value_unset(&item);
        gst_iterator_free(it);
        return result;
    }

    static bool isModule(const QString& file)
    {
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly))
            return false;
        const QByteArray head = in.read(kTypeFindBytes);
        const QByteArray extension = QFileInfo(file).suffix().toLower().toUtf8();
        CapsPtr caps(gst_type_find_helper_for_data_with_extension(
            nullptr, reinterpret_cast<const guint8*>(head.constData()), gsize(head.size()),
            extension.isEmpty() ? nullptr : extension.constData(), nullptr));
        return caps && gst_structure_has_name(gst_caps_get_structure(caps.get(), 0), "audio/x-mod");
    }

    AudioHandle openFile(const QString& file, bool music)
    {
        if (!initialised_ || !QFileInfo(file).isFile() || isModule(file) != music)
            return 0;
        std::unique_ptr<Channel> channel = newChannel(music, false);
        if (!channel)
            return 0;
        GstElement* source = gst_element_factory_make("filesrc", nullptr);
        g_object_set(source, "location", QFile::encodeName(file).constData(), nullptr);
        gst_bin_add(GST_BIN(channel->pipeline.get()), source);
        gst_element_link(source, addDecoder(*channel));
        if (!preroll(*channel, options_.openTimeoutMs))
            return 0;
        return keep(std::move(channel));
    }

    AudioHandle openUrl(const QString& url, const QString& saveFile)
    {
        const QByteArray uri = url.trimmed().toUtf8();
        GError* error = nullptr;
        // Whatever source this machine has for the scheme (no FTP source: no stream).
        GstElement* source = gst_element_make_from_uri(GST_URI_SRC, uri.constData(), nullptr, &error);
        g_clear_error(&error);
        if (!source)
            return 0;
        std::unique_ptr<Channel> channel = newChannel(false, true);
        if (!channel) {
            gst_object_unref(gst_object_ref_sink(source));
            return 0;
        }
        if (g_object_class_find_property(G_OBJECT_GET_CLASS(source), "iradio-mode"))
            g_object_set(source, "iradio-mode", TRUE, nullptr);
        if (g_object_class_find_property(G_OBJECT_GET_CLASS(source), "timeout"))
            g_object_set(source, "timeout", guint(std::max(1, options_.netTimeoutMs / 1000)), nullptr);

        ChannelShared& shared = *channel->shared;
        GstElement* pipeline = channel->pipeline.get();
        GstElement* typefind = gst_element_factory_make("typefind", nullptr);
        shared.icydemux = gst_element_factory_make("icydemux", nullptr);
        shared.queue = gst_element_factory_make("queue", nullptr);
        gst_bin_add_many(GST_BIN(pipeline), source, typefind, shared.queue, nullptr);
        if (shared.icydemux) {
            gst_bin_add(GST_BIN(pipeline), shared.icydemux);
            g_signal_connect_data(shared.icydemux, "pad-added", G_CALLBACK(onIcyPad), hold(channel->shared),
                                  releaseClosure, GConnectFlags(0));
            PadPtr icyIn(gst_element_get_static_pad(shared.icydemux, "sink"));
            gst_pad_add_probe(icyIn.get(), GST_PAD_PROBE_TYPE_BUFFER, onIcyBytes, hold(channel->shared), release);
        }
        // Enough room ahead of the decoder for the first metadata block to arrive while
        // the stream pre-rolls.
        g_object_set(shared.queue, "max-size-buffers", 0u, "max-size-time", guint64(0), "max-size-bytes",
                     guint(512 * 1024), nullptr);
        gst_element_link(source, typefind);
        g_signal_connect_data(typefind, "have-type", G_CALLBACK(onStreamType), hold(channel->shared), releaseClosure,
                              GConnectFlags(0));
        gst_element_link(shared.queue, addDecoder(*channel));
        if (!saveFile.isEmpty()) {
            shared.save = std::fopen(QFile::encodeName(saveFile).constData(), "wb");
            PadPtr queueIn(gst_element_get_static_pad(shared.queue, "sink"));
            gst_pad_add_probe(queueIn.get(), GST_PAD_PROBE_TYPE_BUFFER, onSavedBytes, hold(channel->shared), release);
        }

        if (!preroll(*channel, options_.netTimeoutMs)) {
            retireUrlPipeline(std::move(channel));
            return 0;
        }
        // Like a radio player's pre-buffer: give the first metadata block time to arrive.
        shared.waitFor(kMetadataWaitMs, [&] {
            return shared.meta || shared.ended || shared.metaInterval == 0
                || shared.icyBytes >= std::uint64_t(shared.metaInterval) + kLongestMetadataBlock;
        });
        return keep(std::move(channel));
    }

    AudioHandle keep(std::unique_ptr<Channel> channel)
    {
        const AudioHandle handle = nextHandle_++;
        if (nextHandle_ == 0)
            nextHandle_ = 1;
        channels_[handle] = std::move(channel);
        return handle;
    }

    bool play(Channel* channel)
    {
        if (!channel)
            return false;
        bool ended = false;
        {
            std::lock_guard lock(channel->shared->mutex);
            ended = channel->shared->ended && !channel->shared->failed;
        }
        if (ended && !channel->url) {
            // Played out: start again from the beginning.
            gst_element_seek_simple(channel->pipeline.get(), GST_FORMAT_TIME, GST_SEEK_FLAG_FLUSH, 0);
            channel->shared->update([&] { channel->shared->ended = false; });
            channel->lastPosition = 0;
        }
        channel->play = Channel::Play::Playing;
        if (!outputStopped_)
            return gst_element_set_state(channel->pipeline.get(), GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE;
        return true;
    }

    void releaseAll()
    {
        while (!channels_.empty())
            releaseChannel(channels_.begin()->first);
    }

    void releaseChannel(AudioHandle handle)
    {
        auto it = channels_.find(handle);
        if (it == channels_.end())
            return;
        std::unique_ptr<Channel> channel = std::move(it->second);
        channels_.erase(it);
        for (auto fx = effects_.begin(); fx != effects_.end();)
            fx = fx->second.channel == handle ? effects_.erase(fx) : std::next(fx);
        if (channel->url)
            retireUrlPipeline(std::move(channel));
        // A local file's pipeline stops here and now.
    }

    // A stalled connection can hold the change to NULL, so an internet stream's pipeline
    // is taken down on a thread of its own.
    void retireUrlPipeline(std::unique_ptr<Channel> channel)
    {
        {
            std::lock_guard lock(teardowns_->mutex);
            ++teardowns_->count;
        }
        std::thread([teardowns = teardowns_, channel = std::move(channel)]() mutable {
            channel.reset();
            {
                std::lock_guard lock(teardowns->mutex);
                --teardowns->count;
            }
            teardowns->done.notify_all();
        }).detach();
    }

    AudioLibraryOptions options_;
    bool hasEqualizer_ = false;
    bool initialised_ = false;
    bool outputStopped_ = false;
    Output output_ = Output::Silent;
    std::uint32_t rate_ = 44100;
    std::uint32_t volume_ = 100;
    float bufferSeconds_ = 0.5f;
    AudioHandle nextHandle_ = 1;
    FxHandle nextFx_ = 1;
    std::map<AudioHandle, std::unique_ptr<Channel>> channels_;
    std::map<FxHandle, Effect> effects_;
    // Shared with the threads that take internet streams down; they may outlive us.
    struct Teardowns {
        std::mutex mutex;
        std::condition_variable done;
        int count = 0;
    };
    std::shared_ptr<Teardowns> teardowns_ = std::make_shared<Teardowns>();
};

} // namespace

std::unique_ptr<AudioLibrary> createAudioLibrary(AudioLibraryOptions options)
{
    return std::make_unique<GstAudioLibrary>(std::move(options));
}

} // namespace varendo::gst
