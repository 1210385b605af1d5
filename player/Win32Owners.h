#pragma once
// The test player's handle owners: the framework's, plus the few only a host needs.

#include <windows.h>

#include <type_traits>

#include "framework/win32/Handles.h"

namespace player {

using ::MemoryDc;
using ::SelectGuard;
using ::UniqueGdiObject;
using ::UniqueHandle;
using ::UniqueTimer;
using ::WindowDc;

struct FileHandleTraits {
    static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct ModuleTraits {
    static HMODULE Empty() { return nullptr; }
    static void Close(HMODULE m) { FreeLibrary(m); }
};
struct WindowTraits {
    static HWND Empty() { return nullptr; }
    static void Close(HWND w) { DestroyWindow(w); }
};

using UniqueFile = UniqueResource<HANDLE, FileHandleTraits>;
using UniqueModule = UniqueResource<HMODULE, ModuleTraits>;
using UniqueWindow = UniqueResource<HWND, WindowTraits>;

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

static_assert(!std::is_copy_constructible_v<UniqueFile> && !std::is_copy_constructible_v<UniqueModule> &&
                  !std::is_copy_constructible_v<UniqueWindow> && !std::is_copy_constructible_v<WindowClass>,
              "owners must not be copyable");

}  // namespace player
