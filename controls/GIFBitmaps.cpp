#include "controls/GIFBitmaps.h"

TFrameBitmaps PaintFrame(const TFrame& frame, const TCanvas& compatible) {
    TFrameBitmaps out;
    out.Bitmap = compatible.CreateBitmap(frame.Width, frame.Height);
    if (frame.Transparent) {
        out.Mask = compatible.CreateBitmap(frame.Width, frame.Height);
    }
    TCanvas& picture = out.Bitmap->Canvas();
    for (int y = 0; y < frame.Height; ++y) {
        for (int x = 0; x < frame.Width; ++x) {
            if (frame.IsTransparentAt(x, y)) {
                // The picture is black under the mask, so that AND with the mask and then XOR with the picture
                // leaves what lay beneath.
                picture.SetPixel(x, y, clBlack);
                out.Mask->Canvas().SetPixel(x, y, clWhite);
                continue;
            }
            const std::size_t i = std::size_t{frame.PixelAt(x, y)} * 3;
            picture.SetPixel(x, y, RGBColor(frame.Colors[i], frame.Colors[i + 1], frame.Colors[i + 2]));
            if (out.Mask) {
                out.Mask->Canvas().SetPixel(x, y, clBlack);
            }
        }
    }
    return out;
}
