// The fast decoder's two codes, plain and SSE2 (picked by the processor; PlainDecoding forces the plain one),
// must make the same frames as the per-pixel decoder, byte for byte: pixels, row padding, mask and mask
// padding. Built natively and into the Windows tests, so that the 32-bit build's SSE2 code, compiled apart
// from the rest, runs under Wine too.
#include <gtest/gtest.h>

#include <random>

#include "controls/GIFReader.h"
#include "tests/unit/gif_test_support.h"

namespace gif_paths_test {

using namespace giftest;

namespace {

// Bands and flat areas with some noise: long strings, the entry being defined, and short strings alike.
Picture Scene(int w, int h, int colours, unsigned seed) {
    std::mt19937 rng(seed);
    Picture p{w, h, {}};
    p.pixels.reserve(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int band = ((x / 37) + (y / 23)) % 3;
            const int v = band == 0 ? 0 : band == 1 ? 1 + (x / 5) % 3 : static_cast<int>(rng() % colours);
            p.pixels.push_back(static_cast<std::uint8_t>(v % colours));
        }
    }
    return p;
}

struct TDecoded {
    bool ok;
    std::vector<std::uint8_t> pixels, mask;
    TLzwStatus status;
};

TDecoded DecodeWith(const Bytes& b, bool careful, bool plain) {
    TGifStream s;
    s.CarefulDecoding = careful;
    s.PlainDecoding = plain;
    const bool ok = s.DecodeData(b.data(), b.size());
    if (!ok || s.FrameCount() != 1) {
        return {false, {}, {}, TLzwStatus::NoPixels};
    }
    const TFrame& f = s.Frame(1);
    return {true, f.Pixels, f.MaskBits, f.DataStatus};
}

TEST(GifDecodePaths, PlainAndSse2MatchTheCarefulDecoder) {
#if defined(__i386__) || defined(__x86_64__)
    // Every x86 processor these tests run on has SSE2: the fast path must then be the SSE2 code.
    EXPECT_TRUE(GifReaderUsesSse2());
#endif
    struct Case {
        const char* name;
        int width, height, colours;
        bool interlaced;
        int transparent;  // -1: opaque
        double kept;      // share of the image data kept: below 1, the data ends early
    } cases[] = {
        {"small, rows of whole words", 64, 20, 16, false, -1, 1},
        {"small, padded rows", 37, 11, 256, false, -1, 1},
        {"small, padded, transparent", 50, 40, 16, false, 0, 1},
        {"small, transparent, cut short", 64, 64, 16, false, 0, 0.5},
        {"small, padded, transparent, cut short", 315, 36, 16, false, 2, 0.4},
        {"interlaced, transparent", 100, 100, 16, true, 0, 1},
        {"interlaced, cut short", 99, 70, 256, true, 1, 0.3},
        {"large", 640, 420, 4, false, -1, 1},
        {"large, transparent, cut short", 640, 420, 16, false, 0, 0.6},
        {"large, padded, transparent", 645, 410, 16, false, 0, 1},
        {"large, padded, cut short", 643, 430, 256, false, -1, 0.5},
        {"large, interlaced, cut short", 641, 420, 16, true, 3, 0.7},
    };
    for (const auto& c : cases) {
        const Picture p = Scene(c.width, c.height, c.colours, static_cast<unsigned>(c.width * 31 + c.height));
        GifBuilder b(c.width, c.height, 8);
        if (c.transparent >= 0) {
            b.Control(2, 4, c.transparent);
        }
        ImageOptions o;
        o.interlaced = c.interlaced;
        b.Image(p, o);
        Bytes data = b.Trailer().bytes;
        if (c.kept < 1) {
            data.resize(static_cast<std::size_t>(static_cast<double>(data.size()) * c.kept));
        }
        const TDecoded careful = DecodeWith(data, true, false);
        ASSERT_TRUE(careful.ok) << c.name;
        EXPECT_EQ(careful.status, c.kept < 1 ? TLzwStatus::EndOfData : TLzwStatus::Complete) << c.name;
        for (const bool plain : {true, false}) {
            const TDecoded fast = DecodeWith(data, false, plain);
            const char* path = plain ? " (plain)" : " (SSE2 where the processor has it)";
            ASSERT_TRUE(fast.ok) << c.name << path;
            EXPECT_EQ(fast.status, careful.status) << c.name << path;
            EXPECT_TRUE(fast.pixels == careful.pixels) << c.name << path;
            EXPECT_TRUE(fast.mask == careful.mask) << c.name << path;
        }
    }
}

}  // namespace

}  // namespace gif_paths_test
