#include "framework/win32/GdiSurface.h"

#include <algorithm>
#include <cstring>
#include <utility>

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

std::int64_t Area(const TRect& r) {
    return Span(r.Left, r.Right) * Span(r.Top, r.Bottom);
}

TRect Union(const TRect& a, const TRect& b) {
    return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right), std::max(a.Bottom, b.Bottom)};
}

// What copying r to the window costs, in pixels copied: each row costs some on its own.
std::int64_t CopyCost(const TRect& r) {
    return Area(r) + Span(r.Top, r.Bottom) * TSurfaceCanvas::RowCost;
}

// What copying the box of a and b costs beyond copying each (negative where they overlap).
std::int64_t Waste(const TRect& a, const TRect& b) {
    return CopyCost(Union(a, b)) - CopyCost(a) - CopyCost(b);
}

// The box of the pixels a write really changed.
struct TChangedArea {
    TRect Bounds;
    void Add(int left, int right, int y) {
        const TRect span{left, y, right, y + 1};
        Bounds = Bounds.IsEmpty() ? span : Union(Bounds, span);
    }
};

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
    write(inside);
    Changed(inside);
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
    if (!inside.IsEmpty()) {
        Changed(inside);
    }
}

std::uint32_t* TDibCanvas::Row(int y) const {
    return Bits + static_cast<std::size_t>(y) * BitsWidth;
}

void TDibCanvas::FillRect(const TRect& r) {
    const std::uint32_t pixel = ToPixel(Brush.Color);
    ForEachVisible(r, [this, pixel](const TRect& part) {
        const auto width = static_cast<std::size_t>(part.Width());
        for (int y = part.Top; y < part.Bottom; ++y) {
            std::fill_n(Row(y) + part.Left, width, pixel);
        }
    });
}

void TDibCanvas::SetPixel(int x, int y, TColor c) {
    if (x < 0 || y < 0 || x >= BitsWidth || y >= BitsHeight) {
        return;
    }
    const std::uint32_t pixel = ToPixel(c);
    ForEachVisible({x, y, x + 1, y + 1}, [this, pixel, x, y](const TRect&) { Row(y)[x] = pixel; });
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
    if (std::max(Pen.Width, 1) != 1 || !inRange(from.X) || !inRange(from.Y) || !inRange(to.X) || !inRange(to.Y)) {
        return false;
    }
    SyncBits();
    const std::uint32_t pixel = ToPixel(Pen.Color);
    // The changed area goes out in pieces along the line, one for each cell the line crosses: a
    // long diagonal's whole box would hold mostly pixels that did not change, and a call per
    // pixel costs more than the pixel.
    TRect piece;
    TRect cell;  // the cell that holds piece
    ThinLine::ForEachPixel(from, to, {0, 0, BitsWidth, BitsHeight}, [&](int x, int y) {
        Row(y)[x] = pixel;
        const TRect dot{x, y, x + 1, y + 1};
        if (x >= cell.Left && x < cell.Right && y >= cell.Top && y < cell.Bottom) {
            piece = Union(piece, dot);
            return;
        }
        if (!piece.IsEmpty()) {
            Changed(piece);
        }
        const int left = x / ChangeCellWidth * ChangeCellWidth;
        const int top = y / ChangeCellHeight * ChangeCellHeight;
        cell = {left, top, left + ChangeCellWidth, top + ChangeCellHeight};
        piece = dot;
    });
    if (!piece.IsEmpty()) {
        Changed(piece);
    }
    return true;
}

bool TDibCanvas::StampLine(TPoint from, TPoint to) {
    constexpr int Limit = 4096;
    const int width = std::max(Pen.Width, 1);
    const bool across = from.Y == to.Y && from.X != to.X;
    const bool down = from.X == to.X && from.Y != to.Y;
    const auto inRange = [](int v) { return v > -Limit && v < Limit; };
    if (!(across || down) || width > 16 || !inRange(from.X) || !inRange(from.Y) || !inRange(to.X) || !inRange(to.Y)) {
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
    // A meter draws its separators over the same ones frame after frame: only pixels that take a
    // new value count as changed. (Elsewhere a read before each write would cost more, in memory
    // that is not in the cache, than copying the few pixels it spares.)
    TChangedArea changed;
    for (const TPoint& p : lit) {
        const int x = from.X + p.X;
        const int y = from.Y + p.Y;
        if (x >= 0 && y >= 0 && x < BitsWidth && y < BitsHeight && Row(y)[x] != pixel) {
            Row(y)[x] = pixel;
            changed.Add(x, x + 1, y);
        }
    }
    if (!changed.Bounds.IsEmpty()) {
        Changed(changed.Bounds);
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
            std::memmove(Row(y) + part.Left, dib->Row(static_cast<int>(y - dy)) + sx, width * sizeof(std::uint32_t));
        }
    });
}

