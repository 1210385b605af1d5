#pragma once
// The one window base class: binds the C++ object to its HWND at WM_NCCREATE and turns the
// messages the plug-in cares about into typed calls.

#include <windows.h>

#include <string>

enum class TMouseButton { Left, Right, Middle };

// Marks a call of the plug-in in progress: every message to one of its windows (the hand-over's
// too) and every render. A shutdown asked from another thread is refused while another call is
// in progress beneath its own on its thread, since it would free what that call still uses.
// Counted per thread: a call on another thread (the configuration dialog's) uses nothing the
// shutdown frees.
class TCallScope {
public:
    TCallScope() { Add(1); }
    ~TCallScope() { Add(-1); }
    TCallScope(const TCallScope&) = delete;
    TCallScope& operator=(const TCallScope&) = delete;
    // The calls in progress on the calling thread.
    static int InProgress();

private:
    static void Add(int calls);
};

class TWindow {
public:
    TWindow() = default;
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;
    virtual ~TWindow();

    // Creates the window with one of the plug-in's classes. A child needs a parent; a top-level
    // window may have an owner. False when the system refuses.
    bool CreateTopLevel(DWORD style, DWORD exStyle, const RECT& bounds, HWND owner, const std::string& title);
    bool CreateChild(HWND parent, const RECT& bounds, bool visible);
    void Destroy();

    HWND Handle() const { return Hwnd; }
    void SetBounds(int left, int top, int width, int height);
    void SetVisible(bool visible);
    bool IsVisible() const;
    int ClientWidth() const;
    int ClientHeight() const;
    void Invalidate();

    // Unregisters the window classes the plug-in registered; called when it shuts down, after
    // its last window is gone.
    static void UnregisterClasses();

protected:
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    virtual void OnPaint(HDC /*dc*/, const RECT& /*area*/) {}
    // Returns true when the background was painted (or needs no erasing).
    virtual bool OnEraseBackground(HDC /*dc*/) { return true; }
    virtual void OnKeyDown(int /*virtualKey*/) {}
    // A key pressed with Alt held (or F10); true when it was taken. A key not taken keeps the
    // system's handling, so Alt+F4 still closes the window.
    virtual bool OnSysKeyDown(int /*virtualKey*/) { return false; }
    virtual void OnMouseUp(TMouseButton /*button*/, int /*x*/, int /*y*/) {}
    virtual void OnTimer(UINT_PTR /*id*/) {}
    virtual void OnShow(bool /*shown*/) {}
    // Returns false to keep the window from being destroyed by the default handling.
    virtual bool OnClose() { return true; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static bool EnsureClasses();
    bool CreateWith(const char* className,
                    DWORD style,
                    DWORD exStyle,
                    const RECT& bounds,
                    HWND parent,
                    const std::string& title);

    HWND Hwnd = nullptr;
    bool SysKeyTaken = false;  // the last Alt key was taken: its character is not the system's
};
