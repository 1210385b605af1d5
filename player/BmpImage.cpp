#include "player/BmpImage.h"

#include <cstring>

namespace player {
namespace {

void Put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
    out[at] = static_cast<std::uint8_t>(value);
    out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
    Put16(out, at, value & 0xFFFF);
    Put16(out, at + 2, value >> 16);
}

}  // namespace

std::vector<std::uint8_t> EncodeBmp24(int width, int height, const std::uint8_t* rows, std::size_t stride) {
    if (width <= 0 || height <= 0) {
        return {};
    }
    constexpr std::size_t HeaderSize = 14 + 40;
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * 3 + 3) & ~static_cast<std::size_t>(3);
    const std::size_t imageBytes = rowBytes * height;
    std::vector<std::uint8_t> out(HeaderSize + imageBytes, 0);
    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 2, static_cast<std::uint32_t>(out.size()));
    Put32(out, 10, HeaderSize);
    Put32(out, 14, 40);
    Put32(out, 18, static_cast<std::uint32_t>(width));
    Put32(out, 22, static_cast<std::uint32_t>(height));  // positive: bottom-up
    Put16(out, 26, 1);                                   // planes
    Put16(out, 28, 24);                                  // bits per pixel
    Put32(out, 34, static_cast<std::uint32_t>(imageBytes));
    Put32(out, 38, 2835);  // 72 dpi
    Put32(out, 42, 2835);
    for (int y = 0; y < height; ++y) {
        std::memcpy(out.data() + HeaderSize + y * rowBytes, rows + y * stride, static_cast<std::size_t>(width) * 3);
    }
    return out;
}

}  // namespace player
