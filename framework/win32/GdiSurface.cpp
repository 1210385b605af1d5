#include "framework/win32/GdiSurface.h"

#include <algorithm>
#include <cstring>

#include "framework/ThinLine.h"

namespace {

// A DIB pixel holds blue in its low byte; a TColor holds red there.
std::uint32_t ToPixel(TColor c) {
    return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

TColor FromPixel(std::uint32_t p) {
    return ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu);
}

TRect Intersect(const TRect& a, const TRect& b) {
    const TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
                  std::min(a.Bottom, b.Bottom)};
    return r.IsEmpty() ? TRect{} : r;
}

std::int64_t Span(int from, int to) {
    return static_cast<std::int64_t>(to) - from;
}

}  // namespace

TDibStorage::TDibStorage(int width, int height) : SectionDc(CreateCompatibleDC(nullptr)) {
    Allocate(width, height, false);
}

TDibStorage::~TDibStorage() {
    // The section leaves the DC before its owner deletes it.
    if (OriginalBitmap != nullptr) {
        SelectObject(SectionDc.Get(), OriginalBitmap);
    }
}

bool TDibStorage::Allocate(int width, int height, bool keep) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (!SectionDc) {
        return false;
    }
    UniqueGdiObject section;
    void* bits = nullptr;
    if (width > 0 && height > 0) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down: row y starts at y x width
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        section.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!section || bits == nullptr) {
            return false;
        }
        // A new section is zeroed by the system: black.
        if (keep && Bits != nullptr) {
            GdiFlush();
            const int rows = std::min(height, BitsHeight);
            const auto columns = static_cast<std::size_t>(std::min(width, BitsWidth));
            for (int y = 0; y < rows; ++y) {
                std::memcpy(static_cast<std::uint32_t*>(bits) + static_cast<std::size_t>(y) * width,
                            Bits + static_cast<std::size_t>(y) * BitsWidth, columns * sizeof(std::uint32_t));
            }
        }
    }
    // An empty canvas has the DC's own 1 x 1 bitmap back: its DC stays valid for GDI calls.
    if (section) {
        const HGDIOBJ previous = SelectObject(SectionDc.Get(), section.Get());
        if (OriginalBitmap == nullptr) {
            OriginalBitmap = previous;
        }
    } else if (OriginalBitmap != nullptr) {
        SelectObject(SectionDc.Get(), OriginalBitmap);
        OriginalBitmap = nullptr;
    }
    Section = std::move(section);  // the old section is out of the DC by now
    Bits = static_cast<std::uint32_t*>(bits);
    BitsWidth = Bits != nullptr ? width : 0;
    BitsHeight = Bits != nullptr ? height : 0;
    return true;
}

TDibCanvas::TDibCanvas(int width, int height) : TDibStorage(width, height), TGdiCanvas(SectionDc.Get(), 0, 0) {}

TRect TDibCanvas::Inside(const TRect& r) const {
    return Intersect(r, {0, 0, BitsWidth, BitsHeight});
}

template <typename TWrite>
void TDibCanvas::ForEachVisible(const TRect& r, TWrite write) {
    const TRect inside = Inside(r);
    if (inside.IsEmpty()) {
        return;
    }
    SyncBits();
    if (!Clipped) {
        write(inside);
        Changed(inside);
        return;
    }
    for (const TRect& clip : ClipRects) {
        const TRect part = Intersect(inside, clip);
        if (!part.IsEmpty()) {
            write(part);
            Changed(part);
        }
    }
}

void TDibCanvas::SyncBits() const {
    if (GdiPending) {
        GdiFlush();
        GdiPending = false;
    }
}

void TDibCanvas::DrewWithGdi(const TRect& bounds) {
    GdiPending = true;
    const TRect inside = Inside(bounds);
    if (inside.IsEmpty()) {
        return;
    }
    if (!Clipped) {
        Changed(inside);
        return;
    }
    for (const TRect& clip : ClipRects) {
        const TRect part = Intersect(inside, clip);
        if (!part.IsEmpty()) {
            Changed(part);
        }
    }
}

void TDibCanvas::FillRect(const TRect& r) {
    const std::uint32_t pixel = ToPixel(Brush.Color);
    ForEachVisible(r, [this, pixel](const TRect& part) {
        const auto width = static_cast<std::size_t>(part.Width());
        for (int y = part.Top; y < part.Bottom; ++y) {
            std::fill_n(Bits + static_cast<std::size_t>(y) * BitsWidth + part.Left, width, pixel);
        }
    });
}

