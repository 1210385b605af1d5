#pragma once
// TLightSpeed: the light-speed starfield background effect. Coloured streaks are born near an
// origin and shoot outward, each growing by its own constant factor per frame (the closer to the
// origin a star is born, the faster it goes), longer and brighter until they leave the area. Each
// streak is erased by drawing its previous line again in the background colour.

#include <array>
#include <cstdint>

#include "displaystate/DisplayState.h"
#include "effects/EffectThread.h"
#include "framework/Random.h"
#include "settings/VisSettings.h"

constexpr int StarSlots = 255;

struct TStar {
    std::int32_t Color = -1;   // 0x00BBGGRR; -1 marks a free slot
    std::int32_t OriginX = 0;  // the origin the streak was last drawn from
    std::int32_t OriginY = 0;
    std::int32_t PenWidth = 1;  // 1..3
    float X1 = 0, Y1 = 0;       // inner end, relative to the origin
    float X2 = 0, Y2 = 0;       // outer end, relative to the origin
    float Factor = 0;           // growth per frame
};

class TLightSpeed : public TEffectThread {
public:
    // Draws on canvas with the shared display values, settings and random generator.
    explicit TLightSpeed(TCanvas* canvas);
    // The body draws with this object's state: the thread ends before any of it goes.
    ~TLightSpeed() override { StopAndJoin(); }
    // The same over explicit values, for tests and benchmarks.
    TLightSpeed(TCanvas* canvas, TDisplayState& display, const TVisSettings& settings, TRandom& random);

    void DrawFrame() override;

private:
    bool Birth(TStar& star);
    void Streak(const TStar& star, TColor color);

    TDisplayState& Display;
    const TVisSettings& Settings;  // only BarB is read after construction
    TRandom& Random;

    std::uint8_t StarLimit = 0;  // slots 1..StarLimit may be born
    std::uint8_t StarBase = 0;   // base brightness of each channel at birth
    std::uint8_t SpeedTerm = 2;
    std::int32_t CenterX = 0;
    std::int32_t CenterY = 0;
    std::array<TStar, StarSlots> Stars{};  // slot i is Stars[i - 1]
    std::int32_t SpreadX = 0;              // side of the square stars are born in
    std::int32_t SpreadY = 0;
    std::int32_t Reach = 0;
    TColor BackColor = 0;
};
