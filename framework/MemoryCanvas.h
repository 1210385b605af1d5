#pragma once
// A canvas over 32-bit pixels in memory. Fills, single pixels, same-size copies and the raster
// operations are exact, so native tests can read what a painter drew; lines are plain Bresenham
// (thick pens stamp squares) and text is a row of fixed cells, each character but a blank a
// solid block of Font.Color, so a test can find where a painter put its text.

#include <cstdint>
#include <vector>

#include "framework/Graphics.h"

struct TLineRecord {
    int X1, Y1, X2, Y2;
    TColor Color;
    int Width;
};

class TMemoryCanvas : public TCanvas {
public:
    TMemoryCanvas(int width, int height, TColor fill = clBlack);

    int Width() const override { return PixelWidth; }
    int Height() const override { return PixelHeight; }

    void FillRect(const TRect& r) override;
    void SetPixel(int x, int y, TColor c) override;
    TColor GetPixel(int x, int y) const override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void CopyRect(const TRect& dest, const TCanvas& source, const TRect& srcRect) override;
    void TextOut(int x, int y, const std::string& text) override;
    int TextWidth(const std::string& text) override;
    int TextHeight(const std::string& text) override;
    TFontMetrics FontMetrics() override;
    std::unique_ptr<TBitmap> CreateBitmap(int width, int height) const override;

    // Every line drawn, in order, so tests can compare what was drawn with what was erased.
    std::vector<TLineRecord> Lines;
    // Counts single-pixel writes (inside or outside the canvas).
    int PixelWrites = 0;

    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < PixelWidth && y < PixelHeight; }

private:
    void Plot(int x, int y, TColor c);
    int CellWidth() const;
    void Stamp(int x, int y, TColor c, int width);

    int PixelWidth;
    int PixelHeight;
    std::vector<TColor> Pixels;
    TPoint PenPos;
};

class TMemoryBitmap : public TBitmap {
public:
    TMemoryBitmap(int width, int height) : Surface(width, height) {}
    int Width() const override { return Surface.Width(); }
    int Height() const override { return Surface.Height(); }
    TCanvas& Canvas() override { return Surface; }
    const TCanvas& Canvas() const override { return Surface; }

private:
    TMemoryCanvas Surface;
};
