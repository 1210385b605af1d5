#pragma once
// The scrolling text control: a list of lines that stands still or moves across the control's
// area, one step per timer tick, in plain, raised, lowered or shadowed lettering.
//
// TCustomScrollText holds all of the behaviour and draws through TCanvas; it knows its timer
// only as a state (enabled, interval) and leaves the real timer, the repaint requests and the
// surface to paint on to the window side (TScrollText), so that it runs natively under test.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Graphics.h"

enum TScrollDirection : std::uint8_t {
    sdStatic = 0,
    sdRightToLeft = 1,
    sdLeftToRight = 2,
    sdTopToBottom = 3,
    sdBottomToTop = 4,
};

enum TTextStyle : std::uint8_t { tsNormal = 0, tsRaised = 1, tsLowered = 2, tsShaddow = 3 };

// Value 0 is centre, not left.
enum TAlignment : std::uint8_t { taCenter = 0, taLeftJustify = 1, taRightJustify = 2 };

// True for the four directions that move; any other value stands still.
bool IsMovingDirection(int direction);

struct TScrollMetrics {
    int LineHeight = 0;
    int MaxLineWidth = 0;
    int BlockHeight = 0;
    int BlockLeft = 0;
    int BlockTop = 0;
};

// The text block's metrics from the font's metrics and the plain widths of the lines.
TScrollMetrics ComputeScrollMetrics(const TFontMetrics& font,
                                    const std::vector<int>& lineWidths,
                                    TTextStyle style,
                                    int depth,
                                    int width,
                                    int height);

// Top-left corner of the text block at fraction f of a pass in a control of width x height.
TPoint ScrollBlockOrigin(int direction, double f, const TScrollMetrics& metrics, int width, int height);

// Offset of a line of plain width lineWidth inside a block maxLineWidth wide.
int AlignmentOffset(TAlignment alignment, int maxLineWidth, int lineWidth);

class TCustomScrollText {
public:
    using TNotifyEvent = std::function<void(TCustomScrollText& sender)>;

    TCustomScrollText();
    TCustomScrollText(const TCustomScrollText&) = delete;
    TCustomScrollText& operator=(const TCustomScrollText&) = delete;
    virtual ~TCustomScrollText() = default;

    // The lines; changing them here directly shows at the next paint.
    std::vector<std::string>& Items() { return Lines; }
    const std::vector<std::string>& Items() const { return Lines; }
    void SetItems(const std::vector<std::string>& lines);

    int Steps() const { return StepCount; }
    void SetSteps(int steps);
    int Speed() const { return SpeedMs; }
    void SetSpeed(int speed);
    bool Continuous() const { return IsContinuous; }
    void SetContinuous(bool continuous);
    TScrollDirection ScrollDirection() const { return Direction; }
    void SetScrollDirection(TScrollDirection direction);
    TAlignment Alignment() const { return LineAlignment; }
    void SetAlignment(TAlignment alignment);
    int Depth() const { return StyleDepth; }
    void SetDepth(int depth);
    TTextStyle TextStyle() const { return Style; }
    void SetTextStyle(TTextStyle style);
    TColor Color() const { return Background; }
    void SetColor(TColor color);
    const TFont& Font() const { return TextFont; }
    void SetFont(const TFont& font);
    void SetFontColor(TColor color);

    // The colours of the raised, lowered and shadow copies (the system's button colours).
    TColor HighlightColor = clWhite;
    TColor ShadowColor = RGBColor(160, 160, 160);

    TNotifyEvent OnBegin;
    TNotifyEvent OnStep;
    TNotifyEvent OnEnd;

    int Width() const { return ControlWidth; }
    int Height() const { return ControlHeight; }
    void SetSize(int width, int height);

    int CurrentStep() const { return Step; }
    const TScrollMetrics& Metrics() const { return Block; }
    // Lets the off-screen picture go (the next paint makes a new one).
    void ReleasePaintCache() { Offscreen.reset(); }
    bool TimerEnabled() const { return ScrollTimerEnabled; }

    // Draws the whole control on surface at (0, 0) through an off-screen bitmap.
    void Paint(TCanvas& surface);
    // Draws the whole control straight on canvas at (0, 0): for a canvas that is off screen itself
    // and kept from paint to paint, as the off-screen bitmap is.
    void PaintPicture(TCanvas& canvas);
    // One step of the animation; the timer calls it.
    void TimerTick();
    void StartScroll(int startStep);
    void StopScroll();

protected:
    // The window side: the timer's state changed, a repaint is wanted, or a paint is due now.
    virtual void ScrollTimerChanged() {}
    virtual void RequestRepaint() {}
    virtual void PaintNow() {}

private:
    void Refresh();
    void UpdateMetrics(TCanvas& canvas);
    void DrawLine(TCanvas& canvas, int x, int y, const std::string& line);
    void SetTimerEnabled(bool enabled);
    // The steps a pass takes: Steps below 1 would divide by zero, so such a pass counts as one
    // step, for its positions and its length alike.
    int PassSteps() const { return std::max(StepCount, 1); }

    TAlignment LineAlignment = taCenter;
    TTextStyle Style = tsNormal;
    TScrollDirection Direction = sdStatic;
    bool ScrollTimerEnabled = false;
    std::vector<std::string> Lines{"ScrollText"};
    TColor Background = RGBColor(240, 240, 240);
    bool IsContinuous = true;
    TFont TextFont{"Arial", 13, false, clBlack};
    int StepCount = 80;
    int SpeedMs = 100;
    int StyleDepth = 1;
    int Step = 0;
    TScrollMetrics Block;
    int ControlWidth = 200;
    int ControlHeight = 20;
    // The off-screen picture of the last paint, kept while the size stays: a tick repaints many
    // times a second, and making a bitmap, its DC and its font each time is what it would cost.
    std::unique_ptr<TBitmap> Offscreen;
};
