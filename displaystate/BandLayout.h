#pragma once
// The geometry the bar renderers draw into and the ramps they copy from: the 36 band cells at the
// bottom of the main area, the two VU troughs, the colour ramps that give the bars their rounded
// look, and the static paint (background, troughs, resting peak blocks) of both paint boxes.
// Every function takes its inputs explicitly so that it runs on a memory canvas in tests.

#include <cstdint>

#include "displaystate/DisplayState.h"
#include "framework/Graphics.h"
#include "settings/VisSettings.h"

// Any length derived from plugin.ini is clamped to this before arithmetic: far beyond every
// screen, yet small enough that sums of a few such lengths never overflow 32 bits.
constexpr std::int32_t MaxDrawLength = 1 << 16;

// The ramps repeat along their uniform direction, so they never need more rows than this; an
// absurd MaxSpectrumH or vumeterH must not allocate a bitmap the size of its value.
constexpr int MaxRampRows = 1024;

// Clamps an untrusted length into 0..MaxDrawLength.
std::int32_t ClampLength(std::int32_t v);

// The look of a bar: 0 flat, 1 ramp toward white, 2 ramp toward black. A hand-edited style
// below 0 is flat (no ramp is ever built for it) and anything above 2 fades to black.
int RampStyle(std::int32_t style);

// Lays the 36 band cells out beside the images that sit at the bottom of the main area. The
// widths are those of GIFImage1 and GIFImage2 as loaded (0 when an image is absent); imageSet 0
// (or any value but 1 and 2) means no images.
void LayoutSpectrum(TDisplayState& state,
                    const TVisSettings& settings,
                    int imageSet,
                    int gifImage1Width,
                    int gifImage2Width);

// True when a band cell is at least one pixel wide. Narrower layouts (SpectrumWidth under 108)
// have no bars, no ramp and no peak blocks.
bool HasBandCells(const TDisplayState& state);

// Band cell k (0..35) between rows top and bottom; right is exclusive and leaves the 2-pixel gap.
TRect BandCell(const TDisplayState& state, int k, int top, int bottom);

// A symmetric gradient from base at both edges toward white (style 1) or black (style 2) in the
// middle, varying along x when horizontal and along y otherwise. Null when the style is flat or
// either size is not positive.
std::unique_ptr<TBitmap> BuildRamp(const TCanvas& compatible,
                                   int width,
                                   int height,
                                   TColor base,
                                   int style,
                                   bool horizontal);

// Replaces SpectrumBitmap: BandWidth - 2 wide and MaxSpectrumH high, or none when the style is
// flat or the cells are too narrow.
void BuildSpectrumBitmap(TDisplayState& state, const TVisSettings& settings, const TCanvas& compatible);

// Replaces VUBitmap: Trunc(MainPanelRight / 2 - 7) wide and vuPanelHeight - 3 high, or none.
void BuildVUBitmap(TDisplayState& state, const TVisSettings& settings, const TCanvas& compatible, int vuPanelHeight);

// Fills dest with copies of ramp's top-left corner, tiled when dest is larger than the ramp (its
// rows, or columns, repeat, so tiling only matters for clamped ramps), or with flat when there is
// no ramp. Bars and blocks are drawn through here so that a released ramp never crashes a frame.
void DrawFromRamp(TCanvas& canvas, const TRect& dest, const TBitmap* ramp, TColor flat);

// Fills r with colour; an empty rectangle draws nothing.
void FillWith(TCanvas& canvas, const TRect& r, TColor colour);

// The body of mainPaintboxPaint: the background over the whole panel, BandHeights and VULevels
// back to 0, and the resting peak blocks when enhanced bars are on. Counts the repaint in
// MainRepaints, so that the spectrum renderer knows its bars are gone.
void PaintMain(TCanvas& main,
               int mainPanelWidth,
               int mainPanelHeight,
               TDisplayState& state,
               const TVisSettings& settings);

// The body of vuPaintboxPaint: rebuilds VUBitmap (3D styles), sets and paints the two troughs with
// their optional outline, and draws the resting peak blocks when the enhanced meter is on. Counts
// the repaint in VURepaints, so that the meter knows its bars are gone.
// vuPanelHeight is the VU strip's height (vumeterH once the strip is sized).
void PaintVUFrame(TCanvas& vu, TDisplayState& state, const TVisSettings& settings, int vuPanelHeight);
