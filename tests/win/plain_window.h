#pragma once
// A window for tests that draw on a window themselves: a visible popup with a DC of its own and a
// class that paints nothing, so that what is drawn on it stays.

#include <windows.h>

#include "tests/win/pump.h"

// Registers className (again is harmless) and opens a window of it at x, y, width x height. The
// caller destroys the window and unregisters the class.
inline HWND CreatePlainWindow(const char* className, int x, int y, int width, int height) {
    WNDCLASSA wc{};
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = className;
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, className, "", WS_POPUP | WS_VISIBLE, x, y, width, height, nullptr, nullptr,
                                  wc.hInstance, nullptr);
    PumpPending();
    return window;
}
