#pragma once
// The frame hand-over of the product: renderer threads queue their frames, and the window thread
// draws them when the host's Render serves the queue (Drain). A frame left waiting too long, and
// work nobody waits for, is announced to a message-only window owned by the window thread, which
// runs the queue when the announcement arrives. At most one announcement is pending at a time,
// so frames never pile up in the window thread's queue: a host that reads messages until none
// are left always gets out of its loop.

#include <windows.h>

#include <atomic>
#include <functional>

#include "framework/Thread.h"

class TWindowHandOver : public TQueuedHandOver {
public:
    // On the window thread. Throws std::runtime_error when the window cannot be made.
    TWindowHandOver();
    // Close, when still open and on the window thread. A renderer that was let go may hold the
    // last reference: destroyed on its thread, the object only releases its queue.
    ~TWindowHandOver() override;

    // Window thread: cancels every pending request and refuses later ones, then destroys the
    // window and unregisters its class. Idempotent.
    void Close();

    HWND Window() const { return Hwnd; }
    // Announcements posted so far: each one wakes the window thread.
    int AnnouncementsPosted() const { return Posts; }

    // Serves only this hand-over's requests (other windows' messages stay queued, so nothing of
    // the display re-enters while it waits), and the messages other threads send to this thread.
    bool ServeUntil(const std::function<bool()>& done, int timeoutMs) override;

protected:
    bool Signal(TSignal kind) override;
    void WaitForWork(int timeoutMs) override;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    char ClassName[48] = {};
    ATOM ClassAtom = 0;
    std::atomic<HWND> Hwnd{nullptr};     // read by renderer threads, cleared by Close
    std::atomic<bool> Announced{false};  // an announcement is in the queue, not yet handled
    std::atomic<int> Posts{0};
};

// Runs this thread's message loop until done() holds or timeoutMs passes, dispatching every
// message; a WM_QUIT met on the way is put back for the caller's own loop. Returns done().
bool PumpMessagesUntil(const std::function<bool()>& done, int timeoutMs);
