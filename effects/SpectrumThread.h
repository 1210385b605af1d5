#pragma once
// TSpectrumThr: the 36 spectrum bars standing on the bottom edge of the main area, each with an
// optional peak block that floats 3 rows above it, is pushed up at once and sinks one row per
// frame. Each frame draws only what changed since the last one.

#include <array>
#include <cstdint>

#include "displaystate/DisplayState.h"
#include "effects/EffectThread.h"
#include "settings/VisSettings.h"

// What the bars last showed. It outlives any one renderer; a new renderer starts it from zero.
struct TSpectrumBarsState {
    std::array<std::int32_t, BandCount> BarDrawn{};  // height each bar was last drawn at
    std::array<std::int32_t, BandCount> BarPeaks{};  // base of each peak block above the bar foot
    // The display's MainRepaints when the bars were last drawn: a newer repaint has wiped them.
    std::uint32_t RepaintsSeen = 0;
};

// The instance the running renderer uses, alive as long as the library.
TSpectrumBarsState& SpectrumBarsState();

class TSpectrumThr : public TEffectThread {
public:
    // Draws on canvas with the shared display values, settings and bar state.
    explicit TSpectrumThr(TCanvas* canvas);
    // The body draws with this object's state: the thread ends before any of it goes.
    ~TSpectrumThr() override { StopAndJoin(); }
    // The same over explicit values, for tests and benchmarks.
    TSpectrumThr(TCanvas* canvas, TDisplayState& display, const TVisSettings& settings, TSpectrumBarsState& bars);

    void DrawFrame() override;

private:
    TDisplayState& Display;
    const TVisSettings& Settings;
    TSpectrumBarsState& Bars;
};
