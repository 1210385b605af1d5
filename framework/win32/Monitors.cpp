#include "framework/win32/Monitors.h"

namespace {

// Not every SDK's headers name the awareness contexts; their values are fixed by the system.
HANDLE PerMonitorAwareV2() {
    return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
}
HANDLE PerMonitorAware() {
    return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3));
}

// Looked up at run time: a static import would keep the DLL from loading on systems without it.
FARPROC SetThreadAwareness() {
    const HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 != nullptr ? GetProcAddress(user32, "SetThreadDpiAwarenessContext") : nullptr;
}

TRect ToRect(const RECT& r) {
    return {static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right), static_cast<int>(r.bottom)};
}

struct TEnumeration {
    TMonitors Monitors;
    HMONITOR Wanted = nullptr;
};

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC /*dc*/, LPRECT /*clip*/, LPARAM data) {
    auto& enumeration = *reinterpret_cast<TEnumeration*>(data);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(monitor, &info)) {
        if (monitor == enumeration.Wanted) {
            enumeration.Monitors.PlayerIndex = static_cast<int>(enumeration.Monitors.Rects.size());
        }
        enumeration.Monitors.Rects.push_back(ToRect(info.rcMonitor));
    }
    return TRUE;
}

}  // namespace

TMonitors SystemMonitors(HWND window) {
    TEnumeration enumeration;
    // The primary monitor is the one at the origin of the desktop.
    enumeration.Wanted = window != nullptr ? MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)
                                           : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&enumeration));
    return enumeration.Monitors;
}

TRect DisplayMonitorRect(HWND player, int setting) {
    const TRect primary{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return ChosenMonitor(SystemMonitors(player), setting, primary);
}

TPerMonitorDpiScope::TPerMonitorDpiScope()
    : SetAwareness(reinterpret_cast<TSetAwareness>(reinterpret_cast<void*>(SetThreadAwareness()))) {
    if (SetAwareness != nullptr) {
        Previous = SetAwareness(PerMonitorAwareV2());
        if (Previous == nullptr) {
            Previous = SetAwareness(PerMonitorAware());
        }
    }
}

TPerMonitorDpiScope::~TPerMonitorDpiScope() {
    if (Previous != nullptr) {
        SetAwareness(Previous);
    }
}
