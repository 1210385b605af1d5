#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "display/RenderHook.h"

namespace render_hook_test {

namespace {

struct Frame {
    std::uint8_t bins[2][576];
    explicit Frame(std::uint8_t value) { std::memset(bins, value, sizeof bins); }
};

struct Result {
    std::array<std::int32_t, BandCount> bands{};
    std::array<std::int32_t, 2> levels{};
};

Result Reduce(const Frame& f,
              std::array<std::int32_t, BandCount> held = {},
              std::int32_t maxH = 220,
              std::int32_t right = 1023,
              std::int32_t vuB = 6) {
    Result r;
    r.bands = held;
    ReduceSpectrum(f.bins, right, vuB, maxH, r.bands, r.levels);
    return r;
}

TEST(RenderHook, SilenceScalesWhatTheBandsStillHold) {
    std::array<std::int32_t, BandCount> held{};
    held[0] = 100;  // not drawn since the last frame
    held[5] = 0;    // drawn: the renderer zeroed it
    const auto r = Reduce(Frame(0), held);
    EXPECT_EQ(r.bands[0], 8) << "Trunc(100 x 220 x 1.5 / 4096)";
    EXPECT_EQ(r.bands[5], 0);
    EXPECT_EQ(r.levels[0], 0);
    EXPECT_EQ(r.levels[1], 0);
}

TEST(RenderHook, FullScaleCapsEveryBandAndFillsTheMeter) {
    std::array<std::int32_t, BandCount> held{};
    held.fill(220);
    const auto r = Reduce(Frame(255), held);
    for (int k = 0; k < BandCount; ++k) {
        EXPECT_EQ(r.bands[k], 220) << "band " << k;
    }
    EXPECT_EQ(r.levels[0], 493) << "Trunc(1023 x 0.5 - 9 - 6 - 3)";
    EXPECT_EQ(r.levels[1], 493);
}

TEST(RenderHook, ChannelSumOf3000AlreadyGivesTheFullLevel) {
    Frame f(0);
    // 3000 spread over the 288 read bins of the left channel; the right stays silent.
    for (int j = 0; j < 288; ++j) {
        f.bins[0][j] = j < 120 ? 25 : 0;
    }
    const auto r = Reduce(f);
    EXPECT_EQ(r.levels[0], 493);
    EXPECT_EQ(r.levels[1], 0);
    // 2999 is level 99.
    f.bins[0][0] = 24;
    EXPECT_EQ(Reduce(f).levels[0], static_cast<std::int32_t>((1023 * 0.5 - 9 - 6 - 3) * 99 * 0.01));
}

TEST(RenderHook, BandsTakeEightBinsOfBothChannelsAndIgnoreTheUpperHalf) {
    Frame f(0);
    for (int j = 288; j < 576; ++j) {
        f.bins[0][j] = 255;  // above the bins read
        f.bins[1][j] = 255;
    }
    f.bins[0][8] = 200;  // band 1, left
    f.bins[1][15] = 56;  // band 1, right
    const auto r = Reduce(f, {}, 4096);
    EXPECT_EQ(r.bands[0], 0);
    EXPECT_EQ(r.bands[1], static_cast<std::int32_t>(256 * 4096 * 1.5 / 4096));
    for (int k = 2; k < BandCount; ++k) {
        EXPECT_EQ(r.bands[k], 0) << "band " << k;
    }
}

TEST(RenderHook, AbsurdSettingsNeitherOverflowNorGoNegativeWhereTheyMustNot) {
    std::array<std::int32_t, BandCount> held{};
    held.fill(2147483647);
    const auto r = Reduce(Frame(255), held, 2147483647, 2147483647, -2147483647);
    for (const auto b : r.bands) {
        EXPECT_EQ(b, 2147483647);
    }
    EXPECT_EQ(r.levels[0], 2147483647) << "held to 32 bits";
    const auto zero = Reduce(Frame(255), {}, 0, 0, 0);
    EXPECT_EQ(zero.bands[0], 0);
    EXPECT_EQ(zero.levels[0], -12);
}

}  // namespace

TEST(RenderInbox, OneRequestAtATimeAndTheLatestFrameWins) {
    TRenderInbox inbox;
    winampVisModule sent{};
    winampVisModule got{};
    EXPECT_FALSE(inbox.Take(got)) << "nothing arrived yet";
    std::vector<bool> request;
    for (std::uint8_t level : {10, 20, 30}) {
        std::memset(sent.spectrumData, level, sizeof sent.spectrumData);
        sent.hwndParent = &sent;
        request.push_back(inbox.Put(sent));
    }
    EXPECT_EQ(request, (std::vector<bool>{true, false, false})) << "a request queued while one is pending";
    ASSERT_TRUE(inbox.Take(got));
    EXPECT_EQ(got.spectrumData[1][575], 30);
    EXPECT_EQ(got.hwndParent, &sent);
    EXPECT_FALSE(inbox.Take(got)) << "a frame was rendered twice";
    EXPECT_TRUE(inbox.Put(sent)) << "taken: the next frame needs a request of its own";
    // A request that could not be queued must not silence the inbox for good.
    inbox.Discard();
    EXPECT_FALSE(inbox.Take(got)) << "a discarded frame was rendered";
    EXPECT_TRUE(inbox.Put(sent));
}

}  // namespace render_hook_test
