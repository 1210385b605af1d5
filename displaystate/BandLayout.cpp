#include "displaystate/BandLayout.h"

#include <algorithm>
#include <array>

namespace {

bool IsBottomAligned(std::int32_t align) {
    return align == 2 || align == 3;
}

// What a user image set takes from the band area, and where the bands then start.
void FitUserImages(std::int64_t& available,
                   std::int64_t& left,
                   std::int32_t alignA,
                   std::int32_t alignB,
                   std::int64_t widthA,
                   std::int64_t widthB) {
    if (IsBottomAligned(alignA)) {
        available -= widthA;
    }
    if (IsBottomAligned(alignB)) {
        available -= widthB;
    }
    if (alignA == 2) {
        left = widthA;
    } else if (alignB == 2) {
        left = widthB;
    } else {
        left = 0;
    }
}

// Start of the tile that holds position `from` when tiles of size step start at origin.
int TileStart(int origin, int from, int step) {
    if (from <= origin) {
        return origin;
    }
    return origin + (from - origin) / step * step;
}

}  // namespace

std::int32_t ClampLength(std::int32_t v) {
    return std::clamp<std::int32_t>(v, 0, MaxDrawLength);
}

int RampStyle(std::int32_t style) {
    return std::clamp<std::int32_t>(style, 0, 2);
}

void LayoutSpectrum(TDisplayState& state,
                    const TVisSettings& settings,
                    int imageSet,
                    int gifImage1Width,
                    int gifImage2Width) {
    const std::int64_t width1 = ClampLength(gifImage1Width);
    const std::int64_t width2 = ClampLength(gifImage2Width);
    const bool builtIn = settings.LoadGif == "Default";
    std::int64_t available = state.MainPanelRight;
    std::int64_t left = 0;
    if (imageSet == 1) {
        if (builtIn) {
            available -= width1;
        } else {
            FitUserImages(available, left, settings.GifAlign1A, settings.GifAlign1B, width1, width2);
        }
    } else if (imageSet == 2) {
        if (builtIn) {
            available -= width1 + width2;
            left = width2;
        } else {
            FitUserImages(available, left, settings.GifAlign2A, settings.GifAlign2B, width1, width2);
        }
    }
    // Images wider than the panel leave no room rather than a negative width.
    const auto width = static_cast<std::int32_t>(std::clamp<std::int64_t>(available, 0, MaxDrawLength));
    state.SpectrumLeft = static_cast<std::int32_t>(left);
    state.SpectrumWidth = width;
    state.BandWidth = width / BandCount;
    state.BandMargin = (width % BandCount) / 2;
}

bool HasBandCells(const TDisplayState& state) {
    return state.BandWidth > 2;
}

TRect BandCell(const TDisplayState& state, int k, int top, int bottom) {
    const int left = k * state.BandWidth + state.SpectrumLeft + state.BandMargin;
    return {left, top, left + state.BandWidth - 2, bottom};
}

std::unique_ptr<TBitmap> BuildRamp(const TCanvas& compatible,
                                   int width,
                                   int height,
                                   TColor base,
                                   int style,
                                   bool horizontal) {
    if (style <= 0 || width <= 0 || height <= 0) {
        return nullptr;
    }
    auto ramp = compatible.CreateBitmap(width, height);
    TCanvas& canvas = ramp->Canvas();
    const bool towardWhite = style == 1;
    const int extent = horizontal ? width : height;
    std::array<int, 3> colour = {RedOf(base), GreenOf(base), BlueOf(base)};
    std::array<int, 3> step{};
    for (int c = 0; c < 3; ++c) {
        const int delta = towardWhite ? 255 - colour[c] : colour[c];
        step[c] = static_cast<int>(static_cast<double>(delta) / extent * 0.9);
    }
    // Each pass paints the strip pair at the ramp's edges one step further from the base; a
    // shrinking filled rectangle would give the same picture at quadratic cost.
    const int passes = extent / 2 + 1;
    for (int i = 0; i < passes; ++i) {
        canvas.Brush.Color = RGBColor(colour[0], colour[1], colour[2]);
        const int far = extent - 1 - i;
        if (far < i) {
            break;
        }
        if (horizontal) {
            canvas.FillRect({i, 0, i + 1, height});
            canvas.FillRect({far, 0, far + 1, height});
        } else {
            canvas.FillRect({0, i, width, i + 1});
            canvas.FillRect({0, far, width, far + 1});
        }
        for (int c = 0; c < 3; ++c) {
            colour[c] = std::clamp(towardWhite ? colour[c] + step[c] : colour[c] - step[c], 0, 255);
        }
    }
    return ramp;
}

void BuildSpectrumBitmap(TDisplayState& state, const TVisSettings& settings, const TCanvas& compatible) {
    state.SpectrumBitmap.reset();
    if (!HasBandCells(state)) {
        return;  // no cells to draw, and a ramp of width 0 would divide by zero
    }
    // Every row of this ramp is alike, so its height only needs to cover the bars it serves.
    const int height = std::min<std::int32_t>(settings.MaxSpectrumH, MaxRampRows);
    state.SpectrumBitmap =
        BuildRamp(compatible, state.BandWidth - 2, height, settings.Spectrums, RampStyle(settings.SpectrumStyle), true);
}

