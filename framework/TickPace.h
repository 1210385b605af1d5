#pragma once
// When a periodic tick is due. A tick may run whenever its thread happens to be awake near the due
// time (a host's render, a system timer), so it runs a little early or late; the next one is still
// counted from when this one was due, which keeps the average rate at exactly one tick per interval.

#include <cstdint>

// Times and intervals in microseconds of one monotonic clock.
class TTickPace {
public:
    // The first tick comes one interval after now.
    void Start(std::int64_t now, std::int64_t interval) { Due = now + interval; }

    // The tick is due at now, or will be within early.
    bool IsDue(std::int64_t now, std::int64_t early) const { return now + early >= Due; }

    // The tick due at Due ran at now: the next is due one interval later. A tick that ran more than
    // an interval late starts counting again from now, so that a thread kept busy for a while gets
    // one tick when it comes back, not a burst of the ones it missed.
    void Ticked(std::int64_t now, std::int64_t interval) {
        Due = now - Due > interval ? now + interval : Due + interval;
    }

    std::int64_t DueAt() const { return Due; }

private:
    std::int64_t Due = 0;
};
