#pragma once
// Comparing what two canvases, or a window and a canvas, show: pixel by pixel, reporting the first
// pixel that differs.

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "framework/Graphics.h"

// The canvas's pixels in the top-left width x height, row by row.
inline std::vector<TColor> CanvasPixels(const TCanvas& canvas, int width, int height) {
    GdiFlush();  // what GDI still has queued for a section's bits
    std::vector<TColor> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels.push_back(canvas.GetPixel(x, y));
        }
    }
    return pixels;
}

// The first difference between two pictures of rows width pixels wide, as "have X, want Y at x,y",
// or "" when there is none.
inline std::string FirstDifference(const std::vector<TColor>& have, const std::vector<TColor>& want, int width) {
    for (std::size_t i = 0; i < have.size() && i < want.size(); ++i) {
        if (have[i] != want[i]) {
            char text[96];
            std::snprintf(text, sizeof(text), "have %06X, want %06X at %d,%d", have[i], want[i],
                          static_cast<int>(i % width), static_cast<int>(i / width));
            return text;
        }
    }
    return have.size() == want.size() ? "" : "sizes differ";
}
