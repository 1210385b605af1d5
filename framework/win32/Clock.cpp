#include "framework/Clock.h"

#include <windows.h>

namespace {

// The counter's rate is fixed at boot: read once, when the library loads. The system has always
// answered since Windows XP; a zero would only divide by zero.
long long CounterFrequency() {
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart > 0 ? frequency.QuadPart : 1;
}

const long long Frequency = CounterFrequency();

}  // namespace

TSteadyClock::time_point TSteadyClock::now() noexcept {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    // Whole seconds and the rest apart, so that the product in nanoseconds cannot overflow.
    const long long seconds = counter.QuadPart / Frequency;
    const long long rest = counter.QuadPart % Frequency;
    return time_point(duration(seconds * 1000000000LL + rest * 1000000000LL / Frequency));
}
