// A paint box's surface is composed in memory and copied to the window: what the window shows
// must be, pixel for pixel, what drawing straight on the window showed before, and what the
// surface holds.

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "display/MainForm.h"
#include "displaystate/BandLayout.h"
#include "displaystate/DisplayState.h"
#include "effects/LightThread.h"
#include "effects/RocketThread.h"
#include "effects/SpectrumThread.h"
#include "effects/vumeterThread.h"
#include "framework/MemoryCanvas.h"
#include "framework/win32/Controls.h"
#include "framework/win32/GdiCanvas.h"
#include "framework/win32/GdiSurface.h"
#include "settings/VisSettings.h"
#include "tests/win/pixels.h"
#include "tests/win/plain_window.h"
#include "tests/win/pump.h"

namespace surface_canvas_test {

namespace {

constexpr int W = 320;
constexpr int H = 220;
constexpr const char* PlainClass = "SurfaceTestPlain";

// A window of its own DC that paints nothing: what is drawn on it stays.
HWND MakePlainWindow(int x, int y) {
    return CreatePlainWindow(PlainClass, x, y, W, H);
}

// The window's pixels as the screen shows them.
std::vector<TColor> WindowPixels(HWND window) {
    TDibCanvas copy(W, H);
    HDC dc = GetDC(window);
    BitBlt(copy.Dc(), 0, 0, W, H, dc, 0, 0, SRCCOPY);
    ReleaseDC(window, dc);
    GdiFlush();
    std::vector<TColor> pixels;
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            pixels.push_back(copy.GetPixel(x, y));
        }
    }
    return pixels;
}

std::vector<TColor> CanvasPixels(const TCanvas& canvas) {
    return ::CanvasPixels(canvas, W, H);
}

std::string FirstDifference(const std::vector<TColor>& have, const std::vector<TColor>& want) {
    return ::FirstDifference(have, want, W);
}

class SurfaceCanvas : public ::testing::Test {
protected:
    void TearDown() override {
        for (HWND w : Windows) {
            DestroyWindow(w);
        }
        UnregisterClassA(PlainClass, GetModuleHandleA(nullptr));
        PumpPending();
    }
    HWND Plain(int x, int y) {
        Windows.push_back(MakePlainWindow(x, y));
        return Windows.back();
    }
    std::vector<HWND> Windows;
};

// Fills, pixels and same-size copies, some reaching past the edges.
void DrawExact(TCanvas& c) {
    c.Brush.Color = RGBColor(10, 20, 30);
    c.FillRect({0, 0, W, H});
    c.Brush.Color = RGBColor(200, 0, 100);
    c.FillRect({-5, 6, 12, 9});
    c.FillRect({W - 3, H - 4, W + 20, H + 9});
    c.FillRect({30, 20, 30, 25});  // empty: nothing
    for (int i = 0; i < 400; ++i) {
        c.SetPixel((i * 37) % (W + 10) - 5, (i * 53) % (H + 10) - 5, RGBColor(i, 255 - i, i * 3));
    }
    auto ramp = c.CreateBitmap(24, 30);
    for (int x = 0; x < 24; ++x) {
        ramp->Canvas().Brush.Color = RGBColor(x * 10, 255 - x * 10, 77);
        ramp->Canvas().FillRect({x, 0, x + 1, 30});
    }
    c.CopyRect({100, 50, 124, 80}, ramp->Canvas(), {0, 0, 24, 30});
    c.CopyRect({W - 10, 60, W + 14, 70}, ramp->Canvas(), {0, 0, 24, 10});
    c.CopyRect({-4, H - 6, 20, H + 4}, ramp->Canvas(), {0, 5, 24, 15});
}

// What only the device draws exactly: lines of every width, text, the other raster operations,
// stretching, and a copy whose source reaches past its bitmap.
void DrawThroughTheDevice(TCanvas& c) {
    c.Brush.Color = RGBColor(0, 0, 40);
    c.FillRect({0, 0, W, H});
    for (int i = 0; i < 60; ++i) {
        c.Pen.Color = RGBColor(40 + i * 3, 200 - i * 2, 90);
        c.Pen.Width = 1 + i % 3;
        c.MoveTo((i * 41) % W, (i * 17) % H);
        c.LineTo((i * 71) % (W + 40) - 20, (i * 29) % (H + 40) - 20);
    }
    c.Pen.Width = 2;
    c.Pen.Color = RGBColor(0, 0, 40);
    for (int k = 0; k < 8; ++k) {
        c.MoveTo(20 + k * 10, 150);
        c.LineTo(20 + k * 10, 170);
    }
    const TPoint outline[] = {{200, 150}, {200, 120}, {300, 120}, {300, 150}};
    c.Pen.Width = 1;
    c.Pen.Color = clWhite;
    c.Polyline(outline, 4);
    c.Font = TFont{"Arial", 13, true, RGBColor(0, 200, 0)};
    c.TextOut(10, 190, "Skyburst 88:88");
    auto picture = c.CreateBitmap(16, 16);
    picture->Canvas().Brush.Color = RGBColor(255, 128, 0);
    picture->Canvas().FillRect({4, 4, 12, 12});
    c.CopyMode = TCopyMode::Invert;
    c.CopyRect({120, 100, 136, 116}, picture->Canvas(), {0, 0, 16, 16});
    c.CopyMode = TCopyMode::And;
    c.CopyRect({140, 100, 156, 116}, picture->Canvas(), {0, 0, 16, 16});
    c.CopyMode = TCopyMode::Copy;
    c.CopyRect({160, 100, 192, 132}, picture->Canvas(), {0, 0, 16, 16});
    c.CopyRect({200, 60, 216, 76}, picture->Canvas(), {8, 8, 24, 24});
}

}  // namespace