void TDibCanvas::SetPixel(int x, int y, TColor c) {
    if (x < 0 || y < 0 || x >= BitsWidth || y >= BitsHeight) {
        return;
    }
    const std::uint32_t pixel = ToPixel(c);
    ForEachVisible({x, y, x + 1, y + 1},
                   [this, pixel, x, y](const TRect&) { Bits[static_cast<std::size_t>(y) * BitsWidth + x] = pixel; });
}

TColor TDibCanvas::GetPixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= BitsWidth || y >= BitsHeight) {
        return clBlack;
    }
    SyncBits();
    return FromPixel(Bits[static_cast<std::size_t>(y) * BitsWidth + x]);
}

void TDibCanvas::LineTo(int x, int y) {
    const TPoint from = PenPos();
    if (DrawThinLine(from, {x, y}) || StampLine(from, {x, y})) {
        TGdiCanvas::MoveTo(x, y);
        return;
    }
    TGdiCanvas::LineTo(x, y);
    // A wide pen's round ends reach half its width beyond the end points.
    const std::int64_t reach = std::max(Pen.Width, 1) / 2 + 1;
    const auto bound = [](std::int64_t v) {
        return static_cast<int>(std::clamp<std::int64_t>(v, -(1 << 30), 1 << 30));
    };
    DrewWithGdi({bound(std::min(from.X, x) - reach), bound(std::min(from.Y, y) - reach),
                 bound(std::max(from.X, x) + reach + 1), bound(std::max(from.Y, y) + reach + 1)});
}

bool TDibCanvas::DrawThinLine(TPoint from, TPoint to) {
    // The GDI canvas hands the device end points up to this far out unchanged and cuts lines
    // reaching further itself; those keep its path, so that they too look as before.
    constexpr int Limit = 1 << 15;
    const auto inRange = [](int v) { return v >= -Limit && v <= Limit; };
    if (Clipped || std::max(Pen.Width, 1) != 1 || !inRange(from.X) || !inRange(from.Y) || !inRange(to.X) ||
        !inRange(to.Y)) {
        return false;
    }
    SyncBits();
    const std::uint32_t pixel = ToPixel(Pen.Color);
    // The changed area goes out in pieces along the line, each the box of a few dozen pixels: a
    // long diagonal's whole box would have the window copy mostly pixels that did not change.
    constexpr int PiecePixels = 32;
    TPoint pieceStart;
    TPoint pieceEnd;
    int pieceCount = 0;
    const auto flush = [&] {
        Changed({std::min(pieceStart.X, pieceEnd.X), std::min(pieceStart.Y, pieceEnd.Y),
                 std::max(pieceStart.X, pieceEnd.X) + 1, std::max(pieceStart.Y, pieceEnd.Y) + 1});
        pieceCount = 0;
    };
    ThinLine::ForEachPixel(from, to, {0, 0, BitsWidth, BitsHeight}, [&](int x, int y) {
        Bits[static_cast<std::size_t>(y) * BitsWidth + x] = pixel;
        if (pieceCount == 0) {
            pieceStart = {x, y};
        }
        pieceEnd = {x, y};
        if (++pieceCount == PiecePixels) {
            flush();
        }
    });
    if (pieceCount > 0) {
        flush();
    }
    return true;
}

bool TDibCanvas::StampLine(TPoint from, TPoint to) {
    constexpr int Limit = 4096;
    const int width = std::max(Pen.Width, 1);
    const bool across = from.Y == to.Y && from.X != to.X;
    const bool down = from.X == to.X && from.Y != to.Y;
    const auto inRange = [](int v) { return v > -Limit && v < Limit; };
    if (Clipped || !(across || down) || width > 16 || !inRange(from.X) || !inRange(from.Y) || !inRange(to.X) ||
        !inRange(to.Y)) {
        return false;
    }
    const int dx = to.X - from.X;
    const int dy = to.Y - from.Y;
    const TStampKey key{dx, dy, width};
    auto found = Stamps.find(key);
    if (found == Stamps.end()) {
        if (Stamps.size() >= MaxStamps) {
            Stamps.clear();
        }
        // The device draws the line once on a black scratch canvas; what it lit is the stamp.
        const int margin = width + 4;
        TDibCanvas scratch(std::abs(dx) + 2 * margin + 1, std::abs(dy) + 2 * margin + 1);
        if (!scratch.Valid()) {
            return false;
        }
        const TPoint start{margin + std::max(-dx, 0), margin + std::max(-dy, 0)};
        scratch.Pen = {clWhite, width};
        scratch.TGdiCanvas::MoveTo(start.X, start.Y);
        scratch.TGdiCanvas::LineTo(start.X + dx, start.Y + dy);
        scratch.GdiPending = true;
        std::vector<TPoint> lit;
        for (int y = 0; y < scratch.Height(); ++y) {
            for (int x = 0; x < scratch.Width(); ++x) {
                if (scratch.GetPixel(x, y) != clBlack) {
                    lit.push_back({x - start.X, y - start.Y});
                }
            }
        }
        found = Stamps.emplace(key, std::move(lit)).first;
    }
    const std::vector<TPoint>& lit = found->second;
    if (lit.empty()) {
        return true;
    }
    SyncBits();
    const std::uint32_t pixel = ToPixel(Pen.Color);
    TRect bounds{from.X + lit.front().X, from.Y + lit.front().Y, from.X + lit.front().X + 1,
                 from.Y + lit.front().Y + 1};
    for (const TPoint& p : lit) {
        const int x = from.X + p.X;
        const int y = from.Y + p.Y;
        if (x >= 0 && y >= 0 && x < BitsWidth && y < BitsHeight) {
            Bits[static_cast<std::size_t>(y) * BitsWidth + x] = pixel;
        }
        bounds = {std::min(bounds.Left, x), std::min(bounds.Top, y), std::max(bounds.Right, x + 1),
                  std::max(bounds.Bottom, y + 1)};
    }
    const TRect inside = Inside(bounds);
    if (!inside.IsEmpty()) {
        Changed(inside);
    }
    return true;
}

