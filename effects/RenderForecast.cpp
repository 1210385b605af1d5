#include "effects/RenderForecast.h"

#include <algorithm>

void TRenderForecast::Note(TClock::time_point at) {
    const bool first = Last == TClock::time_point{};
    const std::int64_t interval = std::chrono::duration_cast<std::chrono::microseconds>(at - Last).count();
    Last = at;
    if (first || interval <= 0 || interval > LongestIntervalUs) {
        Expected = 0;  // a start or a pause: no pace to go by until the next render
        return;
    }
    Intervals[NextSlot] = interval;
    NextSlot = (NextSlot + 1) % Kept;
    Count = std::min(Count + 1, Kept);
    // The median: a late or an early render does not move the forecast.
    std::array<std::int64_t, Kept> sorted = Intervals;
    std::sort(sorted.begin(), sorted.begin() + std::clamp(Count, 1, Kept));
    const auto usual = std::chrono::duration_cast<TClock::duration>(std::chrono::microseconds(sorted[Count / 2]));
    UsualInterval = usual.count();
    Expected = (at + usual).time_since_epoch().count();
}

TRenderForecast::TClock::time_point TRenderForecast::Next() const {
    return TClock::time_point(TClock::duration(Expected.load()));
}

TRenderForecast::TClock::time_point TRenderForecast::NextAfter(TClock::time_point t) const {
    const TClock::time_point next = Next();
    const TClock::rep interval = UsualInterval.load();
    if (next == TClock::time_point{} || interval <= 0) {
        return {};
    }
    if (t <= next) {
        return next;
    }
    const TClock::rep steps = ((t - next).count() + interval - 1) / interval;
    // Further on, a host that stopped rendering would seem to go on.
    return steps <= MostIntervalsAhead ? next + TClock::duration(steps * interval) : TClock::time_point{};
}

double TRenderForecast::IntervalMs() const {
    if (Next() == TClock::time_point{}) {
        return 0.0;
    }
    return std::chrono::duration<double, std::milli>(TClock::duration(UsualInterval.load())).count();
}
