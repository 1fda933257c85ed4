#pragma once
// The output every audio source plays through:
//   audioconvert ! audioresample ! S16LE stereo at the output rate
//   ! scaletempo ! equalizer-nbands ! volume ! sink
// scaletempo keeps the pitch when a seek sets another rate; at rate 1 it passes
// the sound through untouched.
// The sink is PulseAudio, else ALSA, else (no sound device, or device 0) a
// silent sink that keeps to the clock, so sources still play in real time.
#include "gstreamer/core/gst_core.h"

#include <cstdint>
#include <functional>

namespace varendo::gst {

enum class Output { Pulse, Alsa, Silent, Given };

struct OutputSettings {
    Output output = Output::Silent;
    std::function<GstElement*()> makeSink; // for Output::Given
    std::uint32_t rate = 44100;
    float bufferSeconds = 0.5f;
    bool equalizer = true; // when this machine has equalizer-nbands
};

class OutputChain {
public:
    // Equaliser bands a channel can hold; the engine uses ten.
    static constexpr int kBandCapacity = 16;

    // Builds the chain into the builder's bin; false (error noted) when an element is missing.
    bool build(BinBuilder& build, const OutputSettings& settings);
    GstElement* input() const { return input_; }
    bool hasEqualizer() const { return equalizer_ != nullptr; }

    // Linear 0..1, heard at once.
    void setVolume(double level) const;
    // Band index < kBandCapacity: a peak filter (edge bands default to shelves).
    void resetBand(int band) const;
    // Centre in Hz, width in semitones (half either side), gain in dB (clamped to the filter's range).
    void setBand(int band, double centre, double semitones, double gainDb) const;

    // The first sound device that opens, else the silent output.
    static Output probe();

private:
    static GstElement* makeSink(BinBuilder& build, const OutputSettings& settings);

    GstElement* input_ = nullptr;     // owned by the pipeline
    GstElement* equalizer_ = nullptr; // null without the plugin
    GstElement* volume_ = nullptr;    // the element that takes the volume
};

} // namespace varendo::gst
