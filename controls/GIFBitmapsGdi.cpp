#include "controls/GIFBitmapsGdi.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "framework/win32/GdiCanvas.h"
#include "framework/win32/Handles.h"

namespace {

// A bitmap this unit made. It is selected into a memory DC of its own the first time it is drawn on or copied
// from, not when it is made: a load makes bitmaps for every frame but draws only the first, and under Wine a memory
// DC cost more than the bitmaps it holds (480 DCs took 8 to 11 ms, 240 picture sections of 100 x 100 pixels 2 to
// 7 ms and their masks 0.3 ms), so that loading an animation of small frames went slower than decoding it with
// giflib.
class TGifDeviceBitmap : public TBitmap {
public:
    TGifDeviceBitmap(UniqueGdiObject bitmap, int width, int height)
        : BitmapWidth(width), BitmapHeight(height), Bitmap(std::move(bitmap)) {
        if (!Bitmap) {
            throw EGifDevice{};
        }
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
    TCanvas& Canvas() override { return Attached(); }
    const TCanvas& Canvas() const override { return Attached(); }
    // Null when no DC can be made.
    HDC Handle() const { return Attached().Dc(); }

private:
    // The canvas on the bitmap's DC. When no DC can be made, a canvas without one, which draws and copies
    // nothing, and the next use tries again.
    TGdiCanvas& Attached() const {
        if (!Dc) {
            MemoryDc dc(CreateCompatibleDC(nullptr));
            if (dc || !Surface) {
                Surface.reset();
                Dc = std::move(dc);
                if (Dc) {
                    Selection.emplace(Dc.Get(), Bitmap.Get());
                }
                Surface.emplace(Dc.Get(), BitmapWidth, BitmapHeight);
            }
        }
        return *Surface;
    }

    int BitmapWidth;
    int BitmapHeight;
    UniqueGdiObject Bitmap;
    mutable MemoryDc Dc;
    mutable std::optional<SelectGuard> Selection;
    mutable std::optional<TGdiCanvas> Surface;
};

// GDI refuses bitmaps of no pixels; a frame or image 0 wide or high gets a 1 x 1 stand-in that nothing
// ever copies from (every copy is of its nominal, empty size).
int Real(int v) {
    return std::max(v, 1);
}

UniqueGdiObject MonoBitmap(int width, int height, const void* bits) {
    return UniqueGdiObject(CreateBitmap(Real(width), Real(height), 1, 1, bits));
}

// A top-down DIB section of the given size, 8 bits through `colours` or 32 bits, and where its pixels are.
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
    if (bitmap->Handle() == nullptr) {
        throw EGifDevice{};
    }
    PatBlt(bitmap->Handle(), 0, 0, Real(width), Real(height), BLACKNESS);
    return bitmap;
}

std::unique_ptr<TBitmap> TGdiGifDevice::CreateIndexedPicture(int width,
                                                             int height,
                                                             const std::uint8_t* rows,
                                                             int stride,
                                                             const TDibColor* colours) {
    // A DIB colour entry is blue, green, red, reserved: the same bytes as a TDibColor.
    static_assert(sizeof(RGBQUAD) == sizeof(TDibColor));
    RGBQUAD table[256];
    std::memcpy(table, colours, sizeof table);
    void* bits = nullptr;
    UniqueGdiObject picture = PictureSection(width, height, table, bits);
    if (!picture || bits == nullptr) {
        throw EGifDevice{};
    }
    // The rows are already a DIB's: padded to 4 bytes.
    const std::size_t dibStride = (static_cast<std::size_t>(width) + 3) & ~std::size_t{3};
    if (static_cast<std::size_t>(stride) == dibStride) {
        std::memcpy(bits, rows, dibStride * static_cast<std::size_t>(height));
    } else {
        for (int y = 0; y < height; ++y) {
            std::memcpy(static_cast<std::uint8_t*>(bits) + dibStride * static_cast<std::size_t>(y),
                        rows + static_cast<std::size_t>(stride) * static_cast<std::size_t>(y),
                        std::min(dibStride, static_cast<std::size_t>(stride)));
        }
    }
    return std::make_unique<TGifDeviceBitmap>(std::move(picture), width, height);
}

std::unique_ptr<TBitmap> TGdiGifDevice::CreateTruePicture(int width,
                                                          int height,
                                                          const std::function<void(TDibColor* pixels)>& write) {
    void* bits = nullptr;
    UniqueGdiObject picture = PictureSection(width, height, nullptr, bits);
    if (!picture || bits == nullptr) {
        throw EGifDevice{};
    }
    write(static_cast<TDibColor*>(bits));
    return std::make_unique<TGifDeviceBitmap>(std::move(picture), width, height);
}

std::unique_ptr<TBitmap> TGdiGifDevice::CreateMaskFrom(int width, int height, const std::uint8_t* rows, int stride) {
    // A monochrome device bitmap wants rows padded to 16 bits.
    const std::size_t words = (static_cast<std::size_t>(width) + 15) / 16 * 2;
    std::vector<std::uint8_t> packed(words * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        std::memcpy(&packed[words * static_cast<std::size_t>(y)], rows + static_cast<std::size_t>(stride) * y,
                    std::min(words, static_cast<std::size_t>(stride)));
    }
    return std::make_unique<TGifDeviceBitmap>(MonoBitmap(width, height, packed.data()), Real(width), Real(height));
}
