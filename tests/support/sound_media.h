#pragma once
// Media the audio tests generate, and ways to hear what the library plays
// (sound_analysis.h measures it).
#include "sound_analysis.h"

#include "gstreamer/core/gst_core.h"

#include <QString>
#include <gst/gst.h>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace varendo::test {

enum class Encoding { Wav, Mp3, Ogg };

// A sine tone (both channels) of the given length, encoded by GStreamer.
// Returns false (with a message on stderr) when the pipeline fails.
bool writeTone(const QString& path, Encoding encoding, double frequencyHz, double seconds, double amplitude = 0.3);

// A stretch of tone in otherwise silent sound.
struct ToneBurst {
    double startSeconds;
    double seconds;
    double frequencyHz;
};
// A 16-bit stereo WAV file at 44 100 Hz, `seconds` long, silent but for the bursts.
bool writeToneBursts(const QString& path, double seconds, const std::vector<ToneBurst>& bursts,
                     double amplitude = 0.3);

// A four-channel ProTracker module: one pattern of 64 rows at speed 6 and 125 BPM
// (7.68 s) holding one looped square-wave note.
bool writeModule(const QString& path);
constexpr double kModuleSeconds = 7.68;

// Collects the 16-bit stereo samples an output sink receives.
class Capture {
public:
    // An appsink that keeps what reaches it; sync=false consumes as fast as it comes.
    GstElement* makeSink(bool sync = false);
    std::vector<std::int16_t> left() const; // the left channel
    bool ended() const;
    void clear();

private:
    static GstFlowReturn onSample(GstElement* sink, gpointer self);
    static void onEos(GstElement* sink, gpointer self);
    mutable std::mutex mutex_;
    std::vector<std::int16_t> left_;
    bool ended_ = false;
};

// Records the test server's null sink monitor (what everything played on the
// default output sounds like) for as long as it lives.
class MonitorRecording {
public:
    // False when there is no PulseAudio server with the varendo_null sink.
    bool start();
    // What it has heard since the last clear (the left channel, 44 100 Hz).
    void clear() { capture_.clear(); }
    std::vector<std::int16_t> heard() const { return capture_.left(); }
    // The power of one frequency, and the rms level, over the next stretch.
    double toneOver(double frequencyHz, int ms);
    double levelOver(int ms);

private:
    Capture capture_;
    gst::Pipeline pipeline_;
};

} // namespace varendo::test
