#pragma once
// Running this thread's message loop for a while, as a host does between its calls.

#include <windows.h>

#include <chrono>
#include <functional>

// Dispatches this thread's messages for ms milliseconds; quit requests are dropped (they are
// the plug-in's, and the caller decides what ends its run). Returns how many messages numbered
// counted it met.
inline int PumpFor(int ms, UINT counted = 0) {
    int seen = 0;
    const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
    do {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
        MSG msg;
        while (static_cast<int>(end - GetTickCount()) > 0 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            seen += counted != 0 && msg.message == counted ? 1 : 0;
            if (msg.message != WM_QUIT) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
    } while (static_cast<int>(end - GetTickCount()) > 0);
    return seen;
}

// Dispatches the messages already queued for this thread, without waiting for more.
inline void PumpPending() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&msg);
    }
}

// Runs this thread's message loop until done() holds or timeoutMs passes, dispatching every
// message one at a time between the checks (a renderer without latency posts its next frame
// while this one is drawn, so an empty queue might never come); a WM_QUIT met on the way is put
// back for the caller's own loop. Returns done().
inline bool PumpMessagesUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : 0);
    for (;;) {
        MSG msg;
        const bool got = PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE;
        if (got) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return done();
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (done()) {
            return true;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) {
            return done();
        }
        if (!got) {
            MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(left < 10 ? left : 10), QS_ALLINPUT,
                                        MWMO_INPUTAVAILABLE);
        }
    }
}
