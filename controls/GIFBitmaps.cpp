#include "controls/GIFBitmaps.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "framework/MemoryCanvas.h"

TFrameBitmaps PaintFrame(const TFrame& frame, const TCanvas& compatible) {
    TFrameBitmaps out;
    out.Bitmap = compatible.CreateBitmap(frame.Width, frame.Height);
    if (frame.Transparent) {
        out.Mask = compatible.CreateBitmap(frame.Width, frame.Height);
    }
    TCanvas& picture = out.Bitmap->Canvas();
    for (int y = 0; y < frame.Height; ++y) {
        for (int x = 0; x < frame.Width; ++x) {
            if (frame.IsTransparentAt(x, y)) {
                // The picture is black under the mask, so that AND with the mask and then XOR with the picture
                // leaves what lay beneath.
                picture.SetPixel(x, y, clBlack);
                out.Mask->Canvas().SetPixel(x, y, clWhite);
                continue;
            }
            const std::size_t i = std::size_t{frame.PixelAt(x, y)} * 3;
            picture.SetPixel(x, y, RGBColor(frame.Colors[i], frame.Colors[i + 1], frame.Colors[i + 2]));
            if (out.Mask) {
                out.Mask->Canvas().SetPixel(x, y, clBlack);
            }
        }
    }
    return out;
}

namespace {

using TDibColor = TGifDevice::TDibColor;

TDibColor Dib(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return static_cast<TDibColor>(blue) | static_cast<TDibColor>(green) << 8 | static_cast<TDibColor>(red) << 16;
}

TColor FromDib(TDibColor c) {
    return RGBColor(static_cast<int>((c >> 16) & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>(c & 0xFF));
}

bool HasPixels(const TFrame& frame) {
    return frame.Width > 0 && frame.Height > 0 && frame.PixelStride >= frame.Width &&
           frame.Pixels.size() >= static_cast<std::size_t>(frame.PixelStride) * static_cast<std::size_t>(frame.Height);
}

bool HasMask(const TFrame& frame) {
    return frame.Transparent &&
           static_cast<std::size_t>(frame.MaskStride) * 8 >= static_cast<std::size_t>(frame.Width) &&
           frame.MaskBits.size() >= static_cast<std::size_t>(frame.MaskStride) * static_cast<std::size_t>(frame.Height);
}

// Through the colour table, and black exactly under the mask.
void WriteMaskedPicture(const TFrame& frame, const TDibColor* colours, TDibColor* pixels) {
    const bool masked = HasMask(frame);
    for (int y = 0; y < frame.Height; ++y) {
        const std::uint8_t* in =
            &frame.Pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(frame.PixelStride)];
        TDibColor* row = pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(frame.Width);
        for (int x = 0; x < frame.Width; ++x) {
            row[x] = colours[in[x]];
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

std::uint64_t ColorBytes(std::uint64_t w, std::uint64_t h) {
    return w * h * 4;
}

std::uint64_t MonoBytes(std::uint64_t w, std::uint64_t h) {
    return (w + 15) / 16 * 2 * h;
}

}  // namespace

TFrameBitmaps TGifDevice::CreateFrame(const TFrame& frame) {
    return CreateFrame(frame, EightBitPicture(frame));
}

TFrameBitmaps TGifDevice::CreateFrame(const TFrame& frame, bool eightBit) {
    TFrameBitmaps out;
    if (!HasPixels(frame)) {
        out.Bitmap = CreateColor(frame.Width, frame.Height);
        if (frame.Transparent) {
            out.Mask = CreateMono(frame.Width, frame.Height);
        }
        return out;
    }
    // Indexes beyond the frame's table are black, as its unused entries are.
    TDibColor colours[256] = {};
    const int count = std::clamp(frame.ColorCount, 0, 256);
    for (int i = 0; i < count; ++i) {
        colours[i] = Dib(frame.Colors[i * 3], frame.Colors[i * 3 + 1], frame.Colors[i * 3 + 2]);
    }
    if (eightBit) {
        // The reader's rows are already a top-down 8-bit picture's: the transparent index is made black.
        if (frame.Transparent) {
            colours[frame.TransparentIndex] = 0;
        }
        out.Bitmap = CreateIndexedPicture(frame.Width, frame.Height, frame.Pixels.data(), frame.PixelStride, colours);
    } else {
        // Some pixel has the transparent index and is opaque (never decoded): 32 bits through the table, black
        // exactly under the mask.
        out.Bitmap = CreateTruePicture(frame.Width, frame.Height,
                                       [&](TDibColor* pixels) { WriteMaskedPicture(frame, colours, pixels); });
    }
    if (frame.Transparent) {
        out.Mask = HasMask(frame) ? CreateMaskFrom(frame.Width, frame.Height, frame.MaskBits.data(), frame.MaskStride)
                                  : CreateMono(frame.Width, frame.Height);
    }
    return out;
}

std::unique_ptr<TBitmap> TMemoryGifDevice::CreateColor(int width, int height) {
    return std::make_unique<TMemoryBitmap>(width, height);
}

std::unique_ptr<TBitmap> TMemoryGifDevice::CreateMono(int width, int height) {
    return std::make_unique<TMemoryBitmap>(width, height);
}

std::unique_ptr<TBitmap> TMemoryGifDevice::CreateIndexedPicture(int width,
                                                                int height,
                                                                const std::uint8_t* rows,
                                                                int stride,
                                                                const TDibColor* colours) {
    auto bitmap = std::make_unique<TMemoryBitmap>(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bitmap->Canvas().SetPixel(x, y, FromDib(colours[rows[static_cast<std::size_t>(y) * stride + x]]));
        }
    }
    return bitmap;
}

std::unique_ptr<TBitmap> TMemoryGifDevice::CreateTruePicture(int width,
                                                             int height,
                                                             const std::function<void(TDibColor* pixels)>& write) {
    std::vector<TDibColor> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    write(pixels.data());
    auto bitmap = std::make_unique<TMemoryBitmap>(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bitmap->Canvas().SetPixel(x, y, FromDib(pixels[static_cast<std::size_t>(y) * width + x]));
        }
    }
    return bitmap;
}

std::unique_ptr<TBitmap> TMemoryGifDevice::CreateMaskFrom(int width, int height, const std::uint8_t* rows, int stride) {
    auto bitmap = std::make_unique<TMemoryBitmap>(width, height);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = rows + static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < width; ++x) {
            bitmap->Canvas().SetPixel(x, y, (row[x >> 3] & (0x80 >> (x & 7))) != 0 ? clWhite : clBlack);
        }
    }
    return bitmap;
}

