#include "framework/win32/Timer.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <vector>

#include "framework/Clock.h"
#include "framework/Sync.h"

namespace {

// The live timers of every thread, each in a place of its own that does not move while it lives:
// RunDue walks them by place while the ticks it runs make and destroy timers (and other threads
// theirs). A free place holds no timer. Each timer that takes a place gets a new serial number, so
// that a place taken again, even by a timer at the same address, is told apart.
struct TLiveTimer {
    TTimer* Timer = nullptr;
    std::uint64_t Serial = 0;
};

struct TLiveTimers {
    TLock Lock;
    std::vector<TLiveTimer> Places;
    std::uint64_t LastSerial = 0;
};

TLiveTimers& LiveTimers() {
    static TLiveTimers live;
    return live;
}

std::int64_t NowUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(TSteadyClock::now().time_since_epoch()).count();
}

constexpr std::int64_t Us(std::int64_t ms) {
    return ms * 1000;
}

// Whole milliseconds from now until due, rounded up: a system timer set to it fires no earlier.
constexpr std::int64_t MsUntil(std::int64_t dueUs, std::int64_t nowUs) {
    return (dueUs - nowUs + 999) / 1000;
}

}  // namespace

TTimer::~TTimer() {
    Destroy();
}

bool TTimer::Create() {
    if (Handle() == nullptr) {
        if (!CreateTopLevel(0, 0, {0, 0, 0, 0}, HWND_MESSAGE, "")) {
            return false;
        }
        Thread = GetCurrentThreadId();
        Register();
    }
    if (IsEnabled && !System.Active()) {
        Restart();
    }
    return true;
}

void TTimer::Destroy() {
    Ticking = false;  // a tick running now touches nothing of this timer any more
    System.Reset();   // before its window goes
    Unregister();
    TWindow::Destroy();
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled == IsEnabled) {
        return;
    }
    IsEnabled = enabled;
    if (Ticking || Handle() == nullptr) {
        return;  // the tick takes it up when it returns; Create when it makes the window
    }
    if (enabled) {
        Restart();
    } else {
        System.Reset();
    }
}

void TTimer::SetInterval(unsigned intervalMs) {
    if (intervalMs == IntervalMs) {
        return;
    }
    IntervalMs = intervalMs;
    if (IsEnabled && !Ticking && Handle() != nullptr) {
        Restart();
    }
}

void TTimer::RunDue(TNextRunDue next) {
    const DWORD thread = GetCurrentThreadId();
    TLiveTimers& live = LiveTimers();
    for (std::size_t place = 0;; ++place) {
        TTimer* timer = nullptr;
        {
            const std::lock_guard<TLock> guard(live.Lock);
            if (place >= live.Places.size()) {
                break;
            }
            // Another thread's timer may go at any moment: only its place is looked at.
            TTimer* held = live.Places[place].Timer;
            if (held != nullptr && held->Thread == thread) {
                timer = held;
            }
        }
        if (timer == nullptr) {
            continue;
        }
        // This thread's own timer stays until this thread destroys it, which it is not doing now.
        const std::int64_t now = NowUs();  // the ticks run before this one may have taken a while
        // A promise counts once the calls keep it: a caller whose calls come further apart (long
        // renderer latencies, a slow host) gets the ticks of a caller that promised nothing.
        timer->Promised = next == TNextRunDue::WithinSlack && timer->LastRunDue >= now - Us(SlackMs);
        timer->LastRunDue = now;
        if (!timer->IsEnabled || timer->Ticking) {
            continue;
        }
        if (timer->Pace.IsDue(now, Us(EarlyMs))) {
            timer->Tick(now, TSource::RunDue);
        } else {
            timer->Arm(now, TSource::RunDue);
        }
    }
}

void TTimer::OnTimer(UINT_PTR id) {
    // A tick already queued when the timer was stopped is dropped.
    if (id != SystemTimerId || !IsEnabled || Ticking) {
        return;
    }
    if (Armed == TArmed::Backstop) {
        Promised = false;  // the thread stopped calling RunDue without saying so
    }
    const std::int64_t now = NowUs();
    if (Pace.IsDue(now, Us(EarlyMs))) {
        Tick(now, TSource::SystemTimer);
    } else if (!System.Active() || Armed != TArmed::PushedBack) {
        // The system timer fired before the tick was due (its own period runs on from when it was
        // set, while the count may have started again since): once more, for when the tick is due.
        SetSystemTimer(MsUntil(Pace.DueAt(), now), TArmed::DueTime, now);
    }
    // Otherwise RunDue has set the system timer past the due time since this WM_TIMER was on its
    // way, and has run the tick it was for.
}

