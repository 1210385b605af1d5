#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "displaystate/BandLayout.h"
#include "framework/MemoryCanvas.h"

namespace band_layout_test {

namespace {

constexpr TColor Junk = RGBColor(1, 2, 3);

// Every pixel of r has colour c; reports the first one that does not.
::testing::AssertionResult AllPixels(const TCanvas& canvas, const TRect& r, TColor c) {
    for (int y = r.Top; y < r.Bottom; ++y) {
        for (int x = r.Left; x < r.Right; ++x) {
            if (canvas.GetPixel(x, y) != c) {
                return ::testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") is " << std::hex << canvas.GetPixel(x, y) << ", want " << c;
            }
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST(BandLayout, CellsMakeRoomForBottomImages) {
    struct Case {
        const char* name;
        std::string loadGif;
        int imageSet;
        int alignA, alignB;
        int width1, width2;
        int wantLeft, wantWidth, wantBand, wantMargin;
    };
    const Case cases[] = {
        {"built-in set 1, 183 wide", "Default", 1, 0, 0, 183, 40, 0, 840, 23, 6},
        {"built-in set 1, 100 wide", "Default", 1, 0, 0, 100, 40, 0, 923, 25, 11},
        {"built-in set 2 takes both", "Default", 2, 0, 0, 197, 104, 104, 722, 20, 1},
        {"no images", "Default", 0, 0, 0, 183, 40, 0, 1023, 28, 7},
        {"unknown set is none", "Default", 7, 0, 0, 183, 40, 0, 1023, 28, 7},
        {"user: top A, bottom-left B", "C:\\a.gif", 1, 0, 2, 50, 80, 80, 943, 26, 3},
        {"user: bottom-right A, top-right B", "C:\\a.gif", 1, 3, 1, 50, 80, 0, 973, 27, 0},
        {"user: both bottom-left, A wins the left", "C:\\a.gif", 1, 2, 2, 50, 80, 50, 893, 24, 14},
        {"user: tiled and none keep the width", "C:\\a.gif", 1, 4, 5, 1023, 80, 0, 1023, 28, 7},
        {"\"default\" in lower case is a user set", "default", 1, 0, 0, 183, 40, 0, 1023, 28, 7},
        {"image wider than the panel leaves no cells", "Default", 1, 0, 0, 5000, 0, 0, 0, 0, 0},
        {"negative image width counts as none", "Default", 1, 0, 0, -300, 0, 0, 1023, 28, 7},
    };
    for (const auto& c : cases) {
        TVisSettings settings;
        settings.LoadGif = c.loadGif;
        settings.GifAlign1A = c.alignA;
        settings.GifAlign1B = c.alignB;
        TDisplayState state;
        state.MainPanelRight = 1023;
        LayoutSpectrum(state, settings, c.imageSet, c.width1, c.width2);
        EXPECT_EQ(state.SpectrumLeft, c.wantLeft) << c.name;
        EXPECT_EQ(state.SpectrumWidth, c.wantWidth) << c.name;
        EXPECT_EQ(state.BandWidth, c.wantBand) << c.name;
        EXPECT_EQ(state.BandMargin, c.wantMargin) << c.name;
    }
}

TEST(BandLayout, UserSetTwoUsesItsOwnAlignments) {
    TVisSettings settings;
    settings.LoadGif = "C:\\a.gif";
    settings.GifAlign1A = 0;
    settings.GifAlign1B = 0;
    settings.GifAlign2A = 3;
    settings.GifAlign2B = 2;
    TDisplayState state;
    state.MainPanelRight = 1023;
    LayoutSpectrum(state, settings, 2, 100, 60);
    EXPECT_EQ(state.SpectrumLeft, 60);
    EXPECT_EQ(state.SpectrumWidth, 863);
}

TEST(BandLayout, CellsLeaveATwoPixelGap) {
    TDisplayState state;
    state.SpectrumLeft = 0;
    state.BandWidth = 25;
    state.BandMargin = 11;
    EXPECT_EQ(BandCell(state, 0, 0, 1), (TRect{11, 0, 34, 1}));
    EXPECT_EQ(BandCell(state, 1, 0, 1), (TRect{36, 0, 59, 1}));
    EXPECT_EQ(BandCell(state, 35, 0, 1), (TRect{886, 0, 909, 1}));
    state.SpectrumLeft = 104;
    EXPECT_EQ(BandCell(state, 0, 5, 9), (TRect{115, 5, 138, 9}));
}

TEST(BandRamp, ColumnsStepFromTheEdgesToTheMiddle) {
    struct Case {
        const char* name;
        TColor base;
        int style;
        int width;
        int step[3];  // signed per-column change of red, green, blue
    };
    const Case cases[] = {
        {"toward white", RGBColor(100, 0, 200), 1, 21, {6, 10, 2}},
        {"toward black", RGBColor(100, 0, 200), 2, 21, {-4, 0, -8}},
        {"style above 2 fades to black", RGBColor(100, 0, 200), 9, 21, {-4, 0, -8}},
        {"even width", RGBColor(0, 128, 255), 1, 10, {22, 11, 0}},
        {"white toward white is flat", RGBColor(255, 255, 255), 1, 21, {0, 0, 0}},
        {"black toward black is flat", RGBColor(0, 0, 0), 2, 21, {0, 0, 0}},
        {"narrow ramp steps by 0", RGBColor(10, 10, 10), 2, 23, {0, 0, 0}},
    };
    TMemoryCanvas compatible(1, 1);
    for (const auto& c : cases) {
        const auto ramp = BuildRamp(compatible, c.width, 7, c.base, c.style, true);
        ASSERT_NE(ramp, nullptr) << c.name;
        ASSERT_EQ(ramp->Width(), c.width) << c.name;
        for (int x = 0; x < c.width; ++x) {
            const int k = std::min(x, c.width - 1 - x);
            const TColor want = RGBColor(RedOf(c.base) + k * c.step[0], GreenOf(c.base) + k * c.step[1],
                                         BlueOf(c.base) + k * c.step[2]);
            for (int y = 0; y < 7; ++y) {
                ASSERT_EQ(ramp->Canvas().GetPixel(x, y), want) << c.name << ": column " << x << " row " << y;
            }
        }
    }
}

TEST(BandRamp, VerticalRampStepsAlongRows) {
    TMemoryCanvas compatible(1, 1);
    // Base (255, 0, 0) toward white over 12 rows: steps 0, 19, 19.
    const auto ramp = BuildRamp(compatible, 5, 12, RGBColor(255, 0, 0), 1, false);
    ASSERT_NE(ramp, nullptr);
    for (int y = 0; y < 12; ++y) {
        const int k = std::min(y, 11 - y);
        EXPECT_TRUE(AllPixels(ramp->Canvas(), {0, y, 5, y + 1}, RGBColor(255, 19 * k, 19 * k))) << "row " << y;
    }
}

TEST(BandRamp, NoRampForFlatStylesOrEmptySizes) {
    TMemoryCanvas compatible(1, 1);
    EXPECT_EQ(BuildRamp(compatible, 21, 10, clWhite, 0, true), nullptr);
    EXPECT_EQ(BuildRamp(compatible, 21, 10, clWhite, -1, true), nullptr);
    EXPECT_EQ(BuildRamp(compatible, 0, 10, clWhite, 1, true), nullptr);
    EXPECT_EQ(BuildRamp(compatible, -3, 10, clWhite, 1, true), nullptr);
    EXPECT_EQ(BuildRamp(compatible, 21, 0, clWhite, 1, false), nullptr);
}

TEST(BandRamp, SpectrumRampFollowsTheCellsAndSettings) {
    struct Case {
        const char* name;
        int bandWidth;
        int style;
        int maxSpectrumH;
        int wantWidth, wantHeight;  // 0, 0: no ramp
    };
    const Case cases[] = {
        {"default", 23, 1, 220, 21, 220},
        {"flat style", 23, 0, 220, 0, 0},
        {"negative style is flat", 23, -1, 220, 0, 0},
        {"cell of 2 pixels has no ramp", 2, 1, 220, 0, 0},
        {"cell of 3 pixels", 3, 2, 220, 1, 220},
        {"zero height", 23, 1, 0, 0, 0},
        {"absurd height is capped", 23, 1, 2000000000, 21, MaxRampRows},
    };
    TMemoryCanvas compatible(1, 1);
    for (const auto& c : cases) {
        TDisplayState state;
        state.BandWidth = c.bandWidth;
        state.SpectrumBitmap = compatible.CreateBitmap(3, 3);  // a stale ramp is always replaced
        TVisSettings settings;
        settings.SpectrumStyle = c.style;
        settings.MaxSpectrumH = c.maxSpectrumH;
        BuildSpectrumBitmap(state, settings, compatible);
        if (c.wantWidth == 0) {
            EXPECT_EQ(state.SpectrumBitmap, nullptr) << c.name;
            continue;
        }
        ASSERT_NE(state.SpectrumBitmap, nullptr) << c.name;
        EXPECT_EQ(state.SpectrumBitmap->Width(), c.wantWidth) << c.name;
        EXPECT_EQ(state.SpectrumBitmap->Height(), c.wantHeight) << c.name;
    }
}

TEST(BandRamp, DrawingWithoutARampFallsBackToFlat) {
    TMemoryCanvas canvas(20, 20, Junk);
    DrawFromRamp(canvas, {2, 3, 8, 9}, nullptr, RGBColor(9, 9, 9));
    EXPECT_TRUE(AllPixels(canvas, {2, 3, 8, 9}, RGBColor(9, 9, 9)));
    EXPECT_EQ(canvas.GetPixel(8, 3), Junk);
    EXPECT_EQ(canvas.GetPixel(2, 9), Junk);
}

TEST(BandRamp, DrawingTallerThanTheRampRepeatsIt) {
    TMemoryCanvas compatible(1, 1);
    const auto ramp = BuildRamp(compatible, 5, 4, RGBColor(200, 0, 0), 2, true);
    TMemoryCanvas canvas(20, 20, Junk);
    DrawFromRamp(canvas, {3, 1, 8, 19}, ramp.get(), clWhite);
    for (int y = 1; y < 19; ++y) {
        for (int x = 0; x < 5; ++x) {
            ASSERT_EQ(canvas.GetPixel(3 + x, y), ramp->Canvas().GetPixel(x, 0)) << x << ", " << y;
        }
    }
    EXPECT_EQ(canvas.GetPixel(3, 19), Junk);
}

TEST(BandPaint, MainRepaintRestartsBandsAndDrawsRestingBlocks) {
    struct Case {
        const char* name;
        int style;
        bool enhanced;
        bool enabled;
    };
    const Case cases[] = {
        {"flat blocks", 0, true, true},
        {"ramp blocks", 1, true, true},
        {"negative style draws flat blocks", -1, true, true},
        {"not enhanced", 1, false, true},
        {"bars disabled", 0, true, false},
    };
    constexpr int Width = 1024;
    constexpr int Height = 300;
    for (const auto& c : cases) {
        TVisSettings settings;
        settings.Background = RGBColor(0, 0, 40);
        settings.Spectrums = RGBColor(0, 100, 200);
        settings.SpectrumStyle = c.style;
        settings.EnhSpect = c.enhanced;
        settings.SpectrumsEnabled = c.enabled;
        settings.BarB = 5;
        TDisplayState state;
        state.MainPanelRight = Width - 1;
        state.MainPanelHeight = Height;
        state.BandHeights.fill(77);
        state.VULevels = {12, 34};
        LayoutSpectrum(state, settings, 1, 100, 0);
        TMemoryCanvas canvas(Width, Height, Junk);
        BuildSpectrumBitmap(state, settings, canvas);
        PaintMain(canvas, Width, Height, state, settings);

        for (int v : state.BandHeights) {
            ASSERT_EQ(v, 0) << c.name;
        }
        EXPECT_EQ(state.VULevels[0], 0) << c.name;
        EXPECT_EQ(state.VULevels[1], 0) << c.name;

        const bool blocks = c.enhanced && c.enabled;
        int blockPixels = 0;
        for (int y = 0; y < Height; ++y) {
            for (int x = 0; x < Width; ++x) {
                const TColor have = canvas.GetPixel(x, y);
                if (have == settings.Background) {
                    continue;
                }
                ++blockPixels;
                // Blocks sit on rows H - BarB - 3 to H - 4, inside a cell.
                const int k = (x - state.SpectrumLeft - state.BandMargin) / state.BandWidth;
                const int inCell = x - BandCell(state, k, 0, 1).Left;
                ASSERT_TRUE(blocks) << c.name << ": pixel at " << x << ", " << y;
                ASSERT_GE(y, Height - 8) << c.name;
                ASSERT_LT(y, Height - 3) << c.name;
                ASSERT_LT(inCell, state.BandWidth - 2) << c.name;
                const TColor want =
                    c.style > 0 ? state.SpectrumBitmap->Canvas().GetPixel(inCell, 0) : settings.Spectrums;
                ASSERT_EQ(have, want) << c.name << ": pixel at " << x << ", " << y;
            }
        }
        EXPECT_EQ(blockPixels, blocks ? 36 * 23 * 5 : 0) << c.name;
    }
}

TEST(BandPaint, VUFrameWorkedGeometry) {
    TVisSettings settings;
    settings.MeterBackground = RGBColor(0, 0, 128);
    settings.MeterForeground = RGBColor(255, 0, 0);
    settings.vustyle = 0;
    settings.vumeterH = 15;
    settings.vuB = 6;
    TDisplayState state;
    state.MainPanelRight = 1023;
    TMemoryCanvas canvas(1024, 15, Junk);
    PaintVUFrame(canvas, state, settings, 15);

    EXPECT_EQ(state.VULeftRect, (TRect{0, 0, 508, 14}));
    EXPECT_EQ(state.VURightRect, (TRect{514, 0, 1023, 14}));
    EXPECT_EQ(state.VUBitmap, nullptr);
    // Resting blocks 3 pixels beyond each bar's base (columns 497..502 and 520..525), rows 2..13.
    EXPECT_TRUE(AllPixels(canvas, {497, 2, 503, 14}, settings.MeterForeground));
    EXPECT_TRUE(AllPixels(canvas, {520, 2, 526, 14}, settings.MeterForeground));
    EXPECT_TRUE(AllPixels(canvas, {497, 1, 503, 2}, settings.MeterBackground));
    EXPECT_TRUE(AllPixels(canvas, {503, 2, 508, 14}, settings.MeterBackground));
    EXPECT_TRUE(AllPixels(canvas, {515, 2, 520, 14}, settings.MeterBackground));
    // The gap between the troughs is not painted.
    EXPECT_TRUE(AllPixels(canvas, {509, 0, 514, 15}, Junk));
    // The troughs end above row 14, which only the shade lines reach.
    EXPECT_TRUE(AllPixels(canvas, {1, 14, 508, 15}, RGBColor(128, 128, 128)));
    EXPECT_TRUE(AllPixels(canvas, {515, 14, 1023, 15}, RGBColor(128, 128, 128)));

    // Light above and left of the left trough, shade below and right; mirrored on the right.
    ASSERT_EQ(canvas.Lines.size(), 8u);
    const TColor white = RGBColor(255, 255, 255);
    const TColor grey = RGBColor(128, 128, 128);
    const TLineRecord want[] = {
        {0, 14, 0, 0, white, 1},    {0, 0, 508, 0, white, 1},     {0, 14, 508, 14, grey, 1},
        {508, 14, 508, 0, grey, 1}, {514, 0, 1023, 0, white, 1},  {1023, 0, 1023, 14, white, 1},
        {514, 0, 514, 14, grey, 1}, {514, 14, 1023, 14, grey, 1},
    };
    for (std::size_t i = 0; i < 8; ++i) {
        const auto& have = canvas.Lines[i];
        EXPECT_TRUE(have.X1 == want[i].X1 && have.Y1 == want[i].Y1 && have.X2 == want[i].X2 && have.Y2 == want[i].Y2 &&
                    have.Color == want[i].Color && have.Width == 1)
            << "line " << i << ": have (" << have.X1 << "," << have.Y1 << ")-(" << have.X2 << "," << have.Y2 << ")";
    }
}

TEST(BandPaint, VUFrameCopiesBlocksFromTheRamp) {
    TVisSettings settings;
    settings.MeterForeground = RGBColor(0, 200, 0);
    settings.vustyle = 1;
    settings.vuOutline = false;
    TDisplayState state;
    state.MainPanelRight = 1023;
    TMemoryCanvas canvas(1024, 15, Junk);
    PaintVUFrame(canvas, state, settings, 15);
    ASSERT_NE(state.VUBitmap, nullptr);
    EXPECT_EQ(state.VUBitmap->Width(), 504);
    EXPECT_EQ(state.VUBitmap->Height(), 12);
    for (int y = 2; y < 14; ++y) {
        const TColor want = state.VUBitmap->Canvas().GetPixel(0, y - 2);
        EXPECT_TRUE(AllPixels(canvas, {497, y, 503, y + 1}, want)) << "row " << y;
        EXPECT_TRUE(AllPixels(canvas, {520, y, 526, y + 1}, want)) << "row " << y;
    }
    EXPECT_EQ(canvas.GetPixel(497, 2), settings.MeterForeground);
    EXPECT_NE(canvas.GetPixel(497, 7), settings.MeterForeground);
    EXPECT_TRUE(canvas.Lines.empty());
}

TEST(BandPaint, VUFrameSurvivesHostileSettings) {
    struct Case {
        const char* name;
        int vumeterH;
        int vuB;
        int vustyle;
        bool wantRamp;
    };
    const Case cases[] = {
        {"strip of 3 has no bar rows", 3, 6, 1, false},   {"strip of 0", 0, 6, 1, false},
        {"negative strip", -2147483647 - 1, 6, 2, false}, {"negative style", 15, 6, -1, false},
        {"huge block", 15, 2147483647, 0, false},         {"negative block", 15, -50, 1, true},
    };
    for (const auto& c : cases) {
        TVisSettings settings;
        settings.vumeterH = c.vumeterH;
        settings.vuB = c.vuB;
        settings.vustyle = c.vustyle;
        TDisplayState state;
        state.MainPanelRight = 1023;
        TMemoryCanvas canvas(1024, 20, Junk);
        PaintVUFrame(canvas, state, settings, c.vumeterH);
        EXPECT_EQ(state.VUBitmap != nullptr, c.wantRamp) << c.name;
        EXPECT_GE(state.VULeftRect.Bottom, state.VULeftRect.Top) << c.name;
        EXPECT_GE(state.VURightRect.Bottom, state.VURightRect.Top) << c.name;
        if (c.vumeterH <= 3) {
            // No row for a bar or block: nothing in MeterForeground.
            for (int x = 0; x < 1024; ++x) {
                ASSERT_NE(canvas.GetPixel(x, 2), settings.MeterForeground) << c.name << " column " << x;
            }
        }
    }
}

}  // namespace band_layout_test
