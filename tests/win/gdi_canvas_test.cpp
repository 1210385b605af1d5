// The GDI backend draws what the memory backend promises: exact fills, pixels, same-size copies
// and the raster operations.

#include <gtest/gtest.h>
#include <windows.h>

#include "framework/MemoryCanvas.h"
#include "framework/win32/GdiCanvas.h"

namespace gdi_canvas_test {

namespace {

// Draws the same on both backends so that a difference shows up pixel by pixel.
void DrawScene(TCanvas& c) {
    c.Brush.Color = RGBColor(10, 20, 30);
    c.FillRect({0, 0, 40, 30});
    c.Brush.Color = RGBColor(200, 0, 100);
    c.FillRect({5, 6, 12, 9});
    c.FillRect({30, 20, 30, 25});  // empty: nothing
    c.SetPixel(39, 29, clWhite);
    c.SetPixel(-1, 3, clWhite);  // outside: ignored
    auto ramp = c.CreateBitmap(4, 3);
    ramp->Canvas().Brush.Color = RGBColor(0, 255, 0);
    ramp->Canvas().FillRect({1, 0, 3, 3});
    c.CopyRect({20, 10, 24, 13}, ramp->Canvas(), {0, 0, 4, 3});
    c.CopyMode = TCopyMode::And;
    c.CopyRect({5, 6, 9, 9}, ramp->Canvas(), {0, 0, 4, 3});
    c.CopyMode = TCopyMode::Invert;
    c.CopyRect({0, 20, 4, 23}, ramp->Canvas(), {0, 0, 4, 3});
    c.CopyMode = TCopyMode::Copy;
}

TEST(GdiCanvas, MatchesTheMemoryBackendOnFillsPixelsAndCopies) {
    TGdiBitmap bitmap(nullptr, 40, 30);
    ASSERT_TRUE(bitmap.Valid());
    TMemoryCanvas memory(40, 30);
    DrawScene(bitmap.Canvas());
    DrawScene(memory);
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            ASSERT_EQ(bitmap.Canvas().GetPixel(x, y), memory.GetPixel(x, y)) << "at " << x << "," << y;
        }
    }
    EXPECT_EQ(memory.GetPixel(5, 6), clBlack) << "AND with the black ramp column";
    EXPECT_EQ(memory.GetPixel(9, 6), RGBColor(200, 0, 100)) << "beside the copy";
    EXPECT_EQ(memory.GetPixel(1, 20), RGBColor(10, 235, 30)) << "XOR with green";
    EXPECT_EQ(memory.GetPixel(21, 10), RGBColor(0, 255, 0));
}

TEST(GdiCanvas, LinesLeaveOutTheirEndPointAndThickPensCoverMore) {
    TGdiBitmap bitmap(nullptr, 20, 20);
    TCanvas& c = bitmap.Canvas();
    c.Pen.Color = clWhite;
    c.Pen.Width = 1;
    c.MoveTo(2, 5);
    c.LineTo(10, 5);
    EXPECT_EQ(c.GetPixel(2, 5), clWhite);
    EXPECT_EQ(c.GetPixel(9, 5), clWhite);
    EXPECT_EQ(c.GetPixel(10, 5), clBlack);
    c.Pen.Width = 3;
    c.MoveTo(2, 12);
    c.LineTo(10, 12);
    EXPECT_EQ(c.GetPixel(5, 11), clWhite);
    EXPECT_EQ(c.GetPixel(5, 13), clWhite);
    // Coordinates far outside are clipped, not a hang or a crash.
    c.MoveTo(-2000000000, -2000000000);
    c.LineTo(2000000000, 2000000000);
}

TEST(GdiCanvas, WidePensTakeEachLinesColourEvenWhenReused) {
    TGdiBitmap bitmap(nullptr, 60, 20);
    ASSERT_TRUE(bitmap.Valid());
    TCanvas& c = bitmap.Canvas();
    // More colours than pens are kept, and colours coming back: every line must show its own.
    const TColor colours[] = {RGBColor(255, 0, 0), RGBColor(0, 255, 0), RGBColor(255, 0, 0), RGBColor(0, 0, 255),
                              RGBColor(9, 9, 9),   RGBColor(0, 255, 0), RGBColor(90, 0, 0),  RGBColor(255, 0, 0)};
    for (int i = 0; i < 8; ++i) {
        c.Pen.Color = colours[i];
        c.Pen.Width = 2 + i % 2;
        c.MoveTo(5 + i * 7, 2);
        c.LineTo(5 + i * 7, 18);
    }
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(c.GetPixel(5 + i * 7, 10), colours[i]) << "line " << i;
    }
}

TEST(GdiCanvas, BitmapsOfNoSizeAreHarmless) {
    TGdiBitmap empty(nullptr, 0, -5);
    EXPECT_EQ(empty.Width(), 0);
    EXPECT_EQ(empty.Height(), 0);
    empty.Canvas().Brush.Color = clWhite;
    empty.Canvas().FillRect({0, 0, 10, 10});
    empty.Canvas().SetPixel(1, 1, clWhite);
    EXPECT_EQ(empty.Canvas().GetPixel(1, 1), clBlack);
}

TEST(GdiCanvas, TextIsMeasuredWithTheFont) {
    TGdiBitmap bitmap(nullptr, 200, 40);
    TCanvas& c = bitmap.Canvas();
    c.Font = TFont{"MS Sans Serif", 13, true, clWhite};
    const int narrow = c.TextWidth("88");
    const int wide = c.TextWidth("88:88");
    EXPECT_GT(narrow, 0);
    EXPECT_GT(wide, narrow);
    EXPECT_GE(c.TextHeight("88"), 10);
    c.TextOut(2, 2, "88:88");
    bool drawn = false;
    for (int x = 0; x < 60 && !drawn; ++x) {
        for (int y = 0; y < 20 && !drawn; ++y) {
            drawn = c.GetPixel(x, y) != clBlack;
        }
    }
    EXPECT_TRUE(drawn);
}

}  // namespace

}  // namespace gdi_canvas_test
