#include "controls/GIFBitmaps.h"

#include <algorithm>

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

std::unique_ptr<TBitmap> TMemoryGifDevice::CreateColor(int width, int height) {
    return std::make_unique<TMemoryBitmap>(width, height);
}

std::unique_ptr<TBitmap> TMemoryGifDevice::CreateMono(int width, int height) {
    return std::make_unique<TMemoryBitmap>(width, height);
}

TFrameBitmaps TMemoryGifDevice::CreateFrame(const TFrame& frame) {
    const TMemoryCanvas compatible(0, 0);
    return PaintFrame(frame, compatible);
}

namespace {

std::uint64_t ColorBytes(std::uint64_t w, std::uint64_t h) {
    return w * h * 4;
}

std::uint64_t MonoBytes(std::uint64_t w, std::uint64_t h) {
    return (w + 15) / 16 * 2 * h;
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
        maskStride * 8 < static_cast<std::size_t>(frame.Width)) {
        return false;
    }
    for (std::size_t y = 0; y < height; ++y) {
        const std::uint8_t* pixels = &frame.Pixels[y * stride];
        const std::uint8_t* mask = &frame.MaskBits[y * maskStride];
        bool differ = false;
        for (int x = 0; x < frame.Width; ++x) {
            const bool masked = (mask[x >> 3] & (0x80 >> (x & 7))) != 0;
            differ |= (pixels[x] == frame.TransparentIndex) != masked;
        }
        if (differ) {
            return false;
        }
    }
    return true;
}

std::uint64_t LoadPeakBytes(const TGifStream& stream) {
    const auto iw = static_cast<std::uint64_t>(stream.ImageWidth);
    const auto ih = static_cast<std::uint64_t>(stream.ImageHeight);
    std::uint64_t surfaces = 2 * ColorBytes(iw, ih);
    if (stream.HasTransparency) {
        surfaces += MonoBytes(iw, ih);
    }
    if (!stream.Frames.empty() && stream.Frames.front()->Transparent) {
        surfaces += ColorBytes(iw, ih);
    }
    // Frame by frame, the bitmaps are made before the frame's buffers go.
    std::uint64_t buffers = 0;
    for (const auto& f : stream.Frames) {
        buffers += f->Pixels.size() + f->MaskBits.size();
    }
    std::uint64_t held = buffers;
    std::uint64_t peak = held;
    for (const auto& f : stream.Frames) {
        const auto w = static_cast<std::uint64_t>(f->Width);
        const auto h = static_cast<std::uint64_t>(f->Height);
        held += EightBitPicture(*f) ? (w + 3) / 4 * 4 * h : ColorBytes(w, h);
        if (f->Transparent) {
            held += MonoBytes(w, h);
        }
        if (f->Disposal == 3) {
            held += ColorBytes(w, h) + MonoBytes(w, h);
        }
        peak = std::max(peak, held);
        held -= f->Pixels.size() + f->MaskBits.size();
    }
    return peak + surfaces;
}
