#pragma once
// A message timer that needs no window of its owner: it ticks on a message-only window of its
// own, on the thread that created it. Windowless controls drive their animation with it.
//
// Every wake of a thread for WM_TIMER costs round trips to the window system (under Wine, several
// to its server). A thread that is awake anyway, as the window thread is for each of the host's
// renders, calls RunDue: the timers due then tick at once, and their system timers are pushed back
// past the next due time, so that they wake the thread only when RunDue stops coming.

#include <windows.h>

#include <cstdint>
#include <functional>

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
    // The id of the system timer on the timer's window (a WM_TIMER with another id is not its own).
    static constexpr UINT_PTR SystemTimerId = 1;

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
    // within EarlyMs, and sets the system timers of this thread's timers to fire only SlackMs after
    // their next due time. Call it on a thread that is awake for other work anyway.
    static void RunDue();

protected:
    void OnTimer(UINT_PTR id) override;

private:
    enum class TSource { SystemTimer, RunDue };

    // Runs OnTick, then counts the next tick from this one's due time and sets the system timer
    // for it as the source of the tick wants.
    void Tick(std::int64_t now, TSource source);
    // Sets the system timer to fire SlackMs after the next tick is due.
    void PushBack(std::int64_t now);
    // Restarts the count from now and sets the system timer to the plain interval.
    void Restart();
    // Sets the system timer to fire every ms; unless restart, a timer already set to ms is left
    // running as it is.
    void SetSystemTimer(std::int64_t ms, bool restart);
    void Register();
    void Unregister();
    // The timer that took place slot as serial is still there.
    static bool Lives(int slot, std::uint64_t serial);

    bool IsEnabled = false;
    unsigned IntervalMs = 1000;
    bool Ticking = false;  // in OnTick: the count is taken up again when it returns
    TTickPace Pace;
    UniqueTimer System;
    unsigned SystemMs = 0;     // the period the system timer was last set to
    bool PushedBack = false;   // RunDue set the system timer to fire past the next due time
    DWORD Thread = 0;          // the thread that made the window
    int Slot = -1;             // this timer's place among the live timers; -1 when not there
    std::uint64_t Serial = 0;  // tells it apart from the timers that had the place before
};
