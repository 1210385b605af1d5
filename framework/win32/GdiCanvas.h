#pragma once
// The GDI backend of TCanvas: a device context with cached pen, brush and font, and bitmaps
// compatible with it. A canvas never owns the DC it draws on.

#include <windows.h>

#include <array>
#include <optional>

#include "framework/Graphics.h"
#include "framework/win32/Handles.h"

class TGdiCanvas : public TCanvas {
public:
    // Draws on dc; its size is the client area of sizeWindow when given, else width x height.
    TGdiCanvas(HDC dc, int width, int height, HWND sizeWindow = nullptr);
    TGdiCanvas(const TGdiCanvas&) = delete;
    TGdiCanvas& operator=(const TGdiCanvas&) = delete;
    ~TGdiCanvas() override;

    HDC Dc() const { return DeviceContext; }

    int Width() const override;
    int Height() const override;
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

protected:
    TPoint PenPos() const { return PenPosition; }

private:
    void UsePen();
    void Select(HGDIOBJ pen);
    void UseFont();
    SIZE MeasureText(const std::string& text);

    HDC DeviceContext;
    TPoint PenPosition;
    int FixedWidth;
    int FixedHeight;
    HWND SizeWindow;

    // What the DC held before this canvas selected its own objects; put back on destruction.
    HGDIOBJ OriginalPen = nullptr;
    HGDIOBJ OriginalFont = nullptr;

    // Wide pens this canvas made, kept for reuse (a meter draws its separators with one pen frame
    // after frame); thin lines use the DC's own pen.
    struct TCachedPen {
        TPen Pen{0xFFFFFFFFu, -1};
        UniqueGdiObject Handle;
    };
    static constexpr int PenCacheSize = 4;
    std::array<TCachedPen, PenCacheSize> Pens;
    int NextPenSlot = 0;
    TPen SelectedPen{0xFFFFFFFFu, -1};

    UniqueGdiObject CurrentFont;
    TFont SelectedFont;
    bool FontSelected = false;
};

class TGdiBitmap : public TBitmap {
public:
    // A bitmap compatible with dc (dc may be null for the screen), filled black.
    TGdiBitmap(HDC dc, int width, int height);
    TGdiBitmap(const TGdiBitmap&) = delete;
    TGdiBitmap& operator=(const TGdiBitmap&) = delete;
    ~TGdiBitmap() override;

    int Width() const override { return BitmapWidth; }
    int Height() const override { return BitmapHeight; }
    TCanvas& Canvas() override { return *Surface; }
    const TCanvas& Canvas() const override { return *Surface; }
    bool Valid() const { return static_cast<bool>(Bitmap); }

private:
    int BitmapWidth;
    int BitmapHeight;
    MemoryDc Dc;
    UniqueGdiObject Bitmap;
    std::optional<SelectGuard> Selection;
    std::optional<TGdiCanvas> Surface;
};
