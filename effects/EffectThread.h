#pragma once
// The common shape of the four renderers: a thread that, until told to stop, has the window
// thread draw one frame on the canvas and then sleeps its latency.

#include "framework/Graphics.h"
#include "framework/Thread.h"

class TEffectThread : public TThread {
public:
    // The least a renderer sleeps between frames, whatever its latency setting.
    static constexpr int MinimumYieldMs = 1;

    TEffectThread(TCanvas* canvas, int latency) : Canvas(canvas), Latency(latency) {}
    ~TEffectThread() override { StopAndJoin(); }

    // Draws one frame; runs on the window thread only. Public so that tests can draw frames
    // one by one on a memory canvas without a thread.
    virtual void DrawFrame() = 0;

    TCanvas* GetCanvas() const { return Canvas; }
    int GetLatency() const { return Latency; }

protected:
    void Execute() override;

    TCanvas* const Canvas;  // not owned: the display window's paint box canvas
    const int Latency;      // ms slept after each frame; at least MinimumYieldMs
};
