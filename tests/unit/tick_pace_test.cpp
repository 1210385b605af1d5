// A periodic tick run whenever its thread is awake near the due time: the ticks keep the rate of
// the interval, whatever the rhythm of the wakes, and a long stall gives one tick, not a burst.

#include <gtest/gtest.h>

#include <cstdint>

#include "framework/TickPace.h"

namespace tick_pace_test {

namespace {

constexpr std::int64_t Ms = 1000;  // the pace counts microseconds
constexpr std::int64_t EarlyUs = 2 * Ms;

// Wakes every wakeMs for one second; returns how many of them ran the tick.
int TicksInASecond(std::int64_t intervalMs, std::int64_t wakeMs) {
    TTickPace pace;
    pace.Start(0, intervalMs * Ms);
    int ticks = 0;
    for (std::int64_t now = wakeMs * Ms; now <= 1000 * Ms; now += wakeMs * Ms) {
        if (pace.IsDue(now, EarlyUs)) {
            pace.Ticked(now, intervalMs * Ms);
            ++ticks;
        }
    }
    return ticks;
}

}  // namespace

TEST(TickPace, TicksKeepTheirRateWhateverTheWakes) {
    const struct {
        std::int64_t intervalMs, wakeMs;
        int want;
        const char* why;
    } cases[] = {
        {100, 10, 10, "the title's step at the host's renders"},
        {25, 10, 40, "wakes every 10 ms serve a 25 ms tick 40 times, not at every third wake (33)"},
        {100, 8, 10, "wakes off the interval's rhythm: each tick a little late, none lost (not 9)"},
        {200, 10, 5, "the images' frames"},
        {100, 150, 6, "wakes slower than the interval: one tick each"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TicksInASecond(c.intervalMs, c.wakeMs), c.want) << c.why;
    }
}

TEST(TickPace, AStallGivesOneTickAndTheCountStartsAgain) {
    TTickPace pace;
    pace.Start(0, 100 * Ms);
    pace.Ticked(100 * Ms, 100 * Ms);
    pace.Ticked(200 * Ms, 100 * Ms);
    // The tick due at 300 runs at 650: one tick for the four missed, and the count starts again.
    ASSERT_TRUE(pace.IsDue(650 * Ms, EarlyUs));
    pace.Ticked(650 * Ms, 100 * Ms);
    EXPECT_FALSE(pace.IsDue(660 * Ms, EarlyUs)) << "no burst of the ticks missed";
    EXPECT_EQ(pace.DueAt(), 750 * Ms);
    // Late by less than an interval keeps the rhythm: due at 750, run at 790, next due at 850.
    pace.Ticked(790 * Ms, 100 * Ms);
    EXPECT_EQ(pace.DueAt(), 850 * Ms);
}

}  // namespace tick_pace_test
