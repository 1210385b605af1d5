#include "effects/EarlyFrames.h"

#include <algorithm>

TFramesToDraw FramesToDrawNow(const TWaitingFrames& frames, double earlyMs) {
    TFramesToDraw draw{};
    double reach = earlyMs;
    for (bool more = true; more;) {
        more = false;
        for (int i = 0; i < MaxWaitingFrames; ++i) {
            if (draw[i] || !frames[i].Waiting || frames[i].DueInMs > reach) {
                continue;
            }
            draw[i] = true;
            const double further = std::min(frames[i].DueInMs + earlyMs, 2 * earlyMs);
            if (further > reach) {
                reach = further;
                more = true;  // an earlier slot may be in reach now
            }
        }
    }
    for (int i = 0; i < MaxWaitingFrames; ++i) {
        const TWaitingFrame& frame = frames[i];
        if (draw[i] || !frame.Waiting || frame.DueInMs > frame.LatencyMs / 2.0) {
            continue;
        }
        for (int j = 0; j < MaxWaitingFrames; ++j) {
            if (j != i && draw[j] && frames[j].LatencyMs == frame.LatencyMs) {
                draw[i] = true;
                break;
            }
        }
    }
    return draw;
}
