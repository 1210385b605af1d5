#include "effects/RocketThread.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "framework/Numbers.h"

namespace {

constexpr int ClimbStepsPerFrame = 11;

// M/4 + 1 up to M + 1 from a uniform real u in [0, 1): the launch parameters at construction.
std::int32_t LaunchParameter(double u, std::int32_t max) {
    return Nearest(0.75 * u * max + 0.25 * max + 1);
}

// The same range from a random integer below M, as a style change draws them: the integer
// already carries the scale, so it is not multiplied by M again.
std::int32_t RestyledParameter(std::int32_t randomBelowMax, std::int32_t max) {
    return Nearest(0.75 * randomBelowMax + 0.25 * max + 1);
}

// The rocket slots and the patch slots of each are fixed; an edited plugin.ini must not reach
// past them.
int HeldRocketNumber(std::int32_t maxRocketNumber) {
    return std::clamp<std::int32_t>(maxRocketNumber, 0, RocketSlots);
}

}  // namespace

TRocketThr::TRocketThr(TCanvas* canvas) : TRocketThr(canvas, DisplayState(), VisSettings(), SharedRandom()) {}

TRocketThr::TRocketThr(TCanvas* canvas, TDisplayState& display, const TVisSettings& settings, TRandom& random)
    : TEffectThread(canvas, settings.SkyburstLatency), Display(display), Settings(settings), Random(random) {
    NextEnergy = LaunchParameter(Random.NextReal(), Settings.MaxRocketEnergy);
    NextPatchCount = LaunchParameter(Random.NextReal(), Settings.MaxRocketPatchNumber);
    NextPatchLength = LaunchParameter(Random.NextReal(), Settings.MaxRocketPatchLength);
    const int rockets = HeldRocketNumber(Settings.MaxRocketNumber);
    for (int m = 0; m < rockets; ++m) {
        Rockets[m].Waiting = true;
        Rockets[m].Bursting = false;
    }
}

void TRocketThr::Plot(double x, double y, TColor color) {
    // Whole numbers by construction; anything beyond the 32-bit range is off the canvas anyway.
    constexpr double lo = std::numeric_limits<std::int32_t>::min();
    constexpr double hi = std::numeric_limits<std::int32_t>::max();
    if (x >= lo && x <= hi && y >= lo && y <= hi) {
        Canvas->SetPixel(static_cast<int>(x), static_cast<int>(y), color);
    }
}

void TRocketThr::DrawFrame() {
    if (Canvas == nullptr) {
        return;
    }
    const auto& levels = Display.VULevels;
    SoundLevel = Clamp32((static_cast<std::int64_t>(levels[0]) + levels[1]) / 2);

    if (Settings.RocketStyleVar > Random.NextReal() * 100) {
        NextEnergy = RestyledParameter(Random.Next(Settings.MaxRocketEnergy), Settings.MaxRocketEnergy);
        NextPatchCount = RestyledParameter(Random.Next(Settings.MaxRocketPatchNumber), Settings.MaxRocketPatchNumber);
        const std::int32_t length = Settings.MaxRocketPatchLength;
        NextPatchLength = Nearest(0.75 * Random.Next(length) * SoundLevel / 127 + 0.25 * length + 1);
    }

    const int rockets = HeldRocketNumber(Settings.MaxRocketNumber);
    for (int m = 0; m < rockets; ++m) {
        TRocket& rocket = Rockets[m];
        // The three phases follow each other in one frame: a rocket launched now also climbs
        // now, and one whose climb ends now also draws its first burst frame.
        if (rocket.Waiting) {
            Launch(rocket, rockets);
        }
        if (!rocket.Waiting && !rocket.Bursting) {
            for (int pass = 0; pass < ClimbStepsPerFrame; ++pass) {
                ClimbStep(rocket);
            }
        }
        if (rocket.Bursting && !rocket.Waiting) {
            Burst(rocket);
        }
    }
}

