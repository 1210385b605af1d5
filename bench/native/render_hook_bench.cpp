// The render hook runs for every frame the player delivers: how long its arithmetic takes.

#include <benchmark/benchmark.h>

#include "display/RenderHook.h"

static void BM_ReduceSpectrum(benchmark::State& state) {
    std::uint8_t bins[2][576];
    for (int ch = 0; ch < 2; ++ch) {
        for (int j = 0; j < 576; ++j) {
            bins[ch][j] = static_cast<std::uint8_t>((j * 37 + ch * 11) & 0xFF);
        }
    }
    std::array<std::int32_t, BandCount> bands{};
    std::array<std::int32_t, 2> levels{};
    for (auto _ : state) {
        ReduceSpectrum(bins, 1023, 6, 220, bands, levels);
        benchmark::DoNotOptimize(bands);
        benchmark::DoNotOptimize(levels);
        bands.fill(0);
    }
}
BENCHMARK(BM_ReduceSpectrum);
