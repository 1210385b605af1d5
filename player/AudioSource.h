#pragma once
// The sound the test player "plays": synthesised signals or the samples of a WAV file, readable
// at any sample index so that each Render call can analyse the window of audio it stands for.

#include <cstdint>
#include <vector>

#include "player/PlayerOptions.h"
#include "player/WavFile.h"

namespace player {

constexpr int SynthSampleRate = 44100;

struct StereoSample {
    float left = 0.0f;
    float right = 0.0f;
};

class AudioSource {
public:
    virtual ~AudioSource() = default;
    [[nodiscard]] virtual int SampleRate() const = 0;
    [[nodiscard]] virtual int Channels() const = 0;
    // Full scale is +-1. Indices before the start are silence.
    [[nodiscard]] virtual StereoSample At(std::int64_t index) const = 0;
};

// The full signal is a comb of sines, one at every third analysis bin with a low crest factor,
// periodic in the analysis window, so that every bin of the analysis sees a strong line.
class SynthSource final : public AudioSource {
public:
    explicit SynthSource(SignalKind kind);
    [[nodiscard]] int SampleRate() const override { return SynthSampleRate; }
    [[nodiscard]] int Channels() const override { return 2; }
    [[nodiscard]] StereoSample At(std::int64_t index) const override;

private:
    SignalKind kind_;
    std::vector<float> period_;  // one period of the full comb
};

// Plays the file in a loop, so that a run may last longer than the recording.
class WavSource final : public AudioSource {
public:
    explicit WavSource(WavData data) : data_(std::move(data)) {}
    [[nodiscard]] int SampleRate() const override { return data_.sampleRate; }
    [[nodiscard]] int Channels() const override { return data_.channels; }
    [[nodiscard]] StereoSample At(std::int64_t index) const override;

private:
    WavData data_;
};

// The signals' building blocks, exposed for tests: white noise in [-1, 1) that depends only on
// the index and the seed.
float NoiseAt(std::int64_t index, std::uint32_t seed);

}  // namespace player
