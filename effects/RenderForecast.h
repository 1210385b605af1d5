#pragma once
// When the host's next render is to be expected. The window thread notes each render; renderer
// threads read the forecast: a frame due just before a render is better drawn by that render,
// which wakes the window thread anyway, than by a wake of its own.

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>

#include "framework/Clock.h"

class TRenderForecast {
public:
    using TClock = TSteadyClock;

    // Window thread, at each render.
    void Note(TClock::time_point at);
    // Any thread: when the next render is expected, from the latest one and the usual interval
    // between the recent ones; TClock::time_point{} before there are two renders to go by.
    TClock::time_point Next() const;
    // Any thread: the first render expected at or after t, going on at the usual interval from
    // the next one; TClock::time_point{} when there is no forecast.
    TClock::time_point NextAfter(TClock::time_point t) const;
    // Any thread: the usual interval between renders in milliseconds; 0 when there is no forecast.
    double IntervalMs() const;

private:
    static constexpr int Kept = 8;  // recent intervals looked at
    // Longer pauses are the host stopping, not its pace.
    static constexpr std::int64_t LongestIntervalUs = 200000;
    // How many intervals past the next render a forecast reaches.
    static constexpr int MostIntervalsAhead = 3;

    TClock::time_point Last{};
    std::array<std::int64_t, Kept> Intervals{};  // µs, a ring
    int Count = 0;
    int NextSlot = 0;
    std::atomic<TClock::rep> Expected{0};  // time since the clock's epoch; 0 for none
    std::atomic<TClock::rep> UsualInterval{0};
};
