// The light-speed starfield, frame by frame on a memory canvas that records every line, with a
// fixed clock for the generator's seed.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <vector>

#include "effects/LightThread.h"
#include "framework/MemoryCanvas.h"

namespace light_starfield_test {

namespace {

constexpr TColor Backdrop = RGBColor(1, 2, 3);

struct TScene {
    TMemoryCanvas Canvas{1024, 700, Backdrop};
    TDisplayState Display;
    TVisSettings Settings;
    TRandom Random;

    TScene() {
        Display.MainPanelRight = 1023;
        Display.MainPanelHeight = 700;
        Settings.Background = Backdrop;
        Random.SetClock([] { return 123456u; });
    }
    int W() const { return Display.MainPanelRight; }
    int L() const { return Display.MainPanelHeight - Settings.BarB - 5; }
    int CenterX() const { return W() * Settings.LightCenterX / 100; }
    int CenterY() const { return Display.MainPanelHeight * Settings.LightCenterY / 100; }
};

struct TFrame {
    std::vector<TLineRecord> Drawn, Erased;
};

TFrame Draw(TScene& scene, TLightSpeed& stars) {
    scene.Canvas.Lines.clear();
    stars.DrawFrame();
    TFrame frame;
    for (const TLineRecord& line : scene.Canvas.Lines) {
        (line.Color == Backdrop ? frame.Erased : frame.Drawn).push_back(line);
    }
    return frame;
}

bool SameLine(const TLineRecord& a, const TLineRecord& b) {
    return a.X1 == b.X1 && a.Y1 == b.Y1 && a.X2 == b.X2 && a.Y2 == b.Y2 && a.Width == b.Width;
}

}  // namespace

TEST(LightStarfield, EraseLinesRepeatThePreviousDrawLines) {
    TScene scene;
    TLightSpeed stars(&scene.Canvas, scene.Display, scene.Settings, scene.Random);
    TFrame previous = Draw(scene, stars);
    ASSERT_EQ(previous.Drawn.size(), 100u) << "all StarQty stars are born in the first frame";
    EXPECT_TRUE(previous.Erased.empty());
    for (int f = 2; f <= 300; ++f) {
        SCOPED_TRACE(f);
        const TFrame frame = Draw(scene, stars);
        // In slot order, every erase line is the star's previous line; a previous line that is not
        // erased belongs to a star that was freed because its inner end left the area.
        size_t next = 0;
        for (const TLineRecord& was : previous.Drawn) {
            if (next < frame.Erased.size() && SameLine(frame.Erased[next], was)) {
                ++next;
            } else {
                EXPECT_TRUE(was.X1 < -4 || was.X1 > scene.W() + 4 || was.Y1 < -4)
                    << "line from " << was.X1 << "," << was.Y1 << " was neither erased nor off the area";
            }
        }
        EXPECT_EQ(next, frame.Erased.size()) << "an erase line repeats no line of the previous frame";
        for (const TLineRecord& line : frame.Drawn) {
            EXPECT_GE(line.Width, 1);
            EXPECT_LE(line.Width, 3);
        }
        previous = frame;
    }
    int lit = 0;
    for (int y = 0; y < 700; ++y) {
        for (int x = 0; x < 1024; ++x) {
            lit += scene.Canvas.GetPixel(x, y) != Backdrop ? 1 : 0;
        }
    }
    EXPECT_GT(lit, 0);
}

TEST(LightStarfield, BirthsLieOutsideTheHoleAndInsideTheSquare) {
    // A newborn's first line runs from birth x F to birth x F^2 x 1.01, so the birth point can be
    // read back from it.
    TScene scene;
    scene.Settings.StarQty = 255;
    TLightSpeed stars(&scene.Canvas, scene.Display, scene.Settings, scene.Random);
    const TFrame frame = Draw(scene, stars);
    ASSERT_EQ(frame.Drawn.size(), 255u);
    const int half = std::min(scene.W() / 4, 700 / 4) / 2;
    for (const TLineRecord& line : frame.Drawn) {
        const double ix = line.X1 - scene.CenterX(), iy = line.Y1 - scene.CenterY();
        const double ox = line.X2 - scene.CenterX(), oy = line.Y2 - scene.CenterY();
        const double inner = std::hypot(ix, iy);
        const double factor = std::hypot(ox, oy) / inner / 1.01;
        const double bx = ix / factor, by = iy / factor;
        EXPECT_GT(std::hypot(bx, by), 5.5) << "born in the hole";
        EXPECT_LE(std::abs(bx), half + 1.0);
        EXPECT_LE(std::abs(by), half + 1.0);
    }
}

TEST(LightStarfield, SingleStarIsBornAgainTheFrameAfterItLeaves) {
    TScene scene;
    scene.Settings.StarQty = 1;
    scene.Settings.Brightness = 255;
    TLightSpeed stars(&scene.Canvas, scene.Display, scene.Settings, scene.Random);
    int births = 0;
    bool freed = true;  // the first frame is a birth
    for (int f = 0; f < 2000; ++f) {
        const TFrame frame = Draw(scene, stars);
        EXPECT_LE(frame.Drawn.size(), 1u);
        EXPECT_LE(frame.Erased.size(), 1u);
        for (const TLineRecord& line : frame.Drawn) {
            EXPECT_EQ(line.Color, clWhite) << "Brightness 255 makes white stars";
        }
        if (freed) {
            EXPECT_TRUE(frame.Erased.empty()) << "a newborn has nothing to erase";
            EXPECT_EQ(frame.Drawn.size(), 1u) << "born again the frame after it was freed";
            ++births;
        }
        freed = !frame.Drawn.empty() &&
                (frame.Drawn[0].X1 < -5 || frame.Drawn[0].X1 > scene.W() + 5 || frame.Drawn[0].Y1 < -5);
    }
    EXPECT_GT(births, 3);
}

TEST(LightStarfield, NothingBelowTheLowestRow) {
    // Origin low in the area and a wide bottom strip: many streaks dip below L; none of them is
    // drawn or erased there.
    for (int centerY : {40, 85, 99}) {
        SCOPED_TRACE(centerY);
        TScene scene;
        scene.Settings.BarB = 100;
        scene.Settings.LightCenterY = centerY;
        TLightSpeed stars(&scene.Canvas, scene.Display, scene.Settings, scene.Random);
        size_t lines = 0;
        for (int f = 0; f < 200; ++f) {
            const TFrame frame = Draw(scene, stars);
            lines += frame.Drawn.size();
            for (const TLineRecord& line : scene.Canvas.Lines) {
                ASSERT_LE(line.Y1, scene.L());
                ASSERT_LE(line.Y2, scene.L());
            }
        }
        if (centerY < 99) {
            EXPECT_GT(lines, 0u);
        }
        for (int y = scene.L() + 2; y < 700; ++y) {
            for (int x = 0; x < 1024; ++x) {
                ASSERT_EQ(scene.Canvas.GetPixel(x, y), Backdrop) << x << "," << y;
            }
        }
    }
}

TEST(LightStarfield, AnyAreaAndSettingsEndEachFrame) {
    // An area under 40 pixels leaves no birth point outside the hole: no star is born there, and
    // the frame still ends. Other settings as an edited plugin.ini may hold them.
    struct Case {
        const char* name;
        int right, height;
        std::function<void(TVisSettings&)> edit;
        bool births;
    };
    const Case cases[] = {
        {"39 pixels high", 1023, 39, [](TVisSettings&) {}, false},
        {"39 pixels wide", 38, 700, [](TVisSettings&) {}, false},
        {"40 by 40", 40, 40, [](TVisSettings& s) { s.BarB = -40; }, true},
        {"empty", 0, 0, [](TVisSettings&) {}, false},
        {"negative", -50, -50, [](TVisSettings&) {}, false},
        {"StarQty 256 is its low byte 0", 1023, 700, [](TVisSettings& s) { s.StarQty = 256; }, false},
        {"origin far outside", 1023, 700,
         [](TVisSettings& s) {
             s.LightCenterX = INT_MAX;
             s.LightCenterY = INT_MIN;
         },
         true},
        {"extreme strip", 1023, 700, [](TVisSettings& s) { s.BarB = INT_MIN; }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TScene scene;
        scene.Display.MainPanelRight = c.right;
        scene.Display.MainPanelHeight = c.height;
        c.edit(scene.Settings);
        TLightSpeed stars(&scene.Canvas, scene.Display, scene.Settings, scene.Random);
        size_t drawn = 0;
        for (int f = 0; f < 50; ++f) {
            drawn += Draw(scene, stars).Drawn.size() + (scene.Canvas.Lines.empty() ? 0 : 1);
        }
        EXPECT_EQ(drawn > 0, c.births);
    }
}

}  // namespace light_starfield_test