namespace {

// The transparency flags of four pixels, bit 3 - i set where pixel i is `index`, in one 32-bit word (a machine word on
// the 32-bit build): a byte of the XOR is zero exactly at a transparent pixel, adding within 7 bits never carries
// across bytes, and one multiplication, whose partial products never overlap, gathers the four flags into bits 24
// to 27. The check of every pixel, one at a time, took as long at a load as decoding a frame of sprites.
unsigned TransparencyFlags4(const std::uint8_t* pixels, std::uint8_t index) {
    constexpr std::uint32_t Low7 = 0x7F7F7F7Fu;
    std::uint32_t v;
    std::memcpy(&v, pixels, sizeof v);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    v = __builtin_bswap32(v);
#endif
    const std::uint32_t d = v ^ (0x01010101u * index);
    const std::uint32_t nonzero = ((d & Low7) + Low7) | d;
    return ((((~nonzero & ~Low7) >> 7) * 0x08040201u) >> 24) & 0xF;
}

// Eight pixels' flags as the mask stores them: bit 7 - i set where pixel i is `index`.
unsigned TransparencyFlags8(const std::uint8_t* pixels, std::uint8_t index) {
    return TransparencyFlags4(pixels, index) << 4 | TransparencyFlags4(pixels + 4, index);
}

}  // namespace

