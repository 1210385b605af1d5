#include "framework/MemoryCanvas.h"

#include <algorithm>
#include <cstdlib>

#include "framework/Numbers.h"

namespace {

int ClampSize(int v) {
    return v < 0 ? 0 : v;
}

TColor Combine(TCopyMode mode, TColor dest, TColor src) {
    switch (mode) {
        case TCopyMode::Copy:
            return src;
        case TCopyMode::And:
            return dest & src;
        case TCopyMode::Invert:
            return dest ^ src;
        case TCopyMode::Blackness:
            return clBlack;
        case TCopyMode::Whiteness:
            return clWhite;
    }
    return src;
}

}  // namespace

TMemoryCanvas::TMemoryCanvas(int width, int height, TColor fill)
    : PixelWidth(ClampSize(width)),
      PixelHeight(ClampSize(height)),
      Pixels(static_cast<std::size_t>(PixelWidth) * static_cast<std::size_t>(PixelHeight), fill) {}

void TMemoryCanvas::Plot(int x, int y, TColor c) {
    if (Contains(x, y)) {
        Pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(PixelWidth) + static_cast<std::size_t>(x)] =
            c & 0xFFFFFFu;
    }
}

void TMemoryCanvas::FillRect(const TRect& r) {
    const int left = std::max(r.Left, 0);
    const int top = std::max(r.Top, 0);
    const int right = std::min(r.Right, PixelWidth);
    const int bottom = std::min(r.Bottom, PixelHeight);
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            Plot(x, y, Brush.Color);
        }
    }
}

void TMemoryCanvas::SetPixel(int x, int y, TColor c) {
    ++PixelWrites;
    Plot(x, y, c);
}

TColor TMemoryCanvas::GetPixel(int x, int y) const {
    if (!Contains(x, y)) {
        return clBlack;
    }
    return Pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(PixelWidth) + static_cast<std::size_t>(x)];
}

void TMemoryCanvas::MoveTo(int x, int y) {
    PenPos = {x, y};
}

void TMemoryCanvas::Stamp(int x, int y, TColor c, int width) {
    if (width <= 1) {
        Plot(x, y, c);
        return;
    }
    const int from = -(width / 2);
    for (int dy = from; dy < from + width; ++dy) {
        for (int dx = from; dx < from + width; ++dx) {
            Plot(x + dx, y + dy, c);
        }
    }
}

void TMemoryCanvas::LineTo(int x, int y) {
    Lines.push_back({PenPos.X, PenPos.Y, x, y, Pen.Color, Pen.Width});
    int x0 = PenPos.X;
    int y0 = PenPos.Y;
    PenPos = {x, y};
    // A line reaching far outside (an untrusted coordinate) would cost one step per pixel of its
    // length; such lines are not walked, the device clips them away anyway.
    const long long reach = 4LL * (PixelWidth + PixelHeight) + Pen.Width + 64;
    const auto far = [reach](long long v) { return v < -reach || v > reach; };
    if (far(x0) || far(y0) || far(x) || far(y)) {
        return;
    }
    // Bresenham from the pen position, leaving out the end point as the device does.
    const int dx = std::abs(x - x0);
    const int dy = -std::abs(y - y0);
    const int sx = x0 < x ? 1 : -1;
    const int sy = y0 < y ? 1 : -1;
    int err = dx + dy;
    // Long off-canvas lines are bounded by their own length; nothing here can loop forever.
    while (x0 != x || y0 != y) {
        Stamp(x0, y0, Pen.Color, Pen.Width);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

void TMemoryCanvas::CopyRect(const TRect& dest, const TCanvas& source, const TRect& srcRect) {
    const int w = dest.Width();
    const int h = dest.Height();
    const int sw = srcRect.Width();
    const int sh = srcRect.Height();
    if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0) {
        return;
    }
    for (int y = 0; y < h; ++y) {
        const int sy = srcRect.Top + (sh == h ? y : static_cast<int>(static_cast<long long>(y) * sh / h));
        for (int x = 0; x < w; ++x) {
            const int sx = srcRect.Left + (sw == w ? x : static_cast<int>(static_cast<long long>(x) * sw / w));
            const int tx = dest.Left + x;
            const int ty = dest.Top + y;
            if (Contains(tx, ty)) {
                Plot(tx, ty, Combine(CopyMode, GetPixel(tx, ty), source.GetPixel(sx, sy)));
            }
        }
    }
}

int TMemoryCanvas::CellWidth() const {
    return std::max(1, Font.Height / 2);
}

void TMemoryCanvas::TextOut(int x, int y, const std::string& text) {
    const int cell = CellWidth();
    const TColor brush = Brush.Color;
    Brush.Color = Font.Color;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != ' ') {
            const std::int64_t left = x + static_cast<std::int64_t>(i) * cell;
            FillRect({Clamp32(left), y, Clamp32(left + cell), Clamp32(static_cast<std::int64_t>(y) + Font.Height)});
        }
    }
    Brush.Color = brush;
    PenPos = {Clamp32(x + static_cast<std::int64_t>(TextWidth(text))), y};
}

int TMemoryCanvas::TextWidth(const std::string& text) {
    return Clamp32(static_cast<std::int64_t>(text.size()) * CellWidth());
}

TFontMetrics TMemoryCanvas::FontMetrics() {
    return {Font.Height, 0};
}

int TMemoryCanvas::TextHeight(const std::string& /*text*/) {
    return Font.Height;
}

std::unique_ptr<TBitmap> TMemoryCanvas::CreateBitmap(int width, int height) const {
    return std::make_unique<TMemoryBitmap>(width, height);
}
