#pragma once
// The pixels the device lights for a thin line (a solid pen one pixel wide), so that a canvas in
// memory can write them itself and still match the device pixel for pixel.
//
// The device steps along the line's longer axis (the major one; for a diagonal either gives the
// same pixels), one pixel per unit from the start, leaving out the end point, and lights the pixel
// of the other axis nearest to the true line through the two end points. A line passing exactly
// half way between two pixels takes the one nearer the top or the left, whichever way it is drawn;
// so a line drawn backwards lights the same pixels apart from its two ends. A textbook Bresenham
// walk breaks every tie the same way along its direction of travel, and so differs from the device
// in half the octants.
//
// Only the part inside a clip rectangle is walked: the work is bounded by the clip's size however
// far outside the end points lie.

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "framework/Graphics.h"

namespace ThinLine {

// End points further out than this are refused: the walk's terms stay well inside 64 bits, and
// the device's own drawing of such lines goes through a coarser clip of its own.
constexpr int Reach = 1 << 24;

namespace Detail {

// Rounds towards minus infinity; b > 0.
inline std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

inline std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {
    return -FloorDiv(-a, b);
}

// The steps i (0 <= i < length) whose coordinate start + dir * i lies in [lo, hi).
inline void MajorRange(std::int64_t start,
                       int dir,
                       std::int64_t lo,
                       std::int64_t hi,
                       std::int64_t& first,
                       std::int64_t& last) {
    if (dir > 0) {
        first = std::max(first, lo - start);
        last = std::min(last, hi - start);
    } else {
        first = std::max(first, start - hi + 1);
        last = std::min(last, start - lo + 1);
    }
}

}  // namespace Detail

// Calls plot(x, y) for every pixel of the line from `from` to `to` that lies inside clip, in
// order from the start. False, with nothing plotted, when an end point is beyond Reach.
template <typename TPlot>
bool ForEachPixel(TPoint from, TPoint to, const TRect& clip, TPlot&& plot) {
    const auto beyond = [](int v) { return v < -Reach || v > Reach; };
    if (beyond(from.X) || beyond(from.Y) || beyond(to.X) || beyond(to.Y)) {
        return false;
    }
    if (clip.IsEmpty()) {
        return true;
    }
    const std::int64_t dx = static_cast<std::int64_t>(to.X) - from.X;
    const std::int64_t dy = static_cast<std::int64_t>(to.Y) - from.Y;
    const bool xMajor = std::llabs(dx) > std::llabs(dy);
    // Major and minor axes: their start, direction, extent and the clip's bounds along them.
    const std::int64_t length = xMajor ? std::llabs(dx) : std::llabs(dy);
    const std::int64_t rise = xMajor ? std::llabs(dy) : std::llabs(dx);
    const std::int64_t majorStart = xMajor ? from.X : from.Y;
    const std::int64_t minorStart = xMajor ? from.Y : from.X;
    const int majorDir = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int minorDir = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const std::int64_t majorLo = xMajor ? clip.Left : clip.Top;
    const std::int64_t majorHi = xMajor ? clip.Right : clip.Bottom;
    const std::int64_t minorLo = xMajor ? clip.Top : clip.Left;
    const std::int64_t minorHi = xMajor ? clip.Bottom : clip.Right;
    if (length == 0) {
        return true;
    }
    // After i steps the line is i * rise / length along the minor axis; the pixel is that rounded,
    // halves rounded towards the top or left. In steps counted along minorDir that is
    // k(i) = floor((2 i rise + length - 1 + tie) / (2 length)), where tie is 1 when minorDir points
    // up or left (a half then rounds to the further step) and 0 otherwise.
    const std::int64_t tie = minorDir < 0 ? 1 : 0;
    const std::int64_t twoLength = 2 * length;
    const std::int64_t offset = length - 1 + tie;
    std::int64_t first = 0;
    std::int64_t last = length;  // exclusive
    Detail::MajorRange(majorStart, majorDir, majorLo, majorHi, first, last);
    if (first >= last) {
        return true;
    }
    // The minor clip as a range of k, then as a range of steps: k(i) never decreases.
    std::int64_t kLo;
    std::int64_t kHi;  // inclusive
    if (minorDir > 0) {
        kLo = minorLo - minorStart;
        kHi = minorHi - 1 - minorStart;
    } else {
        kLo = minorStart - (minorHi - 1);
        kHi = minorStart - minorLo;
    }
    if (kHi < 0 || kLo > rise) {
        return true;
    }
    if (rise > 0) {
        // k(i) >= kLo  <=>  2 i rise >= 2 length kLo - offset
        if (kLo > 0) {
            first = std::max(first, Detail::CeilDiv(twoLength * kLo - offset, 2 * rise));
        }
        // k(i) <= kHi  <=>  2 i rise < 2 length (kHi + 1) - offset
        if (kHi < rise) {
            last = std::min(last, Detail::CeilDiv(twoLength * (kHi + 1) - offset, 2 * rise));
        }
    } else if (kLo > 0) {
        return true;  // a straight line, wholly beside the clip
    }
    if (first >= last) {
        return true;
    }
    // The walk itself: the remainder of k's division carried from step to step.
    const std::int64_t start = 2 * first * rise + offset;
    std::int64_t k = Detail::FloorDiv(start, twoLength);
    std::int64_t remainder = start - k * twoLength;
    // Both stay inside the clip while plotted; 64 bits so that the step past the last cannot overflow.
    std::int64_t major = majorStart + majorDir * first;
    std::int64_t minor = minorStart + minorDir * k;
    const std::int64_t twoRise = 2 * rise;
    for (std::int64_t i = first; i < last; ++i) {
        if (xMajor) {
            plot(static_cast<int>(major), static_cast<int>(minor));
        } else {
            plot(static_cast<int>(minor), static_cast<int>(major));
        }
        major += majorDir;
        remainder += twoRise;
        if (remainder >= twoLength) {
            remainder -= twoLength;
            minor += minorDir;
        }
    }
    return true;
}

}  // namespace ThinLine
