#pragma once
// A tiny GIF writer for the reader's tests: pictures are written as ASCII ('.' is index 0, '1'..'9' are
// 1..9, 'a'..'z' are 10..35), encoded with a plain LZW encoder whose quirks (no clear code, no end code,
// sub-block size, code size) a test can choose.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace giftest {

using Bytes = std::vector<std::uint8_t>;

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // row by row, no padding
};

inline std::uint8_t IndexOf(char c) {
    if (c >= '1' && c <= '9') {
        return static_cast<std::uint8_t>(c - '0');
    }
    if (c >= 'a' && c <= 'z') {
        return static_cast<std::uint8_t>(c - 'a' + 10);
    }
    return 0;
}

inline Picture Ascii(std::initializer_list<const char*> rows) {
    Picture p;
    for (const char* r : rows) {
        const std::string row(r);
        p.width = static_cast<int>(row.size());
        for (char c : row) {
            p.pixels.push_back(IndexOf(c));
        }
        ++p.height;
    }
    return p;
}

// The picture as the reader's frame holds it, in ASCII (for "have X, want Y" messages).
template <typename Frame>
std::vector<std::string> AsciiOf(const Frame& f) {
    static const char digits[] = ".123456789abcdefghijklmnopqrstuvwxyz";
    std::vector<std::string> rows;
    for (int y = 0; y < f.Height; ++y) {
        std::string row;
        for (int x = 0; x < f.Width; ++x) {
            const int v = f.PixelAt(x, y);
            row += v < 36 ? digits[v] : '#';
        }
        rows.push_back(row);
    }
    return rows;
}

inline std::vector<std::string> AsciiOf(const Picture& p) {
    static const char digits[] = ".123456789abcdefghijklmnopqrstuvwxyz";
    std::vector<std::string> rows;
    for (int y = 0; y < p.height; ++y) {
        std::string row;
        for (int x = 0; x < p.width; ++x) {
            const int v = p.pixels[static_cast<std::size_t>(y) * p.width + x];
            row += v < 36 ? digits[v] : '#';
        }
        rows.push_back(row);
    }
    return rows;
}

struct LzwOptions {
    int codeSize = 8;
    bool initialClear = true;
    bool endCode = true;
    int blockSize = 255;
};

class BitWriter {
public:
    void Put(unsigned code, int len) {
        acc_ |= static_cast<std::uint64_t>(code) << bits_;
        bits_ += len;
        while (bits_ >= 8) {
            out.push_back(static_cast<std::uint8_t>(acc_));
            acc_ >>= 8;
            bits_ -= 8;
        }
    }
    void Flush() {
        if (bits_ > 0) {
            out.push_back(static_cast<std::uint8_t>(acc_));
        }
        acc_ = 0;
        bits_ = 0;
    }
    Bytes out;

private:
    std::uint64_t acc_ = 0;
    int bits_ = 0;
};

// Raw LZW codes (no sub-blocks) for the given pixel values, in the order given.
inline Bytes LzwCodes(const std::vector<std::uint8_t>& pixels, const LzwOptions& o) {
    const unsigned clear = 1u << o.codeSize;
    const unsigned end = clear + 1;
    BitWriter bw;
    int codeLen = o.codeSize + 1;
    // (prefix code << 8 | next byte) -> code, 0 for none: a flat table, so that full-HD pictures encode quickly.
    std::vector<std::uint16_t> dict(std::size_t{1} << 20);
    std::vector<std::uint32_t> used;
    unsigned encNext = end + 1;
    unsigned decNext = end + 1;
    int emitted = 0;
    auto emit = [&](unsigned code) {
        bw.Put(code, codeLen);
        if (++emitted >= 2 && decNext < 4096) {
            ++decNext;
            if (decNext >= (1u << codeLen) && codeLen < 12) {
                ++codeLen;
            }
        }
    };
    auto emitClear = [&] {
        bw.Put(clear, codeLen);
        codeLen = o.codeSize + 1;
        for (const std::uint32_t key : used) {
            dict[key] = 0;
        }
        used.clear();
        encNext = decNext = end + 1;
        emitted = 0;
    };
    if (o.initialClear) {
        emitClear();
    }
    if (!pixels.empty()) {
        unsigned w = pixels[0];
        for (std::size_t i = 1; i < pixels.size(); ++i) {
            const std::uint32_t key = (w << 8) | pixels[i];
            if (dict[key] != 0) {
                w = dict[key];
                continue;
            }
            emit(w);
            if (encNext < 4096) {
                dict[key] = static_cast<std::uint16_t>(encNext++);
                used.push_back(key);
            } else if (o.codeSize < 12) {
                emitClear();
            }
            w = pixels[i];
        }
        emit(w);
    }
    if (o.endCode) {
        bw.Put(end, codeLen);
    }
    bw.Flush();
    return bw.out;
}

