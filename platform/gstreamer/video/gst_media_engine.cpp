#include "gstreamer/video/gst_media_engine.h"

#include "gstreamer/video/pipeline_reaper.h"
#include "playback/media_arithmetic.h"

#include <gst/app/gstappsink.h>
#include <gst/video/video.h>

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>

using varendo::playback::GraphState;
using varendo::playback::VideoFrame;

namespace varendo::gst {

namespace {

const QEvent::Type kBusEvent = static_cast<QEvent::Type>(QEvent::registerEventType());
const QEvent::Type kFrameEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// QImage::Format_RGB32 in memory order.
constexpr const char* kFrameFormat = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? "BGRx" : "xRGB";
// Frames are never made larger than this on either side.
constexpr int kMaxFrameSide = 8192;

struct GenerationEvent : QEvent {
    GenerationEvent(QEvent::Type type, quint64 gen) : QEvent(type), generation(gen) {}
    quint64 generation;
};

struct BusEvent : GenerationEvent {
    BusEvent(quint64 gen, GstMessage* msg) : GenerationEvent(kBusEvent, gen), message(gst_message_ref(msg)) {}
    MessagePtr message;
};

QString errorText(GstMessage* message)
{
    GError* error = nullptr;
    gchar* debug = nullptr;
    gst_message_parse_error(message, &error, &debug);
    QString text = error ? QString::fromUtf8(error->message) : QStringLiteral("Playback failed.");
    if (error)
        g_error_free(error);
    g_free(debug);
    return text;
}

// Wraps a mapped frame without copying; the image keeps the buffer until it goes.
VideoFrame toVideoFrame(GstSample* sample)
{
    GstCaps* caps = gst_sample_get_caps(sample);
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    GstVideoInfo info;
    if (!caps || !buffer || !gst_video_info_from_caps(&info, caps))
        return {};
    if (GST_VIDEO_INFO_N_PLANES(&info) != 1 || GST_VIDEO_INFO_COMP_PSTRIDE(&info, 0) != 4)
        return {};
    auto* mapped = new GstVideoFrame;
    if (!gst_video_frame_map(mapped, &info, buffer, GST_MAP_READ)) {
        delete mapped;
        return {};
    }
    QImage image(static_cast<const uchar*>(GST_VIDEO_FRAME_PLANE_DATA(mapped, 0)),
                 GST_VIDEO_FRAME_WIDTH(mapped), GST_VIDEO_FRAME_HEIGHT(mapped),
                 GST_VIDEO_FRAME_PLANE_STRIDE(mapped, 0), QImage::Format_RGB32,
                 [](void* p) {
                     auto* frame = static_cast<GstVideoFrame*>(p);
                     gst_video_frame_unmap(frame);
                     delete frame;
                 },
                 mapped);
    const double par = info.par_n > 0 && info.par_d > 0 ? double(info.par_n) / info.par_d : 1.0;
    return {image, par};
}

} // namespace

// What the streaming threads share with the engine. The engine lets go of it
// (receiver null) before the pipeline is released, so nothing is posted to an
// engine that is gone or to a pipeline it no longer holds.
struct GstMediaEngine::Link {
    Link(QObject* r, quint64 gen) : receiver(r), generation(gen) {}

    std::mutex mutex;
    std::condition_variable changed;  // an error or the end of a pre-roll
    QObject* receiver;
    const quint64 generation;
    SamplePtr latest;          // newest frame not yet taken by the engine
    bool framePosted = false;  // one frame notice at a time in the event queue
    bool asyncDone = false;
    QString firstError;

    void post(QEvent* event)  // mutex held
    {
        if (receiver)
            QCoreApplication::postEvent(receiver, event);
        else
            delete event;
    }

    void detach()
    {
        std::lock_guard lock(mutex);
        receiver = nullptr;
        latest.reset();
    }

    void storeFrame(GstSample* sample)
    {
        if (!sample)
            return;
        std::lock_guard lock(mutex);
        latest.reset(sample);
        if (receiver && !framePosted) {
            framePosted = true;
            post(new GenerationEvent(kFrameEvent, generation));
        }
    }

    static void release(gpointer data) { delete static_cast<std::shared_ptr<Link>*>(data); }
    static Link& of(gpointer data) { return **static_cast<std::shared_ptr<Link>*>(data); }

    static GstBusSyncReply onBusMessage(GstBus*, GstMessage* message, gpointer data)
    {
        Link& link = of(data);
        switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_ERROR: {
            std::lock_guard lock(link.mutex);
            if (link.firstError.isEmpty())
                link.firstError = errorText(message);
            link.post(new BusEvent(link.generation, message));
            link.changed.notify_all();
            break;
        }
        case GST_MESSAGE_ASYNC_DONE: {
            std::lock_guard lock(link.mutex);
            link.asyncDone = true;
            link.post(new BusEvent(link.generation, message));
            link.changed.notify_all();
            break;
        }
        case GST_MESSAGE_EOS:
        case GST_MESSAGE_DURATION_CHANGED: {
            std::lock_guard lock(link.mutex);
            link.post(new BusEvent(link.generation, message));
            break;
        }
        default:
            break;
        }
        return GST_BUS_DROP;
    }

