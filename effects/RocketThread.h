#pragma once
// TRocketThr: the rocket-burst background effect. Up to 12 rockets climb from the bottom of the
// main area on a slanted line with a dimming yellow trail, burst into coloured sparks that fall on
// parabolas, and are launched again after a random wait. Louder sound makes later bursts longer.
// Everything is drawn as single pixels and erased by plotting the background colour over it.

#include <array>
#include <cstdint>

#include "displaystate/DisplayState.h"
#include "effects/EffectThread.h"
#include "framework/Random.h"
#include "settings/VisSettings.h"

constexpr int RocketSlots = 12;
constexpr int RocketPatchSlots = 150;

struct TRocket {
    bool Waiting = false;   // idle; may launch
    bool Bursting = false;  // climb over; burst in progress (stays set while waiting after it)
    std::int32_t Energy = 0;
    std::int32_t PatchCount = 0;  // 0..RocketPatchSlots
    std::int32_t BurstFrames = 0;
    std::int32_t X = 0;  // burst point
    std::int32_t Y = 0;
    std::int32_t Red = 0;
    std::int32_t Green = 0;
    std::int32_t Blue = 0;
    std::array<std::int32_t, RocketPatchSlots> PatchDX{};  // pixels per 100 frames
    std::array<std::int32_t, RocketPatchSlots> PatchDY{};  // pixels per 100 frames, down positive
    std::int32_t BurstFrame = 0;
    std::int32_t Climb = 0;  // pixels still to climb
    std::int32_t Drift = 0;  // launch column offset from X
};

class TRocketThr : public TEffectThread {
public:
    // Draws on canvas with the shared display values, settings and random generator.
    explicit TRocketThr(TCanvas* canvas);
    // The body draws with this object's state: the thread ends before any of it goes.
    ~TRocketThr() override { StopAndJoin(); }
    // The same over explicit values, for tests and benchmarks.
    TRocketThr(TCanvas* canvas, TDisplayState& display, const TVisSettings& settings, TRandom& random);

    void DrawFrame() override;

    // What the next launch will take, and the slots (for tests).
    std::int32_t GetNextEnergy() const { return NextEnergy; }
    std::int32_t GetNextPatchCount() const { return NextPatchCount; }
    std::int32_t GetNextPatchLength() const { return NextPatchLength; }
    const TRocket& GetRocket(int slot) const { return Rockets[static_cast<std::size_t>(slot) % RocketSlots]; }

private:
    void Launch(TRocket& rocket, int rocketNumber);
    void ClimbStep(TRocket& rocket);
    void Burst(TRocket& rocket);
    void Plot(double x, double y, TColor color);

    TDisplayState& Display;
    const TVisSettings& Settings;
    TRandom& Random;

    std::int32_t NextEnergy = 0;
    std::int32_t NextPatchCount = 0;
    std::int32_t NextPatchLength = 0;
    std::array<TRocket, RocketSlots> Rockets{};
    std::int32_t SoundLevel = 0;  // mean of the two VU levels at the start of the frame
};
