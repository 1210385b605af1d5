#include "framework/win32/Timer.h"

namespace {

constexpr UINT_PTR TimerId = 1;

}  // namespace

TTimer::~TTimer() {
    Destroy();
}

bool TTimer::Create() {
    if (Handle() == nullptr && !CreateTopLevel(0, 0, {0, 0, 0, 0}, HWND_MESSAGE, "")) {
        return false;
    }
    Apply();
    return true;
}

void TTimer::Destroy() {
    if (Running && Handle() != nullptr) {
        KillTimer(Handle(), TimerId);
    }
    Running = false;
    TWindow::Destroy();
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled != IsEnabled) {
        IsEnabled = enabled;
        Apply();
    }
}

void TTimer::SetInterval(unsigned intervalMs) {
    if (intervalMs != IntervalMs) {
        IntervalMs = intervalMs;
        Apply();
    }
}

void TTimer::Apply() {
    if (Handle() == nullptr) {
        return;
    }
    if (IsEnabled) {
        // Setting the same id again restarts the period with the new interval.
        Running = SetTimer(Handle(), TimerId, IntervalMs, nullptr) != 0;
    } else if (Running) {
        KillTimer(Handle(), TimerId);
        Running = false;
    }
}

void TTimer::OnTimer(UINT_PTR id) {
    // A tick already queued when the timer was stopped is dropped.
    if (id == TimerId && IsEnabled && OnTick) {
        OnTick();
    }
}
