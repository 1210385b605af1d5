#include "player/AudioSource.h"

#include <algorithm>
#include <cmath>

#include "player/FrequencyAnalyser.h"

namespace player {
namespace {

// The comb's lines sit on every third bin up to one past the last bin the plug-in reads, so a
// Hann-windowed bin always lies on a line or right beside exactly one: no two lines can cancel.
constexpr int CombSpacing = 3;
constexpr int CombLastBin = SpectrumBinCount / 2;  // 288
constexpr double CombPeak = 0.95;

std::vector<float> MakeComb() {
    const int lines = CombLastBin / CombSpacing + 1;
    std::vector<double> wave(FftSize, 0.0);
    for (int j = 0; j < lines; ++j) {
        const int bin = j * CombSpacing;
        // Schroeder phases keep the sum's peak low, so each line can be loud.
        const double phase = Pi * j * j / lines;
        for (int n = 0; n < FftSize; ++n) {
            const int turn = (bin * n) % FftSize;
            wave[n] += std::cos(2.0 * Pi * turn / FftSize + phase);
        }
    }
    double peak = 0.0;
    for (double v : wave) {
        peak = std::max(peak, std::fabs(v));
    }
    std::vector<float> period(FftSize);
    for (int n = 0; n < FftSize; ++n) {
        period[n] = static_cast<float>(wave[n] * CombPeak / peak);
    }
    return period;
}

float Clamp(double v) {
    return static_cast<float>(std::clamp(v, -1.0, 1.0));
}

// Logarithmic sine sweep from 40 Hz to 16 kHz, repeated every six seconds.
StereoSample Sweep(std::int64_t index) {
    constexpr double F0 = 40.0;
    constexpr double F1 = 16000.0;
    constexpr double Period = 6.0;
    const auto periodSamples = static_cast<std::int64_t>(Period * SynthSampleRate);
    const double t = static_cast<double>(index % periodSamples) / SynthSampleRate;
    const double k = std::log(F1 / F0) / Period;
    const double phase = 2.0 * Pi * F0 * (std::exp(k * t) - 1.0) / k;
    const auto v = static_cast<float>(0.1 * std::sin(phase));
    return {v, v};
}

// 120 beats a minute: a kick on every beat, a snare on the back beats, hi-hats on the eighths
// (louder on the left), a plucked bass on the off beats and a quiet chord. Every part decays
// within its beat, so the spectrum pulses.
StereoSample Beat(std::int64_t index) {
    const double t = static_cast<double>(index) / SynthSampleRate;
    constexpr double BeatLength = 0.5;
    const auto beat = static_cast<std::int64_t>(t / BeatLength);
    const double tb = t - beat * BeatLength;

    const double kickPhase = 2.0 * Pi * (50.0 * tb + 60.0 * 0.03 * (1.0 - std::exp(-tb / 0.03)));
    const double kick = 0.6 * std::exp(-tb / 0.07) * std::sin(kickPhase);

    double snare = 0.0;
    if (beat % 2 == 1) {
        snare =
            0.2 * std::exp(-tb / 0.05) * NoiseAt(index, 7) + 0.15 * std::exp(-tb / 0.04) * std::sin(2 * Pi * 190 * tb);
    }

    const double th = t - static_cast<std::int64_t>(t / 0.25) * 0.25;
    const double hat = 0.1 * std::exp(-th / 0.015) * (NoiseAt(index, 11) - NoiseAt(index - 1, 11));

    double bass = 0.0;
    if (tb >= BeatLength / 2) {
        static constexpr double BassNotes[] = {110.0, 87.31, 130.81, 98.0};
        const double tp = tb - BeatLength / 2;
        bass = 0.25 * std::exp(-tp / 0.05) * std::sin(2 * Pi * BassNotes[(beat / 4) % 4] * tp);
    }
    const double chord =
        0.003 * (std::sin(2 * Pi * 220.0 * t) + std::sin(2 * Pi * 261.63 * t) + std::sin(2 * Pi * 329.63 * t));
    const double centre = kick + snare + bass;
    return {Clamp(centre + hat + chord), Clamp(centre + 0.5 * hat + 0.8 * chord)};
}

}  // namespace

float NoiseAt(std::int64_t index, std::uint32_t seed) {
    // A splitmix-style hash of the index: the same index always sounds the same.
    std::uint64_t z = static_cast<std::uint64_t>(index) * 0x9E3779B97F4A7C15ULL + seed * 0xD1B54A32D192ED03ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    return static_cast<float>(static_cast<double>(z >> 40) / static_cast<double>(1ULL << 23) - 1.0);
}

SynthSource::SynthSource(SignalKind kind) : kind_(kind) {
    if (kind_ == SignalKind::Full) {
        period_ = MakeComb();
    }
}

StereoSample SynthSource::At(std::int64_t index) const {
    if (index < 0) {
        return {};
    }
    switch (kind_) {
        case SignalKind::Silence:
            return {};
        case SignalKind::Full: {
            const float v = period_[static_cast<std::size_t>(index % FftSize)];
            return {v, v};
        }
        case SignalKind::Sweep:
            return Sweep(index);
        case SignalKind::Noise:
            return {0.1f * NoiseAt(index, 1), 0.1f * NoiseAt(index, 2)};
        case SignalKind::Beat:
            return Beat(index);
    }
    return {};
}

StereoSample WavSource::At(std::int64_t index) const {
    const std::size_t frames = data_.FrameCount();
    if (index < 0 || frames == 0) {
        return {};
    }
    const auto frame = static_cast<std::size_t>(index % static_cast<std::int64_t>(frames));
    const float left = data_.samples[frame * data_.channels] / 32768.0f;
    const float right = data_.channels == 2 ? data_.samples[frame * 2 + 1] / 32768.0f : left;
    return {left, right};
}

}  // namespace player
