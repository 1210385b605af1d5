#pragma once
// The configuration dialog's own rules, as values in and values out.

#include <optional>
#include <string>
#include <string_view>

// Alignment indices of an image: 0 top left, 1 top right, 2 bottom left, 3 bottom right,
// 4 tiled along the top; -1 none.
//
// The two images of a set must not share a position, and a tile along the top must not share
// the set with a top-corner image or a second tile. Given the index just selected for one image
// and its partner's, returns the partner's new index, or nothing when the partner stays.
std::optional<int> PartnerAlignment(int selected, int partner);

// A picture dialog starts where the edit's path points: its folder (up to and including the
// last '\' or drive colon) and the rest as the file name.
struct TPickerStart {
    std::string Directory;
    std::string FileName;
};
TPickerStart SplitPickerPath(std::string_view path);
