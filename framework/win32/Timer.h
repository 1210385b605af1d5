#pragma once
// A message timer that needs no window of its owner: it ticks on a message-only window of its
// own, on the thread that created it. Windowless controls drive their animation with it.
//
// Every wake of a thread for WM_TIMER costs round trips to the window system (under Wine, several
// to its server), and so does every SetTimer (a call into the window manager on Windows, a request
// to the server under Wine). A thread that is awake anyway, as the window thread is for each of the
// host's renders, calls RunDue: the timers due then tick at once, and their system timers are set
// so that they wake the thread only when RunDue stops coming. A thread that knows it will call
// again soon (its renderers' frames bring it back) says so, and the system timers are then left
// alone as a distant backstop instead of being pushed back at every tick.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <limits>

#include "framework/TickPace.h"
#include "framework/win32/Handles.h"
#include "framework/win32/Window.h"

class TTimer : private TWindow {
public:
    std::function<void()> OnTick;

    // A tick this close to its due time is run by RunDue rather than left to a later call.
    static constexpr unsigned EarlyMs = 2;
    // How long after its due time a tick waits for RunDue before the system timer runs it. The
    // host renders about every 10 ms, a busy machine holds some renders back by a few periods, and
    // other hosts render less often: 40 ms leaves gaps of up to 40 ms between calls (25 renders a
    // second) without a wake. The price comes once, when the calls stop: that tick is up to 40 ms late.
    static constexpr unsigned SlackMs = 40;
    // While RunDue is promised, how far away the system timer waits: it only catches a thread that
    // stops calling without saying so. It is set again once half of it has passed, long before it
    // could fire while the calls come: the display's three timers (title, two images) then cost 0.6
    // SetTimer a second, where pushing each back at every tick cost 27 (measured under Wine at the
    // default settings; a WM_TIMER that runs no tick: none in either case).
    static constexpr unsigned BackstopMs = 10000;
    // The id of the system timer on the timer's window (a WM_TIMER with another id is not its own).
    static constexpr UINT_PTR SystemTimerId = 1;

    // When the calling thread will call RunDue again.
    enum class TNextRunDue {
        Unknown,      // perhaps never: each tick's system timer waits only SlackMs past its due time
        WithinSlack,  // within SlackMs, and so on until a call says Unknown (believed while they do)
    };

    TTimer() = default;
    ~TTimer() override;

    // Makes the window the timer ticks on, on the calling thread, which it then belongs to; until
    // then Enabled and Interval are only stored. False when the system refuses a window.
    bool Create();
    // Kills the timer and its window; nothing ticks afterwards.
    void Destroy();

    // Enabling, or a new interval while enabled, starts the count: the next tick comes one interval
    // from now. Called from OnTick, neither restarts it.
    void SetEnabled(bool enabled);
    bool Enabled() const { return IsEnabled; }
    void SetInterval(unsigned intervalMs);
    unsigned Interval() const { return IntervalMs; }
    // The system timer is set: the timer is enabled and will tick.
    bool Active() const { return System.Active(); }

    // The window the system timer is set on.
    using TWindow::Handle;

    // Runs, once each, the tick of every enabled timer of the calling thread that is due now or
    // within EarlyMs, and sets the system timers of this thread's timers for when RunDue may not
    // come: SlackMs after their next due time, or BackstopMs away while next promises the calls.
    // Call it on a thread that is awake for other work anyway.
    static void RunDue(TNextRunDue next = TNextRunDue::Unknown);

protected:
    void OnTimer(UINT_PTR id) override;

private:
    // What moved the count: it started (enabled, new interval), or a tick ran from the system timer
    // or from RunDue (or RunDue came and nothing was due).
    enum class TSource { Start, SystemTimer, RunDue };
    // What the system timer is set for.
    enum class TArmed {
        Interval,    // every interval, in step with the count
        DueTime,     // once more, for the tick due
        PushedBack,  // SlackMs after the tick due at ArmedFor
        Backstop,    // BackstopMs after ArmedAt, while RunDue is promised
    };

    // Runs OnTick, then counts the next tick from this one's due time and arms the system timer.
    void Tick(std::int64_t now, TSource source);
    // Restarts the count from now and arms the system timer.
    void Restart();
    // Sets the system timer for the count as it now stands, when what it is set for no longer fits.
    void Arm(std::int64_t now, TSource source);
    // Sets the system timer to fire every ms from now.
    void SetSystemTimer(std::int64_t ms, TArmed armed, std::int64_t now);
    void Register();
    void Unregister();
    // The timer that took place slot as serial is still there.
    static bool Lives(int slot, std::uint64_t serial);

    bool IsEnabled = false;
    unsigned IntervalMs = 1000;
    bool Ticking = false;  // in OnTick: the count is taken up again when it returns
    TTickPace Pace;
    UniqueTimer System;
    unsigned SystemMs = 0;  // the period the system timer was last set to
    TArmed Armed = TArmed::Interval;
    std::int64_t ArmedAt = 0;   // when the system timer was last set
    std::int64_t ArmedFor = 0;  // the due time of the count then
    bool Promised = false;      // the last RunDue of this thread promised the next
    std::int64_t LastRunDue = std::numeric_limits<std::int64_t>::min();  // when RunDue last came
    DWORD Thread = 0;                                                    // the thread that made the window
    int Slot = -1;             // this timer's place among the live timers; -1 when not there
    std::uint64_t Serial = 0;  // tells it apart from the timers that had the place before
};