// Splits bytes into data sub-blocks and adds the terminator.
inline Bytes SubBlocks(const Bytes& data, int blockSize = 255) {
    Bytes out;
    for (std::size_t i = 0; i < data.size(); i += static_cast<std::size_t>(blockSize)) {
        const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(blockSize), data.size() - i);
        out.push_back(static_cast<std::uint8_t>(n));
        out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(i),
                   data.begin() + static_cast<std::ptrdiff_t>(i + n));
    }
    out.push_back(0);
    return out;
}

// Pixels in the order an interlaced image stores its rows.
inline std::vector<std::uint8_t> InterlaceOrder(const Picture& p) {
    std::vector<std::uint8_t> out;
    const int starts[] = {0, 4, 2, 1};
    const int steps[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        for (int y = starts[pass]; y < p.height; y += steps[pass]) {
            out.insert(out.end(), p.pixels.begin() + static_cast<std::ptrdiff_t>(y) * p.width,
                       p.pixels.begin() + static_cast<std::ptrdiff_t>(y + 1) * p.width);
        }
    }
    return out;
}

struct ImageOptions {
    int left = 0;
    int top = 0;
    int localBits = 0;  // 0: no local colour table
    bool interlaced = false;
    LzwOptions lzw;
};

class GifBuilder {
public:
    // globalBits 0 means no global colour table.
    explicit GifBuilder(int width, int height, int globalBits = 2, const char* signature = "GIF89a") {
        for (int i = 0; i < 6; ++i) {
            bytes.push_back(static_cast<std::uint8_t>(signature[i]));
        }
        Le16(width);
        Le16(height);
        bytes.push_back(static_cast<std::uint8_t>(globalBits > 0 ? 0x80 | (globalBits - 1) : 0));
        bytes.push_back(0);
        bytes.push_back(0);
        if (globalBits > 0) {
            Palette(globalBits, 0);
        }
    }

    GifBuilder& Control(int disposalField, int delay, int transparentIndex = -1) {
        const int packed = ((disposalField & 7) << 2) | (transparentIndex >= 0 ? 1 : 0);
        Raw({0x21, 0xF9, 4, static_cast<std::uint8_t>(packed)});
        Le16(delay);
        Raw({static_cast<std::uint8_t>(transparentIndex >= 0 ? transparentIndex : 0), 0});
        return *this;
    }

    GifBuilder& Comment(const std::string& text) {
        Raw({0x21, 0xFE});
        Bytes body(text.begin(), text.end());
        const Bytes blocks = SubBlocks(body);
        bytes.insert(bytes.end(), blocks.begin(), blocks.end());
        return *this;
    }

    GifBuilder& Loop(int count) {
        Raw({0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1});
        Le16(count);
        Raw({0});
        return *this;
    }

    GifBuilder& Image(const Picture& p, const ImageOptions& o = {}) {
        Raw({0x2C});
        Le16(o.left);
        Le16(o.top);
        Le16(p.width);
        Le16(p.height);
        int packed = o.interlaced ? 0x40 : 0;
        if (o.localBits > 0) {
            packed |= 0x80 | (o.localBits - 1);
        }
        bytes.push_back(static_cast<std::uint8_t>(packed));
        if (o.localBits > 0) {
            Palette(o.localBits, 100);
        }
        bytes.push_back(static_cast<std::uint8_t>(o.lzw.codeSize));
        const Bytes codes = LzwCodes(o.interlaced ? InterlaceOrder(p) : p.pixels, o.lzw);
        const Bytes blocks = SubBlocks(codes, o.lzw.blockSize);
        bytes.insert(bytes.end(), blocks.begin(), blocks.end());
        return *this;
    }

    GifBuilder& Raw(std::initializer_list<std::uint8_t> b) {
        bytes.insert(bytes.end(), b.begin(), b.end());
        return *this;
    }
    GifBuilder& Trailer() { return Raw({0x3B}); }

