#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/ScrollText.h"
#include "framework/MemoryCanvas.h"

namespace scroll_text_test {

namespace {

constexpr TColor Back = RGBColor(0, 0, 80);
constexpr TColor Ink = RGBColor(0, 255, 0);
constexpr TColor Light = RGBColor(255, 255, 255);
constexpr TColor Dark = RGBColor(90, 90, 90);

// A scroll text whose timer is a flag and whose immediate paints land on a memory surface.
class TProbe : public TCustomScrollText {
public:
    explicit TProbe(int width = 12, int height = 6) : Surface(width, height) {
        SetSize(width, height);
        SetColor(Back);
        SetFont({"Cells", 2, false, Ink});
        HighlightColor = Light;
        ShadowColor = Dark;
        OnBegin = [this](TCustomScrollText&) { Events += 'B'; };
        OnStep = [this](TCustomScrollText&) { Events += 's'; };
        OnEnd = [this](TCustomScrollText&) { Events += 'E'; };
    }
    TMemoryCanvas Surface;
    std::string Events;
    int TimerChanges = 0;

protected:
    void ScrollTimerChanged() override { ++TimerChanges; }
    void PaintNow() override { Paint(Surface); }
};

// The surface as text: '.' background, 'T' text, 'h' highlight, 's' shadow, '?' anything else.
std::vector<std::string> Picture(const TCanvas& c) {
    std::vector<std::string> rows;
    for (int y = 0; y < c.Height(); ++y) {
        std::string row;
        for (int x = 0; x < c.Width(); ++x) {
            const TColor p = c.GetPixel(x, y);
            row += p == Back ? '.' : p == Ink ? 'T' : p == Light ? 'h' : p == Dark ? 's' : '?';
        }
        rows.push_back(row);
    }
    return rows;
}

}  // namespace

TEST(ScrollText, BlockPositionsAtTheEndsOfAPass) {
    TScrollMetrics m;
    m.MaxLineWidth = 30;
    m.BlockHeight = 10;
    m.BlockLeft = 35;
    m.BlockTop = 5;
    struct Case {
        int direction;
        double f;
        int x, y;
    };
    const Case cases[] = {
        {sdRightToLeft, 0, 100, 5},    {sdRightToLeft, 1, -30, 5},
        {sdLeftToRight, 0, -30, 5},    {sdLeftToRight, 1, 100, 5},
        {sdTopToBottom, 0, 35, -10},   {sdTopToBottom, 1, 35, 20},
        {sdBottomToTop, 0, 35, 20},    {sdBottomToTop, 1, 35, -10},
        {sdStatic, 0.5, 35, 5},        {255, 0.5, 35, 5},  // a direction out of range stands still
        {sdLeftToRight, 0.25, 2, 5},                       // 32.5 rounds to the even 32
        {sdTopToBottom, 0.25, 35, -2},                     // 7.5 rounds to the even 8
    };
    for (const auto& c : cases) {
        const TPoint p = ScrollBlockOrigin(c.direction, c.f, m, 100, 20);
        EXPECT_EQ(p.X, c.x) << "direction " << c.direction << " f " << c.f;
        EXPECT_EQ(p.Y, c.y) << "direction " << c.direction << " f " << c.f;
    }
}

TEST(ScrollText, MetricsAddTheStyleDepth) {
    struct Case {
        TTextStyle style;
        std::vector<int> widths;
        int width;
        int lineHeight, maxWidth, blockHeight, blockLeft, blockTop;
    };
    const Case cases[] = {
        {tsNormal, {40, 60}, 200, 15, 60, 30, 70, 0}, {tsRaised, {40, 60}, 200, 19, 64, 38, 68, 0},
        {tsLowered, {40}, 200, 19, 44, 19, 78, 0},    {tsShaddow, {40}, 200, 17, 42, 17, 79, 1},
        {tsNormal, {250}, 200, 15, 250, 15, 0, 2},  // wider than the control: from the left edge
        {tsNormal, {}, 200, 15, 0, 0, 100, 10},     // no lines
    };
    for (const auto& c : cases) {
        const TScrollMetrics m = ComputeScrollMetrics({13, 2}, c.widths, c.style, 2, c.width, 20);
        EXPECT_EQ(m.LineHeight, c.lineHeight) << int(c.style);
        EXPECT_EQ(m.MaxLineWidth, c.maxWidth) << int(c.style);
        EXPECT_EQ(m.BlockHeight, c.blockHeight) << int(c.style);
        EXPECT_EQ(m.BlockLeft, c.blockLeft) << int(c.style);
        EXPECT_EQ(m.BlockTop, c.blockTop) << int(c.style);
    }
}

TEST(ScrollText, AlignmentOffsetsRoundHalvesToEven) {
    EXPECT_EQ(AlignmentOffset(taCenter, 105, 100), 2);  // 2.5
    EXPECT_EQ(AlignmentOffset(taCenter, 107, 100), 4);  // 3.5
    EXPECT_EQ(AlignmentOffset(taLeftJustify, 107, 100), 0);
    EXPECT_EQ(AlignmentOffset(taRightJustify, 107, 100), 7);
}

TEST(ScrollText, ConstructionScrollsWithItsDefaults) {
    TProbe t;
    EXPECT_EQ(t.ScrollDirection(), sdRightToLeft);
    EXPECT_TRUE(t.TimerEnabled());
    EXPECT_EQ(t.Steps(), 80);
    EXPECT_EQ(t.Speed(), 100);
    EXPECT_EQ(t.Items(), std::vector<std::string>{"ScrollText"});
}

TEST(ScrollText, SpeedIsHeldBetweenOneAndAThousand) {
    TProbe t;
    const std::pair<int, int> cases[] = {{0, 1}, {5000, 1000}, {-3, 1}, {250, 250}};
    for (const auto& [given, want] : cases) {
        const int changes = t.TimerChanges;
        t.SetSpeed(given);
        EXPECT_EQ(t.Speed(), want) << "have " << t.Speed() << " for " << given;
        EXPECT_EQ(t.TimerChanges, changes + 1) << "the timer's interval follows " << given;
    }
}

TEST(ScrollText, APassOfThreeHundredStepsEndsAtTick301) {
    TProbe t;
    t.SetSteps(300);
    for (int tick = 1; tick <= 300; ++tick) {
        t.TimerTick();
    }
    EXPECT_EQ(t.CurrentStep(), 300);
    EXPECT_EQ(t.Events.find('E'), std::string::npos);
    t.TimerTick();
    EXPECT_EQ(t.Events.substr(t.Events.size() - 2), "sE") << "OnEnd after the 301st step";
    EXPECT_EQ(t.CurrentStep(), 0);
    EXPECT_TRUE(t.TimerEnabled()) << "continuous: the next pass is under way";
    t.Events.clear();
    t.TimerTick();
    EXPECT_EQ(t.Events, "Bs");
    EXPECT_EQ(t.CurrentStep(), 1);
}

TEST(ScrollText, ANonContinuousPassStopsAtStepZero) {
    TProbe t;
    t.SetSteps(2);
    t.SetContinuous(false);
    for (int tick = 0; tick < 5; ++tick) {
        t.TimerTick();
    }
    EXPECT_EQ(t.Events, "BsssE") << "ticks after the end are dropped";
    EXPECT_FALSE(t.TimerEnabled());
    EXPECT_EQ(t.CurrentStep(), 0);
}

TEST(ScrollText, AnEndHandlerThatTurnsStartsAFreshPass) {
    TProbe t;
    t.SetSteps(1);
    t.OnEnd = [&t](TCustomScrollText& sender) {
        t.Events += 'E';
        sender.SetSteps(3);
        sender.SetScrollDirection(sdTopToBottom);
    };
    t.TimerTick();
    t.TimerTick();
    EXPECT_EQ(t.Events, "BssE");
    EXPECT_EQ(t.ScrollDirection(), sdTopToBottom);
    EXPECT_EQ(t.CurrentStep(), 0);
    t.TimerTick();
    EXPECT_EQ(t.Events, "BssEBs");
}

TEST(ScrollText, StartingKeepsOrResumesTheStep) {
    TProbe t;
    t.SetSteps(10);
    for (int tick = 0; tick < 4; ++tick) {
        t.TimerTick();
    }
    t.StartScroll(0);
    EXPECT_EQ(t.CurrentStep(), 4) << "already running: the step is kept";
    t.SetScrollDirection(sdStatic);
    EXPECT_FALSE(t.TimerEnabled());
    t.SetScrollDirection(sdLeftToRight);
    EXPECT_TRUE(t.TimerEnabled());
    EXPECT_EQ(t.CurrentStep(), 4) << "resumed where the text stood";
    t.StopScroll();
    t.StartScroll(11);
    EXPECT_EQ(t.CurrentStep(), 4) << "a start step beyond the pass is ignored";
    t.StopScroll();
    t.StartScroll(7);
    EXPECT_EQ(t.CurrentStep(), 7);
}

TEST(ScrollText, StepsBelowOneCountAsOneStepWithoutDividingByZero) {
    for (const int steps : {1, 0, -5}) {
        TProbe t;
        t.Items() = {"ab"};
        t.SetSteps(steps);
        t.TimerTick();
        t.TimerTick();
        EXPECT_EQ(t.Events, "BssE") << "steps " << steps << ": a pass of one step lasts two ticks";
        EXPECT_EQ(t.Steps(), steps) << "the stored value stays as given";
        t.Paint(t.Surface);  // f stays finite
    }
}

TEST(ScrollText, PaintsStylesAndStepsOnTheSurface) {
    // Cells of the memory canvas: each character a 1 x 2 block, no internal leading.
    struct Case {
        const char* name;
        TTextStyle style;
        TScrollDirection direction;
        int ticks;
        std::vector<std::string> lines;
        std::vector<std::string> want;
    };
    const Case cases[] = {
        {"static, centred",
         tsNormal,
         sdStatic,
         0,
         {"ab"},
         {"............", "............", ".....TT.....", ".....TT.....", "............", "............"}},
        {"shadow below right, text on top",
         tsShaddow,
         sdStatic,
         0,
         {"ab"},
         {"............", "....TT......", "....TTs.....", ".....ss.....", "............", "............"}},
        {"raised: highlight up left, shadow down right",
         tsRaised,
         sdStatic,
         0,
         {"ab"},
         {"....hh......", "....hTT.....", ".....TTs....", "......ss....", "............", "............"}},
        {"lines centred in the block",
         tsNormal,
         sdStatic,
         0,
         {"abcd", "ef"},
         {"............", "....TTTT....", "....TTTT....", ".....TT.....", ".....TT.....", "............"}},
        {"right to left, f = 1/4: 10.5 rounds to 10",
         tsNormal,
         sdRightToLeft,
         1,
         {"ab"},
         {"............", "............", "........TT..", "........TT..", "............", "............"}},
        {"right to left, f = 1/2",
         tsNormal,
         sdRightToLeft,
         2,
         {"ab"},
         {"............", "............", ".....TT.....", ".....TT.....", "............", "............"}},
        {"bottom to top, f = 1/4",
         tsNormal,
         sdBottomToTop,
         1,
         {"ab"},
         {"............", "............", "............", "............", ".....TT.....", ".....TT....."}},
        {"no lines: background only",
         tsNormal,
         sdStatic,
         0,
         {},
         {"............", "............", "............", "............", "............", "............"}},
    };
    for (const auto& c : cases) {
        TProbe t;
        t.SetSteps(4);
        t.Items() = c.lines;
        t.SetTextStyle(c.style);
        t.SetScrollDirection(c.direction);
        if (c.ticks == 0) {
            t.Paint(t.Surface);
        }
        for (int tick = 0; tick < c.ticks; ++tick) {
            t.TimerTick();
        }
        EXPECT_EQ(Picture(t.Surface), c.want) << c.name;
    }
}

}  // namespace scroll_text_test
