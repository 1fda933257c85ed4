#include "gstreamer/video/gst_media_engine.h"

#include "common/file_names.h"
#include "gstreamer/core/teardown.h"
#include "playback/media_arithmetic.h"

#include <gst/app/gstappsink.h>
#include <gst/video/video.h>

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>

#include <algorithm>
#include <mutex>

using varendo::playback::GraphState;
using varendo::playback::VideoFrame;

namespace varendo::gst {

namespace {

const QEvent::Type kFrameEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// QImage::Format_RGB32 in memory order.
constexpr const char* kFrameFormat = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? "BGRx" : "xRGB";
// Frames are never made larger than this on either side.
constexpr int kMaxFrameSide = 8192;

struct FrameEvent : QEvent {
    explicit FrameEvent(quint64 gen) : QEvent(kFrameEvent), generation(gen) {}
    quint64 generation;
};

QString playError(GstMessage* message)
{
    return errorText(message, QStringLiteral("视频文件无法播放。"));
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

// What the appsink's streaming thread shares with the engine. The engine lets
// go of it (receiver null) before the pipeline is released, so no frame is
// posted to an engine that is gone or to a pipeline it no longer holds.
struct GstMediaEngine::Link {
    Link(QObject* r, quint64 gen) : receiver(r), generation(gen) {}

    std::mutex mutex;
    QObject* receiver;
    const quint64 generation;
    SamplePtr latest;          // newest frame not yet taken by the engine
    bool framePosted = false;  // one frame notice at a time in the event queue
    QString firstError;        // noted where it is posted, for a state change that fails at once

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
            QCoreApplication::postEvent(receiver, new FrameEvent(generation));
        }
    }

    static GstFlowReturn onSample(GstAppSink* sink, gpointer data)
    {
        Held<Link>::of(data).storeFrame(gst_app_sink_pull_sample(sink));
        return GST_FLOW_OK;
    }

    static GstFlowReturn onPreroll(GstAppSink* sink, gpointer data)
    {
        Held<Link>::of(data).storeFrame(gst_app_sink_pull_preroll(sink));
        return GST_FLOW_OK;
    }
};

// GStreamer is loaded by the first file, not here: the window is built without waiting for it.
GstMediaEngine::GstMediaEngine(QObject* parent) : MediaEngine(parent)
{
    prerollWatchdog_.setSingleShot(true);
    prerollWatchdog_.setInterval(kPrerollWatchdogMs);
    connect(&prerollWatchdog_, &QTimer::timeout, this, [this] {
        if (hasMedia() && !prerolled_)
            prerollDone(false);
    });
    stallLook_.setInterval(kStallLookMs);
    connect(&stallLook_, &QTimer::timeout, this, &GstMediaEngine::lookForStall);
    stallClock_.start();
    prerollLimit_.setSingleShot(true);
    prerollLimit_.setInterval(kLocalPrerollLimitMs);
    connect(&prerollLimit_, &QTimer::timeout, this, &GstMediaEngine::prerollOverdue);
}

GstMediaEngine::~GstMediaEngine()
{
    unload();
}

bool GstMediaEngine::buildPipeline(const QString& uri)
{
    ensureInitialised();
    Pipeline playbin(gst_element_factory_make("playbin", nullptr));
    if (!playbin) {
        lastError_ = missingElementText("playbin");
        return false;
    }
    gst_object_ref_sink(playbin.get());
    GstElement* output = gst_bin_new("video-output");
    g_object_set(playbin.get(), "video-sink", output, nullptr); // playbin owns the bin from here
    BinBuilder build(GST_BIN(output));
    const bool combined = hasElement("videoconvertscale");
    GstElement* scale = build.make(combined ? "videoconvertscale" : "videoscale");
    GstElement* convert = combined ? nullptr : build.make("videoconvert");
    GstElement* filter = build.make("capsfilter");
    GstElement* sink = build.make("appsink");
    if (build.ok())
        build.linkChain({scale, convert, filter, sink});
    if (!build.ok()) {
        lastError_ = build.error();
        return false;
    }

    CapsPtr caps(gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, kFrameFormat, nullptr));
    g_object_set(filter, "caps", caps.get(), nullptr);
    // Late frames are dropped (qos) rather than shown late when the machine is busy.
    g_object_set(sink, "sync", TRUE, "qos", TRUE, "max-lateness", gint64(20 * GST_MSECOND),
                 "enable-last-sample", FALSE, "max-buffers", 1u, "drop", TRUE, nullptr);
    // Another speed keeps the voice's pitch; at rate 1 scaletempo passes the sound through.
    if (hasElement("scaletempo"))
        g_object_set(playbin.get(), "audio-filter", gst_element_factory_make("scaletempo", nullptr), nullptr);
    PadPtr scaleSink(gst_element_get_static_pad(scale, "sink"));
    gst_element_add_pad(output, gst_ghost_pad_new("sink", scaleSink.get()));
    g_object_set(playbin.get(), "volume", gain_, "uri", uri.toUtf8().constData(), nullptr);

