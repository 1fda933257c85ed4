#include "gstreamer/core/seek_stall.h"

namespace varendo::gst {

namespace {

std::atomic<bool> armed{false};
std::atomic<int> stalled{0};

struct Probe {
    std::atomic<bool> flushed{false};
};

GstPadProbeReturn onFlush(GstPad*, GstPadProbeInfo* info, gpointer data)
{
    if (GST_EVENT_TYPE(GST_PAD_PROBE_INFO_EVENT(info)) == GST_EVENT_FLUSH_STOP)
        static_cast<Probe*>(data)->flushed = true;
    return GST_PAD_PROBE_OK;
}

// Blocks the streaming thread at the pad from the flush on: nothing reaches the
// sink, not even the end of the stream, as when it waits on the clock for good.
GstPadProbeReturn onData(GstPad*, GstPadProbeInfo*, gpointer data)
{
    return static_cast<Probe*>(data)->flushed ? GST_PAD_PROBE_OK : GST_PAD_PROBE_PASS;
}

} // namespace

void SeekStall::armNext()
{
    armed = true;
}

int SeekStall::stalledCount()
{
    return stalled;
}

void SeekStall::follow(GstPad* pad)
{
    if (!pad || !armed.exchange(false))
        return;
    release();
    pad_.reset(GST_PAD(gst_object_ref(pad)));
    auto probe = std::make_shared<Probe>();
    const auto hold = [](const std::shared_ptr<Probe>& p) { return new std::shared_ptr<Probe>(p); };
    const GDestroyNotify drop = [](gpointer data) { delete static_cast<std::shared_ptr<Probe>*>(data); };
    flushProbe_ = gst_pad_add_probe(
        pad, GST_PAD_PROBE_TYPE_EVENT_FLUSH,
        [](GstPad* probed, GstPadProbeInfo* info, gpointer data) {
            return onFlush(probed, info, static_cast<std::shared_ptr<Probe>*>(data)->get());
        },
        hold(probe), drop);
    probe_ = gst_pad_add_probe(
        pad, GstPadProbeType(GST_PAD_PROBE_TYPE_BLOCK | GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST),
        [](GstPad* probed, GstPadProbeInfo* info, gpointer data) {
            return onData(probed, info, static_cast<std::shared_ptr<Probe>*>(data)->get());
        },
        hold(probe), drop);
    ++stalled;
}

void SeekStall::release()
{
    if (pad_ && probe_)
        gst_pad_remove_probe(pad_.get(), probe_);
    if (pad_ && flushProbe_)
        gst_pad_remove_probe(pad_.get(), flushProbe_);
    probe_ = flushProbe_ = 0;
    pad_.reset();
}

} // namespace varendo::gst