TEST_F(SurfaceCanvas, TheWindowShowsWhatTheMemoryBackendDraws) {
    const HWND window = Plain(0, 0);
    TSurfaceCanvas surface(window);
    TMemoryCanvas memory(W, H);
    DrawExact(surface);
    DrawExact(memory);
    surface.Present();
    // Single pixels alone, as sparks come, after the rest has gone to the window.
    for (TCanvas* c : {static_cast<TCanvas*>(&surface), static_cast<TCanvas*>(&memory)}) {
        for (int i = 0; i < 50; ++i) {
            c->SetPixel((i * 97) % W, (i * 61) % H, RGBColor(255, i, 0));
        }
    }
    surface.Present();
    const std::vector<TColor> want = CanvasPixels(memory);
    EXPECT_EQ(FirstDifference(CanvasPixels(surface), want), "") << "the surface";
    EXPECT_EQ(FirstDifference(WindowPixels(window), want), "") << "the window";
}

TEST_F(SurfaceCanvas, LinesTextAndDeviceCopiesLookAsOnTheWindowItself) {
    const HWND direct = Plain(0, 0);
    const HWND composed = Plain(W + 10, 0);
    {
        TGdiCanvas canvas(GetDC(direct), W, H);
        DrawThroughTheDevice(canvas);
    }
    TSurfaceCanvas surface(composed);
    DrawThroughTheDevice(surface);
    surface.Present();
    const std::vector<TColor> want = WindowPixels(direct);
    EXPECT_EQ(FirstDifference(WindowPixels(composed), want), "");
    EXPECT_EQ(FirstDifference(CanvasPixels(surface), want), "") << "the surface itself";
}

// The handler's renderer forgets what it drew wherever the handler ran, so a paint covers the
// whole box. Regression: a paint of a few uncovered rows left bars and blocks drawn elsewhere
// on screen for good.
TEST_F(SurfaceCanvas, APaintRepaintsTheWholeBoxOnScreenAndInMemory) {
    TWindow parent;
    ASSERT_TRUE(parent.CreateTopLevel(WS_POPUP | WS_VISIBLE, 0, {0, 0, W, H}, nullptr, ""));
    TPaintBox box;
    ASSERT_TRUE(box.Create(parent.Handle(), {0, 0, W, H}));
    TCanvas& canvas = *box.Canvas();
    int paints = 0;
    box.OnPaintHandler = [&] {
        ++paints;
        canvas.Brush.Color = RGBColor(0, 0, 90 + paints);
        canvas.FillRect({0, 0, W, H});
        canvas.Pen.Color = clWhite;
        canvas.MoveTo(0, 0);
        canvas.LineTo(W, H);
    };
    UpdateWindow(box.Handle());
    PumpPending();
    // Something drawn between paints, as a renderer does.
    canvas.Brush.Color = RGBColor(250, 250, 0);
    canvas.FillRect({10, 10, 300, 200});
    canvas.Present();
    // An L-shaped update region: two rectangles.
    const RECT first{20, 30, 120, 60};
    const RECT second{20, 60, 60, 150};
    InvalidateRect(box.Handle(), &first, FALSE);
    InvalidateRect(box.Handle(), &second, FALSE);
    UpdateWindow(box.Handle());
    PumpPending();
    EXPECT_EQ(canvas.GetPixel(100, 100), RGBColor(0, 0, 90 + paints)) << "outside the region, in the L's corner";
    EXPECT_EQ(canvas.GetPixel(21, 31), RGBColor(0, 0, 90 + paints)) << "inside";
    EXPECT_EQ(FirstDifference(WindowPixels(box.Handle()), CanvasPixels(canvas)), "");
}

