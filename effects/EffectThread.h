#pragma once
// The common shape of the four renderers: a thread that, until told to stop, has the window
// thread draw one frame on the canvas and then sleeps its latency.
//
// Every wake of the window thread is costly under a host's message loop, so a window thread that
// is awake anyway (a render, another renderer's frame) may draw a sleeping renderer's next frame
// early when it is due within a moment (DrawWaitingFrame): the renderer then paces from that frame as if
// it had handed it over itself, and no wake is spent on it.

#include <chrono>
#include <memory>

#include "effects/EarlyFrames.h"
#include "effects/RenderForecast.h"
#include "framework/Clock.h"
#include "framework/Graphics.h"
#include "framework/Sync.h"
#include "framework/Thread.h"

class TEffectThread : public TThread {
public:
    using TClock = TSteadyClock;

    // The least a renderer sleeps between frames, whatever its latency setting.
    static constexpr int MinimumYieldMs = 1;
    // Renderers with a shorter latency are never drawn early: their frames follow each other
    // closely enough, and the yield between two of them stays the window thread's.
    static constexpr int MinimumEarlyLatencyMs = 5;
    // How far ahead of its time a frame is drawn by a window thread that is awake anyway: early
    // enough to save a wake of its own (a host's renders come with a little jitter), too little
    // to see.
    static constexpr double EarlyDrawMs = 2.0;
    // A frame due this little before the host's next expected render waits for that render
    // (and a moment more, in case it comes late) rather than wake the window thread itself. A
    // host's renders wander by about a millisecond (its timeouts are whole milliseconds); a
    // renderer that gave up on a render sooner would hand over, for nothing, the frame that the
    // render is about to draw, and wake itself and the window thread to do so.
    static constexpr double WaitForRenderMs = 1.5;
    static constexpr double RenderLateMs = 1.5;
    // A latency this close to a whole number of render intervals lets the frames lock to the
    // renders: one frame may then wait longer, up to MaxLockWaitMs and half an interval, and the
    // frames after it come with the renders.
    static constexpr double LockToleranceMs = 1.0;
    static constexpr double MaxLockWaitMs = 5.0;

    // How long after its time a frame of a renderer with latencyMs may wait for a render, when
    // the renders come every renderIntervalMs (0: no forecast).
    static double RenderWaitMs(int latencyMs, double renderIntervalMs);

    TEffectThread(TCanvas* canvas, int latency) : Canvas(canvas), Latency(latency) {}
    ~TEffectThread() override { StopAndJoin(); }

    // Draws one frame; runs on the window thread only. Public so that tests can draw frames
    // one by one on a memory canvas without a thread.
    virtual void DrawFrame() = 0;

    // Window thread: when this renderer sleeps towards its next frame, draws that frame now,
    // presents it, and lets the thread pace from it. True when a frame was drawn.
    bool DrawWaitingFrame();
    // Any thread: whether this renderer sleeps towards a frame that DrawWaitingFrame may draw, and when
    // that frame is due, seen at now.
    TWaitingFrame WaitingFrame(TClock::time_point now) const;

    // Before Start: where the host's next render is forecast; none, and frames never wait for one.
    void SetRenderForecast(std::shared_ptr<const TRenderForecast> forecast) { Forecast = std::move(forecast); }

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
        Drawn,    // the window thread drew it, ending at DrawnAt
    };
    // The frame and its presentation.
    void DrawAndPresent();
    // Sleeps its latency after a frame that ended at frameEnd, then claims the next frame for
    // its own hand-over. When the window thread drew that frame meanwhile, sleeps on from there.
    void SleepAfter(TClock::time_point frameEnd);
    // The host's render that will draw a frame due at due, when one is forecast close enough to
    // it and still to come; TClock::time_point{} for none.
    TClock::time_point RenderFor(TClock::time_point due) const;

    std::shared_ptr<const TRenderForecast> Forecast;
    mutable TLock PaceLock;
    TCondition PaceChanged;
    TPace Pace = TPace::Busy;
    TClock::time_point DueAt;
    TClock::time_point DrawnAt;
};
