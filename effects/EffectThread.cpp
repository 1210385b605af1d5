#include "effects/EffectThread.h"

#include <algorithm>
#include <mutex>

namespace {

double MsBetween(TEffectThread::TClock::time_point from, TEffectThread::TClock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

}  // namespace

bool TEffectThread::DrawAndPresent() {
    DrawFrame();
    // The frame is composed in memory; what it changed goes to the window in one pass.
    Canvas->Present();
    return true;
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
    {
        std::lock_guard<TLock> guard(PaceLock);
        DueAt = frameEnd + std::chrono::milliseconds(latency);
        Pace = TPace::Asleep;
    }
    SleepMs(latency);  // the whole latency, as asked
    bool waitedForRender = false;
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
        double sleep = 0;
        if (Pace == TPace::Drawn) {
            // Drawn early by the window thread: the latency runs from that frame.
            DueAt = DrawnAt + std::chrono::milliseconds(latency);
            Pace = TPace::Asleep;
            waitedForRender = false;
            sleep = MsBetween(TClock::now(), DueAt);
        } else if (!waitedForRender) {
            waitedForRender = true;
            sleep = WaitForRender(TClock::now(), DueAt);
        }
        if (Pace == TPace::Asleep && sleep <= 0 && waitedForRender) {
            Pace = TPace::Busy;  // the frame is this thread's to hand over
            return;
        }
        guard.unlock();
        SleepPreciseMs(sleep);
    }
}

double TEffectThread::WaitForRender(TClock::time_point now, TClock::time_point due) const {
    if (!Forecast) {
        return 0;
    }
    const TClock::time_point next = Forecast->Next();
    if (next == TClock::time_point{}) {
        return 0;
    }
    const double until = MsBetween(now, next);
    return until >= 0 && MsBetween(due, next) <= WaitForRenderMs ? until + RenderLateMs : 0;
}

bool TEffectThread::DrawIfDue(TClock::time_point by) {
    {
        std::lock_guard<TLock> guard(PaceLock);
        if (Pace != TPace::Asleep || DueAt > by || Terminated()) {
            return false;
        }
        Pace = TPace::Drawing;
    }
    bool drawn = false;
    try {
        drawn = DrawAndPresent();
    } catch (...) {
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
