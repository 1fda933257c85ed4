#include "gstreamer/wave/wave_device.h"

namespace varendo::gst {

WaveDevice::WaveDevice(WaveHandle handle, QObject* receiver, uint32_t notice)
    : handle_(handle), receiver_(receiver), notice_(notice)
{
}

WaveDevice::~WaveDevice()
{
    releasePipeline();
}

void WaveDevice::close()
{
    releasePipeline();
    std::lock_guard lock(mutex_);
    handBackAllLocked();
}

WaveResult WaveDevice::buildPipeline(const char* description)
{
    pipeline_ = parseLaunch(description, nullptr);
    if (!pipeline_)
        return waveerr::kNoDriver;
    // Only errors matter here, and they matter at once (a waiting open, the
    // queued buffers): they are noted on the thread that posts them.
    bus_.attach(pipeline_.get(), 0, {}, [this](GstMessage* message) { noteBusMessage(message); });
    return waveerr::kNoError;
}

WaveResult WaveDevice::playPipeline()
{
    if (gst_element_set_state(pipeline_.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        releasePipeline();
        return waveerr::kNoDriver;
    }
    return waveerr::kNoError;
}

void WaveDevice::stopPipeline()
{
    if (pipeline_)
        gst_element_set_state(pipeline_.get(), GST_STATE_NULL);
}

void WaveDevice::releasePipeline()
{
    // The sound server answers at once, so the pipeline stops here and now,
    // and no streaming thread is left to call into this device.
    pipeline_.reset();
    bus_.detach();
}

GstElement* WaveDevice::element(const char* name) const
{
    // The pipeline keeps its children alive; the extra reference is not needed.
    GstElement* e = gst_bin_get_by_name(GST_BIN(pipeline_.get()), name);
    if (e)
        gst_object_unref(e);
    return e;
}

void WaveDevice::handBackLocked(WaveHeader* header)
{
    wavebuf::markDone(header);
    postWaveNotice(receiver_, notice_, handle_, header);
}

void WaveDevice::handBackAllLocked()
{
    while (!queued_.empty()) {
        handBackLocked(queued_.front().header);
        queued_.pop_front();
    }
}

void WaveDevice::noteBusMessage(GstMessage* message)
{
    if (GST_MESSAGE_TYPE(message) != GST_MESSAGE_ERROR)
        return;
    std::lock_guard lock(mutex_);
    if (!failed_) {
        failed_ = true;
        onFailureLocked();
    }
    notifyLocked();
}

} // namespace varendo::gst
