// A decoded frame painted into device bitmaps shows exactly what the memory backend shows: the
// picture in its table's colours, black where transparent, and the mask.

#include <gtest/gtest.h>
#include <windows.h>

#include "controls/GIFBitmaps.h"
#include "controls/GIFBitmapsGdi.h"
#include "framework/MemoryCanvas.h"
#include "framework/win32/GdiCanvas.h"
#include "tests/unit/gif_test_support.h"

namespace gif_bitmaps_gdi_test {

using namespace giftest;

namespace {

void ExpectSamePixels(const TBitmap& gdi, const TBitmap& memory, const char* what) {
    ASSERT_EQ(gdi.Width(), memory.Width()) << what;
    ASSERT_EQ(gdi.Height(), memory.Height()) << what;
    for (int y = 0; y < gdi.Height(); ++y) {
        for (int x = 0; x < gdi.Width(); ++x) {
            ASSERT_EQ(gdi.Canvas().GetPixel(x, y), memory.Canvas().GetPixel(x, y)) << what << " at " << x << "," << y;
        }
    }
}

// Three pixels with code size 9 and transparent index 5: codes 5, 261 and 1. The second pixel stores the low
// byte 5 but is not the transparent index, so it shows colour 5.
Bytes CodeAboveAByte() {
    GifBuilder gif(3, 1, 3);
    gif.Control(0, 0, 5).Raw({0x2C, 0, 0, 0, 0, 3, 0, 1, 0, 0, 9});
    BitWriter codes;
    for (const unsigned code : {512u, 5u, 261u, 1u, 513u}) {
        codes.Put(code, 10);
    }
    codes.Flush();
    const Bytes blocks = SubBlocks(codes.out);
    gif.bytes.insert(gif.bytes.end(), blocks.begin(), blocks.end());
    return gif.Trailer().bytes;
}

TEST(GifBitmapsGdi, DeviceBitmapsMatchTheMemoryBackend) {
    const Picture picture = Ascii({
        "12321",
        "2..3.",
        "33112",
    });
    // Rows cut short: the pixels never decoded are index 0 and opaque, although 0 is the transparent index.
    Picture cut = Ascii({"1.2.3"});
    cut.height = 3;
    auto gif = [](const Picture& p, int transparentIndex) {
        return GifBuilder(5, 3).Control(0, 0, transparentIndex).Image(p).Trailer().bytes;
    };
    struct Case {
        const char* name;
        Bytes data;
        bool eightBit;  // the picture can be an 8-bit bitmap with the transparent index blacked out
    } cases[] = {
        {"opaque", gif(picture, -1), true},
        {"index 2 transparent", gif(picture, 2), true},
        {"index 0 transparent", gif(picture, 0), true},
        {"cut short, index 0 transparent", gif(cut, 0), false},
        {"a code above a byte whose low byte is the transparent index", CodeAboveAByte(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TGifStream stream;
        ASSERT_TRUE(stream.DecodeData(c.data.data(), c.data.size()));
        const TFrame& frame = stream.Frame(1);
        EXPECT_EQ(EightBitPicture(frame), c.eightBit);
        TGdiBitmap screen(nullptr, 8, 8);
        TMemoryCanvas memoryScreen(8, 8);
        const TFrameBitmaps memory = PaintFrame(frame, memoryScreen);
        TGdiGifDevice device;
        // Pixel by pixel on a GDI canvas, and in bulk as the control makes them at load.
        for (const TFrameBitmaps& gdi : {PaintFrame(frame, screen.Canvas()), device.CreateFrame(frame)}) {
            ASSERT_TRUE(gdi.Bitmap && memory.Bitmap);
            ExpectSamePixels(*gdi.Bitmap, *memory.Bitmap, "picture");
            ASSERT_EQ(gdi.Mask != nullptr, memory.Mask != nullptr);
            if (gdi.Mask) {
                ExpectSamePixels(*gdi.Mask, *memory.Mask, "mask");
            }
        }
    }
}

}  // namespace

}  // namespace gif_bitmaps_gdi_test
