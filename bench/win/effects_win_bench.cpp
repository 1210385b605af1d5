// Each renderer at its default settings on a real full-screen window, driven through the real
// hand-over for a few seconds: how long DrawFrame holds the window thread (median, p99) and the
// frame period achieved against the renderer's latency. Each is drawn twice: straight on the
// window's DC with GDI calls, and composed in a surface in memory whose changes are copied to the
// window after each frame, as the display does (the copy counted in the frame's time). The bars get a loud signal that
// moves every bar every frame. A renderer that draws nothing shows what the hand-over itself costs. Run on a 1920 x
// 1080 display for the full-HD figures.
//
//   skyburst_win_bench.exe [seconds per effect, default 4]

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "displaystate/BandLayout.h"
#include "effects/LightThread.h"
#include "effects/Renderers.h"
#include "effects/RocketThread.h"
#include "effects/SpectrumThread.h"
#include "effects/vumeterThread.h"
#include "framework/win32/GdiCanvas.h"
#include "framework/win32/GdiSurface.h"
#include "framework/win32/HandOver.h"
#include "framework/win32/Handles.h"
#include "tests/win/pump.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

using Clock = std::chrono::steady_clock;

struct TSamples {
    std::vector<Clock::time_point> Starts;
    std::vector<double> DrawMs;
};

// Times every frame where it runs: on the window thread, GDI batch flushed. Feed, when set, runs
// before the timed part (the render hook's share, for the bars).
template <typename TEffect>
class TTimed : public TEffect {
public:
    template <typename... TArgs>
    TTimed(TSamples& samples, TArgs&&... args) : TEffect(std::forward<TArgs>(args)...), Samples(samples) {}
    ~TTimed() override { this->StopAndJoin(); }

    std::function<void()> Feed;

    void DrawFrame() override {
        if (Feed) {
            Feed();
        }
        const auto start = Clock::now();
        TEffect::DrawFrame();
        this->Canvas->Present();
        GdiFlush();
        Samples.Starts.push_back(start);
        Samples.DrawMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }

private:
    TSamples& Samples;
};

class TIdle : public TEffectThread {
public:
    TIdle(TCanvas* canvas, int latency) : TEffectThread(canvas, latency) {}
    void DrawFrame() override {}
};

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const auto index = static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

void Report(const char* name, int latency, const TSamples& samples) {
    std::vector<double> periods;
    for (size_t i = 1; i < samples.Starts.size(); ++i) {
        periods.push_back(std::chrono::duration<double, std::milli>(samples.Starts[i] - samples.Starts[i - 1]).count());
    }
    std::printf(
        "%-22s latency %3d ms  frames %5zu  DrawFrame median %7.3f ms  p99 %7.3f ms  "
        "period median %7.3f ms  p99 %7.3f ms  (period - latency - draw: %6.3f ms)\n",
        name, latency, samples.DrawMs.size(), Percentile(samples.DrawMs, 0.5), Percentile(samples.DrawMs, 0.99),
        Percentile(periods, 0.5), Percentile(periods, 0.99),
        Percentile(periods, 0.5) - std::max(latency, 0) - Percentile(samples.DrawMs, 0.5));
    std::fflush(stdout);
}

LRESULT CALLBACK ScreenProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) {
        return 1;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 4;
    HINSTANCE module = reinterpret_cast<HINSTANCE>(&__ImageBase);
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ScreenProc;
    wc.hInstance = module;
    wc.lpszClassName = "SkyburstEffectsBench";
    wc.style = CS_OWNDC;  // the surface copies through the window's own DC
    if (RegisterClassExA(&wc) == 0) {
        std::fprintf(stderr, "cannot register the window class\n");
        return 1;
    }
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    HWND window = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "bench", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                                  nullptr, nullptr, module, nullptr);
    if (window == nullptr) {
        std::fprintf(stderr, "cannot create the window\n");
        return 1;
    }
    PumpUntil([] { return false; }, 200);
    std::printf("screen %d x %d\n", width, height);
    {
        WindowDc dc(window);
        TGdiCanvas onWindow(dc.Get(), width, height);
        TSurfaceCanvas composed(window);
        for (TCanvas* canvasPointer : {static_cast<TCanvas*>(&onWindow), static_cast<TCanvas*>(&composed)}) {
            TCanvas& canvas = *canvasPointer;
            std::printf("%s\n", canvasPointer == &onWindow ? "GDI calls on the window" : "composed in memory");
            TDisplayState display;
            display.MainPanelRight = width - 1;
            display.MainPanelHeight = height - 15 - 16;  // the default VU strip and the title strip
            const TVisSettings settings;
            TRandom random;

            TWindowHandOver handOver;
            TRenderers renderers(handOver);
            const auto run = [&](const char* name, int latency, auto make) {
                canvas.Brush.Color = settings.Background;
                canvas.FillRect({0, 0, width, height});
                canvas.Present();
                TSamples samples;
                renderers.Start(TRendererSlot::EffectThread, make(samples), [](TThread*) {});
                PumpUntil([] { return false; }, seconds * 1000);
                renderers.StopAndWait();
                Report(name, latency, samples);
            };
            run("rocket bursts", settings.SkyburstLatency, [&](TSamples& s) {
                return std::make_unique<TTimed<TRocketThr>>(s, &canvas, display, settings, random);
            });
            run("starfield", settings.LightLatency, [&](TSamples& s) {
                return std::make_unique<TTimed<TLightSpeed>>(s, &canvas, display, settings, random);
            });
            // The bars: cells and ramps as the window lays them out, and heights that swing between
            // full and a quarter every frame, so every bar and both meters move every frame.
            LayoutSpectrum(display, settings, 0, 0, 0);
            BuildSpectrumBitmap(display, settings, canvas);
            PaintVUFrame(canvas, display, settings, settings.vumeterH);
            int frame = 0;
            const auto loud = [&display, &settings, &frame] {
                const bool high = (++frame & 1) != 0;
                display.BandHeights.fill(high ? settings.MaxSpectrumH : settings.MaxSpectrumH / 4);
                const int full = display.MainPanelRight / 2 - 12 - settings.vuB;
                display.VULevels.fill(high ? full : full / 4);
            };
            run("spectrum bars", settings.SpectrumsLatency, [&](TSamples& s) {
                auto bars = std::make_unique<TTimed<TSpectrumThr>>(s, &canvas, display, settings, SpectrumBarsState());
                bars->Feed = loud;
                return bars;
            });
            run("VU meter", settings.vuLatency, [&](TSamples& s) {
                auto meter = std::make_unique<TTimed<TvumeterThr>>(s, &canvas, display, settings, VUMeterState());
                meter->Feed = loud;
                return meter;
            });
            for (int latency : {0, 1, 20}) {
                run("hand-over only", latency,
                    [&](TSamples& s) { return std::make_unique<TTimed<TIdle>>(s, &canvas, latency); });
            }
        }
    }
    DestroyWindow(window);
    UnregisterClassA(wc.lpszClassName, module);
    return 0;
}
