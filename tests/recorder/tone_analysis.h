#pragma once
// Test sound and the measurements the recorder tests make on it.
#include <cstdint>
#include <span>
#include <vector>

namespace varendo::test {

constexpr int kRate = 8000;

std::vector<int16_t> sineWave(double frequency, double amplitude, std::size_t samples, int rate = kRate);
double rms(std::span<const int16_t> samples);
// Power of one frequency (Goertzel), normalised per sample.
double tonePower(std::span<const int16_t> samples, double frequency, int rate = kRate);
// The strongest frequency between 100 Hz and 3900 Hz, to 5 Hz.
double dominantFrequency(std::span<const int16_t> samples, int rate = kRate);
// Number of 20 ms frames in which frequency carries most of the frame's energy.
std::size_t framesWithTone(std::span<const int16_t> samples, double frequency, int rate = kRate);

} // namespace varendo::test