    static GstFlowReturn onSample(GstAppSink* sink, gpointer data)
    {
        of(data).storeFrame(gst_app_sink_pull_sample(sink));
        return GST_FLOW_OK;
    }

    static GstFlowReturn onPreroll(GstAppSink* sink, gpointer data)
    {
        of(data).storeFrame(gst_app_sink_pull_preroll(sink));
        return GST_FLOW_OK;
    }
};

GstMediaEngine::GstMediaEngine(QObject* parent) : MediaEngine(parent)
{
    ensureInitialised();
    prerollWatchdog_.setSingleShot(true);
    prerollWatchdog_.setInterval(kPrerollWatchdogMs);
    connect(&prerollWatchdog_, &QTimer::timeout, this, [this] {
        if (hasMedia() && !prerolled_)
            prerollDone();
    });
}

GstMediaEngine::~GstMediaEngine()
{
    unload();
}

bool GstMediaEngine::buildPipeline(const QString& uri)
{
    GstElement* playbin = gst_element_factory_make("playbin", nullptr);
    GstElement* output = gst_bin_new("video-output");
    const bool combined = hasElement("videoconvertscale");
    GstElement* scale = gst_element_factory_make(combined ? "videoconvertscale" : "videoscale", nullptr);
    GstElement* convert = combined ? nullptr : gst_element_factory_make("videoconvert", nullptr);
    GstElement* filter = gst_element_factory_make("capsfilter", nullptr);
    GstElement* sink = gst_element_factory_make("appsink", nullptr);
    if (!playbin || !output || !scale || (!combined && !convert) || !filter || !sink) {
        for (GstElement* e : {playbin, output, scale, convert, filter, sink})
            if (e)
                gst_object_unref(gst_object_ref_sink(e));
        lastError_ = QStringLiteral("GStreamer's playback elements are missing (playbin, appsink).");
        return false;
    }

    CapsPtr caps(gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, kFrameFormat, nullptr));
    g_object_set(filter, "caps", caps.get(), nullptr);
    // Late frames are dropped (qos) rather than shown late when the machine is busy.
    g_object_set(sink, "sync", TRUE, "qos", TRUE, "max-lateness", gint64(20 * GST_MSECOND),
                 "enable-last-sample", FALSE, "max-buffers", 1u, "drop", TRUE, nullptr);

    gst_bin_add_many(GST_BIN(output), scale, filter, sink, nullptr);
    bool linked;
    if (convert) {
        gst_bin_add(GST_BIN(output), convert);
        linked = gst_element_link_many(scale, convert, filter, sink, nullptr);
    } else {
        linked = gst_element_link_many(scale, filter, sink, nullptr);
    }
    PadPtr scaleSink(gst_element_get_static_pad(scale, "sink"));
    gst_element_add_pad(output, gst_ghost_pad_new("sink", scaleSink.get()));
    g_object_set(playbin, "video-sink", output, "volume", gain_, nullptr);
    g_object_set(playbin, "uri", uri.toUtf8().constData(), nullptr);
    pipeline_.reset(GST_ELEMENT(gst_object_ref_sink(playbin)));
    if (!linked) {
        pipeline_.reset();
        lastError_ = QStringLiteral("The video output chain could not be linked.");
        return false;
    }

    frameCaps_.reset(GST_ELEMENT(gst_object_ref(filter)));
    scalerInput_ = std::move(scaleSink);
    link_ = std::make_shared<Link>(this, ++generation_);

    BusPtr bus(gst_element_get_bus(pipeline_.get()));
    gst_bus_set_sync_handler(bus.get(), &Link::onBusMessage, new std::shared_ptr<Link>(link_), &Link::release);
    GstAppSinkCallbacks callbacks{};
    callbacks.new_preroll = &Link::onPreroll;
    callbacks.new_sample = &Link::onSample;
    gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, new std::shared_ptr<Link>(link_), &Link::release);
    return true;
}