std::unique_ptr<TBitmap> TDibCanvas::CreateBitmap(int width, int height) const {
    return std::make_unique<TDibBitmap>(width, height);
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
    Dirty.assign(static_cast<std::size_t>(TilesX) * static_cast<std::size_t>(TilesY), TTileBox{0, 0, 0, 0});
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
    // r lies inside the surface: its coordinates are not negative, and divide as unsigned.
    const auto tileRow = [](int y) { return static_cast<int>(static_cast<unsigned>(y) / TileHeight); };
    const auto tileColumn = [](int x) { return static_cast<int>(static_cast<unsigned>(x) / TileWidth); };
    const int y0 = tileRow(r.Top);
    const int y1 = tileRow(r.Bottom - 1);
    const int x0 = tileColumn(r.Left);
    const int x1 = tileColumn(r.Right - 1);
    if (x0 == x1 && y0 == y1) {
        // Within one tile, as a spark or a piece of a line is: the common case, kept short.
        TTileBox& box = Dirty[static_cast<std::size_t>(y0) * TilesX + x0];
        const auto left = static_cast<std::uint8_t>(r.Left - x0 * TileWidth);
        const auto top = static_cast<std::uint8_t>(r.Top - y0 * TileHeight);
        const auto right = static_cast<std::uint8_t>(r.Right - x0 * TileWidth);
        const auto bottom = static_cast<std::uint8_t>(r.Bottom - y0 * TileHeight);
        box = box.Right == 0 ? TTileBox{left, top, right, bottom}
                             : TTileBox{std::min(box.Left, left), std::min(box.Top, top), std::max(box.Right, right),
                                        std::max(box.Bottom, bottom)};
        DirtyTop = std::min(DirtyTop, y0);
        DirtyBottom = std::max(DirtyBottom, y0 + 1);
        return;
    }
    for (int ty = y0; ty <= y1; ++ty) {
        const int top = std::max(r.Top - ty * TileHeight, 0);
        const int bottom = std::min(r.Bottom - ty * TileHeight, TileHeight);
        TTileBox* row = Dirty.data() + static_cast<std::size_t>(ty) * TilesX;
        for (int tx = x0; tx <= x1; ++tx) {
            const int left = std::max(r.Left - tx * TileWidth, 0);
            const int right = std::min(r.Right - tx * TileWidth, TileWidth);
            TTileBox& box = row[tx];
            if (box.Right == 0) {
                box = {static_cast<std::uint8_t>(left), static_cast<std::uint8_t>(top),
                       static_cast<std::uint8_t>(right), static_cast<std::uint8_t>(bottom)};
            } else {
                box = {std::min(box.Left, static_cast<std::uint8_t>(left)),
                       std::min(box.Top, static_cast<std::uint8_t>(top)),
                       std::max(box.Right, static_cast<std::uint8_t>(right)),
                       std::max(box.Bottom, static_cast<std::uint8_t>(bottom))};
            }
        }
    }
    DirtyTop = std::min(DirtyTop, y0);
    DirtyBottom = std::max(DirtyBottom, y1 + 1);
}

void TSurfaceCanvas::Gather(const TRect& run) {
    std::size_t best = Open.size();
    std::int64_t bestWaste = CallCost;
    for (std::size_t i = 0; i < Open.size(); ++i) {
        const std::int64_t waste = Waste(Open[i], run);
        if (waste <= bestWaste) {
            best = i;
            bestWaste = waste;
        }
    }
    if (best < Open.size()) {
        Open[best] = Union(Open[best], run);
        return;
    }
    if (Open.size() == MostOpen) {
        const auto highest = std::min_element(Open.begin(), Open.end(),
                                              [](const TRect& a, const TRect& b) { return a.Bottom < b.Bottom; });
        Copies.push_back(*highest);
        *highest = Open.back();
        Open.pop_back();
    }
    Open.push_back(run);
}

void TSurfaceCanvas::Present() {
    if (DirtyTop >= DirtyBottom) {
        return;
    }
    // One rule joins what changed into the rectangles that are copied: two areas go out as their
    // joint box when that box costs no more than the call it saves (CopyCost). Down the tile rows,
    // the tiles' boxes of a row join left to right into runs, and each run joins the open rectangle
    // it wastes least with; a rectangle that could only reach the row below at more than a call's
    // cost is finished. Each rectangle is then one plain copy. (A copy clipped to the rectangles
    // would need a region built and selected into the window's DC every frame, and under Wine each
    // clip becomes X requests that the X server answers with errors.)
    Open.clear();
    Copies.clear();
    for (int ty = DirtyTop; ty < DirtyBottom; ++ty) {
        const int rowTop = ty * TileHeight;
        for (std::size_t i = 0; i < Open.size();) {
            if (Span(Open[i].Bottom, rowTop) * (Open[i].Width() + RowCost) > CallCost) {
                Copies.push_back(Open[i]);
                Open[i] = Open.back();
                Open.pop_back();
            } else {
                ++i;
            }
        }
        TTileBox* row = Dirty.data() + static_cast<std::size_t>(ty) * TilesX;
        TRect run;
        for (int tx = 0; tx < TilesX; ++tx) {
            TTileBox& box = row[tx];
            if (box.Right == 0) {
                continue;
            }
            const int left = tx * TileWidth;
            const TRect changed{left + box.Left, rowTop + box.Top, left + box.Right, rowTop + box.Bottom};
            box = TTileBox{0, 0, 0, 0};
            if (run.IsEmpty() || Waste(run, changed) <= CallCost) {
                run = run.IsEmpty() ? changed : Union(run, changed);
            } else {
                Gather(run);
                run = changed;
            }
        }
        if (!run.IsEmpty()) {
            Gather(run);
        }
    }
    Copies.insert(Copies.end(), Open.begin(), Open.end());
    DirtyTop = TilesY;
    DirtyBottom = 0;
    const HDC window = TargetDc.Get();
    if (window == nullptr) {
        return;
    }
    for (const TRect& r : Copies) {
        BitBlt(window, r.Left, r.Top, r.Width(), r.Height(), Dc(), r.Left, r.Top, SRCCOPY);
    }
}
