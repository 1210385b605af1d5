#include "framework/win32/HandOver.h"

#include <chrono>
#include <cstdio>
#include <stdexcept>

#include "framework/win32/Messages.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

using Clock = std::chrono::steady_clock;

int MsUntil(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(left);
}

// A waiting thread looks at its condition at least this often (a thread ending sets a flag
// that nobody announces).
constexpr int PollSliceMs = 10;

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
    } else if (message == WM_APP_RUN_HANDOVER) {
        auto* self = reinterpret_cast<TWindowHandOver*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (self != nullptr) {
            // Cleared before the drain: a request queued from here on either is taken by this
            // drain or announces itself anew. An announcement whose requests were served
            // earlier finds the queue empty and does nothing.
            self->Announced = false;
            self->Drain();
        }
        return 0;
    } else if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

bool TWindowHandOver::Signal(TSignal kind) {
    const HWND window = Hwnd;
    if (window == nullptr) {
        return false;  // closed: the caller withdraws the request
    }
    // A frame is normally drawn at the host's next Render, which serves the queue on the window
    // thread: waking that thread costs several round trips to Wine's server. Only a request that
    // nobody waits for, or one left waiting too long, is announced.
    if (kind == TSignal::Waiting) {
        return true;
    }
    // One announcement in the queue at a time runs every request queued until it is handled:
    // renderers without any latency cannot flood the window thread's queue. Posted, never sent:
    // the one who signals may be a renderer at its end that the window thread is about to join.
    if (Announced.exchange(true) && kind != TSignal::Again) {
        return true;
    }
    if (PostMessageA(window, WM_APP_RUN_HANDOVER, 0, 0) != FALSE) {
        ++Posts;
        return true;
    }
    Announced = false;  // a full queue or a window gone: the caller withdraws the request
    return false;
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

bool PumpMessagesUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : 0);
    for (;;) {
        MSG msg;
        // One message at a time between the checks: a renderer without latency posts its next
        // frame while this one is being drawn, so "until the queue is empty" might never come.
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
        const int left = MsUntil(deadline);
        if (left == 0) {
            return done();
        }
        if (got) {
            continue;  // more may be queued
        }
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(left < PollSliceMs ? left : PollSliceMs),
                                    QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}
