#pragma once
// A decoded GIF frame as the bitmaps the view control composes with: the picture (colour-table colours,
// black where the frame is transparent) and, for transparent frames, the mask (white where transparent,
// black where opaque). A TGifDevice makes them: the memory backend in tests, device bitmaps in the plug-in.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "controls/GIFReader.h"
#include "framework/Graphics.h"

struct TFrameBitmaps {
    std::unique_ptr<TBitmap> Bitmap;
    std::unique_ptr<TBitmap> Mask;  // only for transparent frames
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
    // The frame's picture and, when transparent, its mask, made in bulk from the frame's indices: 8 bits a pixel
    // where the frame allows it (EightBitPicture), else 32.
    TFrameBitmaps CreateFrame(const TFrame& frame);
    // The same for a frame whose EightBitPicture is known already (as FrameCost found it), so that a load checks
    // each frame's pixels once.
    TFrameBitmaps CreateFrame(const TFrame& frame, bool eightBit);

    // Pixels as a device-independent picture stores them: blue in bits 0 to 7, green, red, then 0.
    using TDibColor = std::uint32_t;

protected:
    // A picture of 8 bits a pixel: top-down rows of `stride` bytes of indexes into `colours` (256 entries).
    virtual std::unique_ptr<TBitmap> CreateIndexedPicture(int width,
                                                          int height,
                                                          const std::uint8_t* rows,
                                                          int stride,
                                                          const TDibColor* colours) = 0;
    // A picture of 32 bits a pixel, whose top-down rows of `width` pixels `write` fills in place.
    virtual std::unique_ptr<TBitmap> CreateTruePicture(int width,
                                                       int height,
                                                       const std::function<void(TDibColor* pixels)>& write) = 0;
    // A monochrome bitmap from top-down rows of `stride` bytes, leftmost pixel in bit 7, 1 white.
    virtual std::unique_ptr<TBitmap> CreateMaskFrom(int width, int height, const std::uint8_t* rows, int stride) = 0;
};

struct EGifDevice {};

// The memory backend: exact pixels for native tests.
class TMemoryGifDevice : public TGifDevice {
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

// Whether a frame's picture can be an 8-bit bitmap whose transparent index is black: its transparent pixels
// must be exactly those that store that index. Two kinds of frame break this and take 32 bits: one cut short
// (its pixels never decoded are index 0 and opaque), and one with codes of 256 or more, whose stored low byte
// may equal the transparent index while the code does not. Needs the frame's index and mask buffers.
bool EightBitPicture(const TFrame& frame);

// What a frame costs the view, in bytes (4 a colour pixel, 1 an 8-bit frame pixel, 1 bit a monochrome one).
struct TFrameCost {
    std::uint64_t Buffers = 0;   // the reader's index and mask buffers, while it holds them
    std::uint64_t Bitmaps = 0;   // its picture and mask, made at load (0 for a frame decoded as it is shown)
    std::uint64_t OnDemand = 0;  // decoding it, at load or as it is shown: the buffers, the decoder's copy of its
                                 // data and its output, and bitmaps of 32 bits, all at once
    bool Held = true;            // decoded at load, not as it is shown
    bool EightBit = false;       // a held frame's picture is 8 bits a pixel (EightBitPicture)
};

// The cost of a frame as the stream holds it now: Held unless the frame is Deferred. Needs a held frame's
// buffers (its bitmaps' size depends on them).
TFrameCost FrameCost(const TFrame& frame);
std::vector<TFrameCost> FrameCosts(const TGifStream& stream);

// What an image costs at its peak, from the parse on, with the frames held or decoded as shown as `costs` say.
// While it loads: the file's bytes, the reader's buffers that are still held, the bitmaps made so far and one
// frame being decoded. Once shown: the bitmaps of the held frames, the control's surfaces at the image's size (the
// composed picture and its mask, the background and, when frame 1 is transparent, the private copy it is painted
// on), the one saved picture of a frame that restores what was under it and, when some frame is decoded as it is
// shown, one such frame and the file's bytes it is decoded from.
std::uint64_t PeakBytes(const TGifStream& stream, const std::vector<TFrameCost>& costs, std::uint64_t fileBytes);

inline std::uint64_t LoadPeakBytes(const TGifStream& stream, std::uint64_t fileBytes = 0) {
    return PeakBytes(stream, FrameCosts(stream), fileBytes);
}