void TDibCanvas::TextOut(int x, int y, const std::string& text) {
    TGdiCanvas::TextOut(x, y, text);
    // Rare on a surface: whatever the glyphs' overhangs, the whole canvas counts as changed.
    DrewWithGdi({0, 0, BitsWidth, BitsHeight});
}

void TDibCanvas::CopyRect(const TRect& dest, const TCanvas& source, const TRect& srcRect) {
    const auto* dib = dynamic_cast<const TDibCanvas*>(&source);
    const bool sameSize = Span(dest.Left, dest.Right) == Span(srcRect.Left, srcRect.Right) &&
                          Span(dest.Top, dest.Bottom) == Span(srcRect.Top, srcRect.Bottom);
    if (dib == nullptr || !sameSize || CopyMode != TCopyMode::Copy) {
        TGdiCanvas::CopyRect(dest, source, srcRect);
        DrewWithGdi(dest);
        return;
    }
    // As a device copy does: only the part of the source inside its bitmap is copied.
    const TRect from = dib->Inside(srcRect);
    if (from.IsEmpty()) {
        return;
    }
    const std::int64_t dx = static_cast<std::int64_t>(dest.Left) - srcRect.Left;
    const std::int64_t dy = static_cast<std::int64_t>(dest.Top) - srcRect.Top;
    const auto shift = [](int v, std::int64_t d) {
        return static_cast<int>(std::clamp<std::int64_t>(v + d, -(1 << 30), 1 << 30));
    };
    const TRect to{shift(from.Left, dx), shift(from.Top, dy), shift(from.Right, dx), shift(from.Bottom, dy)};
    dib->SyncBits();
    ForEachVisible(to, [this, dib, dx, dy](const TRect& part) {
        const auto width = static_cast<std::size_t>(part.Width());
        const int sx = static_cast<int>(part.Left - dx);
        // A copy within one canvas may overlap itself: rows go in the order that reads each row
        // before it is overwritten.
        const bool upward = dib == this && dy > 0;
        for (int i = 0; i < part.Height(); ++i) {
            const int y = upward ? part.Bottom - 1 - i : part.Top + i;
            const int sy = static_cast<int>(y - dy);
            std::memmove(Bits + static_cast<std::size_t>(y) * BitsWidth + part.Left,
                         dib->Bits + static_cast<std::size_t>(sy) * dib->BitsWidth + sx, width * sizeof(std::uint32_t));
        }
    });
}

std::unique_ptr<TBitmap> TDibCanvas::CreateBitmap(int width, int height) const {
    return std::make_unique<TDibBitmap>(width, height);
}

void TDibCanvas::ClipTo(HRGN region) {
    SyncBits();
    ClipRects.clear();
    Clipped = region != nullptr;
    SelectClipRgn(Dc(), region);
    if (region == nullptr) {
        return;
    }
    const DWORD size = GetRegionData(region, 0, nullptr);
    if (size < sizeof(RGNDATAHEADER)) {
        return;  // nothing readable: everything is clipped away
    }
    std::vector<std::uint8_t> buffer(size);
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    if (GetRegionData(region, size, data) == 0) {
        return;
    }
    const auto* rects = reinterpret_cast<const RECT*>(data->Buffer);
    for (DWORD i = 0; i < data->rdh.nCount; ++i) {
        ClipRects.push_back({rects[i].left, rects[i].top, rects[i].right, rects[i].bottom});
    }
}

