#pragma once
// Screenshots: the whole desktop (every monitor, from its top-left corner) as the X server shows it,
// saved as a 24-bit BMP.

#include <string>

namespace player {

bool CaptureScreen(const std::string& path);

}  // namespace player
