#pragma once
// Sprite animations for the GIF benchmark, written with the tests' own GIF writer: many small frames, every
// one transparent (index 0) around a moving, striped, outlined disc, as pixel-art animations are drawn. Each
// frame has its own graphic control extension, as animation tools write them. Deterministic: the same
// arguments give the same bytes on every machine.

#include <cmath>

#include "tests/unit/gif_test_support.h"

inline giftest::Bytes MakeSpriteAnimation(int width, int height, int frames) {
    giftest::GifBuilder b(width, height, 4);
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
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
                std::uint8_t v = 0;
                if (d < r - 1.5) {
                    v = static_cast<std::uint8_t>(1 + ((x + y + i) / 3) % 12);
                } else if (d < r) {
                    v = 15;
                }
                p.pixels[static_cast<std::size_t>(y) * width + x] = v;
            }
        }
        b.Control(2, 4, 0).Image(p);
    }
    return b.Trailer().bytes;
}
