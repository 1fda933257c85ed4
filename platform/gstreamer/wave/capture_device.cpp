#include "gstreamer/wave/capture_device.h"

#include <algorithm>
#include <cstring>

namespace varendo::gst {

namespace {

// Sound arrives in 10 ms pieces; the server may hold up to a second of it
// while this process is busy before any is lost.
constexpr char kCapturePipeline[] =
    "pulsesrc name=source client-name=Varendo buffer-time=1000000 ! audioconvert ! audioresample"
    " ! audio/x-raw,format=S16LE,rate=8000,channels=1,layout=interleaved"
    " ! appsink name=sink sync=false";

// How long open waits for the sound server to accept the stream. It does so
// within a few milliseconds; a refusal that comes later fails the device then
// (its buffers come back and new ones are refused), so the window never waits.
constexpr std::chrono::milliseconds kOpenWait{50};

} // namespace

CaptureDevice::CaptureDevice(WaveHandle handle, QObject* receiver)
    : WaveDevice(handle, receiver, kNoticeInputData)
{
}

CaptureDevice::~CaptureDevice()
{
    releasePipeline(); // before the members the streaming thread uses go away
}

WaveResult CaptureDevice::open()
{
    if (!hasElement("pulsesrc") || !hasElement("appsink"))
        return waveerr::kNoDriver;
    // The source runs from here on so that a missing device shows now (the
    // server refuses its stream); its sound is dropped until start.
    WaveResult result = buildPipeline(kCapturePipeline);
    if (result != waveerr::kNoError)
        return result;
    GstAppSinkCallbacks callbacks{};
    callbacks.new_sample = &CaptureDevice::onSample;
    gst_app_sink_set_callbacks(GST_APP_SINK(element("sink")), &callbacks, this, nullptr);
    PadPtr sourcePad(gst_element_get_static_pad(element("source"), "src"));
    gst_pad_add_probe(sourcePad.get(), GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, &CaptureDevice::onSourceEvent,
                      this, nullptr);
    if ((result = playPipeline()) != waveerr::kNoError)
        return result;

    std::unique_lock lock(mutex_);
    waitLocked(lock, kOpenWait, [this] { return sourceConnected_; });
    if (!failed_)
        return waveerr::kNoError;
    lock.unlock();
    releasePipeline();
    return waveerr::kBadDeviceId;
}

WaveResult CaptureDevice::addBuffer(WaveHeader* header)
{
    if (header && header->bufferLength < gsm::kBlockBytes)
        return waveerr::kInvalidParam; // no room for a single block
    std::lock_guard lock(mutex_);
    if (failed_)
        return waveerr::kError;
    const WaveResult result = wavebuf::enqueue(header);
    if (result != waveerr::kNoError)
        return result;
    queued_.push_back({header});
    fillBuffersLocked();
    return waveerr::kNoError;
}

WaveResult CaptureDevice::start()
{
    std::lock_guard lock(mutex_);
    if (failed_)
        return waveerr::kError;
    if (!started_) {
        encoder_ = std::make_unique<gsm::Gsm610Encoder>();
        pending_.clear();
        started_ = true;
    }
    return waveerr::kNoError;
}

WaveResult CaptureDevice::reset()
{
    std::lock_guard lock(mutex_);
    started_ = false;
    pending_.clear();
    backlog_.clear();
    handBackAllLocked();
    return waveerr::kNoError;
}

void CaptureDevice::onFailureLocked()
{
    // A source refused after open: every buffer comes back empty.
    started_ = false;
    backlog_.clear();
    handBackAllLocked();
}

GstFlowReturn CaptureDevice::onSample(GstAppSink* sink, gpointer self)
{
    SamplePtr sample(gst_app_sink_pull_sample(sink));
    if (!sample)
        return GST_FLOW_OK;
    GstBuffer* buffer = gst_sample_get_buffer(sample.get());
    GstMapInfo map;
    if (!buffer || !gst_buffer_map(buffer, &map, GST_MAP_READ))
        return GST_FLOW_OK;
    static_cast<CaptureDevice*>(self)->takeSamples(
        reinterpret_cast<const int16_t*>(map.data), map.size / sizeof(int16_t));
    gst_buffer_unmap(buffer, &map);
    return GST_FLOW_OK;
}

GstPadProbeReturn CaptureDevice::onSourceEvent(GstPad*, GstPadProbeInfo* info, gpointer self)
{
    // The source sends its caps once the server has accepted its stream.
    if (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) != GST_EVENT_CAPS)
        return GST_PAD_PROBE_OK;
    auto* device = static_cast<CaptureDevice*>(self);
    std::lock_guard lock(device->mutex_);
    device->sourceConnected_ = true;
    device->notifyLocked();
    return GST_PAD_PROBE_REMOVE;
}

void CaptureDevice::takeSamples(const int16_t* samples, std::size_t count)
{
    std::lock_guard lock(mutex_);
    if (!started_)
        return;
    pending_.insert(pending_.end(), samples, samples + count);
    std::size_t used = 0;
    for (; pending_.size() - used >= gsm::kSamplesPerBlock; used += gsm::kSamplesPerBlock) {
        Block block;
        encoder_->encodeBlock(pending_.data() + used, block.data());
        if (backlog_.size() < kMaxBacklog)
            backlog_.push_back(block);
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(used));
    fillBuffersLocked();
}

void CaptureDevice::fillBuffersLocked()
{
    while (!queued_.empty() && !backlog_.empty()) {
        WaveHeader* header = queued_.front().header;
        queued_.pop_front();
        const std::size_t room = header->bufferLength / gsm::kBlockBytes;
        std::size_t blocks = 0;
        for (; blocks < room && !backlog_.empty(); ++blocks) {
            std::memcpy(header->data + blocks * gsm::kBlockBytes, backlog_.front().data(),
                        gsm::kBlockBytes);
            backlog_.pop_front();
        }
        header->bytesRecorded = static_cast<uint32_t>(blocks * gsm::kBlockBytes);
        handBackLocked(header);
    }
}

} // namespace varendo::gst