void BuildVUBitmap(TDisplayState& state, const TVisSettings& settings, const TCanvas& compatible, int vuPanelHeight) {
    state.VUBitmap.reset();
    const int width = static_cast<int>(state.MainPanelRight * 0.5 - 3 - 4);
    const int height = std::min<std::int32_t>(ClampLength(vuPanelHeight) - 3, MaxRampRows);
    state.VUBitmap = BuildRamp(compatible, width, height, settings.MeterForeground, RampStyle(settings.vustyle), false);
}

void FillWith(TCanvas& canvas, const TRect& r, TColor colour) {
    if (r.IsEmpty()) {
        return;
    }
    canvas.Brush.Color = colour;
    canvas.FillRect(r);
}

void DrawFromRamp(TCanvas& canvas, const TRect& dest, const TBitmap* ramp, TColor flat) {
    if (dest.IsEmpty()) {
        return;
    }
    if (ramp == nullptr || ramp->Width() <= 0 || ramp->Height() <= 0) {
        FillWith(canvas, dest, flat);
        return;
    }
    canvas.CopyMode = TCopyMode::Copy;
    const int tileWidth = ramp->Width();
    const int tileHeight = ramp->Height();
    if (dest.Width() <= tileWidth && dest.Height() <= tileHeight) {
        canvas.CopyRect(dest, ramp->Canvas(), {0, 0, dest.Width(), dest.Height()});
        return;
    }
    // Larger than the ramp: repeat it, but only over the visible part so that an untrusted
    // length cannot turn into thousands of copies.
    const int right = std::min(dest.Right, canvas.Width());
    const int bottom = std::min(dest.Bottom, canvas.Height());
    for (int y = TileStart(dest.Top, 0, tileHeight); y < bottom; y += tileHeight) {
        const int rows = std::min(tileHeight, dest.Bottom - y);
        for (int x = TileStart(dest.Left, 0, tileWidth); x < right; x += tileWidth) {
            const int columns = std::min(tileWidth, dest.Right - x);
            canvas.CopyRect({x, y, x + columns, y + rows}, ramp->Canvas(), {0, 0, columns, rows});
        }
    }
}

void PaintMain(TCanvas& main,
               int mainPanelWidth,
               int mainPanelHeight,
               TDisplayState& state,
               const TVisSettings& settings) {
    FillWith(main, {0, 0, mainPanelWidth, mainPanelHeight}, settings.Background);
    state.VULevels = {};
    state.BandHeights = {};
    ++state.MainRepaints;
    if (!settings.EnhSpect || !settings.SpectrumsEnabled || !HasBandCells(state)) {
        return;
    }
    const int blockRows = ClampLength(settings.BarB);
    const TBitmap* ramp = RampStyle(settings.SpectrumStyle) == 0 ? nullptr : state.SpectrumBitmap.get();
    for (int k = 0; k < BandCount; ++k) {
        DrawFromRamp(main, BandCell(state, k, mainPanelHeight - blockRows - 3, mainPanelHeight - 3), ramp,
                     settings.Spectrums);
    }
}

void PaintVUFrame(TCanvas& vu, TDisplayState& state, const TVisSettings& settings, int vuPanelHeight) {
    const int style = RampStyle(settings.vustyle);
    if (style > 0 && settings.vuEnabled) {
        BuildVUBitmap(state, settings, vu, vuPanelHeight);
    }
    // A strip lower than 1 pixel still gets troughs, empty ones rather than upside-down ones.
    const int meterHeight = ClampLength(settings.vumeterH);
    const int troughBottom = std::max(meterHeight - 1, 0);
    const TColor white = RGBColor(255, 255, 255);
    const TColor grey = RGBColor(128, 128, 128);
    vu.Pen.Width = 1;
    ++state.VURepaints;

    TRect& l = state.VULeftRect;
    l = {0, 0, static_cast<int>(state.MainPanelRight * 0.5 - 3), troughBottom};
    FillWith(vu, l, settings.MeterBackground);
    if (settings.vuOutline) {
        const TPoint light[] = {{l.Left, l.Bottom}, {l.Left, l.Top}, {l.Right, l.Top}};
        const TPoint shade[] = {{l.Left, l.Bottom}, {l.Right, l.Bottom}, {l.Right, l.Top}};
        vu.Pen.Color = white;
        vu.Polyline(light, 3);
        vu.Pen.Color = grey;
        vu.Polyline(shade, 3);
    }

    TRect& r = state.VURightRect;
    r = {static_cast<int>(state.MainPanelRight * 0.5 + 3), 0, state.MainPanelRight, troughBottom};
    FillWith(vu, r, settings.MeterBackground);
    if (settings.vuOutline) {
        const TPoint light[] = {{r.Left, r.Top}, {r.Right, r.Top}, {r.Right, r.Bottom}};
        const TPoint shade[] = {{r.Left, r.Top}, {r.Left, r.Bottom}, {r.Right, r.Bottom}};
        vu.Pen.Color = white;
        vu.Polyline(light, 3);
        vu.Pen.Color = grey;
        vu.Polyline(shade, 3);
    }

    if (!settings.Enhvu) {
        return;
    }
    const int blockWidth = ClampLength(settings.vuB);
    const TBitmap* ramp = style == 0 ? nullptr : state.VUBitmap.get();
    DrawFromRamp(vu, {l.Right - blockWidth - 5, 2, l.Right - 5, troughBottom}, ramp, settings.MeterForeground);
    DrawFromRamp(vu, {r.Left + 6, 2, r.Left + blockWidth + 6, troughBottom}, ramp, settings.MeterForeground);
}
