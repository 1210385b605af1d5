#include "effects/EffectThread.h"

#include <algorithm>
#include <mutex>

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
        const TClock::time_point handedOver = TClock::now();
        TClock::time_point start = handedOver;
        if (!Synchronize([this, &start] {
                start = TClock::now();
                DrawAndPresent();
            })) {
            break;  // the window thread is shutting down: no more frames
        }
        HandOverLagsMs[NextLag] = std::chrono::duration<double, std::milli>(start - handedOver).count();
        NextLag = (NextLag + 1) % static_cast<int>(HandOverLagsMs.size());
        SleepAfter(start);
    }
    if (Clock) {
        Clock->Forget(this);
    }
}

void TEffectThread::SleepAfter(TClock::time_point start) {
    const auto latency = std::chrono::milliseconds(std::max(Latency, MinimumYieldMs));
    if (!Clock) {
        SleepMs(static_cast<double>(latency.count()));
        return;
    }
    {
        std::lock_guard<TLock> guard(PaceLock);
        DueAt = start + latency;
        Pace = TPace::Asleep;
    }
    for (bool first = true;; first = false) {
        const TClock::time_point now = TClock::now();
        const TFrameClock::THandOver handOver = Clock->HandOverAt(this, DueAt, HandOverLagMs(), now);
        // However short the latency, the window thread gets a moment between two frames.
        const double sleepMs = std::chrono::duration<double, std::milli>(handOver.At - now).count();
        if (first || !handOver.Now) {
            SleepMs(first ? std::max(sleepMs, double{MinimumYieldMs}) : sleepMs);
        }
        std::unique_lock<TLock> guard(PaceLock);
        // A frame the window thread is drawing is waited for, as a handed-over one would be.
        while (Pace == TPace::Drawing) {
            PaceChanged.WaitFor(guard, 1000.0);
        }
        if (Terminated()) {
            Pace = TPace::Busy;
            return;
        }
        if (Pace == TPace::Drawn) {
            // Drawn by the window thread: the latency runs from that frame.
            DueAt = DrawnFrom + latency;
            Pace = TPace::Asleep;
        } else if (handOver.Now && !first) {
            Pace = TPace::Busy;  // the frame is this thread's to hand over
            return;
        }
    }
}

double TEffectThread::HandOverLagMs() const {
    return *std::min_element(HandOverLagsMs.begin(), HandOverLagsMs.end());
}

bool TEffectThread::DrawWaitingFrame(TClock::time_point now) {
    {
        std::lock_guard<TLock> guard(PaceLock);
        if (Pace != TPace::Asleep || Terminated() || !TFrameClock::DrawsNow(DueAt, now)) {
            return false;
        }
        Pace = TPace::Drawing;
    }
    const TClock::time_point from = TClock::now();
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
        DrawnFrom = from;
        Pace = TPace::Drawn;
    }
    PaceChanged.NotifyAll();
    return drawn;
}
