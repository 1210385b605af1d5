#pragma once
// TGIFImagX, the animated GIF view: a windowless control that shows a still or animated GIF on its
// parent's surface. It decodes with the GIF reader, turns the frames into bitmaps once, composes them
// into an off-screen picture by each frame's disposal and transparency (mask AND, picture XOR), steps
// through them on a timer and draws the picture at its natural size, centred, tiled or stretched.
//
// The control decides; its host does the platform's part: the surface it draws on, invalidation, the
// timer, the bitmaps and the module's resources. The window side (GIFImageWin) is one host, tests have
// another on the memory canvas. Failures are a False result and a LastError code, never an exception.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/GIFBitmaps.h"
#include "controls/GIFReader.h"
#include "framework/Graphics.h"

// A module whose resources a load reads (an HINSTANCE on Windows).
using TModuleHandle = void*;

// LastError codes the control adds to the reader's (GifOk, GifCancelled, GifEmptyData, GifDecodeFailed).
enum : std::uint8_t {
    GifBadFrameIndex = 5,   // a frame index outside 1..FrameCount; nothing changed
    GifNoSuchFile = 7,      // LoadFromFile: no file at that path; the image shown so far stays
    GifNoSuchResource = 8,  // LoadFromResourceName: missing or unloadable; the image shown so far stays
};

// What one image may cost at its peak, decoding included: the file's bytes, the reader's buffers, the frames'
// bitmaps, the control's surfaces, one saved picture and one frame decoded as it is shown. The display holds two
// images: at this budget both fit twice over in less than two fifths of the 2 GB that a 32-bit player has for
// itself and all it loads. Frames beyond the budget are not refused: the image holds what fits and decodes the
// rest from the file's bytes as they are shown. Only an image whose surfaces, file and one frame alone would cost
// more, or whose frames beyond the budget declare more pixels than their data could hold, is refused like an
// undecodable one (code 3). A declared screen larger than its frames costs its surfaces like any other image
// size, within this same budget.
constexpr std::uint64_t MaxImageBytes = std::uint64_t{192} << 20;
// How many declared pixels the frames of an image may hold without the data to fill them (a full-HD screen's
// worth): a file cut off inside a frame keeps it, index 0 where no data came, but a few bytes that declare vast
// frames are refused (code 3) as soon as the reader has read the frame that goes beyond this.
constexpr std::uint64_t MaxHollowPixels = 1920 * 1080;
// The reader's limit on one frame's buffer (4096 x 4096): a larger frame could not fit the budget beside
// the surfaces of its size anyway.
constexpr std::uint64_t MaxImageFrameBytes = std::uint64_t{16} << 20;

class TGifHost {
public:
    virtual ~TGifHost() = default;
    // The parent's surface, in the parent's coordinates; null when there is nothing to draw on yet.
    virtual TCanvas* Surface() = 0;
    // The part of the surface the current paint may touch (the whole surface outside a paint).
    virtual TRect ClipRect() = 0;
    // Asks for a paint message over r (parent coordinates).
    virtual void Invalidate(const TRect& r) = 0;
    // The animation timer: on or off, and its interval in milliseconds.
    virtual void SetTimer(bool enabled, int intervalMs) = 0;
    virtual TGifDevice& Device() = 0;
    // The bytes of the resource of type "GIF" named `name` in `instance`; false when it is missing or
    // cannot be loaded.
    virtual bool ReadResource(TModuleHandle instance, const std::string& name, std::vector<std::uint8_t>& bytes) = 0;
};

class TGIFImagX {
public:
    explicit TGIFImagX(TGifHost& host);
    virtual ~TGIFImagX();
    TGIFImagX(const TGIFImagX&) = delete;
    TGIFImagX& operator=(const TGIFImagX&) = delete;

    bool LoadFromFile(const std::string& path);
    bool LoadFromResourceName(TModuleHandle instance, const std::string& name);
    // Loads from bytes already in memory (the two loaders end here).
    bool LoadFromData(std::vector<std::uint8_t> data);
    void Clear();

    // Composes Frames[CurrentFrame] into the picture; DisposeFrame undoes a frame by its disposal.
    void DrawFrame();
    void DisposeFrame(int index);

    // The animation step, run by the host's timer.
    void TimerTick();
    // A paint message of the parent over this control: decides opaqueness, captures the background the
    // parent has just painted, paints, and switches the timer.
    void PaintMessage();
    // Draws the control at once, without invalidating anything.
    virtual void Repaint();
    virtual void Paint();
    // The pointer at (x, y) in control coordinates.
    void MouseMove(int x, int y);

