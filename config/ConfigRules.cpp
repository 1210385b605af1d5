#include "config/ConfigRules.h"

std::optional<int> PartnerAlignment(int selected, int partner) {
    constexpr int TopLeft = 0;
    constexpr int TopRight = 1;
    constexpr int BottomLeft = 2;
    constexpr int TopTile = 4;
    // A partner with nothing selected is left alone whatever was chosen.
    if (partner < 0) {
        return std::nullopt;
    }
    if (selected == TopTile && (partner == TopLeft || partner == TopRight || partner == TopTile)) {
        return BottomLeft;
    }
    if ((selected == TopLeft || selected == TopRight) && partner == TopTile) {
        return BottomLeft;
    }
    if (selected == partner) {
        return partner + 1;
    }
    return std::nullopt;
}

TPickerStart SplitPickerPath(std::string_view path) {
    const auto split = path.find_last_of("\\:");
    if (split == std::string_view::npos) {
        return {std::string(), std::string(path)};
    }
    return {std::string(path.substr(0, split + 1)), std::string(path.substr(split + 1))};
}
