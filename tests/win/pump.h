#pragma once
// Running this thread's message loop for a while, as a host does between its calls.

#include <windows.h>

#include <functional>

// Dispatches this thread's messages until done() holds or ms milliseconds pass, one at a time
// between the checks (a renderer without latency posts its next frame while this one is drawn, so
// an empty queue might never come). Quit requests are dropped: they are the plug-in's, and the
// caller decides what ends its run. Counts in *seen the messages numbered counted. Returns done().
inline bool PumpUntil(const std::function<bool()>& done, int ms, UINT counted = 0, int* seen = nullptr) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(ms > 0 ? ms : 0);
    for (;;) {
        if (done()) {
            return true;
        }
        const int left = static_cast<int>(end - GetTickCount());
        if (left <= 0) {
            return done();
        }
        MSG msg;
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left < 2 ? left : 2), QS_ALLINPUT);
        } else if (msg.message != WM_QUIT) {
            if (seen != nullptr && counted != 0 && msg.message == counted) {
                ++*seen;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

// Dispatches this thread's messages for ms milliseconds; returns how many messages numbered
// counted it met.
inline int PumpFor(int ms, UINT counted = 0) {
    int seen = 0;
    PumpUntil([] { return false; }, ms, counted, &seen);
    return seen;
}

// Dispatches the messages already queued for this thread, without waiting for more.
inline void PumpPending() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&msg);
    }
}
