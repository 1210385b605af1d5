#!/usr/bin/env python3
"""Draws the four built-in animations from code and writes them as GIF files.

    python3 resources/make_gifs.py [OUTPUT_DIR]      (default: the folder of this script)

No libraries beyond Python itself: the pictures are drawn into RGB float buffers, quantised to one
fixed 252-colour palette (6 red x 7 green x 6 blue levels) and written with a small LZW encoder, so the
output is the same byte for byte on every machine. Transparent images use index 255 for every pixel
that stays black, and restore to the background after each frame (disposal 2). All loop forever.

    MYGIF1  183 x 200   9 frames x 200 ms  transparent  a rocket climbs over a town and bursts
    MYGIF2  197 x 173  12 frames x 200 ms  transparent  notes float up over a bouncing equaliser
    MYGIF3   40 x  40   7 frames x  80 ms  transparent  a twinkling star
    MYGIF4  104 x  96   4 frames x 200 ms  opaque       a night sky with a moon and a shooting star
"""

import math
import os
import sys

TRANSPARENT = 255
R_LEVELS, G_LEVELS, B_LEVELS = 6, 7, 6


def palette():
    entries = []
    for r in range(R_LEVELS):
        for g in range(G_LEVELS):
            for b in range(B_LEVELS):
                entries.append((round(r * 255 / (R_LEVELS - 1)), round(g * 255 / (G_LEVELS - 1)),
                                round(b * 255 / (B_LEVELS - 1))))
    while len(entries) < 256:
        entries.append((0, 0, 0))
    return entries


BAYER = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


def quantise(c, x, y):
    """The palette entry nearest to c, with ordered dithering so that gradients do not band."""
    bias = (BAYER[y % 4][x % 4] + 0.5) / 16

    def level(v, levels):
        v = min(255.0, max(0.0, v)) * (levels - 1) / 255
        return min(levels - 1, int(v + bias))

    return (level(c[0], R_LEVELS) * G_LEVELS + level(c[1], G_LEVELS)) * B_LEVELS + level(c[2], B_LEVELS)


