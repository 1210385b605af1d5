#include "controls/ScrollText.h"

#include <algorithm>

#include "framework/Numbers.h"

namespace {

// What the raised, lowered or shadow copies add to a line's width and height.
std::int64_t StyleExtra(TTextStyle style, int depth) {
    switch (style) {
        case tsRaised:
        case tsLowered:
            return 2 * static_cast<std::int64_t>(depth);
        case tsShaddow:
            return depth;
        case tsNormal:
            break;
    }
    return 0;
}

}  // namespace

bool IsMovingDirection(int direction) {
    return direction >= sdRightToLeft && direction <= sdBottomToTop;
}

TScrollMetrics ComputeScrollMetrics(const TFontMetrics& font,
                                    const std::vector<int>& lineWidths,
                                    TTextStyle style,
                                    int depth,
                                    int width,
                                    int height) {
    const std::int64_t extra = StyleExtra(style, depth);
    TScrollMetrics m;
    m.LineHeight = Clamp32(static_cast<std::int64_t>(font.Height) + font.InternalLeading + extra);
    for (const int w : lineWidths) {
        m.MaxLineWidth = std::max(m.MaxLineWidth, Clamp32(w + extra));
    }
    m.BlockHeight = Clamp32(static_cast<std::int64_t>(lineWidths.size()) * m.LineHeight);
    m.BlockLeft = width > m.MaxLineWidth ? Clamp32((static_cast<std::int64_t>(width) - m.MaxLineWidth) / 2) : 0;
    m.BlockTop = height > m.BlockHeight ? Clamp32((static_cast<std::int64_t>(height) - m.BlockHeight) / 2) : 0;
    return m;
}

TPoint ScrollBlockOrigin(int direction, double f, const TScrollMetrics& metrics, int width, int height) {
    const double spanX = static_cast<double>(metrics.MaxLineWidth) + width;
    const double spanY = static_cast<double>(metrics.BlockHeight) + height;
    const auto enter = [](double v, int size) { return Clamp32(static_cast<std::int64_t>(Nearest(v)) - size); };
    switch (direction) {
        case sdRightToLeft:
            return {enter((1.0 - f) * spanX, metrics.MaxLineWidth), metrics.BlockTop};
        case sdLeftToRight:
            return {enter(f * spanX, metrics.MaxLineWidth), metrics.BlockTop};
        case sdTopToBottom:
            return {metrics.BlockLeft, enter(f * spanY, metrics.BlockHeight)};
        case sdBottomToTop:
            return {metrics.BlockLeft, enter((1.0 - f) * spanY, metrics.BlockHeight)};
        default:
            return {metrics.BlockLeft, metrics.BlockTop};
    }
}

int AlignmentOffset(TAlignment alignment, int maxLineWidth, int lineWidth) {
    switch (alignment) {
        case taCenter:
            return Nearest(maxLineWidth * 0.5 - lineWidth * 0.5);
        case taRightJustify:
            return Clamp32(static_cast<std::int64_t>(maxLineWidth) - lineWidth);
        case taLeftJustify:
            break;
    }
    return 0;
}

TCustomScrollText::TCustomScrollText() {
    // The timer starts disabled; the direction's setter starts it.
    SetScrollDirection(sdRightToLeft);
}

void TCustomScrollText::SetItems(const std::vector<std::string>& lines) {
    if (&lines != &Lines) {
        Lines = lines;
    }
    Refresh();
}

void TCustomScrollText::SetSteps(int steps) {
    StepCount = steps;
}

void TCustomScrollText::SetSpeed(int speed) {
    if (speed == SpeedMs) {
        return;
    }
    SpeedMs = std::clamp(speed, 1, 1000);
    ScrollTimerChanged();
}

void TCustomScrollText::SetContinuous(bool continuous) {
    if (continuous == IsContinuous) {
        return;
    }
    IsContinuous = continuous;
    if (IsMovingDirection(Direction)) {
        StartScroll(Step);
    }
}

void TCustomScrollText::SetScrollDirection(TScrollDirection direction) {
    Direction = direction;
    if (IsMovingDirection(Direction)) {
        StartScroll(Step);
    } else {
        StopScroll();
    }
}

void TCustomScrollText::SetAlignment(TAlignment alignment) {
    if (alignment != LineAlignment) {
        LineAlignment = alignment;
        Refresh();
    }
}

void TCustomScrollText::SetDepth(int depth) {
    if (depth != StyleDepth) {
        StyleDepth = depth;
        Refresh();
    }
}

void TCustomScrollText::SetTextStyle(TTextStyle style) {
    if (style != Style) {
        Style = style;
        Refresh();
    }
}

void TCustomScrollText::SetColor(TColor color) {
    if (color != Background) {
        Background = color;
        Refresh();
    }
}

