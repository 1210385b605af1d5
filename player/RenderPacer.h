#pragma once
// When the next Render call is due: every delay, on a microsecond clock the caller reads.

#include <cstdint>

namespace player {

class RenderPacer {
public:
    // delayMs below 1 is treated as 1, so a plug-in asking for 0 cannot spin the loop.
    RenderPacer(std::int64_t startUs, int delayMs);

    [[nodiscard]] bool Due(std::int64_t nowUs) const { return nowUs >= nextUs_; }
    [[nodiscard]] std::int64_t NextUs() const { return nextUs_; }

    // After a Render at nowUs. A loop that fell more than one period behind (a slow Render, a
    // screenshot) starts a fresh period instead of calling Render back to back to catch up.
    void RenderDone(std::int64_t nowUs);

private:
    std::int64_t periodUs_;
    std::int64_t nextUs_;
};

}  // namespace player
