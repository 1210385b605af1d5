// A surface copies to the window only what drawing changed. These tests mark the window behind
// the surface's back: a mark that survives a present was not copied over, a changed pixel that
// shows was.

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/win32/GdiCanvas.h"
#include "framework/win32/GdiSurface.h"
#include "tests/win/pixels.h"
#include "tests/win/plain_window.h"

namespace surface_copies_test {

namespace {

constexpr const char* PlainClass = "SurfaceCopiesPlain";
const TColor Ground = RGBColor(10, 40, 70);
const TColor Mark = RGBColor(250, 0, 250);
const TColor Ink = RGBColor(255, 220, 0);

// A window of its own DC that paints nothing: what is drawn on it stays.
class PlainWindow {
public:
    PlainWindow(int width, int height)
        : Width(width), Height(height), Handle(CreatePlainWindow(PlainClass, 0, 0, width, height)) {}
    ~PlainWindow() {
        DestroyWindow(Handle);
        UnregisterClassA(PlainClass, GetModuleHandleA(nullptr));
        PumpPending();
    }
    PlainWindow(const PlainWindow&) = delete;
    PlainWindow& operator=(const PlainWindow&) = delete;

    // Paints r on the window itself, not on its surface.
    void MarkOnScreen(const TRect& r) const {
        TGdiCanvas screen(GetDC(Handle), Width, Height);
        screen.Brush.Color = Mark;
        screen.FillRect(r);
        GdiFlush();
    }

    TColor ScreenPixel(int x, int y) const {
        TDibCanvas copy(1, 1);
        BitBlt(copy.Dc(), 0, 0, 1, 1, GetDC(Handle), x, y, SRCCOPY);
        GdiFlush();
        return copy.GetPixel(0, 0);
    }

    std::vector<TColor> ScreenPixels() const {
        TDibCanvas copy(Width, Height);
        BitBlt(copy.Dc(), 0, 0, Width, Height, GetDC(Handle), 0, 0, SRCCOPY);
        return CanvasPixels(copy, Width, Height);
    }

    int Width;
    int Height;
    HWND Handle = nullptr;
};

// A surface of the window, all Ground on screen and in memory.
void Ready(TSurfaceCanvas& surface) {
    surface.Brush.Color = Ground;
    surface.FillRect({0, 0, surface.Width(), surface.Height()});
    surface.Present();
}

}  // namespace

TEST(SurfaceCopies, OnlyWhatDrawingTouchedGoesOutAndSeparatorsDrawnOverThemselvesNotAtAll) {
    struct TCase {
        const char* Name;
        TRect Marked;  // on screen, in tiles that the drawing changes too
        TPoint Shown;  // a pixel the drawing changed
        std::function<void(TSurfaceCanvas&)> Draw;
    };
    const TCase cases[] = {
        {"a pixel", {5, 5, 6, 6}, {6, 6}, [](TSurfaceCanvas& c) { c.SetPixel(6, 6, Ink); }},
        {"a fill",
         {40, 40, 60, 50},
         {45, 51},
         [](TSurfaceCanvas& c) {
             c.Brush.Color = Ink;
             c.FillRect({40, 50, 60, 53});
         }},
        {"a copy",
         {100, 20, 120, 30},
         {110, 31},
         [](TSurfaceCanvas& c) {
             auto ink = c.CreateBitmap(20, 2);
             ink->Canvas().Brush.Color = Ink;
             ink->Canvas().FillRect({0, 0, 20, 2});
             c.CopyRect({100, 30, 120, 32}, ink->Canvas(), {0, 0, 20, 2});
         }},
        {"a thin line",
         {140, 50, 150, 55},
         {128, 48},
         [](TSurfaceCanvas& c) {
             c.Pen = {Ink, 1};
             c.MoveTo(128, 48);
             c.LineTo(131, 60);
         }},
        {"a long diagonal, far from it inside its box",
         {170, 4, 178, 8},
         {95, 55},
         [](TSurfaceCanvas& c) {
             c.Pen = {Ink, 1};
             c.MoveTo(0, 0);
             c.LineTo(190, 110);
         }},
        {"a separator over itself",
         {150, 90, 170, 92},
         {171, 95},
         [](TSurfaceCanvas& c) {
             c.Pen = {Ground, 2};
             c.MoveTo(150, 91);
             c.LineTo(170, 91);
             c.SetPixel(171, 95, Ink);
         }},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.Name);
        PlainWindow window(200, 120);
        TSurfaceCanvas surface(window.Handle);
        Ready(surface);
        window.MarkOnScreen(test.Marked);
        test.Draw(surface);
        surface.Present();
        const std::vector<TColor> screen = window.ScreenPixels();
        std::string overwritten;
        for (int y = test.Marked.Top; y < test.Marked.Bottom && overwritten.empty(); ++y) {
            for (int x = test.Marked.Left; x < test.Marked.Right && overwritten.empty(); ++x) {
                if (screen[static_cast<std::size_t>(y) * window.Width + x] != Mark) {
                    overwritten = "the mark copied over at " + std::to_string(x) + "," + std::to_string(y);
                }
            }
        }
        EXPECT_EQ(overwritten, "");
        EXPECT_EQ(window.ScreenPixel(test.Shown.X, test.Shown.Y), Ink) << "the change";
    }
}

