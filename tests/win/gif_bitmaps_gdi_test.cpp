// A decoded frame painted into device bitmaps shows exactly what the memory backend shows: the
// picture in its table's colours, black where transparent, and the mask.

#include <gtest/gtest.h>
#include <windows.h>

#include "controls/GIFBitmaps.h"
#include "controls/GIFBitmapsGdi.h"
#include "framework/MemoryCanvas.h"
#include "framework/win32/GdiCanvas.h"
#include "tests/unit/gif_test_support.h"

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

TEST(GifBitmapsGdi, DeviceBitmapsMatchTheMemoryBackend) {
    const Picture picture = Ascii({
        "12321",
        "2..3.",
        "33112",
    });
    // Rows cut short: the pixels never decoded are index 0 and opaque, although 0 is the transparent index.
    Picture cut = Ascii({"1.2.3"});
    cut.height = 3;
    struct Case {
        Picture picture;
        int transparentIndex;
    } cases[] = {{picture, -1}, {picture, 2}, {picture, 0}, {cut, 0}};
    for (const Case& c : cases) {
        TGifStream stream;
        const Bytes data = GifBuilder(5, 3).Control(0, 0, c.transparentIndex).Image(c.picture).Trailer().bytes;
        ASSERT_TRUE(stream.DecodeData(data.data(), data.size()));
        const TFrame& frame = stream.Frame(1);
        ASSERT_EQ(EightBitPicture(frame), c.picture.pixels.size() == 15) << "the cut frame takes 32 bits";
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