class Canvas:
    def __init__(self, w, h, fill=(0, 0, 0)):
        self.w, self.h = w, h
        self.px = [list(fill) for _ in range(w * h)]

    def put(self, x, y, c, a=1.0):
        if 0 <= x < self.w and 0 <= y < self.h:
            p = self.px[y * self.w + x]
            for i in range(3):
                p[i] = p[i] * (1 - a) + c[i] * a

    def add(self, x, y, c, k):
        if 0 <= x < self.w and 0 <= y < self.h and k > 0:
            p = self.px[y * self.w + x]
            for i in range(3):
                p[i] += c[i] * k

    def glow(self, cx, cy, radius, c, strength=1.0):
        """A soft round light: full strength at the centre, fading to nothing at the radius."""
        r = max(radius, 0.5)
        for y in range(int(cy - r) - 1, int(cy + r) + 2):
            for x in range(int(cx - r) - 1, int(cx + r) + 2):
                d = math.hypot(x + 0.5 - cx, y + 0.5 - cy) / r
                if d < 1:
                    self.add(x, y, c, strength * (1 - d) ** 2)

    def disc(self, cx, cy, r, c):
        for y in range(int(cy - r) - 1, int(cy + r) + 2):
            for x in range(int(cx - r) - 1, int(cx + r) + 2):
                d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
                if d <= r - 0.5:
                    self.put(x, y, c)
                elif d < r + 0.5:
                    self.put(x, y, c, r + 0.5 - d)

    def ellipse(self, cx, cy, rx, ry, c, tilt=0.0):
        ct, st = math.cos(tilt), math.sin(tilt)
        m = int(max(rx, ry)) + 2
        for y in range(int(cy) - m, int(cy) + m + 1):
            for x in range(int(cx) - m, int(cx) + m + 1):
                dx, dy = x + 0.5 - cx, y + 0.5 - cy
                u, v = dx * ct + dy * st, -dx * st + dy * ct
                if (u / rx) ** 2 + (v / ry) ** 2 <= 1:
                    self.put(x, y, c)

    def rect(self, x0, y0, x1, y1, c):
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                self.put(x, y, c)

    def line(self, x0, y0, x1, y1, c, width=1.0, strength=1.0):
        steps = int(max(abs(x1 - x0), abs(y1 - y0)) * 2) + 1
        for i in range(steps + 1):
            t = i / steps
            self.glow(x0 + (x1 - x0) * t, y0 + (y1 - y0) * t, width, c, strength / max(1.0, width))

    def indices(self, transparent):
        out = []
        for i, p in enumerate(self.px):
            if transparent and max(p) < 14:
                out.append(TRANSPARENT)
            else:
                out.append(quantise(p, i % self.w, i // self.w))
        return out


def hue(h, s=1.0, v=1.0):
    h = (h % 1.0) * 6
    i = int(h)
    f = h - i
    p, q, t = v * (1 - s), v * (1 - s * f), v * (1 - s * (1 - f))
    r, g, b = [(v, t, p), (q, v, p), (p, v, t), (p, q, v), (t, p, v), (v, p, q)][i % 6]
    return (r * 255, g * 255, b * 255)


def scale(c, k):
    return tuple(v * k for v in c)


# ---- the four animations ----

def town_and_rocket(k):
    """MYGIF1: a rocket climbs from the town, bursts in two colours, and its embers fall."""
    w, h = 183, 200
    c = Canvas(w, h)
    # A crescent moon.
    c.glow(150, 28, 22, (60, 60, 40), 0.5)
    c.disc(150, 28, 12, (250, 236, 170))
    c.disc(156, 24, 11, (0, 0, 0))
    # Rocket and burst.
    bx, by = 78, 62
    if k < 3:
        t = (k + 1) / 3
        x, y = 64 + (bx - 64) * t, 160 + (by - 160) * t
        c.line(64 + (bx - 64) * t * 0.4, 160 - (160 - by) * t * 0.4, x, y, (255, 150, 60), 1.5, 0.9)
        c.glow(x, y, 4, (255, 230, 150), 1.4)
    else:
        age = k - 3  # 0..5
        radius = 12 + 34 * (1 - math.exp(-age / 2.0))
        fade = 1.0 if age < 4 else 0.55 if age == 4 else 0.3
        sag = 1.5 * age * age
        for i in range(28):
            a = 2 * math.pi * i / 28
            colour = hue(0.95 + 0.12 * (i % 2), 0.75, 1.0)
            x = bx + math.cos(a) * radius
            y = by + math.sin(a) * radius + sag
            tail = 0.55 * radius
            c.line(bx + math.cos(a) * tail, by + math.sin(a) * tail + sag * 0.6, x, y, scale(colour, 0.5 * fade), 1.0)
            c.glow(x, y, 3.2, colour, 1.6 * fade)
        if age < 2:
            c.glow(bx, by, 14 - 5 * age, (255, 255, 220), 1.2)
    # A second, smaller burst, half a cycle later.
    age2 = (k + 4) % 9 - 3
    if 0 <= age2 <= 5:
        sx, sy = 138, 96
        r2 = 6 + 20 * (1 - math.exp(-age2 / 1.6))
        f2 = 1.0 if age2 < 4 else 0.4
        for i in range(16):
            a = 2 * math.pi * (i + 0.5) / 16
            c.glow(sx + math.cos(a) * r2, sy + math.sin(a) * r2 + age2 * age2, 2.6, hue(0.52, 0.6, 1.0), 1.5 * f2)
    # The town: rooftops against the sky, windows lit and going out.
    houses = [(0, 168, 22), (20, 150, 18), (36, 172, 30), (64, 140, 16), (78, 160, 26), (102, 132, 20),
              (120, 158, 28), (146, 146, 18), (162, 164, 21)]
    for n, (x0, top, width) in enumerate(houses):
        c.rect(x0, top, x0 + width, h, (26, 30, 62))
        c.rect(x0, top, x0 + width, top + 2, (48, 56, 104))
        for wy in range(top + 6, h - 4, 9):
            for wx in range(x0 + 3, x0 + width - 4, 7):
                seed = (wx * 7 + wy * 13 + n) % 11
                if (seed + (k if seed % 3 == 0 else 0)) % 4 != 0:
                    c.rect(wx, wy, wx + 3, wy + 4, (255, 204, 90))
    return c


def rising_notes(k):
    """MYGIF2: notes float up and sway over a bouncing equaliser; the cycle is 12 frames long."""
    w, h = 197, 173
    c = Canvas(w, h)
    # Equaliser at the bottom.
    bars = 14
    for i in range(bars):
        level = 0.5 + 0.45 * math.sin(2 * math.pi * (k / 12 * (1 + i % 3)) + i * 1.7)
        height = int(6 + 34 * level)
        x0 = 8 + i * 13
        for y in range(h - height, h - 2, 3):
            t = (h - y) / 40
            c.rect(x0, y, x0 + 10, y + 2, hue(0.33 - 0.33 * t, 0.85, 1.0))
    # Three notes on their own paths.
    for n in range(3):
        phase = (k / 12 + n / 3) % 1.0
        x = 40 + 58 * n + 14 * math.sin(2 * math.pi * (phase * 1.5 + n * 0.3))
        y = 128 - 116 * phase
        fade = min(1.0, phase * 5, (1 - phase) * 5)
        colour = scale(hue(0.55 + 0.16 * n + 0.1 * phase, 0.7, 1.0), max(0.25, fade))
        c.glow(x, y, 16, scale(colour, 0.35), 0.6)
        c.ellipse(x, y, 6.5, 4.5, colour, -0.45)
        c.rect(int(x + 5), int(y - 24), int(x + 7), int(y), colour)
        if n != 1:
            c.line(x + 6, y - 24, x + 13, y - 15, colour, 1.3, 1.6)
        else:  # a pair of beamed quavers
            c.ellipse(x + 16, y + 3, 6.5, 4.5, colour, -0.45)
            c.rect(int(x + 21), int(y - 21), int(x + 23), int(y + 3), colour)
            c.rect(int(x + 5), int(y - 24), int(x + 23), int(y - 20), colour)
    # A few sparkles in the air.
    for s in range(6):
        sx = (31 * s + 17 * k) % w
        sy = (53 * s + 7) % 100 + 4
        c.glow(sx, sy, 2.5 + (s + k) % 3, (220, 230, 255), 1.2)
    return c


def twinkling_star(k):
    """MYGIF3: a four-pointed star whose rays grow and shrink over 7 frames."""
    c = Canvas(40, 40)
    lengths = [7, 11, 15, 18, 15, 11, 8]
    long_ray, short_ray = lengths[k], lengths[k] * 0.45
    colour = (200, 220, 255)
    for a in range(4):
        ang = math.pi / 2 * a
        c.line(20, 20, 20 + math.cos(ang) * long_ray, 20 + math.sin(ang) * long_ray, colour, 1.4, 1.3)
        ang2 = ang + math.pi / 4
        c.line(20, 20, 20 + math.cos(ang2) * short_ray, 20 + math.sin(ang2) * short_ray, colour, 1.0, 0.9)
    c.glow(20, 20, 5 + lengths[k] * 0.25, (255, 255, 255), 1.8)
    return c


def night_window(k):
    """MYGIF4: an opaque patch of night sky with a moon, stars and a shooting star."""
    w, h = 104, 96
    c = Canvas(w, h)
    for y in range(h):
        t = y / (h - 1)
        c.rect(0, y, w, y + 1, (18 + 40 * t, 12 + 10 * t, 60 + 40 * t))
    for s in range(22):
        x, y = (37 * s + 11) % w, (23 * s * s + 5) % (h - 20)
        bright = 0.6 + 0.4 * math.sin(s * 1.3 + k * 1.9)
        c.glow(x, y, 1.8, scale((255, 255, 230), bright), 1.2)
    c.glow(76, 24, 18, (90, 80, 50), 0.5)
    c.disc(76, 24, 10, (250, 240, 190))
    c.disc(71, 21, 2, (220, 208, 160))
    c.disc(79, 29, 1.5, (220, 208, 160))
    # The shooting star crosses the sky in the four frames.
    x = 8 + 24 * k
    y = 10 + 9 * k
    c.line(x - 18, y - 7, x, y, (140, 170, 255), 1.2, 0.8)
    c.glow(x, y, 3.5, (255, 255, 255), 1.6)
    # Hills.
    for x in range(w):
        top = int(h - 14 - 6 * math.sin(x / 13.0) - 3 * math.sin(x / 5.0))
        c.rect(x, top, x + 1, h, (10, 24, 20))
    return c


IMAGES = [
    ("MYGIF1", 183, 200, 9, 20, True, town_and_rocket),
    ("MYGIF2", 197, 173, 12, 20, True, rising_notes),
    ("MYGIF3", 40, 40, 7, 8, True, twinkling_star),
    ("MYGIF4", 104, 96, 4, 20, False, night_window),
]


# ---- GIF writing ----

def lzw(indices, min_code_size=8):
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1
    out, acc, nbits = bytearray(), 0, 0
    code_size = min_code_size + 1

    def emit(code):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += code_size
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8

    table = {}
    next_code = end + 1
    emit(clear)
    prefix = None
    for v in indices:
        key = (prefix, v)
        if prefix is not None and key in table:
            prefix = table[key]
            continue
        if prefix is not None:
            emit(prefix)
            if next_code < 4096:
                table[key] = next_code
                next_code += 1
                if next_code > (1 << code_size) and code_size < 12:
                    code_size += 1
            else:
                emit(clear)
                table.clear()
                next_code = end + 1
                code_size = min_code_size + 1
        prefix = v
    if prefix is not None:
        emit(prefix)
        # The decoder adds an entry after this code too, and may widen the end code with it.
        if next_code < 4096:
            next_code += 1
            if next_code > (1 << code_size) and code_size < 12:
                code_size += 1
    emit(end)
    if nbits:
        out.append(acc & 0xFF)
    blocks = bytearray()
    for i in range(0, len(out), 255):
        chunk = out[i:i + 255]
        blocks.append(len(chunk))
        blocks += chunk
    blocks.append(0)
    return bytes(blocks)


def le16(v):
    return bytes((v & 0xFF, v >> 8))


def write_gif(path, w, h, frames, delay_cs, transparent):
    data = bytearray(b"GIF89a" + le16(w) + le16(h) + bytes((0xF7, 0, 0)))
    for r, g, b in palette():
        data += bytes((r, g, b))
    data += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01" + le16(0) + b"\x00"
    for indices in frames:
        disposal = 2 if transparent else 1
        packed = (disposal << 2) | (1 if transparent else 0)
        data += b"\x21\xF9\x04" + bytes((packed,)) + le16(delay_cs) + bytes((TRANSPARENT if transparent else 0, 0))
        data += b"\x2C" + le16(0) + le16(0) + le16(w) + le16(h) + b"\x00"
        data += b"\x08" + lzw(indices)
    data += b"\x3B"
    with open(path, "wb") as f:
        f.write(data)


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for name, w, h, count, delay_cs, transparent, draw in IMAGES:
        frames = []
        for k in range(count):
            canvas = draw(k)
            assert (canvas.w, canvas.h) == (w, h), name
            frames.append(canvas.indices(transparent))
        write_gif(os.path.join(out_dir, name + ".gif"), w, h, frames, delay_cs, transparent)
        print("%s.gif: %d x %d, %d frames of %d ms" % (name, w, h, count, delay_cs * 10))


if __name__ == "__main__":
    main()
