#include "effects/EffectThread.h"

#include <algorithm>

void TEffectThread::Execute() {
    if (Canvas == nullptr) {
        return;
    }
    // The flag is looked at only before a frame, so a stop request finishes the frame and sleep.
    while (!Terminated()) {
        const auto frame = [this] {
            FrameStarts[FramesStarted++ % FrameHistory] = std::chrono::steady_clock::now();
            DrawFrame();
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

std::vector<double> TEffectThread::FramePeriodsMs() const {
    std::vector<double> periods;
    const std::int64_t first = std::max<std::int64_t>(0, FramesStarted - FrameHistory);
    for (std::int64_t i = first + 1; i < FramesStarted; ++i) {
        const auto period = FrameStarts[i % FrameHistory] - FrameStarts[(i - 1) % FrameHistory];
        periods.push_back(std::chrono::duration<double, std::milli>(period).count());
    }
    return periods;
}
