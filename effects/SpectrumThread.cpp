#include "effects/SpectrumThread.h"

#include "displaystate/BandLayout.h"

TSpectrumBarsState& SpectrumBarsState() {
    static TSpectrumBarsState state;
    return state;
}

TSpectrumThr::TSpectrumThr(TCanvas* canvas)
    : TSpectrumThr(canvas, DisplayState(), VisSettings(), SpectrumBarsState()) {}

TSpectrumThr::TSpectrumThr(TCanvas* canvas,
                           TDisplayState& display,
                           const TVisSettings& settings,
                           TSpectrumBarsState& bars)
    : TEffectThread(canvas, settings.SpectrumsLatency), Display(display), Settings(settings), Bars(bars) {
    Display.BandHeights = {};
    Bars.BarDrawn = {};
    Bars.BarPeaks = {};
    Bars.RepaintsSeen = Display.MainRepaints;
}

void TSpectrumThr::DrawFrame() {
    if (Bars.RepaintsSeen != Display.MainRepaints) {
        // A repaint of the main area painted the background over every bar and the blocks at
        // rest. The bars start again from there, or a steady bar, which never rises past the
        // height remembered from before, would never be drawn again.
        Bars.RepaintsSeen = Display.MainRepaints;
        Bars.BarDrawn = {};
        Bars.BarPeaks = {};
    }
    if (Canvas == nullptr || !HasBandCells(Display)) {
        // Cells under 1 pixel wide have no bars to draw; the heights are still consumed so that
        // the render hook does not keep adding onto them.
        Display.BandHeights = {};
        return;
    }
    TCanvas& canvas = *Canvas;
    const int h = ClampLength(Display.MainPanelHeight);
    const int blockRows = ClampLength(Settings.BarB);
    const TColor barColour = Settings.Spectrums;
    const TColor background = Settings.Background;
    // The window releases the ramp when it closes, possibly while a frame is still due: without
    // one the bars are drawn flat.
    const TBitmap* ramp = RampStyle(Settings.SpectrumStyle) == 0 ? nullptr : Display.SpectrumBitmap.get();

    for (int i = 0; i < BandCount; ++i) {
        // Heights are capped by the render hook, but an odd MaxSpectrumH can make them negative.
        const int cur = ClampLength(Display.BandHeights[i]);
        const int prev = Bars.BarDrawn[i];
        const TRect cell = BandCell(Display, i, 0, 0);
        const int left = cell.Left;
        const int right = cell.Right;

        if (prev < cur) {
            DrawFromRamp(canvas, {left, h - cur, right, h - prev}, ramp, barColour);
        } else if (cur < prev) {
            // One column wider than the bar: the gap's first column is cleared too.
            FillWith(canvas, {left, h - prev, right + 1, h - cur}, background);
        }

        if (Settings.EnhSpect) {
            int p = Bars.BarPeaks[i];
            if (p < cur) {
                // A small rise leaves the old block in the new 3-row gap above the bar.
                if (cur < p + blockRows + 3) {
                    FillWith(canvas, {left, h - cur - 3, right, h - cur}, background);
                }
                p = cur;
                Bars.BarPeaks[i] = p;
                DrawFromRamp(canvas, {left, h - p - blockRows - 3, right, h - p - 3}, ramp, barColour);
            } else if (p > cur) {
                FillWith(canvas, {left, h - p - blockRows - 3, right, h - p - blockRows - 2}, background);
                --p;
                Bars.BarPeaks[i] = p;
                if (ramp != nullptr) {
                    DrawFromRamp(canvas, {left, h - p - blockRows - 3, right, h - p - 3}, ramp, barColour);
                } else {
                    // A flat block only needs its new bottom row.
                    FillWith(canvas, {left, h - p - 4, right, h - p - 3}, barColour);
                }
            }
        }

        Bars.BarDrawn[i] = cur;
        Display.BandHeights[i] = 0;
    }
}
