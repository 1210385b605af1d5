// One frame of the spectrum bars and of the VU meter on a 1920 x 1080 screen, for a loud signal
// that moves every bar every frame: each frame alternates between a high and a lower height, so
// every band and both channels rise, fall and push or sink their peak blocks. The argument is
// the style: 0 flat fills, 1 copies from the colour ramps.

#include <benchmark/benchmark.h>

#include "displaystate/BandLayout.h"
#include "effects/SpectrumThread.h"
#include "effects/vumeterThread.h"
#include "framework/MemoryCanvas.h"

namespace {

constexpr int ScreenWidth = 1920;
constexpr int ScreenHeight = 1080;
constexpr int VUHeight = 15;
constexpr int MainHeight = ScreenHeight - VUHeight - 16;

TVisSettings LoudSettings(int style) {
    TVisSettings settings;
    settings.SpectrumStyle = style;
    settings.vustyle = style;
    settings.MaxSpectrumH = 220;
    settings.EnhSpect = true;
    settings.Enhvu = true;
    settings.vusegmented = true;
    return settings;
}

void BM_SpectrumFrame(benchmark::State& state) {
    const TVisSettings settings = LoudSettings(static_cast<int>(state.range(0)));
    TDisplayState display;
    display.MainPanelRight = ScreenWidth - 1;
    display.MainPanelHeight = MainHeight;
    LayoutSpectrum(display, settings, 1, 183, 40);
    TMemoryCanvas canvas(ScreenWidth, MainHeight);
    BuildSpectrumBitmap(display, settings, canvas);
    TSpectrumBarsState bars;
    TSpectrumThr renderer(&canvas, display, settings, bars);
    int frame = 0;
    for (auto _ : state) {
        for (int i = 0; i < BandCount; ++i) {
            display.BandHeights[i] = frame % 2 == 0 ? 150 + (i * 7) % 70 : 40 + (i * 13) % 50;
        }
        renderer.DrawFrame();
        benchmark::ClobberMemory();
        ++frame;
    }
}
BENCHMARK(BM_SpectrumFrame)->Arg(0)->Arg(1);

void BM_VUMeterFrame(benchmark::State& state) {
    const TVisSettings settings = LoudSettings(static_cast<int>(state.range(0)));
    TDisplayState display;
    display.MainPanelRight = ScreenWidth - 1;
    TMemoryCanvas canvas(ScreenWidth, VUHeight);
    PaintVUFrame(canvas, display, settings, VUHeight);
    TVUMeterState meter;
    TvumeterThr renderer(&canvas, display, settings, meter);
    // The longest bar the render hook gives this screen is Trunc(959.5 - 18) = 941 pixels.
    int frame = 0;
    for (auto _ : state) {
        display.VULevels =
            frame % 2 == 0 ? std::array<std::int32_t, 2>{941, 903} : std::array<std::int32_t, 2>{610, 655};
        renderer.DrawFrame();
        benchmark::ClobberMemory();
        canvas.Lines.clear();  // the memory canvas records every separator line drawn
        ++frame;
    }
}
BENCHMARK(BM_VUMeterFrame)->Arg(0)->Arg(1);

}  // namespace
