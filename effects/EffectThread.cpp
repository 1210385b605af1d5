#include "effects/EffectThread.h"

void TEffectThread::Execute() {
    if (Canvas == nullptr) {
        return;
    }
    // The flag is looked at only before a frame, so a stop request finishes the frame and sleep.
    while (!Terminated()) {
        if (!Synchronize([this] { DrawFrame(); })) {
            return;  // the window thread is shutting down: no more frames
        }
        if (Latency > 0) {
            SleepMs(Latency);
        }
    }
}
