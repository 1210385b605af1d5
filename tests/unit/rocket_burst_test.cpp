// The rocket bursts, frame by frame on a memory canvas that records every pixel plotted, with
// a seeded generator and a fixed clock.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <functional>
#include <vector>

#include "effects/RocketThread.h"
#include "framework/MemoryCanvas.h"
#include "framework/Numbers.h"

namespace rocket_burst_test {

namespace {

struct TPlot {
    int X, Y;
    TColor Color;
};

class TPlotCanvas : public TMemoryCanvas {
public:
    using TMemoryCanvas::TMemoryCanvas;
    void SetPixel(int x, int y, TColor c) override {
        Plots.push_back({x, y, c});
        TMemoryCanvas::SetPixel(x, y, c);
    }
    std::vector<TPlot> Plots;
};

constexpr TColor Backdrop = RGBColor(1, 2, 3);

// The climbing spark is yellow (red = green, no blue); burst colours always carry blue.
bool IsClimb(TColor c) {
    return c != Backdrop && BlueOf(c) == 0 && RedOf(c) == GreenOf(c);
}
bool IsBurst(TColor c) {
    return c != Backdrop && !IsClimb(c);
}

struct TFrame {
    std::vector<TPlot> Climb, Burst, Erase;
};

struct TScene {
    TPlotCanvas Canvas{1024, 700, Backdrop};
    TDisplayState Display;
    TVisSettings Settings;
    TRandom Random;
    std::uint32_t Clock = 0;

