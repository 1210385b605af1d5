#include <gtest/gtest.h>

#include <random>

#include "controls/GIFReader.h"
#include "tests/unit/gif_test_support.h"

namespace gif_reader_test {

using namespace giftest;

namespace {

const Picture kSquare = Ascii({
    "1..2",
    ".33.",
    ".33.",
    "2..1",
});

bool Decode(TGifStream& s, const Bytes& b) {
    return s.DecodeData(b.data(), b.size());
}

Bytes OneImage(const Picture& p, const ImageOptions& o = {}) {
    return GifBuilder(p.width, p.height).Image(p, o).Trailer().bytes;
}

TEST(GifReader, HeaderAndSignature) {
    const Bytes good = OneImage(kSquare);
    auto withStart = [&](const char* sig) {
        Bytes b = good;
        std::copy(sig, sig + 6, b.begin());
        return b;
    };
    struct Case {
        const char* name;
        Bytes data;
        bool ok;
        int code;
    } cases[] = {
        {"87a", withStart("GIF87a"), true, 0},
        {"89a", withStart("GIF89a"), true, 0},
        {"any version bytes", withStart("GIF\x01zz"), true, 0},
        {"lower-case signature", withStart("gif89a"), false, 3},
        {"empty buffer", {}, false, 2},
        {"two bytes", {'G', 'I'}, false, 3},
        {"screen descriptor cut", Bytes(good.begin(), good.begin() + 10), false, 3},
        {"global table cut", Bytes(good.begin(), good.begin() + 15), false, 3},
        {"header only", Bytes(good.begin(), good.begin() + 13 + 12), true, 0},
    };
    for (const auto& c : cases) {
        TGifStream s;
        EXPECT_EQ(Decode(s, c.data), c.ok) << c.name;
        EXPECT_EQ(s.LastError, c.code) << c.name;
        if (!c.ok) {
            EXPECT_EQ(s.FrameCount(), 0) << c.name;
        }
    }
}

TEST(GifReader, DecodesPicturesExactly) {
    std::mt19937 rng(7);
    auto noise = [&](int w, int h, int colours) {
        Picture p{w, h, {}};
        for (int i = 0; i < w * h; ++i) {
            // Runs as well as noise, so long table strings and the code being defined both occur.
            p.pixels.push_back(static_cast<std::uint8_t>(rng() % 4 == 0 ? rng() % colours : 1));
        }
        return p;
    };
    struct Case {
        const char* name;
        Picture picture;
        ImageOptions options;
    } cases[] = {
        {"width a multiple of 4", noise(64, 20, 256), {}},
        {"padded rows", noise(37, 11, 256), {}},
        {"one pixel", Ascii({"5"}), {}},
        {"code size 2", noise(33, 9, 4), {0, 0, 0, false, {2, true, true, 255}}},
        {"one-byte sub-blocks", noise(23, 17, 16), {0, 0, 0, false, {4, true, true, 1}}},
        {"no initial clear code", noise(16, 16, 256), {0, 0, 0, false, {8, false, true, 255}}},
        {"no end code", noise(16, 16, 256), {0, 0, 0, false, {8, true, false, 255}}},
        {"neither", noise(13, 5, 256), {0, 0, 0, false, {8, false, false, 255}}},
        {"table fills and clears", noise(300, 200, 256), {}},
        {"code size 9", noise(40, 40, 256), {0, 0, 0, false, {9, true, true, 255}}},
        {"code size 12", noise(40, 10, 256), {0, 0, 0, false, {12, true, true, 255}}},
        {"interlaced, 9 rows", noise(7, 9, 256), {0, 0, 0, true, {}}},
    };
    for (const auto& c : cases) {
        for (bool careful : {false, true}) {
            TGifStream s;
            s.CarefulDecoding = careful;
            ASSERT_TRUE(Decode(s, OneImage(c.picture, c.options))) << c.name;
            ASSERT_EQ(s.FrameCount(), 1) << c.name;
            const TFrame& f = s.Frame(1);
            EXPECT_EQ(f.PixelStride, (c.picture.width + 3) / 4 * 4) << c.name;
            EXPECT_EQ(f.DataStatus, TLzwStatus::Complete) << c.name << (careful ? " careful" : " fast");
            EXPECT_EQ(AsciiOf(f), AsciiOf(c.picture)) << c.name << (careful ? " careful" : " fast");
        }
    }
}

// Long runs of one colour: strings far longer than a copy chunk, most of them the entry being defined. Data
// that ends early leaves index 0 after it, and strings that run past the frame's end stop at it.
TEST(GifReader, LongRunsEndExactly) {
    Picture bands{256, 64, {}};
    for (int y = 0; y < bands.height; ++y) {
        for (int x = 0; x < bands.width; ++x) {
            bands.pixels.push_back(static_cast<std::uint8_t>(1 + (x / 48 + y / 8) % 3));
        }
    }
    const Picture flat{100, 5, std::vector<std::uint8_t>(500, 7)};
    struct Case {
        const char* name;
        const Picture& picture;
        std::size_t encoded;  // pixels in the data: fewer than the frame holds, or more
    } cases[] = {
        {"bands", bands, 16384},   {"bands cut short", bands, 5000},    {"bands with data to spare", bands, 19000},
        {"one colour", flat, 500}, {"one colour cut short", flat, 100}, {"one colour with data to spare", flat, 700},
    };
    for (const auto& c : cases) {
        const Picture& p = c.picture;
        std::vector<std::uint8_t> encoded;
        while (encoded.size() < c.encoded) {
            encoded.insert(
                encoded.end(), p.pixels.begin(),
                p.pixels.begin() + static_cast<std::ptrdiff_t>(std::min(p.pixels.size(), c.encoded - encoded.size())));
        }
        Picture want = p;
        std::fill(want.pixels.begin() + static_cast<std::ptrdiff_t>(std::min(c.encoded, want.pixels.size())),
                  want.pixels.end(), 0);
        GifBuilder b(p.width, p.height);
        b.Raw({0x2C, 0, 0, 0, 0, static_cast<std::uint8_t>(p.width), static_cast<std::uint8_t>(p.width >> 8),
               static_cast<std::uint8_t>(p.height), 0, 0, 8});
        const Bytes blocks = SubBlocks(LzwCodes(encoded, {}));
        b.bytes.insert(b.bytes.end(), blocks.begin(), blocks.end());
        const Bytes data = b.Trailer().bytes;
        for (bool careful : {false, true}) {
            TGifStream s;
            s.CarefulDecoding = careful;
            ASSERT_TRUE(Decode(s, data)) << c.name;
            EXPECT_EQ(AsciiOf(s.Frame(1)), AsciiOf(want)) << c.name << (careful ? " careful" : " fast");
            EXPECT_EQ(s.Frame(1).DataStatus, c.encoded < p.pixels.size() ? TLzwStatus::EndCode : TLzwStatus::Complete)
                << c.name << (careful ? " careful" : " fast");
        }
    }
}

TEST(GifReader, ColourTablesAndCounts) {
    const Picture dot = Ascii({"1"});
    // No table anywhere: black, one colour.
    {
        TGifStream s;
        ASSERT_TRUE(Decode(s, GifBuilder(1, 1, 0).Image(dot).Trailer().bytes));
        EXPECT_EQ(s.ColorBits, 0);
        EXPECT_EQ(s.Frame(1).ColorCount, 1);
        EXPECT_EQ(s.Frame(1).Colors[3], 0);
    }
    // A 4-colour global table, a 16-colour local one in frame 2: frames after it that use the global table
    // are built with 16 entries, frames before it with 4.
    TGifStream s;
    ImageOptions local;
    local.localBits = 4;
    ASSERT_TRUE(Decode(s, GifBuilder(1, 1, 2).Image(dot).Image(dot, local).Image(dot).Trailer().bytes));
    ASSERT_EQ(s.FrameCount(), 3);
    struct Want {
        int colorCount, localBits;
        bool hasLocal;
        std::uint8_t red1;  // entry 1's red: 1 from the global table, 101 from the local one
    } want[] = {{4, 0, false, 1}, {16, 4, true, 101}, {16, 0, false, 1}};
    for (int i = 0; i < 3; ++i) {
        const TFrame& f = s.Frame(i + 1);
        EXPECT_EQ(f.ColorCount, want[i].colorCount) << "frame " << i + 1;
        EXPECT_EQ(f.LocalBits, want[i].localBits) << "frame " << i + 1;
        EXPECT_EQ(f.HasLocalColors, want[i].hasLocal) << "frame " << i + 1;
        EXPECT_EQ(f.Colors[3], want[i].red1) << "frame " << i + 1;
    }
    EXPECT_EQ(s.ColorBits, 4);
}

TEST(GifReader, ExtensionsBeforeImages) {
    const Picture dot = Ascii({"1"});
    struct Case {
        const char* name;
        Bytes data;
        int delay, disposal, loop;
        bool transparent;
        std::string comment;
    } cases[] = {
        {"nothing", GifBuilder(1, 1).Image(dot).Trailer().bytes, 1, 0, 1, false, ""},
        {"delay 0 is 1 ms", GifBuilder(1, 1).Control(1, 0).Image(dot).Trailer().bytes, 1, 1, 1, false, ""},
        {"delay 5 is 50 ms", GifBuilder(1, 1).Control(3, 5).Image(dot).Trailer().bytes, 50, 3, 1, false, ""},
        {"the later of two controls", GifBuilder(1, 1).Control(1, 7, 2).Control(2, 9).Image(dot).Trailer().bytes, 90, 2,
         1, false, ""},
        {"disposal 4", GifBuilder(1, 1).Control(4, 1).Image(dot).Trailer().bytes, 10, 2, 1, false, ""},
        {"disposal 7", GifBuilder(1, 1).Control(7, 1).Image(dot).Trailer().bytes, 10, 2, 1, false, ""},
        {"the later of two comments", GifBuilder(1, 1).Comment("one").Comment("two").Image(dot).Trailer().bytes, 1, 0,
         1, false, "two"},
        {"loop 0 is endless", GifBuilder(1, 1).Loop(0).Image(dot).Trailer().bytes, 1, 0, 0, false, ""},
        {"loop 3", GifBuilder(1, 1).Loop(3).Image(dot).Trailer().bytes, 1, 0, 3, false, ""},
        // A valid looping extension with a buffering sub-block once ended the stream with no frames.
        {"loop with a further sub-block",
         GifBuilder(1, 1)
             .Raw({0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.',
                   '0',  3,    1,  2,   0,   5,   2,   0,   4,   0,   0,   0})
             .Image(dot)
             .Trailer()
             .bytes,
         1, 0, 2, false, ""},
        {"transparent", GifBuilder(1, 1).Control(0, 0, 1).Image(dot).Trailer().bytes, 1, 0, 1, true, ""},
    };
    for (const auto& c : cases) {
        TGifStream s;
        ASSERT_TRUE(Decode(s, c.data)) << c.name;
        ASSERT_EQ(s.FrameCount(), 1) << c.name;
        const TFrame& f = s.Frame(1);
        EXPECT_EQ(f.Delay, c.delay) << c.name;
        EXPECT_EQ(f.Disposal, c.disposal) << c.name;
        EXPECT_EQ(s.LoopCount, c.loop) << c.name;
        EXPECT_EQ(f.Transparent, c.transparent) << c.name;
        EXPECT_EQ(s.HasTransparency, c.transparent) << c.name;
        EXPECT_EQ(f.Comment, c.comment) << c.name;
    }
    // A control and a comment apply to the next image only; after the last image they change nothing.
    TGifStream s;
    ASSERT_TRUE(
        Decode(s, GifBuilder(1, 1).Comment("a").Control(3, 4).Image(dot).Image(dot).Control(1, 8).Trailer().bytes));
    ASSERT_EQ(s.FrameCount(), 2);
    EXPECT_EQ(s.Frame(1).Delay, 40);
    EXPECT_EQ(s.Frame(1).Comment, "a");
    EXPECT_EQ(s.Frame(2).Delay, 1);
    EXPECT_EQ(s.Frame(2).Disposal, 0);
    EXPECT_EQ(s.Frame(2).Comment, "");
}

TEST(GifReader, BlockLoopEndings) {
    const Picture dot = Ascii({"1"});
    const Bytes twoFrames = GifBuilder(1, 1).Image(dot).Image(dot).Trailer().bytes;
    const std::size_t afterFirst = GifBuilder(1, 1).Image(dot).bytes.size();
    const std::size_t header = GifBuilder(1, 1).bytes.size();
    auto patched = [&](std::initializer_list<std::uint8_t> b, std::size_t at = 0) {
        Bytes d = twoFrames;
        d.insert(d.begin() + static_cast<std::ptrdiff_t>(at == 0 ? afterFirst : at), b);
        return d;
    };
    Bytes cutComment(twoFrames.begin(), twoFrames.begin() + static_cast<std::ptrdiff_t>(afterFirst));
    cutComment.insert(cutComment.end(), {0x21, 0xFE, 9, 'a'});
    struct Case {
        const char* name;
        Bytes data;
        int frames;
        TGifStop stop;
    } cases[] = {
        {"trailer", twoFrames, 2, TGifStop::Trailer},
        {"no trailer", Bytes(twoFrames.begin(), twoFrames.end() - 1), 2, TGifStop::EndOfData},
        // Other readers show such a file: every extension is skippable by its sub-blocks.
        {"unknown extension first is skipped", patched({0x21, 0xDF, 2, 9, 9, 1, 7, 0}, header), 2, TGifStop::Trailer},
        {"unknown block byte ends the loop", patched({0x00}), 1, TGifStop::UnknownBlock},
        {"plain text is skipped", patched({0x21, 0x01, 2, 9, 9, 1, 7, 0}), 2, TGifStop::Trailer},
        {"other application skipped", patched({0x21, 0xFF, 3, 'A', 'B', 'C', 2, 1, 2, 0}), 2, TGifStop::Trailer},
        {"comment cut off", cutComment, 1, TGifStop::TruncatedBlock},
        {"descriptor cut off", Bytes(twoFrames.begin(), twoFrames.end() - 10), 1, TGifStop::TruncatedBlock},
    };
    for (const auto& c : cases) {
        TGifStream s;
        EXPECT_TRUE(Decode(s, c.data)) << c.name;
        EXPECT_EQ(s.FrameCount(), c.frames) << c.name;
        EXPECT_EQ(s.Stop, c.stop) << c.name;
    }
}

TEST(GifReader, TwoHundredFiftySixFramesAtMost) {
    GifBuilder b(1, 1);
    for (int i = 0; i < 257; ++i) {
        b.Image(Ascii({i < 256 ? "1" : "2"}));
    }
    TGifStream s;
    ASSERT_TRUE(Decode(s, b.Trailer().bytes));
    EXPECT_EQ(s.FrameCount(), 256);
    EXPECT_EQ(s.Stop, TGifStop::FrameLimit);
    EXPECT_EQ(s.Frame(256).PixelAt(0, 0), 1);
}

TEST(GifReader, InterlacedRowOrder) {
    // The data ends with an end code after two rows: which rows were filled shows the order.
    struct Case {
        Picture picture;
        std::vector<std::string> afterTwoRows;
    } cases[] = {
        {Ascii({"11", "22", "33"}), {"11", "..", "22"}},
        {Ascii({"11", "22", "33", "44", "55"}), {"11", "..", "..", "..", "22"}},
    };
    for (const auto& c : cases) {
        ImageOptions o;
        o.interlaced = true;
        for (bool careful : {false, true}) {
            TGifStream s;
            s.CarefulDecoding = careful;
            ASSERT_TRUE(Decode(s, OneImage(c.picture, o)));
            EXPECT_EQ(AsciiOf(s.Frame(1)), AsciiOf(c.picture));
            EXPECT_TRUE(s.AnyInterlaced);

            // Rows given as 11, 22 in storage order, then nothing.
            Picture two{2, 2, {1, 1, 2, 2}};
            Bytes d = GifBuilder(2, c.picture.height).Image(two).Trailer().bytes;
            // Patch the descriptor: the real height, interlaced.
            d[13 + 12 + 7] = static_cast<std::uint8_t>(c.picture.height);
            d[13 + 12 + 9] = 0x40;
            ASSERT_TRUE(Decode(s, d));
            EXPECT_EQ(AsciiOf(s.Frame(1)), c.afterTwoRows) << (careful ? "careful" : "fast");
            EXPECT_EQ(s.Frame(1).DataStatus, TLzwStatus::EndCode);
        }
    }
}

TEST(GifReader, TransparentMask) {
    const Picture p = Ascii({
        "2.2.2.2.22",
        "..........",
        "2222222222",
    });
    for (bool careful : {false, true}) {
        TGifStream s;
        s.CarefulDecoding = careful;
        ASSERT_TRUE(Decode(s, GifBuilder(10, 3).Control(0, 0, 2).Image(p).Trailer().bytes));
        const TFrame& f = s.Frame(1);
        ASSERT_TRUE(f.Transparent);
        EXPECT_EQ(f.TransparentIndex, 2);
        EXPECT_EQ(f.TransparentColor, (std::array<std::uint8_t, 3>{2, 4, 253}));
        EXPECT_EQ(f.MaskStride, 4);
        const Bytes want = {0xAA, 0xC0, 0, 0, 0, 0, 0, 0, 0xFF, 0xC0, 0, 0};
        EXPECT_EQ(f.MaskBits, want) << (careful ? "careful" : "fast");
    }
    // Pixels the data never reached read index 0 and are opaque even when index 0 is the transparent one.
    Picture half{4, 2, {0, 1, 0, 1}};
    Bytes d = GifBuilder(4, 2).Control(0, 0, 0).Image(half).Trailer().bytes;
    d[13 + 12 + 8 + 7] = 2;  // the descriptor now claims 2 rows; the data holds 1
    TGifStream s;
    ASSERT_TRUE(Decode(s, d));
    EXPECT_EQ(s.Frame(1).MaskBits, (Bytes{0xA0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(GifReader, RootsAboveAByteAreNotTheTransparentIndex) {
    // Code size 9: roots 0..511, stored as their low byte. Root 261 lands as index 5 but only root 5 itself
    // matches a transparent index of 5.
    BitWriter bw;
    for (unsigned code : {512u, 5u, 261u, 512u, 5u, 513u}) {
        bw.Put(code, 10);
    }
    bw.Flush();
    GifBuilder b(3, 1);
    b.Control(0, 0, 5).Raw({0x2C, 0, 0, 0, 0, 3, 0, 1, 0, 0, 9});
    const Bytes blocks = SubBlocks(bw.out);
    b.bytes.insert(b.bytes.end(), blocks.begin(), blocks.end());
    TGifStream s;
    ASSERT_TRUE(Decode(s, b.Trailer().bytes));
    const TFrame& f = s.Frame(1);
    EXPECT_EQ(AsciiOf(f), std::vector<std::string>{"555"});
    EXPECT_EQ(f.MaskBits[0], 0xA0);
}

TEST(GifReader, PixelCodesAboveAByteAreNotTheTransparentIndex) {
    // The code right after a clear is a pixel whatever its value, stored as its low byte, but only the code
    // equal to the transparent index (5) is transparent (code size 8 hands such a frame from the fast decoder
    // to the careful one).
    struct Case {
        const char* name;
        int codeSize;
        std::vector<unsigned> codes;
        std::string pixels;
        std::uint8_t mask;
        TLzwStatus status;
    } cases[] = {
        {"code 261 after a clear, code size 8", 8, {256, 261, 5, 257}, "55.", 0x40, TLzwStatus::EndCode},
        // Code size 12 has codes past the table: one as a prefix names nothing, and the data stops.
        {"code 5000 as a prefix, code size 12", 12, {4096, 5000, 6000, 5}, "#..", 0x00, TLzwStatus::BadCode},
    };
    for (const auto& c : cases) {
        BitWriter bw;
        for (unsigned code : c.codes) {
            bw.Put(code, c.codeSize + 1);
        }
        bw.Flush();
        GifBuilder b(3, 1);
        b.Control(0, 0, 5).Raw({0x2C, 0, 0, 0, 0, 3, 0, 1, 0, 0, static_cast<std::uint8_t>(c.codeSize)});
        const Bytes blocks = SubBlocks(bw.out);
        b.bytes.insert(b.bytes.end(), blocks.begin(), blocks.end());
        for (bool careful : {false, true}) {
            TGifStream s;
            s.CarefulDecoding = careful;
            ASSERT_TRUE(Decode(s, b.Trailer().bytes)) << c.name;
            const TFrame& f = s.Frame(1);
            EXPECT_EQ(AsciiOf(f), std::vector<std::string>{c.pixels}) << c.name << (careful ? " careful" : " fast");
            EXPECT_EQ(f.MaskBits[0], c.mask) << c.name << (careful ? " careful" : " fast");
            EXPECT_EQ(f.DataStatus, c.status) << c.name << (careful ? " careful" : " fast");
        }
    }
}

TEST(GifReader, HostileImageData) {
    const Picture p = Ascii({"1212", "3434"});
    const Picture dot = Ascii({"7"});
    auto withCodeSize = [&](int size) {
        Bytes d = GifBuilder(4, 2).Image(p).Image(dot).Trailer().bytes;
        d[13 + 12 + 10] = static_cast<std::uint8_t>(size);
        return d;
    };
    // Code size 2: clear 4, end 5, first free code 6; code lengths grow as the decoder's table does.
    auto withCodes = [&](std::initializer_list<unsigned> codes) {
        BitWriter bw;
        int len = 3;
        unsigned next = 6;
        bool first = true;
        for (unsigned c : codes) {
            bw.Put(c, len);
            if (c == 4) {
                len = 3;
                next = 6;
                first = true;
            } else if (c != 5) {
                if (!first && ++next >= (1u << len) && len < 12) {
                    ++len;
                }
                first = false;
            }
        }
        bw.Flush();
        GifBuilder b(4, 2);
        b.Raw({0x2C, 0, 0, 0, 0, 4, 0, 2, 0, 0, 2});
        const Bytes blocks = SubBlocks(bw.out);
        b.bytes.insert(b.bytes.end(), blocks.begin(), blocks.end());
        b.Image(dot);
        return b.Trailer().bytes;
    };
    struct Case {
        const char* name;
        Bytes data;
        std::vector<std::string> first;
        TLzwStatus status;
    } cases[] = {
        // A code size the tables cannot hold: the frame stays empty, the stream goes on.
        {"code size 13", withCodeSize(13), {"....", "...."}, TLzwStatus::BadCodeSize},
        {"code size 255", withCodeSize(255), {"....", "...."}, TLzwStatus::BadCodeSize},
        // The widest code size the tables hold; the next frame's table reset once ran past them (UBSan).
        {"code size 12", withCodeSize(12), {".#4.", "k..."}, TLzwStatus::EndOfData},
        // A code beyond the next free one once stopped the data: it stands for the entry being defined.
        {"code beyond the next free one", withCodes({4, 1, 7, 3}), {"1113", "...."}, TLzwStatus::EndOfData},
        // Any code right after a clear once stopped the data unless it was a root: it is a pixel.
        {"non-root right after a clear", withCodes({4, 6, 1}), {"61..", "...."}, TLzwStatus::EndOfData},
        {"non-root after a later clear", withCodes({4, 1, 2, 4, 7, 1, 5}), {"1271", "...."}, TLzwStatus::EndCode},
        // The code beyond (7) becomes the prefix of entry 7 itself: walking 7 would never end.
        {"a chain that loops stops the data", withCodes({4, 1, 7, 1, 7, 1}), {"1111", "...."}, TLzwStatus::BadCode},
        {"repeated clears are skipped", withCodes({4, 4, 4, 1, 2, 5}), {"12..", "...."}, TLzwStatus::EndCode},
        {"end code first", withCodes({5, 1, 1}), {"....", "...."}, TLzwStatus::EndCode},
        {"code being defined", withCodes({4, 1, 6, 6, 5}), {"1111", "1..."}, TLzwStatus::EndCode},
        {"extra codes after the last pixel",
         withCodes({4, 1, 1, 6, 7, 6, 1, 5}),
         {"1111", "1111"},
         TLzwStatus::Complete},
    };
    for (const auto& c : cases) {
        for (bool careful : {false, true}) {
            TGifStream s;
            s.CarefulDecoding = careful;
            ASSERT_TRUE(Decode(s, c.data)) << c.name;
            ASSERT_EQ(s.FrameCount(), 2) << c.name;
            EXPECT_EQ(AsciiOf(s.Frame(1)), c.first) << c.name << (careful ? " careful" : " fast");
            EXPECT_EQ(s.Frame(1).DataStatus, c.status) << c.name << (careful ? " careful" : " fast");
            EXPECT_EQ(AsciiOf(s.Frame(2)), std::vector<std::string>{"7"}) << c.name;
        }
    }
}

TEST(GifReader, SizesAndBudgets) {
    const Picture dot = Ascii({"1"});
    auto resized = [&](int screenW, int screenH, int w, int h) {
        Bytes d = GifBuilder(screenW, screenH).Image(dot).Image(dot).Trailer().bytes;
        const std::size_t desc = 13 + 12;
        d[desc + 5] = static_cast<std::uint8_t>(w & 0xFF);
        d[desc + 6] = static_cast<std::uint8_t>(w >> 8);
        d[desc + 7] = static_cast<std::uint8_t>(h & 0xFF);
        d[desc + 8] = static_cast<std::uint8_t>(h >> 8);
        return d;
    };
    ImageOptions at57;
    at57.left = 5;
    at57.top = 7;
    Bytes placed = GifBuilder(2, 2).Image(dot, at57).Trailer().bytes;
    struct Case {
        const char* name;
        Bytes data;
        bool ok;
        TGifFault fault;
        int frames, imageWidth, imageHeight;
    } cases[] = {
        {"frame 0 wide is empty", resized(1, 1, 0, 1), true, TGifFault::None, 2, 1, 1},
        {"frame 0 high is empty", resized(1, 1, 1, 0), true, TGifFault::None, 2, 1, 1},
        {"frames widen the image", placed, true, TGifFault::None, 1, 6, 8},
        {"65535 x 65535 frame", resized(1, 1, 65535, 65535), false, TGifFault::FrameTooLarge, 0, 0, 0},
        {"65535 x 65535 screen", resized(65535, 65535, 1, 1), false, TGifFault::ImageTooLarge, 0, 0, 0},
        {"65535 x 1 frame", resized(1, 1, 65535, 1), true, TGifFault::None, 2, 65535, 1},
    };
    for (const auto& c : cases) {
        TGifStream s;
        EXPECT_EQ(Decode(s, c.data), c.ok) << c.name;
        EXPECT_EQ(s.LastError, c.ok ? 0 : 3) << c.name;
        EXPECT_EQ(s.Fault, c.fault) << c.name;
        EXPECT_EQ(s.FrameCount(), c.frames) << c.name;
        EXPECT_EQ(s.ImageWidth, c.imageWidth) << c.name;
        EXPECT_EQ(s.ImageHeight, c.imageHeight) << c.name;
    }
}

TEST(GifReader, StreamBudgetCountsPixelsAndMasks) {
    // 4 x 4 frames: 16 pixel bytes, and 16 mask bytes (4 rows of 4) when transparent.
    const Picture p = Ascii({"1111", "1111", "1111", "1111"});
    struct Case {
        const char* name;
        int frames;
        bool transparent;
        bool ok;
    } cases[] = {
        {"6 opaque frames fit 100 bytes", 6, false, true},
        {"7 opaque frames do not", 7, false, false},
        {"3 transparent frames fit", 3, true, true},
        {"4 transparent frames do not", 4, true, false},
    };
    for (const auto& c : cases) {
        GifBuilder b(4, 4);
        for (int i = 0; i < c.frames; ++i) {
            if (c.transparent) {
                b.Control(0, 0, 1);
            }
            b.Image(p);
        }
        TGifStream s;
        s.StreamBudget = 100;
        EXPECT_EQ(Decode(s, b.Trailer().bytes), c.ok) << c.name;
        EXPECT_EQ(s.Fault, c.ok ? TGifFault::None : TGifFault::StreamTooLarge) << c.name;
        EXPECT_EQ(s.FrameCount(), c.ok ? c.frames : 0) << c.name;
    }
}

TEST(GifReader, CutAtEveryByte) {
    // A file cut anywhere after its header loads, keeps every frame that was complete, and keeps the frame
    // being read with index 0 where its data stopped.
    const Picture a = Ascii({"1234", "5678", "1234"});
    const Picture b = Ascii({"2222", "3333", "4444"});
    ImageOptions interlaced;
    interlaced.interlaced = true;
    interlaced.lzw.blockSize = 3;
    const Bytes whole = GifBuilder(4, 3).Loop(2).Comment("hi").Control(1, 3, 4).Image(a, interlaced).Image(b).bytes;
    const std::size_t header = 13 + 12;
    for (std::size_t cut = 0; cut <= whole.size(); ++cut) {
        for (bool careful : {false, true}) {
            const Bytes part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
            TGifStream s;
            s.CarefulDecoding = careful;
            const bool ok = Decode(s, part);
            EXPECT_EQ(ok, cut >= header) << "cut at " << cut;
            for (int n = 1; n <= s.FrameCount(); ++n) {
                const TFrame& f = s.Frame(n);
                const Picture& want = n == 1 ? a : b;
                for (int y = 0; y < f.Height; ++y) {
                    for (int x = 0; x < f.Width; ++x) {
                        const int v = f.PixelAt(x, y);
                        EXPECT_TRUE(v == 0 || v == want.pixels[static_cast<std::size_t>(y) * 4 + x])
                            << "cut at " << cut << " frame " << n;
                    }
                }
            }
            if (cut == whole.size()) {
                EXPECT_EQ(s.FrameCount(), 2);
                EXPECT_EQ(AsciiOf(s.Frame(2)), AsciiOf(b));
            }
        }
    }
}

TEST(GifReader, ProgressReports) {
    struct Report {
        int done, total, percent;
    };
    auto run = [](int w, int h, bool interlaced, int cancelAt, std::vector<Report>& reports, int blockSize = 255) {
        std::mt19937 rng(5);
        Picture p{w, h, {}};
        for (int i = 0; i < w * h; ++i) {
            p.pixels.push_back(static_cast<std::uint8_t>(rng() % 3));
        }
        ImageOptions o;
        o.interlaced = interlaced;
        o.lzw.blockSize = blockSize;
        const Bytes d = GifBuilder(w, h).Image(p, o).Trailer().bytes;
        TGifStream s;
        s.OnProgress = [&](int done, int total, int percent, bool& keep) {
            reports.push_back({done, total, percent});
            if (static_cast<int>(reports.size()) == cancelAt) {
                keep = false;
            }
        };
        const bool ok = s.DecodeData(d.data(), d.size());
        return std::make_pair(ok, static_cast<int>(s.LastError));
    };
    struct Case {
        const char* name;
        int w, h;
        bool interlaced;
        int reports;  // before the image, before the trailer, after the loop, and rows
        int blockSize;
    } cases[] = {
        {"400 x 300 reports rows 0, 32, ... 288", 400, 300, false, 3 + 10, 255},
        {"300 x 300 reports no rows", 300, 300, false, 3, 255},
        {"320 x 320 reports rows 0, 64, ... 256", 320, 320, false, 3 + 5, 255},
        {"400 x 300 interlaced: the same rows, met in pass 1", 400, 300, true, 3 + 10, 255},
        {"400 x 300 in one-byte sub-blocks", 400, 300, false, 3 + 10, 1},
    };
    for (const auto& c : cases) {
        std::vector<Report> reports;
        const auto result = run(c.w, c.h, c.interlaced, -1, reports, c.blockSize);
        EXPECT_TRUE(result.first) << c.name;
        EXPECT_EQ(static_cast<int>(reports.size()), c.reports) << c.name;
        ASSERT_FALSE(reports.empty());
        EXPECT_EQ(reports.back().done, reports.back().total) << c.name;
        EXPECT_EQ(reports.back().percent, 100) << c.name;
        for (std::size_t i = 1; i < reports.size(); ++i) {
            EXPECT_LT(reports[i - 1].done, reports[i].done) << c.name;
        }
    }
    // Cancelling, wherever it happens, fails the load with code 1 and drops every frame.
    for (int cancelAt : {1, 2, 5, 13}) {
        std::vector<Report> reports;
        const auto result = run(400, 300, false, cancelAt, reports);
        EXPECT_FALSE(result.first) << cancelAt;
        EXPECT_EQ(result.second, 1) << cancelAt;
        EXPECT_EQ(static_cast<int>(reports.size()), cancelAt);
    }
}

}  // namespace

namespace {

// Arbitrary code streams for every code size up to 8: the fast decoder must match the per-pixel one bit for
// bit (code sizes 0 and 1 catch widening the codes without adding an entry: there the first free code already
// reaches the width threshold right after a clear code).
TEST(GifReader, FastAndCarefulDecodersAgreeOnRandomData) {
    std::mt19937 rng(11);
    int compared = 0;
    for (int round = 0; round < 400; ++round) {
        const int codeSize = round % 9;
        const int w = 1 + static_cast<int>(rng() % 40);
        const int h = 1 + static_cast<int>(rng() % 12);
        // Mostly small codes, so that streams run long before a code names no entry.
        BitWriter bw;
        const unsigned clear = 1u << codeSize;
        for (int i = 0; i < 400; ++i) {
            const unsigned r = rng() % 16;
            const unsigned code = r == 0 ? clear : r < 10 ? static_cast<unsigned>(rng() % clear) : clear + 2 + r;
            bw.Put(code, codeSize + 1 + static_cast<int>(rng() % 2));
        }
        bw.Flush();
        GifBuilder b(w, h);
        b.Control(0, 0, static_cast<int>(rng() % 4));
        b.Raw({0x2C, 0, 0, 0, 0, static_cast<std::uint8_t>(w), 0, static_cast<std::uint8_t>(h), 0,
               static_cast<std::uint8_t>(round % 2 ? 0x40 : 0), static_cast<std::uint8_t>(codeSize)});
        const Bytes blocks = SubBlocks(bw.out, 1 + static_cast<int>(rng() % 255));
        b.bytes.insert(b.bytes.end(), blocks.begin(), blocks.end());
        const Bytes d = b.Trailer().bytes;
        TGifStream fast, careful;
        careful.CarefulDecoding = true;
        ASSERT_TRUE(Decode(fast, d));
        ASSERT_TRUE(Decode(careful, d));
        EXPECT_EQ(AsciiOf(fast.Frame(1)), AsciiOf(careful.Frame(1))) << "round " << round;
        EXPECT_EQ(fast.Frame(1).MaskBits, careful.Frame(1).MaskBits) << "round " << round;
        EXPECT_EQ(fast.Frame(1).DataStatus, careful.Frame(1).DataStatus) << "round " << round;
        compared += fast.Frame(1).DataStatus != TLzwStatus::BadCode;
    }
    EXPECT_GT(compared, 40);
}

}  // namespace

}  // namespace gif_reader_test
