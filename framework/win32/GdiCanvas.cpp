#include "framework/win32/GdiCanvas.h"

#include <algorithm>
#include <climits>

namespace {

DWORD RasterOperation(TCopyMode mode) {
    switch (mode) {
        case TCopyMode::Copy:
            return SRCCOPY;
        case TCopyMode::And:
            return SRCAND;
        case TCopyMode::Invert:
            return SRCINVERT;
        case TCopyMode::Blackness:
            return BLACKNESS;
        case TCopyMode::Whiteness:
            return WHITENESS;
    }
    return SRCCOPY;
}

COLORREF ToColorRef(TColor c) {
    return static_cast<COLORREF>(c & 0xFFFFFFu);
}

// GDI takes 32-bit coordinates but is slow or wrong far outside the 16-bit range; untrusted
// positions are held to a range that still clips correctly.
constexpr int CoordinateLimit = 1 << 15;

int ClampCoordinate(int v) {
    return std::clamp(v, -CoordinateLimit, CoordinateLimit);
}

// Cuts the line to the square of CoordinateLimit keeping its slope; false when none of it is in.
bool ClipLine(double& x0, double& y0, double& x1, double& y1) {
    double t0 = 0.0;
    double t1 = 1.0;
    const double dx = x1 - x0;
    const double dy = y1 - y0;
    const double lim = CoordinateLimit;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 + lim, lim - x0, y0 + lim, lim - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) {
                return false;
            }
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) {
            t0 = std::max(t0, t);
        } else {
            t1 = std::min(t1, t);
        }
        if (t0 > t1) {
            return false;
        }
    }
    const double ox = x0;
    const double oy = y0;
    x0 = ox + t0 * dx;
    y0 = oy + t0 * dy;
    x1 = ox + t1 * dx;
    y1 = oy + t1 * dy;
    return true;
}

}  // namespace

TGdiCanvas::TGdiCanvas(HDC dc, int width, int height, HWND sizeWindow)
    : DeviceContext(dc), FixedWidth(width), FixedHeight(height), SizeWindow(sizeWindow) {}

TGdiCanvas::~TGdiCanvas() {
    if (DeviceContext == nullptr) {
        return;
    }
    // Deselect our objects before their owners delete them.
    if (OriginalPen != nullptr) {
        SelectObject(DeviceContext, OriginalPen);
    }
    if (OriginalFont != nullptr) {
        SelectObject(DeviceContext, OriginalFont);
    }
}

int TGdiCanvas::Width() const {
    if (SizeWindow != nullptr) {
        RECT r{};
        GetClientRect(SizeWindow, &r);
        return r.right - r.left;
    }
    return FixedWidth;
}

int TGdiCanvas::Height() const {
    if (SizeWindow != nullptr) {
        RECT r{};
        GetClientRect(SizeWindow, &r);
        return r.bottom - r.top;
    }
    return FixedHeight;
}

