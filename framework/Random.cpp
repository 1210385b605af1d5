#include "framework/Random.h"

#include <chrono>

namespace {

std::uint32_t MillisecondsOfDay() {
    using namespace std::chrono;
    const auto now = system_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(duration_cast<milliseconds>(now).count() % 86400000);
}

}  // namespace

void TRandom::Reseed() {
    State = ClockSource ? ClockSource() : MillisecondsOfDay();
}

int TRandom::Next(int n) {
    Step();
    if (n <= 1) {
        return 0;
    }
    return static_cast<int>((static_cast<std::uint64_t>(State) * static_cast<std::uint32_t>(n)) >> 32);
}

double TRandom::NextReal() {
    Step();
    return State / 4294967296.0;
}

TRandom& SharedRandom() {
    static TRandom generator;
    return generator;
}
