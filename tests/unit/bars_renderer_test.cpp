#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "displaystate/BandLayout.h"
#include "effects/SpectrumThread.h"
#include "framework/MemoryCanvas.h"

namespace bars_renderer_test {

namespace {

constexpr int Width = 1024;
constexpr int H = 300;
constexpr TColor Junk = RGBColor(1, 2, 3);
constexpr TColor Back = RGBColor(0, 0, 40);
constexpr TColor BarColour = RGBColor(0, 100, 200);

// The main area of a 1024-pixel screen with a 100-pixel image at the bottom right: cells 25
// pixels wide from column 11 (bar 0 covers 11..33, bar 35 covers 886..908).
struct SpectrumScene {
    explicit SpectrumScene(int style = 0, bool enhanced = false) {
        settings.Background = Back;
        settings.Spectrums = BarColour;
        settings.SpectrumStyle = style;
        settings.EnhSpect = enhanced;
        settings.BarB = 3;
        settings.SpectrumsLatency = 25;
        display.MainPanelRight = Width - 1;
        display.MainPanelHeight = H;
        LayoutSpectrum(display, settings, 1, 100, 0);
        BuildSpectrumBitmap(display, settings, canvas);
    }

    void Frame(int height, int band = 0) {
        display.BandHeights[band] = height;
        bars.DrawFrame();
    }

    // Column x from row top to H - 1 as text: '#' bar colour, '.' background, '?' untouched.
    std::string Column(int x, int top) const {
        std::string s;
        for (int y = top; y < H; ++y) {
            const TColor c = canvas.GetPixel(x, y);
            s += c == BarColour ? '#' : c == Back ? '.' : c == Junk ? '?' : '*';
        }
        return s;
    }

    TVisSettings settings;
    TDisplayState display;
    TSpectrumBarsState state;
    TMemoryCanvas canvas{Width, H, Junk};
    TSpectrumThr bars{&canvas, display, settings, state};
};

std::string Repeat(char c, int n) {
    return std::string(static_cast<std::size_t>(n), c);
}

std::vector<TColor> Snapshot(const TCanvas& canvas) {
    std::vector<TColor> pixels;
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            pixels.push_back(canvas.GetPixel(x, y));
        }
    }
    return pixels;
}

int ChangedPixels(const std::vector<TColor>& before, const TCanvas& canvas) {
    const auto after = Snapshot(canvas);
    int changed = 0;
    for (std::size_t i = 0; i < after.size(); ++i) {
        changed += after[i] != before[i] ? 1 : 0;
    }
    return changed;
}

}  // namespace

TEST(SpectrumBars, ConstructionRestartsBandsAndBars) {
    SpectrumScene scene;
    scene.display.BandHeights.fill(50);
    scene.state.BarDrawn.fill(7);
    scene.state.BarPeaks.fill(9);
    TSpectrumThr fresh(&scene.canvas, scene.display, scene.settings, scene.state);
    EXPECT_EQ(fresh.LatencyMs(), 25);
    for (int i = 0; i < BandCount; ++i) {
        ASSERT_EQ(scene.display.BandHeights[i], 0) << "band " << i;
        ASSERT_EQ(scene.state.BarDrawn[i], 0) << "band " << i;
        ASSERT_EQ(scene.state.BarPeaks[i], 0) << "band " << i;
    }
}

TEST(SpectrumBars, BarsStandInTheirCellsAndConsumeTheHeights) {
    SpectrumScene scene;
    scene.display.BandHeights.fill(10);
    scene.bars.DrawFrame();
    const struct {
        int x;
        std::string want;
    } columns[] = {
        {10, Repeat('?', 12)},  {11, "??" + Repeat('#', 10)},  {33, "??" + Repeat('#', 10)},
        {34, Repeat('?', 12)},  {886, "??" + Repeat('#', 10)}, {908, "??" + Repeat('#', 10)},
        {909, Repeat('?', 12)},
    };
    for (const auto& c : columns) {
        EXPECT_EQ(scene.Column(c.x, H - 12), c.want) << "column " << c.x;
    }
    for (int i = 0; i < BandCount; ++i) {
        ASSERT_EQ(scene.display.BandHeights[i], 0) << "band " << i;
        ASSERT_EQ(scene.state.BarDrawn[i], 10) << "band " << i;
    }
}

TEST(SpectrumBars, FallClearsTheDropOneColumnWider) {
    for (int style : {0, 1}) {
        SpectrumScene scene(style);
        scene.Frame(50);
        scene.Frame(20);
        for (int x = 11; x <= 34; ++x) {
            for (int y = H - 50; y <= H - 21; ++y) {
                ASSERT_EQ(scene.canvas.GetPixel(x, y), Back) << "style " << style << " at " << x << ", " << y;
            }
        }
        // The rest of the bar and the gap column below the drop are left as they were.
        EXPECT_NE(scene.canvas.GetPixel(11, H - 20), Back) << "style " << style;
        EXPECT_NE(scene.canvas.GetPixel(11, H - 1), Back) << "style " << style;
        EXPECT_EQ(scene.canvas.GetPixel(34, H - 20), Junk) << "style " << style;
        EXPECT_EQ(scene.canvas.GetPixel(35, H - 50), Junk) << "style " << style;
        EXPECT_EQ(scene.canvas.GetPixel(11, H - 51), Junk) << "style " << style;
    }
}