    // Bounds on the parent.
    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    TRect BoundsRect() const { return {FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
    void SetBounds(int left, int top, int width, int height);
    void SetWidth(int v) { SetBounds(FLeft, FTop, v, FHeight); }
    void SetHeight(int v) { SetBounds(FLeft, FTop, FWidth, v); }

    // Properties.
    bool Animate() const { return FAnimate; }
    void SetAnimate(bool v);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool v);
    bool Center() const { return FCenter; }
    void SetCenter(bool v);
    int CurrentFrame() const { return FCurrentFrame; }
    void SetCurrentFrame(int v);
    const std::string& FileName() const { return FFileName; }
    void SetFileName(const std::string& v) { (void)LoadFromFile(v); }
    bool Loop() const { return FLoop; }
    void SetLoop(bool v);
    int Speed() const { return FSpeed; }
    void SetSpeed(int v);
    bool Stretch() const { return FStretch; }
    void SetStretch(bool v);
    bool StretchRatio() const { return FStretchRatio; }
    void SetStretchRatio(bool v);
    bool Tile() const { return FTile; }
    void SetTile(bool v);
    bool Visible() const { return FVisible; }
    void SetVisible(bool v);

    // Read-only state.
    bool Animated() const { return FAnimated; }
    bool Empty() const { return FEmpty; }
    bool OverTransparent() const { return FOverTransparent; }
    int ImageWidth() const { return FImageWidth; }
    int ImageHeight() const { return FImageHeight; }
    bool AnyInterlaced() const { return Stream.AnyInterlaced; }
    int FrameCount() const { return Stream.FrameCount(); }
    int LoopCount() const { return Stream.LoopCount; }
    bool HasTransparency() const { return Stream.HasTransparency; }
    int PassCount() const { return FPassCount; }
    bool Opaque() const { return FOpaque; }
    std::uint8_t LastError() const { return FLastError; }
    // The reader's frames (1-based), for their delays, disposal and comments.
    const TFrame& Frame(int index) const { return Stream.Frame(index); }
    // The composed picture and its mask (null while empty, the mask also without transparency).
    const TBitmap* ImageSurface() const { return FImageSurface.get(); }
    const TBitmap* MaskSurface() const { return FMaskSurface.get(); }
    // Frames decoded as they are shown rather than held as bitmaps.
    int FramesDecodedAsShown() const;

    // What loading an image may cost at its peak; lower it to try the limit in tests.
    std::uint64_t MemoryBudget = MaxImageBytes;

    std::function<void()> OnChanging;
    std::function<void()> OnChange;
    TProgressEvent OnProgress;

protected:
    virtual bool DecodeData();

private:
    void ResetFrames();
    void Changing();
    void Change();
    void Invalidate();
    void UpdateTimer(bool enabled, int intervalMs);
    void SetInterval(int intervalMs) { UpdateTimer(FTimerEnabled, intervalMs); }
    void SetTimerEnabled(bool enabled) { UpdateTimer(enabled, FTimerInterval); }
    int FrameInterval(int index) const;
    bool Finished() const;
    bool WantsOpaque() const;
    void UpdateNeedStretch();
    TRect StretchRect() const;
    TPoint CenterOffset() const;
    void PaintTransparent(TCanvas& canvas);
    void PaintOpaque(TCanvas& canvas);
    // Frames the budget cannot hold are decoded as they are shown: false when even that would not fit, or when
    // such a frame declares more than its data holds.
    bool HoldWhatFits();
    // The bitmaps of a frame decoded as it is shown, for one draw; empty when it cannot be decoded.
    TFrameBitmaps DecodeShown(TFrame& frame);
    void SaveUnder(const TFrame& frame);
    void FreeSaved();

    TGifHost& Host;
    TGifStream Stream;
    std::vector<TFrameBitmaps> FrameBitmaps;  // index i holds frame i + 1
    std::vector<TFrameCost> FrameCostsHeld;   // what each frame costs, measured as it was read
    // The stream between loading and decoding, and kept while some frame is decoded as it is shown.
    std::vector<std::uint8_t> Data;

    int FLeft = 0;
    int FTop = 0;
    int FWidth = 105;
    int FHeight = 105;

    bool FAnimated = false;
    bool FAnimate = false;
    bool FAutoSize = false;
    bool FCenter = false;
    int FCurrentFrame = 1;
    bool FOverTransparent = false;
    bool FEmpty = true;
    std::string FFileName;
    int FImageWidth = 0;
    int FImageHeight = 0;
    bool FLoop = false;
    int FSpeed = 100;
    bool FStretch = false;
    bool FStretchRatio = false;
    bool FTile = false;
    bool FVisible = true;
    int FPassCount = 1;
    bool FFirstTick = true;
    bool FBackgroundStale = false;
    bool FNeedStretch = false;
    bool FOpaque = false;
    bool FTimerEnabled = false;
    int FTimerInterval = 1000;
    std::uint8_t FLastError = GifOk;

    std::unique_ptr<TBitmap> FImageSurface;
    std::unique_ptr<TBitmap> FMaskSurface;
    std::unique_ptr<TBitmap> FBackgroundSurface;
    std::unique_ptr<TBitmap> FWorkSurface;  // the transparent path's private copy, kept between steps
    // What lay under the frame on screen when it restores the previous picture: made when it is drawn, freed
    // when it is disposed, so only one lives.
    std::unique_ptr<TBitmap> FSavedImage;
    std::unique_ptr<TBitmap> FSavedMask;
    int FSavedFrame = 0;  // the frame they belong to, 0 for none
};

// Where Paint stretches an image of imageWidth x imageHeight into a client of cw x ch: the client
// itself, or with keepRatio the centred rectangle of the image's proportions, edges rounded half to even.
TRect GifStretchRect(int cw, int ch, int imageWidth, int imageHeight, bool keepRatio);
