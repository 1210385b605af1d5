#pragma once
// TvumeterThr: the stereo level meter in the VU strip. The left channel's bar grows leftward and
// the right channel's rightward from the middle, each optionally cut into segments and followed
// by a peak block that floats 3 pixels beyond the bar's end and sinks one column per frame.

#include <array>
#include <cstdint>

#include "displaystate/DisplayState.h"
#include "effects/EffectThread.h"
#include "settings/VisSettings.h"

// What the meter last showed (index 0 left, 1 right). It outlives any one renderer; a new
// renderer starts it from zero.
struct TVUMeterState {
    std::array<std::int32_t, 2> VUTarget{};  // lengths to show in the current frame
    std::array<std::int32_t, 2> VUDrawn{};   // lengths last drawn
    std::array<std::int32_t, 2> VUPeaks{};   // peak positions; the block starts 3 pixels beyond
    // The display's VURepaints when the bars were last drawn: a newer repaint has wiped them.
    std::uint32_t RepaintsSeen = 0;
};

// The instance the running renderer uses, alive as long as the library.
TVUMeterState& VUMeterState();

class TvumeterThr : public TEffectThread {
public:
    // Draws on canvas with the shared display values, settings and meter state.
    explicit TvumeterThr(TCanvas* canvas);
    // The body draws with this object's state: the thread ends before any of it goes.
    ~TvumeterThr() override { StopAndJoin(); }
    // The same over explicit values, for tests and benchmarks.
    TvumeterThr(TCanvas* canvas, TDisplayState& display, const TVisSettings& settings, TVUMeterState& meter);

    void DrawFrame() override;

private:
    TDisplayState& Display;
    const TVisSettings& Settings;
    TVUMeterState& Meter;
};
