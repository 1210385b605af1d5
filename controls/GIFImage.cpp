#include "controls/GIFImage.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <new>

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

// The image's pixels that no frame holds: what a declared screen larger than its frames adds to every surface.
std::uint64_t UnheldPixels(const TGifStream& stream) {
    std::uint64_t held = 0;
    for (const auto& f : stream.Frames) {
        held += static_cast<std::uint64_t>(f->Width) * static_cast<std::uint64_t>(f->Height);
    }
    const std::uint64_t area =
        static_cast<std::uint64_t>(stream.ImageWidth) * static_cast<std::uint64_t>(stream.ImageHeight);
    return area > held ? area - held : 0;
}

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
    bool read = size >= 0 && static_cast<std::uint64_t>(size) < MemoryBudget;
    if (read) {
        try {
            data.resize(static_cast<std::size_t>(size));
            file.seekg(0, std::ios::beg);
            read = static_cast<bool>(file.read(reinterpret_cast<char*>(data.data()), size));
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
    std::vector<std::uint8_t>().swap(Data);
    if (!decoded) {
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
    while (!FrameBitmaps.empty()) {
        FrameBitmaps.pop_back();  // last to first
    }
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
    Stream.FrameBudget = std::min(MaxImageFrameBytes, left / 4);
    Stream.StreamBudget = left - Stream.FrameBudget;
    if (!Stream.DecodeData(Data.data(), Data.size())) {
        FLastError = Stream.LastError;
        return false;
    }
    // The frames hold all that the bitmaps are made from.
    std::vector<std::uint8_t>().swap(Data);
    if (UnheldPixels(Stream) > MaxUnheldPixels || LoadPeakBytes(Stream) > MemoryBudget) {
        Stream.ResetFrames();
        return false;
    }
    FImageWidth = Stream.ImageWidth;
    FImageHeight = Stream.ImageHeight;
    TGifDevice& device = Host.Device();
    FImageSurface = device.CreateColor(FImageWidth, FImageHeight);
    FrameBitmaps.reserve(Stream.Frames.size());
    for (auto& frame : Stream.Frames) {
        TFrameBitmaps bitmaps = device.CreateFrame(*frame);
        if (frame->Disposal == 3) {
            bitmaps.SavedImage = device.CreateColor(frame->Width, frame->Height);
            if (Stream.HasTransparency) {
                bitmaps.SavedMask = device.CreateMono(frame->Width, frame->Height);
            }
        }
        FrameBitmaps.push_back(std::move(bitmaps));
        // The bitmaps hold the frame from now on; its index buffers would only double the memory.
        std::vector<std::uint8_t>().swap(frame->Pixels);
        std::vector<std::uint8_t>().swap(frame->MaskBits);
    }
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

void TGIFImagX::DrawFrame() {
    if (FCurrentFrame < 1 || FCurrentFrame > FrameCount()) {
        FLastError = GifBadFrameIndex;
        return;
    }
    const TFrame& f = Stream.Frame(FCurrentFrame);
    const TFrameBitmaps& b = FrameBitmaps[static_cast<std::size_t>(FCurrentFrame) - 1];
    if (!FImageSurface || !b.Bitmap) {
        return;
    }
    const TRect r = FrameRect(f);
    const TRect own{0, 0, f.Width, f.Height};
    TCanvas& image = FImageSurface->Canvas();
    const bool masked = Stream.HasTransparency && FMaskSurface;
    if (f.Disposal == 3) {
        if (b.SavedImage) {
            Blit(b.SavedImage->Canvas(), own, image, r, TCopyMode::Copy);
        }
        if (masked && b.SavedMask) {
            Blit(b.SavedMask->Canvas(), own, FMaskSurface->Canvas(), r, TCopyMode::Copy);
        }
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
    const TFrameBitmaps& b = FrameBitmaps[static_cast<std::size_t>(index) - 1];
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
    } else if (f.Disposal == 3) {
        if (masked && b.SavedMask) {
            Blit(FMaskSurface->Canvas(), r, b.SavedMask->Canvas(), own, TCopyMode::Copy);
        }
        if (b.SavedImage) {
            Blit(FImageSurface->Canvas(), r, b.SavedImage->Canvas(), own, TCopyMode::Copy);
        }
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
