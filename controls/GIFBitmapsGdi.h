#pragma once
// The device-bitmap side of the GIF view: frames become device bitmaps straight from the reader's index and
// mask buffers (a DIB section of 8 or 32 bits per picture, one CreateBitmap per mask), and the
// control's surfaces are screen-compatible colour bitmaps or monochrome ones. Every bitmap and memory DC
// has its owner from the moment it exists.

#include <windows.h>

#include <memory>

#include "controls/GIFBitmaps.h"

class TGdiGifDevice : public TGifDevice {
public:
    std::unique_ptr<TBitmap> CreateColor(int width, int height) override;
    std::unique_ptr<TBitmap> CreateMono(int width, int height) override;

protected:
    std::unique_ptr<TBitmap> CreateIndexedPicture(int width,
                                                  int height,
                                                  const std::uint8_t* rows,
                                                  int stride,
                                                  const TDibColor* colours) override;
    std::unique_ptr<TBitmap> CreateTruePicture(int width,
                                               int height,
                                               const std::function<void(TDibColor* pixels)>& write) override;
    std::unique_ptr<TBitmap> CreateMaskFrom(int width, int height, const std::uint8_t* rows, int stride) override;
};
