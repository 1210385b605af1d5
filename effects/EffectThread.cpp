#include "effects/EffectThread.h"

#include <algorithm>
#include <cmath>
#include <mutex>

namespace {

double MsBetween(TEffectThread::TClock::time_point from, TEffectThread::TClock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

TEffectThread::TClock::duration ToDuration(double ms) {
    return std::chrono::duration_cast<TEffectThread::TClock::duration>(std::chrono::duration<double, std::milli>(ms));
}

}  // namespace

void TEffectThread::DrawAndPresent() {
    DrawFrame();
    // The frame is composed in memory; what it changed goes to the window in one pass.
    Canvas->Present();
}

void TEffectThread::Execute() {
    if (Canvas == nullptr) {
        return;
    }
    // The flag is looked at only before a frame, so a stop request finishes the frame and sleep.
    while (!Terminated()) {
        if (!Synchronize([this] { DrawAndPresent(); })) {
            return;  // the window thread is shutting down: no more frames
        }
        // However small the latency, the window thread gets a moment between two frames of a
        // renderer: back-to-back frames would keep its queue from ever emptying, and a host that
        // reads messages until none are left would never get out of its loop.
        SleepAfter(TClock::now());
    }
}

void TEffectThread::SleepAfter(TClock::time_point frameEnd) {
    const int latency = std::max(Latency, MinimumYieldMs);
    if (latency < MinimumEarlyLatencyMs) {
        SleepMs(latency);
        return;
    }
    TClock::time_point render;
    {
        std::lock_guard<TLock> guard(PaceLock);
        DueAt = frameEnd + std::chrono::milliseconds(latency);
        Pace = TPace::Asleep;
        render = RenderFor(DueAt);
    }
    // A frame that a render will draw is slept through until just after that render: one wake a
    // frame, whoever draws it.
    bool waitedForRender = render != TClock::time_point{};
    if (waitedForRender) {
        SleepPreciseMs(MsBetween(TClock::now(), render) + RenderLateMs);
    } else {
        SleepMs(latency);  // the whole latency, as asked
    }
    for (;;) {
        std::unique_lock<TLock> guard(PaceLock);
        // A frame the window thread is drawing is waited for, as a handed-over one would be.
        while (Pace == TPace::Drawing) {
            PaceChanged.WaitFor(guard, 1000.0);
        }
        if (Terminated()) {
            Pace = TPace::Busy;
            return;
        }
        TClock::time_point wakeAt;
        if (Pace == TPace::Drawn) {
            // Drawn early by the window thread: the latency runs from that frame.
            DueAt = DrawnAt + std::chrono::milliseconds(latency);
            Pace = TPace::Asleep;
            render = RenderFor(DueAt);
            waitedForRender = render != TClock::time_point{};
            wakeAt = waitedForRender ? render + ToDuration(RenderLateMs) : DueAt;
        } else if (!waitedForRender && (render = RenderFor(DueAt)) != TClock::time_point{}) {
            waitedForRender = true;
            wakeAt = render + ToDuration(RenderLateMs);
        } else {
            Pace = TPace::Busy;  // the frame is this thread's to hand over
            return;
        }
        guard.unlock();
        SleepPreciseMs(MsBetween(TClock::now(), wakeAt));
    }
}

TEffectThread::TClock::time_point TEffectThread::RenderFor(TClock::time_point due) const {
    if (!Forecast) {
        return {};
    }
    // A render up to EarlyDrawMs before the frame's time draws it, as does one shortly after.
    const TClock::time_point render = Forecast->NextAfter(due - ToDuration(EarlyDrawMs));
    const double wait = RenderWaitMs(std::max(Latency, MinimumYieldMs), Forecast->IntervalMs());
    // A render that was due a moment ago may still come: renders come a little late at times.
    if (render == TClock::time_point{} || render > due + ToDuration(wait) ||
        render + ToDuration(RenderLateMs) < TClock::now()) {
        return {};
    }
    return render;
}

double TEffectThread::RenderWaitMs(int latencyMs, double renderIntervalMs) {
    if (!(renderIntervalMs > 0)) {
        return WaitForRenderMs;
    }
    const double intervals = std::round(latencyMs / renderIntervalMs);
    if (intervals < 1 || std::fabs(latencyMs - intervals * renderIntervalMs) > LockToleranceMs) {
        // Frames between renders: a long wait would stretch every period.
        return WaitForRenderMs;
    }
    return std::max(WaitForRenderMs, std::min(MaxLockWaitMs, renderIntervalMs / 2));
}

TWaitingFrame TEffectThread::WaitingFrame(TClock::time_point now) const {
    std::lock_guard<TLock> guard(PaceLock);
    TWaitingFrame frame;
    frame.Waiting = Pace == TPace::Asleep && !Terminated();
    frame.LatencyMs = Latency;
    frame.DueInMs = MsBetween(now, DueAt);
    return frame;
}

bool TEffectThread::DrawWaitingFrame() {
    {
        std::lock_guard<TLock> guard(PaceLock);
        if (Pace != TPace::Asleep || Terminated()) {
            return false;
        }
        Pace = TPace::Drawing;
    }
    bool drawn = true;
    try {
        DrawAndPresent();
    } catch (...) {
        drawn = false;
        // As for a handed-over frame: a frame that fails ends its renderer.
        Terminate();
    }
    {
        std::lock_guard<TLock> guard(PaceLock);
        DrawnAt = TClock::now();
        Pace = TPace::Drawn;
    }
    PaceChanged.NotifyAll();
    return drawn;
}
