#pragma once
// A decoded GIF frame as the two bitmaps the view control composes with: the picture (colour-table
// colours, black where the frame is transparent) and, for transparent frames, the mask (white where
// transparent, black where opaque). Portable: it paints through TCanvas, so the memory backend shows
// exactly what the control will draw.

#include <memory>

#include "controls/GIFReader.h"
#include "framework/Graphics.h"

struct TFrameBitmaps {
    std::unique_ptr<TBitmap> Bitmap;
    std::unique_ptr<TBitmap> Mask;  // only for transparent frames
};

// Bitmaps of the frame's size, made by `compatible`.CreateBitmap. Indexes beyond the frame's colour table
// come out black, as the table's unused entries are.
TFrameBitmaps PaintFrame(const TFrame& frame, const TCanvas& compatible);
