#include "effects/vumeterThread.h"

#include <algorithm>

#include "displaystate/BandLayout.h"

namespace {

// Where one channel's bar lies: lengths are measured from its base column, leftward for the left
// channel and rightward for the right one, always on the same rows.
struct TChannelGeometry {
    int Base;
    bool Leftward;
    int Top;
    int Bottom;

    // The stretch from length a to length b (a < b) on the bar's rows.
    TRect Span(int a, int b) const {
        if (Leftward) {
            return {Base - b, Top, Base - a, Bottom};
        }
        return {Base + a, Top, Base + b, Bottom};
    }
    // The column at length n from the base.
    int Column(int n) const { return Leftward ? Base - n : Base + n; }
};

}  // namespace

TVUMeterState& VUMeterState() {
    static TVUMeterState state;
    return state;
}

TvumeterThr::TvumeterThr(TCanvas* canvas) : TvumeterThr(canvas, DisplayState(), VisSettings(), VUMeterState()) {}

TvumeterThr::TvumeterThr(TCanvas* canvas, TDisplayState& display, const TVisSettings& settings, TVUMeterState& meter)
    : TEffectThread(canvas, settings.vuLatency), Display(display), Settings(settings), Meter(meter) {
    // A new meter starts on a freshly painted strip, whose blocks are at rest: peaks left from an
    // earlier display would be drawn far out and sink for seconds.
    Meter.VUTarget = {};
    Meter.VUDrawn = {};
    Meter.VUPeaks = {};
    Meter.RepaintsSeen = Display.VURepaints;
}

void TvumeterThr::DrawFrame() {
    if (Meter.RepaintsSeen != Display.VURepaints) {
        // A repaint of the strip painted the empty troughs and the blocks at rest: the bars start
        // again from there, or a steady bar would never be drawn again.
        Meter.RepaintsSeen = Display.VURepaints;
        Meter.VUDrawn = {};
        Meter.VUPeaks = {};
    }
    if (Canvas == nullptr) {
        Display.VULevels = {};
        return;
    }
    TCanvas& canvas = *Canvas;
    const int meterHeight = ClampLength(Settings.vumeterH);
    const int blockWidth = ClampLength(Settings.vuB);
    const TColor foreground = Settings.MeterForeground;
    const TColor background = Settings.MeterBackground;
    // A width of 0 would divide by zero: such bars are whole. A negative width still rounds the
    // level down to whole segments ((37 div -10) x -10 = 30); its separator count starts below 0,
    // so it cuts nothing there.
    const int segmentWidth = Settings.VUsegW;
    const bool segmented = Settings.vusegmented && segmentWidth != 0;
    // The window releases the ramp when it closes, possibly while a frame is still due: without
    // one the bars are drawn flat.
    const TBitmap* ramp = RampStyle(Settings.vustyle) == 0 ? nullptr : Display.VUBitmap.get();
    // A strip of 3 pixels or less has no bar rows: every span is then empty and draws nothing.
    const int top = 2;
    const int bottom = std::max(meterHeight - 1, top);
    const TChannelGeometry channels[2] = {
        {Display.VULeftRect.Right - 2, true, top, bottom},
        {Display.VURightRect.Left + 3, false, top, bottom},
    };

    for (int ch = 0; ch < 2; ++ch) {
        const TChannelGeometry& bar = channels[ch];
        // A negative level (a large vuB makes the render hook's bar length negative) would reach
        // across the middle into the other trough: it shows as an empty bar.
        const int level = ClampLength(Display.VULevels[ch]);
        Meter.VUTarget[ch] = segmented ? level / segmentWidth * segmentWidth : level;
        const int t = Meter.VUTarget[ch];
        const int d = Meter.VUDrawn[ch];

        if (d < t) {
            if (ramp == nullptr) {
                FillWith(canvas, bar.Span(0, t), foreground);
            } else {
                DrawFromRamp(canvas, bar.Span(d, t), ramp, foreground);
            }
            if (segmented && bottom - 1 > top) {
                canvas.Pen.Color = background;
                canvas.Pen.Width = 2;
                // Separators past the strip's edge are invisible; with an odd vuB the level can be
                // long enough that drawing them all would stall the window thread.
                const int visible = std::max(0, bar.Leftward ? bar.Base + 1 : Display.MainPanelRight - bar.Base + 1);
                for (int k = std::min(t, visible) / segmentWidth; k >= 0; --k) {
                    const int x = bar.Column(segmentWidth * k);
                    canvas.MoveTo(x, top);
                    canvas.LineTo(x, bottom - 1);
                }
            }
        } else if (t < d) {
            FillWith(canvas, bar.Span(t, d), background);
        }

        if (Settings.Enhvu) {
            int p = Meter.VUPeaks[ch];
            if (p < t) {
                // A small rise leaves the old block in the new 3-pixel gap beyond the bar.
                if (t < p + blockWidth + 3) {
                    FillWith(canvas, bar.Span(t, t + 3), background);
                }
                p = t;
                Meter.VUPeaks[ch] = p;
                DrawFromRamp(canvas, bar.Span(p + 3, p + 3 + blockWidth), ramp, foreground);
            } else if (p > t) {
                FillWith(canvas, bar.Span(p + blockWidth + 2, p + blockWidth + 3), background);
                --p;
                Meter.VUPeaks[ch] = p;
                DrawFromRamp(canvas, bar.Span(p + 3, p + 3 + blockWidth), ramp, foreground);
            }
        }

        Meter.VUDrawn[ch] = t;
        Display.VULevels[ch] = 0;
    }
}