bool TDibCanvas::Resize(int width, int height) {
    SyncBits();
    return Allocate(width, height, true);
}

TSurfaceCanvas::TSurfaceCanvas(HWND window) : TDibCanvas(0, 0), Target(window), TargetDc(window) {
    RECT client{};
    GetClientRect(window, &client);
    ClientResized(client.right - client.left, client.bottom - client.top);
}

void TSurfaceCanvas::ResetTiles() {
    TilesX = (Width() + TileWidth - 1) / TileWidth;
    TilesY = (Height() + TileHeight - 1) / TileHeight;
    Dirty.assign(static_cast<std::size_t>(TilesX) * static_cast<std::size_t>(TilesY), 0);
    DirtyTop = TilesY;
    DirtyBottom = 0;
}

void TSurfaceCanvas::ClientResized(int width, int height) {
    if (width == Width() && height == Height()) {
        return;
    }
    // What was drawn and not shown yet goes to the window before the tiles are laid anew.
    Present();
    Resize(width, height);
    ResetTiles();
}

void TSurfaceCanvas::Changed(const TRect& r) {
    const int x0 = r.Left / TileWidth;
    const int x1 = (r.Right - 1) / TileWidth;
    const int y0 = r.Top / TileHeight;
    const int y1 = (r.Bottom - 1) / TileHeight;
    for (int ty = y0; ty <= y1; ++ty) {
        std::uint8_t* row = Dirty.data() + static_cast<std::size_t>(ty) * TilesX;
        std::fill(row + x0, row + x1 + 1, std::uint8_t{1});
    }
    DirtyTop = std::min(DirtyTop, y0);
    DirtyBottom = std::max(DirtyBottom, y1 + 1);
}

void TSurfaceCanvas::Present() {
    if (DirtyTop >= DirtyBottom) {
        return;
    }
    // A copy to the window costs about as much for its call as for a few thousand pixels: clean
    // tiles between dirty ones are copied along when that is cheaper than another call. A tile
    // row's dirty runs join across short gaps, and each run extends the rectangle above it when
    // the tiles that adds needlessly cost less than a call.
    std::vector<TRun>& open = OpenRuns;
    std::vector<TRun>& next = NextRuns;
    std::vector<TRect>& copies = Copies;
    open.clear();
    copies.clear();
    const auto close = [this, &copies](const TRun& run) {
        copies.push_back({run.From * TileWidth, run.Top * TileHeight, std::min(run.To * TileWidth, Width()),
                          std::min(run.Bottom * TileHeight, Height())});
    };
    for (int ty = DirtyTop; ty < DirtyBottom; ++ty) {
        next.clear();
        std::uint8_t* row = Dirty.data() + static_cast<std::size_t>(ty) * TilesX;
        for (int tx = 0; tx < TilesX; ++tx) {
            if (row[tx] == 0) {
                continue;
            }
            row[tx] = 0;
            if (!next.empty() && tx - next.back().To <= TilesPerCall) {
                next.back().To = tx + 1;
            } else {
                next.push_back({tx, tx + 1, ty, ty + 1});
            }
        }
        for (TRun& run : next) {
            for (TRun& above : open) {
                if (above.Bottom != ty || above.To <= run.From || run.To <= above.From) {
                    continue;
                }
                const int from = std::min(above.From, run.From);
                const int to = std::max(above.To, run.To);
                const int wasted = (to - from) * (ty + 1 - above.Top) - (above.To - above.From) * (ty - above.Top) -
                                   (run.To - run.From);
                if (wasted <= TilesPerCall) {
                    run = {from, to, above.Top, ty + 1};
                    above.Bottom = -1;  // taken over by run
                    break;
                }
            }
        }
        for (const TRun& above : open) {
            if (above.Bottom >= 0) {
                close(above);
            }
        }
        std::swap(open, next);
    }
    for (const TRun& run : open) {
        close(run);
    }
    DirtyTop = TilesY;
    DirtyBottom = 0;
    const HDC window = TargetDc.Get();
    if (window == nullptr) {
        return;
    }
    for (const TRect& r : copies) {
        BitBlt(window, r.Left, r.Top, r.Width(), r.Height(), Dc(), r.Left, r.Top, SRCCOPY);
    }
}

void TSurfaceCanvas::BeginPaint(HRGN region) {
    Present();
    ClipTo(region);
}

void TSurfaceCanvas::EndPaint() {
    Present();
    ClipTo(nullptr);
}
