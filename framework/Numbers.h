#pragma once
// Real and wide values to 32-bit integers without undefined behaviour: settings from an edited
// plugin.ini can push any intermediate value out of range, so results are held to 32 bits.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

// Drops the fraction toward zero; NaN gives 0.
inline std::int32_t Trunc(double v) {
    if (std::isnan(v)) {
        return 0;
    }
    if (v >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (v <= static_cast<double>(std::numeric_limits<std::int32_t>::min())) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(v);
}

// The nearest integer, halves to even (the default rounding mode). Values that drawing meets go
// through lrint, a single conversion instruction; nearbyint, on the 32-bit build, sets and
// restores the floating-point control word and clears the exception flags at every call, which
// stalls the processor, and the starfield rounds four values per line.
inline std::int32_t Nearest(double v) {
    constexpr double Plain = 1 << 30;
    if (v > -Plain && v < Plain) {  // false for NaN
        return static_cast<std::int32_t>(std::lrint(v));
    }
    return Trunc(std::nearbyint(v));
}

inline std::int32_t Clamp32(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}
