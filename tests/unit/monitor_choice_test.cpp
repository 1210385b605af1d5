// Which monitor the display covers, from the monitors' rectangles, the player's and the setting.

#include <gtest/gtest.h>

#include <climits>

#include "framework/Monitors.h"

namespace monitor_choice_test {

namespace {

constexpr TRect Primary{0, 0, 1024, 768};
constexpr TRect Second{1024, 0, 2304, 1024};
constexpr TRect Fallback{0, 0, 640, 480};

std::string Show(const TRect& r) {
    return std::to_string(r.Left) + "," + std::to_string(r.Top) + "-" + std::to_string(r.Right) + "," +
           std::to_string(r.Bottom);
}

}  // namespace

TEST(MonitorChoice, SettingPicksAMonitorElseThePlayers) {
    struct Case {
        std::vector<TRect> Monitors;
        int PlayerIndex;
        int Setting;
        TRect Want;
    };
    const Case cases[] = {
        {{Primary, Second}, 1, 0, Second},   // the player's, wherever it is
        {{Primary, Second}, 1, 1, Primary},  // 1 is the first in the system's order
        {{Primary, Second}, 0, 2, Second},    {{Primary, Second}, 1, 3, Second},  // names no monitor: the player's
        {{Primary, Second}, 0, -1, Primary},  {{Primary, Second}, 1, INT_MIN, Second},
        {{Primary, Second}, -1, 0, Fallback},                         // no monitor known for the player
        {{Primary, Second}, 2, 0, Fallback},  {{}, -1, 1, Fallback},  // the system listed none
    };
    for (const Case& c : cases) {
        const TRect have = ChosenMonitor({c.Monitors, c.PlayerIndex}, c.Setting, Fallback);
        EXPECT_EQ(Show(have), Show(c.Want)) << "setting " << c.Setting << ", player on " << c.PlayerIndex;
    }
}

TEST(MonitorChoice, TheDialogListsEveryMonitorWithItsSize) {
    EXPECT_EQ(MonitorChoiceItems({Primary, Second}),
              (std::vector<std::string>{"Player's monitor", "Monitor 1 (1024 x 768)", "Monitor 2 (1280 x 1024)"}));
}

}  // namespace monitor_choice_test