bool GstMediaEngine::load(const QString& path)
{
    unload();
    lastError_.clear();
    QString uri;
    const bool isLocal = !path.contains(QStringLiteral("://"));
    if (!isLocal) {
        uri = path;
    } else {
        const QFileInfo info(path);
        if (!info.isFile()) {
            lastError_ = QStringLiteral("The file \"%1\" does not exist.").arg(path);
            return false;
        }
        uri = QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded);
    }
    if (!buildPipeline(uri))
        return false;

    // An error while pre-rolling does not fail the state change by itself:
    // wait (bounded) for either the end of the pre-roll or the first error.
    const GstStateChangeReturn result = gst_element_set_state(pipeline_.get(), GST_STATE_PAUSED);
    bool settled = result == GST_STATE_CHANGE_SUCCESS || result == GST_STATE_CHANGE_NO_PREROLL;
    QString why;
    {
        std::unique_lock lock(link_->mutex);
        if (result == GST_STATE_CHANGE_ASYNC) {
            link_->changed.wait_for(lock, std::chrono::milliseconds(kPrerollWaitMs),
                                    [&] { return link_->asyncDone || !link_->firstError.isEmpty(); });
            settled = link_->asyncDone;
        }
        why = link_->firstError;
    }
    // A local file that has not pre-rolled by now never will: the demuxer
    // that fails on it can do so without a word (decodebin swallows errors
    // raised while it is still trying an element out).
    if (why.isEmpty() && !settled && result != GST_STATE_CHANGE_FAILURE && isLocal)
        why = QStringLiteral("The file \"%1\" could not be opened for playing.").arg(path);
    if (result == GST_STATE_CHANGE_FAILURE || !why.isEmpty()) {
        unload();
        lastError_ = why.isEmpty() ? QStringLiteral("The file \"%1\" cannot be played.").arg(path) : why;
        return false;
    }
    // A remote source still opening after the wait goes on, and the bus
    // tells when it is done or has failed.
    prerolled_ = settled;
    if (result == GST_STATE_CHANGE_ASYNC && settled)
        staleAsyncDone_ = 1; // its queued copy is still to come
    if (!settled)
        expectPreroll();
    state_ = GraphState::Stopped;
    return true;
}

void GstMediaEngine::unload()
{
    if (link_) {
        link_->detach();
        link_.reset();
    }
    frameCaps_.reset();
    scalerInput_.reset();
    if (pipeline_) {
        g_object_set(pipeline_.get(), "mute", TRUE, nullptr);
        PipelineReaper::instance().dispose(std::move(pipeline_));
    }
    ++generation_;
    prerollWatchdog_.stop();
    state_ = GraphState::Stopped;
    prerolled_ = false;
    staleAsyncDone_ = 0;
    atEnd_ = false;
    pendingSeekMs_.reset();
    seekingToMs_.reset();
    durationCacheMs_.reset();
    frameSize_ = QSize();
}

bool GstMediaEngine::changeState(GstState target)
{
    const GstStateChangeReturn result = gst_element_set_state(pipeline_.get(), target);
    if (result == GST_STATE_CHANGE_FAILURE) {
        QString why;
        if (link_) {
            std::lock_guard lock(link_->mutex);
            why = link_->firstError;
        }
        fail(why.isEmpty() ? QStringLiteral("The media file cannot be played.") : why);
        return false;
    }
    if (result == GST_STATE_CHANGE_ASYNC)
        expectPreroll();
    return true;
}

void GstMediaEngine::expectPreroll()
{
    prerolled_ = false;
    prerollWatchdog_.start();
}

void GstMediaEngine::prerollDone()
{
    prerollWatchdog_.stop();
    prerolled_ = true;
    seekingToMs_.reset();
    if (pendingSeekMs_)
        issueSeek(*pendingSeekMs_);
}

bool GstMediaEngine::play()
{
    if (!hasMedia() || !changeState(GST_STATE_PLAYING))
        return false;
    state_ = GraphState::Playing;
    return true;
}

bool GstMediaEngine::pause()
{
    if (!hasMedia() || !changeState(GST_STATE_PAUSED))
        return false;
    state_ = GraphState::Paused;
    return true;
}

bool GstMediaEngine::stop()
{
    if (!hasMedia() || !changeState(GST_STATE_READY))
        return false;
    state_ = GraphState::Stopped;
    prerollWatchdog_.stop();
    prerolled_ = false;
    staleAsyncDone_ = 0;
    atEnd_ = false;
    pendingSeekMs_.reset();
    seekingToMs_.reset();
    return true;
}

std::optional<qint64> GstMediaEngine::positionMs() const
{
    if (!hasMedia())
        return std::nullopt;
    if (pendingSeekMs_)
        return pendingSeekMs_;
    if (seekingToMs_)
        return seekingToMs_;
    if (atEnd_) {
        if (const auto duration = durationMs())
            return duration;
    }
    gint64 position = 0;
    if (gst_element_query_position(pipeline_.get(), GST_FORMAT_TIME, &position) && position >= 0)
        return position / GST_MSECOND;
    if (state_ == GraphState::Stopped)
        return 0;
    return std::nullopt;
}

