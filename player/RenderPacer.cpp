#include "player/RenderPacer.h"

namespace player {

RenderPacer::RenderPacer(std::int64_t startUs, int delayMs)
    : periodUs_(static_cast<std::int64_t>(delayMs < 1 ? 1 : delayMs) * 1000), nextUs_(startUs + periodUs_) {}

void RenderPacer::RenderDone(std::int64_t nowUs) {
    nextUs_ += periodUs_;
    if (nextUs_ <= nowUs) {
        nextUs_ = nowUs + periodUs_;
    }
}

}  // namespace player
