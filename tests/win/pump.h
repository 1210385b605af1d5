#pragma once
// Running this thread's message loop for a while, as a host does between its calls.

#include <windows.h>

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
