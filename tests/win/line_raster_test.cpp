// Thin lines on a canvas composed in memory are written into its bits by our own walk, not by the
// device: every pixel must still be the device's, in every direction and length, and at the edges.

#include <gtest/gtest.h>
#include <windows.h>

#include <random>
#include <string>
#include <vector>

#include "framework/win32/GdiCanvas.h"
#include "framework/win32/GdiSurface.h"
#include "tests/win/pixels.h"

namespace {

// Odd sizes, small enough that many lines cross an edge.
constexpr int W = 61;
constexpr int H = 47;

struct TLine {
    TPoint From;
    TPoint To;
};

// Lines from a fixed seed: short ones in every direction (where the ties between two pixels fall),
// lines inside the canvas, across its edges, from far outside, and beyond what our walk takes.
std::vector<TLine> SampleLines() {
    std::mt19937 random(20261207);
    const auto between = [&random](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    const auto nearby = [&] { return TPoint{between(-3, W + 2), between(-3, H + 2)}; };
    std::vector<TLine> lines;
    for (int i = 0; i < 2000; ++i) {
        const TPoint from = nearby();
        lines.push_back({from, {from.X + between(-12, 12), from.Y + between(-12, 12)}});
    }
    for (int i = 0; i < 1500; ++i) {
        lines.push_back({{between(0, W - 1), between(0, H - 1)}, {between(0, W - 1), between(0, H - 1)}});
    }
    for (int i = 0; i < 1500; ++i) {
        lines.push_back({{between(-W, 2 * W), between(-H, 2 * H)}, {between(-W, 2 * W), between(-H, 2 * H)}});
    }
    for (int i = 0; i < 1500; ++i) {
        // One end far out, possibly both; some at the very limit where our walk still applies.
        const int reach = i % 3 == 0 ? 1 << 15 : between(100, 5000);
        const TPoint out{between(-reach, reach), between(-reach, reach)};
        lines.push_back({i % 2 == 0 ? out : nearby(), i % 5 == 0 ? TPoint{between(-reach, reach), 30} : out});
    }
    for (int i = 0; i < 300; ++i) {
        // Beyond it: the device's canvas cuts these itself, and so must look the same.
        const int reach = i % 2 == 0 ? 40000 : 1 << 30;
        lines.push_back({nearby(), {between(-reach, reach), between(-reach, reach)}});
    }
    return lines;
}

}  // namespace

TEST(ThinLines, LightExactlyThePixelsTheDeviceLights) {
    TDibCanvas memory(W, H);
    // The device draws into a section of its own through the plain GDI canvas.
    TDibCanvas deviceBits(W, H);
    TGdiCanvas device(deviceBits.Dc(), W, H);
    ASSERT_TRUE(memory.Valid() && deviceBits.Valid());
    int wrong = 0;
    for (const TLine& line : SampleLines()) {
        for (TCanvas* canvas : {static_cast<TCanvas*>(&memory), static_cast<TCanvas*>(&device)}) {
            canvas->Brush.Color = clBlack;
            canvas->FillRect({0, 0, W, H});
            canvas->Pen = {RGBColor(255, 200, 100), 1};
            canvas->MoveTo(line.From.X, line.From.Y);
            canvas->LineTo(line.To.X, line.To.Y);
        }
        const std::string difference = FirstDifference(CanvasPixels(memory, W, H), CanvasPixels(deviceBits, W, H), W);
        if (!difference.empty() && ++wrong <= 10) {
            ADD_FAILURE() << "line " << line.From.X << "," << line.From.Y << " to " << line.To.X << "," << line.To.Y
                          << ": " << difference;
        }
    }
    EXPECT_EQ(wrong, 0) << "lines with a wrong pixel";
}

TEST(ThinLines, ReachTheWindowAtTheNextPresent) {
    // Several tiles of the surface's change tracking, lines crossing their borders and its edges.
    constexpr int Width = 200;
    constexpr int Height = 120;
    WNDCLASSA wc{};
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ThinLinesWindow";
    RegisterClassA(&wc);
    const HWND window = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 0, 0, Width, Height, nullptr,
                                        nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    std::string difference;
    {
        TSurfaceCanvas surface(window);
        TDibCanvas screen(Width, Height);
        std::mt19937 random(99);
        const auto between = [&random](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
        surface.Brush.Color = clBlack;
        surface.FillRect({0, 0, Width, Height});
        for (int batch = 0; batch < 40 && difference.empty(); ++batch) {
            surface.Present();
            for (int i = 0; i < 10; ++i) {
                // Straight, steep and flat lines, long and short.
                const TPoint from{between(-20, Width + 20), between(-20, Height + 20)};
                const int length = i % 2 == 0 ? 40 : 300;
                surface.Pen = {RGBColor(batch * 6, 255 - i * 20, 128), 1};
                surface.MoveTo(from.X, from.Y);
                surface.LineTo(i % 5 == 0 ? from.X : from.X + between(-length, length),
                               i % 5 == 1 ? from.Y : from.Y + between(-length, length));
            }
            surface.Present();
            const HDC dc = GetDC(window);
            BitBlt(screen.Dc(), 0, 0, Width, Height, dc, 0, 0, SRCCOPY);
            ReleaseDC(window, dc);
            GdiFlush();
            for (int y = 0; y < Height && difference.empty(); ++y) {
                for (int x = 0; x < Width && difference.empty(); ++x) {
                    if (screen.GetPixel(x, y) != surface.GetPixel(x, y)) {
                        difference =
                            "batch " + std::to_string(batch) + " at " + std::to_string(x) + "," + std::to_string(y);
                    }
                }
            }
        }
    }
    DestroyWindow(window);
    UnregisterClassA(wc.lpszClassName, wc.hInstance);
    EXPECT_EQ(difference, "") << "the window differs from the surface";
}
