#include "gstreamer/audio/output_chain.h"

#include <gst/audio/streamvolume.h>

#include <algorithm>
#include <cmath>

namespace varendo::gst {

namespace {

// Limits of equalizer-nbands' band gain.
constexpr double kMinGainDb = -24.0;
constexpr double kMaxGainDb = 12.0;

} // namespace

Output OutputChain::probe()
{
    ensureInitialised();
    for (auto [factory, output] : {std::pair{"pulsesink", Output::Pulse}, std::pair{"alsasink", Output::Alsa}}) {
        Pipeline sink(gst_element_factory_make(factory, nullptr));
        if (!sink)
            continue;
        gst_object_ref_sink(sink.get());
        // Opening the device is part of reaching READY.
        if (gst_element_set_state(sink.get(), GST_STATE_READY) == GST_STATE_CHANGE_SUCCESS)
            return output;
    }
    return Output::Silent;
}

GstElement* OutputChain::makeSink(BinBuilder& build, const OutputSettings& settings)
{
    switch (settings.output) {
    case Output::Given:
        return build.add(settings.makeSink ? settings.makeSink() : nullptr);
    case Output::Silent: {
        GstElement* sink = build.make("fakesink");
        if (sink)
            g_object_set(sink, "sync", TRUE, nullptr);
        return sink;
    }
    case Output::Pulse:
    case Output::Alsa:
        break;
    }
    GstElement* sink = build.make(settings.output == Output::Pulse ? "pulsesink" : "alsasink");
    if (sink)
        g_object_set(sink, "buffer-time", gint64(double(settings.bufferSeconds) * 1e6), nullptr);
    return sink;
}

bool OutputChain::build(BinBuilder& build, const OutputSettings& settings)
{
    GstElement* convert = build.make("audioconvert");
    GstElement* resample = build.make("audioresample");
    GstElement* format = build.make("capsfilter");
    GstElement* volume = build.make("volume");
    GstElement* sink = makeSink(build, settings);
    if (!sink)
        build.fail(QStringLiteral("没有可用的声音输出。"));
    if (settings.equalizer && hasElement("equalizer-nbands")) {
        equalizer_ = build.make("equalizer-nbands");
        if (equalizer_)
            g_object_set(equalizer_, "num-bands", guint(kBandCapacity), nullptr);
    }
    GstElement* tempo = hasElement("scaletempo") ? build.make("scaletempo") : nullptr;
    if (!build.ok())
        return false;
    CapsPtr caps(gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, "S16LE", "layout", G_TYPE_STRING,
                                     "interleaved", "rate", G_TYPE_INT, int(settings.rate), "channels", G_TYPE_INT, 2,
                                     nullptr));
    g_object_set(format, "caps", caps.get(), nullptr);
    if (!build.linkChain({convert, resample, format, tempo, equalizer_, volume, sink}))
        return false;
    input_ = convert;
    // A sink with its own volume (PulseAudio) changes it at once; a volume element
    // would be heard only after the sink's buffer.
    volume_ = GST_IS_STREAM_VOLUME(sink) ? sink : volume;
    return true;
}

void OutputChain::setVolume(double level) const
{
    if (!volume_)
        return;
    if (GST_IS_STREAM_VOLUME(volume_))
        gst_stream_volume_set_volume(GST_STREAM_VOLUME(volume_), GST_STREAM_VOLUME_FORMAT_LINEAR, level);
    else
        g_object_set(volume_, "volume", level, nullptr);
}

void OutputChain::resetBand(int band) const
{
    if (!equalizer_)
        return;
    GObjectPtr object(gst_child_proxy_get_child_by_index(GST_CHILD_PROXY(equalizer_), guint(band)));
    if (object)
        g_object_set(object.get(), "type", 0, "gain", 0.0, nullptr);
}

void OutputChain::setBand(int band, double centre, double semitones, double gainDb) const
{
    if (!equalizer_)
        return;
    const double halfOctaves = semitones / 24.0;
    const double widthHz = centre * (std::exp2(halfOctaves) - std::exp2(-halfOctaves));
    GObjectPtr object(gst_child_proxy_get_child_by_index(GST_CHILD_PROXY(equalizer_), guint(band)));
    if (object)
        g_object_set(object.get(), "freq", centre, "bandwidth", widthHz, "gain",
                     std::clamp(gainDb, kMinGainDb, kMaxGainDb), nullptr);
}

} // namespace varendo::gst