    TScene() {
        Display.MainPanelRight = 1023;
        Display.MainPanelHeight = 700;
        Settings.Background = Backdrop;
        Settings.BarB = 3;
        Random.SetClock([this] { return Clock; });
    }
    int H() const { return Display.MainPanelHeight; }
};

TFrame Draw(TScene& scene, TRocketThr& rockets) {
    scene.Canvas.Plots.clear();
    rockets.DrawFrame();
    TFrame frame;
    for (const TPlot& p : scene.Canvas.Plots) {
        (IsClimb(p.Color) ? frame.Climb : IsBurst(p.Color) ? frame.Burst : frame.Erase).push_back(p);
    }
    return frame;
}

// A seed for which the first frame launches: a rocket then starts from a known frame.
std::uint32_t SeedLaunchingAtOnce(TScene& scene) {
    for (std::uint32_t seed = 0; seed < 100000; ++seed) {
        scene.Random.Seed(seed);
        TRocketThr rockets(&scene.Canvas, scene.Display, scene.Settings, scene.Random);
        if (!Draw(scene, rockets).Climb.empty()) {
            return seed;
        }
    }
    ADD_FAILURE() << "no seed launches in the first frame";
    return 0;
}

// Runs a rocket launched in frame 1 until its first burst pixel, and returns that pixel's row:
// at time 0 every patch sits on the burst point.
int BurstRow(TScene& scene, std::uint32_t seed) {
    scene.Random.Seed(seed);
    TRocketThr rockets(&scene.Canvas, scene.Display, scene.Settings, scene.Random);
    for (int f = 0; f < 200; ++f) {
        const TFrame frame = Draw(scene, rockets);
        if (!frame.Burst.empty()) {
            return frame.Burst.front().Y;
        }
    }
    return -1;
}

// Sets the clock so that a rocket launched in frame 1 bursts at row y.
void ClockForBurstRow(TScene& scene, std::uint32_t seed, int y) {
    for (std::uint32_t clock = 1; clock < 20000; ++clock) {
        scene.Clock = clock;
        if (BurstRow(scene, seed) == y) {
            return;
        }
    }
    FAIL() << "no clock bursts at row " << y;
}

// One rocket, launch parameters fixed by silence: NextPatchLength = Nearest(length / 4 + 1).
void OneSilentRocket(TScene& scene, int maxPatchLength) {
    scene.Settings.MaxRocketNumber = 1;
    scene.Settings.RocketStyleVar = 100;  // new launch parameters every frame
    scene.Settings.MaxRocketPatchLength = maxPatchLength;
    scene.Display.VULevels = {0, 0};
}

}  // namespace

TEST(RocketBurst, ClimbThenBurstFrameByFrame) {
    // H 700, BarB 3, burst row 300: the climb is 389 pixels. Burst length follows the patch
    // length: 70 (silence with length 276) gives 80 frames; 18 (silence with the default 70)
    // gives Nearest(400 x 36 / 700) = 21.
    struct Case {
        int maxPatchLength;
        int wantBurstFrames;
    };
    for (const Case c : {Case{276, 80}, Case{70, 21}}) {
        SCOPED_TRACE(c.maxPatchLength);
        TScene scene;
        OneSilentRocket(scene, c.maxPatchLength);
        const std::uint32_t seed = SeedLaunchingAtOnce(scene);
        ClockForBurstRow(scene, seed, 300);
        scene.Random.Seed(seed);
        TRocketThr rockets(&scene.Canvas, scene.Display, scene.Settings, scene.Random);

        int nextClimb = 389;  // climb value of the next head pixel; its row is 300 + climb
        std::vector<TPlot> drawn, erased;
        for (int f = 1; f <= 35; ++f) {
            SCOPED_TRACE(f);
            const TFrame frame = Draw(scene, rockets);
            ASSERT_EQ(frame.Climb.size(), 11u);
            size_t wantErased = 0;
            for (const TPlot& p : frame.Climb) {
                // The trail is erased from below, two pixels a step, once half the climb is done.
                wantErased += nextClimb <= 194 ? 2 : 0;
                EXPECT_EQ(p.Y, 300 + nextClimb--);
                drawn.push_back(p);
            }
            EXPECT_TRUE(frame.Burst.empty());
            EXPECT_EQ(frame.Erase.size(), wantErased);
            erased.insert(erased.end(), frame.Erase.begin(), frame.Erase.end());
        }
        TFrame last = Draw(scene, rockets);
        drawn.insert(drawn.end(), last.Climb.begin(), last.Climb.end() - 1);  // the last head stays
        drawn.insert(drawn.end(), last.Burst.begin(), last.Burst.end());
        erased.insert(erased.end(), last.Erase.begin(), last.Erase.end());
        ASSERT_EQ(last.Climb.size(), 4u);
        EXPECT_EQ(last.Climb.back().Y, 301);
        ASSERT_FALSE(last.Burst.empty()) << "the first burst frame is drawn in the frame the climb ends";
        for (const TPlot& p : last.Burst) {
            EXPECT_EQ(p.Y, 300);
            EXPECT_EQ(p.X, last.Burst.front().X);
        }
        int burstFrames = 1;
        for (;; ++burstFrames) {
            const TFrame frame = Draw(scene, rockets);
            drawn.insert(drawn.end(), frame.Burst.begin(), frame.Burst.end());
            erased.insert(erased.end(), frame.Erase.begin(), frame.Erase.end());
            if (frame.Burst.empty() && frame.Erase.empty()) {
                EXPECT_TRUE(frame.Climb.empty()) << "the slot turns idle, it does not relaunch in that frame";
                break;
            }
            ASSERT_LT(burstFrames, 1000);
        }
        EXPECT_EQ(burstFrames, c.wantBurstFrames);
        // By the burst's end every pixel of the trail (but the last head) and of the burst has
        // been painted over again in the background.
        for (const TPlot& d : drawn) {
            const bool wiped =
                std::any_of(erased.begin(), erased.end(), [&](const TPlot& e) { return e.X == d.X && e.Y == d.Y; });
            ASSERT_TRUE(wiped) << "never erased: " << d.X << "," << d.Y;
        }
    }
}

TEST(RocketBurst, LaunchChance) {
    // Launches in the first frame, over many seeds, for rockets x patch length: 6 or less is a
    // sure launch of every rocket.
    struct Case {
        int rockets;
        int maxPatchLength;  // silence: patch length Nearest(length / 4 + 1)
        bool sure;
    };
    const Case cases[] = {{3, 4, true}, {1, 20, true}, {6, 0, true}, {7, 4, false}, {1, 24, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rockets << " rockets, length " << c.maxPatchLength);
        TScene scene;
        OneSilentRocket(scene, c.maxPatchLength);
        scene.Settings.MaxRocketNumber = c.rockets;
        int launches = 0;
        const int seeds = 200;
        for (std::uint32_t seed = 0; seed < seeds; ++seed) {
            scene.Random.Seed(seed);
            TRocketThr rockets(&scene.Canvas, scene.Display, scene.Settings, scene.Random);
            launches += static_cast<int>(Draw(scene, rockets).Climb.size()) / 11;
        }
        if (c.sure) {
            EXPECT_EQ(launches, seeds * c.rockets);
        } else {
            EXPECT_LT(launches, seeds * c.rockets);
            EXPECT_GT(launches, 0);
        }
    }
}

TEST(RocketBurst, BurstPointClampedAboveTheBarsBurstsWithoutTrail) {
    TScene scene;
    OneSilentRocket(scene, 4);  // sure launch
    scene.Settings.BarB = 690;  // every burst point lies below H - BarB - 3 = 7 and is held there
    scene.Random.Seed(7);
    TRocketThr rockets(&scene.Canvas, scene.Display, scene.Settings, scene.Random);
    const TFrame first = Draw(scene, rockets);
    EXPECT_TRUE(first.Climb.empty());
    int burstPixels = 0;
    for (int f = 0; f < 20; ++f) {
        const TFrame frame = Draw(scene, rockets);
        EXPECT_TRUE(frame.Climb.empty());
        for (const TPlot& p : frame.Burst) {
            EXPECT_LT(p.Y, 700 - 690 - 4);
            ++burstPixels;
        }
    }
    EXPECT_GT(burstPixels, 0) << "sparks flying up are drawn";
}

TEST(RocketBurst, ZeroBurstFramesNeverDrawsABurst) {
    TScene scene;
    OneSilentRocket(scene, -4);  // patch length Nearest(-1 + 1) = 0: no burst frames, sure launch
    scene.Random.Seed(3);
    TRocketThr rockets(&scene.Canvas, scene.Display, scene.Settings, scene.Random);
    int climbs = 0;
    for (int f = 0; f < 300; ++f) {
        const TFrame frame = Draw(scene, rockets);
        EXPECT_TRUE(frame.Burst.empty());
        climbs += frame.Climb.empty() ? 0 : 1;
    }
    EXPECT_GT(climbs, 250) << "the rocket keeps relaunching";
}

TEST(RocketBurst, FullPatchCountIsHeldToTheSlots) {
    // With MaxRocketPatchNumber 150 the construction can give 151 patches (u close to 1).
    TScene scene;
    scene.Settings.MaxRocketNumber = 1;
    scene.Settings.RocketStyleVar = 0;  // keep the constructor's launch parameters
    scene.Settings.MaxRocketPatchNumber = 150;
    scene.Settings.MaxRocketPatchLength = 4;  // patch length below 6: sure launch
    std::uint32_t seed = 0;
    for (;; ++seed) {
        ASSERT_LT(seed, 1000000u);
        TRandom probe;
        probe.Seed(seed);
        probe.NextReal();
        if (0.75 * probe.NextReal() * 150 + 37.5 + 1 >= 150.5) {
            break;
        }
    }
    scene.Random.Seed(seed);
    TRocketThr rockets(&scene.Canvas, scene.Display, scene.Settings, scene.Random);
    for (int f = 0; f < 100; ++f) {
        const TFrame frame = Draw(scene, rockets);
        if (!frame.Burst.empty()) {
            EXPECT_EQ(frame.Burst.size(), 150u);  // time 0: one pixel per patch
            return;
        }
    }
    FAIL() << "no burst";
}

TEST(RocketBurst, ColoursWalkWithoutWrapping) {
    // With a fixed clock each burst frame re-seeds to the same numbers, so every channel moves
    // by the same step each frame until the next step would leave 0..255; it must then stay.
    for (std::uint32_t clock : {11u, 222u, 3333u, 44444u}) {
        SCOPED_TRACE(clock);
        TScene scene;
        OneSilentRocket(scene, 1000);
        scene.Clock = clock;
        scene.Random.Seed(SeedLaunchingAtOnce(scene));
        TRocketThr rockets(&scene.Canvas, scene.Display, scene.Settings, scene.Random);
        std::vector<TColor> colours;
        for (int f = 0; f < 400; ++f) {
            const TFrame frame = Draw(scene, rockets);
            if (!frame.Burst.empty()) {
                colours.push_back(frame.Burst.front().Color);
            } else if (!colours.empty()) {
                break;
            }
        }
        ASSERT_GT(colours.size(), 20u);
        for (size_t i = 1; i < colours.size(); ++i) {
            for (auto channel : {RedOf, GreenOf, BlueOf}) {
                EXPECT_LE(std::abs(channel(colours[i]) - channel(colours[i - 1])), 32)
                    << "frame " << i << ": have " << channel(colours[i - 1]) << " then " << channel(colours[i]);
            }
        }
    }
}

TEST(RocketBurst, NothingDrawnInTheBottomStripWhateverTheSettings) {
    // Settings as an edited plugin.ini may hold them: the renderer must stay inside its slots,
    // never divide by zero, and keep out of the strip from H - BarB - 4 down.
    struct Case {
        const char* name;
        std::function<void(TVisSettings&, TDisplayState&)> edit;
    };
    const Case cases[] = {
        {"defaults", [](TVisSettings&, TDisplayState&) {}},
        {"loud",
         [](TVisSettings&, TDisplayState& d) {
             d.VULevels = {480, 500};
         }},
        {"beyond the slots",
         [](TVisSettings& s, TDisplayState&) {
             s.MaxRocketNumber = 1000;
             s.MaxRocketPatchNumber = 100000;
             s.MaxRocketPatchLength = 1;
         }},
        {"BarB 0", [](TVisSettings& s, TDisplayState&) { s.BarB = 0; }},
        {"BarB -9: no line to climb",
         [](TVisSettings& s, TDisplayState&) {
             s.BarB = -9;
             s.MaxRocketPatchLength = 1;
         }},
        {"extremes",
         [](TVisSettings& s, TDisplayState& d) {
             s.MaxRocketEnergy = INT_MAX;
             s.Gravity = INT_MIN;
             s.MaxRocketPatchLength = INT_MAX;
             s.RocketStyleVar = 100;
             d.VULevels = {INT_MAX, INT_MAX};
         }},
        {"negatives",
         [](TVisSettings& s, TDisplayState&) {
             s.MaxRocketNumber = -3;
             s.MaxRocketEnergy = -800;
             s.MaxRocketPatchNumber = -90;
         }},
        {"empty area",
         [](TVisSettings&, TDisplayState& d) {
             d.MainPanelHeight = 0;
             d.MainPanelRight = 0;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TScene scene;
        c.edit(scene.Settings, scene.Display);
        scene.Settings.RocketStyleVar = std::max(scene.Settings.RocketStyleVar, 16);
        scene.Random.Seed(99);
        TRocketThr rockets(&scene.Canvas, scene.Display, scene.Settings, scene.Random);
        const long long strip = static_cast<long long>(scene.H()) - scene.Settings.BarB - 4;
        const size_t mostPerFrame = RocketSlots * (11 * 3 + RocketPatchSlots * 3);
        for (int f = 0; f < 400; ++f) {
            scene.Clock += 7;
            scene.Canvas.Plots.clear();
            rockets.DrawFrame();
            ASSERT_LE(scene.Canvas.Plots.size(), mostPerFrame);
            for (const TPlot& p : scene.Canvas.Plots) {
                ASSERT_LT(p.Y, strip) << "frame " << f << " at " << p.X << "," << p.Y;
            }
        }
    }
}

// Regression: a style change multiplied the random integer by the maximum a second time, giving
// energies around 240,000 and bursts that flew thousands of pixels off the canvas.
TEST(RocketBurst, StyleChangeDrawsParametersInTheirRange) {
    TScene scene;
    scene.Settings.RocketStyleVar = 100;  // a style change every frame
    scene.Settings.MaxRocketNumber = 0;   // no launch draws numbers in between
    scene.Display.VULevels = {127, 127};  // SoundLevel 127: the full random part of the length
    scene.Random.Seed(1234);
    TRocketThr rockets(&scene.Canvas, scene.Display, scene.Settings, scene.Random);

    // The same numbers drawn in the same order: construction (3 reals), then per frame the style
    // test and the three integers.
    TRandom expected;
    expected.Seed(1234);
    for (int i = 0; i < 3; ++i) {
        expected.NextReal();
    }
    for (int frame = 0; frame < 50; ++frame) {
        rockets.DrawFrame();
        expected.NextReal();
        const int energy = expected.Next(800);
        const int patches = expected.Next(90);
        const int length = expected.Next(70);
        EXPECT_EQ(rockets.GetNextEnergy(), Nearest(0.75 * energy + 200 + 1)) << "frame " << frame;
        EXPECT_EQ(rockets.GetNextPatchCount(), Nearest(0.75 * patches + 22.5 + 1)) << "frame " << frame;
        EXPECT_EQ(rockets.GetNextPatchLength(), Nearest(0.75 * length * 127 / 127 + 17.5 + 1)) << "frame " << frame;
        EXPECT_GE(rockets.GetNextEnergy(), 201);
        EXPECT_LE(rockets.GetNextEnergy(), 800);
        EXPECT_GE(rockets.GetNextPatchCount(), 24);
        EXPECT_LE(rockets.GetNextPatchCount(), 90);
        EXPECT_GE(rockets.GetNextPatchLength(), 18);
        EXPECT_LE(rockets.GetNextPatchLength(), 70);
    }
}

TEST(RocketBurst, BurstsWithDefaultsStayOnTheCanvas) {
    TScene scene;  // 1024 x 700, default settings, a style change in 16% of the frames
    scene.Display.VULevels = {0, 0};
    scene.Random.Seed(7);
    TRocketThr rockets(&scene.Canvas, scene.Display, scene.Settings, scene.Random);
    long onCanvas = 0;
    long total = 0;
    for (int f = 0; f < 5000; ++f) {
        scene.Clock = static_cast<std::uint32_t>(f * 20);  // the re-seeding clock moves with the frames
        for (const TPlot& p : Draw(scene, rockets).Burst) {
            ++total;
            onCanvas += p.X >= 0 && p.X < 1024 && p.Y >= 0 && p.Y < 700;
        }
        for (int m = 0; m < scene.Settings.MaxRocketNumber; ++m) {
            const TRocket& r = rockets.GetRocket(m);
            ASSERT_LE(r.Energy, 800) << "frame " << f;
            ASSERT_LE(r.PatchCount, 90) << "frame " << f;
        }
    }
    EXPECT_GT(total, 10000);
    EXPECT_EQ(onCanvas, total);
}

}  // namespace rocket_burst_test
