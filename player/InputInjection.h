#pragma once
// Keys and clicks for the plug-in's window, posted the way the system would queue them.

#include <windows.h>

#include <vector>

#include "player/PlayerOptions.h"

namespace player {

// The plug-in's visible top-level windows on the calling thread, topmost first.
std::vector<HWND> PluginWindows(HWND playerWindow);

// The plug-in's visible top-level window on the calling thread (not the player's own window),
// or null when it shows none.
HWND FindPluginWindow(HWND playerWindow);

// WM_KEYDOWN or WM_KEYUP to the focused window inside target (or target itself). The message
// loop's TranslateMessage turns the key-down into WM_CHAR; the caller pumps before the key-up
// so that the character arrives between the two, as with a real key.
bool InjectKey(HWND target, const KeySpec& key, bool down);

// WM_RBUTTONDOWN then WM_RBUTTONUP to the deepest visible child under the middle of target.
bool InjectRightClick(HWND target);

}  // namespace player