    void Le16(int v) {
        bytes.push_back(static_cast<std::uint8_t>(v & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
    }

    // Entry i of a table made with `salt` is (i + salt, 2 i, 255 - i), each mod 256.
    void Palette(int bits, int salt) {
        for (int i = 0; i < (1 << bits); ++i) {
            bytes.push_back(static_cast<std::uint8_t>(i + salt));
            bytes.push_back(static_cast<std::uint8_t>(2 * i));
            bytes.push_back(static_cast<std::uint8_t>(255 - i));
        }
    }

    Bytes bytes;
};

// A large animation that a user may well pick: 1920 x 1080, 50 full frames of two alternating pictures
// (diagonal bands and a moire, 256 colours, about 60 MB), transparent where the index is 0, each restoring
// to the background.
inline Bytes FullHdAnimation() {
    constexpr int W = 1920;
    constexpr int H = 1080;
    Picture a{W, H, {}};
    Picture b{W, H, {}};
    a.pixels.resize(static_cast<std::size_t>(W) * H);
    b.pixels.resize(a.pixels.size());
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            a.pixels[static_cast<std::size_t>(y) * W + x] = static_cast<std::uint8_t>((x + y) / 6);
            b.pixels[static_cast<std::size_t>(y) * W + x] = static_cast<std::uint8_t>(((x * x + y * y) >> 9) & 0xFF);
        }
    }
    GifBuilder builder(W, H, 8);
    builder.Loop(0);
    Bytes first;
    Bytes second;
    for (int i = 0; i < 50; ++i) {
        builder.Control(2, 4, 0);
        if (first.empty()) {
            const std::size_t at = builder.bytes.size();
            builder.Image(a);
            first.assign(builder.bytes.begin() + static_cast<std::ptrdiff_t>(at), builder.bytes.end());
        } else if (second.empty()) {
            const std::size_t at = builder.bytes.size();
            builder.Image(b);
            second.assign(builder.bytes.begin() + static_cast<std::ptrdiff_t>(at), builder.bytes.end());
        } else {
            const Bytes& again = i % 2 == 0 ? first : second;
            builder.bytes.insert(builder.bytes.end(), again.begin(), again.end());
        }
    }
    return builder.Trailer().bytes;
}

// An animation that a user may well pick, of any size: `frames` frames of width x height cycling through
// `pictures` pictures of diagonal colour bands, each with a transparent block (index 0) that moves from picture
// to picture, 4 hundredths of a second apart with the given disposal field, looping forever. `padding` bytes of an
// application extension that nothing reads follow each frame, to make the file as large as a photographic one.
inline Bytes BandedAnimation(int width,
                             int height,
                             int frames,
                             int disposal,
                             std::size_t padding = 0,
                             int pictures = 3) {
    GifBuilder builder(width, height, 4);
    builder.Loop(0);
    std::vector<Bytes> encoded;
    for (int k = 0; k < pictures; ++k) {
        Picture p{width, height, {}};
        p.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
        const int bx = (k * width / (pictures + 1)) % std::max(width, 1);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const bool hole = x >= bx && x < bx + width / 8 && y >= height / 4 && y < height / 2;
                p.pixels[static_cast<std::size_t>(y) * width + x] =
                    hole ? 0 : static_cast<std::uint8_t>(1 + ((x + y) / 64 + k) % 15);
            }
        }
        GifBuilder one(width, height, 0);
        const std::size_t at = one.bytes.size();
        one.Image(p);
        encoded.emplace_back(one.bytes.begin() + static_cast<std::ptrdiff_t>(at), one.bytes.end());
    }
    Bytes pad;
    if (padding > 0) {
        pad = {0x21, 0xFF, 11, 'S', 'K', 'Y', 'B', 'U', 'R', 'S', 'T', 'P', 'A', 'D'};
        const Bytes blocks = SubBlocks(Bytes(padding, 0x5A));
        pad.insert(pad.end(), blocks.begin(), blocks.end());
    }
    for (int i = 0; i < frames; ++i) {
        builder.Control(disposal, 4, 0);
        const Bytes& frame = encoded[static_cast<std::size_t>(i % pictures)];
        builder.bytes.insert(builder.bytes.end(), frame.begin(), frame.end());
        builder.bytes.insert(builder.bytes.end(), pad.begin(), pad.end());
    }
    return builder.Trailer().bytes;
}

}  // namespace giftest
