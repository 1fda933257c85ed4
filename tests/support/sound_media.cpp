#include "sound_media.h"

#include "event_wait.h"
#include "launch_line.h"
#include "sound_analysis.h"

#include <QFile>
#include <cmath>
#include <cstdio>

namespace varendo::test {

namespace {

void putBigEndian16(QByteArray& out, int value)
{
    out.append(char((value >> 8) & 0xFF));
    out.append(char(value & 0xFF));
}

} // namespace

bool writeTone(const QString& path, Encoding encoding, double frequencyHz, double seconds, double amplitude)
{
    // 441 samples a buffer: whole buffers of 10 ms make the length exact.
    QString description = stereoSine(frequencyHz, amplitude, 441, int(std::lround(seconds * 100.0))) + " ! ";
    switch (encoding) {
    case Encoding::Wav:
        description += "audio/x-raw,format=S16LE ! wavenc";
        break;
    case Encoding::Mp3:
        description += "lamemp3enc target=bitrate bitrate=128 cbr=true";
        break;
    case Encoding::Ogg:
        description += "vorbisenc ! oggmux";
        break;
    }
    description += " ! filesink location=\"" + path + "\"";
    const QString error = runToEnd(description);
    if (!error.isEmpty())
        std::fprintf(stderr, "cannot make %s: %s\n", qPrintable(path), qPrintable(error));
    return error.isEmpty();
}

bool writeToneBursts(const QString& path, double seconds, const std::vector<ToneBurst>& bursts, double amplitude)
{
    constexpr int kRate = 44100;
    const auto frames = std::size_t(std::lround(seconds * kRate));
    std::vector<std::int16_t> mono(frames, 0);
    for (const ToneBurst& burst : bursts) {
        const auto from = std::size_t(std::lround(burst.startSeconds * kRate));
        const auto tone = sineWave(burst.frequencyHz, amplitude * 32767, std::size_t(burst.seconds * kRate), kRate);
        for (std::size_t i = 0; i < tone.size() && from + i < frames; ++i)
            mono[from + i] = tone[i];
    }
    QByteArray data;
    for (std::int16_t sample : mono)
        for (int channel = 0; channel < 2; ++channel) {
            data.append(char(sample & 0xFF));
            data.append(char((sample >> 8) & 0xFF));
        }
    auto le = [](QByteArray& out, quint32 value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.append(char((value >> (8 * i)) & 0xFF));
    };
    QByteArray wav("RIFF");
    le(wav, quint32(36 + data.size()), 4);
    wav.append("WAVEfmt ");
    le(wav, 16, 4);
    le(wav, 1, 2);           // PCM
    le(wav, 2, 2);           // channels
    le(wav, kRate, 4);
    le(wav, kRate * 4, 4);   // bytes a second
    le(wav, 4, 2);           // bytes a frame
    le(wav, 16, 2);          // bits a sample
    wav.append("data");
    le(wav, quint32(data.size()), 4);
    wav.append(data);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(wav) == wav.size();
}

bool writeModule(const QString& path)
{
    QByteArray mod;
    mod.append(QByteArray("varendo test tune").leftJustified(20, '\0'));
    const int sampleBytes = 64;
    for (int s = 0; s < 31; ++s) {
        mod.append(QByteArray(s == 0 ? "square" : "").leftJustified(22, '\0'));
        putBigEndian16(mod, s == 0 ? sampleBytes / 2 : 0); // length in words
        mod.append(char(0));                                // finetune
        mod.append(char(s == 0 ? 64 : 0));                  // volume
        putBigEndian16(mod, 0);                             // loop start, words
        putBigEndian16(mod, s == 0 ? sampleBytes / 2 : 1);  // loop length, words (1: none)
    }
    mod.append(char(1));   // one position in the song
    mod.append(char(127)); // restart byte
    QByteArray order(128, '\0');
    mod.append(order);
    mod.append("M.K.");
    // Pattern 0: row 0 of channel 0 plays sample 1 at period 428 (C-2); all else empty.
    QByteArray pattern(64 * 4 * 4, '\0');
    const int period = 428;
    pattern[0] = char(((1 & 0xF0)) | ((period >> 8) & 0x0F));
    pattern[1] = char(period & 0xFF);
    pattern[2] = char((1 & 0x0F) << 4);
    pattern[3] = 0;
    mod.append(pattern);
    for (int i = 0; i < sampleBytes; ++i)
        mod.append(char(i < sampleBytes / 2 ? 60 : -60));

    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(mod) == mod.size();
}

GstElement* Capture::makeSink(bool sync)
{
    GstElement* sink = gst_element_factory_make("appsink", nullptr);
    g_object_set(sink, "sync", sync, "emit-signals", TRUE, nullptr);
    g_signal_connect(sink, "new-sample", G_CALLBACK(onSample), this);
    g_signal_connect(sink, "eos", G_CALLBACK(onEos), this);
    return sink;
}

GstFlowReturn Capture::onSample(GstElement* sink, gpointer self)
{
    auto* capture = static_cast<Capture*>(self);
    GstSample* sample = nullptr;
    g_signal_emit_by_name(sink, "pull-sample", &sample);
    if (!sample)
        return GST_FLOW_OK;
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    GstMapInfo map;
    if (gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        const auto* samples = reinterpret_cast<const std::int16_t*>(map.data);
        std::lock_guard lock(capture->mutex_);
        for (gsize i = 0; i + 1 < map.size / 2; i += 2)
            capture->left_.push_back(samples[i]);
        gst_buffer_unmap(buffer, &map);
    }
    gst_sample_unref(sample);
    return GST_FLOW_OK;
}

void Capture::onEos(GstElement*, gpointer self)
{
    auto* capture = static_cast<Capture*>(self);
    std::lock_guard lock(capture->mutex_);
    capture->ended_ = true;
}

std::vector<std::int16_t> Capture::left() const
{
    std::lock_guard lock(mutex_);
    return left_;
}

bool Capture::ended() const
{
    std::lock_guard lock(mutex_);
    return ended_;
}

void Capture::clear()
{
    std::lock_guard lock(mutex_);
    left_.clear();
    ended_ = false;
}

bool MonitorRecording::start()
{
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER") || !gst::hasElement("pulsesrc"))
        return false;
    pipeline_.reset(gst_pipeline_new(nullptr));
    gst::BinBuilder build(GST_BIN(pipeline_.get()));
    GstElement* source = build.make("pulsesrc");
    GstElement* convert = build.make("audioconvert");
    GstElement* resample = build.make("audioresample");
    GstElement* format = build.make("capsfilter");
    GstElement* sink = build.add(capture_.makeSink());
    if (!build.ok())
        return false;
    // The sink this test program plays into (its own under the test runner).
    const QByteArray device = qEnvironmentVariable("PULSE_SINK", QStringLiteral("varendo_null")).toUtf8() + ".monitor";
    g_object_set(source, "device", device.constData(), nullptr);
    gst::CapsPtr caps(gst_caps_from_string("audio/x-raw,format=S16LE,rate=44100,channels=2"));
    g_object_set(format, "caps", caps.get(), nullptr);
    if (!build.linkChain({source, convert, resample, format, sink})
        || gst_element_set_state(pipeline_.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE)
        return false;
    GstState state = GST_STATE_NULL;
    gst_element_get_state(pipeline_.get(), &state, nullptr, 5 * GST_SECOND);
    return state == GST_STATE_PLAYING;
}

double MonitorRecording::toneOver(double frequencyHz, int ms)
{
    capture_.clear();
    spinFor(ms);
    return tonePower(capture_.left(), frequencyHz, 44100);
}

double MonitorRecording::levelOver(int ms)
{
    capture_.clear();
    spinFor(ms);
    return rms(capture_.left());
}

} // namespace varendo::test
