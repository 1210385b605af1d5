#pragma once
// A host for the GIF view on the memory canvas, and the view's pictures as letters: palette entry i of
// the test GIFs is (i, 2i, 255 - i), drawn as its digit; 'B' is black, 'W' white, 's' the surface colour.

#include <map>
#include <string>
#include <vector>

#include "controls/GIFImage.h"
#include "framework/MemoryCanvas.h"
#include "tests/unit/gif_test_support.h"

namespace giftest {

constexpr TColor SurfaceColour = RGBColor(10, 200, 30);

class MemoryHost : public TGifHost {
public:
    MemoryHost(int width = 64, int height = 32) : Canvas(width, height) {
        Canvas.Brush.Color = SurfaceColour;
        Canvas.FillRect({0, 0, width, height});
        Clip = {0, 0, width, height};
    }
    TCanvas* Surface() override { return &Canvas; }
    TRect ClipRect() override { return Clip; }
    void Invalidate(const TRect& r) override { Invalidated.push_back(r); }
    void SetTimer(bool enabled, int intervalMs) override {
        TimerEnabled = enabled;
        Interval = intervalMs;
    }
    TGifDevice& Device() override { return Bitmaps; }
    bool ReadResource(TModuleHandle, const std::string& name, std::vector<std::uint8_t>& bytes) override {
        const auto it = Resources.find(name);
        if (it == Resources.end()) {
            return false;
        }
        bytes = it->second;
        return true;
    }

    TMemoryCanvas Canvas;
    TRect Clip;
    std::vector<TRect> Invalidated;
    bool TimerEnabled = false;
    int Interval = 0;
    TMemoryGifDevice Bitmaps;
    std::map<std::string, Bytes> Resources;
};

inline char Letter(TColor c) {
    if (c == clBlack) {
        return 'B';
    }
    if (c == clWhite) {
        return 'W';
    }
    if (c == SurfaceColour) {
        return 's';
    }
    const int i = RedOf(c);
    return c == RGBColor(i, 2 * i, 255 - i) && i < 10 ? static_cast<char>('0' + i) : '?';
}

inline std::vector<std::string> Letters(const TCanvas& canvas, const TRect& r) {
    std::vector<std::string> rows;
    for (int y = r.Top; y < r.Bottom; ++y) {
        std::string row;
        for (int x = r.Left; x < r.Right; ++x) {
            row += Letter(canvas.GetPixel(x, y));
        }
        rows.push_back(row);
    }
    return rows;
}

inline std::vector<std::string> Letters(const TBitmap* b) {
    return b == nullptr ? std::vector<std::string>{} : Letters(b->Canvas(), {0, 0, b->Width(), b->Height()});
}

}  // namespace giftest
