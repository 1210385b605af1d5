// The starfield on a GDI surface: erasing by redrawing a streak in the background colour must
// leave no trace with the device's own line drawing and pen widths.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "effects/LightThread.h"
#include "framework/win32/GdiCanvas.h"

namespace renderers_gdi_test {

namespace {

class TLineLog : public TGdiCanvas {
public:
    using TGdiCanvas::TGdiCanvas;
    void MoveTo(int x, int y) override {
        From = {x, y};
        TGdiCanvas::MoveTo(x, y);
    }
    void LineTo(int x, int y) override {
        if (Pen.Color != Erase) {
            Last = {From.X, From.Y, x, y};
            LastWidth = Pen.Width;
        }
        TGdiCanvas::LineTo(x, y);
    }
    TColor Erase = 0;
    TPoint From;
    TRect Last;  // the last streak drawn (not erased), as from and to points
    int LastWidth = 1;
};

}  // namespace

TEST(RenderersGdi, ErasedStreaksLeaveNoTrace) {
    constexpr int Width = 320, Height = 240;
    constexpr TColor Backdrop = RGBColor(0, 0, 40);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, Width, Height);
    ReleaseDC(nullptr, screen);
    ASSERT_NE(bitmap, nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    {
        TLineLog canvas(dc, Width, Height);
        canvas.Erase = Backdrop;
        canvas.Brush.Color = Backdrop;
        canvas.FillRect({0, 0, Width, Height});
        TDisplayState display;
        display.MainPanelRight = Width - 1;
        display.MainPanelHeight = Height;
        TVisSettings settings;
        settings.StarQty = 1;
        settings.Background = Backdrop;
        TRandom random;
        random.SetClock([] { return 777u; });
        TLightSpeed stars(&canvas, display, settings, random);
        int wide = 0;
        for (int f = 0; f < 600; ++f) {
            stars.DrawFrame();
            wide += canvas.LastWidth > 1 ? 1 : 0;
            // Every lit pixel belongs to the streak drawn last.
            const int slack = canvas.LastWidth + 1;
            const int left = std::min(canvas.Last.Left, canvas.Last.Right) - slack;
            const int right = std::max(canvas.Last.Left, canvas.Last.Right) + slack;
            const int top = std::min(canvas.Last.Top, canvas.Last.Bottom) - slack;
            const int bottom = std::max(canvas.Last.Top, canvas.Last.Bottom) + slack;
            for (int y = 0; y < Height; y += 2) {
                for (int x = 0; x < Width; x += 2) {
                    if (canvas.GetPixel(x, y) != Backdrop) {
                        ASSERT_TRUE(x >= left && x <= right && y >= top && y <= bottom)
                            << "frame " << f << ": trace left at " << x << "," << y;
                    }
                }
            }
        }
        EXPECT_GT(wide, 0) << "no streak with a wide pen in 600 frames";
    }
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

}  // namespace renderers_gdi_test
