#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "displaystate/BandLayout.h"
#include "effects/vumeterThread.h"
#include "framework/MemoryCanvas.h"

namespace vumeter_bars_test {

namespace {

constexpr int Width = 1024;
constexpr int StripHeight = 15;
constexpr TColor Fore = RGBColor(255, 0, 0);
constexpr TColor Back = RGBColor(0, 0, 128);

// The VU strip of a 1024-pixel screen: troughs end at 508 and start at 514, so the left bar
// grows leftward from column 505 (base 506) and the right bar rightward from 517.
struct MeterScene {
    explicit MeterScene(int style = 0, bool enhanced = false, bool segmented = false) {
        settings.MeterForeground = Fore;
        settings.MeterBackground = Back;
        settings.vustyle = style;
        settings.Enhvu = enhanced;
        settings.vusegmented = segmented;
        settings.vuOutline = false;
        settings.vumeterH = StripHeight;
        settings.vuB = 6;
        settings.VUsegW = 10;
        settings.vuLatency = 35;
        display.MainPanelRight = Width - 1;
        PaintVUFrame(canvas, display, settings, StripHeight);
        canvas.Lines.clear();
    }

    void Frame(int left, int right) {
        display.VULevels = {left, right};
        meter.DrawFrame();
    }

    // Row y of the left channel read outward from its base (column 505 first), and of the right
    // channel (column 517 first): '#' foreground, '.' background.
    std::string Outward(int channel, int n, int y = 7) const {
        std::string s;
        for (int i = 0; i < n; ++i) {
            const TColor c = canvas.GetPixel(channel == 0 ? 505 - i : 517 + i, y);
            s += c == Fore ? '#' : c == Back ? '.' : '*';
        }
        return s;
    }

