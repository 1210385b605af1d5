#pragma once
// The process-wide pseudo-random generator that the display window and every renderer share.
// It is a 32-bit linear congruential generator, so a seeded run is exactly repeatable; the
// clock it re-seeds from can be replaced by tests.

#include <cstdint>
#include <functional>

class TRandom {
public:
    using Clock = std::function<std::uint32_t()>;  // milliseconds of the time of day

    void Seed(std::uint32_t seed) { State = seed; }
    std::uint32_t SeedValue() const { return State; }
    // Seeds from the clock (the time of day in milliseconds, or the injected clock).
    void Reseed();
    // Uniform integer in 0..n-1; 0 for n of 0 or 1 (and for negative n).
    int Next(int n);
    // Uniform real in [0, 1).
    double NextReal();

    void SetClock(Clock clock) { ClockSource = std::move(clock); }

private:
    void Step() { State = State * 134775813u + 1u; }

    std::uint32_t State = 0;
    Clock ClockSource;
};

TRandom& SharedRandom();