void TTimer::Tick(std::int64_t now, TSource source) {
    {
        // Until OnTick returns (or throws), what it changes is only stored; it is taken up below.
        // OnTick may also destroy the timer, even free it: then nothing of it is touched again.
        struct TTickScope {
            TTimer& Timer;
            const int Slot;
            const std::uint64_t Serial;
            bool Lives() const { return TTimer::Lives(Slot, Serial); }
            ~TTickScope() {
                if (Lives()) {
                    Timer.Ticking = false;
                }
            }
        } scope{*this, Slot, Serial};
        Ticking = true;
        if (OnTick) {
            OnTick();
        }
        if (!scope.Lives()) {
            return;
        }
    }
    if (!IsEnabled) {
        System.Reset();
        return;
    }
    Pace.Ticked(now, Us(IntervalMs));
    Arm(now, source);
}

void TTimer::Restart() {
    const std::int64_t now = NowUs();
    Pace.Start(now, Us(IntervalMs));
    Arm(now, TSource::Start);
}

void TTimer::Arm(std::int64_t now, TSource source) {
    const auto armedFor = [this](TArmed armed) { return System.Active() && Armed == armed; };
    if (Promised) {
        // RunDue runs every tick, whatever the interval: the system timer is there only in case
        // the calls stop without a word.
        if (!armedFor(TArmed::Backstop) || now - ArmedAt >= Us(BackstopMs) / 2) {
            SetSystemTimer(BackstopMs, TArmed::Backstop, now);
        }
    } else if (source == TSource::RunDue) {
        // While RunDue keeps coming, it runs the next tick before the system timer would fire. Set
        // for the due time itself, the system timer would fire at a moment a call of this thread
        // can hardly beat (calls every 10 ms and ticks on multiples of 10 ms keep the same phase).
        if (!armedFor(TArmed::PushedBack) || ArmedFor != Pace.DueAt()) {
            SetSystemTimer(MsUntil(Pace.DueAt(), now) + SlackMs, TArmed::PushedBack, now);
        }
    } else if (source == TSource::Start || !armedFor(TArmed::Interval) || SystemMs != IntervalMs) {
        // Nobody runs the ticks but the system timer: it ticks at the plain interval, in step.
        SetSystemTimer(IntervalMs, TArmed::Interval, now);
    }
}

void TTimer::SetSystemTimer(std::int64_t ms, TArmed armed, std::int64_t now) {
    const auto period = static_cast<unsigned>(std::clamp<std::int64_t>(ms, 1, USER_TIMER_MAXIMUM));
    if (!System.Active() || !System.Restart(period)) {
        System = UniqueTimer(Handle(), SystemTimerId, period);
    }
    SystemMs = period;
    Armed = armed;
    ArmedAt = now;
    ArmedFor = Pace.DueAt();
}

bool TTimer::Lives(int slot, std::uint64_t serial) {
    TLiveTimers& live = LiveTimers();
    const std::lock_guard<TLock> guard(live.Lock);
    const auto place = static_cast<std::size_t>(slot);
    return slot >= 0 && place < live.Places.size() && live.Places[place].Serial == serial &&
           live.Places[place].Timer != nullptr;
}

void TTimer::Register() {
    TLiveTimers& live = LiveTimers();
    const std::lock_guard<TLock> guard(live.Lock);
    auto free = std::find_if(live.Places.begin(), live.Places.end(), [](const TLiveTimer& p) { return !p.Timer; });
    if (free == live.Places.end()) {
        free = live.Places.insert(free, TLiveTimer{});
    }
    Serial = ++live.LastSerial;
    *free = {this, Serial};
    Slot = static_cast<int>(free - live.Places.begin());
}

void TTimer::Unregister() {
    if (Slot < 0) {
        return;
    }
    TLiveTimers& live = LiveTimers();
    const std::lock_guard<TLock> guard(live.Lock);
    live.Places[static_cast<std::size_t>(Slot)] = {};
    Slot = -1;
    // Free places at the end go, which moves no live timer.
    while (!live.Places.empty() && live.Places.back().Timer == nullptr) {
        live.Places.pop_back();
    }
}
