#pragma once
// The device-bitmap side of the GIF view: frames become device bitmaps once, at load, straight from the
// reader's index and mask buffers (a 32-bit DIB section per picture, one CreateBitmap per mask), and the
// control's surfaces are screen-compatible colour bitmaps or monochrome ones. Every bitmap and memory DC
// has its owner from the moment it exists.

#include <windows.h>

#include <memory>

#include "controls/GIFBitmaps.h"

class TGdiGifDevice : public TGifDevice {
public:
    std::unique_ptr<TBitmap> CreateColor(int width, int height) override;
    std::unique_ptr<TBitmap> CreateMono(int width, int height) override;
    TFrameBitmaps CreateFrame(const TFrame& frame) override;
};
