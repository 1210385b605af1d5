#pragma once
// Colours, rectangles and the drawing interface every painter of the plug-in uses. Two backends
// implement it: GDI (the product) and memory (exact pixels for native tests).

#include <cstdint>
#include <memory>
#include <string>

using TColor = std::uint32_t;  // 0x00BBGGRR: red in the low byte

constexpr TColor RGBColor(int r, int g, int b) {
    return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int RedOf(TColor c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int GreenOf(TColor c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int BlueOf(TColor c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;

struct TPoint {
    int X = 0;
    int Y = 0;
};

// Right and bottom are exclusive, as fills treat them.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool operator==(const TRect& o) const {
        return Left == o.Left && Top == o.Top && Right == o.Right && Bottom == o.Bottom;
    }
};

struct TPen {
    TColor Color = clBlack;
    int Width = 1;
};

struct TBrush {
    TColor Color = clWhite;
};

struct TFont {
    std::string Name = "MS Sans Serif";
    int Height = 13;  // character cell height in pixels
    bool Bold = false;
    TColor Color = clBlack;
};

// What text layout needs of a font beyond string widths: the cell height (ascent plus descent)
// and the internal leading (cell height minus the em height).
struct TFontMetrics {
    int Height = 0;
    int InternalLeading = 0;
};

// How a copy combines source and destination (the raster operations the painters need).
enum class TCopyMode {
    Copy,       // dest = src
    And,        // dest = dest & src
    Invert,     // dest = dest ^ src
    Blackness,  // dest = black
    Whiteness,  // dest = white
};

class TBitmap;

class TCanvas {
public:
    virtual ~TCanvas() = default;

    TPen Pen;
    TBrush Brush;
    TFont Font;
    TCopyMode CopyMode = TCopyMode::Copy;

    virtual int Width() const = 0;
    virtual int Height() const = 0;

    // Fills the rectangle with Brush.Color; an empty rectangle draws nothing.
    virtual void FillRect(const TRect& r) = 0;
    // Single pixels; coordinates outside the canvas are ignored (and read as black).
    virtual void SetPixel(int x, int y, TColor c) = 0;
    virtual TColor GetPixel(int x, int y) const = 0;
    // A line with Pen from the current position to (x, y); the end point itself is not drawn.
    virtual void MoveTo(int x, int y) = 0;
    virtual void LineTo(int x, int y) = 0;
    // Copies srcRect of source into dest with CopyMode; sizes differing means stretching.
    virtual void CopyRect(const TRect& dest, const TCanvas& source, const TRect& srcRect) = 0;
    virtual void TextOut(int x, int y, const std::string& text) = 0;
    virtual int TextWidth(const std::string& text) = 0;
    virtual int TextHeight(const std::string& text) = 0;
    // The metrics of Font.
    virtual TFontMetrics FontMetrics() = 0;

    // A bitmap compatible with this canvas, filled black.
    virtual std::unique_ptr<TBitmap> CreateBitmap(int width, int height) const = 0;

    // Shows on the device what was drawn since the last call. A canvas composed in memory keeps
    // its drawing there until then; one that draws straight on its device has nothing to do.
    virtual void Present() {}

    void Polyline(const TPoint* points, int count) {
        if (count <= 0) {
            return;
        }
        MoveTo(points[0].X, points[0].Y);
        for (int i = 1; i < count; ++i) {
            LineTo(points[i].X, points[i].Y);
        }
    }
};

class TBitmap {
public:
    virtual ~TBitmap() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual TCanvas& Canvas() = 0;
    virtual const TCanvas& Canvas() const = 0;
};
