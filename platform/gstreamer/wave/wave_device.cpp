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
    ensureInitialised();
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(description, &error);
    if (error) {
        g_error_free(error);
        if (pipeline)
            gst_object_unref(pipeline);
        return waveerr::kNoDriver;
    }
    pipeline_.reset(pipeline);
    BusPtr bus(gst_element_get_bus(pipeline));
    gst_bus_set_sync_handler(bus.get(), &WaveDevice::onBusMessage, this, nullptr);
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
    pipeline_.reset();
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

GstBusSyncReply WaveDevice::onBusMessage(GstBus*, GstMessage* message, gpointer self)
{
    // Nobody pops this bus: everything is dropped here, errors noted first.
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
        auto* device = static_cast<WaveDevice*>(self);
        std::lock_guard lock(device->mutex_);
        if (!device->failed_) {
            device->failed_ = true;
            device->onFailureLocked();
        }
        device->notifyLocked();
    }
    return GST_BUS_DROP;
}

} // namespace varendo::gst
