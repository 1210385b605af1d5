#include "framework/win32/Window.h"

#include <windowsx.h>

#include <atomic>
#include <cstdint>

#include "framework/win32/Handles.h"

namespace {

constexpr const char* FormClassName = "SkyburstForm";
// Controls keep their own DC (CS_OWNDC), so a renderer's canvas stays valid between frames.
constexpr const char* ControlClassName = "SkyburstControl";

bool ClassesRegistered = false;

// Each thread's count of calls in progress, in a slot of the system's thread-local storage that
// the library takes when it loads and gives back when it unloads. Without a slot, all threads'
// calls count together: a shutdown then waits for another thread's call too, but never runs
// under a call of its own thread.
class TCallCounts {
public:
    TCallCounts() : Slot(TlsAlloc()) {}
    ~TCallCounts() {
        if (Slot != TLS_OUT_OF_INDEXES) {
            TlsFree(Slot);
        }
    }
    TCallCounts(const TCallCounts&) = delete;
    TCallCounts& operator=(const TCallCounts&) = delete;

    int Get() const {
        if (Slot == TLS_OUT_OF_INDEXES) {
            return AllThreads;
        }
        // TlsGetValue clears the thread's last error, which the message being handled may be
        // about to report.
        const DWORD error = GetLastError();
        const auto calls = static_cast<int>(reinterpret_cast<std::intptr_t>(TlsGetValue(Slot)));
        SetLastError(error);
        return calls;
    }
    void Add(int calls) {
        if (Slot == TLS_OUT_OF_INDEXES) {
            AllThreads += calls;
        } else {
            TlsSetValue(Slot, reinterpret_cast<void*>(static_cast<std::intptr_t>(Get() + calls)));
        }
    }

private:
    const DWORD Slot;
    std::atomic<int> AllThreads{0};
};

TCallCounts CallCounts;

}  // namespace

int TCallScope::InProgress() {
    return CallCounts.Get();
}

void TCallScope::Add(int calls) {
    CallCounts.Add(calls);
}

bool TWindow::EnsureClasses() {
    if (ClassesRegistered) {
        return true;
    }
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &TWindow::WindowProc;
    wc.hInstance = ThisModule();
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = FormClassName;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    if (RegisterClassExA(&wc) == 0) {
        return false;
    }
    wc.lpszClassName = ControlClassName;
    wc.style = CS_OWNDC;
    if (RegisterClassExA(&wc) == 0) {
        UnregisterClassA(FormClassName, ThisModule());
        return false;
    }
    ClassesRegistered = true;
    return true;
}

void TWindow::UnregisterClasses() {
    if (!ClassesRegistered) {
        return;
    }
    UnregisterClassA(FormClassName, ThisModule());
    UnregisterClassA(ControlClassName, ThisModule());
    ClassesRegistered = false;
}

TWindow::~TWindow() {
    Destroy();
}

bool TWindow::CreateWith(const char* className,
                         DWORD style,
                         DWORD exStyle,
                         const RECT& bounds,
                         HWND parent,
                         const std::string& title) {
    if (Hwnd != nullptr || !EnsureClasses()) {
        return false;
    }
    CreateWindowExA(exStyle, className, title.c_str(), style, bounds.left, bounds.top, bounds.right - bounds.left,
                    bounds.bottom - bounds.top, parent, nullptr, ThisModule(), this);
    return Hwnd != nullptr;
}

bool TWindow::CreateTopLevel(DWORD style, DWORD exStyle, const RECT& bounds, HWND owner, const std::string& title) {
    return CreateWith(FormClassName, style, exStyle, bounds, owner, title);
}

bool TWindow::CreateChild(HWND parent, const RECT& bounds, bool visible) {
    const DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (visible ? WS_VISIBLE : 0);
    return CreateWith(ControlClassName, style, 0, bounds, parent, "");
}

void TWindow::Destroy() {
    if (Hwnd != nullptr) {
        // DestroyWindow ends in WM_NCDESTROY, which unbinds this object.
        DestroyWindow(Hwnd);
        Hwnd = nullptr;
    }
}

void TWindow::SetBounds(int left, int top, int width, int height) {
    if (Hwnd != nullptr) {
        MoveWindow(Hwnd, left, top, width < 0 ? 0 : width, height < 0 ? 0 : height, TRUE);
    }
}

void TWindow::SetVisible(bool visible) {
    if (Hwnd != nullptr) {
        ShowWindow(Hwnd, visible ? SW_SHOW : SW_HIDE);
    }
}

bool TWindow::IsVisible() const {
    return Hwnd != nullptr && IsWindowVisible(Hwnd) != FALSE;
}

int TWindow::ClientWidth() const {
    RECT r{};
    if (Hwnd != nullptr) {
        GetClientRect(Hwnd, &r);
    }
    return r.right - r.left;
}

int TWindow::ClientHeight() const {
    RECT r{};
    if (Hwnd != nullptr) {
        GetClientRect(Hwnd, &r);
    }
    return r.bottom - r.top;
}

void TWindow::Invalidate() {
    if (Hwnd != nullptr) {
        InvalidateRect(Hwnd, nullptr, TRUE);
    }
}

LRESULT TWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PaintDc dc(Hwnd);
            OnPaint(dc.Get(), dc.Area());
            return 0;
        }
        case WM_ERASEBKGND:
            return OnEraseBackground(reinterpret_cast<HDC>(wParam)) ? 1 : 0;
        case WM_KEYDOWN:
            OnKeyDown(static_cast<int>(wParam));
            return 0;
        case WM_SYSKEYDOWN:
            SysKeyTaken = OnSysKeyDown(static_cast<int>(wParam));
            if (SysKeyTaken) {
                return 0;
            }
            break;
        case WM_SYSCHAR:
            // The default would look for a menu the key opens, find none and beep.
            if (SysKeyTaken) {
                return 0;
            }
            break;
        case WM_LBUTTONUP:
            OnMouseUp(TMouseButton::Left, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        case WM_RBUTTONUP:
            OnMouseUp(TMouseButton::Right, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        case WM_MBUTTONUP:
            OnMouseUp(TMouseButton::Middle, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            return 0;
        case WM_TIMER:
            OnTimer(wParam);
            return 0;
        case WM_SHOWWINDOW:
            OnShow(wParam != FALSE);
            break;
        case WM_CLOSE:
            if (!OnClose()) {
                return 0;
            }
            break;
        default:
            break;
    }
    return DefWindowProcA(Hwnd, message, wParam, lParam);
}

LRESULT CALLBACK TWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    TWindow* self = nullptr;
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        self = static_cast<TWindow*>(create->lpCreateParams);
        self->Hwnd = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<TWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    }
    if (self == nullptr) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->Hwnd = nullptr;
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    const TCallScope call;
    return self->HandleMessage(message, wParam, lParam);
}