TEST_F(SurfaceCanvas, AMovedAndResizedBoxStillShowsItsSurface) {
    TWindow parent;
    ASSERT_TRUE(parent.CreateTopLevel(WS_POPUP | WS_VISIBLE, 0, {0, 0, W, H + 20}, nullptr, ""));
    TPaintBox box;
    ASSERT_TRUE(box.Create(parent.Handle(), {0, 0, W, H}));
    TCanvas& canvas = *box.Canvas();
    box.OnPaintHandler = [&] {
        canvas.Brush.Color = RGBColor(0, 60, 0);
        canvas.FillRect({0, 0, W, H});
    };
    UpdateWindow(box.Handle());
    for (int i = 0; i < 30; ++i) {
        canvas.Brush.Color = RGBColor(i * 8, 0, 200);
        canvas.FillRect({i * 10, H - 20 - i * 5, i * 10 + 8, H});
    }
    canvas.Present();
    // As the hint strip does: the box moves down and shrinks, then comes back.
    box.SetBounds(0, 18, W, H - 18);
    PumpPending();
    EXPECT_EQ(canvas.Height(), H - 18);
    canvas.Brush.Color = clWhite;
    canvas.FillRect({0, 0, 5, 5});
    canvas.Present();
    box.SetBounds(0, 0, W, H);
    UpdateWindow(box.Handle());
    PumpPending();
    EXPECT_EQ(canvas.Height(), H);
    EXPECT_EQ(FirstDifference(WindowPixels(box.Handle()), CanvasPixels(canvas)), "");
}

namespace {

struct TRendererCase {
    const char* Name;
    bool Meter;  // drawn on the VU strip rather than the main area
    std::function<void(TVisSettings&)> Configure;
    std::function<std::unique_ptr<
        TEffectThread>(TCanvas*, TDisplayState&, const TVisSettings&, TRandom&, TSpectrumBarsState&, TVUMeterState&)>
        Make;
};

// Lays out the display state as the window does and paints the static parts.
void Prepare(TCanvas& canvas, TDisplayState& display, const TVisSettings& s, bool meter) {
    display.MainPanelRight = W - 1;
    display.MainPanelHeight = H;
    if (meter) {
        PaintVUFrame(canvas, display, s, H);
        return;
    }
    LayoutSpectrum(display, s, 0, 0, 0);
    if (s.SpectrumStyle > 0) {
        BuildSpectrumBitmap(display, s, canvas);
    }
    PaintMain(canvas, W, H, display, s);
}

// The render hook's values for frame f: bars and levels that rise and fall.
void Feed(TDisplayState& display, const TVisSettings& s, int f) {
    for (int i = 0; i < 36; ++i) {
        display.BandHeights[i] = ((f * 7 + i * 13) % 40) * s.MaxSpectrumH / 40;
    }
    display.VULevels[0] = (f * 23) % 140;
    display.VULevels[1] = (f * 31 + 50) % 140;
}

}  // namespace

