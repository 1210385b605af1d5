#include "player/FrequencyAnalyser.h"

#include <algorithm>
#include <cmath>

#include "player/AudioSource.h"

namespace player {
namespace {

using Complex = std::complex<double>;

std::vector<Complex> MakeTwiddles(int n) {
    std::vector<Complex> twiddles(n);
    for (int j = 0; j < n; ++j) {
        twiddles[j] = std::polar(1.0, -2.0 * Pi * j / n);
    }
    return twiddles;
}

int SmallestFactor(int n) {
    for (int p = 2; p * p <= n; ++p) {
        if (n % p == 0) {
            return p;
        }
    }
    return n;
}

// Mixed-radix decimation in time: out[0..n) receives the DFT of in[0], in[stride], ... .
// twiddles holds exp(-2 pi i j / N) for the full length N, and N / n is twiddleStep.
void Transform(const Complex* in,
               std::size_t stride,
               Complex* out,
               int n,
               const std::vector<Complex>& twiddles,
               std::size_t twiddleStep,
               std::vector<Complex>& scratch) {
    if (n == 1) {
        out[0] = in[0];
        return;
    }
    const int p = SmallestFactor(n);
    const int m = n / p;
    for (int r = 0; r < p; ++r) {
        Transform(in + r * stride, stride * p, out + static_cast<std::ptrdiff_t>(r) * m, m, twiddles, twiddleStep * p,
                  scratch);
    }
    // X[k + m q] = sum over r of Y_r[k] * W_n^(r (k + m q)); each k touches only the indices k + m j.
    const std::size_t base = scratch.size();
    scratch.resize(base + p);
    for (int k = 0; k < m; ++k) {
        for (int r = 0; r < p; ++r) {
            scratch[base + r] = out[r * m + k];
        }
        for (int q = 0; q < p; ++q) {
            const int index = k + m * q;
            Complex sum = 0.0;
            for (int r = 0; r < p; ++r) {
                const std::size_t j = static_cast<std::size_t>(r) * index % n;
                sum += scratch[base + r] * twiddles[j * twiddleStep];
            }
            out[index] = sum;
        }
    }
    scratch.resize(base);
}

}  // namespace

std::vector<Complex> Fft(std::vector<Complex> data) {
    const int n = static_cast<int>(data.size());
    if (n <= 1) {
        return data;
    }
    const auto twiddles = MakeTwiddles(n);
    std::vector<Complex> out(n);
    std::vector<Complex> scratch;
    Transform(data.data(), 1, out.data(), n, twiddles, 1, scratch);
    return out;
}

std::uint8_t AmplitudeToLevel(double amplitude) {
    if (!(amplitude > 0.0)) {
        return 0;
    }
    const double db = 20.0 * std::log10(amplitude);
    const double level = (db - FloorDb) * 255.0 / (CeilingDb - FloorDb);
    return static_cast<std::uint8_t>(std::clamp(std::lround(level), 0L, 255L));
}

SpectrumAnalyser::SpectrumAnalyser() : twiddles_(MakeTwiddles(FftSize)) {
    // The periodic Hann window: a sine on a bin centre leaks only into the two neighbouring bins.
    for (int n = 0; n < FftSize; ++n) {
        window_[n] = 0.5 - 0.5 * std::cos(2.0 * Pi * n / FftSize);
    }
}

SpectrumFrame SpectrumAnalyser::Analyse(const float* left, const float* right) const {
    // Both channels are real, so one complex transform carries them: left as the real part,
    // right as the imaginary part, separated afterwards by the transform's conjugate symmetry.
    std::vector<Complex> packed(FftSize);
    for (int n = 0; n < FftSize; ++n) {
        packed[n] = Complex(left[n] * window_[n], right[n] * window_[n]);
    }
    std::vector<Complex> z(FftSize);
    std::vector<Complex> scratch;
    Transform(packed.data(), 1, z.data(), FftSize, twiddles_, 1, scratch);

    // A full-scale sine on bin k gives |X[k]| = sum(window) / 2 = FftSize / 4.
    constexpr double Scale = 4.0 / FftSize;
    SpectrumFrame frame{};
    for (int k = 0; k < SpectrumBinCount; ++k) {
        const Complex a = z[k];
        const Complex b = std::conj(z[(FftSize - k) % FftSize]);
        const double leftAmplitude = std::abs(a + b) * 0.5 * Scale;
        const double rightAmplitude = std::abs(a - b) * 0.5 * Scale;
        frame[0][k] = AmplitudeToLevel(leftAmplitude);
        frame[1][k] = AmplitudeToLevel(rightAmplitude);
    }
    return frame;
}

SpectrumFrame SpectrumAnalyser::AnalyseAt(const AudioSource& source, std::int64_t end) const {
    std::array<float, FftSize> left{};
    std::array<float, FftSize> right{};
    const std::int64_t start = end - FftSize;
    for (int n = 0; n < FftSize; ++n) {
        const StereoSample sample = source.At(start + n);
        left[n] = sample.left;
        right[n] = sample.right;
    }
    return Analyse(left.data(), right.data());
}

}  // namespace player
