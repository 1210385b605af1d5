#include "effects/EffectThread.h"

#include <algorithm>

void TEffectThread::Execute() {
    if (Canvas == nullptr) {
        return;
    }
    // The flag is looked at only before a frame, so a stop request finishes the frame and sleep.
    while (!Terminated()) {
        const auto frame = [this] {
            DrawFrame();
            // The frame is composed in memory; what it changed goes to the window in one pass.
            Canvas->Present();
        };
        if (!Synchronize(frame)) {
            return;  // the window thread is shutting down: no more frames
        }
        // However small the latency, the window thread gets a moment between two frames of a
        // renderer: back-to-back frames would keep its queue from ever emptying, and a host that
        // reads messages until none are left would never get out of its loop.
        SleepMs(std::max(Latency, MinimumYieldMs));
    }
}
