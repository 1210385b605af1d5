// The scrolling text with real fonts: GDI paints what the memory backend paints around the text
// and puts the text where the block's metrics say; on a panel, the timer's ticks move it.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "controls/ScrollTextWindow.h"
#include "framework/MemoryCanvas.h"
#include "framework/win32/GdiCanvas.h"

namespace scroll_text_window_test {

namespace {

constexpr TColor Back = RGBColor(0, 0, 96);
constexpr TColor Ink = RGBColor(0, 255, 0);
constexpr TColor Shade = RGBColor(200, 0, 0);
constexpr int W = 200;
constexpr int H = 24;

class TSteppedText : public TCustomScrollText {
public:
    TSteppedText() {
        SetSize(W, H);
        SetColor(Back);
        SetFont({"Arial", 13, false, Ink});
        ShadowColor = Shade;
        Items() = {"Skyburst"};
        SetSteps(4);
    }
};

// The smallest rectangle holding every pixel of colour c; empty when there is none.
TRect Extent(const TCanvas& canvas, TColor c) {
    TRect r{canvas.Width(), canvas.Height(), 0, 0};
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            if (canvas.GetPixel(x, y) == c) {
                r = {std::min(r.Left, x), std::min(r.Top, y), std::max(r.Right, x + 1), std::max(r.Bottom, y + 1)};
            }
        }
    }
    return r;
}

bool Inside(const TRect& inner, const TRect& outer) {
    return inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Right <= outer.Right &&
           inner.Bottom <= outer.Bottom;
}

}  // namespace

TEST(ScrollTextGdi, TextLiesInItsBlockAndTheRestIsBackground) {
    for (const TScrollDirection direction : {sdStatic, sdRightToLeft, sdTopToBottom}) {
        TSteppedText gdiText;
        TSteppedText memoryText;
        TGdiBitmap bitmap(nullptr, W, H);
        ASSERT_TRUE(bitmap.Valid());
        TMemoryCanvas memory(W, H);
        for (TSteppedText* t : {&gdiText, &memoryText}) {
            t->SetTextStyle(tsShaddow);
            t->TimerTick();  // a quarter of the pass; a static text stays centred
            t->SetScrollDirection(direction);
        }
        gdiText.Paint(bitmap.Canvas());
        memoryText.Paint(memory);
        for (const auto& [canvas, text] :
             {std::pair<const TCanvas*, TSteppedText*>{&bitmap.Canvas(), &gdiText}, {&memory, &memoryText}}) {
            const TScrollMetrics& m = text->Metrics();
            const TPoint origin = ScrollBlockOrigin(direction, 0.25, m, W, H);
            const TRect block{origin.X, origin.Y, origin.X + m.MaxLineWidth, origin.Y + m.LineHeight};
            const TRect ink = Extent(*canvas, Ink);
            ASSERT_FALSE(ink.IsEmpty()) << "direction " << int(direction);
            EXPECT_TRUE(Inside(ink, block)) << "direction " << int(direction) << ": ink " << ink.Left << "," << ink.Top
                                            << "-" << ink.Right << "," << ink.Bottom << " block " << block.Left << ","
                                            << block.Top << "-" << block.Right << "," << block.Bottom;
            const TRect shade = Extent(*canvas, Shade);
            EXPECT_GT(shade.Right, ink.Right) << "the shadow lies below right";
            EXPECT_GT(shade.Bottom, ink.Bottom);
            for (int y = 0; y < H; ++y) {
                for (int x = 0; x < W; ++x) {
                    if (x < block.Left || x >= block.Right || y < block.Top || y >= block.Bottom) {
                        ASSERT_EQ(canvas->GetPixel(x, y), Back) << "outside the block at " << x << "," << y;
                    }
                }
            }
        }
        EXPECT_GT(gdiText.Metrics().LineHeight, 13) << "cell height plus internal leading of a real font";
    }
}

TEST(ScrollTextWindow, TimerTicksPaintOnTheParentPanel) {
    TPanel panel;
    ASSERT_TRUE(panel.CreateTopLevel(WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, {0, 0, 300, 40}, nullptr, ""));
    panel.Color = RGBColor(50, 50, 50);
    {
        TScrollText text;
        ASSERT_TRUE(text.Create(panel));
        text.SetBounds(20, 8, W, H);
        text.SetColor(Back);
        text.SetFont({"Arial", 13, false, Ink});
        text.Items() = {"Skyburst"};
        text.SetSteps(3);
        text.SetSpeed(10);
        text.SetContinuous(false);
        int steps = 0;
        int ends = 0;
        text.OnStep = [&](TCustomScrollText&) { ++steps; };
        text.OnEnd = [&](TCustomScrollText&) { ++ends; };
        // A bounded wait for the pass, not a measurement of it.
        for (int round = 0; round < 500 && ends == 0; ++round) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageA(&msg);
            }
            Sleep(5);
        }
        EXPECT_EQ(ends, 1);
        EXPECT_EQ(steps, 4) << "a pass of 3 steps takes 4 ticks";
        EXPECT_FALSE(text.TimerEnabled());

        text.SetScrollDirection(sdStatic);  // centred, for the pixels below
        text.Repaint();
        WindowDc dc(panel.Handle());
        TGdiCanvas surface(dc.Get(), 300, 40);
        EXPECT_EQ(surface.GetPixel(21, 9), Back) << "the control's own background";
        EXPECT_EQ(surface.GetPixel(5, 5), RGBColor(50, 50, 50)) << "the panel around it is untouched";
        const TRect ink = Extent(surface, Ink);
        EXPECT_FALSE(ink.IsEmpty());
        EXPECT_TRUE(Inside(ink, {20, 8, 20 + W, 8 + H})) << "clipped to the control";
    }
    panel.Destroy();
    TWindow::UnregisterClasses();
}

}  // namespace scroll_text_window_test
