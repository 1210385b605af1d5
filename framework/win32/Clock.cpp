#include "framework/Clock.h"

#include <windows.h>

TSteadyClock::time_point TSteadyClock::now() noexcept {
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    // Whole seconds and the rest apart, so that the product in nanoseconds cannot overflow.
    const long long seconds = counter.QuadPart / frequency.QuadPart;
    const long long rest = counter.QuadPart % frequency.QuadPart;
    return time_point(duration(seconds * 1000000000LL + rest * 1000000000LL / frequency.QuadPart));
}
