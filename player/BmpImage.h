#pragma once
// Writing 24-bit BMP files, the screenshots of the test player.

#include <cstdint>
#include <vector>

namespace player {

// rows: height rows of width blue-green-red triples, bottom row first, each row starting
// `stride` bytes after the previous one (as a bottom-up 24-bit DIB section lays them out).
std::vector<std::uint8_t> EncodeBmp24(int width, int height, const std::uint8_t* rows, std::size_t stride);

}  // namespace player