TEST(SpectrumBars, AnUnchangedBarDrawsOnlyItsSinkingBlock) {
    struct Case {
        const char* name;
        int style;
        bool enhanced;
        int first, second, third;
        int wantChanged;
    };
    const Case cases[] = {
        {"still bar, no blocks", 0, false, 40, 40, 40, 0},
        {"still bar, block resting on it", 0, true, 40, 40, 40, 0},
        {"flat block sinking: top row out, bottom row in", 0, true, 40, 10, 10, 2 * 23},
        // The ramp block is copied whole, but the rows it already covered keep their colours.
        {"ramp block sinking", 1, true, 40, 10, 10, 2 * 23},
    };
    for (const auto& c : cases) {
        SpectrumScene scene(c.style, c.enhanced);
        scene.Frame(c.first);
        scene.Frame(c.second);
        const auto before = Snapshot(scene.canvas);
        scene.Frame(c.third);
        EXPECT_EQ(ChangedPixels(before, scene.canvas), c.wantChanged) << c.name;
    }
}

TEST(SpectrumBars, BlockSinksOneRowPerFrameToRest) {
    SpectrumScene scene(0, true);
    scene.canvas.Brush.Color = Back;
    scene.canvas.FillRect({0, 0, Width, H});
    scene.Frame(20);
    for (int p = 19; p >= 0; --p) {
        scene.Frame(0);
        ASSERT_EQ(scene.state.BarPeaks[0], p);
        // Block rows H - p - 6 to H - p - 4, then background below.
        const std::string want = Repeat('.', 30 - p - 6) + "###" + Repeat('.', p + 3);
        ASSERT_EQ(scene.Column(11, H - 30).substr(0, 30), want) << "peak " << p;
    }
    scene.Frame(0);
    EXPECT_EQ(scene.state.BarPeaks[0], 0);
    EXPECT_EQ(scene.Column(20, H - 7), ".###...") << "at rest the lowest block row is H - 4";
}

TEST(SpectrumBars, RisePastTheBlockMovesItUp) {
    struct Case {
        const char* name;
        int to;
        std::string want;  // rows H - 25 to H - 1 of the bar's first column
    };
    // From a bar of 10 with its block on rows H - 16 to H - 14.
    const Case cases[] = {
        {"rise of BarB + 3 covers the old block", 16, "...###..." + Repeat('#', 16)},
        {"rise of BarB + 2 clears the gap", 15, "....###..." + Repeat('#', 15)},
        {"rise of 2 clears the gap", 12, ".......###..." + Repeat('#', 12)},
    };
    for (const auto& c : cases) {
        SpectrumScene scene(0, true);
        scene.canvas.Brush.Color = Back;
        scene.canvas.FillRect({0, 0, Width, H});
        scene.Frame(10);
        ASSERT_EQ(scene.Column(11, H - 25), Repeat('.', 9) + "###..." + Repeat('#', 10)) << c.name;
        scene.Frame(c.to);
        EXPECT_EQ(scene.Column(11, H - 25), c.want) << c.name;
        EXPECT_EQ(scene.state.BarPeaks[0], c.to) << c.name;
    }
}

// Regression: a repaint wiped steady bars for good, as they never rose past the remembered height.
TEST(SpectrumBars, ARepaintHasEveryBarDrawnWholeAtTheNextFrame) {
    struct Case {
        const char* name;
        int style;
        bool enhanced;
    };
    const Case cases[] = {{"flat", 0, false}, {"flat with blocks", 0, true}, {"ramp with blocks", 1, true}};
    for (const auto& c : cases) {
        SpectrumScene scene(c.style, c.enhanced);
        for (int frame = 0; frame < 3; ++frame) {
            scene.display.BandHeights.fill(220);
            scene.bars.DrawFrame();
        }
        const auto steady = Snapshot(scene.canvas);
        PaintMain(scene.canvas, Width, H, scene.display, scene.settings);
        // The render hook writes the same heights again before the next frame.
        scene.display.BandHeights.fill(220);
        scene.bars.DrawFrame();
        // The bars, and the blocks 3 rows above them, are as they were before the repaint.
        for (int i = 0; i < BandCount; ++i) {
            const TRect cell = BandCell(scene.display, i, 0, 0);
            for (int x = cell.Left; x < cell.Right; ++x) {
                for (int y = H - 220 - (c.enhanced ? 6 : 0); y < H; ++y) {
                    if (y >= H - 223 && y < H - 220) {
                        continue;  // the gap: untouched before, background now
                    }
                    ASSERT_EQ(scene.canvas.GetPixel(x, y), steady[static_cast<std::size_t>(y * Width + x)])
                        << c.name << ": band " << i << " at " << x << ", " << y;
                }
            }
        }
    }
}

