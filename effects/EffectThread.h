#pragma once
// The common shape of the four renderers: a thread that, until told to stop, has the window
// thread draw one frame on the canvas and then sleeps its latency.
//
// With a frame clock (the display gives its renderers one), the sleep is the clock's: a window
// thread that is awake anyway may draw the waiting frame when the clock says it is due
// (DrawWaitingFrame), and the renderer then paces from that frame as if it had handed it over
// itself; a frame due just before such a wake is left to it.

#include <array>
#include <chrono>
#include <memory>

#include "effects/FrameClock.h"
#include "framework/Clock.h"
#include "framework/Graphics.h"
#include "framework/Sync.h"
#include "framework/Thread.h"

class TEffectThread : public TThread {
public:
    using TClock = TSteadyClock;

    // The least a renderer sleeps between frames, whatever its latency setting: however small the
    // latency, the window thread gets a moment between two frames of a renderer, so that a host
    // that reads messages until none are left gets out of its loop.
    static constexpr int MinimumYieldMs = 1;

    TEffectThread(TCanvas* canvas, int latency) : Canvas(canvas), Latency(latency) {}
    ~TEffectThread() override { StopAndJoin(); }

    // Draws one frame; runs on the window thread only. Public so that tests can draw frames
    // one by one on a memory canvas without a thread.
    virtual void DrawFrame() = 0;

    int LatencyMs() const { return Latency; }

    // Window thread, awake anyway at now: when this renderer sleeps towards a frame that the
    // clock says is due, draws that frame, presents it, and lets the thread pace from it. True
    // when a frame was drawn.
    bool DrawWaitingFrame(TClock::time_point now);

    // Before Start: the clock that times the frames; without one the thread sleeps its latency.
    void SetFrameClock(std::shared_ptr<TFrameClock> clock) { Clock = std::move(clock); }

protected:
    void Execute() override;

    TCanvas* const Canvas;  // not owned: the display window's paint box canvas
    const int Latency;      // ms slept after each frame; at least MinimumYieldMs

private:
    // Where the thread is in its cycle, as the window thread may see it.
    enum class TPace {
        Busy,     // handing a frame over, or not started
        Asleep,   // sleeping towards DueAt: the window thread may draw that frame
        Drawing,  // the window thread draws it
        Drawn,    // the window thread drew it, from DrawnFrom
    };
    // The frame and its presentation.
    void DrawAndPresent();
    // Sleeps after a frame whose drawing began at start until the clock says to hand the next one
    // over. When the window thread drew that one meanwhile, sleeps on from there.
    void SleepAfter(TClock::time_point start);

    std::shared_ptr<TFrameClock> Clock;
    mutable TLock PaceLock;
    TCondition PaceChanged;
    TPace Pace = TPace::Busy;
    TClock::time_point DueAt;
    TClock::time_point DrawnFrom;  // when the window thread began to draw the frame it drew
    // How long after a hand-over its frame began to be drawn, for the recent hand-overs (a ring).
    std::array<double, 8> HandOverLagsMs{};
    int NextLag = 0;
    // The shortest of those lags: a frame handed over that much ahead of its time is drawn at its
    // time at the soonest, and most visits come about that soon.
    double HandOverLagMs() const;
};