std::optional<qint64> GstMediaEngine::durationMs() const
{
    if (!hasMedia())
        return std::nullopt;
    if (!durationCacheMs_) {
        gint64 duration = 0;
        if (gst_element_query_duration(pipeline_.get(), GST_FORMAT_TIME, &duration) && duration > 0)
            durationCacheMs_ = duration / GST_MSECOND;
    }
    return durationCacheMs_;
}

bool GstMediaEngine::seekMs(qint64 positionMs)
{
    if (!hasMedia())
        return false;
    positionMs = std::max<qint64>(positionMs, 0);
    atEnd_ = false;
    if (!prerolled_) {
        // A seek sent while a state change is under way can be lost; it goes
        // out when the pre-roll is done.
        pendingSeekMs_ = positionMs;
        return true;
    }
    return issueSeek(positionMs);
}

bool GstMediaEngine::issueSeek(qint64 positionMs)
{
    pendingSeekMs_.reset();
    const auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    if (!gst_element_seek_simple(pipeline_.get(), GST_FORMAT_TIME, flags, positionMs * GST_MSECOND))
        return false;
    seekingToMs_ = positionMs;
    expectPreroll();
    return true;
}

void GstMediaEngine::setGain(double gain)
{
    gain_ = std::clamp(gain, 0.0, 1.0);
    if (pipeline_)
        g_object_set(pipeline_.get(), "volume", gain_, nullptr);
}

double GstMediaEngine::gain() const
{
    if (!pipeline_)
        return gain_;
    gdouble volume = 0.0;
    g_object_get(pipeline_.get(), "volume", &volume, nullptr);
    return volume;
}

void GstMediaEngine::setVideoArea(QSize area)
{
    area_ = area;
    fitFramesToArea();
}

void GstMediaEngine::fitFramesToArea()
{
    if (!frameCaps_ || !scalerInput_)
        return;
    CapsPtr input(gst_pad_get_current_caps(scalerInput_.get()));
    GstVideoInfo info;
    if (!input || !gst_video_info_from_caps(&info, input.get()))
        return;
    const double par = info.par_n > 0 && info.par_d > 0 ? double(info.par_n) / info.par_d : 1.0;
    QSize wanted = varendo::playback::fitVideoRect(QSize(info.width, info.height), par,
                                                   QRect(QPoint(0, 0), area_)).size();
    // Nowhere to show it (a window of no height): leave the frames as they are.
    if (wanted.isEmpty() || wanted == frameSize_)
        return;
    wanted = wanted.boundedTo(QSize(kMaxFrameSide, kMaxFrameSide));
    frameSize_ = wanted;
    CapsPtr caps(gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, kFrameFormat,
                                     "width", G_TYPE_INT, wanted.width(),
                                     "height", G_TYPE_INT, wanted.height(),
                                     "pixel-aspect-ratio", GST_TYPE_FRACTION, 1, 1, nullptr));
    g_object_set(frameCaps_.get(), "caps", caps.get(), nullptr);
}

void GstMediaEngine::customEvent(QEvent* event)
{
    if (event->type() != kBusEvent && event->type() != kFrameEvent)
        return MediaEngine::customEvent(event);
    auto* tagged = static_cast<GenerationEvent*>(event);
    // A pipeline already let go of, or a file replaced since: not ours to hear.
    if (!link_ || tagged->generation != generation_)
        return;
    if (event->type() == kFrameEvent)
        takeFrame();
    else
        handleMessage(static_cast<BusEvent*>(event)->message.get());
}

void GstMediaEngine::takeFrame()
{
    SamplePtr sample;
    {
        std::lock_guard lock(link_->mutex);
        sample = std::move(link_->latest);
        link_->framePosted = false;
    }
    if (!sample)
        return;
    VideoFrame frame = toVideoFrame(sample.get());
    fitFramesToArea();
    if (!frame.image.isNull())
        emit frameReady(frame);
}

void GstMediaEngine::handleMessage(GstMessage* message)
{
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ERROR:
        fail(errorText(message));
        break;
    case GST_MESSAGE_EOS:
        atEnd_ = true;
        emit endOfMedia();
        break;
    case GST_MESSAGE_ASYNC_DONE:
        if (staleAsyncDone_ > 0) {
            --staleAsyncDone_;
            break;
        }
        prerollDone();
        break;
    case GST_MESSAGE_DURATION_CHANGED:
        durationCacheMs_.reset();
        break;
    default:
        break;
    }
}

void GstMediaEngine::fail(const QString& message)
{
    const bool wasStopped = state_ == GraphState::Stopped;
    unload();
    lastError_ = message;
    emit errorOccurred(message);
    if (!wasStopped)
        emit stateChanged(state_);
}

varendo::playback::MediaEngineFactory mediaEngineFactory()
{
    return [] { return std::make_unique<GstMediaEngine>(); };
}

} // namespace varendo::gst
