#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numeric>

#include "player/AudioSource.h"
#include "player/FrequencyAnalyser.h"

namespace player::player_analyser_test {
namespace {

std::vector<std::complex<double>> NaiveDft(const std::vector<std::complex<double>>& x) {
    const std::size_t n = x.size();
    std::vector<std::complex<double>> out(n);
    for (std::size_t k = 0; k < n; ++k) {
        for (std::size_t j = 0; j < n; ++j) {
            out[k] += x[j] * std::polar(1.0, -2.0 * Pi * static_cast<double>(k * j % n) / n);
        }
    }
    return out;
}

TEST(PlayerSpectrum, FftMatchesTheDefinition) {
    for (const std::size_t n : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 12u, 36u, 49u, 64u, 1152u}) {
        std::vector<std::complex<double>> x(n);
        for (std::size_t i = 0; i < n; ++i) {
            x[i] = {NoiseAt(static_cast<std::int64_t>(i), 3), NoiseAt(static_cast<std::int64_t>(i), 4)};
        }
        const auto fast = Fft(x);
        const auto slow = NaiveDft(x);
        ASSERT_EQ(fast.size(), n);
        double worst = 0.0;
        for (std::size_t k = 0; k < n; ++k) {
            worst = std::max(worst, std::abs(fast[k] - slow[k]));
        }
        EXPECT_LT(worst, 1e-9 * static_cast<double>(n)) << "size " << n;
    }
}

TEST(PlayerSpectrum, AmplitudeLevels) {
    struct Case {
        double amplitude;
        int level;
    };
    const Case cases[] = {
        {0.0, 0},
        {-1.0, 0},
        {std::pow(10.0, FloorDb / 20), 0},
        {std::pow(10.0, (FloorDb - 10) / 20), 0},
        {std::pow(10.0, (FloorDb + CeilingDb) / 40), 128},  // half way in decibels
        {std::pow(10.0, CeilingDb / 20), 255},
        {1.0, 255},
        {1000.0, 255},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AmplitudeToLevel(c.amplitude), c.level) << "amplitude " << c.amplitude;
    }
}

// The middle of the bins that share the highest level (a loud line saturates several).
double PeakBin(const SpectrumRow& row) {
    const auto top = *std::max_element(row.begin(), row.end());
    const auto first = std::find(row.begin(), row.end(), top) - row.begin();
    const auto last = row.rend() - std::find(row.rbegin(), row.rend(), top) - 1;
    return (first + last) / 2.0;
}

// A sine on one channel only: its peak lands on its bin, and nothing leaks into the other channel.
TEST(PlayerSpectrum, SineLandsOnItsBinInItsChannelOnly) {
    const SpectrumAnalyser analyser;
    struct Case {
        double bin;
        int channel;
    };
    const Case cases[] = {{1, 0}, {10, 1}, {37.5, 0}, {100, 1}, {287, 0}, {450.2, 1}, {575, 0}};
    for (const Case& c : cases) {
        std::vector<float> samples[2] = {std::vector<float>(FftSize, 0.0f), std::vector<float>(FftSize, 0.0f)};
        for (int n = 0; n < FftSize; ++n) {
            samples[c.channel][n] = static_cast<float>(0.02 * std::sin(2 * Pi * c.bin * n / FftSize + 0.3));
        }
        const SpectrumFrame frame = analyser.Analyse(samples[0].data(), samples[1].data());
        const SpectrumRow& loud = frame[c.channel];
        const SpectrumRow& quiet = frame[1 - c.channel];
        EXPECT_NEAR(PeakBin(loud), c.bin, 0.5) << "bin " << c.bin;
        EXPECT_GT(loud[static_cast<int>(std::lround(c.bin))], 200) << "bin " << c.bin;
        EXPECT_EQ(*std::max_element(quiet.begin(), quiet.end()), 0) << "bin " << c.bin;
        // Far from the line the Hann window keeps the spectrum low.
        const int far = static_cast<int>(c.bin) > 300 ? 0 : 575;
        EXPECT_LT(loud[far], 60) << "bin " << c.bin;
    }
}

TEST(PlayerSpectrum, SilenceIsZeroAndFullIsFullScaleAtEveryPosition) {
    const SpectrumAnalyser analyser;
    const SynthSource silence(SignalKind::Silence);
    const SynthSource full(SignalKind::Full);
    for (std::int64_t end : {0LL, 1LL, 441LL, 1152LL, 4410LL, 44100LL + 17, 441000LL + 293, 9999999LL}) {
        const SpectrumFrame quiet = analyser.AnalyseAt(silence, end);
        for (int ch = 0; ch < 2; ++ch) {
            EXPECT_EQ(*std::max_element(quiet[ch].begin(), quiet[ch].end()), 0) << "end " << end;
        }
        if (end < FftSize) {
            continue;  // before the start the window is partly silence
        }
        const SpectrumFrame loud = analyser.AnalyseAt(full, end);
        for (int ch = 0; ch < 2; ++ch) {
            for (int k = 0; k < SpectrumBinCount / 2; ++k) {
                ASSERT_EQ(loud[ch][k], 255) << "channel " << ch << " bin " << k << " end " << end;
            }
        }
    }
    for (std::int64_t n = 0; n < 3 * FftSize; ++n) {
        ASSERT_LE(std::fabs(full.At(n).left), 1.0f);
    }
}

