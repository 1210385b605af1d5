#pragma once
// Which monitor the display covers, decided from the system's monitors as plain rectangles. The
// Windows side (framework/win32/Monitors.h) lists them; this part only chooses.

#include <string>
#include <vector>

#include "framework/Graphics.h"

// The system's monitors in its enumeration order and which of them holds the player's window
// (-1 when none is known).
struct TMonitors {
    std::vector<TRect> Rects;
    int PlayerIndex = -1;
};

// The list entry a Monitor setting selects: the setting itself when it names a monitor (1 to
// count), otherwise 0, the player's monitor.
int MonitorChoiceIndex(int setting, int monitorCount);

// The rectangle the display covers for a Monitor setting: the monitor it names, else the one
// holding the player's window; fallback when the system listed neither.
TRect ChosenMonitor(const TMonitors& monitors, int setting, const TRect& fallback);

// The dialog's list: "Player's monitor", then one entry per monitor with its size.
std::vector<std::string> MonitorChoiceItems(const std::vector<TRect>& monitors);
