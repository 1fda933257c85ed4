#pragma once
// Test sound and the measurements the tests make on it. Levels are in 16-bit sample
// units throughout: rms() is the root-mean-square of the samples and tonePower() is in
// the same units squared, so a pure tone of amplitude A measures A / √2 and A² / 2.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace varendo::test {

// A sine of the given amplitude (sample units), `samples` long, at `rate` samples a second.
std::vector<int16_t> sineWave(double frequency, double amplitude, std::size_t samples, int rate);
// Root-mean-square level of the samples after the first `skip` of them; 0 when none are left.
double rms(std::span<const int16_t> samples, std::size_t skip = 0);
// The mean-square level one frequency contributes (Goertzel): a tone alone gives its rms².
double tonePower(std::span<const int16_t> samples, double frequency, int rate);
// The strongest frequency between 100 Hz and 3900 Hz, to 5 Hz.
double dominantFrequency(std::span<const int16_t> samples, int rate);
// Number of 20 ms frames in which frequency carries most of the frame's energy.
std::size_t framesWithTone(std::span<const int16_t> samples, double frequency, int rate);
// Where the tone starts each time it is heard, in seconds from the first sample:
// the first of at least minFrames 10 ms frames in a row it carries most of.
std::vector<double> toneOnsets(std::span<const int16_t> samples, double frequency, int rate, int minFrames = 4);

} // namespace varendo::test
