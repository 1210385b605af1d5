#pragma once
// One move-only owner per release function, so that no handle of the plug-in outlives its use
// and none is released twice or with the wrong call.

#include <windows.h>

#include <type_traits>
#include <utility>

// Owns a value released by Release(value) when it is not the empty value.
template <typename T, typename Traits>
class UniqueResource {
public:
    UniqueResource() = default;
    explicit UniqueResource(T value) : Value(value) {}
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : Value(other.Release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    ~UniqueResource() { Reset(); }

    T Get() const { return Value; }
    explicit operator bool() const { return Value != Traits::Empty(); }
    T Release() { return std::exchange(Value, Traits::Empty()); }
    void Reset(T value = Traits::Empty()) {
        const T old = std::exchange(Value, value);
        if (old != Traits::Empty()) {
            Traits::Close(old);
        }
    }

private:
    T Value = Traits::Empty();
};

struct GdiObjectTraits {
    static HGDIOBJ Empty() { return nullptr; }
    static void Close(HGDIOBJ h) { DeleteObject(h); }
};
struct KernelHandleTraits {
    static HANDLE Empty() { return nullptr; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct MemoryDcTraits {
    static HDC Empty() { return nullptr; }
    static void Close(HDC h) { DeleteDC(h); }
};

using UniqueGdiObject = UniqueResource<HGDIOBJ, GdiObjectTraits>;
using UniqueHandle = UniqueResource<HANDLE, KernelHandleTraits>;
using MemoryDc = UniqueResource<HDC, MemoryDcTraits>;

// GetDC/ReleaseDC: the release needs the window the DC came from.
class WindowDc {
public:
    WindowDc() = default;
    explicit WindowDc(HWND window) : Window(window), Dc(GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    WindowDc(WindowDc&& o) noexcept : Window(std::exchange(o.Window, nullptr)), Dc(std::exchange(o.Dc, nullptr)) {}
    WindowDc& operator=(WindowDc&& o) noexcept {
        if (this != &o) {
            Reset();
            Window = std::exchange(o.Window, nullptr);
            Dc = std::exchange(o.Dc, nullptr);
        }
        return *this;
    }
    ~WindowDc() { Reset(); }

    HDC Get() const { return Dc; }
    void Reset() {
        if (Dc != nullptr) {
            ReleaseDC(Window, Dc);
        }
        Dc = nullptr;
        Window = nullptr;
    }

private:
    HWND Window = nullptr;
    HDC Dc = nullptr;
};

// BeginPaint/EndPaint for one WM_PAINT.
class PaintDc {
public:
    explicit PaintDc(HWND window) : Window(window) { Dc = BeginPaint(window, &Info); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    ~PaintDc() { EndPaint(Window, &Info); }

    HDC Get() const { return Dc; }
    const RECT& Area() const { return Info.rcPaint; }

private:
    HWND Window;
    HDC Dc = nullptr;
    PAINTSTRUCT Info{};
};

// SelectObject as a resource: the previous object goes back into the DC when the guard ends,
// so an object is never deleted while still selected.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : Dc(dc), Previous(SelectObject(dc, object)) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard() {
        if (Previous != nullptr && Previous != HGDI_ERROR) {
            SelectObject(Dc, Previous);
        }
    }

private:
    HDC Dc;
    HGDIOBJ Previous;
};

// SetTimer/KillTimer on a window.
class UniqueTimer {
public:
    UniqueTimer() = default;
    UniqueTimer(HWND window, UINT_PTR id, UINT intervalMs)
        : Window(window), Id(SetTimer(window, id, intervalMs, nullptr)) {}
    UniqueTimer(const UniqueTimer&) = delete;
    UniqueTimer& operator=(const UniqueTimer&) = delete;
    UniqueTimer(UniqueTimer&& o) noexcept : Window(std::exchange(o.Window, nullptr)), Id(std::exchange(o.Id, 0)) {}
    UniqueTimer& operator=(UniqueTimer&& o) noexcept {
        if (this != &o) {
            Reset();
            Window = std::exchange(o.Window, nullptr);
            Id = std::exchange(o.Id, 0);
        }
        return *this;
    }
    ~UniqueTimer() { Reset(); }

    bool Active() const { return Id != 0; }
    void Reset() {
        if (Id != 0) {
            KillTimer(Window, Id);
        }
        Id = 0;
        Window = nullptr;
    }
    // Sets the running timer again: with the same id its countdown starts over with the new
    // interval, in one call. False, and the timer gone, when there is none or the system refuses.
    bool Restart(UINT intervalMs) {
        if (Id != 0 && SetTimer(Window, Id, intervalMs, nullptr) != 0) {
            return true;
        }
        Reset();
        return false;
    }

private:
    HWND Window = nullptr;
    UINT_PTR Id = 0;
};

static_assert(!std::is_copy_constructible_v<UniqueGdiObject>);
static_assert(!std::is_copy_constructible_v<UniqueHandle>);
static_assert(!std::is_copy_constructible_v<MemoryDc>);
static_assert(!std::is_copy_constructible_v<WindowDc>);
static_assert(!std::is_copy_constructible_v<PaintDc>);
static_assert(!std::is_copy_constructible_v<SelectGuard>);
static_assert(!std::is_copy_constructible_v<UniqueTimer>);

// The module handle of the plug-in itself (not the host executable's).
extern "C" IMAGE_DOS_HEADER __ImageBase;
inline HINSTANCE ThisModule() {
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}