void TRocketThr::Launch(TRocket& rocket, int rocketNumber) {
    // One chance in (rockets x patch length) / 6 per idle slot and frame.
    if (Random.Next(Clamp32(static_cast<std::int64_t>(rocketNumber) * NextPatchLength)) >= 6) {
        return;
    }
    const std::int32_t W = Display.MainPanelRight;
    const std::int32_t H = Display.MainPanelHeight;
    const std::int32_t barB = Settings.BarB;
    Random.Reseed();
    rocket.Red = Random.Next(128) + 128;
    rocket.Green = Random.Next(128) + 128;
    rocket.Blue = Random.Next(128) + 128;
    rocket.X = Trunc(Random.Next(W) * 0.5 + W * 0.25);
    rocket.Y = Trunc(Random.Next(H) * 0.5 + H / 6.0);
    // A burst point low in the area is held just above the bars' resting strip.
    const std::int64_t lowest = static_cast<std::int64_t>(H) - barB - 3;
    if (rocket.Y > lowest) {
        rocket.Y = Clamp32(lowest);
    }
    rocket.Energy = NextEnergy;
    rocket.PatchCount = std::clamp<std::int32_t>(NextPatchCount, 0, RocketPatchSlots);
    const double span = static_cast<double>(static_cast<std::int64_t>(H) - rocket.Y) * NextPatchLength * 2;
    rocket.BurstFrames = H != 0 ? Nearest(span / H) : 0;
    for (int k = 0; k < rocket.PatchCount; ++k) {
        rocket.PatchDX[k] = Trunc(Random.NextReal() * rocket.Energy - rocket.Energy * 0.5);
        rocket.PatchDY[k] = Trunc(Random.NextReal() * rocket.Energy - rocket.Energy * 0.5);
    }
    rocket.Waiting = false;
    rocket.Bursting = false;
    rocket.BurstFrame = 0;
    rocket.Climb = Clamp32(static_cast<std::int64_t>(H) - rocket.Y - 8 - barB);
    rocket.Drift = Nearest((Random.Next(W) - W * 0.5) * 0.2);
}

void TRocketThr::ClimbStep(TRocket& rocket) {
    const std::int64_t d = static_cast<std::int64_t>(Display.MainPanelHeight) - rocket.Y;
    if (rocket.Climb < 1 || d == 0) {
        // d is 0 only with a negative BarB; such a rocket has no line to climb along.
        rocket.Bursting = true;
        return;
    }
    const double D = static_cast<double>(d);
    const double climb = rocket.Climb;
    const double headX = Nearest(rocket.Drift * climb / D + rocket.X);
    // Bright yellow at the start, dimming toward the burst point; a climb longer than the line
    // (negative BarB) would leave the channel range.
    const int g = std::clamp<std::int32_t>(Nearest(175 - ((D - climb) / D) * 128), 0, 255);
    Plot(headX, static_cast<double>(rocket.Y) + climb, RGBColor(g, g, 0));
    // From half its climb on, the trail is erased from below at twice the rising speed.
    if (climb <= (D - Settings.BarB - 8) * 0.5) {
        for (int e = -1; e <= 0; ++e) {
            const double back = 2 * climb - e;
            Plot(Nearest(back * rocket.Drift / D + rocket.X), rocket.Y + back, Settings.Background);
        }
    }
    rocket.Climb -= 1;
}

void TRocketThr::Burst(TRocket& rocket) {
    if (rocket.BurstFrame >= rocket.BurstFrames) {
        rocket.Waiting = true;
        return;
    }
    Random.Reseed();
    for (std::int32_t* channel : {&rocket.Red, &rocket.Green, &rocket.Blue}) {
        const double v = std::trunc(Random.NextReal() * 64 - 32 + *channel);
        if (v >= 0 && v <= 255) {
            *channel = static_cast<std::int32_t>(v);
        }
    }
    const TColor color = RGBColor(rocket.Red, rocket.Green, rocket.Blue);
    const double H = Display.MainPanelHeight;
    const double floor = static_cast<double>(Settings.BarB) + 4;  // rows from H - BarB - 4 down are left alone
    const double gravity = Settings.Gravity;
    const double x0 = rocket.X;
    const double y0 = rocket.Y;
    const double s = rocket.BurstFrame * 0.01;
    const bool erasing = rocket.BurstFrame >= std::trunc(rocket.BurstFrames * 0.5);
    const int patches = std::clamp<std::int32_t>(rocket.PatchCount, 0, RocketPatchSlots);
    for (int k = 0; k < patches; ++k) {
        const double dx = std::trunc(rocket.PatchDX[k] * s);
        const double dy = std::trunc(rocket.PatchDY[k] * s + gravity * s * s);
        if (H - (y0 + dy) > floor) {
            Plot(x0 + dx, y0 + dy, color);
        }
        if (erasing) {
            // The eraser runs along the same parabola at twice the speed, from the burst point.
            for (int e = 0; e <= 1; ++e) {
                const double t = ((rocket.BurstFrame - rocket.BurstFrames * 0.5) * 2 + e) * 0.01;
                const double ex = std::trunc(rocket.PatchDX[k] * t);
                const double ey = std::trunc(rocket.PatchDY[k] * t + gravity * t * t);
                if (H - (y0 + ey) > floor) {
                    Plot(x0 + ex, y0 + ey, Settings.Background);
                }
            }
        }
    }
    rocket.BurstFrame += 1;
}
