// What a GIF can make the view allocate: the reader and the control together stay within the image budget
// at their peak, whatever sizes the file declares, and a large legitimate animation still loads.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <new>

#include "tests/unit/gif_view_support.h"

#if defined(__SANITIZE_ADDRESS__)
#define GIF_MEMORY_UNCOUNTED 1  // the sanitizer owns operator new
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define GIF_MEMORY_UNCOUNTED 1
#endif
#endif

namespace {

// Heap bytes in use and their high-water mark, kept by the operator new and delete below.
std::atomic<std::size_t> InUse{0};
std::atomic<std::size_t> HighWater{0};

}  // namespace

#ifndef GIF_MEMORY_UNCOUNTED
// Each block carries its size in front of it, so that delete can count it off. Out of line, so that the
// compiler does not pair a free with a new it can see.
namespace {
constexpr std::size_t BlockHeader = alignof(std::max_align_t);

[[gnu::noinline]] void* Take(std::size_t n) {
    void* block = std::malloc(n + BlockHeader);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    *static_cast<std::size_t*>(block) = n;
    const std::size_t now = InUse += n;
    std::size_t high = HighWater.load();
    while (now > high && !HighWater.compare_exchange_weak(high, now)) {
    }
    return static_cast<char*>(block) + BlockHeader;
}

[[gnu::noinline]] void Give(void* p) {
    if (p != nullptr) {
        void* block = static_cast<char*>(p) - BlockHeader;
        InUse -= *static_cast<std::size_t*>(block);
        std::free(block);
    }
}
}  // namespace

