#pragma once
// The system's monitors and per-thread DPI awareness: the Windows side of choosing where the
// display goes and of drawing it sharp on a scaled monitor.

#include <windows.h>

#include "framework/Monitors.h"

// The monitors in the system's enumeration order, with the one that holds window (the nearest
// when it is minimised or off-screen; the primary when window is null). Coordinates are those of
// the calling thread's DPI awareness.
TMonitors SystemMonitors(HWND window);

// The rectangle of the monitor a Monitor setting picks, for a player window (see ChosenMonitor);
// the primary screen when the system lists no monitor.
TRect DisplayMonitorRect(HWND player, int setting);

// For its lifetime, makes the calling thread per-monitor DPI aware (version 2 where the system has
// it, else version 1), so that the windows it creates cover physical pixels; the thread's
// previous awareness comes back when it ends. Where the system has no per-thread awareness
// (before Windows 10 1607) it does nothing, and windows are made as they always were.
class TPerMonitorDpiScope {
public:
    TPerMonitorDpiScope();
    ~TPerMonitorDpiScope();
    TPerMonitorDpiScope(const TPerMonitorDpiScope&) = delete;
    TPerMonitorDpiScope& operator=(const TPerMonitorDpiScope&) = delete;

private:
    using TSetAwareness = HANDLE(WINAPI*)(HANDLE);
    TSetAwareness SetAwareness = nullptr;  // null where the system has no per-thread awareness
    HANDLE Previous = nullptr;             // the thread's awareness before the scope; null when unchanged
};