    pipeline_ = std::move(playbin);
    frameCaps_.reset(GST_ELEMENT(gst_object_ref(filter)));
    scalerInput_ = std::move(scaleSink);
    link_ = std::make_shared<Link>(this, ++generation_);
    bus_.attach(pipeline_.get(), GST_MESSAGE_ERROR | GST_MESSAGE_EOS | GST_MESSAGE_ASYNC_DONE
                                     | GST_MESSAGE_DURATION_CHANGED,
                [this](GstMessage* message) { handleMessage(message); },
                [link = link_](GstMessage* message) {
                    if (GST_MESSAGE_TYPE(message) != GST_MESSAGE_ERROR)
                        return;
                    std::lock_guard lock(link->mutex);
                    if (link->firstError.isEmpty())
                        link->firstError = playError(message);
                });
    GstAppSinkCallbacks callbacks{};
    callbacks.new_preroll = &Link::onPreroll;
    callbacks.new_sample = &Link::onSample;
    gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, Held<Link>::hold(link_), &Held<Link>::release);
    return true;
}

bool GstMediaEngine::load(const QString& path)
{
    unload();
    lastError_.clear();
    QString uri;
    local_ = !path.contains(QStringLiteral("://"));
    path_ = path;
    if (!local_) {
        uri = path;
    } else {
        // A name shown from its GBK bytes is opened by those bytes.
        if (!isExistingFile(path)) {
            lastError_ = QStringLiteral("文件“%1”不存在。").arg(path);
            return false;
        }
        uri = fileUri(QFileInfo(path).absoluteFilePath());
    }
    if (!buildPipeline(uri))
        return false;

    // The file pre-rolls while the window goes on; the bus tells when it is
    // done or has failed.
    state_ = GraphState::Stopped;
    if (!changeState(GST_STATE_PAUSED))
        return false;
    if (!prerolled_ && local_)
        prerollLimit_.start();
    return true;
}

void GstMediaEngine::unload()
{
    stallLook_.stop();
    seekStall_.release();
    bus_.detach();
    if (link_) {
        link_->detach();
        link_.reset();
    }
    frameCaps_.reset();
    scalerInput_.reset();
    if (pipeline_) {
        g_object_set(pipeline_.get(), "mute", TRUE, nullptr);
        Teardown::instance().dispose(std::move(pipeline_));
    }
    ++generation_;
    prerollWatchdog_.stop();
    prerollLimit_.stop();
    state_ = GraphState::Stopped;
    prerolled_ = false;
    everPrerolled_ = false;
    atEnd_ = false;
    pendingSeekMs_.reset();
    seekingToMs_.reset();
    durationCacheMs_.reset();
    appliedRate_ = 1.0;
    seekable_ = true;
    frameSize_ = QSize();
}

void GstMediaEngine::prerollOverdue()
{
    if (hasMedia() && !everPrerolled_)
        fail(QStringLiteral("视频文件“%1”无法打开播放。").arg(path_));
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
        fail(why.isEmpty() ? QStringLiteral("视频文件“%1”无法播放。").arg(path_) : why);
        return false;
    }
    if (result == GST_STATE_CHANGE_ASYNC)
        expectPreroll();
    else if (target >= GST_STATE_PAUSED)
        prerollDone();
    return true;
}

void GstMediaEngine::expectPreroll()
{
    prerolled_ = false;
    prerollTold_ = false;
    prerollWatchdog_.start();
}

void GstMediaEngine::prerollDone(bool told)
{
    prerollWatchdog_.stop();
    prerolled_ = true;
    prerollTold_ = told;
    everPrerolled_ = true;
    prerollLimit_.stop();
    seekingToMs_.reset();
    if (pendingSeekMs_)
        issueSeek(*pendingSeekMs_);
    else if (appliedRate_ != rate_ && !atEnd_ && seekable_)
        issueSeek(positionMs().value_or(0));
}

