#pragma once
// The plug-in's private window messages, in one place so that no two share a number.

#include <windows.h>

// To the hand-over's message-only window: run the queued requests (renderers' frames, a Render
// from another thread). Carries nothing.
constexpr UINT WM_APP_RUN_HANDOVER = WM_APP + 0x31;
// To the display window from another thread: shut the display down on the thread that owns it.
// Answered ShutdownFormDone, or ShutdownFormBusy when that thread was inside a call of the display
// (a close waiting for its renderers, a render waiting for the player): the display is left
// alone, since shutting it down there would free what the call still uses, and the sender asks
// again.
constexpr UINT WM_APP_SHUTDOWN_FORM = WM_APP + 0x32;
constexpr LRESULT ShutdownFormDone = 1;
constexpr LRESULT ShutdownFormBusy = 2;
