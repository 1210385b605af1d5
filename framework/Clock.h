#pragma once
// The clock that frames and waits are timed by. The native build has std::chrono::steady_clock under
// it. The Windows build's compiler (the win32 thread model) makes steady_clock the wall clock, which a
// change of the time moves back or forward, and whose ticks may be coarse; there it reads the
// performance counter instead.

#include <chrono>

#if defined(_WIN32)
struct TSteadyClock {
    using duration = std::chrono::nanoseconds;
    using rep = duration::rep;
    using period = duration::period;
    using time_point = std::chrono::time_point<TSteadyClock>;
    static constexpr bool is_steady = true;

    static time_point now() noexcept;
};
#else
using TSteadyClock = std::chrono::steady_clock;
#endif
