// The GIF view drawn with GDI device bitmaps shows what the memory backend shows, and the library
// carries the four built-in animations with their sizes, frames, delays and transparency.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "controls/GIFImageWin.h"
#include "framework/win32/GdiCanvas.h"
#include "tests/unit/gif_view_support.h"

namespace gif_image_gdi_test {

using namespace giftest;

namespace {

class GdiHost : public TGifHost {
public:
    GdiHost(int width, int height) : Bitmap(nullptr, width, height), Clip{0, 0, width, height} {
        Bitmap.Canvas().Brush.Color = SurfaceColour;
        Bitmap.Canvas().FillRect(Clip);
    }
    TCanvas* Surface() override { return &Bitmap.Canvas(); }
    TRect ClipRect() override { return Clip; }
    void Invalidate(const TRect&) override {}
    void SetTimer(bool, int) override {}
    TGifDevice& Device() override { return Bitmaps; }
    bool ReadResource(TModuleHandle, const std::string&, std::vector<std::uint8_t>&) override { return false; }

    TGdiBitmap Bitmap;
    TRect Clip;
    TGdiGifDevice Bitmaps;
};

ImageOptions At(int left, int top) {
    ImageOptions o;
    o.left = left;
    o.top = top;
    return o;
}

TEST(GifImageGdi, PaintingMatchesTheMemoryBackend) {
    // Transparent frames that restore to the background and to the previous picture, over a surface,
    // plain, centred in a larger control and tiled.
    const Bytes data = GifBuilder(4, 3)
                           .Control(1, 10, 0)
                           .Image(Ascii({"1.21", ".33.", "2..2"}))
                           .Control(3, 10, 0)
                           .Image(Ascii({"3.", ".1"}), At(1, 1))
                           .Control(2, 10, 0)
                           .Image(Ascii({"..2", "1.."}), At(0, 0))
                           .Control(1, 10, -1)
                           .Image(Ascii({"2"}), At(3, 2))
                           .Trailer()
                           .bytes;
    struct Layout {
        const char* name;
        TRect bounds;
        bool center, tile;
    } layouts[] = {
        {"plain", {2, 1, 6, 4}, false, false},
        {"centred", {1, 0, 9, 6}, true, false},
        {"tiled", {0, 0, 11, 7}, false, true},
    };
    for (const Layout& l : layouts) {
        MemoryHost memoryHost(12, 8);
        GdiHost gdiHost(12, 8);
        TGIFImagX memory(memoryHost);
        TGIFImagX gdi(gdiHost);
        for (TGIFImagX* view : {&memory, &gdi}) {
            ASSERT_TRUE(view->LoadFromData(data));
            view->SetBounds(l.bounds.Left, l.bounds.Top, l.bounds.Width(), l.bounds.Height());
            view->SetCenter(l.center);
            view->SetTile(l.tile);
            view->PaintMessage();
        }
        bool drew = false;
        for (const std::string& row : Letters(memoryHost.Canvas, memoryHost.Clip)) {
            drew = drew || row.find('1') != std::string::npos;
        }
        EXPECT_TRUE(drew) << l.name;
        for (int step = 0; step < 6; ++step) {
            ASSERT_EQ(Letters(gdiHost.Bitmap.Canvas(), gdiHost.Clip), Letters(memoryHost.Canvas, memoryHost.Clip))
                << l.name << ", step " << step;
            memory.TimerTick();
            gdi.TimerTick();
        }
    }
}

std::string LibraryPath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    return dir.substr(0, dir.find_last_of("\\/") + 1) + "vis_skyburst.dll";
}

TEST(GifImageGdi, TheLibraryCarriesTheFourBuiltInAnimations) {
    HMODULE library = LoadLibraryExA(LibraryPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(library, nullptr);
    struct Figures {
        const char* name;
        int width, height, frames, delayMs;
        bool transparent;
    } animations[] = {
        {"mygif1", 183, 200, 9, 200, true},
        {"MYGIF2", 197, 173, 12, 200, true},
        {"MyGif3", 40, 40, 7, 80, true},
        {"MYGIF4", 104, 96, 4, 200, false},
    };
    TGifWindowHost host;
    for (const Figures& want : animations) {
        TGIFImagX view(host);
        ASSERT_TRUE(view.LoadFromResourceName(library, want.name)) << want.name;
        EXPECT_EQ(view.ImageWidth(), want.width) << want.name;
        EXPECT_EQ(view.ImageHeight(), want.height) << want.name;
        ASSERT_EQ(view.FrameCount(), want.frames) << want.name;
        EXPECT_EQ(view.LoopCount(), 0) << want.name << " loops for ever";
        for (int i = 1; i <= view.FrameCount(); ++i) {
            EXPECT_EQ(view.Frame(i).Delay, want.delayMs) << want.name << " frame " << i;
            EXPECT_EQ(view.Frame(i).Transparent, want.transparent) << want.name << " frame " << i;
        }
    }
    TGIFImagX view(host);
    EXPECT_FALSE(view.LoadFromResourceName(library, "MYGIF5"));
    EXPECT_EQ(view.LastError(), GifNoSuchResource);
    FreeLibrary(library);
}

}  // namespace

}  // namespace gif_image_gdi_test