bool GstMediaEngine::play()
{
    if (!hasMedia() || !changeState(GST_STATE_PLAYING))
        return false;
    state_ = GraphState::Playing;
    stallWatch_.reset();
    stallLook_.start();
    return true;
}

void GstMediaEngine::lookForStall()
{
    if (state_ != GraphState::Playing || !hasMedia()) {
        stallLook_.stop();
        return;
    }
    if (atEnd_ || !everPrerolled_) {
        stallWatch_.reset();
        return;
    }
    // The pipeline is asked for its position only when no seek is in flight.
    gint64 position = -1;
    const bool seeking = !prerolled_;
    if (!seeking && !gst_element_query_position(pipeline_.get(), GST_FORMAT_TIME, &position)) {
        stallWatch_.reset();
        return;
    }
    const qint64 ms = seeking ? 0 : position / GST_MSECOND;
    if (stallWatch_.stuck(seeking ? StallWatch::Phase::Seeking : StallWatch::Phase::Moving, stallClock_.elapsed(), ms))
        restart(seeking ? seekingToMs_.value_or(pendingSeekMs_.value_or(0)) : ms);
}

bool GstMediaEngine::restartTowards(GstState target)
{
    if (!changeState(GST_STATE_READY))
        return false;
    // A pre-roll told of before the restart is not the one to wait for now.
    bus_.forgetPending();
    prerolled_ = false;
    appliedRate_ = 1.0;
    return changeState(target);
}

void GstMediaEngine::restart(qint64 atMs)
{
    seekStall_.release();
    seekingToMs_.reset();
    // Pre-rolls from the start; the seek back goes out when that is done.
    if (seekable_ && atMs > 0)
        pendingSeekMs_ = atMs;
    if (restartTowards(GST_STATE_PLAYING))
        stallWatch_.reset();
}

void GstMediaEngine::seekRefused()
{
    // The demuxer refused (a file without an index, say) and left the pipeline
    // waiting for a pre-roll that never comes: start it again from the beginning,
    // at the normal speed, and do not seek in this file again.
    const bool first = seekable_;
    seekable_ = false;
    pendingSeekMs_.reset();
    seekingToMs_.reset();
    if (!restartTowards(state_ == GraphState::Playing ? GST_STATE_PLAYING : GST_STATE_PAUSED))
        return;
    if (first)
        emit seekFailed(QStringLiteral("视频文件“%1”不能跳到指定位置（文件中没有索引），只能从头顺序播放。")
                            .arg(QFileInfo(path_).fileName()));
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
    atEnd_ = false;
    appliedRate_ = 1.0; // a stopped pipeline starts again with a new segment
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
    if (!hasMedia() || !seekable_)
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
    seekStall_.follow(scalerInput_.get());
    if (!gst_element_seek(pipeline_.get(), rate_, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET,
                          positionMs * GST_MSECOND, GST_SEEK_TYPE_NONE, 0)) {
        seekStall_.release();
        if (!prerollTold_) {
            // Sent on the watchdog's word, perhaps while still pre-rolling: tried
            // again when the pre-roll is done.
            pendingSeekMs_ = positionMs;
            expectPreroll();
            return true;
        }
        seekRefused();
        return false;
    }
    appliedRate_ = rate_;
    seekingToMs_ = positionMs;
    expectPreroll();
    return true;
}

void GstMediaEngine::setRate(double rate)
{
    if (!(rate > 0.0) || rate == rate_)
        return;
    rate_ = rate;
    // Where it stands, at the new rate; a pipeline still pre-rolling takes it when
    // done, one at its end with the next seek.
    if (hasMedia() && prerolled_ && !atEnd_ && !pendingSeekMs_ && seekable_)
        issueSeek(positionMs().value_or(0));
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
    if (event->type() != kFrameEvent)
        return MediaEngine::customEvent(event);
    // A pipeline already let go of, or a file replaced since: not ours to show.
    if (link_ && static_cast<FrameEvent*>(event)->generation == generation_)
        takeFrame();
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
        fail(playError(message));
        break;
    case GST_MESSAGE_EOS:
        atEnd_ = true;
        emit endOfMedia();
        break;
    case GST_MESSAGE_ASYNC_DONE:
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