// Regression: a tile's box of changes must grow with every change, not be replaced by the last.
TEST(SurfaceCopies, AFrameThatUndoesSomeOfItsChangesStillShowsTheRest) {
    PlainWindow window(64, 32);
    TSurfaceCanvas surface(window.Handle);
    Ready(surface);
    surface.SetPixel(3, 3, Ink);     // drawn ...
    surface.SetPixel(20, 10, Ink);   // ... another in the same tile ...
    surface.SetPixel(3, 3, Ground);  // ... and the first erased again, as a spark's trail is
    surface.Brush.Color = Ink;
    surface.FillRect({40, 2, 44, 6});
    surface.Brush.Color = Ground;
    surface.FillRect({40, 2, 44, 4});  // half of a fill painted over
    surface.Present();
    EXPECT_EQ(FirstDifference(window.ScreenPixels(), CanvasPixels(surface, 64, 32), 64), "");
    EXPECT_EQ(window.ScreenPixel(20, 10), Ink);
}

TEST(SurfaceCopies, ScatteredChangesGoOutWithoutThePixelsBetweenThem) {
    constexpr int Width = 640;
    constexpr int Height = 480;
    PlainWindow window(Width, Height);
    TSurfaceCanvas surface(window.Handle);
    Ready(surface);
    // Marks far from every change: copying the changes' box would paint them over.
    const TRect marks[] = {{165, 100, 175, 110}, {465, 300, 475, 310}, {165, 400, 175, 410}};
    for (const TRect& m : marks) {
        window.MarkOnScreen(m);
    }
    // A pixel on every fifth row, in three columns far apart: many rectangles, each copied on its own.
    std::vector<TPoint> changed;
    for (int k = 0; k * 5 < Height; ++k) {
        changed.push_back({20 + (k % 3) * 300, k * 5});
        surface.SetPixel(changed.back().X, changed.back().Y, RGBColor(255, k, 0));
    }
    surface.Present();
    for (const TRect& m : marks) {
        EXPECT_EQ(window.ScreenPixel(m.Left, m.Top), Mark) << "mark at " << m.Left << "," << m.Top;
    }
    for (std::size_t k = 0; k < changed.size(); ++k) {
        ASSERT_EQ(window.ScreenPixel(changed[k].X, changed[k].Y), RGBColor(255, static_cast<int>(k), 0))
            << "change " << k << " at " << changed[k].X << "," << changed[k].Y;
    }
}

// Two changes go out as one copy of their joint box exactly when that box costs no more than the
// call it saves: only then is a mark on screen between them copied over.
TEST(SurfaceCopies, TwoChangesAreCopiedAsTheirJointBoxWhenThePixelsBetweenCostLessThanACall) {
    // Stripes one tile row high and d apart: their joint box costs 16 x (d - 1 - RowCost) more.
    const int widest = static_cast<int>(TSurfaceCanvas::CallCost / 16 + 1 + TSurfaceCanvas::RowCost);
    const struct {
        int Gap;
        TColor Between;
    } cases[] = {{widest, Ground}, {widest + 1, Mark}};
    for (const auto& test : cases) {
        SCOPED_TRACE("gap " + std::to_string(test.Gap));
        PlainWindow window(widest + 40, 48);
        TSurfaceCanvas surface(window.Handle);
        Ready(surface);
        window.MarkOnScreen({10 + test.Gap / 2, 20, 12 + test.Gap / 2, 24});
        surface.Brush.Color = Ink;
        surface.FillRect({10, 16, 11, 32});
        surface.FillRect({10 + test.Gap, 16, 11 + test.Gap, 32});
        surface.Present();
        EXPECT_EQ(window.ScreenPixel(10 + test.Gap / 2, 20), test.Between);
        EXPECT_EQ(window.ScreenPixel(10 + test.Gap, 20), Ink);
    }
}

TEST(SurfaceCopies, ACopyWithinTheSurfaceMatchesACopyOfTheOldPixels) {
    constexpr int Width = 96;
    constexpr int Height = 48;
    const TPoint shifts[] = {{3, 0}, {-3, 0}, {0, 2}, {0, -2}, {5, 3}, {-4, -1}, {7, -2}};
    for (const TPoint shift : shifts) {
        SCOPED_TRACE("shift " + std::to_string(shift.X) + "," + std::to_string(shift.Y));
        PlainWindow window(Width, Height);
        TSurfaceCanvas surface(window.Handle);
        // Runs of equal pixels: a shifted row differs from the old one only in parts.
        for (int y = 0; y < Height; ++y) {
            for (int x = 0; x < Width; ++x) {
                const int v = (x / 4 + y / 3) % 5;
                surface.SetPixel(x, y, RGBColor(v * 60, 255 - v * 50, (x * y) % 2 == 0 ? 0 : v));
            }
        }
        surface.Present();
        const std::vector<TColor> old = CanvasPixels(surface, Width, Height);
        const TRect from{10, 8, 80, 40};
        const TRect to{from.Left + shift.X, from.Top + shift.Y, from.Right + shift.X, from.Bottom + shift.Y};
        surface.CopyRect(to, surface, from);
        surface.Present();
        std::vector<TColor> want = old;
        for (int y = to.Top; y < to.Bottom; ++y) {
            for (int x = to.Left; x < to.Right; ++x) {
                want[static_cast<std::size_t>(y) * Width + x] =
                    old[static_cast<std::size_t>(y - shift.Y) * Width + (x - shift.X)];
            }
        }
        EXPECT_EQ(FirstDifference(CanvasPixels(surface, Width, Height), want, Width), "") << "the surface";
        EXPECT_EQ(FirstDifference(window.ScreenPixels(), want, Width), "") << "the window";
    }
}

}  // namespace surface_copies_test
