#include "framework/win32/HandOver.h"

#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <utility>

#include "framework/win32/Messages.h"
#include "framework/win32/Window.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

using Clock = TSteadyClock;

int MsUntil(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(left);
}

// A waiting thread looks at its condition at least this often (a thread ending sets a flag
// that nobody announces).
constexpr int PollSliceMs = 10;

// The timer that announces requests once the thread's queue has run dry.
constexpr UINT_PTR AnnounceTimerId = 1;
// How long visits may follow each other, each announced at the end of the one before, before the
// next one waits for the queue to run dry: longer than a few ordinary visits in a row.
constexpr int MaxChainMs = 20;

}  // namespace

TWindowHandOver::TWindowHandOver() {
    HINSTANCE module = reinterpret_cast<HINSTANCE>(&__ImageBase);
    // One class per hand-over, so that two of them (a test, a reload) never share a class that
    // the first one's destruction would unregister.
    std::snprintf(ClassName, sizeof ClassName, "SkyburstHandOver%p", static_cast<void*>(this));
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &TWindowHandOver::WindowProc;
    wc.hInstance = module;
    wc.lpszClassName = ClassName;
    ClassAtom = RegisterClassExA(&wc);
    if (ClassAtom == 0) {
        throw std::runtime_error("cannot register the hand-over window class");
    }
    // HWND_MESSAGE: no painting, no broadcasts, only the messages we post.
    Hwnd = CreateWindowExA(0, ClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module, this);
    if (Hwnd == nullptr) {
        UnregisterClassA(ClassName, module);
        throw std::runtime_error("cannot create the hand-over window");
    }
}

TWindowHandOver::~TWindowHandOver() {
    Shutdown();
    if (OnServingThread()) {
        Close();
    }
}

void TWindowHandOver::Close() {
    Shutdown();
    OnVisit = nullptr;
    const HWND window = Hwnd;
    if (window == nullptr) {
        return;
    }
    // Renderer threads read the handle to signal: they find it gone before the window goes.
    Hwnd = nullptr;
    // Announcements still queued for the window go with it; their requests are already
    // cancelled.
    DestroyWindow(window);
    UnregisterClassA(ClassName, reinterpret_cast<HINSTANCE>(&__ImageBase));
}

LRESULT CALLBACK TWindowHandOver::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    } else if (message == WM_APP_RUN_HANDOVER || (message == WM_TIMER && wParam == AnnounceTimerId)) {
        auto* self = reinterpret_cast<TWindowHandOver*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (self != nullptr) {
            const TCallScope call;
            self->Serve();
        }
        return 0;
    } else if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void TWindowHandOver::Serve() {
    if (TimerSet) {
        KillTimer(Hwnd, AnnounceTimerId);
        TimerSet = false;
    }
    // Announced by the previous visit, which found requests queued during its drain.
    const bool chained = std::exchange(Chained, false);
    Serving = true;
    Drain();
    if (OnVisit) {
        OnVisit();
    }
    Serving = false;
    // Cleared after the drain: a request queued during it did not announce itself, so it is
    // announced here, once. One queued after the clear announces itself; the exchange lets only
    // one of the two do it.
    Announced = false;
    if (PendingCount() > 0 && !Announced.exchange(true)) {
        // Renderers whose frames take longer than their yield always have one queued by the end
        // of a visit. Once visits have followed each other for a while, the next one waits until
        // the thread's queue has run dry, so that keys, paints and timers come and a host reading
        // messages until none are left gets out of its loop.
        const auto now = Clock::now();
        if (!chained) {
            ChainStart = now;
        }
        const bool behindOthers = now - ChainStart >= std::chrono::milliseconds(MaxChainMs);
        if (Announce(behindOthers) && !TimerSet) {
            Chained = true;
        }
    }
}

int TWindowHandOver::DrainAwake() {
    int ran = Drain();
    // Inside a visit the visit itself settles the announcement; a timer announcement stays.
    const HWND window = Hwnd;
    if (Serving || TimerSet || window == nullptr || !Announced) {
        return ran;
    }
    MSG msg;
    if (PeekMessageA(&msg, window, WM_APP_RUN_HANDOVER, WM_APP_RUN_HANDOVER, PM_REMOVE | PM_NOYIELD)) {
        Announced = false;
        // Requests queued since the drain counted on the announcement just taken back; later ones
        // announce themselves.
        ran += Drain();
    }
    return ran;
}

bool TWindowHandOver::Announce(bool behindOthers) {
    const HWND window = Hwnd;
    if (window == nullptr) {
        Announced = false;
        return false;  // closed: the caller withdraws the request
    }
    // A posted message comes before keys, paints and timers, and a timer message after them all,
    // once nothing else is queued. Announced again and again by post, busy renderers would keep
    // the others from ever coming.
    if (behindOthers && SetTimer(window, AnnounceTimerId, USER_TIMER_MINIMUM, nullptr) != 0) {
        TimerSet = true;
        return true;
    }
    // Posted, never sent: the one who signals may be a renderer at its end that the window
    // thread is about to join.
    if (PostMessageA(window, WM_APP_RUN_HANDOVER, 0, 0) != FALSE) {
        return true;
    }
    Announced = false;  // a full queue or a window gone: the caller withdraws the request
    return false;
}

bool TWindowHandOver::Signal(TSignal kind) {
    if (Hwnd == nullptr) {
        return false;  // closed: the caller withdraws the request
    }
    // A request queued while the window thread is announced is taken by that visit: one
    // announcement runs every request queued until it is handled. A waiter that has waited long
    // announces again, in case the pending announcement was lost.
    if (Announced.exchange(true) && kind != TSignal::Again) {
        return true;
    }
    return Announce(false);
}

void TWindowHandOver::WaitForWork(int timeoutMs) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(timeoutMs), QS_POSTMESSAGE | QS_SENDMESSAGE);
    MSG msg;
    // Removing our announcements keeps the wait from waking for them again; the requests
    // themselves are drained by the caller. Messages other threads send to this thread are
    // delivered by the peek itself.
    while (PeekMessageA(&msg, Hwnd, WM_APP_RUN_HANDOVER, WM_APP_RUN_HANDOVER, PM_REMOVE)) {
    }
    Announced = false;  // the caller drains next
}

bool TWindowHandOver::ServeUntil(const std::function<bool()>& done, int timeoutMs) {
    if (!OnServingThread()) {
        return TQueuedHandOver::ServeUntil(done, timeoutMs);
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : 0);
    for (;;) {
        Drain();
        if (done()) {
            return true;
        }
        const int left = MsUntil(deadline);
        if (left == 0) {
            return done();
        }
        WaitForWork(left < PollSliceMs ? left : PollSliceMs);
    }
}
