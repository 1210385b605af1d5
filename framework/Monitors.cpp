#include "framework/Monitors.h"

int MonitorChoiceIndex(int setting, int monitorCount) {
    return setting >= 1 && setting <= monitorCount ? setting : 0;
}

TRect ChosenMonitor(const TMonitors& monitors, int setting, const TRect& fallback) {
    const int count = static_cast<int>(monitors.Rects.size());
    if (const int chosen = MonitorChoiceIndex(setting, count); chosen > 0) {
        return monitors.Rects[static_cast<std::size_t>(chosen - 1)];
    }
    if (monitors.PlayerIndex >= 0 && monitors.PlayerIndex < count) {
        return monitors.Rects[static_cast<std::size_t>(monitors.PlayerIndex)];
    }
    return fallback;
}

std::vector<std::string> MonitorChoiceItems(const std::vector<TRect>& monitors) {
    std::vector<std::string> items{"Player's monitor"};
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        items.push_back("Monitor " + std::to_string(i + 1) + " (" + std::to_string(monitors[i].Width()) + " x " +
                        std::to_string(monitors[i].Height()) + ")");
    }
    return items;
}
