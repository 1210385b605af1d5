// The GIF view on the memory canvas: composition, the timer step, painting and the status codes.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "tests/unit/gif_view_support.h"

namespace gif_image_test {

using namespace giftest;

namespace {

using Rows = std::vector<std::string>;

struct FrameSpec {
    int disposal;
    int transparentIndex;  // -1: opaque
    Picture picture;
    int left = 0;
    int top = 0;
    int delay = 10;
};

Bytes Stream(int w, int h, const std::vector<FrameSpec>& frames, int loop = -1) {
    GifBuilder b(w, h);
    if (loop >= 0) {
        b.Loop(loop);
    }
    for (const FrameSpec& f : frames) {
        ImageOptions o;
        o.left = f.left;
        o.top = f.top;
        b.Control(f.disposal, f.delay, f.transparentIndex).Image(f.picture, o);
    }
    return b.Trailer().bytes;
}

// Steps through every frame; returns the composed picture (and mask, when there is one) after each.
std::vector<Rows> Compose(const Bytes& data) {
    MemoryHost host;
    TGIFImagX view(host);
    EXPECT_TRUE(view.LoadFromData(data));
    std::vector<Rows> out;
    for (int i = 0; i < view.FrameCount(); ++i) {
        view.TimerTick();  // the first tick only starts frame 1's delay, each later one draws a frame
        Rows r = Letters(view.ImageSurface());
        for (const std::string& m : Letters(view.MaskSurface())) {
            r.push_back("mask " + m);
        }
        out.push_back(r);
    }
    return out;
}

TEST(GifImage, ComposesByDisposalAndTransparency) {
    struct Case {
        const char* name;
        int w, h;
        std::vector<FrameSpec> frames;
        std::vector<Rows> want;
    } cases[] = {
        {"a transparent frame over a frame left in place",
         3,
         2,
         {{1, -1, Ascii({"111", "111"})}, {1, 0, Ascii({".2.", "2.."})}},
         {{"111", "111", "mask BBB", "mask BBB"}, {"121", "211", "mask BBB", "mask BBB"}}},
        {"restore to background is transparency when the image has any",
         3,
         2,
         {{2, 0, Ascii({"11.", "1.."})}, {1, 0, Ascii({"..2", "..."})}},
         {{"11B", "1BB", "mask BBW", "mask BWW"}, {"BB2", "BBB", "mask WWB", "mask WWW"}}},
        {"restore to background is black without transparency",
         2,
         2,
         {{2, -1, Ascii({"11", "11"})}, {1, -1, Ascii({"2"}), 1, 1}},
         {{"11", "11"}, {"BB", "B2"}}},
        {"restore to previous puts back what lay under the frame",
         2,
         2,
         {{1, -1, Ascii({"11", "11"})}, {3, -1, Ascii({"3"})}, {1, -1, Ascii({"2"}), 1, 1}},
         {{"11", "11"}, {"31", "11"}, {"11", "12"}}},
        {"restore to previous puts back the mask as well as the picture",
         2,
         1,
         {{1, 0, Ascii({"1."})}, {3, -1, Ascii({"33"})}, {1, 0, Ascii({".."})}},
         {{"1B", "mask BW"}, {"33", "mask BB"}, {"1B", "mask BW"}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Compose(Stream(c.w, c.h, c.frames)), c.want) << c.name;
    }
}

// Two passes of every frame under a memory budget, and how many frames the budget left to be decoded as shown.
std::vector<Rows> ComposeTwice(const Bytes& data, std::uint64_t budget, int* asShown) {
    MemoryHost host;
    TGIFImagX view(host);
    view.MemoryBudget = budget;
    if (!view.LoadFromData(data)) {
        return {};
    }
    *asShown = view.FramesDecodedAsShown();
    std::vector<Rows> out;
    for (int i = 0; i < 2 * view.FrameCount(); ++i) {
        view.TimerTick();
        Rows r = Letters(view.ImageSurface());
        for (const std::string& m : Letters(view.MaskSurface())) {
            r.push_back("mask " + m);
        }
        out.push_back(r);
    }
    return out;
}

TEST(GifImage, FramesDecodedAsShownComposeExactlyAsHeldOnes) {
    // Large enough frames first, so that a small budget leaves the later ones to be decoded as shown; then every
    // kind of frame the composition tells apart.
    GifBuilder b(48, 32);
    b.Loop(0);
    for (int k = 0; k < 12; ++k) {
        Picture p{48, 32, {}};
        for (int i = 0; i < 48 * 32; ++i) {
            p.pixels.push_back(static_cast<std::uint8_t>(1 + (i % 48 + i / 48 + k) % 3));
        }
        b.Control(k % 2 == 0 ? 1 : 2, 1, k % 3 == 0 ? 2 : -1).Image(p);
    }
    ImageOptions at;
    at.left = 1;
    at.top = 1;
    b.Control(3, 1, 0).Image(Ascii({"3.3", ".3."}), at);
    at.left = 30;
    at.top = 20;
    b.Control(2, 1, 0).Image(Ascii({"..2", "2.."}), at);
    ImageOptions local;
    local.localBits = 2;
    local.interlaced = true;
    local.left = 40;
    b.Control(3, 1, 1).Image(Ascii({"23", "11", "32"}), local);
    // Cut short: its pixels never decoded are index 0 and opaque, though 0 is its transparent index.
    b.Raw({0x21, 0xF9, 4, 1, 1, 0, 0, 0, 0x2C, 4, 0, 3, 0, 4, 0, 2, 0, 0, 2, 2, 0x4C, 0x01, 0});
    // The file ends right after a frame's descriptor: the frame is kept, all index 0.
    b.Raw({0x21, 0xF9, 4, 4, 1, 0, 0, 0, 0x2C, 10, 0, 10, 0, 20, 0, 2, 0, 0});
    const Bytes data = b.bytes;

    int none = -1;
    const std::vector<Rows> held = ComposeTwice(data, MaxImageBytes, &none);
    ASSERT_EQ(held.size(), 34u);
    EXPECT_EQ(none, 0);
    // The smallest budget the image loads in holds the fewest frames.
    for (std::uint64_t budget = 4096;; budget += 256) {
        int asShown = 0;
        const std::vector<Rows> shown = ComposeTwice(data, budget, &asShown);
        if (shown.empty()) {
            ASSERT_LT(budget, 1u << 20) << "never loads";
            continue;
        }
        EXPECT_GE(asShown, 8) << "at a budget of " << budget << " bytes";
        EXPECT_EQ(shown, held);
        break;
    }
}

TEST(GifImage, StepsByDelayAndSpeedAndEndsAfterTheStreamsPasses) {
    // Three frames of 10, 20 and 30 ms, played twice by the stream's count.
    const Bytes twice = Stream(
        1, 1, {{1, -1, Ascii({"1"}), 0, 0, 1}, {1, -1, Ascii({"2"}), 0, 0, 2}, {1, -1, Ascii({"3"}), 0, 0, 3}}, 2);
    MemoryHost host;
    TGIFImagX view(host);
    view.SetAnimate(true);
    ASSERT_TRUE(view.LoadFromData(twice));
    EXPECT_FALSE(host.TimerEnabled) << "the first paint starts the timer";
    view.PaintMessage();
    ASSERT_TRUE(host.TimerEnabled);
    EXPECT_EQ(host.Interval, 1);
    std::vector<int> intervals;
    std::string shown;
    while (host.TimerEnabled && intervals.size() < 20) {
        view.TimerTick();
        intervals.push_back(host.Interval);
        shown += Letters(view.ImageSurface())[0];
    }
    EXPECT_EQ(intervals, (std::vector<int>{10, 20, 30, 10, 20, 30}));
    EXPECT_EQ(shown, "123123");
    EXPECT_EQ(view.CurrentFrame(), 4);
    view.PaintMessage();
    EXPECT_FALSE(host.TimerEnabled) << "painting does not restart a finished animation";
    view.SetLoop(true);
    EXPECT_TRUE(host.TimerEnabled) << "Loop restarts it";
    EXPECT_EQ(view.CurrentFrame(), 1);

    // A stream count of 0 repeats for ever; the speed scales every delay, and never drops below 1 %.
    MemoryHost endlessHost;
    TGIFImagX endless(endlessHost);
    endless.SetAnimate(true);
    ASSERT_TRUE(
        endless.LoadFromData(Stream(1, 1, {{1, -1, Ascii({"1"}), 0, 0, 10}, {1, -1, Ascii({"2"}), 0, 0, 0}}, 0)));
    endless.PaintMessage();
    for (int i = 0; i < 9; ++i) {
        endless.TimerTick();
    }
    EXPECT_TRUE(endlessHost.TimerEnabled);
    endless.SetSpeed(0);
    EXPECT_EQ(endless.Speed(), 1);
    EXPECT_EQ(endlessHost.Interval, 1) << "a new speed takes effect at once";
    std::vector<int> slow;
    for (int i = 0; i < 2; ++i) {
        endless.TimerTick();
        slow.push_back(endlessHost.Interval);
    }
    EXPECT_EQ(slow, (std::vector<int>{100, 10000})) << "at 1 %, a delay field of 0 (1 ms) lasts 100 ms, 100 ms 10 s";
    endless.SetSpeed(-5);
    EXPECT_EQ(endless.Speed(), 1);
    EXPECT_EQ(endlessHost.Interval, 1) << "another value below 1 is a new speed too";
}

TEST(GifImage, AHiddenOrStoppedAnimationDoesNotStep) {
    const Bytes three = Stream(1, 1, {{1, -1, Ascii({"1"})}, {1, -1, Ascii({"2"})}, {1, -1, Ascii({"3"})}});
    MemoryHost host;
    TGIFImagX view(host);
    view.SetAnimate(true);
    ASSERT_TRUE(view.LoadFromData(three));
    view.PaintMessage();
    view.TimerTick();
    view.TimerTick();
    ASSERT_EQ(Letters(view.ImageSurface()), (Rows{"2"}));

    // Hidden: the paint message it gets draws nothing, and every tick after it is skipped.
    view.SetVisible(false);
    view.PaintMessage();
    view.PaintMessage();
    for (int i = 0; i < 3; ++i) {
        view.TimerTick();
    }
    EXPECT_EQ(Letters(view.ImageSurface()), (Rows{"2"})) << "a hidden image stepped";
    view.SetVisible(true);
    view.PaintMessage();
    view.PaintMessage();
    view.TimerTick();
    EXPECT_EQ(Letters(view.ImageSurface()), (Rows{"3"})) << "shown again, it steps again";

    // Animate off goes back to frame 1 and stops the timer.
    view.SetAnimate(false);
    EXPECT_EQ(view.CurrentFrame(), 1);
    EXPECT_EQ(Letters(view.ImageSurface()), (Rows{"1"}));
    EXPECT_FALSE(host.TimerEnabled);
}

TEST(GifImage, PaintsOverWhatLiesBeneath) {
    // A transparent 4 x 2 image at (1, 1) on a green surface.
    MemoryHost host(8, 4);
    TGIFImagX view(host);
    ASSERT_TRUE(view.LoadFromData(Stream(4, 2, {{1, 0, Ascii({"1..2", ".33."})}})));
    view.SetBounds(1, 1, 4, 2);
    view.PaintMessage();
    const Rows painted{"ssssssss", "s1ss2sss", "ss33ssss", "ssssssss"};
    EXPECT_EQ(Letters(host.Canvas, {0, 0, 8, 4}), painted);
    view.MouseMove(1, 0);
    EXPECT_TRUE(view.OverTransparent());
    view.MouseMove(1, 1);
    EXPECT_FALSE(view.OverTransparent());

    // Another painter draws over the image without a paint message: the next step puts the background
    // captured at the last paint back under the picture.
    host.Canvas.Brush.Color = clWhite;
    host.Canvas.FillRect({0, 0, 8, 4});
    view.Repaint();
    EXPECT_EQ(Letters(host.Canvas, {0, 0, 8, 4}), (Rows{"WWWWWWWW", "W1ss2WWW", "Ws33sWWW", "WWWWWWWW"}));

    // Frame 1 opaque and a later frame transparent: the opaque path shows black where the composition
    // became transparent.
    MemoryHost opaqueHost(3, 1);
    TGIFImagX opaque(opaqueHost);
    ASSERT_TRUE(opaque.LoadFromData(Stream(3, 1, {{2, -1, Ascii({"111"})}, {1, 0, Ascii({".2."})}})));
    opaque.SetBounds(0, 0, 3, 1);
    opaque.TimerTick();
    opaque.TimerTick();
    opaque.PaintMessage();
    EXPECT_EQ(Letters(opaqueHost.Canvas, {0, 0, 3, 1}), (Rows{"B2B"}));
}

TEST(GifImage, TilesCentresAndStretches) {
    // A 30 x 1 image, lit only in its first column, tiled over 100 pixels: 4 columns, the last one cut.
    Picture strip = Ascii({"2"});
    strip.width = 30;
    strip.pixels.assign(30, 1);
    strip.pixels[0] = 2;
    MemoryHost host(120, 1);
    TGIFImagX view(host);
    ASSERT_TRUE(view.LoadFromData(Stream(30, 1, {{1, -1, strip}})));
    view.SetBounds(0, 0, 100, 1);
    view.SetTile(true);
    view.PaintMessage();
    view.PaintMessage();
    std::string columns;
    for (int x = 0; x < 120; ++x) {
        columns += Letter(host.Canvas.GetPixel(x, 0)) == '2'   ? 'x'
                   : Letter(host.Canvas.GetPixel(x, 0)) == 's' ? 's'
                                                               : '-';
    }
    EXPECT_EQ(columns, "x" + std::string(29, '-') + "x" + std::string(29, '-') + "x" + std::string(29, '-') + "x" +
                           std::string(9, '-') + std::string(20, 's'));

    struct StretchCase {
        int cw, ch, iw, ih;
        bool keepRatio;
        TRect want;
    } stretches[] = {
        {300, 300, 100, 50, true, {0, 75, 300, 225}},
        {300, 300, 100, 50, false, {0, 0, 300, 300}},
        {300, 100, 100, 100, true, {100, 0, 200, 100}},
        {3, 4, 1, 1, true, {0, 0, 3, 4}},  // edges 0.5 and 3.5 round to even: 0 and 4
        {5, 4, 1, 1, true, {0, 0, 4, 4}},  // left and right 0.5 and 4.5 round to 0 and 4
        {7, 3, 0, 5, true, {0, 0, 7, 3}},  // no width: the client
    };
    for (const StretchCase& c : stretches) {
        EXPECT_EQ(GifStretchRect(c.cw, c.ch, c.iw, c.ih, c.keepRatio), c.want)
            << c.cw << "x" << c.ch << " image " << c.iw << "x" << c.ih;
    }

    // An image larger than the control, centred: its middle shows, nothing outside the control.
    MemoryHost centreHost(5, 1);
    TGIFImagX centred(centreHost);
    ASSERT_TRUE(centred.LoadFromData(Stream(5, 1, {{1, -1, Ascii({"12321"})}})));
    centred.SetBounds(1, 0, 3, 1);
    centred.SetCenter(true);
    centred.PaintMessage();
    centred.PaintMessage();
    EXPECT_EQ(Letters(centreHost.Canvas, {0, 0, 5, 1}), (Rows{"s232s"}));
}

TEST(GifImage, FailuresLeaveCodesAndTheRightImage) {
    const Bytes picture = Stream(2, 1, {{1, -1, Ascii({"12"})}, {1, -1, Ascii({"21"})}});
    MemoryHost host;
    host.Resources["MYGIF"] = picture;
    host.Resources["EMPTY"] = {};
    TGIFImagX view(host);

    EXPECT_TRUE(view.LoadFromResourceName(nullptr, "mygif")) << "names are looked up in upper case";
    EXPECT_EQ(view.FrameCount(), 2);

    for (const int frame : {0, 3}) {
        view.SetCurrentFrame(frame);
        EXPECT_EQ(view.LastError(), GifBadFrameIndex);
        EXPECT_EQ(view.CurrentFrame(), 1);
    }
    view.SetCurrentFrame(2);
    EXPECT_EQ(Letters(view.ImageSurface()), (Rows{"21"}));

    // Codes 7 and 8 keep the image shown so far; a decode that fails clears the control.
    EXPECT_FALSE(view.LoadFromFile("/no/such/file.gif"));
    EXPECT_EQ(view.LastError(), GifNoSuchFile);
    EXPECT_FALSE(view.LoadFromResourceName(nullptr, "missing"));
    EXPECT_EQ(view.LastError(), GifNoSuchResource);
    EXPECT_FALSE(view.Empty());
    EXPECT_EQ(view.FrameCount(), 2);

    const std::string notGif = testing::TempDir() + "gif_image_not_a_gif.gif";
    std::ofstream(notGif, std::ios::binary) << "PNG and not a GIF";
    EXPECT_FALSE(view.LoadFromFile(notGif));
    EXPECT_EQ(view.LastError(), GifDecodeFailed);
    EXPECT_TRUE(view.Empty());
    EXPECT_EQ(view.FileName(), "");
    std::remove(notGif.c_str());

    EXPECT_FALSE(view.LoadFromResourceName(nullptr, "empty"));
    EXPECT_EQ(view.LastError(), GifEmptyData);

    // A few bytes that ask for a 16383 x 16383 frame fail in the reader; a file that alone fills the control's
    // budget fails before it is parsed.
    ASSERT_TRUE(view.LoadFromData(picture));
    const Bytes huge =
        GifBuilder(16383, 16383).Raw({0x2C, 0, 0, 0, 0, 0xFF, 0x3F, 0xFF, 0x3F, 0, 2, 0}).Trailer().bytes;
    EXPECT_FALSE(view.LoadFromData(huge));
    EXPECT_EQ(view.LastError(), GifDecodeFailed);
    EXPECT_TRUE(view.Empty());
    view.MemoryBudget = picture.size();
    EXPECT_FALSE(view.LoadFromData(picture));
    EXPECT_EQ(view.LastError(), GifDecodeFailed);
    EXPECT_TRUE(view.Empty());
}

TEST(GifImage, AnImageWithNoWidthDrawsNothingAndDividesByNothing) {
    MemoryHost host(8, 8);
    TGIFImagX view(host);
    Picture none;
    none.height = 3;
    ASSERT_TRUE(view.LoadFromData(Stream(0, 3, {{1, 0, none}, {2, -1, none}})));
    EXPECT_EQ(view.ImageWidth(), 0);
    view.SetAnimate(true);
    view.SetBounds(0, 0, 8, 8);
    for (const bool tile : {true, false}) {
        view.SetTile(tile);
        view.SetStretchRatio(!tile);
        view.PaintMessage();
        view.PaintMessage();
        view.TimerTick();
        view.TimerTick();
        view.MouseMove(2, 2);
    }
    EXPECT_EQ(Letters(host.Canvas, {0, 0, 8, 1}), (Rows{"ssssssss"}));
}

}  // namespace

}  // namespace gif_image_test
