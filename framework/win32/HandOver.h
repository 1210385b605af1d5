#pragma once
// The frame hand-over of the product: renderer threads queue their frames, and a message-only
// window owned by the window thread runs them when that thread's message loop dispatches the
// message announcing them.

#include <windows.h>

#include <functional>

#include "framework/Thread.h"

class TWindowHandOver : public TQueuedHandOver {
public:
    // On the window thread. Throws std::runtime_error when the window cannot be made.
    TWindowHandOver();
    // Cancels every pending request, then destroys the window and unregisters its class. Every
    // renderer thread must have ended before (TRenderers::StopAndWait).
    ~TWindowHandOver() override;

    HWND Window() const { return Hwnd; }

    // Serves only this hand-over's requests (other windows' messages stay queued, so nothing of
    // the display re-enters while it waits), and the messages other threads send to this thread.
    bool ServeUntil(const std::function<bool()>& done, int timeoutMs) override;

protected:
    bool Signal() override;
    void WaitForWork(int timeoutMs) override;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    char ClassName[48] = {};
    ATOM ClassAtom = 0;
    HWND Hwnd = nullptr;
};

// Runs this thread's message loop until done() holds or timeoutMs passes, dispatching every
// message; a WM_QUIT met on the way is put back for the caller's own loop. Returns done().
bool PumpMessagesUntil(const std::function<bool()>& done, int timeoutMs);