void TGdiCanvas::FillRect(const TRect& r) {
    if (DeviceContext == nullptr || r.IsEmpty()) {
        return;
    }
    // The DC's own brush with its colour set (every time: another painter of a shared DC may
    // have set it): no brush made per colour change.
    SetDCBrushColor(DeviceContext, ToColorRef(Brush.Color));
    const RECT rect{ClampCoordinate(r.Left), ClampCoordinate(r.Top), ClampCoordinate(r.Right),
                    ClampCoordinate(r.Bottom)};
    ::FillRect(DeviceContext, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void TGdiCanvas::SetPixel(int x, int y, TColor c) {
    if (DeviceContext != nullptr) {
        SetPixelV(DeviceContext, x, y, ToColorRef(c));
    }
}

TColor TGdiCanvas::GetPixel(int x, int y) const {
    if (DeviceContext == nullptr) {
        return clBlack;
    }
    const COLORREF c = ::GetPixel(DeviceContext, x, y);
    return c == CLR_INVALID ? clBlack : static_cast<TColor>(c);
}

void TGdiCanvas::UsePen() {
    const int width = std::max(Pen.Width, 1);
    if (width == 1) {
        // A thin pen is the DC's own pen with its colour set: the same pixels as a created solid
        // pen, without making and deleting a GDI object whenever a line changes colour.
        SetDCPenColor(DeviceContext, ToColorRef(Pen.Color));
        if (SelectedPen.Width != 1) {
            Select(GetStockObject(DC_PEN));
            SelectedPen = {Pen.Color, 1};
        }
        return;
    }
    const TPen wanted{Pen.Color & 0xFFFFFFu, width};
    if (SelectedPen.Color == wanted.Color && SelectedPen.Width == width) {
        return;
    }
    for (TCachedPen& cached : Pens) {
        if (cached.Handle && cached.Pen.Color == wanted.Color && cached.Pen.Width == width) {
            Select(cached.Handle.Get());
            SelectedPen = wanted;
            return;
        }
    }
    UniqueGdiObject pen(CreatePen(PS_SOLID, width, ToColorRef(wanted.Color)));
    if (!pen) {
        return;
    }
    Select(pen.Get());
    SelectedPen = wanted;
    // The slot taken is never the one that was selected a moment ago: that one is out of the DC
    // now, and so is every other cached pen.
    TCachedPen& slot = Pens[NextPenSlot];
    NextPenSlot = (NextPenSlot + 1) % PenCacheSize;
    slot.Handle = std::move(pen);
    slot.Pen = wanted;
}

void TGdiCanvas::Select(HGDIOBJ pen) {
    const HGDIOBJ previous = SelectObject(DeviceContext, pen);
    if (OriginalPen == nullptr) {
        OriginalPen = previous;
    }
}

void TGdiCanvas::MoveTo(int x, int y) {
    PenPosition = {x, y};
}

void TGdiCanvas::LineTo(int x, int y) {
    const TPoint from = PenPosition;
    PenPosition = {x, y};
    if (DeviceContext == nullptr) {
        return;
    }
    double x0 = from.X;
    double y0 = from.Y;
    double x1 = x;
    double y1 = y;
    if (!ClipLine(x0, y0, x1, y1)) {
        return;
    }
    UsePen();
    MoveToEx(DeviceContext, static_cast<int>(x0), static_cast<int>(y0), nullptr);
    ::LineTo(DeviceContext, static_cast<int>(x1), static_cast<int>(y1));
}

void TGdiCanvas::CopyRect(const TRect& dest, const TCanvas& source, const TRect& srcRect) {
    const auto* gdiSource = dynamic_cast<const TGdiCanvas*>(&source);
    if (DeviceContext == nullptr || gdiSource == nullptr || gdiSource->DeviceContext == nullptr) {
        return;
    }
    const DWORD rop = RasterOperation(CopyMode);
    if (dest.Width() == srcRect.Width() && dest.Height() == srcRect.Height()) {
        BitBlt(DeviceContext, dest.Left, dest.Top, dest.Width(), dest.Height(), gdiSource->DeviceContext, srcRect.Left,
               srcRect.Top, rop);
    } else {
        SetStretchBltMode(DeviceContext, COLORONCOLOR);
        StretchBlt(DeviceContext, dest.Left, dest.Top, dest.Width(), dest.Height(), gdiSource->DeviceContext,
                   srcRect.Left, srcRect.Top, srcRect.Width(), srcRect.Height(), rop);
    }
}

void TGdiCanvas::UseFont() {
    if (FontSelected && SelectedFont.Name == Font.Name && SelectedFont.Height == Font.Height &&
        SelectedFont.Bold == Font.Bold) {
        return;
    }
    UniqueGdiObject font(CreateFontA(-std::abs(Font.Height), 0, 0, 0, Font.Bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                                     FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                     DEFAULT_PITCH, Font.Name.c_str()));
    const HGDIOBJ previous = SelectObject(DeviceContext, font.Get());
    if (OriginalFont == nullptr) {
        OriginalFont = previous;
    }
    CurrentFont = std::move(font);
    SelectedFont = Font;
    FontSelected = true;
}

void TGdiCanvas::TextOut(int x, int y, const std::string& text) {
    if (DeviceContext == nullptr) {
        return;
    }
    UseFont();
    SetTextColor(DeviceContext, ToColorRef(Font.Color));
    SetBkMode(DeviceContext, TRANSPARENT);
    const int length = static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX));
    ::TextOutA(DeviceContext, x, y, text.data(), length);
}

SIZE TGdiCanvas::MeasureText(const std::string& text) {
    SIZE size{};
    if (DeviceContext != nullptr) {
        UseFont();
        const int length = static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX));
        GetTextExtentPoint32A(DeviceContext, text.data(), length, &size);
    }
    return size;
}

int TGdiCanvas::TextWidth(const std::string& text) {
    return MeasureText(text).cx;
}

int TGdiCanvas::TextHeight(const std::string& text) {
    return MeasureText(text).cy;
}

TFontMetrics TGdiCanvas::FontMetrics() {
    TEXTMETRICA metrics{};
    if (DeviceContext == nullptr) {
        return {};
    }
    UseFont();
    if (!GetTextMetricsA(DeviceContext, &metrics)) {
        return {};
    }
    return {static_cast<int>(metrics.tmHeight), static_cast<int>(metrics.tmInternalLeading)};
}

std::unique_ptr<TBitmap> TGdiCanvas::CreateBitmap(int width, int height) const {
    return std::make_unique<TGdiBitmap>(DeviceContext, width, height);
}

TGdiBitmap::TGdiBitmap(HDC dc, int width, int height)
    : BitmapWidth(std::max(width, 0)), BitmapHeight(std::max(height, 0)), Dc(CreateCompatibleDC(dc)) {
    if (Dc && BitmapWidth > 0 && BitmapHeight > 0) {
        // A compatible bitmap of a memory DC would be monochrome; take the format of the source
        // DC, or of the screen when there is none.
        HDC reference = dc;
        WindowDc screen;
        if (reference == nullptr) {
            screen = WindowDc(nullptr);
            reference = screen.Get();
        }
        Bitmap.Reset(CreateCompatibleBitmap(reference, BitmapWidth, BitmapHeight));
    }
    if (Bitmap) {
        Selection.emplace(Dc.Get(), Bitmap.Get());
        PatBlt(Dc.Get(), 0, 0, BitmapWidth, BitmapHeight, BLACKNESS);
    }
    Surface.emplace(Bitmap ? Dc.Get() : nullptr, BitmapWidth, BitmapHeight);
}

TGdiBitmap::~TGdiBitmap() {
    // The canvas gives back its pen and font, then the bitmap leaves the DC before it is deleted.
    Surface.reset();
    Selection.reset();
}
