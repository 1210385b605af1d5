// gifdump FILE...: what the GIF reader makes of each file, one line per item.
//   file NAME
//   screen W H frames N loop L colorbits C result ok|fail code K
//   frame I left X top Y width W height H delay MS disposal D transparent T|- interlaced 0|1 local 0|1 crc C
//         data complete|end-code|end-of-data|bad-code|bad-code-size|no-pixels mask M|-
// crc is zlib's CRC-32 of the frame's pixel indices, row by row, without the row padding; mask is the CRC-32
// of a transparent frame's mask bits, padding included.

#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "controls/GIFReader.h"

namespace {

unsigned long PixelCrc(const TFrame& f) {
    uLong crc = crc32(0L, Z_NULL, 0);
    for (int y = 0; y < f.Height; ++y) {
        crc = crc32(crc, f.Pixels.data() + static_cast<std::size_t>(y) * f.PixelStride, static_cast<uInt>(f.Width));
    }
    return crc;
}

const char* StatusName(TLzwStatus status) {
    switch (status) {
        case TLzwStatus::Complete:
            return "complete";
        case TLzwStatus::EndCode:
            return "end-code";
        case TLzwStatus::EndOfData:
            return "end-of-data";
        case TLzwStatus::BadCode:
            return "bad-code";
        case TLzwStatus::BadCodeSize:
            return "bad-code-size";
        case TLzwStatus::NoPixels:
            return "no-pixels";
    }
    return "?";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: gifdump FILE...\n");
        return 2;
    }
    int status = 0;
    TGifStream stream;
    for (int i = 1; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "gifdump: cannot read %s\n", argv[i]);
            status = 1;
            continue;
        }
        const std::vector<std::uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const bool ok = stream.DecodeData(data.data(), data.size());
        std::printf("file %s\n", argv[i]);
        std::printf("screen %d %d frames %d loop %d colorbits %d result %s code %d\n", stream.ScreenWidth,
                    stream.ScreenHeight, stream.FrameCount(), stream.LoopCount, stream.ColorBits, ok ? "ok" : "fail",
                    stream.LastError);
        for (int n = 1; n <= stream.FrameCount(); ++n) {
            const TFrame& f = stream.Frame(n);
            char transparent[8] = "-";
            if (f.Transparent) {
                std::snprintf(transparent, sizeof transparent, "%d", f.TransparentIndex);
            }
            char mask[16] = "-";
            if (f.Transparent) {
                std::snprintf(mask, sizeof mask, "%08lx",
                              crc32(crc32(0L, Z_NULL, 0), f.MaskBits.data(), static_cast<uInt>(f.MaskBits.size())));
            }
            std::printf(
                "frame %d left %d top %d width %d height %d delay %d disposal %d transparent %s interlaced %d local %d "
                "crc %08lx data %s mask %s\n",
                n, f.Left, f.Top, f.Width, f.Height, f.Delay, f.Disposal, transparent, f.Interlaced ? 1 : 0,
                f.HasLocalColors ? 1 : 0, PixelCrc(f), StatusName(f.DataStatus), mask);
        }
    }
    return status;
}
