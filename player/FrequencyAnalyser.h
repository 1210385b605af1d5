#pragma once
// The spectrum a player hands to a vis plug-in: 576 bins per channel, 0..255, bin 0 the lowest
// frequency, from a Hann-windowed FFT of the last 1152 samples (so bin k is k * rate / 1152 Hz).

#include <array>
#include <complex>
#include <cstdint>
#include <vector>

namespace player {

class AudioSource;

constexpr double Pi = 3.14159265358979323846;

constexpr int SpectrumBinCount = 576;
constexpr int FftSize = 2 * SpectrumBinCount;

// Levels are decibels of a bin's amplitude relative to a full-scale sine on that bin, mapped
// linearly from FloorDb (0) to CeilingDb (255). The ceiling is as high as a signal can reach on
// all of the first 288 bins at once (the full test signal), so louder single lines saturate.
constexpr double FloorDb = -80.0;
constexpr double CeilingDb = -30.0;

using SpectrumRow = std::array<std::uint8_t, SpectrumBinCount>;
using SpectrumFrame = std::array<SpectrumRow, 2>;  // row 0 left, row 1 right

// Forward DFT (sign -1, unscaled) of any length; fast for lengths whose prime factors are small.
std::vector<std::complex<double>> Fft(std::vector<std::complex<double>> data);

std::uint8_t AmplitudeToLevel(double amplitude);

class SpectrumAnalyser {
public:
    SpectrumAnalyser();

    // left and right hold FftSize samples each, oldest first, full scale +-1.
    [[nodiscard]] SpectrumFrame Analyse(const float* left, const float* right) const;

    // The window of the source that ends just before sample `end`.
    [[nodiscard]] SpectrumFrame AnalyseAt(const AudioSource& source, std::int64_t end) const;

private:
    std::array<double, FftSize> window_;
    std::vector<std::complex<double>> twiddles_;  // exp(-2 pi i j / FftSize)
};

}  // namespace player
