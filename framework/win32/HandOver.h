#pragma once
// The frame hand-over of the product: renderer threads queue their frames, and work from other
// threads (a Render from the host's thread, a renderer's last word) is queued the same way. Each
// request is announced at once to a message-only window owned by the window thread, which runs
// the queue when the announcement arrives, so a frame is drawn as soon as that thread is free. At
// most one announcement is pending at a time, and requests queued while it is being handled are
// announced at its end; when that keeps the window thread busy visit after visit, the next visit
// waits until its queue has run dry: frames never pile up in the window thread's queue, keys,
// paints and timers still come, and a host that reads messages until none are left always gets
// out of its loop.

#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>

#include "framework/Clock.h"
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

    // Window thread, awake for something else (a render): runs the queued requests now and takes
    // back the announcement that would wake the thread again for them, if one is queued. Returns
    // how many requests ran.
    int DrainAwake();

    // Window thread: run at every visit the hand-over's announcements bring, after its requests:
    // for work that is cheaper done while the thread is awake anyway. Cleared by Close.
    void SetOnVisit(std::function<void()> onVisit) { OnVisit = std::move(onVisit); }

    // Serves only this hand-over's requests (other windows' messages stay queued, so nothing of
    // the display re-enters while it waits), and the messages other threads send to this thread.
    bool ServeUntil(const std::function<bool()>& done, int timeoutMs) override;

protected:
    bool Signal(TSignal kind) override;
    void WaitForWork(int timeoutMs) override;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Window thread, on an announcement: runs the queue, then announces what was queued meanwhile.
    void Serve();
    // Tells the window thread, which the caller has claimed Announced for; behindOthers: once its
    // queue has run dry, after keys, paints and timers. False when it could not be told.
    bool Announce(bool behindOthers);

    char ClassName[48] = {};
    ATOM ClassAtom = 0;
    std::atomic<HWND> Hwnd{nullptr};  // read by renderer threads, cleared by Close
    // The window thread will come by: an announcement is queued or being handled, or the retry
    // timer runs. Requests queued meanwhile are taken by that visit or announced at its end.
    std::atomic<bool> Announced{false};
    bool TimerSet = false;  // window thread only
    // Window thread only: this visit was announced by the one before, and when that run of
    // visits began.
    bool Chained = false;
    TSteadyClock::time_point ChainStart;
    std::function<void()> OnVisit;  // window thread only
    bool Serving = false;           // window thread only: inside Serve
};
