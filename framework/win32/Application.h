#pragma once
// The plug-in's application object: the window that owns its forms (the player's) and the
// thread whose message loop ends the visualisation when it receives the quit request.

#include <windows.h>

#include <atomic>

// Atomic: a Quit on another thread detaches while the window thread's own stop does the same.
struct TApplication {
    std::atomic<HWND> Handle{nullptr};   // the owner of the plug-in's top-level windows; none when detached
    std::atomic<DWORD> MainThreadId{0};  // the thread that called Init

    // Detaches from the player window and posts the quit request to the thread that called Init.
    void Terminate() {
        Handle = nullptr;
        const DWORD initThread = MainThreadId;
        const DWORD thread = initThread != 0 ? initThread : GetCurrentThreadId();
        PostThreadMessageA(thread, WM_QUIT, 0, 0);
    }
};

TApplication& Application();
