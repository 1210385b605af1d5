#pragma once
// A decoded GIF frame as the bitmaps the view control composes with: the picture (colour-table
// colours, black where the frame is transparent), for transparent frames the mask (white where
// transparent, black where opaque), and for frames that restore what was under them the two surfaces
// that keep it. A TGifDevice makes them: the memory backend in tests, device bitmaps in the plug-in.

#include <cstdint>
#include <memory>

#include "controls/GIFReader.h"
#include "framework/Graphics.h"

struct TFrameBitmaps {
    std::unique_ptr<TBitmap> Bitmap;
    std::unique_ptr<TBitmap> Mask;        // only for transparent frames
    std::unique_ptr<TBitmap> SavedImage;  // only for frames that restore the previous picture
    std::unique_ptr<TBitmap> SavedMask;   // likewise, while the image has transparency
};

// Bitmaps of the frame's size, made by `compatible`.CreateBitmap, pixel by pixel: the reference the
// device backends are checked against. Indexes beyond the frame's colour table come out black, as the
// table's unused entries are.
TFrameBitmaps PaintFrame(const TFrame& frame, const TCanvas& compatible);

// Where the view control's bitmaps come from. Colour and monochrome surfaces start black; a monochrome
// surface holds only black (0) and white (1), and copied onto a colour one gives exactly those colours.
// A bitmap that cannot be made throws (std::bad_alloc or EGifDevice): the loader then clears the control.
class TGifDevice {
public:
    virtual ~TGifDevice() = default;
    virtual std::unique_ptr<TBitmap> CreateColor(int width, int height) = 0;
    virtual std::unique_ptr<TBitmap> CreateMono(int width, int height) = 0;
    // The frame's picture and, when transparent, its mask, made in bulk from the frame's indices.
    virtual TFrameBitmaps CreateFrame(const TFrame& frame) = 0;
};

struct EGifDevice {};

// The memory backend: exact pixels for native tests.
class TMemoryGifDevice : public TGifDevice {
public:
    std::unique_ptr<TBitmap> CreateColor(int width, int height) override;
    std::unique_ptr<TBitmap> CreateMono(int width, int height) override;
    TFrameBitmaps CreateFrame(const TFrame& frame) override;
};

// Whether a frame's picture can be an 8-bit bitmap whose transparent index is black: its transparent pixels
// must be exactly those that store that index. Two kinds of frame break this and take 32 bits: one cut short
// (its pixels never decoded are index 0 and opaque), and one with codes of 256 or more, whose stored low byte
// may equal the transparent index while the code does not. Needs the frame's index and mask buffers.
bool EightBitPicture(const TFrame& frame);

// What loading an image costs at its peak, in bytes, once the reader has parsed it: the reader's index and mask
// buffers, which the control frees frame by frame as it turns them into bitmaps, the frames' bitmaps (4 bytes a
// colour pixel, 1 for an 8-bit frame picture, 1 bit a monochrome one), the surfaces of restoring frames, and the
// control's surfaces at the image's size: the composed picture and its mask, the background and, when frame 1
// is transparent, the private copy it is painted on.
std::uint64_t LoadPeakBytes(const TGifStream& stream);
