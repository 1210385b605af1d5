#pragma once
// Sprite animations for the GIF benchmarks, written with the tests' own GIF writer: small frames that are
// transparent (index 0) around a moving sprite, each with its own graphic control extension (restore to
// background, or every disposal in turn), as animation tools write them; the sprite can wander over a larger
// logical screen. Deterministic: the same arguments give the same bytes on
// every machine.
//   ball     a shaded ball (flat rings of colour around a highlight, and an outline), as pixel art is drawn
//   stripes  a disc of diagonal stripes three pixels wide: busier, so its LZW strings are shorter

#include <algorithm>
#include <cmath>

#include "tests/unit/gif_test_support.h"

enum class TSpriteLook { Ball, Stripes };

struct TSpriteOptions {
    bool localPalettes = false;  // every frame with its own 16-colour table
    bool interlaced = false;
    bool firstOpaque = false;  // the first frame without transparency, as a background
    int screenWidth = 0;       // a larger logical screen that the frames wander over; 0: the frames' size
    int screenHeight = 0;
    bool mixedDisposal = false;  // disposals none, keep, restore to background, restore to previous in turn
};

inline giftest::Bytes MakeSpriteAnimation(int width,
                                          int height,
                                          int frames,
                                          TSpriteLook look,
                                          const TSpriteOptions& options = {}) {
    const int screenWidth = std::max(width, options.screenWidth);
    const int screenHeight = std::max(height, options.screenHeight);
    giftest::GifBuilder b(screenWidth, screenHeight, 4);
    b.Loop(0);
    for (int i = 0; i < frames; ++i) {
        giftest::Picture p;
        p.width = width;
        p.height = height;
        p.pixels.assign(static_cast<std::size_t>(width) * height, 0);
        const double t = 6.2831853 * i / frames;
        const double cx = width / 2.0 + width / 5.0 * std::cos(t);
        const double cy = height / 2.0 + height / 5.0 * std::sin(2 * t);
        const double r = std::min(width, height) * (0.25 + 0.05 * std::sin(3 * t));
        const bool opaque = options.firstOpaque && i == 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
                std::uint8_t v = 0;
                if (d >= r) {
                    v = opaque ? static_cast<std::uint8_t>(1 + (y * 6 / height)) : 0;
                } else if (d >= r - 1.5) {
                    v = 15;
                } else if (look == TSpriteLook::Stripes) {
                    v = static_cast<std::uint8_t>(1 + ((x + y + i) / 3) % 12);
                } else {
                    const double h = std::hypot(x + 0.5 - (cx - r / 3), y + 0.5 - (cy - r / 3));
                    v = static_cast<std::uint8_t>(1 + std::min(5, static_cast<int>(4 * h / r)));
                }
                p.pixels[static_cast<std::size_t>(y) * width + x] = v;
            }
        }
        giftest::ImageOptions o;
        o.localBits = options.localPalettes ? 4 : 0;
        o.interlaced = options.interlaced;
        o.lzw.codeSize = options.localPalettes ? 4 : 8;
        // A path round the screen that reaches its edges.
        o.left = static_cast<int>((screenWidth - width) * (0.5 + 0.5 * std::sin(t)));
        o.top = static_cast<int>((screenHeight - height) * (0.5 + 0.5 * std::sin(3 * t + 1)));
        b.Control(options.mixedDisposal ? i % 4 : 2, 4, opaque ? -1 : 0).Image(p, o);
    }
    return b.Trailer().bytes;
}
