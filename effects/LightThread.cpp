#include "effects/LightThread.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "framework/Numbers.h"

namespace {

// A birth point more than 6 pixels from the origin needs a square of side 10 at least; in a
// smaller one the search could never end, so no star is born there.
constexpr std::int32_t SmallestSpread = 10;
constexpr double HoleRadius = 6;
// Even in the smallest square one draw in twenty succeeds; this bound is never met in practice
// and only keeps a frame finite.
constexpr int MostBirthDraws = 10000;

int Brighter(int channel, int boost) {
    return std::min(255, channel + boost);
}

}  // namespace

TLightSpeed::TLightSpeed(TCanvas* canvas) : TLightSpeed(canvas, DisplayState(), VisSettings(), SharedRandom()) {}

TLightSpeed::TLightSpeed(TCanvas* canvas, TDisplayState& display, const TVisSettings& settings, TRandom& random)
    : TEffectThread(canvas, settings.LightLatency), Display(display), Settings(settings), Random(random) {
    StarLimit = static_cast<std::uint8_t>(Settings.StarQty & 0xFF);
    StarBase = static_cast<std::uint8_t>(Settings.Brightness & 0xFF);
    SpeedTerm = 2;
    BackColor = Settings.Background;
    CenterX = Clamp32(static_cast<std::int64_t>(Display.MainPanelRight) * Settings.LightCenterX / 100);
    CenterY = Clamp32(static_cast<std::int64_t>(Display.MainPanelHeight) * Settings.LightCenterY / 100);
    Random.Reseed();
    for (TStar& star : Stars) {
        star.Color = -1;
    }
}

bool TLightSpeed::Birth(TStar& star) {
    if (SpreadX < SmallestSpread || SpreadY < SmallestSpread) {
        return false;
    }
    double d = 0;
    int draws = 0;
    do {
        if (++draws > MostBirthDraws) {
            return false;
        }
        star.X1 = static_cast<float>(Random.Next(SpreadX) - SpreadX / 2);
        star.Y1 = static_cast<float>(Random.Next(SpreadY) - SpreadY / 2);
        d = std::sqrt(static_cast<double>(star.X1) * star.X1 + static_cast<double>(star.Y1) * star.Y1);
        star.Factor = static_cast<float>(d);
    } while (d <= HoleRadius);
    // 1 + 0.6 x Reach / d^2: the nearer the origin, the faster.
    const double birthDistance = star.Factor;
    star.Factor = static_cast<float>((SpeedTerm + 1) / (birthDistance * birthDistance / Reach * 5) + 1);
    star.X2 = static_cast<float>(static_cast<double>(star.X1) * star.Factor * 1.01);
    star.Y2 = static_cast<float>(static_cast<double>(star.Y1) * star.Factor * 1.01);
    const int b = Random.Next(64);
    const int g = Random.Next(64);
    const int r = Random.Next(64);
    star.Color =
        static_cast<std::int32_t>(RGBColor(Brighter(StarBase, r), Brighter(StarBase, g), Brighter(StarBase, b)));
    star.PenWidth = 1;
    star.PenWidth += Random.Next(20) == 0 ? 1 : 0;
    star.PenWidth += Random.Next(20) == 0 ? 1 : 0;
    return true;
}

void TLightSpeed::Streak(const TStar& star, TColor color) {
    Canvas->Pen.Width = star.PenWidth;
    Canvas->Pen.Color = color;
    Canvas->MoveTo(Nearest(star.OriginX + static_cast<double>(star.X1)),
                   Nearest(star.OriginY + static_cast<double>(star.Y1)));
    Canvas->LineTo(Nearest(star.OriginX + static_cast<double>(star.X2)),
                   Nearest(star.OriginY + static_cast<double>(star.Y2)));
}

void TLightSpeed::DrawFrame() {
    if (Canvas == nullptr) {
        return;
    }
    const std::int32_t W = Display.MainPanelRight;
    const std::int32_t H = Display.MainPanelHeight;
    SpreadX = std::min(W / 4, H / 4);
    SpreadY = SpreadX;
    Reach = Nearest(std::sqrt(static_cast<double>(SpreadX) * SpreadX * 0.5));
    // The lowest row a streak may reach: below it lie the bars' resting blocks.
    const double L = static_cast<double>(H) - Settings.BarB - 5;
    const auto above = [L](const TStar& s) {
        return static_cast<double>(s.OriginY) + s.Y1 <= L && static_cast<double>(s.OriginY) + s.Y2 <= L;
    };

    for (int i = 1; i <= StarSlots; ++i) {
        TStar& star = Stars[i - 1];
        if (star.Color == -1) {
            if (i > StarLimit || !Birth(star)) {
                continue;
            }
        } else if (above(star)) {
            Streak(star, BackColor);  // exactly the line drawn last frame
        }
        star.OriginX = CenterX;
        star.OriginY = CenterY;
        const double f = star.Factor;
        star.X1 = static_cast<float>(star.X1 * f);
        star.X2 = static_cast<float>(star.X2 * f);
        star.Y1 = static_cast<float>(star.Y1 * f);
        star.Y2 = static_cast<float>(star.Y2 * f);
        // Fast stars brighten strongly, slow ones hardly at all.
        const std::int32_t n = Nearest(f * f * f * f);
        const TColor old = static_cast<TColor>(star.Color);
        const int b = Brighter(Random.Next(n), BlueOf(old));
        const int g = Brighter(Random.Next(n), GreenOf(old));
        const int r = Brighter(Random.Next(n), RedOf(old));
        star.Color = static_cast<std::int32_t>(RGBColor(r, g, b));
        if (above(star)) {
            Streak(star, static_cast<TColor>(star.Color));
        }
        const double innerX = star.OriginX + static_cast<double>(star.X1);
        const double innerY = star.OriginY + static_cast<double>(star.Y1);
        if (innerX < -5 || innerX > static_cast<double>(W) + 5 || innerY < -5 || innerY > L) {
            star.Color = -1;
        }
    }
}
