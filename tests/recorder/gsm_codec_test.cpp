// GSM 6.10 in 65-byte blocks: sound survives the round trip, sizes follow the
// recording format, and other decoders read our bytes as we do.
#include "gsm/gsm610_codec.h"
#include "common/recording_format.h"
#include "launch_line.h"
#include "sound_analysis.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gst/app/gstappsink.h>
#include <gtest/gtest.h>

#include <cmath>

using namespace varendo;
using namespace varendo::test;

namespace {

constexpr int kRate = gsm::kSampleRate;

TEST(GsmCodec, ToneKeepsItsFrequencyAndLevel)
{
    const auto tone = sineWave(1000, 8000, kRate * 2, kRate);
    gsm::Gsm610Encoder encoder;
    const auto bytes = encoder.encode(tone);
    EXPECT_EQ(bytes.size(), 2u * gsmRecordingFormat().avgBytesPerSec); // 25 blocks a second
    gsm::Gsm610Decoder decoder;
    const auto decoded = decoder.decode(bytes);
    ASSERT_EQ(decoded.size(), tone.size());

    // The first block is the codec settling in.
    const std::span<const int16_t> steady(decoded.begin() + gsm::kSamplesPerBlock, decoded.end());
    EXPECT_NEAR(dominantFrequency(steady, kRate), 1000, 5);
    const double level = rms(steady) / rms(tone);
    EXPECT_GT(level, 0.8);
    EXPECT_LT(level, 1.2);
}

TEST(GsmCodec, OnlyWholeBlocksAreCoded)
{
    gsm::Gsm610Encoder encoder;
    EXPECT_EQ(encoder.encode(sineWave(500, 4000, 319, kRate)).size(), 0u);
    EXPECT_EQ(encoder.encode(sineWave(500, 4000, 3 * 320 + 100, kRate)).size(), 3u * 65);
    gsm::Gsm610Decoder decoder;
    EXPECT_EQ(decoder.decode(std::vector<uint8_t>(64)).size(), 0u);
    EXPECT_EQ(decoder.decode(std::vector<uint8_t>(2 * 65 + 10)).size(), 640u);
}

// A wave file around GSM bytes, as any player would find a recording.
QByteArray gsmWaveFile(const std::vector<uint8_t>& data, uint32_t samples)
{
    const WaveFormatRecord f = gsmRecordingFormat();
    QByteArray out;
    auto u32 = [&](uint32_t v) { char b[4]; qToLittleEndian(v, b); out.append(b, 4); };
    auto u16 = [&](uint16_t v) { char b[2]; qToLittleEndian(v, b); out.append(b, 2); };
    out.append("RIFF");
    u32(4 + (8 + 20) + (8 + 4) + (8 + uint32_t(data.size())));
    out.append("WAVE");
    out.append("fmt ");
    u32(20);
    u16(f.formatTag); u16(f.channels); u32(f.samplesPerSec); u32(f.avgBytesPerSec);
    u16(f.blockAlign); u16(f.bitsPerSample); u16(f.extraSize); u16(f.samplesPerBlock);
    out.append("fact");
    u32(4);
    u32(samples);
    out.append("data");
    u32(uint32_t(data.size()));
    out.append(reinterpret_cast<const char*>(data.data()), qsizetype(data.size()));
    return out;
}

// Decodes a file with GStreamer's own GSM decoder for wave files.
std::vector<int16_t> decodeWithGStreamer(const QString& path)
{
    QString error;
    const gst::Pipeline pipeline = launch("filesrc location=\"" + path
                                              + "\" ! wavparse ! avdec_gsm_ms ! audioconvert"
                                                " ! audio/x-raw,format=S16LE,channels=1,rate=8000 ! appsink name=sink sync=false",
                                          &error);
    if (!pipeline) {
        ADD_FAILURE() << error.toStdString();
        return {};
    }
    gst::ElementPtr sink(gst_bin_get_by_name(GST_BIN(pipeline.get()), "sink"));
    gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);
    std::vector<int16_t> samples;
    while (gst::SamplePtr sample{gst_app_sink_try_pull_sample(GST_APP_SINK(sink.get()), 10 * GST_SECOND)}) {
        GstBuffer* buffer = gst_sample_get_buffer(sample.get());
        GstMapInfo map;
        gst_buffer_map(buffer, &map, GST_MAP_READ);
        const auto* s = reinterpret_cast<const int16_t*>(map.data);
        samples.insert(samples.end(), s, s + map.size / 2);
        gst_buffer_unmap(buffer, &map);
    }
    EXPECT_TRUE(gst_app_sink_is_eos(GST_APP_SINK(sink.get()))) << "decoding did not finish";
    return samples;
}

TEST(GsmInterop, GStreamersWaveDecoderReadsOurRecordingsSampleForSample)
{
    if (!gst::hasElement("avdec_gsm_ms") || !gst::hasElement("wavparse"))
        GTEST_SKIP() << "avdec_gsm_ms or wavparse missing (gstreamer1.0-libav, -good)";
    // Speech-like material: two tones gliding against each other, with pauses.
    std::vector<int16_t> signal(kRate * 3);
    for (std::size_t i = 0; i < signal.size(); ++i) {
        const double t = double(i) / kRate;
        const double envelope = std::fmod(t, 0.75) < 0.5 ? 1.0 : 0.0;
        signal[i] = int16_t(envelope * (6000 * std::sin(2 * M_PI * (300 + 200 * t) * t)
                                        + 3000 * std::sin(2 * M_PI * 1700 * t)));
    }
    gsm::Gsm610Encoder encoder;
    const auto bytes = encoder.encode(signal);
    gsm::Gsm610Decoder decoder;
    const auto ours = decoder.decode(bytes);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("recording.wav");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(gsmWaveFile(bytes, uint32_t(ours.size())));
    file.close();

    const auto theirs = decodeWithGStreamer(path);
    ASSERT_EQ(theirs.size(), ours.size());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < ours.size(); ++i)
        differing += ours[i] != theirs[i];
    EXPECT_EQ(differing, 0u);
    EXPECT_GT(rms(ours), 1000); // not a pair of silent streams agreeing
}

} // namespace
