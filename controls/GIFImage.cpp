#include "controls/GIFImage.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <istream>
#include <new>
#include <vector>

namespace {

TRect Intersect(const TRect& a, const TRect& b) {
    return {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
}

TRect Offset(const TRect& r, int dx, int dy) {
    return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

// Copies with a raster operation and leaves the destination's own mode as it was: the parent's canvas is
// shared with the renderers.
void Blit(TCanvas& dest, const TRect& to, const TCanvas& source, const TRect& from, TCopyMode mode) {
    const TCopyMode previous = dest.CopyMode;
    dest.CopyMode = mode;
    dest.CopyRect(to, source, from);
    dest.CopyMode = previous;
}

// A same-size copy of all of source to (x, y), cut to clip: nothing lands outside the control.
void BlitClipped(TCanvas& dest, int x, int y, const TBitmap& source, const TRect& clip, TCopyMode mode) {
    const TRect whole{x, y, x + source.Width(), y + source.Height()};
    const TRect to = Intersect(whole, clip);
    if (to.IsEmpty()) {
        return;
    }
    Blit(dest, to, source.Canvas(), Offset(to, -x, -y), mode);
}

void Fill(TCanvas& canvas, const TRect& r, TColor colour) {
    const TColor previous = canvas.Brush.Color;
    canvas.Brush.Color = colour;
    canvas.FillRect(r);
    canvas.Brush.Color = previous;
}

// The bytes of a GIF file that the reader can use: all of them, except what follows the trailer or the 256th
// image (the reader ignores everything from the 257th image on, and the byte that starts it ends its parse
// there). The blocks are walked as the reader walks them, through a small window of the file.
class TFileScan {
public:
    TFileScan(std::istream& file, std::uint64_t size) : File(file), Size(size) {}

    std::uint64_t UsedBytes() {
        if (Size < 13) {
            return Size;
        }
        std::uint64_t pos = 13;
        const int screen = Byte(10);
        if (screen & 0x80) {
            pos += std::uint64_t{3} << ((screen & 7) + 1);
        }
        int images = 0;
        while (pos < Size) {
            const int block = Byte(pos);
            if (block == 0x21) {
                if (Size - pos < 2) {
                    return Size;
                }
                const int label = Byte(pos + 1);
                std::uint64_t p = pos + 2;
                if (label == 0xF9) {
                    p = pos + 8;  // the reader takes the next 6 bytes whatever the block size says
                } else if (label == 0xFF && Size - pos >= 19 && Matches(pos + 3, "NETSCAPE2.0")) {
                    p = SkipSubBlocks(pos + 18);
                } else if (label == 0xFE) {
                    p = SkipSubBlocks(p);
                } else if (label == 0xFF || label == 0x01) {
                    p = SkipSubBlocks(p + 1 + static_cast<std::uint64_t>(Byte(p)));
                } else {
                    return Size;  // the reader stops here; what follows is kept, as it costs no decoding
                }
                pos = p;
            } else if (block == 0x2C) {
                if (images == MaxFrames) {
                    return pos + 1;
                }
                ++images;
                if (Size - pos < 10) {
                    return Size;
                }
                const int packed = Byte(pos + 9);
                pos += 10;
                if (packed & 0x80) {
                    pos += std::uint64_t{3} << ((packed & 7) + 1);
                }
                pos = SkipSubBlocks(pos + 1);
            } else if (block == 0x3B) {
                return pos + 1;
            } else {
                return Size;
            }
        }
        return Size;
    }

private:
    int Byte(std::uint64_t at) {
        if (at >= Size) {
            return 0;
        }
        if (at < WindowStart || at >= WindowStart + WindowBytes) {
            WindowStart = at;
            File.clear();
            File.seekg(static_cast<std::streamoff>(at), std::ios::beg);
            File.read(reinterpret_cast<char*>(Window.data()), static_cast<std::streamsize>(Window.size()));
            WindowBytes = static_cast<std::uint64_t>(std::max<std::streamsize>(File.gcount(), 0));
            if (WindowBytes == 0) {
                return 0;
            }
        }
        return Window[static_cast<std::size_t>(at - WindowStart)];
    }

    bool Matches(std::uint64_t at, const char* text) {
        for (std::uint64_t i = 0; text[i] != 0; ++i) {
            if (Byte(at + i) != static_cast<unsigned char>(text[i])) {
                return false;
            }
        }
        return true;
    }

    // Past the terminator of the sub-blocks at p, or the end of the file.
    std::uint64_t SkipSubBlocks(std::uint64_t p) {
        while (p < Size) {
            const int n = Byte(p);
            p += 1 + static_cast<std::uint64_t>(n);
            if (n == 0) {
                return p;
            }
        }
        return Size;
    }

    std::istream& File;
    std::uint64_t Size;
    std::vector<std::uint8_t> Window = std::vector<std::uint8_t>(64 * 1024);
    std::uint64_t WindowStart = 0;
    std::uint64_t WindowBytes = 0;
};

TRect FrameRect(const TFrame& f) {
    return {f.Left, f.Top, f.Left + f.Width, f.Top + f.Height};
}

// Nearest with halves to even, or false when the value is no usable coordinate.
bool Nearest(double v, int& out) {
    if (!std::isfinite(v) || std::fabs(v) > 1e9) {
        return false;
    }
    out = static_cast<int>(std::nearbyint(v));  // the default rounding mode rounds halves to even
    return true;
}

}  // namespace

TRect GifStretchRect(int cw, int ch, int imageWidth, int imageHeight, bool keepRatio) {
    const TRect client{0, 0, cw, ch};
    if (!keepRatio || imageWidth <= 0 || imageHeight <= 0) {
        return client;
    }
    const float sx = static_cast<float>(cw) / static_cast<float>(imageWidth);
    const float sy = static_cast<float>(ch) / static_cast<float>(imageHeight);
    TRect r = client;
    bool ok = true;
    if (sx > sy) {
        const double margin = (cw - imageWidth * static_cast<double>(sy)) * 0.5;
        ok = Nearest(client.Left + margin, r.Left) && Nearest(client.Right - margin, r.Right);
    } else {
        const double margin = (ch - imageHeight * static_cast<double>(sx)) * 0.5;
        ok = Nearest(client.Top + margin, r.Top) && Nearest(client.Bottom - margin, r.Bottom);
    }
    return ok ? r : client;
}

TGIFImagX::TGIFImagX(TGifHost& host) : Host(host) {}

TGIFImagX::~TGIFImagX() {
    // The timer goes first, so no step can reach a half-destroyed control.
    Host.SetTimer(false, FTimerInterval);
}

// ---- loading ----

bool TGIFImagX::LoadFromFile(const std::string& path) {
    std::ifstream file;
    if (!path.empty()) {
        file.open(path, std::ios::binary);
    }
    if (!file) {
        FLastError = GifNoSuchFile;
        return false;
    }
    // From here the image shown so far is replaced or cleared: it goes now, before the new file's bytes are
    // read beside it.
    Clear();
    FFileName = path;
    // A file that cannot be measured or read, or one too large to be worth reading, fails like data that
    // cannot be decoded: the control is cleared and the display goes on.
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    std::vector<std::uint8_t> data;
    bool read = size >= 0;
    if (read) {
        try {
            // Bytes the reader would never use are not read: they would only count against the budget.
            const std::uint64_t used = TFileScan(file, static_cast<std::uint64_t>(size)).UsedBytes();
            read = used < MemoryBudget;
            if (read) {
                data.resize(static_cast<std::size_t>(used));
                file.clear();
                file.seekg(0, std::ios::beg);
                read = static_cast<bool>(
                    file.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(used)));
            }
        } catch (const std::bad_alloc&) {
            read = false;
        }
    }
    if (!read) {
        Clear();
        FLastError = GifDecodeFailed;
        return false;
    }
    return LoadFromData(std::move(data));
}

bool TGIFImagX::LoadFromResourceName(TModuleHandle instance, const std::string& name) {
    FLastError = GifNoSuchResource;
    FFileName.clear();
    std::string upper = name;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    std::vector<std::uint8_t> data;
    try {
        if (!Host.ReadResource(instance, upper, data)) {
            return false;
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return LoadFromData(std::move(data));
}

bool TGIFImagX::LoadFromData(std::vector<std::uint8_t> data) {
    Data = std::move(data);
    bool decoded = false;
    try {
        decoded = DecodeData();
    } catch (...) {
        decoded = false;  // a bitmap that could not be made, memory: LastError keeps code 3
    }
    if (!decoded) {
        std::vector<std::uint8_t>().swap(Data);
        const std::uint8_t code = FLastError;
        Clear();
        FLastError = code;
        return false;
    }
    FLastError = GifOk;
    return true;
}

void TGIFImagX::Clear() {
    ResetFrames();
    std::vector<std::uint8_t>().swap(Data);
    FFileName.clear();
    FWorkSurface.reset();
    FBackgroundSurface.reset();
    FMaskSurface.reset();
    FImageSurface.reset();
    FOpaque = false;
    Invalidate();
}

void TGIFImagX::ResetFrames() {
    FEmpty = true;
    SetTimerEnabled(false);
    FreeSaved();
    while (!FrameBitmaps.empty()) {
        FrameBitmaps.pop_back();  // last to first
    }
    FrameCostsHeld.clear();
    Stream.ResetFrames();
    FCurrentFrame = 1;
    FPassCount = 1;
    FFirstTick = true;
}

bool TGIFImagX::DecodeData() {
    FLastError = GifDecodeFailed;
    ResetFrames();
    // The old image is gone from here on: its surfaces must not add to what the new one costs.
    FWorkSurface.reset();
    FBackgroundSurface.reset();
    FMaskSurface.reset();
    FImageSurface.reset();
    Stream.OnProgress = OnProgress;
    // While the reader parses, the file's bytes are held too, and the decoder keeps a working copy of the frame
    // it decodes: the frames' buffers get what is left of the budget after both.
    if (Data.size() >= MemoryBudget) {
        return false;
    }
    const std::uint64_t left = MemoryBudget - Data.size();
    // The frames' buffers, and the bitmaps made from them, get what is left after the frame being decoded: the
    // decoder's output and that frame's bitmap (up to 32 bits a pixel), sized by the declared screen, which real
    // frames do not exceed, and never more than a frame may be.
    Stream.FrameBudget = std::min(MaxImageFrameBytes, left / 5);
    const auto le16 = [this](std::size_t at) { return static_cast<std::uint64_t>(Data[at] | Data[at + 1] << 8); };
    const std::uint64_t screen = Data.size() >= 10 ? le16(6) * le16(8) : 0;
    Stream.StreamBudget = left - std::min(2 * Stream.FrameBudget, 6 * screen + (std::uint64_t{1} << 20));
    Stream.DeferFrames = true;
    // Each frame becomes bitmaps as soon as it is read, so that only one frame's buffers live at a time.
    TGifDevice& device = Host.Device();
    bool made = true;
    std::uint64_t hollow = 0;
    Stream.OnFrame = [&](TFrame& frame) {
        FrameCostsHeld.push_back(FrameCost(frame));
        FrameBitmaps.emplace_back();
        hollow += frame.HollowPixels();
        if (hollow > MaxHollowPixels) {
            made = false;
            Stream.KeepOnProcessing = false;  // no further frame is decoded
        }
        if (frame.Deferred || !made) {
            return;
        }
        try {
            FrameBitmaps.back() = device.CreateFrame(frame, FrameCostsHeld.back().EightBit);
        } catch (...) {
            made = false;  // a bitmap that cannot be made fails the load once the reader is done
        }
        std::vector<std::uint8_t>().swap(frame.Pixels);
        std::vector<std::uint8_t>().swap(frame.MaskBits);
    };
    const bool parsed = Stream.DecodeData(Data.data(), Data.size());
    Stream.OnFrame = nullptr;
    if (!made) {
        Stream.ResetFrames();
        return false;
    }
    if (!parsed) {
        FLastError = Stream.LastError;
        return false;
    }
    if (!HoldWhatFits()) {
        Stream.ResetFrames();
        return false;
    }
    if (FramesDecodedAsShown() == 0) {
        // The bitmaps hold all that the frames show.
        std::vector<std::uint8_t>().swap(Data);
    }
    FImageWidth = Stream.ImageWidth;
    FImageHeight = Stream.ImageHeight;
    FImageSurface = device.CreateColor(FImageWidth, FImageHeight);
    if (FAutoSize) {
        SetBounds(FLeft, FTop, FImageWidth, FImageHeight);
    }
    UpdateNeedStretch();
    FOpaque = WantsOpaque();
    FAnimated = FrameCount() > 1;
    FEmpty = false;
    Fill(FImageSurface->Canvas(), {0, 0, FImageWidth, FImageHeight}, clBlack);
    if (Stream.HasTransparency) {
        FMaskSurface = device.CreateMono(FImageWidth, FImageHeight);
        Fill(FMaskSurface->Canvas(), {0, 0, FImageWidth, FImageHeight}, clWhite);
    }
    SetInterval(1);
    Changing();
    DrawFrame();
    Change();
    FLastError = GifOk;
    Invalidate();
    return true;
}

// ---- composition ----

bool TGIFImagX::HoldWhatFits() {
    std::vector<TFrameCost>& costs = FrameCostsHeld;
    if (costs.size() != Stream.Frames.size() || FrameBitmaps.size() != Stream.Frames.size()) {
        return false;
    }
    for (TFrameCost& c : costs) {
        c.Buffers = 0;  // the bitmaps were made as the frames were read
    }
    std::size_t held = costs.size();
    while (PeakBytes(Stream, costs, Data.size()) > MemoryBudget) {
        // The last frame still held goes: early frames stay ready, the rest come from the file as they are shown.
        while (held > 0 && !costs[held - 1].Held) {
            --held;
        }
        if (held == 0) {
            return false;
        }
        TFrame& frame = *Stream.Frames[--held];
        if (!frame.DataCanFill()) {
            return false;
        }
        costs[held].Held = false;
        costs[held].Bitmaps = 0;
        frame.Deferred = true;
        FrameBitmaps[held] = {};
    }
    return true;
}

int TGIFImagX::FramesDecodedAsShown() const {
    int count = 0;
    for (const auto& f : Stream.Frames) {
        count += f->Deferred ? 1 : 0;
    }
    return count;
}

TFrameBitmaps TGIFImagX::DecodeShown(TFrame& frame) {
    TFrameBitmaps bitmaps;
    try {
        if (Stream.DecodeFrame(Data.data(), Data.size(), frame)) {
            bitmaps = Host.Device().CreateFrame(frame);
        }
    } catch (...) {
        bitmaps = {};  // memory or a bitmap that cannot be made: the frame is not drawn this time
    }
    std::vector<std::uint8_t>().swap(frame.Pixels);
    std::vector<std::uint8_t>().swap(frame.MaskBits);
    return bitmaps;
}

void TGIFImagX::FreeSaved() {
    FSavedMask.reset();
    FSavedImage.reset();
    FSavedFrame = 0;
}

void TGIFImagX::SaveUnder(const TFrame& f) {
    FreeSaved();
    const TRect r = FrameRect(f);
    const TRect own{0, 0, f.Width, f.Height};
    try {
        FSavedImage = Host.Device().CreateColor(f.Width, f.Height);
        Blit(FSavedImage->Canvas(), own, FImageSurface->Canvas(), r, TCopyMode::Copy);
        if (Stream.HasTransparency && FMaskSurface) {
            FSavedMask = Host.Device().CreateMono(f.Width, f.Height);
            Blit(FSavedMask->Canvas(), own, FMaskSurface->Canvas(), r, TCopyMode::Copy);
        }
        FSavedFrame = FCurrentFrame;
    } catch (...) {
        FreeSaved();  // nothing to restore later; the frame is still drawn
    }
}

void TGIFImagX::DrawFrame() {
    if (FCurrentFrame < 1 || FCurrentFrame > FrameCount()) {
        FLastError = GifBadFrameIndex;
        return;
    }
    TFrame& f = *Stream.Frames[static_cast<std::size_t>(FCurrentFrame) - 1];
    TFrameBitmaps shown;  // a frame decoded as it is shown, for this draw only
    const TFrameBitmaps* held = &FrameBitmaps[static_cast<std::size_t>(FCurrentFrame) - 1];
    if (f.Deferred && FImageSurface) {
        shown = DecodeShown(f);
        held = &shown;
    }
    const TFrameBitmaps& b = *held;
    if (!FImageSurface || !b.Bitmap) {
        return;
    }
    const TRect r = FrameRect(f);
    const TRect own{0, 0, f.Width, f.Height};
    TCanvas& image = FImageSurface->Canvas();
    const bool masked = Stream.HasTransparency && FMaskSurface;
    if (f.Disposal == 3) {
        SaveUnder(f);
    }
    if (!f.Transparent || !b.Mask) {
        if (masked) {
            Fill(FMaskSurface->Canvas(), r, clBlack);
        }
        Blit(image, r, b.Bitmap->Canvas(), own, TCopyMode::Copy);
        return;
    }
    if (masked) {
        Blit(FMaskSurface->Canvas(), r, b.Mask->Canvas(), own, TCopyMode::And);
    }
    Blit(image, r, b.Mask->Canvas(), own, TCopyMode::And);
    Blit(image, r, b.Bitmap->Canvas(), own, TCopyMode::Invert);
}

void TGIFImagX::DisposeFrame(int index) {
    if (index < 1 || index > FrameCount()) {
        FLastError = GifBadFrameIndex;
        return;
    }
    const TFrame& f = Stream.Frame(index);
    if (!FImageSurface) {
        return;
    }
    const TRect r = FrameRect(f);
    const TRect own{0, 0, f.Width, f.Height};
    const bool masked = Stream.HasTransparency && FMaskSurface;
    if (f.Disposal == 2) {
        // The background is transparency when the image has any, else black; the stream's background
        // colour is not used.
        if (masked) {
            Fill(FMaskSurface->Canvas(), r, clWhite);
        }
        Fill(FImageSurface->Canvas(), r, clBlack);
    } else if (f.Disposal == 3 && FSavedFrame == index) {
        if (masked && FSavedMask) {
            Blit(FMaskSurface->Canvas(), r, FSavedMask->Canvas(), own, TCopyMode::Copy);
        }
        if (FSavedImage) {
            Blit(FImageSurface->Canvas(), r, FSavedImage->Canvas(), own, TCopyMode::Copy);
        }
        FreeSaved();
    }
}

// ---- the step ----

int TGIFImagX::FrameInterval(int index) const {
    if (index < 1 || index > FrameCount()) {
        return 1;
    }
    const std::int64_t interval = std::int64_t{Stream.Frame(index).Delay} * 100 / FSpeed;
    return static_cast<int>(std::clamp<std::int64_t>(interval, 1, INT32_MAX));
}

bool TGIFImagX::Finished() const {
    return !FLoop && LoopCount() > 0 && FPassCount > LoopCount();
}

void TGIFImagX::TimerTick() {
    if (FBackgroundStale || FEmpty) {
        return;
    }
    Changing();
    if (FFirstTick) {
        FFirstTick = false;  // frame 1 is composed already; this tick only starts its delay
    } else {
        DisposeFrame(FCurrentFrame - 1 < 1 ? FrameCount() : FCurrentFrame - 1);
        DrawFrame();
        Repaint();
    }
    SetInterval(FrameInterval(FCurrentFrame));
    ++FCurrentFrame;
    if (!FLoop && LoopCount() > 0 && FCurrentFrame > FrameCount()) {
        ++FPassCount;
        if (FPassCount > LoopCount()) {
            // Finished: the last frame stays and CurrentFrame reads FrameCount + 1.
            SetTimerEnabled(false);
            Change();
            return;
        }
    }
    if (FCurrentFrame > FrameCount() || FCurrentFrame < 1) {
        FCurrentFrame = 1;
    }
    Change();
}

void TGIFImagX::UpdateTimer(bool enabled, int intervalMs) {
    if (enabled == FTimerEnabled && intervalMs == FTimerInterval) {
        return;
    }
    FTimerEnabled = enabled;
    FTimerInterval = intervalMs;
    Host.SetTimer(enabled, intervalMs);
}

// ---- painting ----

bool TGIFImagX::WantsOpaque() const {
    return FVisible && !FEmpty && !Stream.HasTransparency &&
           (FTile || FStretch || (FWidth <= FImageWidth && FHeight <= FImageHeight));
}

void TGIFImagX::UpdateNeedStretch() {
    FNeedStretch = (FStretch || FStretchRatio) && (FWidth != FImageWidth || FHeight != FImageHeight);
}

void TGIFImagX::PaintMessage() {
    UpdateNeedStretch();
    const bool opaque = WantsOpaque();
    if (opaque != FOpaque) {
        FOpaque = opaque;
        Invalidate();
    } else {
        FBackgroundStale = !opaque;
        Paint();
    }
    SetTimerEnabled(FAnimated && FAnimate && !FEmpty && !Finished());
}

void TGIFImagX::Repaint() {
    Paint();
}

TRect TGIFImagX::StretchRect() const {
    return GifStretchRect(FWidth, FHeight, FImageWidth, FImageHeight, !FStretch && FStretchRatio);
}

TPoint TGIFImagX::CenterOffset() const {
    return {(FWidth - FImageWidth) / 2, (FHeight - FImageHeight) / 2};
}

void TGIFImagX::Paint() {
    TCanvas* canvas = Host.Surface();
    if (canvas == nullptr || FEmpty || FrameCount() == 0 || !FVisible || !FImageSurface) {
        return;
    }
    // The background and the painting copy cover the whole control, at 4 bytes a pixel each: a control tiled or
    // stretched far beyond its image must not cost more than a whole image may.
    if (static_cast<std::uint64_t>(FWidth) * static_cast<std::uint64_t>(FHeight) * 8 > MemoryBudget) {
        return;
    }
    try {
        const TRect bounds = BoundsRect();
        if (!FBackgroundSurface || FBackgroundSurface->Width() != FWidth || FBackgroundSurface->Height() != FHeight) {
            FBackgroundSurface = Host.Device().CreateColor(FWidth, FHeight);
            Blit(FBackgroundSurface->Canvas(), {0, 0, FWidth, FHeight}, *canvas, bounds, TCopyMode::Copy);
        }
        if (FBackgroundStale) {
            const TRect clip = Intersect(Host.ClipRect(), bounds);
            if (!clip.IsEmpty()) {
                Blit(FBackgroundSurface->Canvas(), Offset(clip, -FLeft, -FTop), *canvas, clip, TCopyMode::Copy);
            }
            FBackgroundStale = false;
        }
        if (Stream.Frame(1).Transparent && FMaskSurface) {
            PaintTransparent(*canvas);
        } else {
            PaintOpaque(*canvas);
        }
    } catch (...) {
        // A surface that cannot be made draws nothing this time; painting never throws into the window.
        FBackgroundSurface.reset();
        FWorkSurface.reset();
    }
}

void TGIFImagX::PaintTransparent(TCanvas& canvas) {
    TRect work{0, 0, FWidth, FHeight};
    if (!FNeedStretch && !FTile) {
        const TPoint at = FCenter ? CenterOffset() : TPoint{};
        work = {at.X, at.Y, at.X + FImageWidth, at.Y + FImageHeight};
    }
    const int ww = work.Width();
    const int wh = work.Height();
    if (!FWorkSurface || FWorkSurface->Width() != ww || FWorkSurface->Height() != wh) {
        FWorkSurface = Host.Device().CreateColor(ww, wh);
    }
    TCanvas& temp = FWorkSurface->Canvas();
    // What lies beneath: the background captured at the last paint (only its part inside the control
    // matters, nothing outside the control is ever shown).
    const TRect under = Intersect(work, {0, 0, FWidth, FHeight});
    if (!under.IsEmpty()) {
        Blit(temp, Offset(under, -work.Left, -work.Top), FBackgroundSurface->Canvas(), under, TCopyMode::Copy);
    }
    const TBitmap& mask = *FMaskSurface;
    const TBitmap& image = *FImageSurface;
    const TRect whole{0, 0, FImageWidth, FImageHeight};
    if (FNeedStretch) {
        const TRect to = StretchRect();
        Blit(temp, to, mask.Canvas(), whole, TCopyMode::And);
        Blit(temp, to, image.Canvas(), whole, TCopyMode::Invert);
    } else if (FTile) {
        if (FImageWidth > 0 && FImageHeight > 0) {
            const TRect all{0, 0, ww, wh};
            for (int row = 0; row <= FHeight / FImageHeight; ++row) {
                for (int column = 0; column <= FWidth / FImageWidth; ++column) {
                    BlitClipped(temp, column * FImageWidth, row * FImageHeight, mask, all, TCopyMode::And);
                    BlitClipped(temp, column * FImageWidth, row * FImageHeight, image, all, TCopyMode::Invert);
                }
            }
        }
    } else {
        Blit(temp, whole, mask.Canvas(), whole, TCopyMode::And);
        Blit(temp, whole, image.Canvas(), whole, TCopyMode::Invert);
    }
    BlitClipped(canvas, FLeft + work.Left, FTop + work.Top, *FWorkSurface, BoundsRect(), TCopyMode::Copy);
}

void TGIFImagX::PaintOpaque(TCanvas& canvas) {
    const TBitmap& image = *FImageSurface;
    const TRect bounds = BoundsRect();
    if (FNeedStretch) {
        Blit(canvas, Offset(StretchRect(), FLeft, FTop), image.Canvas(), {0, 0, FImageWidth, FImageHeight},
             TCopyMode::Copy);
    } else if (FTile) {
        if (FImageWidth > 0 && FImageHeight > 0) {
            for (int row = 0; row <= FHeight / FImageHeight; ++row) {
                for (int column = 0; column <= FWidth / FImageWidth; ++column) {
                    BlitClipped(canvas, FLeft + column * FImageWidth, FTop + row * FImageHeight, image, bounds,
                                TCopyMode::Copy);
                }
            }
        }
    } else {
        const TPoint at = FCenter ? CenterOffset() : TPoint{};
        BlitClipped(canvas, FLeft + at.X, FTop + at.Y, image, bounds, TCopyMode::Copy);
    }
}

void TGIFImagX::MouseMove(int x, int y) {
    if (FEmpty || FNeedStretch || FTile || !Stream.HasTransparency || !FMaskSurface) {
        FOverTransparent = false;
        return;
    }
    if (FCenter) {
        const TPoint at = CenterOffset();
        x -= at.X;
        y -= at.Y;
    }
    FOverTransparent =
        x < 0 || x >= FImageWidth || y < 0 || y >= FImageHeight || FMaskSurface->Canvas().GetPixel(x, y) != clBlack;
}

// ---- properties ----

void TGIFImagX::Changing() {
    if (OnChanging) {
        OnChanging();
    }
}

void TGIFImagX::Change() {
    if (OnChange) {
        OnChange();
    }
}

void TGIFImagX::Invalidate() {
    Host.Invalidate(BoundsRect());
}

void TGIFImagX::SetBounds(int left, int top, int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (left == FLeft && top == FTop && width == FWidth && height == FHeight) {
        return;
    }
    Invalidate();
    FLeft = left;
    FTop = top;
    FWidth = width;
    FHeight = height;
    Invalidate();
}

void TGIFImagX::SetAnimate(bool v) {
    if (v == FAnimate) {
        return;
    }
    FAnimate = v;
    FPassCount = 1;
    if (v && FrameCount() > 1) {
        SetInterval(FrameInterval(FCurrentFrame));
    }
    SetTimerEnabled(v && FAnimated && !FEmpty);
    if (!v && FCurrentFrame >= 2) {
        DisposeFrame(FCurrentFrame - 1);
        FCurrentFrame = 1;
        DrawFrame();
        Invalidate();
    }
}

void TGIFImagX::SetAutoSize(bool v) {
    if (v == FAutoSize) {
        return;
    }
    FAutoSize = v;
    if (v && !FEmpty) {
        SetBounds(FLeft, FTop, FImageWidth, FImageHeight);
        Invalidate();
    }
}

void TGIFImagX::SetCenter(bool v) {
    if (v != FCenter) {
        FCenter = v;
        Invalidate();
    }
}

void TGIFImagX::SetStretch(bool v) {
    if (v != FStretch) {
        FStretch = v;
        Invalidate();
    }
}

void TGIFImagX::SetStretchRatio(bool v) {
    if (v != FStretchRatio) {
        FStretchRatio = v;
        Invalidate();
    }
}

void TGIFImagX::SetTile(bool v) {
    if (v != FTile) {
        FTile = v;
        Invalidate();
    }
}

void TGIFImagX::SetVisible(bool v) {
    if (v != FVisible) {
        FVisible = v;
        Invalidate();
    }
}

void TGIFImagX::SetCurrentFrame(int v) {
    if (v == FCurrentFrame) {
        return;
    }
    if (v < 1 || v > FrameCount()) {
        FLastError = GifBadFrameIndex;
        return;
    }
    Changing();
    DisposeFrame(FCurrentFrame);
    FCurrentFrame = v;
    DrawFrame();
    Repaint();
    Change();
}

void TGIFImagX::SetLoop(bool v) {
    if (v == FLoop) {
        return;
    }
    FLoop = v;
    if (v && FrameCount() > 0 && LoopCount() > 0 && FPassCount > LoopCount()) {
        FCurrentFrame = 1;
        FPassCount = 1;
        if (FAnimate && FrameCount() > 1) {
            SetInterval(FrameInterval(1));
        }
        SetTimerEnabled(FAnimate && FAnimated);
    }
}

void TGIFImagX::SetSpeed(int v) {
    // Compared before it is raised to 1: a new value below 1 still restarts the step at once.
    if (v == FSpeed) {
        return;
    }
    FSpeed = std::max(v, 1);
    if (FrameCount() > 1 && FAnimate) {
        SetInterval(1);
    }
}
