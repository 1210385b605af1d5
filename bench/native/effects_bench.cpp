// One frame of each background effect on a 1920 x 1080 screen at the default settings, in a
// steady state (the first frames, in which the field fills, are drawn before timing). The
// rocket argument is the sound: 0 silence (short bursts, frequent launches), 1 loud.

#include <benchmark/benchmark.h>

#include "effects/LightThread.h"
#include "effects/RocketThread.h"
#include "framework/MemoryCanvas.h"

namespace {

constexpr int ScreenWidth = 1920;
constexpr int ScreenHeight = 1080;
constexpr int MainHeight = ScreenHeight - 15 - 16;  // below it: the VU and title strips
constexpr int WarmUpFrames = 300;

TDisplayState Screen() {
    TDisplayState display;
    display.MainPanelRight = ScreenWidth - 1;
    display.MainPanelHeight = MainHeight;
    return display;
}

void BM_RocketFrame(benchmark::State& state) {
    TDisplayState display = Screen();
    const int level = state.range(0) != 0 ? 480 : 0;
    const TVisSettings settings;
    TRandom random;
    random.Seed(1);
    TMemoryCanvas canvas(ScreenWidth, MainHeight);
    TRocketThr rockets(&canvas, display, settings, random);
    for (int f = 0; f < WarmUpFrames; ++f) {
        display.VULevels = {level, level};
        rockets.DrawFrame();
    }
    const int before = canvas.PixelWrites;
    for (auto _ : state) {
        display.VULevels = {level, level};
        rockets.DrawFrame();
    }
    state.counters["pixels/frame"] =
        benchmark::Counter(canvas.PixelWrites - before, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_RocketFrame)->Arg(0)->Arg(1);

void BM_StarfieldFrame(benchmark::State& state) {
    TDisplayState display = Screen();
    TVisSettings settings;
    settings.StarQty = static_cast<int>(state.range(0));
    TRandom random;
    TMemoryCanvas canvas(ScreenWidth, MainHeight);
    TLightSpeed stars(&canvas, display, settings, random);
    for (int f = 0; f < WarmUpFrames; ++f) {
        stars.DrawFrame();
    }
    std::size_t lines = 0;
    for (auto _ : state) {
        canvas.Lines.clear();
        stars.DrawFrame();
        lines += canvas.Lines.size();
    }
    state.counters["lines/frame"] = benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_StarfieldFrame)->Arg(100)->Arg(255);

}  // namespace
