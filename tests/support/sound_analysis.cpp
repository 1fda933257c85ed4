#include "sound_analysis.h"

#include <cmath>
#include <numbers>

namespace varendo::test {

std::vector<int16_t> sineWave(double frequency, double amplitude, std::size_t samples, int rate)
{
    std::vector<int16_t> out(samples);
    for (std::size_t i = 0; i < samples; ++i)
        out[i] = static_cast<int16_t>(std::lround(
            amplitude * std::sin(2 * std::numbers::pi * frequency * double(i) / rate)));
    return out;
}

double rms(std::span<const int16_t> samples, std::size_t skip)
{
    if (samples.size() <= skip)
        return 0;
    double sum = 0;
    for (int16_t s : samples.subspan(skip))
        sum += double(s) * s;
    return std::sqrt(sum / double(samples.size() - skip));
}

double tonePower(std::span<const int16_t> samples, double frequency, int rate)
{
    if (samples.empty())
        return 0;
    const double coeff = 2 * std::cos(2 * std::numbers::pi * frequency / rate);
    double s1 = 0, s2 = 0;
    for (int16_t x : samples) {
        const double s0 = x + coeff * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - coeff * s1 * s2;
    // A sine of amplitude A gives about (A * N / 2)^2; scale to its mean square, A^2 / 2.
    const double n = double(samples.size());
    return 2 * power / (n * n);
}

double dominantFrequency(std::span<const int16_t> samples, int rate)
{
    double best = 0, bestPower = -1;
    for (double f = 100; f <= 3900; f += 5) {
        const double p = tonePower(samples, f, rate);
        if (p > bestPower) {
            bestPower = p;
            best = f;
        }
    }
    return best;
}

namespace {

// Silence is not a tone; a tone puts most of its energy at its frequency.
bool frameHasTone(std::span<const int16_t> frame, double frequency, int rate)
{
    const double total = rms(frame);
    return total > 300 && tonePower(frame, frequency, rate) > 0.5 * total * total;
}

} // namespace

std::size_t framesWithTone(std::span<const int16_t> samples, double frequency, int rate)
{
    const std::size_t frame = std::size_t(rate) / 50;
    std::size_t count = 0;
    for (std::size_t at = 0; at + frame <= samples.size(); at += frame)
        count += frameHasTone(samples.subspan(at, frame), frequency, rate);
    return count;
}

std::vector<double> toneOnsets(std::span<const int16_t> samples, double frequency, int rate, int minFrames)
{
    const std::size_t frame = std::size_t(rate) / 100;
    std::vector<double> onsets;
    int run = 0;
    for (std::size_t at = 0; at + frame <= samples.size(); at += frame) {
        run = frameHasTone(samples.subspan(at, frame), frequency, rate) ? run + 1 : 0;
        if (run == minFrames)
            onsets.push_back(double(at - (minFrames - 1) * frame) / rate);
    }
    return onsets;
}

} // namespace varendo::test
