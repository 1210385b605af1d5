#include "effects/FrameClock.h"

#include <algorithm>
#include <mutex>

void TFrameClock::NoteRender(TTime at) {
    std::lock_guard<TLock> guard(Lock);
    const bool first = LastRender == TTime{};
    const std::int64_t interval = std::chrono::duration_cast<std::chrono::microseconds>(at - LastRender).count();
    LastRender = at;
    if (first || interval <= 0 || interval > LongestIntervalUs) {
        UsualUs = 0;  // a start or a pause: no pace to go by until the next render
        return;
    }
    Intervals[NextSlot] = interval;
    NextSlot = (NextSlot + 1) % Kept;
    Count = std::min(Count + 1, Kept);
    // The median: one late or early render does not move the forecast.
    std::array<std::int64_t, Kept> sorted = Intervals;
    std::sort(sorted.begin(), sorted.begin() + std::clamp(Count, 1, Kept));
    UsualUs = sorted[Count / 2];
}

TFrameClock::TTime TFrameClock::RenderAtOrAfter(TTime t, TTime now) const {
    const std::chrono::microseconds usual(UsualUs);
    // A host that has not rendered for a long pause has stopped, whatever its pace was.
    if (UsualUs <= 0 || now - LastRender > std::chrono::microseconds(LongestIntervalUs)) {
        return {};
    }
    const TTime next = LastRender + usual;
    if (t <= next) {
        return next;
    }
    const auto steps = (t - next + usual - TClock::duration(1)) / usual;
    return next + steps * usual;
}

TFrameClock::THandOver TFrameClock::HandOverAt(const void* who, TTime due, double lagMs, TTime now) {
    std::lock_guard<TLock> guard(Lock);
    const auto comesAnyway = [&](TTime wake) {
        return wake != TTime{} && wake >= due - Ms(EarlyMs) && wake <= due + Ms(WaitMs) && wake + Ms(LateMs) > now;
    };
    TTime ride = RenderAtOrAfter(due - Ms(EarlyMs), now);
    if (!comesAnyway(ride)) {
        ride = {};
    }
    TPlan* mine = nullptr;
    for (TPlan& plan : Plans) {
        if (plan.Who == who) {
            mine = &plan;
        } else if (plan.Who != nullptr && comesAnyway(plan.At) && (ride == TTime{} || plan.At < ride)) {
            ride = plan.At;
        }
    }
    if (mine == nullptr) {
        mine = std::find_if(Plans.begin(), Plans.end(), [](const TPlan& p) { return p.Who == nullptr; });
    }
    // Handed over early by the usual lag, the frame is drawn at its time.
    const TTime own = ride == TTime{} ? due - Ms(std::clamp(lagMs, 0.0, EarlyMs)) : TTime{};
    if (mine != Plans.end()) {
        *mine = {who, own};
    }
    if (ride != TTime{}) {
        return {false, ride + Ms(LateMs)};
    }
    return {DrawsNow(due, now), own};
}

void TFrameClock::Forget(const void* who) {
    std::lock_guard<TLock> guard(Lock);
    for (TPlan& plan : Plans) {
        if (plan.Who == who) {
            plan = {};
        }
    }
}
