#include "gsm/gsm610_codec.h"

#include <gsm.h>

#include <algorithm>
#include <new>

namespace varendo::gsm {

namespace {

// In WAV49 packing the first frame of a block takes 32 and a half bytes and the
// second the rest; libgsm keeps the shared nibble in its state, so the encoder
// writes at offsets 0 and 32 and the decoder reads at offsets 0 and 33.
constexpr std::size_t kFrameSamples = 160;
constexpr std::size_t kSecondFrameOut = 32;
constexpr std::size_t kSecondFrameIn = 33;

gsm_state* createWav49()
{
    gsm_state* state = gsm_create();
    if (!state)
        throw std::bad_alloc();
    int on = 1;
    gsm_option(state, GSM_OPT_WAV49, &on);
    return state;
}

} // namespace

Gsm610Encoder::Gsm610Encoder() : state_(createWav49()) {}
Gsm610Encoder::~Gsm610Encoder() { gsm_destroy(state_); }

void Gsm610Encoder::encodeBlock(const int16_t* samples, uint8_t* block)
{
    // libgsm takes non-const pointers but does not write the input.
    auto* in = const_cast<gsm_signal*>(samples);
    gsm_encode(state_, in, block);
    gsm_encode(state_, in + kFrameSamples, block + kSecondFrameOut);
}

std::vector<uint8_t> Gsm610Encoder::encode(std::span<const int16_t> samples)
{
    const std::size_t blocks = samples.size() / kSamplesPerBlock;
    std::vector<uint8_t> out(blocks * kBlockBytes);
    for (std::size_t i = 0; i < blocks; ++i)
        encodeBlock(samples.data() + i * kSamplesPerBlock, out.data() + i * kBlockBytes);
    return out;
}

Gsm610Decoder::Gsm610Decoder() : state_(createWav49()) {}
Gsm610Decoder::~Gsm610Decoder() { gsm_destroy(state_); }

bool Gsm610Decoder::decodeBlock(const uint8_t* block, int16_t* samples)
{
    auto* in = const_cast<gsm_byte*>(block);
    const bool first = gsm_decode(state_, in, samples) == 0;
    const bool second = gsm_decode(state_, in + kSecondFrameIn, samples + kFrameSamples) == 0;
    if (!first || !second) {
        std::fill(samples, samples + kSamplesPerBlock, int16_t(0));
        return false;
    }
    return true;
}

std::vector<int16_t> Gsm610Decoder::decode(std::span<const uint8_t> bytes)
{
    const std::size_t blocks = bytes.size() / kBlockBytes;
    std::vector<int16_t> out(blocks * kSamplesPerBlock);
    for (std::size_t i = 0; i < blocks; ++i)
        decodeBlock(bytes.data() + i * kBlockBytes, out.data() + i * kSamplesPerBlock);
    return out;
}

} // namespace varendo::gsm
