#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "player/WavFile.h"

namespace player::player_wav_test {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Append32(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}

void Append16(Bytes& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

Bytes Chunk(const char* id, const Bytes& body, std::uint32_t claimedSize = 0xFFFFFFFF) {
    Bytes out(id, id + 4);
    Append32(out, claimedSize == 0xFFFFFFFF ? static_cast<std::uint32_t>(body.size()) : claimedSize);
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() % 2 == 1 && claimedSize == 0xFFFFFFFF) {
        out.push_back(0);
    }
    return out;
}

Bytes Format(int tag, int channels, std::uint32_t rate, int bits, bool extensible = false) {
    Bytes body;
    Append16(body, extensible ? 0xFFFE : tag);
    Append16(body, channels);
    Append32(body, rate);
    Append32(body, rate * channels * bits / 8);
    Append16(body, channels * bits / 8);
    Append16(body, bits);
    if (extensible) {
        Append16(body, 22);
        Append16(body, bits);
        Append32(body, channels == 2 ? 3 : 4);
        Append16(body, tag);  // sub-format GUID: the tag, then the fixed tail
        const std::uint8_t tail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                       0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
        body.insert(body.end(), tail, tail + 14);
    }
    return Chunk("fmt ", body);
}

Bytes Samples(std::initializer_list<int> values) {
    Bytes body;
    for (int v : values) {
        Append16(body, static_cast<std::uint16_t>(v));
    }
    return body;
}

Bytes Riff(std::initializer_list<Bytes> chunks) {
    Bytes body = {'W', 'A', 'V', 'E'};
    for (const Bytes& c : chunks) {
        body.insert(body.end(), c.begin(), c.end());
    }
    return Chunk("RIFF", body);
}

TEST(PlayerWav, Files) {
    const Bytes stereoData = Chunk("data", Samples({1, -1, 32767, -32768}));
    struct Case {
        const char* note;
        Bytes file;
        WavError error;
        int rate;
        int channels;
        std::vector<std::int16_t> samples;
    };
    const Case cases[] = {
        {"plain stereo", Riff({Format(1, 2, 44100, 16), stereoData}), WavError::None, 44100, 2, {1, -1, 32767, -32768}},
        {"plain mono",
         Riff({Format(1, 1, 22050, 16), Chunk("data", Samples({5, 6, 7}))}),
         WavError::None,
         22050,
         1,
         {5, 6, 7}},
        {"extensible PCM is PCM",
         Riff({Format(1, 2, 48000, 16, true), stereoData}),
         WavError::None,
         48000,
         2,
         {1, -1, 32767, -32768}},
        {"odd-sized chunks before the data are skipped with their pad byte",
         Riff({Chunk("LIST", {'a', 'b', 'c'}), Format(1, 2, 44100, 16), Chunk("junk", {1}), stereoData}),
         WavError::None,
         44100,
         2,
         {1, -1, 32767, -32768}},
        {"a trailing half frame is dropped",
         Riff({Format(1, 2, 44100, 16), Chunk("data", Samples({1, 2, 3}))}),
         WavError::None,
         44100,
         2,
         {1, 2}},
        {"not RIFF", Bytes{'R', 'I', 'F', 'X', 0, 0, 0, 0, 'W', 'A', 'V', 'E'}, WavError::NotRiff, 0, 0, {}},
        {"too short for a header", Bytes{'R', 'I', 'F', 'F'}, WavError::NotRiff, 0, 0, {}},
        {"data chunk longer than the file",
         Riff({Format(1, 2, 44100, 16), Chunk("data", Samples({1, 2}), 1000)}),
         WavError::TruncatedChunk,
         0,
         0,
         {}},
        {"8-bit", Riff({Format(1, 1, 8000, 8), stereoData}), WavError::NotPcm16, 0, 0, {}},
        {"float", Riff({Format(3, 2, 44100, 16), stereoData}), WavError::NotPcm16, 0, 0, {}},
        {"extensible float", Riff({Format(3, 2, 44100, 16, true), stereoData}), WavError::NotPcm16, 0, 0, {}},
        {"three channels", Riff({Format(1, 3, 44100, 16), stereoData}), WavError::BadChannels, 0, 0, {}},
        {"rate zero", Riff({Format(1, 2, 0, 16), stereoData}), WavError::BadSampleRate, 0, 0, {}},
        {"data before the format", Riff({stereoData, Format(1, 2, 44100, 16)}), WavError::NoFormat, 0, 0, {}},
        {"short format chunk", Riff({Chunk("fmt ", {1, 0, 2, 0}), stereoData}), WavError::NoFormat, 0, 0, {}},
        {"no data chunk", Riff({Format(1, 2, 44100, 16)}), WavError::NoData, 0, 0, {}},
        {"empty data chunk", Riff({Format(1, 2, 44100, 16), Chunk("data", {})}), WavError::NoSamples, 0, 0, {}},
    };
    for (const Case& c : cases) {
        const WavResult result = ParseWav(c.file);
        EXPECT_EQ(result.error, c.error) << c.note << ": have " << WavErrorName(result.error) << ", want "
                                         << WavErrorName(c.error);
        if (c.error == WavError::None && result.error == WavError::None) {
            EXPECT_EQ(result.data.sampleRate, c.rate) << c.note;
            EXPECT_EQ(result.data.channels, c.channels) << c.note;
            EXPECT_EQ(result.data.samples, c.samples) << c.note;
        }
    }
}

TEST(PlayerWav, ReadsFromDiskAndReportsAMissingFile) {
    const std::string path = testing::TempDir() + "player_wav_test.wav";
    const Bytes file = Riff({Format(1, 1, 11025, 16), Chunk("data", Samples({100, -100}))});
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    }
    const WavResult read = ReadWavFile(path);
    EXPECT_EQ(read.error, WavError::None);
    EXPECT_EQ(read.data.FrameCount(), 2u);
    std::remove(path.c_str());
    EXPECT_EQ(ReadWavFile(path).error, WavError::CannotRead);
}

}  // namespace
}  // namespace player::player_wav_test
