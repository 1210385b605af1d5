#pragma once
// Drawing composed in memory. A TDibCanvas draws into a 32-bit DIB section: fills, single pixels
// and same-size copies between such canvases are written straight into its bits, which costs
// nanoseconds where a GDI call costs microseconds, and so are thin lines, lit pixel for pixel as
// the device lights them; wide lines, text and the other raster operations go through GDI on the
// section's own memory DC, so they rasterise exactly as on a window.
//
// A TSurfaceCanvas is a TDibCanvas the size of a window's client area, kept identical to the
// window's pixels: what is drawn lands in memory, and Present copies the parts that changed to
// the window.

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "framework/Graphics.h"
#include "framework/win32/GdiCanvas.h"
#include "framework/win32/Handles.h"

// The DIB section and its memory DC. A base of TDibCanvas so that the DC outlives the GDI
// canvas, which gives its pen and font back to the DC when it goes.
class TDibStorage {
protected:
    TDibStorage(int width, int height);
    ~TDibStorage();
    TDibStorage(const TDibStorage&) = delete;
    TDibStorage& operator=(const TDibStorage&) = delete;

    // New bits of width x height; with keep, the old pixels stay at the same coordinates and the
    // new area is black. False (and the old bits kept) when the system refuses the bitmap.
    bool Allocate(int width, int height, bool keep);

    MemoryDc SectionDc;
    UniqueGdiObject Section;
    HGDIOBJ OriginalBitmap = nullptr;
    std::uint32_t* Bits = nullptr;  // top-down rows of BitsWidth pixels, 0x00RRGGBB
    int BitsWidth = 0;
    int BitsHeight = 0;
};

class TDibCanvas : private TDibStorage, public TGdiCanvas {
public:
    // A canvas of width x height pixels, black.
    TDibCanvas(int width, int height);
    TDibCanvas(const TDibCanvas&) = delete;
    TDibCanvas& operator=(const TDibCanvas&) = delete;
    ~TDibCanvas() override = default;

    bool Valid() const { return Bits != nullptr; }

    int Width() const override { return BitsWidth; }
    int Height() const override { return BitsHeight; }
    void FillRect(const TRect& r) override;
    void SetPixel(int x, int y, TColor c) override;
    TColor GetPixel(int x, int y) const override;
    void LineTo(int x, int y) override;
    void CopyRect(const TRect& dest, const TCanvas& source, const TRect& srcRect) override;
    void TextOut(int x, int y, const std::string& text) override;
    // Bitmaps made here are DIB sections too, so copies from them go straight to the bits.
    std::unique_ptr<TBitmap> CreateBitmap(int width, int height) const override;

protected:
    // Drawing names what it changed in pieces that keep to cells of this size, which is the size
    // in which a surface keeps track of changes.
    static constexpr int ChangeCellWidth = 32;
    static constexpr int ChangeCellHeight = 16;

    // Called with every rectangle that drawing may have changed, already inside the canvas: what
    // fills, pixels and same-size copies wrote, a thin line piece by piece (its whole box would
    // hold mostly pixels it did not touch), and whole what a GDI call may have drawn.
    virtual void Changed(const TRect& /*r*/) {}

    bool Resize(int width, int height);

private:
    // The part of r inside the canvas; empty when none.
    TRect Inside(const TRect& r) const;
    std::uint32_t* Row(int y) const;
    // Runs write for the part of r inside the canvas, if any, and notes it changed.
    template <typename TWrite>
    void ForEachVisible(const TRect& r, TWrite write);
    // GDI may batch its drawing: it must be done before the bits are touched directly.
    void SyncBits() const;
    void DrewWithGdi(const TRect& bounds);
    // A thin line written straight into the bits, lighting the pixels the device would; false when
    // it does not apply (a wider pen, end points the device's own canvas would cut first).
    bool DrawThinLine(TPoint from, TPoint to);
    // A straight line across or down (a meter's separators) drawn from the device's own
    // rasterisation of the same line, made once per length and width; false when it does not apply.
    bool StampLine(TPoint from, TPoint to);

    // Pixels of an axis-aligned line relative to its start, by (dx, dy, pen width), as GDI draws it.
    using TStampKey = std::tuple<int, int, int>;
    static constexpr std::size_t MaxStamps = 64;
    std::map<TStampKey, std::vector<TPoint>> Stamps;

    mutable bool GdiPending = false;
};

class TDibBitmap : public TBitmap {
public:
    TDibBitmap(int width, int height) : Surface(width, height) {}
    int Width() const override { return Surface.Width(); }
    int Height() const override { return Surface.Height(); }
    TCanvas& Canvas() override { return Surface; }
    const TCanvas& Canvas() const override { return Surface; }

private:
    TDibCanvas Surface;
};

class TSurfaceCanvas : public TDibCanvas {
public:
    // The surface of window's client area; the window must have a DC of its own (CS_OWNDC), which
    // the copies go through.
    explicit TSurfaceCanvas(HWND window);
    TSurfaceCanvas(const TSurfaceCanvas&) = delete;
    TSurfaceCanvas& operator=(const TSurfaceCanvas&) = delete;
    ~TSurfaceCanvas() override = default;

    HWND Window() const { return Target; }

    // What a copy to the window costs, in pixels copied. Each copy is a call, which Windows too
    // pays for (a call into the kernel that locks both DCs and the window's surface), and each of
    // its rows goes on its own, reaching into memory that is not in the cache for few pixels.
    // Copies of 1 x 1 to 1000 x 700 pixels, with the caches taken between frames as the display's
    // frames find them, measured under Wine: a call about 1 us, a row about 25 ns, a pixel 0.2 to
    // 0.4 ns. On the display's own frames (surface_present_bench: starfield, rockets and bars at
    // 1024 x 768 and 1920 x 1080, a call counted as 128 to 8,192 pixels) the copies were quickest
    // with a call counted as 640 to 1,024 pixels and a row as 32 to 40.
    static constexpr std::int64_t CallCost = 1024;
    static constexpr std::int64_t RowCost = 40;

    // Copies what changed since the last present to the window.
    void Present() override;
    // The window's client area has a new size: the pixels keep their coordinates, as the window's
    // do, and what is new is painted by the window's next paint.
    void ClientResized(int width, int height);

protected:
    void Changed(const TRect& r) override;

private:
    // Changes are kept per cell of TileWidth x TileHeight pixels, as the box of what changed in it.
    static constexpr int TileWidth = ChangeCellWidth;
    static constexpr int TileHeight = ChangeCellHeight;
    // Rectangles still growing while Present walks down the cells; beyond this many the one that
    // ended highest goes out, so that scattered pixels cannot make the walk quadratic.
    static constexpr std::size_t MostOpen = 32;
    struct TTileBox {
        std::uint8_t Left, Top, Right, Bottom;  // within the tile; Right 0: unchanged
    };
    void ResetTiles();
    // Adds run to the open rectangles: joined to the one it wastes least with when that costs
    // less than a copy of its own.
    void Gather(const TRect& run);

    HWND Target;
    WindowDc TargetDc;
    int TilesX = 0;
    int TilesY = 0;
    std::vector<TTileBox> Dirty;
    // Tile rows that hold a changed tile: [DirtyTop, DirtyBottom).
    int DirtyTop = 0;
    int DirtyBottom = 0;
    // Present's work lists, kept so that a frame allocates nothing.
    std::vector<TRect> Open;
    std::vector<TRect> Copies;
};
