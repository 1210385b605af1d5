#include "controls/GIFBitmapsGdi.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "framework/win32/GdiCanvas.h"
#include "framework/win32/Handles.h"

namespace {

// A bitmap this unit made, selected into a memory DC of its own for as long as it lives.
class TGifDeviceBitmap : public TBitmap {
public:
    TGifDeviceBitmap(UniqueGdiObject bitmap, int width, int height)
        : BitmapWidth(width), BitmapHeight(height), Dc(CreateCompatibleDC(nullptr)), Bitmap(std::move(bitmap)) {
        if (!Dc || !Bitmap) {
            throw EGifDevice{};
        }
        Selection.emplace(Dc.Get(), Bitmap.Get());
        Surface.emplace(Dc.Get(), BitmapWidth, BitmapHeight);
    }
    TGifDeviceBitmap(const TGifDeviceBitmap&) = delete;
    TGifDeviceBitmap& operator=(const TGifDeviceBitmap&) = delete;
    ~TGifDeviceBitmap() override {
        // The canvas gives back its objects, then the bitmap leaves the DC before it is deleted.
        Surface.reset();
        Selection.reset();
    }

    int Width() const override { return BitmapWidth; }
    int Height() const override { return BitmapHeight; }
    TCanvas& Canvas() override { return *Surface; }
    const TCanvas& Canvas() const override { return *Surface; }
    HDC Handle() const { return Dc.Get(); }

private:
    int BitmapWidth;
    int BitmapHeight;
    MemoryDc Dc;
    UniqueGdiObject Bitmap;
    std::optional<SelectGuard> Selection;
    std::optional<TGdiCanvas> Surface;
};

// GDI refuses bitmaps of no pixels; a frame or image 0 wide or high gets a 1 x 1 stand-in that nothing
// ever copies from (every copy is of its nominal, empty size).
int Real(int v) {
    return std::max(v, 1);
}

UniqueGdiObject MonoBitmap(int width, int height, const void* bits) {
    return UniqueGdiObject(CreateBitmap(Real(width), Real(height), 1, 1, bits));
}

// The reader's mask rows are padded to 32 bits like a DIB; a monochrome device bitmap wants 16.
std::vector<std::uint8_t> WordRows(const TFrame& frame) {
    const std::size_t stride = (static_cast<std::size_t>(frame.Width) + 15) / 16 * 2;
    std::vector<std::uint8_t> rows(stride * static_cast<std::size_t>(frame.Height));
    if (frame.MaskBits.size() < static_cast<std::size_t>(frame.MaskStride) * static_cast<std::size_t>(frame.Height) ||
        static_cast<std::size_t>(frame.MaskStride) < stride) {
        return rows;  // no mask to read: all opaque
    }
    for (int y = 0; y < frame.Height; ++y) {
        std::memcpy(&rows[stride * static_cast<std::size_t>(y)],
                    &frame.MaskBits[static_cast<std::size_t>(frame.MaskStride) * static_cast<std::size_t>(y)], stride);
    }
    return rows;
}

// A 32-bit top-down DIB section of the frame's size, and where its pixels are.
UniqueGdiObject PictureSection(int width, int height, std::uint32_t*& pixels) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueGdiObject section(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    pixels = static_cast<std::uint32_t*>(bits);
    return section;
}

}  // namespace

std::unique_ptr<TBitmap> TGdiGifDevice::CreateColor(int width, int height) {
    auto bitmap = std::make_unique<TGdiBitmap>(nullptr, Real(width), Real(height));
    if (!bitmap->Valid()) {
        throw EGifDevice{};
    }
    return bitmap;
}

std::unique_ptr<TBitmap> TGdiGifDevice::CreateMono(int width, int height) {
    auto bitmap = std::make_unique<TGifDeviceBitmap>(MonoBitmap(width, height, nullptr), Real(width), Real(height));
    PatBlt(bitmap->Handle(), 0, 0, Real(width), Real(height), BLACKNESS);
    return bitmap;
}

TFrameBitmaps TGdiGifDevice::CreateFrame(const TFrame& frame) {
    TFrameBitmaps out;
    const bool hasPixels =
        frame.Width > 0 && frame.Height > 0 && frame.PixelStride >= frame.Width &&
        frame.Pixels.size() >= static_cast<std::size_t>(frame.PixelStride) * static_cast<std::size_t>(frame.Height);
    if (!hasPixels) {
        out.Bitmap = CreateColor(frame.Width, frame.Height);
        if (frame.Transparent) {
            out.Mask = CreateMono(frame.Width, frame.Height);
        }
        return out;
    }
    // The picture is written straight into a 32-bit DIB section through the frame's colour table: one pass
    // over the indices, no conversion by GDI, and black under the mask in the same pass.
    std::uint32_t colours[256] = {};
    const int count = std::clamp(frame.ColorCount, 0, 256);
    for (int i = 0; i < count; ++i) {
        colours[i] = static_cast<std::uint32_t>(frame.Colors[i * 3 + 2]) |
                     static_cast<std::uint32_t>(frame.Colors[i * 3 + 1]) << 8 |
                     static_cast<std::uint32_t>(frame.Colors[i * 3]) << 16;
    }
    std::uint32_t* pixels = nullptr;
    UniqueGdiObject picture = PictureSection(frame.Width, frame.Height, pixels);
    if (!picture || pixels == nullptr) {
        throw EGifDevice{};
    }
    const bool masked = frame.Transparent && frame.MaskBits.size() >= static_cast<std::size_t>(frame.MaskStride) *
                                                                          static_cast<std::size_t>(frame.Height);
    for (int y = 0; y < frame.Height; ++y) {
        const std::uint8_t* in =
            &frame.Pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(frame.PixelStride)];
        std::uint32_t* row = pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(frame.Width);
        for (int x = 0; x < frame.Width; ++x) {
            row[x] = colours[in[x]];
        }
        if (!masked) {
            continue;
        }
        const std::uint8_t* bits =
            &frame.MaskBits[static_cast<std::size_t>(y) * static_cast<std::size_t>(frame.MaskStride)];
        for (int x = 0; x < frame.Width; x += 8) {
            const std::uint8_t eight = bits[x >> 3];
            if (eight == 0) {
                continue;
            }
            for (int i = 0; i < 8 && x + i < frame.Width; ++i) {
                if ((eight & (0x80 >> i)) != 0) {
                    row[x + i] = 0;
                }
            }
        }
    }
    auto bitmap = std::make_unique<TGifDeviceBitmap>(std::move(picture), frame.Width, frame.Height);
    if (frame.Transparent) {
        const std::vector<std::uint8_t> rows = WordRows(frame);
        auto mask = std::make_unique<TGifDeviceBitmap>(MonoBitmap(frame.Width, frame.Height, rows.data()), frame.Width,
                                                       frame.Height);
        out.Mask = std::move(mask);
    }
    out.Bitmap = std::move(bitmap);
    return out;
}
