#include "gstreamer/wave/output_device.h"

#include <gst/app/gstappsrc.h>

#include <algorithm>

namespace varendo::gst {

namespace {

// No conversion in between: the sound server takes 8000 Hz mono as it is,
// and buffers reach the sink as they were pushed, one per block.
// Without clock sync the sink appends each block to what it is playing and,
// after running dry, starts again at once, as a wave device does.
constexpr char kOutputPipeline[] =
    "appsrc name=source format=time max-bytes=0"
    " ! pulsesink name=sink client-name=Varendo sync=false"
    " buffer-time=100000 latency-time=20000";

constexpr GstClockTime kBlockDuration = GST_SECOND * gsm::kSamplesPerBlock / gsm::kSampleRate;

} // namespace

OutputDevice::OutputDevice(WaveHandle handle, QObject* receiver)
    : WaveDevice(handle, receiver, kNoticeOutputDone)
{
}

OutputDevice::~OutputDevice()
{
    releasePipeline();
}

WaveResult OutputDevice::open()
{
    if (!hasElement("pulsesink") || !hasElement("appsrc"))
        return waveerr::kNoDriver;
    const WaveResult built = buildPipeline(kOutputPipeline);
    if (built != waveerr::kNoError)
        return built;
    source_ = element("source");
    CapsPtr caps(gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, "S16LE",
                                     "rate", G_TYPE_INT, gsm::kSampleRate,
                                     "channels", G_TYPE_INT, 1,
                                     "layout", G_TYPE_STRING, "interleaved", nullptr));
    gst_app_src_set_caps(GST_APP_SRC(source_), caps.get());
    PadPtr sinkPad(gst_element_get_static_pad(element("sink"), "sink"));
    gst_pad_add_probe(sinkPad.get(),
                      GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST),
                      &OutputDevice::onSinkData, this, nullptr);
    {
        std::lock_guard lock(mutex_);
        restartStreamLocked();
    }
    return playPipeline();
}

WaveResult OutputDevice::write(WaveHeader* header)
{
    std::lock_guard lock(mutex_);
    if (failed_)
        return waveerr::kError;
    const WaveResult result = wavebuf::enqueue(header);
    if (result != waveerr::kNoError)
        return result;

    partial_.insert(partial_.end(), header->data, header->data + header->bufferLength);
    std::size_t used = 0;
    for (; partial_.size() - used >= gsm::kBlockBytes; used += gsm::kBlockBytes) {
        GstBuffer* buffer = gst_buffer_new_allocate(nullptr, gsm::kSamplesPerBlock * sizeof(int16_t), nullptr);
        GstMapInfo map;
        gst_buffer_map(buffer, &map, GST_MAP_WRITE);
        decoder_->decodeBlock(partial_.data() + used, reinterpret_cast<int16_t*>(map.data));
        gst_buffer_unmap(buffer, &map);
        GST_BUFFER_PTS(buffer) = blocksPushed_ * kBlockDuration;
        GST_BUFFER_DURATION(buffer) = kBlockDuration;
        ++blocksPushed_;
        gst_app_src_push_buffer(GST_APP_SRC(source_), buffer);
    }
    partial_.erase(partial_.begin(), partial_.begin() + static_cast<std::ptrdiff_t>(used));
    queued_.push_back({header, blocksPushed_ * kBlockDuration});
    // A write that completed no block has nothing to wait for.
    handBackConsumedLocked();
    return waveerr::kNoError;
}

WaveResult OutputDevice::reset()
{
    stopPipeline();
    {
        std::lock_guard lock(mutex_);
        handBackAllLocked();
        restartStreamLocked();
    }
    if (playPipeline() != waveerr::kNoError) {
        std::lock_guard lock(mutex_);
        failed_ = true;
    }
    return waveerr::kNoError;
}

void OutputDevice::restartStreamLocked()
{
    decoder_ = std::make_unique<gsm::Gsm610Decoder>();
    partial_.clear();
    blocksPushed_ = 0;
    consumed_ = 0;
}

GstPadProbeReturn OutputDevice::onSinkData(GstPad*, GstPadProbeInfo* info, gpointer self)
{
    auto* device = static_cast<OutputDevice*>(self);
    auto endOf = [](GstBuffer* b) {
        return GST_BUFFER_PTS_IS_VALID(b) && GST_BUFFER_DURATION_IS_VALID(b)
                   ? GST_BUFFER_PTS(b) + GST_BUFFER_DURATION(b) : GstClockTime(0);
    };
    if (info->type & GST_PAD_PROBE_TYPE_BUFFER) {
        device->consumedUpTo(endOf(GST_PAD_PROBE_INFO_BUFFER(info)));
    } else if (GstBufferList* list = GST_PAD_PROBE_INFO_BUFFER_LIST(info)) {
        GstClockTime end = 0;
        for (guint i = 0; i < gst_buffer_list_length(list); ++i)
            end = std::max(end, endOf(gst_buffer_list_get(list, i)));
        device->consumedUpTo(end);
    }
    return GST_PAD_PROBE_OK;
}

void OutputDevice::consumedUpTo(GstClockTime end)
{
    std::lock_guard lock(mutex_);
    consumed_ = std::max(consumed_, end);
    handBackConsumedLocked();
}

void OutputDevice::handBackConsumedLocked()
{
    while (!queued_.empty() && queued_.front().end <= consumed_) {
        handBackLocked(queued_.front().header);
        queued_.pop_front();
    }
}

void OutputDevice::onFailureLocked()
{
    // Nothing more will be played: give everything back now.
    handBackAllLocked();
}

} // namespace varendo::gst
