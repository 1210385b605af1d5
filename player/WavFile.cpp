#include "player/WavFile.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace player {
namespace {

std::uint32_t Read32(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint16_t Read16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

constexpr std::uint16_t FormatPcm = 1;
constexpr std::uint16_t FormatExtensible = 0xFFFE;
constexpr int MaxSampleRate = 384000;

WavResult Failure(WavError error) {
    WavResult result;
    result.error = error;
    return result;
}

}  // namespace

const char* WavErrorName(WavError error) {
    switch (error) {
        case WavError::None:
            return "none";
        case WavError::NotRiff:
            return "not-riff-wave";
        case WavError::TruncatedChunk:
            return "truncated-chunk";
        case WavError::NoFormat:
            return "no-format";
        case WavError::NotPcm16:
            return "not-pcm16";
        case WavError::BadChannels:
            return "bad-channels";
        case WavError::BadSampleRate:
            return "bad-sample-rate";
        case WavError::NoData:
            return "no-data";
        case WavError::NoSamples:
            return "no-samples";
        case WavError::CannotRead:
            return "cannot-read";
    }
    return "unknown";
}

WavResult ParseWav(const std::vector<std::uint8_t>& bytes) {
    const std::size_t size = bytes.size();
    if (size < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
        return Failure(WavError::NotRiff);
    }
    WavResult result;
    bool haveFormat = false;
    std::size_t pos = 12;
    while (size - pos >= 8) {
        const std::uint8_t* header = bytes.data() + pos;
        const std::uint32_t chunkSize = Read32(header + 4);
        pos += 8;
        if (chunkSize > size - pos) {
            return Failure(WavError::TruncatedChunk);
        }
        const std::uint8_t* body = bytes.data() + pos;
        if (std::memcmp(header, "fmt ", 4) == 0) {
            if (chunkSize < 16) {
                return Failure(WavError::NoFormat);
            }
            std::uint16_t format = Read16(body);
            if (format == FormatExtensible && chunkSize >= 40) {
                format = Read16(body + 24);  // the sub-format GUID starts with the format tag
            }
            const int channels = Read16(body + 2);
            const std::uint32_t rate = Read32(body + 4);
            const int bits = Read16(body + 14);
            if (format != FormatPcm || bits != 16) {
                return Failure(WavError::NotPcm16);
            }
            if (channels != 1 && channels != 2) {
                return Failure(WavError::BadChannels);
            }
            if (rate == 0 || rate > MaxSampleRate) {
                return Failure(WavError::BadSampleRate);
            }
            result.data.channels = channels;
            result.data.sampleRate = static_cast<int>(rate);
            haveFormat = true;
        } else if (std::memcmp(header, "data", 4) == 0) {
            if (!haveFormat) {
                return Failure(WavError::NoFormat);
            }
            const std::size_t frameBytes = 2 * static_cast<std::size_t>(result.data.channels);
            const std::size_t frames = chunkSize / frameBytes;
            if (frames == 0) {
                return Failure(WavError::NoSamples);
            }
            result.data.samples.resize(frames * result.data.channels);
            for (std::size_t i = 0; i < result.data.samples.size(); ++i) {
                result.data.samples[i] = static_cast<std::int16_t>(Read16(body + 2 * i));
            }
            return result;
        }
        // Chunks are padded to an even length; a missing pad byte at the very end is tolerated.
        pos += chunkSize + (chunkSize & 1);
        if (pos > size) {
            pos = size;
        }
    }
    return Failure(haveFormat ? WavError::NoData : WavError::NoFormat);
}

WavResult ReadWavFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return Failure(WavError::CannotRead);
    }
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        return Failure(WavError::CannotRead);
    }
    return ParseWav(bytes);
}

}  // namespace player
