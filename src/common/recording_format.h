#pragma once
// The wave-format record of voice recordings: GSM 6.10, 8000 Hz mono,
// 65-byte blocks of 320 samples (40 ms), 1625 bytes a second.
#include <cstdint>

namespace varendo {

#pragma pack(push, 1)
struct WaveFormatRecord {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint16_t extraSize = 0;       // bytes that follow: the samples per block
    uint16_t samplesPerBlock = 0;
};
#pragma pack(pop)
static_assert(sizeof(WaveFormatRecord) == 20, "18-byte header plus 2 extra bytes");

constexpr uint16_t kGsm610FormatTag = 49;

// The record every recording and playback of a recording uses.
constexpr WaveFormatRecord gsmRecordingFormat()
{
    WaveFormatRecord f;
    f.formatTag = kGsm610FormatTag;
    f.channels = 1;
    f.samplesPerSec = 8000;
    f.avgBytesPerSec = 1625;
    f.blockAlign = 65;
    f.bitsPerSample = 0;
    f.extraSize = 2;
    f.samplesPerBlock = 320;
    return f;
}

inline bool operator==(const WaveFormatRecord& a, const WaveFormatRecord& b)
{
    return a.formatTag == b.formatTag && a.channels == b.channels
        && a.samplesPerSec == b.samplesPerSec && a.avgBytesPerSec == b.avgBytesPerSec
        && a.blockAlign == b.blockAlign && a.bitsPerSample == b.bitsPerSample
        && a.extraSize == b.extraSize && a.samplesPerBlock == b.samplesPerBlock;
}

} // namespace varendo