TEST(SpectrumBars, ARepaintLeavesTheBlocksAtRest) {
    SpectrumScene scene(0, true);
    scene.Frame(150);
    scene.Frame(0);  // the block now floats at 149
    PaintMain(scene.canvas, Width, H, scene.display, scene.settings);
    scene.Frame(0);
    // Only the resting block the repaint drew, on rows H - 6 to H - 4; nothing sinks from above.
    EXPECT_EQ(scene.Column(11, H - 160), Repeat('.', 154) + "###...");
    EXPECT_EQ(scene.state.BarPeaks[0], 0);
}

TEST(SpectrumBars, RampStylesCopyTheRampAndFallBackToFlat) {
    struct Case {
        const char* name;
        int style;
        TColor colour;
        bool releaseRamp;
        bool wantFlat;
    };
    const Case cases[] = {
        {"fade to white", 1, BarColour, false, false},
        {"fade to black", 2, BarColour, false, false},
        {"style above 2 fades to black", 5, BarColour, false, false},
        {"white toward white is flat white", 1, clWhite, false, true},
        {"black toward black is flat black", 2, clBlack, false, true},
        {"released ramp draws flat", 1, BarColour, true, true},
    };
    for (const auto& c : cases) {
        SpectrumScene scene;
        scene.settings.SpectrumStyle = c.style;
        scene.settings.Spectrums = c.colour;
        scene.settings.EnhSpect = true;
        BuildSpectrumBitmap(scene.display, scene.settings, scene.canvas);
        ASSERT_NE(scene.display.SpectrumBitmap, nullptr) << c.name;
        TMemoryBitmap ramp(23, 1);
        ramp.Canvas().CopyRect({0, 0, 23, 1}, scene.display.SpectrumBitmap->Canvas(), {0, 0, 23, 1});
        if (c.releaseRamp) {
            scene.display.SpectrumBitmap.reset();
        }
        scene.Frame(30);
        scene.Frame(25);  // the block now sinks and is redrawn
        for (int x = 0; x < 23; ++x) {
            const TColor want = c.wantFlat ? c.colour : ramp.Canvas().GetPixel(x, 0);
            ASSERT_EQ(scene.canvas.GetPixel(11 + x, H - 1), want) << c.name << ": bar column " << x;
            ASSERT_EQ(scene.canvas.GetPixel(11 + x, H - 25), want) << c.name << ": bar top, column " << x;
            ASSERT_EQ(scene.canvas.GetPixel(11 + x, H - 34), want) << c.name << ": block, column " << x;
        }
        if (!c.wantFlat) {
            EXPECT_NE(scene.canvas.GetPixel(11 + 11, H - 1), c.colour) << c.name << ": the middle is not the base";
        }
    }
}

TEST(SpectrumBars, NegativeStyleIsFlatEvenWithAStaleRamp) {
    SpectrumScene scene(1);
    ASSERT_NE(scene.display.SpectrumBitmap, nullptr);
    scene.settings.SpectrumStyle = -1;
    scene.Frame(30);
    for (int x = 11; x < 34; ++x) {
        ASSERT_EQ(scene.canvas.GetPixel(x, H - 1), BarColour) << "column " << x;
    }
}

TEST(SpectrumBars, HostileValuesDrawNothingOutsideTheArea) {
    struct Case {
        const char* name;
        int spectrumWidth;
        int barB;
        int height;
        int panelHeight;
    };
    const Case cases[] = {
        {"cells of 2 pixels have no bars", 107, 3, 100, H},
        {"no room at all", 0, 3, 100, H},
        {"negative height", 923, 3, -2147483647 - 1, H},
        {"huge height", 923, 3, 2147483647, H},
        {"huge block", 923, 2147483647, 50, H},
        {"negative block", 923, -2147483647 - 1, 50, H},
        {"negative panel", 923, 3, 50, -2147483647 - 1},
    };
    for (const auto& c : cases) {
        SpectrumScene scene(1, true);
        scene.settings.BarB = c.barB;
        scene.display.MainPanelHeight = c.panelHeight;
        scene.display.SpectrumWidth = c.spectrumWidth;
        scene.display.BandWidth = c.spectrumWidth / BandCount;
        scene.display.BandMargin = c.spectrumWidth % BandCount / 2;
        BuildSpectrumBitmap(scene.display, scene.settings, scene.canvas);
        for (int frame = 0; frame < 3; ++frame) {
            scene.display.BandHeights.fill(frame == 1 ? 0 : c.height);
            scene.bars.DrawFrame();
            for (int v : scene.display.BandHeights) {
                ASSERT_EQ(v, 0) << c.name;
            }
        }
        if (c.spectrumWidth < 108) {
            EXPECT_TRUE(ChangedPixels(std::vector<TColor>(Width * H, Junk), scene.canvas) == 0) << c.name;
        }
    }
}

}  // namespace bars_renderer_test
