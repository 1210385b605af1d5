#pragma once
// A message timer that needs no window of its owner: it ticks on a message-only window of its
// own, on the thread that created it. Windowless controls drive their animation with it.

#include <windows.h>

#include <functional>

#include "framework/win32/Window.h"

class TTimer : private TWindow {
public:
    std::function<void()> OnTick;

    TTimer() = default;
    ~TTimer() override;

    // Makes the window the timer ticks on; until then Enabled and Interval are only stored.
    // False when the system refuses a window.
    bool Create();
    // Kills the timer and its window; nothing ticks afterwards.
    void Destroy();

    void SetEnabled(bool enabled);
    bool Enabled() const { return IsEnabled; }
    void SetInterval(unsigned intervalMs);
    unsigned Interval() const { return IntervalMs; }

protected:
    void OnTimer(UINT_PTR id) override;

private:
    void Apply();

    bool IsEnabled = false;
    unsigned IntervalMs = 1000;
    bool Running = false;
};
