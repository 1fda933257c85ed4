#pragma once
// A capture device: PulseAudio's default source at 8000 Hz mono, coded into
// 65-byte GSM blocks that fill the queued buffers in capture order.
#include "gsm/gsm610_codec.h"
#include "gstreamer/wave/wave_device.h"

#include <array>
#include <memory>
#include <vector>

#include <gst/app/gstappsink.h>

namespace varendo::gst {

class CaptureDevice final : public WaveDevice {
public:
    CaptureDevice(WaveHandle handle, QObject* receiver);
    ~CaptureDevice() override;

    // Connects to the source; waits a moment for the server to accept its stream.
    WaveResult open();
    WaveResult addBuffer(WaveHeader* header);
    WaveResult start();
    WaveResult reset();

    // Blocks coded while every buffer is with the receiver wait here; beyond
    // this (10 s) new sound is dropped, as a device without buffers does.
    static constexpr std::size_t kMaxBacklog = 250;

private:
    using Block = std::array<uint8_t, gsm::kBlockBytes>;

    static GstFlowReturn onSample(GstAppSink* sink, gpointer self);
    static GstPadProbeReturn onSourceEvent(GstPad* pad, GstPadProbeInfo* info, gpointer self);
    void takeSamples(const int16_t* samples, std::size_t count);
    void fillBuffersLocked();
    void onFailureLocked() override;

    bool sourceConnected_ = false;
    bool started_ = false;
    std::unique_ptr<gsm::Gsm610Encoder> encoder_;
    std::vector<int16_t> pending_;  // samples short of a whole block
    std::deque<Block> backlog_;
};

} // namespace varendo::gst