void TCustomScrollText::SetFont(const TFont& font) {
    if (font.Name != TextFont.Name || font.Height != TextFont.Height || font.Bold != TextFont.Bold ||
        font.Color != TextFont.Color) {
        TextFont = font;
        Refresh();
    }
}

void TCustomScrollText::SetFontColor(TColor color) {
    TFont font = TextFont;
    font.Color = color;
    SetFont(font);
}

void TCustomScrollText::SetSize(int width, int height) {
    ControlWidth = std::max(width, 0);
    ControlHeight = std::max(height, 0);
}

void TCustomScrollText::Refresh() {
    // The metrics need a canvas with the font; the paint the repaint brings recomputes them.
    RequestRepaint();
}

void TCustomScrollText::UpdateMetrics(TCanvas& canvas) {
    canvas.Font = TextFont;
    std::vector<int> widths;
    widths.reserve(Lines.size());
    for (const std::string& line : Lines) {
        widths.push_back(canvas.TextWidth(line));
    }
    Block = ComputeScrollMetrics(canvas.FontMetrics(), widths, Style, StyleDepth, ControlWidth, ControlHeight);
}

void TCustomScrollText::Paint(TCanvas& surface) {
    const int w = ControlWidth;
    const int h = ControlHeight;
    if (w > 0 && h > 0 && (!Offscreen || Offscreen->Width() != w || Offscreen->Height() != h)) {
        Offscreen = surface.CreateBitmap(w, h);
    }
    if (w <= 0 || h <= 0 || !Offscreen) {
        UpdateMetrics(surface);
        return;
    }
    // Drawn on the off-screen canvas, which keeps its font from tick to tick: the surface is a new
    // canvas at every paint, and giving it the font would create and delete one per tick.
    TCanvas& canvas = Offscreen->Canvas();
    PaintPicture(canvas);
    surface.CopyMode = TCopyMode::Copy;
    surface.CopyRect({0, 0, w, h}, canvas, {0, 0, w, h});
}

void TCustomScrollText::PaintPicture(TCanvas& canvas) {
    const int w = ControlWidth;
    const int h = ControlHeight;
    UpdateMetrics(canvas);
    canvas.Brush.Color = Background;
    canvas.FillRect({0, 0, w, h});

    const double f = static_cast<double>(Step) / PassSteps();
    TPoint origin = ScrollBlockOrigin(Direction, f, Block, w, h);
    for (const std::string& line : Lines) {
        DrawLine(canvas, origin.X, origin.Y, line);
        origin.Y = Clamp32(static_cast<std::int64_t>(origin.Y) + Block.LineHeight);
    }
}

void TCustomScrollText::DrawLine(TCanvas& canvas, int x, int y, const std::string& line) {
    const int a = AlignmentOffset(LineAlignment, Block.MaxLineWidth, canvas.TextWidth(line));
    const int left = Clamp32(static_cast<std::int64_t>(x) + a);
    const int d = StyleDepth;
    const auto copy = [&](TColor color, int dx, int dy) {
        canvas.Font.Color = color;
        canvas.TextOut(Clamp32(static_cast<std::int64_t>(left) + dx), Clamp32(static_cast<std::int64_t>(y) + dy), line);
    };
    switch (Style) {
        case tsRaised:
            copy(HighlightColor, -d, -d);
            copy(ShadowColor, d, d);
            break;
        case tsLowered:
            copy(ShadowColor, -d, -d);
            copy(HighlightColor, d, d);
            break;
        case tsShaddow:
            copy(ShadowColor, d, d);
            break;
        case tsNormal:
            break;
    }
    copy(TextFont.Color, 0, 0);
}

void TCustomScrollText::SetTimerEnabled(bool enabled) {
    if (enabled != ScrollTimerEnabled) {
        ScrollTimerEnabled = enabled;
        ScrollTimerChanged();
    }
}

void TCustomScrollText::TimerTick() {
    if (!ScrollTimerEnabled) {
        return;
    }
    if (Step == 0 && OnBegin) {
        OnBegin(*this);
    }
    ++Step;
    PaintNow();
    if (OnStep) {
        OnStep(*this);
    }
    if (Step <= PassSteps()) {
        return;
    }
    SetTimerEnabled(false);
    if (OnEnd) {
        OnEnd(*this);
    }
    Step = 0;
    if (IsContinuous) {
        StartScroll(0);
    }
}

void TCustomScrollText::StartScroll(int startStep) {
    if (ScrollTimerEnabled) {
        return;
    }
    if (startStep >= 0 && startStep <= PassSteps()) {
        Step = startStep;
    }
    SetTimerEnabled(true);
}

void TCustomScrollText::StopScroll() {
    SetTimerEnabled(false);
}