// The sweep rises: low bins first, high bins later, so "lower bins are lower frequencies" holds.
TEST(PlayerSpectrum, SweepMovesUpTheBins) {
    const SpectrumAnalyser analyser;
    const SynthSource sweep(SignalKind::Sweep);
    double previous = -1;
    for (double seconds : {0.5, 1.5, 2.5, 3.5, 4.5, 5.5}) {
        // The window ends half a window after the moment it is centred on.
        const auto end = static_cast<std::int64_t>(seconds * SynthSampleRate) + FftSize / 2;
        const SpectrumFrame frame = analyser.AnalyseAt(sweep, end);
        const double peak = PeakBin(frame[0]);
        // Bin of the instantaneous frequency of a 40 Hz to 16 kHz sweep over six seconds.
        const double freq = 40.0 * std::pow(400.0, seconds / 6.0);
        EXPECT_NEAR(peak, freq * FftSize / SynthSampleRate, 3.0) << seconds << " s";
        EXPECT_GT(peak, previous) << seconds << " s";
        previous = peak;
        EXPECT_EQ(frame[0], frame[1]);
    }
}

double MeanLevel(const SpectrumRow& row, int from, int to) {
    return std::accumulate(row.begin() + from, row.begin() + to, 0.0) / (to - from);
}

TEST(PlayerSpectrum, NoiseFillsAllBinsAndDiffersBetweenChannels) {
    const SpectrumAnalyser analyser;
    const SynthSource noise(SignalKind::Noise);
    const SpectrumFrame frame = analyser.AnalyseAt(noise, 10 * FftSize);
    for (int ch = 0; ch < 2; ++ch) {
        EXPECT_GT(MeanLevel(frame[ch], 0, 576), 120) << ch;
        EXPECT_LT(MeanLevel(frame[ch], 0, 576), 230) << ch;
        EXPECT_GT(MeanLevel(frame[ch], 400, 576), 120) << "high bins of channel " << ch;
    }
    EXPECT_NE(frame[0], frame[1]);
}

// A kick drum starts each beat: the bass bins are louder just after a beat than just before the next.
TEST(PlayerSpectrum, BeatPulsesInTheBass) {
    const SpectrumAnalyser analyser;
    const SynthSource beat(SignalKind::Beat);
    for (int b = 1; b < 8; ++b) {
        const auto onBeat = static_cast<std::int64_t>((b * 0.5 + 0.03) * SynthSampleRate);
        const auto beforeNext = static_cast<std::int64_t>((b * 0.5 + 0.48) * SynthSampleRate);
        const double bassOn = MeanLevel(analyser.AnalyseAt(beat, onBeat)[0], 0, 8);
        const double bassOff = MeanLevel(analyser.AnalyseAt(beat, beforeNext)[0], 0, 8);
        EXPECT_GT(bassOn, bassOff + 5) << "beat " << b;
    }
}

TEST(PlayerSpectrum, WavSourceLoopsAndCopiesMonoToBothChannels) {
    WavData mono;
    mono.sampleRate = 8000;
    mono.channels = 1;
    mono.samples = {16384, -32768, 0};
    const WavSource monoSource(mono);
    struct Case {
        std::int64_t index;
        float value;
    };
    const Case monoCases[] = {{-1, 0.0f}, {0, 0.5f}, {1, -1.0f}, {2, 0.0f}, {3, 0.5f}, {3001, -1.0f}};
    for (const Case& c : monoCases) {
        EXPECT_EQ(monoSource.At(c.index).left, c.value) << c.index;
        EXPECT_EQ(monoSource.At(c.index).right, c.value) << c.index;
    }
    WavData stereo;
    stereo.sampleRate = 44100;
    stereo.channels = 2;
    stereo.samples = {8192, -8192, 32767, 0};
    const WavSource stereoSource(stereo);
    EXPECT_EQ(stereoSource.At(2).left, 0.25f);
    EXPECT_EQ(stereoSource.At(2).right, -0.25f);
    EXPECT_EQ(stereoSource.At(1).right, 0.0f);
    EXPECT_EQ(stereoSource.SampleRate(), 44100);
    EXPECT_EQ(monoSource.Channels(), 1);
}

}  // namespace
}  // namespace player::player_analyser_test