TEST_F(SurfaceCanvas, RenderersShowTheSameFramesAsWhenTheyDrewOnTheWindow) {
    const TRendererCase cases[] = {
        {"rockets", false, [](TVisSettings& s) { s.MaxRocketPatchNumber = 150; },
         [](TCanvas* c, TDisplayState& d, const TVisSettings& s, TRandom& r, TSpectrumBarsState&, TVUMeterState&) {
             return std::unique_ptr<TEffectThread>(new TRocketThr(c, d, s, r));
         }},
        {"starfield", false, [](TVisSettings& s) { s.StarQty = 200; },
         [](TCanvas* c, TDisplayState& d, const TVisSettings& s, TRandom& r, TSpectrumBarsState&, TVUMeterState&) {
             return std::unique_ptr<TEffectThread>(new TLightSpeed(c, d, s, r));
         }},
        {"3D bars", false, [](TVisSettings& s) { s.MaxSpectrumH = 150; },
         [](TCanvas* c, TDisplayState& d, const TVisSettings& s, TRandom&, TSpectrumBarsState& b, TVUMeterState&) {
             return std::unique_ptr<TEffectThread>(new TSpectrumThr(c, d, s, b));
         }},
        {"flat bars", false,
         [](TVisSettings& s) {
             s.MaxSpectrumH = 150;
             s.SpectrumStyle = 0;
         },
         [](TCanvas* c, TDisplayState& d, const TVisSettings& s, TRandom&, TSpectrumBarsState& b, TVUMeterState&) {
             return std::unique_ptr<TEffectThread>(new TSpectrumThr(c, d, s, b));
         }},
        {"segmented 3D meter", true, [](TVisSettings& s) { s.vumeterH = H; },
         [](TCanvas* c, TDisplayState& d, const TVisSettings& s, TRandom&, TSpectrumBarsState&, TVUMeterState& m) {
             return std::unique_ptr<TEffectThread>(new TvumeterThr(c, d, s, m));
         }},
        {"flat meter", true,
         [](TVisSettings& s) {
             s.vumeterH = H;
             s.vustyle = 0;
             s.vusegmented = false;
         },
         [](TCanvas* c, TDisplayState& d, const TVisSettings& s, TRandom&, TSpectrumBarsState&, TVUMeterState& m) {
             return std::unique_ptr<TEffectThread>(new TvumeterThr(c, d, s, m));
         }},
    };
    const HWND direct = Plain(0, 0);
    const HWND composed = Plain(W + 10, 0);
    for (const TRendererCase& test : cases) {
        SCOPED_TRACE(test.Name);
        TVisSettings settings;
        settings.Background = RGBColor(0, 0, 30);
        test.Configure(settings);
        // Today's drawing: straight on the window's DC.
        TGdiCanvas onWindow(GetDC(direct), W, H);
        TSurfaceCanvas surface(composed);
        TDisplayState displays[2];
        TRandom randoms[2];
        TSpectrumBarsState bars[2];
        TVUMeterState meters[2];
        std::unique_ptr<TEffectThread> renderers[2];
        TCanvas* canvases[2] = {&onWindow, &surface};
        for (int k = 0; k < 2; ++k) {
            randoms[k].SetClock([] { return 4242u; });
            canvases[k]->Brush.Color = settings.Background;
            canvases[k]->FillRect({0, 0, W, H});
            Prepare(*canvases[k], displays[k], settings, test.Meter);
            canvases[k]->Present();
        }
        for (int k = 0; k < 2; ++k) {
            renderers[k] = test.Make(canvases[k], displays[k], settings, randoms[k], bars[k], meters[k]);
        }
        for (int f = 1; f <= 90; ++f) {
            for (int k = 0; k < 2; ++k) {
                Feed(displays[k], settings, f);
                renderers[k]->DrawFrame();
            }
            surface.Present();
            if (f == 1 || f % 30 == 0) {
                ASSERT_EQ(FirstDifference(WindowPixels(composed), WindowPixels(direct)), "") << "frame " << f;
            }
        }
    }
}

namespace {

// The first pixel where a paint box's window and its surface differ, or "".
std::string ScreenAgainstSurface(TCanvas* canvas) {
    const auto& surface = dynamic_cast<TSurfaceCanvas&>(*canvas);
    const int w = surface.Width();
    const int h = surface.Height();
    TDibCanvas screen(w, h);
    HDC dc = GetDC(surface.Window());
    BitBlt(screen.Dc(), 0, 0, w, h, dc, 0, 0, SRCCOPY);
    ReleaseDC(surface.Window(), dc);
    return ::FirstDifference(::CanvasPixels(screen, w, h), ::CanvasPixels(surface, w, h), w);
}

}  // namespace

TEST(SurfaceForm, TheScreenShowsThePaintBoxesSurfacesThroughFramesImagesAndHints) {
    VisSettings() = TVisSettings{};
    VisSettings().AlwaysTop = false;
    DisplayState() = TDisplayState{};
    auto form = std::make_unique<TForm1>();
    ASSERT_TRUE(form->Create());
    form->Show();
    winampVisModule module{};
    const auto play = [&](int renders) {
        for (int i = 0; i < renders; ++i) {
            for (int ch = 0; ch < 2; ++ch) {
                for (int j = 0; j < 576; ++j) {
                    module.spectrumData[ch][j] = static_cast<unsigned char>((i * 37 + j * 11 + ch * 50) % 256);
                }
            }
            form->RenderFrame(module);
            PumpFor(10);
        }
    };
    // Rockets, bars, meter and the animated images; then the next image set with its repaint;
    // then a hint, which moves the main paint box, and its end, which moves it back.
    const std::pair<int, const char*> steps[] = {{0, "frames"}, {VK_SPACE, "image set"}, {'V', "hint"}};
    for (const auto& [key, what] : steps) {
        if (key != 0) {
            form->FormKeyDown(key);
        }
        play(60);
        EXPECT_EQ(ScreenAgainstSurface(form->MainCanvas()), "") << "main area after " << what;
        EXPECT_EQ(ScreenAgainstSurface(form->VUCanvas()), "") << "meter after " << what;
    }
    for (int tick = 0; tick < 30 && form->HintShown(); ++tick) {
        form->Timer1Timer();
    }
    play(30);
    EXPECT_EQ(ScreenAgainstSurface(form->MainCanvas()), "") << "main area after the hint went";
    form->Shutdown();
    form.reset();
    TWindow::UnregisterClasses();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

}  // namespace surface_canvas_test
