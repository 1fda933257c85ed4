#pragma once
// An output device: GSM blocks decoded to 8000 Hz mono and played on
// PulseAudio's default sink, back to back in the order written. A written
// buffer is handed back once all its sound has gone to the sink.
#include "gsm/gsm610_codec.h"
#include "gstreamer/wave/wave_device.h"

#include <memory>
#include <vector>

namespace varendo::gst {

class OutputDevice final : public WaveDevice {
public:
    OutputDevice(WaveHandle handle, QObject* receiver);
    ~OutputDevice() override;

    WaveResult open();
    WaveResult write(WaveHeader* header);
    WaveResult reset();

private:
    static GstPadProbeReturn onSinkData(GstPad* pad, GstPadProbeInfo* info, gpointer self);
    void consumedUpTo(GstClockTime end);
    void handBackConsumedLocked();
    void restartStreamLocked();
    void onFailureLocked() override;

    GstElement* source_ = nullptr;
    std::unique_ptr<gsm::Gsm610Decoder> decoder_;
    std::vector<uint8_t> partial_; // bytes short of a whole block, waiting for the next write
    uint64_t blocksPushed_ = 0;
    GstClockTime consumed_ = 0;
};

} // namespace varendo::gst
