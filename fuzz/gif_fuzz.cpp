// libFuzzer target for the GIF reader: any input must load or fail without a stray access (ASan, UBSan),
// the fast LZW decoder, in its SSE2 code and in its plain one, must agree with the per-pixel one, frames decoded
// later from the stored data must agree with frames decoded at load, and a cancel from the progress handler must
// leave the stream empty.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

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

bool Decode(TGifStream& s, const std::uint8_t* data, std::size_t size, bool careful, bool plain) {
    HoldToFuzzBudgets(s);
    s.CarefulDecoding = careful;
    s.PlainDecoding = plain;
    const bool ok = s.DecodeData(data, size);
    for (int n = 1; n <= s.FrameCount(); ++n) {
        const TFrame& f = s.Frame(n);
        // The buffers must have exactly the layout the bitmaps are built from.
        if (f.Pixels.size() != static_cast<std::size_t>(f.PixelStride) * f.Height ||
            (f.Transparent && f.MaskBits.size() != static_cast<std::size_t>(f.MaskStride) * f.Height)) {
            std::abort();
        }
    }
    return ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > MaxInput) {
        return 0;
    }
    // The frames are compared whole (a library compare, not a loop the coverage instrumentation slows down).
    TGifStream careful;
    const bool ok = Decode(careful, data, size, true, false);
    for (const bool plain : {false, true}) {
        TGifStream fast;
        if (Decode(fast, data, size, false, plain) != ok || fast.LastError != careful.LastError ||
            fast.LoopCount != careful.LoopCount || fast.ImageWidth != careful.ImageWidth ||
            fast.ImageHeight != careful.ImageHeight || fast.FrameCount() != careful.FrameCount()) {
            std::abort();
        }
        for (int n = 1; n <= fast.FrameCount(); ++n) {
            const TFrame& a = fast.Frame(n);
            const TFrame& b = careful.Frame(n);
            if (a.Pixels != b.Pixels || a.MaskBits != b.MaskBits || a.DataStatus != b.DataStatus) {
                std::abort();
            }
        }
    }

    // Read with no room for any frame's pixels, every frame that its data could fill is decoded later from the
    // stored data, exactly as at load; one its data could not fill fails the load.
    if (ok) {
        TGifStream deferred;
        HoldToFuzzBudgets(deferred);
        deferred.StreamBudget = 0;
        deferred.DeferFrames = true;
        const bool deferredOk = deferred.DecodeData(data, size);
        bool fillable = true;
        for (int n = 1; n <= careful.FrameCount(); ++n) {
            fillable = fillable && (careful.Frame(n).DataCanFill() || careful.Frame(n).Pixels.empty());
        }
        if (deferredOk) {
            if (deferred.FrameCount() != careful.FrameCount()) {
                std::abort();
            }
            for (int n = 1; n <= deferred.FrameCount(); ++n) {
                TFrame& f = *deferred.Frames[static_cast<std::size_t>(n) - 1];
                const TFrame& want = careful.Frame(n);
                const bool decoded = !f.Deferred || deferred.DecodeFrame(data, size, f);
                if (want.Pixels.empty() ? decoded && !f.Pixels.empty()
                                        : !decoded || f.Pixels != want.Pixels || f.MaskBits != want.MaskBits ||
                                              f.DataStatus != want.DataStatus) {
                    std::abort();
                }
            }
        } else if (fillable) {
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
        const bool cancelledOk = s.DecodeData(data, size);
        if (reports >= cancelAt && (cancelledOk || s.LastError != GifCancelled || s.FrameCount() != 0)) {
            std::abort();
        }
    }
    return 0;
}