bool EightBitPicture(const TFrame& frame) {
    if (!frame.Transparent) {
        return true;
    }
    const auto stride = static_cast<std::size_t>(frame.PixelStride);
    const auto maskStride = static_cast<std::size_t>(frame.MaskStride);
    const auto height = static_cast<std::size_t>(frame.Height);
    if (frame.Width <= 0 || frame.Pixels.size() < stride * height || frame.MaskBits.size() < maskStride * height ||
        maskStride * 8 < static_cast<std::size_t>(frame.Width) || stride < static_cast<std::size_t>(frame.Width)) {
        return false;
    }
    const auto width = static_cast<std::size_t>(frame.Width);
    const std::uint8_t index = frame.TransparentIndex;
    for (std::size_t y = 0; y < height; ++y) {
        const std::uint8_t* pixels = &frame.Pixels[y * stride];
        const std::uint8_t* mask = &frame.MaskBits[y * maskStride];
        std::size_t x = 0;
        for (; x + 8 <= width; x += 8) {
            if (TransparencyFlags8(pixels + x, index) != mask[x >> 3]) {
                return false;
            }
        }
        for (; x < width; ++x) {
            const bool masked = (mask[x >> 3] & (0x80 >> (x & 7))) != 0;
            if ((pixels[x] == index) != masked) {
                return false;
            }
        }
    }
    return true;
}

TFrameCost FrameCost(const TFrame& f) {
    const auto w = static_cast<std::uint64_t>(f.Width);
    const auto h = static_cast<std::uint64_t>(f.Height);
    const std::uint64_t pixels = static_cast<std::uint64_t>(f.PixelStride) * h;
    const std::uint64_t mask = f.Transparent ? static_cast<std::uint64_t>(f.MaskStride) * h : 0;
    const std::uint64_t monoMask = f.Transparent ? MonoBytes(w, h) : 0;
    TFrameCost cost;
    cost.Held = !f.Deferred;
    if (cost.Held) {
        cost.Buffers = f.Pixels.size() + f.MaskBits.size();
        cost.EightBit = EightBitPicture(f);
        cost.Bitmaps = (cost.EightBit ? pixels : ColorBytes(w, h)) + monoMask;
    }
    // The decoder's own output run holds every pixel (and a string's overrun) before it is placed in rows.
    const std::uint64_t run = w * h + LzwTableSize + 32;
    cost.OnDemand = pixels + mask + run + f.DataBytes + ColorBytes(w, h) + monoMask;
    return cost;
}

std::vector<TFrameCost> FrameCosts(const TGifStream& stream) {
    std::vector<TFrameCost> costs;
    costs.reserve(stream.Frames.size());
    for (const auto& f : stream.Frames) {
        costs.push_back(FrameCost(*f));
    }
    return costs;
}

std::uint64_t PeakBytes(const TGifStream& stream, const std::vector<TFrameCost>& costs, std::uint64_t fileBytes) {
    const auto iw = static_cast<std::uint64_t>(stream.ImageWidth);
    const auto ih = static_cast<std::uint64_t>(stream.ImageHeight);
    std::uint64_t surfaces = 2 * ColorBytes(iw, ih);
    if (stream.HasTransparency) {
        surfaces += MonoBytes(iw, ih);
    }
    if (!stream.Frames.empty() && stream.Frames.front()->Transparent) {
        surfaces += ColorBytes(iw, ih);
    }
    std::uint64_t saved = 0;     // only the frame on screen keeps what lay under it
    std::uint64_t buffers = 0;   // what the reader still holds
    std::uint64_t bitmaps = 0;   // of the held frames
    std::uint64_t decoding = 0;  // one frame decoded at load
    std::uint64_t asShown = 0;   // one frame decoded as it is shown
    bool deferred = false;
    for (std::size_t i = 0; i < costs.size() && i < stream.Frames.size(); ++i) {
        const TFrame& f = *stream.Frames[i];
        const TFrameCost& c = costs[i];
        if (f.Disposal == 3) {
            const auto w = static_cast<std::uint64_t>(f.Width);
            const auto h = static_cast<std::uint64_t>(f.Height);
            saved = std::max(saved, ColorBytes(w, h) + (stream.HasTransparency ? MonoBytes(w, h) : 0));
        }
        buffers += c.Buffers;
        decoding = std::max(decoding, c.OnDemand);
        if (c.Held) {
            bitmaps += c.Bitmaps;
        } else {
            deferred = true;
            asShown = std::max(asShown, c.OnDemand);
        }
    }
    const std::uint64_t loading = fileBytes + buffers + bitmaps + decoding;
    const std::uint64_t shown = surfaces + bitmaps + saved + (deferred ? fileBytes + asShown : 0);
    return std::max(loading, shown);
}
