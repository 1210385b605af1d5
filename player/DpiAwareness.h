#pragma once
// The thread's DPI awareness, where the system has it per thread (looked up at run time, so the
// player still starts where it does not).

#include <windows.h>

namespace player {

inline FARPROC User32Entry(const char* name) {
    const HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 != nullptr ? GetProcAddress(user32, name) : nullptr;
}

// The calling thread's awareness context; null where the system has none.
inline HANDLE ThreadDpiAwareness() {
    const auto get =
        reinterpret_cast<HANDLE(WINAPI*)()>(reinterpret_cast<void*>(User32Entry("GetThreadDpiAwarenessContext")));
    return get != nullptr ? get() : nullptr;
}

// For its lifetime the thread is per-monitor aware, so that it measures the screen in physical pixels.
class PerMonitorAwareScope {
public:
    PerMonitorAwareScope()
        : set_(reinterpret_cast<HANDLE(WINAPI*)(HANDLE)>(
              reinterpret_cast<void*>(User32Entry("SetThreadDpiAwarenessContext")))) {
        if (set_ != nullptr) {
            previous_ = set_(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3)));  // per-monitor
        }
    }
    ~PerMonitorAwareScope() {
        if (previous_ != nullptr) {
            set_(previous_);
        }
    }
    PerMonitorAwareScope(const PerMonitorAwareScope&) = delete;
    PerMonitorAwareScope& operator=(const PerMonitorAwareScope&) = delete;

private:
    HANDLE(WINAPI* set_)(HANDLE);
    HANDLE previous_ = nullptr;
};

}  // namespace player
