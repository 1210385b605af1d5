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

// A top-down DIB section of the frame's size, 8 bits through `colours` or 32 bits, and where its pixels are.
UniqueGdiObject PictureSection(int width, int height, const RGBQUAD* colours, void*& pixels) {
    struct {
        BITMAPINFOHEADER Header;
        RGBQUAD Colors[256];
    } info{};
    info.Header.biSize = sizeof(BITMAPINFOHEADER);
    info.Header.biWidth = width;
    info.Header.biHeight = -height;
    info.Header.biPlanes = 1;
    info.Header.biBitCount = colours != nullptr ? 8 : 32;
    info.Header.biCompression = BI_RGB;
    if (colours != nullptr) {
        info.Header.biClrUsed = 256;
        std::memcpy(info.Colors, colours, sizeof info.Colors);
    }
    pixels = nullptr;
    return UniqueGdiObject(
        CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, &pixels, nullptr, 0));
}

void WriteMaskedPicture(const TFrame& frame, const RGBQUAD* colours, std::uint32_t* pixels) {
    const bool masked =
        frame.Transparent && frame.MaskStride * 8 >= frame.Width &&
        frame.MaskBits.size() >= static_cast<std::size_t>(frame.MaskStride) * static_cast<std::size_t>(frame.Height);
    for (int y = 0; y < frame.Height; ++y) {
        const std::uint8_t* in =
            &frame.Pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(frame.PixelStride)];
        std::uint32_t* row = pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(frame.Width);
        for (int x = 0; x < frame.Width; ++x) {
            const RGBQUAD& c = colours[in[x]];
            row[x] = static_cast<std::uint32_t>(c.rgbBlue) | static_cast<std::uint32_t>(c.rgbGreen) << 8 |
                     static_cast<std::uint32_t>(c.rgbRed) << 16;
        }
        if (!masked) {
            continue;
        }
        const std::uint8_t* mask =
            &frame.MaskBits[static_cast<std::size_t>(y) * static_cast<std::size_t>(frame.MaskStride)];
        for (int x = 0; x < frame.Width; ++x) {
            if ((mask[x >> 3] & (0x80 >> (x & 7))) != 0) {
                row[x] = 0;
            }
        }
    }
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
    // Indexes beyond the frame's table are black, as its unused entries are.
    RGBQUAD colours[256] = {};
    const int count = std::clamp(frame.ColorCount, 0, 256);
    for (int i = 0; i < count; ++i) {
        colours[i] = {frame.Colors[i * 3 + 2], frame.Colors[i * 3 + 1], frame.Colors[i * 3], 0};
    }
    UniqueGdiObject picture;
    void* bits = nullptr;
    if (EightBitPicture(frame)) {
        // The reader's rows are already a top-down 8-bit DIB's: one copy, and the transparent index is black.
        if (frame.Transparent) {
            colours[frame.TransparentIndex] = {0, 0, 0, 0};
        }
        picture = PictureSection(frame.Width, frame.Height, colours, bits);
        if (!picture || bits == nullptr) {
            throw EGifDevice{};
        }
        std::memcpy(bits, frame.Pixels.data(),
                    static_cast<std::size_t>(frame.PixelStride) * static_cast<std::size_t>(frame.Height));
    } else {
        // Some pixel has the transparent index and is opaque (never decoded): 32 bits through the table, black
        // exactly under the mask.
        picture = PictureSection(frame.Width, frame.Height, nullptr, bits);
        if (!picture || bits == nullptr) {
            throw EGifDevice{};
        }
        WriteMaskedPicture(frame, colours, static_cast<std::uint32_t*>(bits));
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
