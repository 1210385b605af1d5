#pragma once
// The test player's handle owners: one move-only owner per release function.

#include <windows.h>

#include <type_traits>
#include <utility>

namespace player {

// Owns a value whose release is Release::Free(value); Release::Empty is the value that owns nothing.
template <typename T, typename Release>
class UniqueOwner {
public:
    UniqueOwner() = default;
    explicit UniqueOwner(T value) : value_(value) {}
    UniqueOwner(UniqueOwner&& other) noexcept : value_(std::exchange(other.value_, Release::Empty())) {}
    UniqueOwner& operator=(UniqueOwner&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.value_, Release::Empty()));
        }
        return *this;
    }
    UniqueOwner(const UniqueOwner&) = delete;
    UniqueOwner& operator=(const UniqueOwner&) = delete;
    ~UniqueOwner() { Reset(); }

    [[nodiscard]] T Get() const { return value_; }
    explicit operator bool() const { return value_ != Release::Empty(); }
    void Reset(T value = Release::Empty()) {
        if (value_ != Release::Empty()) {
            Release::Free(value_);
        }
        value_ = value;
    }

private:
    T value_ = Release::Empty();
};

struct CloseHandleRelease {
    static HANDLE Empty() { return nullptr; }
    static void Free(HANDLE h) { CloseHandle(h); }
};
struct FileHandleRelease {
    static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
    static void Free(HANDLE h) { CloseHandle(h); }
};
struct FreeLibraryRelease {
    static HMODULE Empty() { return nullptr; }
    static void Free(HMODULE m) { FreeLibrary(m); }
};
struct DestroyWindowRelease {
    static HWND Empty() { return nullptr; }
    static void Free(HWND w) { DestroyWindow(w); }
};
struct DeleteObjectRelease {
    static HGDIOBJ Empty() { return nullptr; }
    static void Free(HGDIOBJ o) { DeleteObject(o); }
};
struct DeleteDcRelease {
    static HDC Empty() { return nullptr; }
    static void Free(HDC dc) { DeleteDC(dc); }
};

using UniqueHandle = UniqueOwner<HANDLE, CloseHandleRelease>;
using UniqueFile = UniqueOwner<HANDLE, FileHandleRelease>;
using UniqueModule = UniqueOwner<HMODULE, FreeLibraryRelease>;
using UniqueWindow = UniqueOwner<HWND, DestroyWindowRelease>;
using UniqueGdiObject = UniqueOwner<HGDIOBJ, DeleteObjectRelease>;
using MemoryDc = UniqueOwner<HDC, DeleteDcRelease>;

// GetDC/ReleaseDC: the release needs the window the DC came from.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_ != nullptr) {
            ReleaseDC(window_, dc_);
        }
    }
    [[nodiscard]] HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Puts the previously selected object back, so the selected one can be deleted afterwards.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard() {
        if (previous_ != nullptr && previous_ != HGDI_ERROR) {
            SelectObject(dc_, previous_);
        }
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// SetTimer/KillTimer on a window.
class UniqueTimer {
public:
    UniqueTimer(HWND window, UINT_PTR id, UINT periodMs)
        : window_(window), id_(SetTimer(window, id, periodMs, nullptr)) {}
    UniqueTimer(const UniqueTimer&) = delete;
    UniqueTimer& operator=(const UniqueTimer&) = delete;
    ~UniqueTimer() { Kill(); }
    void Kill() {
        if (id_ != 0) {
            KillTimer(window_, id_);
            id_ = 0;
        }
    }
    explicit operator bool() const { return id_ != 0; }

private:
    HWND window_;
    UINT_PTR id_;
};

// RegisterClassA/UnregisterClassA.
class WindowClass {
public:
    explicit WindowClass(const WNDCLASSA& wc) : instance_(wc.hInstance), atom_(RegisterClassA(&wc)) {}
    WindowClass(const WindowClass&) = delete;
    WindowClass& operator=(const WindowClass&) = delete;
    ~WindowClass() {
        if (atom_ != 0) {
            UnregisterClassA(MAKEINTATOM(atom_), instance_);
        }
    }
    [[nodiscard]] ATOM Atom() const { return atom_; }

private:
    HINSTANCE instance_;
    ATOM atom_;
};

static_assert(!std::is_copy_constructible_v<UniqueHandle> && !std::is_copy_constructible_v<UniqueModule> &&
                  !std::is_copy_constructible_v<UniqueWindow> && !std::is_copy_constructible_v<UniqueGdiObject> &&
                  !std::is_copy_constructible_v<MemoryDc> && !std::is_copy_constructible_v<WindowDc> &&
                  !std::is_copy_constructible_v<SelectGuard> && !std::is_copy_constructible_v<UniqueTimer> &&
                  !std::is_copy_constructible_v<WindowClass> && !std::is_copy_constructible_v<UniqueFile>,
              "owners must not be copyable");

}  // namespace player
