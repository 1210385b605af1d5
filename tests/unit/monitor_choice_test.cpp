// Which monitor the display covers, from the monitors' rectangles, the player's and the setting.

#include <gtest/gtest.h>

#include <climits>

#include "framework/Monitors.h"

TEST(MonitorChoice, SettingPicksAMonitorElseThePlayers) {
    const TRect a{0, 0, 1024, 768}, b{1024, 0, 2304, 1024}, none{0, 0, 640, 480};
    const struct {
        std::vector<TRect> Monitors;
        int Player, Setting;
        TRect Want;
    } cases[] = {{{a, b}, 1, 0, b},     {{a, b}, 1, 1, a},    {{a, b}, 0, 2, b},
                 {{a, b}, 0, 3, a},     {{a, b}, 0, -1, a},   {{a, b}, 1, INT_MIN, b},
                 {{a, b}, -1, 0, none}, {{a, b}, 2, 0, none}, {{}, -1, 1, none}};
    for (const auto& c : cases) {
        EXPECT_TRUE(ChosenMonitor({c.Monitors, c.Player}, c.Setting, none) == c.Want)
            << "setting " << c.Setting << ", player on " << c.Player;
    }
    EXPECT_EQ(MonitorChoiceItems({a, b}),
              (std::vector<std::string>{"Player's monitor", "Monitor 1 (1024 x 768)", "Monitor 2 (1280 x 1024)"}));
}
