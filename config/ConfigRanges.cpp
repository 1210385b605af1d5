#include "config/ConfigRanges.h"

#include <algorithm>

const std::vector<TSpinRange>& SpinRanges() {
    static const std::vector<TSpinRange> ranges = {
        {"SkyburstLatency", 10, 50, 5, 10},
        {"SpectrumsLatency", 10, 50, 5, 10},
        {"vuLatency", 10, 50, 5, 10},
        {"Gravity", 50, 500, 50, 100},
        {"MaxRocketNumber", 1, 12, 1, 1},
        {"RocketStyleVar", 2, 40, 2, 2},
        {"MaxRocketPatchNumber", 10, 150, 10, 10},
        {"MaxRocketPatchLength", 10, 300, 10, 10},
        {"MaxRocketEnergy", 100, 1500, 100, 100},
        {"MaxSpectrumH", 20, 480, 20, 20},
        {"BarB", 1, 100, 1, 10},
        {"vumeterH", 6, 100, 2, 10},
        {"vuB", 1, 100, 1, 10},
        {"VUsegW", 3, 20, 1, 10},
        {"LightLatency", 10, 50, 5, 20},
        {"StarQty", 1, 255, 1, 100},
        {"Brightness", 1, 255, 1, 100},
        {"LightCenterX", 1, 99, 1, 1},
        {"LightCenterY", 1, 99, 1, 1},
    };
    return ranges;
}

const std::vector<TChoiceList>& ChoiceLists() {
    static const std::vector<TChoiceList> lists = [] {
        const std::vector<std::string> places = {"Top Left", "Top Right", "Bottom Left", "Bottom Right",
                                                 "Top Tile Horizontal"};
        return std::vector<TChoiceList>{
            {"vustyle", {"Normal", "3D - Fade to White", "3D - Fade to Black"}},
            {"SpectrumStyle", {"Normal", "3D - Fade To White ", "3D - Fade To Black "}},
            {"LightSpeed", {"Slower", "Slow", "Normal", "Fast", "Faster", "Fastest"}},
            {"GifAlign1A", places},
            {"GifAlign1B", places},
            {"GifAlign2A", places},
            {"GifAlign2B", places},
            {"TitleScroll", {"Static", "Right to Left", "Left to Right", "Top to Bottom", "Bottom to Top", "Random"}},
            {"ClockAlign", {"At Bottom Left", "At Bottom Right"}},
        };
    }();
    return lists;
}

namespace {

template <typename T>
const T* FindByKey(const std::vector<T>& table, std::string_view key) {
    const auto it = std::find_if(table.begin(), table.end(), [key](const T& entry) { return key == entry.Key; });
    return it == table.end() ? nullptr : &*it;
}

}  // namespace

const TSpinRange* FindSpinRange(std::string_view key) {
    return FindByKey(SpinRanges(), key);
}

const TChoiceList* FindChoiceList(std::string_view key) {
    return FindByKey(ChoiceLists(), key);
}
