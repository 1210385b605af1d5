#!/usr/bin/env python3
"""Writes a large animation for the whole-run tests, so that no large file is kept in the repository.

    python3 tests/run/big_gif.py WIDTH HEIGHT FRAMES OUTPUT [restore]

The frames cycle through five pictures of horizontal colour bands (16 colours), each moved down one band from the
last, 4 hundredths of a second apart, looping forever. Bands compress well, so a 1920 x 1080 animation of 200 frames
is a small file that holds 400 MB of pixels. With "restore", each frame has a transparent hole (index 0) that
moves from picture to picture and restores the previous picture when it goes (disposal 3).
"""

import sys

PICTURES = 5  # a prime, so that shots a few frames apart rarely show the same one


def lzw(pixels, min_code_size=4):
    """The LZW codes of the pixels, packed least significant bit first, without sub-blocks."""
    clear = 1 << min_code_size
    end = clear + 1
    out = bytearray()
    acc = 0
    nbits = 0

    def put(code, length):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += length
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8

    length = min_code_size + 1
    table = {}
    next_code = end + 1
    put(clear, length)
    w = pixels[0]
    for p in pixels[1:]:
        key = (w, p)
        code = table.get(key)
        if code is not None:
            w = code
            continue
        put(w, length)
        if next_code < 4096:
            table[key] = next_code
            next_code += 1
            # The decoder defines its entry one code later, so its width grows when this one passes 2^length.
            if next_code > (1 << length) and length < 12:
                length += 1
        else:
            put(clear, length)
            table = {}
            next_code = end + 1
            length = min_code_size + 1
        w = p
    put(w, length)
    put(end, length)
    if nbits:
        out.append(acc & 0xFF)
    return bytes(out)


def sub_blocks(data):
    out = bytearray()
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        out.append(len(chunk))
        out += chunk
    out.append(0)
    return bytes(out)


def main():
    width, height, frames, path = int(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
    restore = len(sys.argv) > 5 and sys.argv[5] == "restore"
    band = max(1, height // 12)
    palette = bytearray()
    for i in range(16):
        palette += bytes(((i * 53) % 256, (i * 97 + 40) % 256, (255 - i * 15) % 256))
    pictures = []
    for k in range(PICTURES):
        pixels = bytearray()
        hole = (k * width // 5, width // 8, height // 4, height // 2)
        for y in range(height):
            row = bytearray((1 + (y // band + k) % 15,)) * width
            if restore and hole[2] <= y < hole[3]:
                row[hole[0]:hole[0] + hole[1]] = bytes(hole[1])
            pixels += row
        pictures.append(sub_blocks(lzw(pixels)))
    gif = bytearray(b"GIF89a")
    gif += width.to_bytes(2, "little") + height.to_bytes(2, "little") + bytes((0xF3, 0, 0)) + palette
    gif += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"
    for i in range(frames):
        # Leave in place, or restore the previous picture with index 0 transparent; 40 ms.
        gif += b"\x21\xF9\x04\x0D\x04\x00\x00\x00" if restore else b"\x21\xF9\x04\x04\x04\x00\x00\x00"
        gif += b"\x2C\x00\x00\x00\x00" + width.to_bytes(2, "little") + height.to_bytes(2, "little") + b"\x00\x04"
        gif += pictures[i % PICTURES]
    gif += b"\x3B"
    with open(path, "wb") as f:
        f.write(gif)


if __name__ == "__main__":
    main()