    TVisSettings settings;
    TDisplayState display;
    TVUMeterState state;
    TMemoryCanvas canvas{Width, StripHeight, clBlack};
    TvumeterThr meter{&canvas, display, settings, state};
};

std::string Repeat(char c, int n) {
    return std::string(static_cast<std::size_t>(n), c);
}

}  // namespace

// Regression: the meter of a second Init drew the previous session's peak blocks far out and let
// them sink for seconds.
TEST(VumeterBars, ANewMeterStartsWithItsBlocksAtRest) {
    MeterScene scene(0, true);
    scene.Frame(400, 400);
    // The new window paints its strip with the blocks at rest; its first render starts a meter.
    PaintVUFrame(scene.canvas, scene.display, scene.settings, StripHeight);
    TvumeterThr fresh(&scene.canvas, scene.display, scene.settings, scene.state);
    EXPECT_EQ(fresh.LatencyMs(), 35);
    scene.display.VULevels = {0, 0};
    fresh.DrawFrame();
    for (int ch = 0; ch < 2; ++ch) {
        EXPECT_EQ(scene.Outward(ch, 480), "...######" + Repeat('.', 471)) << "channel " << ch;
        EXPECT_EQ(scene.state.VUDrawn[ch], 0) << "channel " << ch;
        EXPECT_EQ(scene.state.VUPeaks[ch], 0) << "channel " << ch;
    }
}

TEST(VumeterBars, FullBarWorkedGeometry) {
    MeterScene scene(0, true);
    scene.Frame(493, 493);
    EXPECT_EQ(scene.display.VULevels[0], 0);
    EXPECT_EQ(scene.display.VULevels[1], 0);
    const struct {
        int from, to;  // inclusive columns
        TColor want;
    } runs[] = {
        {13, 505, Fore},    {517, 1009, Fore}, {4, 9, Fore},     {1013, 1018, Fore}, {10, 12, Back},
        {1010, 1012, Back}, {506, 507, Back},  {514, 516, Back}, {0, 3, Back},       {1019, 1022, Back},
    };
    for (const auto& r : runs) {
        for (int x = r.from; x <= r.to; ++x) {
            for (int y = 2; y <= 13; ++y) {
                ASSERT_EQ(scene.canvas.GetPixel(x, y), r.want) << "column " << x << " row " << y;
            }
            ASSERT_NE(scene.canvas.GetPixel(x, 1), Fore) << "row 1, column " << x;
            ASSERT_NE(scene.canvas.GetPixel(x, 14), Fore) << "row 14, column " << x;
        }
    }
}

TEST(VumeterBars, SegmentsAreCutOnlyWhenTheBarRises) {
    MeterScene scene(0, false, true);
    scene.Frame(37, 37);
    EXPECT_EQ(scene.state.VUTarget[0], 30);
    EXPECT_EQ(scene.state.VUTarget[1], 30);
    // Separators at 0, 10, 20 and 30 pixels from each base, from the outermost in.
    const int wantX[] = {476, 486, 496, 506, 547, 537, 527, 517};
    ASSERT_EQ(scene.canvas.Lines.size(), 8u);
    for (std::size_t i = 0; i < 8; ++i) {
        const auto& line = scene.canvas.Lines[i];
        EXPECT_EQ(line.X1, wantX[i]) << "line " << i;
        EXPECT_EQ(line.X2, wantX[i]) << "line " << i;
        EXPECT_EQ(line.Y1, 2) << "line " << i;
        EXPECT_EQ(line.Y2, 13) << "line " << i;
        EXPECT_EQ(line.Color, Back) << "line " << i;
        EXPECT_EQ(line.Width, 2) << "line " << i;
    }
    // A width-2 pen covers the column before its x: 2-pixel gaps between 8-pixel segments.
    const std::string segments = "." + Repeat('#', 8) + ".." + Repeat('#', 8) + ".." + Repeat('#', 8) + "..";
    EXPECT_EQ(scene.Outward(0, 31), segments);
    EXPECT_EQ(scene.Outward(1, 31), segments);

    scene.canvas.Lines.clear();
    scene.Frame(10, 10);
    EXPECT_TRUE(scene.canvas.Lines.empty()) << "a fall draws no separators";
    EXPECT_EQ(scene.Outward(0, 31), "." + Repeat('#', 8) + "." + Repeat('.', 21));
    EXPECT_EQ(scene.Outward(1, 31), "." + Repeat('#', 8) + "." + Repeat('.', 21));
}

TEST(VumeterBars, NegativeSegmentWidthRoundsTheLevelButCutsNothing) {
    MeterScene scene(0, false, true);
    scene.settings.VUsegW = -10;
    scene.Frame(37, 37);
    EXPECT_EQ(scene.state.VUTarget[0], 30);
    EXPECT_TRUE(scene.canvas.Lines.empty());
    EXPECT_EQ(scene.Outward(0, 31), Repeat('#', 30) + ".");
}

TEST(VumeterBars, FallClearsOnlyTheDrop) {
    MeterScene scene;
    scene.Frame(30, 30);
    scene.Frame(10, 10);
    EXPECT_EQ(scene.Outward(0, 32), Repeat('#', 10) + Repeat('.', 22));
    EXPECT_EQ(scene.Outward(1, 32), Repeat('#', 10) + Repeat('.', 22));
}

TEST(VumeterBars, BlockSinksOneColumnPerFrameToRest) {
    MeterScene scene(0, true);
    scene.Frame(20, 20);
    EXPECT_EQ(scene.Outward(0, 30), Repeat('#', 20) + "..." + Repeat('#', 6) + ".");
    for (int p = 19; p >= 0; --p) {
        scene.Frame(0, 0);
        ASSERT_EQ(scene.state.VUPeaks[0], p);
        const std::string want = Repeat('.', p + 3) + Repeat('#', 6) + Repeat('.', 30 - p - 9);
        ASSERT_EQ(scene.Outward(0, 30), want) << "peak " << p;
        ASSERT_EQ(scene.Outward(1, 30), want) << "peak " << p;
    }
    const auto before = scene.Outward(0, 30);
    scene.Frame(0, 0);
    EXPECT_EQ(scene.Outward(0, 30), before) << "a resting block stays";
}

TEST(VumeterBars, RisePastTheBlockClearsASmallGap) {
    struct Case {
        const char* name;
        int to;
        std::string want;
    };
    // From a bar of 10 with its block at 13..18.
    const Case cases[] = {
        {"rise of vuB + 3 covers the old block", 19, Repeat('#', 19) + "..." + Repeat('#', 6) + ".."},
        {"rise of 2 clears the gap", 12, Repeat('#', 12) + "..." + Repeat('#', 6) + Repeat('.', 9)},
    };
    for (const auto& c : cases) {
        MeterScene scene(0, true);
        scene.Frame(10, 10);
        scene.Frame(c.to, c.to);
        EXPECT_EQ(scene.Outward(0, 30), c.want) << c.name;
        EXPECT_EQ(scene.Outward(1, 30), c.want) << c.name;
    }
}

// Regression: a repaint of the strip wiped steady bars for good, as they never rose past the
// remembered length.
TEST(VumeterBars, ARepaintHasBothBarsDrawnWholeAtTheNextFrame) {
    for (int style : {0, 1}) {
        MeterScene scene(style, true, true);
        scene.Frame(100, 100);
        scene.Frame(100, 100);
        const std::string steady[] = {scene.Outward(0, 115), scene.Outward(1, 115)};
        ASSERT_EQ(steady[0].substr(0, 9), style == 0 ? "." + Repeat('#', 8) : ".********") << "style " << style;
        PaintVUFrame(scene.canvas, scene.display, scene.settings, StripHeight);
        scene.Frame(100, 100);
        EXPECT_EQ(scene.Outward(0, 115), steady[0]) << "style " << style;
        EXPECT_EQ(scene.Outward(1, 115), steady[1]) << "style " << style;
    }
}

TEST(VumeterBars, EqualLevelsGiveMirrorImages) {
    const int levels[] = {100, 493, 37, 37, 12, 0, 0, 250, 3, 0};
    for (int style : {0, 1, 2}) {
        MeterScene scene(style, true, true);
        for (int level : levels) {
            scene.Frame(level, level);
            for (int y = 0; y < StripHeight; ++y) {
                for (int n = 0; n <= 500; ++n) {
                    ASSERT_EQ(scene.canvas.GetPixel(505 - n, y), scene.canvas.GetPixel(517 + n, y))
                        << "style " << style << ", level " << level << ": " << n << " from the base, row " << y;
                }
            }
        }
    }
}

TEST(VumeterBars, RampStylesCopyTheRampAndFallBackToFlat) {
    struct Case {
        const char* name;
        int style;
        TColor colour;
        bool releaseRamp;
        bool wantFlat;
    };
    const Case cases[] = {
        {"fade to white", 1, Fore, false, false},
        {"fade to black", 2, Fore, false, false},
        {"black toward black is flat black", 2, clBlack, false, true},
        {"released ramp draws flat", 1, Fore, true, true},
    };
    for (const auto& c : cases) {
        MeterScene scene;
        scene.settings.vustyle = c.style;
        scene.settings.MeterForeground = c.colour;
        scene.settings.Enhvu = true;
        PaintVUFrame(scene.canvas, scene.display, scene.settings, StripHeight);
        ASSERT_NE(scene.display.VUBitmap, nullptr) << c.name;
        TMemoryBitmap ramp(1, 12);
        ramp.Canvas().CopyRect({0, 0, 1, 12}, scene.display.VUBitmap->Canvas(), {0, 0, 1, 12});
        if (c.releaseRamp) {
            scene.display.VUBitmap.reset();
        }
        scene.Frame(40, 40);
        scene.Frame(50, 30);
        for (int y = 2; y < 14; ++y) {
            const TColor want = c.wantFlat ? c.colour : ramp.Canvas().GetPixel(0, y - 2);
            for (int x : {505, 466, 456, 450, 517, 546, 560}) {
                ASSERT_EQ(scene.canvas.GetPixel(x, y), want) << c.name << ": column " << x << " row " << y;
            }
        }
    }
}

TEST(VumeterBars, HostileSettingsNeverCrashOrSpill) {
    struct Case {
        const char* name;
        int vumeterH;
        int vuB;
        int VUsegW;
        int level;
        bool wantForeground;
        std::size_t maxLines;
    };
    const Case cases[] = {
        {"segment width 0 draws whole bars", 15, 6, 0, 37, true, 0},
        {"negative segment width", 15, 6, -10, 37, true, 0},
        {"strip of 3 has no bar rows", 3, 6, 10, 37, false, 0},
        {"strip of 0", 0, 6, 10, 37, false, 0},
        {"negative strip", -2147483647 - 1, 6, 10, 37, false, 0},
        {"negative level is an empty bar", 15, 6, 10, -400, false, 0},
        // Two rises, each cutting both bars only where the strip is: 0 to 507 pixels from each base.
        {"huge level cut every pixel stays within the strip", 15, 6, 1, 2147483647, true, 2 * 2 * 508},
        {"huge block", 15, 2147483647, 10, 37, true, 2 * 8},
    };
    for (const auto& c : cases) {
        MeterScene scene(0, true, true);
        scene.settings.vumeterH = c.vumeterH;
        scene.settings.vuB = c.vuB;
        scene.settings.VUsegW = c.VUsegW;
        scene.canvas.Brush.Color = clBlack;
        scene.canvas.FillRect({0, 0, Width, StripHeight});
        PaintVUFrame(scene.canvas, scene.display, scene.settings, c.vumeterH);
        scene.canvas.Lines.clear();
        for (int frame = 0; frame < 4; ++frame) {
            scene.Frame(frame == 2 ? 0 : c.level, frame == 2 ? 0 : c.level);
            ASSERT_EQ(scene.display.VULevels[0], 0) << c.name;
            ASSERT_EQ(scene.display.VULevels[1], 0) << c.name;
        }
        EXPECT_LE(scene.canvas.Lines.size(), c.maxLines) << c.name;
        // Whether a bar shows: foreground anywhere but where the resting blocks lie.
        bool foreground = false;
        for (int y = 0; y < StripHeight; ++y) {
            for (int x = 0; x < Width; ++x) {
                const bool restingBlock = (x >= 497 && x < 503) || (x >= 520 && x < 526);
                foreground = foreground || (!restingBlock && scene.canvas.GetPixel(x, y) == Fore);
            }
        }
        EXPECT_EQ(foreground, c.wantForeground) << c.name;
    }
}

}  // namespace vumeter_bars_test