void* operator new(std::size_t n) {
    return Take(n);
}
void operator delete(void* p) noexcept {
    Give(p);
}
void* operator new[](std::size_t n) {
    return operator new(n);
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    try {
        return operator new(n);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t n, const std::nothrow_t& tag) noexcept {
    return operator new(n, tag);
}
void operator delete[](void* p) noexcept {
    operator delete(p);
}
void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    operator delete(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    operator delete(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    operator delete(p);
}
#endif

namespace gif_memory_test {

using namespace giftest;

namespace {

// Draws nothing: the sized bitmaps stand for their bytes, not their pixels, and a full-HD animation's every
// step would otherwise walk millions of pixels of a 1 x 1 canvas.
class TBlankCanvas : public TMemoryCanvas {
public:
    TBlankCanvas() : TMemoryCanvas(1, 1) {}
    void FillRect(const TRect&) override {}
    void CopyRect(const TRect&, const TCanvas&, const TRect&) override {}
};

// A bitmap that holds as many bytes as the device bitmap it stands for (4 a colour pixel, 1 an 8-bit frame
// pixel, 1 bit a monochrome one) and draws on a single pixel: the control's allocations as on Windows.
class TSizedBitmap : public TBitmap {
public:
    TSizedBitmap(int width, int height, std::size_t bytes) : W(width), H(height), Bytes(bytes, 1) {}
    int Width() const override { return W; }
    int Height() const override { return H; }
    std::uint8_t* Bits() { return Bytes.data(); }
    TCanvas& Canvas() override { return Pixel; }
    const TCanvas& Canvas() const override { return Pixel; }

private:
    int W;
    int H;
    std::vector<std::uint8_t> Bytes;
    TBlankCanvas Pixel;
};

// Makes what the GDI device makes, in bytes: whatever the view asks of it is counted, not what the test
// expects it to ask.
class TSizedDevice : public TGifDevice {
public:
    std::unique_ptr<TBitmap> CreateColor(int w, int h) override {
        return std::make_unique<TSizedBitmap>(w, h, std::size_t(w) * h * 4);
    }
    std::unique_ptr<TBitmap> CreateMono(int w, int h) override {
        return std::make_unique<TSizedBitmap>(w, h, (std::size_t(w) + 15) / 16 * 2 * h);
    }

protected:
    std::unique_ptr<TBitmap> CreateIndexedPicture(int w, int h, const std::uint8_t*, int, const TDibColor*) override {
        return std::make_unique<TSizedBitmap>(w, h, (std::size_t(w) + 3) / 4 * 4 * h);
    }
    std::unique_ptr<TBitmap> CreateTruePicture(int w, int h, const std::function<void(TDibColor*)>& write) override {
        auto bitmap = std::make_unique<TSizedBitmap>(w, h, std::size_t(w) * h * 4);
        write(reinterpret_cast<TDibColor*>(bitmap->Bits()));
        return bitmap;
    }
    std::unique_ptr<TBitmap> CreateMaskFrom(int w, int h, const std::uint8_t*, int) override {
        return CreateMono(w, h);
    }
};

class TSizedHost : public MemoryHost {
public:
    TGifDevice& Device() override { return Sized; }
    TCanvas* Surface() override { return &Blank; }
    TSizedDevice Sized;
    TBlankCanvas Blank;
};

// Frames that declare width x height and hold no pixel (their data is a clear and an end code).
Bytes EmptyFrames(int screenWidth, int screenHeight, int frames, int width, int height, int top = 0) {
    GifBuilder gif(screenWidth, screenHeight);
    Picture none;
    none.width = width;
    none.height = height;
    ImageOptions at;
    at.top = top;
    for (int i = 0; i < frames; ++i) {
        gif.Image(none, at);
    }
    return gif.Trailer().bytes;
}

// One frame of width x height on a larger screen.
Bytes OneFrameOnScreen(int screenWidth, int screenHeight, int width, int height) {
    const Bytes frame = BandedAnimation(width, height, 1, 1);
    Bytes out = frame;
    out[6] = static_cast<std::uint8_t>(screenWidth & 0xFF);
    out[7] = static_cast<std::uint8_t>(screenWidth >> 8);
    out[8] = static_cast<std::uint8_t>(screenHeight & 0xFF);
    out[9] = static_cast<std::uint8_t>(screenHeight >> 8);
    return out;
}

TEST(GifMemory, EveryValidImageShowsWithinTheBudgetAndHostileOnesAreRefused) {
#ifdef GIF_MEMORY_UNCOUNTED
    GTEST_SKIP() << "allocations are not counted under the address sanitizer";
#endif
    constexpr std::size_t MB = std::size_t{1} << 20;
    struct Case {
        const char* name;
        Bytes data;
        bool loads;
        std::size_t peakAtMost;  // loading and one whole pass of the animation
        int frames = 0;
        bool someAsShown = false;  // the budget holds only part of it: the rest is decoded as it is shown
        bool fromFile = false;
        int tiledWidth = 0;  // tiled over a control this wide instead of sized to the image
    } cases[] = {
        // One saved picture lives at a time, not one per frame.
        {"640 x 480, 150 frames restoring the previous picture", BandedAnimation(640, 480, 150, 3), true, 80 * MB, 150},
        {"1920 x 1080, 200 frames", BandedAnimation(1920, 1080, 200, 2), true, MaxImageBytes, 200, true},
        {"1280 x 720, 150 frames in a 40 MB file", BandedAnimation(1280, 720, 150, 1, 270000), true, MaxImageBytes, 150,
         true},
        // Bytes after the 256th image are neither read nor counted.
        {"640 x 480, 600 frames in a 100 MB file", BandedAnimation(640, 480, 600, 1, 170000), true, MaxImageBytes,
         MaxFrames, false, true},
        {"640 x 480, 300 frames", BandedAnimation(640, 480, 300, 2), true, MaxImageBytes, MaxFrames},
        {"1280 x 720, 100 frames", BandedAnimation(1280, 720, 100, 2), true, MaxImageBytes, 100},
        {"1920 x 1080, 60 frames", BandedAnimation(1920, 1080, 60, 2), true, MaxImageBytes, 60},
        {"1920 x 1080, 50 frames of 256 colours", FullHdAnimation(), true, MaxImageBytes, 50},
        // A declared screen costs its surfaces, whatever its frames: one frame or four alike.
        {"a 2560 x 1440 screen holding one 800 x 600 frame", OneFrameOnScreen(2560, 1440, 800, 600), true, 60 * MB, 1},
        {"a 3000 x 3000 screen holding one 32 x 32 frame", EmptyFrames(3000, 3000, 1, 32, 32), true, 80 * MB, 1},
        {"a 1056 x 59395 screen holding one 32 x 32 frame", EmptyFrames(1056, 59395, 1, 32, 32), false, 1 * MB},
        {"a 17993 x 0 screen widened by a 32 x 32 frame at row 2020", EmptyFrames(17993, 0, 1, 32, 32, 2020), false,
         1 * MB},
        {"a frame declared 8000 x 8000", EmptyFrames(8000, 8000, 1, 8000, 8000), false, 1 * MB},
        // Frames whose data could not fill them are refused as soon as the first such frame is read.
        {"60 frames declared 4000 x 3000", EmptyFrames(4000, 3000, 60, 4000, 3000), false, 40 * MB},
        {"4 frames declared 4000 x 4000, within the reader's budgets", EmptyFrames(4000, 4000, 4, 4000, 4000), false,
         40 * MB},
        {"a 1 x 40000 strip tiled 1023 wide", EmptyFrames(1, 40000, 1, 1, 40000), true, 1 * MB, 1, false, false, 1023},
    };
    for (const Case& c : cases) {
        const std::string path = testing::TempDir() + "gif_memory_case.gif";
        if (c.fromFile) {
            std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(c.data.data()), c.data.size());
        }
        TSizedHost host;
        TGIFImagX view(host);
        view.SetAutoSize(true);
        const std::size_t before = InUse;
        HighWater = before;
        const bool loaded = c.fromFile ? view.LoadFromFile(path) : view.LoadFromData(c.data);
        if (c.tiledWidth > 0) {
            view.SetAutoSize(false);
            view.SetBounds(0, 0, c.tiledWidth, view.ImageHeight());
            view.SetTile(true);
        }
        view.PaintMessage();  // the background and, for a transparent frame 1, the copy it is painted on
        view.PaintMessage();
        for (int i = 0; i <= view.FrameCount(); ++i) {
            view.TimerTick();
        }
        const std::size_t peak = HighWater - before;
        EXPECT_EQ(loaded, c.loads) << c.name;
        EXPECT_LE(peak, c.peakAtMost) << c.name << ": have " << (peak >> 20) << " MB at the peak";
        if (c.loads) {
            EXPECT_EQ(view.FrameCount(), c.frames) << c.name;
            EXPECT_EQ(view.FramesDecodedAsShown() > 0, c.someAsShown)
                << c.name << ": have " << view.FramesDecodedAsShown() << " frames decoded as shown";
        } else {
            EXPECT_EQ(view.LastError(), GifDecodeFailed) << c.name;
            EXPECT_TRUE(view.Empty()) << c.name;
        }
        if (c.fromFile) {
            std::remove(path.c_str());
        }
    }
}

TEST(GifMemory, AFileLoadedOverAnImageDoesNotAddToIt) {
#ifdef GIF_MEMORY_UNCOUNTED
    GTEST_SKIP() << "allocations are not counted under the address sanitizer";
#endif
    // Space from one user set to the next loads each file over the image shown: the old image must be gone
    // before the new file's bytes are read, or both count at once.
    const std::string path = testing::TempDir() + "gif_memory_full_hd.gif";
    {
        const Bytes data = FullHdAnimation();
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data.data()), data.size());
    }
    TSizedHost host;
    TGIFImagX view(host);
    view.SetAutoSize(true);
    const std::size_t before = InUse;
    ASSERT_TRUE(view.LoadFromFile(path));
    view.PaintMessage();
    view.PaintMessage();
    HighWater = InUse.load();
    EXPECT_TRUE(view.LoadFromFile(path));
    const std::size_t peak = HighWater - before;
    EXPECT_LE(peak, MaxImageBytes) << "have " << (peak >> 20) << " MB at the peak";
    std::remove(path.c_str());
}

}  // namespace

}  // namespace gif_memory_test
