#include "player/InputInjection.h"

namespace player {
namespace {

struct WindowSearch {
    HWND exclude;
    std::vector<HWND> found;
};

BOOL CALLBACK ConsiderWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    if (window != search->exclude && IsWindowVisible(window)) {
        search->found.push_back(window);
    }
    return TRUE;
}

}  // namespace

std::vector<HWND> PluginWindows(HWND playerWindow) {
    WindowSearch search{playerWindow, {}};
    EnumThreadWindows(GetCurrentThreadId(), ConsiderWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindPluginWindow(HWND playerWindow) {
    const auto windows = PluginWindows(playerWindow);
    return windows.empty() ? nullptr : windows.front();
}

bool InjectKey(HWND target, const KeySpec& key, bool down) {
    // Keys go to the focus; the plug-in's windows live on this thread, so GetFocus sees them.
    HWND focus = GetFocus();
    HWND receiver = (focus != nullptr && (focus == target || IsChild(target, focus))) ? focus : target;
    const UINT scan = MapVirtualKeyW(static_cast<UINT>(key.virtualKey), MAPVK_VK_TO_VSC);
    LPARAM flags = 1 | (static_cast<LPARAM>(scan & 0xFF) << 16);  // repeat count 1, scan code
    if (key.extended) {
        flags |= 1 << 24;
    }
    if (!down) {
        flags |= (1 << 30) | static_cast<LPARAM>(0x80000000u);  // was down, is going up
    }
    return PostMessageW(receiver, down ? WM_KEYDOWN : WM_KEYUP, static_cast<WPARAM>(key.virtualKey), flags);
}

bool InjectRightClick(HWND target) {
    RECT rect{};
    if (!GetWindowRect(target, &rect)) {
        return false;
    }
    const POINT screen{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    HWND window = target;
    // Windows nest only a few levels deep; the bound keeps a strange tree from looping.
    for (int depth = 0; depth < 64; ++depth) {
        POINT local = screen;
        ScreenToClient(window, &local);
        HWND child = ChildWindowFromPointEx(window, local, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
        if (child == nullptr || child == window) {
            break;
        }
        window = child;
    }
    POINT local = screen;
    ScreenToClient(window, &local);
    const LPARAM where = MAKELPARAM(local.x, local.y);
    return PostMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON, where) && PostMessageW(window, WM_RBUTTONUP, 0, where);
}

}  // namespace player
