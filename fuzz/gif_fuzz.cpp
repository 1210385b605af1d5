// libFuzzer target for the GIF reader: any input must load or fail without a stray access (ASan, UBSan),
// the fast LZW decoder must agree with the per-pixel one, and a cancel from the progress handler must leave
// the stream empty.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "controls/GIFReader.h"

namespace {

// Small budgets and inputs keep every execution short: a few bytes can declare a frame of gigabytes, and
// with the product's budgets such inputs would spend their time allocating and clearing memory. The budget
// checks themselves are exercised all the same, only sooner.
constexpr std::uint64_t FuzzFrameBudget = std::uint64_t{2} << 20;
constexpr std::uint64_t FuzzStreamBudget = std::uint64_t{8} << 20;
constexpr std::size_t MaxInput = std::size_t{64} << 10;

void HoldToFuzzBudgets(TGifStream& s) {
    s.FrameBudget = FuzzFrameBudget;
    s.StreamBudget = FuzzStreamBudget;
}

struct FrameDigest {
    std::uint64_t pixels;
    std::uint64_t mask;
    TLzwStatus status;
    bool operator!=(const FrameDigest& o) const { return pixels != o.pixels || mask != o.mask || status != o.status; }
};

std::uint64_t Fnv(const std::vector<std::uint8_t>& v) {
    std::uint64_t h = 1469598103934665603ull;
    for (std::uint8_t b : v) {
        h = (h ^ b) * 1099511628211ull;
    }
    return h;
}

struct Outcome {
    bool ok;
    int lastError;
    int loopCount;
    int imageWidth, imageHeight;
    std::vector<FrameDigest> frames;
};

Outcome Decode(const std::uint8_t* data, std::size_t size, bool careful) {
    TGifStream s;
    HoldToFuzzBudgets(s);
    s.CarefulDecoding = careful;
    Outcome o;
    o.ok = s.DecodeData(data, size);
    o.lastError = s.LastError;
    o.loopCount = s.LoopCount;
    o.imageWidth = s.ImageWidth;
    o.imageHeight = s.ImageHeight;
    for (int n = 1; n <= s.FrameCount(); ++n) {
        const TFrame& f = s.Frame(n);
        // The buffers must have exactly the layout the bitmaps are built from.
        if (f.Pixels.size() != static_cast<std::size_t>(f.PixelStride) * f.Height ||
            (f.Transparent && f.MaskBits.size() != static_cast<std::size_t>(f.MaskStride) * f.Height)) {
            std::abort();
        }
        o.frames.push_back({Fnv(f.Pixels), Fnv(f.MaskBits), f.DataStatus});
    }
    return o;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > MaxInput) {
        return 0;
    }
    const Outcome fast = Decode(data, size, false);
    const Outcome careful = Decode(data, size, true);
    if (fast.ok != careful.ok || fast.lastError != careful.lastError || fast.loopCount != careful.loopCount ||
        fast.imageWidth != careful.imageWidth || fast.imageHeight != careful.imageHeight ||
        fast.frames.size() != careful.frames.size()) {
        std::abort();
    }
    for (std::size_t i = 0; i < fast.frames.size(); ++i) {
        if (fast.frames[i] != careful.frames[i]) {
            std::abort();
        }
    }

    // Cancel at a report chosen by the input: the load fails with code 1 and nothing is kept.
    if (size > 0) {
        TGifStream s;
        HoldToFuzzBudgets(s);
        int reports = 0;
        const int cancelAt = 1 + data[size - 1] % 8;
        s.OnProgress = [&](int done, int total, int percent, bool& keep) {
            if (done < 0 || done > total || percent < 0 || percent > 100) {
                std::abort();
            }
            keep = ++reports != cancelAt;
        };
        const bool ok = s.DecodeData(data, size);
        if (reports >= cancelAt && (ok || s.LastError != GifCancelled || s.FrameCount() != 0)) {
            std::abort();
        }
    }
    return 0;
}
