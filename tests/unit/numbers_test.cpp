// Rounding as the drawing does it: halves go to the even neighbour, out-of-range values are held
// to 32 bits and NaN gives 0, on the native build and on the 32-bit one (x87 arithmetic).

#include "framework/Numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

namespace numbers_test {

constexpr std::int32_t Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t Min = std::numeric_limits<std::int32_t>::min();

TEST(Numbers, NearestRoundsHalvesToEvenAndHoldsTo32Bits) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double v;
        std::int32_t want;
    } cases[] = {
        {0.5, 0},
        {1.5, 2},
        {2.5, 2},
        {-0.5, 0},
        {-1.5, -2},
        {-2.5, -2},
        {0.49999999999999994, 0},
        {-0.49999999999999994, 0},
        {2.5000000000000004, 3},
        {-2.5000000000000004, -3},
        {0.6, 1},
        {-0.6, -1},
        {-0.0, 0},
        {1073741823.5, 1073741824},  // the last half inside the worked-out range
        {1073741824.5, 1073741824},  // the first beyond it
        {-1073741824.5, -1073741824},
        {2147483646.5, 2147483646},
        {2147483647.4, Max},
        {3e9, Max},
        {-3e9, Min},
        {inf, Max},
        {-inf, Min},
        {std::nan(""), 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Nearest(c.v), c.want) << c.v;
    }
}

TEST(Numbers, NearestAgreesWithTheRoundingModeEverywhere) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> anywhere(-3e9, 3e9);
    std::uniform_int_distribution<int> whole(-5000, 5000);
    for (int i = 0; i < 20000; ++i) {
        const double v = anywhere(random);
        const double half = whole(random) + 0.5;  // ties, where rounding rules differ
        const double small = v / 1e6;
        for (const double x : {v, half, small}) {
            EXPECT_EQ(Nearest(x), Trunc(std::nearbyint(x))) << x;
        }
    }
}

}  // namespace numbers_test
