#include <gtest/gtest.h>

#include "controls/GIFBitmaps.h"
#include "framework/MemoryCanvas.h"
#include "tests/unit/gif_test_support.h"

namespace gif_bitmaps_test {

using namespace giftest;

namespace {

// Colours, and black and white, as letters: the frame's colour-table entries by index, 'B' black, 'W' white.
std::vector<std::string> Letters(const TBitmap& b, const TFrame& f) {
    std::vector<std::string> rows;
    for (int y = 0; y < b.Height(); ++y) {
        std::string row;
        for (int x = 0; x < b.Width(); ++x) {
            const TColor c = b.Canvas().GetPixel(x, y);
            char letter = '?';
            for (int i = 0; i < f.ColorCount; ++i) {
                if (c == RGBColor(f.Colors[i * 3], f.Colors[i * 3 + 1], f.Colors[i * 3 + 2])) {
                    letter = static_cast<char>('0' + i);
                    break;
                }
            }
            row += c == clBlack ? 'B' : c == clWhite ? 'W' : letter;
        }
        rows.push_back(row);
    }
    return rows;
}

TEST(GifBitmaps, PictureAndMask) {
    // Global table of 4: entry i is (i, 2i, 255 - i), so none is black or white.
    const Picture p = Ascii({
        "1232",
        "2..3",
    });
    struct Case {
        const char* name;
        int transparentIndex;
        std::vector<std::string> picture, mask;
    } cases[] = {
        {"opaque", -1, {"1232", "2003"}, {}},
        {"index 2 transparent", 2, {"1B3B", "B003"}, {"BWBW", "WBBB"}},
        {"index 0 transparent", 0, {"1232", "2BB3"}, {"BBBB", "BWWB"}},
    };
    TMemoryCanvas screen(8, 8);
    for (const auto& c : cases) {
        TGifStream s;
        const Bytes d = GifBuilder(4, 2).Control(0, 0, c.transparentIndex).Image(p).Trailer().bytes;
        ASSERT_TRUE(s.DecodeData(d.data(), d.size()));
        const TFrame& f = s.Frame(1);
        const TFrameBitmaps b = PaintFrame(f, screen);
        ASSERT_TRUE(b.Bitmap);
        EXPECT_EQ(Letters(*b.Bitmap, f), c.picture) << c.name;
        ASSERT_EQ(b.Mask != nullptr, !c.mask.empty()) << c.name;
        if (b.Mask) {
            EXPECT_EQ(Letters(*b.Mask, f), c.mask) << c.name;
        }
    }
}

// A transparent frame is an 8-bit picture exactly when its mask marks the pixels that store the transparent index
// and no others: a pixel that breaks this anywhere in a row of two whole groups of eight and a part is found, and
// the mask's padding after the row does not count.
TEST(GifBitmaps, EightBitPictureChecksEveryPixel) {
    Picture p;
    p.width = 21;
    p.height = 2;
    for (int i = 0; i < p.width * p.height; ++i) {
        p.pixels.push_back(static_cast<std::uint8_t>(i * 7 % 5));
    }
    TGifStream s;
    const Bytes d = GifBuilder(21, 2, 3).Control(0, 0, 3).Image(p).Trailer().bytes;
    ASSERT_TRUE(s.DecodeData(d.data(), d.size()));
    const TFrame& decoded = s.Frame(1);
    ASSERT_TRUE(EightBitPicture(decoded));
    TFrame padded = decoded;
    for (int y = 0; y < 2; ++y) {
        padded.MaskBits[static_cast<std::size_t>(y) * padded.MaskStride + 2] |= 0x07;
        padded.MaskBits[static_cast<std::size_t>(y) * padded.MaskStride + 3] = 0xFF;
    }
    EXPECT_TRUE(EightBitPicture(padded)) << "have false with the mask's padding set, want true";
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 21; ++x) {
            TFrame mask = decoded;
            mask.MaskBits[static_cast<std::size_t>(y) * mask.MaskStride + (x >> 3)] ^= 0x80 >> (x & 7);
            TFrame index = decoded;
            std::uint8_t& v = index.Pixels[static_cast<std::size_t>(y) * index.PixelStride + x];
            v = v == 3 ? 4 : 3;
            EXPECT_FALSE(EightBitPicture(mask)) << "mask bit flipped at " << x << "," << y << ": have true, want false";
            EXPECT_FALSE(EightBitPicture(index)) << "index changed at " << x << "," << y << ": have true, want false";
        }
    }
}

}  // namespace

}  // namespace gif_bitmaps_test
