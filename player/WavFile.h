#pragma once
// Reading 16-bit PCM WAV files, mono or stereo.

#include <cstdint>
#include <string>
#include <vector>

namespace player {

enum class WavError {
    None,
    NotRiff,         // no "RIFF....WAVE" header
    TruncatedChunk,  // a chunk claims more bytes than the file has left
    NoFormat,        // no "fmt " chunk before the data, or one too short
    NotPcm16,        // a format other than 16-bit integer PCM
    BadChannels,     // neither mono nor stereo
    BadSampleRate,   // zero or above 384000
    NoData,          // no "data" chunk
    NoSamples,       // a data chunk without a single whole frame
    CannotRead,      // the file could not be opened or read
};

const char* WavErrorName(WavError error);

struct WavData {
    int sampleRate = 0;
    int channels = 0;
    std::vector<std::int16_t> samples;  // interleaved, left first

    [[nodiscard]] std::size_t FrameCount() const { return channels > 0 ? samples.size() / channels : 0; }
};

struct WavResult {
    WavError error = WavError::None;
    WavData data;
};

WavResult ParseWav(const std::vector<std::uint8_t>& bytes);
WavResult ReadWavFile(const std::string& path);

}  // namespace player
