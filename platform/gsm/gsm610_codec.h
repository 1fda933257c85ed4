#pragma once
// GSM 6.10 encoder and decoder over libgsm with the WAV49 option: each 65-byte
// block carries two 20 ms frames (320 samples at 8000 Hz), the packing of
// format tag 49, so our recordings read and play like any other GSM 6.10 wave data.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

struct gsm_state;

namespace varendo::gsm {

constexpr std::size_t kBlockBytes = 65;
constexpr std::size_t kSamplesPerBlock = 320;
constexpr int kSampleRate = 8000;

// One direction of a GSM stream. Frames depend on the ones before them, so a
// stream is coded by one object from its first block to its last.
class Gsm610Encoder {
public:
    Gsm610Encoder();
    ~Gsm610Encoder();
    Gsm610Encoder(const Gsm610Encoder&) = delete;
    Gsm610Encoder& operator=(const Gsm610Encoder&) = delete;

    // 320 samples in, 65 bytes out.
    void encodeBlock(const int16_t* samples, uint8_t* block);
    // Whole blocks only; a tail shorter than a block is not coded.
    std::vector<uint8_t> encode(std::span<const int16_t> samples);

private:
    gsm_state* state_;
};

class Gsm610Decoder {
public:
    Gsm610Decoder();
    ~Gsm610Decoder();
    Gsm610Decoder(const Gsm610Decoder&) = delete;
    Gsm610Decoder& operator=(const Gsm610Decoder&) = delete;

    // 65 bytes in, 320 samples out. False when libgsm rejects a frame
    // (the samples are then silence, so playback keeps its pace).
    bool decodeBlock(const uint8_t* block, int16_t* samples);
    // Whole blocks only; trailing bytes shorter than a block are ignored.
    std::vector<int16_t> decode(std::span<const uint8_t> bytes);

private:
    gsm_state* state_;
};

} // namespace varendo::gsm
