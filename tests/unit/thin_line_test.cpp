// The thin-line walk: where ties between two pixels go, and that a clip changes only which of the
// line's pixels are visited. (That the pixels are the device's is checked under Wine.)

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <string>
#include <vector>

#include "framework/ThinLine.h"

namespace {

std::vector<TPoint> Walk(TPoint from, TPoint to, const TRect& clip) {
    std::vector<TPoint> pixels;
    ThinLine::ForEachPixel(from, to, clip, [&pixels](int x, int y) { pixels.push_back({x, y}); });
    return pixels;
}

// The pixels as rows of a 6 x 5 picture, '#' lit.
std::string Picture(const std::vector<TPoint>& pixels) {
    std::string rows(5 * 7, '.');
    for (int y = 0; y < 5; ++y) {
        rows[y * 7 + 6] = '|';
    }
    for (const TPoint& p : pixels) {
        rows.at(p.Y * 7 + p.X) = '#';
    }
    return rows;
}

bool Same(const TPoint& a, const TPoint& b) {
    return a.X == b.X && a.Y == b.Y;
}

}  // namespace

TEST(ThinLine, TiesGoToTheTopOrLeftWhicheverWayTheLineRuns) {
    const struct {
        TPoint From;
        TPoint To;
        const char* Want;
    } cases[] = {
        {{0, 0}, {4, 1}, "###...|...#..|......|......|......|"},  // right, down: half way at x 2
        {{4, 1}, {0, 0}, ".##...|...##.|......|......|......|"},  // the same backwards
        {{0, 4}, {4, 3}, "......|......|......|..##..|##....|"},  // right, up
        {{4, 3}, {0, 4}, "......|......|......|..###.|.#....|"},  // left, down
        {{0, 0}, {1, 4}, "#.....|#.....|#.....|.#....|......|"},  // down, right
        {{1, 4}, {0, 0}, "......|#.....|#.....|.#....|.#....|"},  // up, left
        {{5, 0}, {4, 4}, ".....#|.....#|....#.|....#.|......|"},  // down, left: half way at y 2
        {{0, 0}, {3, 3}, "#.....|.#....|..#...|......|......|"},  // a diagonal
        {{2, 2}, {3, 2}, "......|......|..#...|......|......|"},  // one pixel
        {{2, 2}, {2, 2}, "......|......|......|......|......|"},  // none
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Picture(Walk(c.From, c.To, {0, 0, 6, 5})), c.Want)
            << c.From.X << "," << c.From.Y << " to " << c.To.X << "," << c.To.Y;
    }
}

TEST(ThinLine, AClipKeepsTheLinesOwnPixelsAndOnlyThoseInside) {
    std::mt19937 random(7);
    const auto between = [&random](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    const TRect everything{-ThinLine::Reach, -ThinLine::Reach, ThinLine::Reach + 1, ThinLine::Reach + 1};
    for (int i = 0; i < 4000; ++i) {
        const int reach = i % 4 == 0 ? 3000 : 40;
        const TPoint from{between(-reach, reach), between(-reach, reach)};
        const TPoint to{between(-reach, reach), between(-reach, reach)};
        const TRect clip{between(-30, 10), between(-30, 10), between(-10, 30), between(-10, 30)};
        const std::vector<TPoint> whole = Walk(from, to, everything);
        std::vector<TPoint> want;
        for (const TPoint& p : whole) {
            if (p.X >= clip.Left && p.X < clip.Right && p.Y >= clip.Top && p.Y < clip.Bottom) {
                want.push_back(p);
            }
        }
        const std::vector<TPoint> have = Walk(from, to, clip);
        const bool equal = have.size() == want.size() && std::equal(have.begin(), have.end(), want.begin(), Same);
        ASSERT_TRUE(equal) << from.X << "," << from.Y << " to " << to.X << "," << to.Y << " in " << clip.Left << ","
                           << clip.Top << "," << clip.Right << "," << clip.Bottom << ": have " << have.size()
                           << " pixels, want " << want.size();
        // Drawn backwards, the same pixels apart from the two ends.
        std::vector<TPoint> back = Walk(to, from, everything);
        if (!whole.empty()) {
            back.erase(back.begin());
            back.push_back(from);
            ASSERT_TRUE(std::equal(back.rbegin(), back.rend(), whole.begin(), whole.end(), Same))
                << from.X << "," << from.Y << " to " << to.X << "," << to.Y << " backwards";
        }
    }
}

TEST(ThinLine, EndPointsBeyondItsReachAreRefusedAndHugeLinesCostOnlyTheClip) {
    int plotted = 0;
    const auto count = [&plotted](int, int) { ++plotted; };
    EXPECT_FALSE(ThinLine::ForEachPixel({0, 0}, {INT_MAX, 5}, {0, 0, 100, 100}, count));
    EXPECT_FALSE(ThinLine::ForEachPixel({INT_MIN, INT_MIN}, {0, 0}, {0, 0, 100, 100}, count));
    EXPECT_EQ(plotted, 0);
    const int r = ThinLine::Reach;
    EXPECT_TRUE(ThinLine::ForEachPixel({-r, -r + 1}, {r, r}, {0, 0, 100, 100}, count));
    // A clip as wide as the integers: nothing in the walk overflows.
    EXPECT_TRUE(ThinLine::ForEachPixel({-r, 50}, {-r + 1000, 50}, {INT_MIN, INT_MIN, INT_MAX, 51}, count));
    EXPECT_EQ(plotted, 100 + 1000);
}
