#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>

#include "display/TitleStrip.h"

namespace title_strip_test {

namespace {

// Answers from queues; an empty queue is a request left unanswered. Counts what was asked.
class TFakePlayer : public TPlayerRequests {
public:
    std::optional<int> VersionAnswer = 0x5010;
    std::optional<std::string> Text = "1. Artist - Song - Player";
    std::optional<int> Length = 225;
    std::deque<std::optional<int>> Positions;
    std::string Asked;

    std::optional<int> Version() override { return Asked += 'v', VersionAnswer; }
    std::optional<std::string> WindowText() override { return Asked += 't', Text; }
    std::optional<int> TrackLength() override { return Asked += 'l', Length; }
    std::optional<int> Position() override {
        Asked += 'p';
        if (Positions.empty()) {
            return std::nullopt;
        }
        const std::optional<int> p = Positions.front();
        Positions.pop_front();
        return p;
    }
};

}  // namespace

TEST(TitleStrip, FormatTime) {
    struct Case {
        int seconds;
        bool pad;
        const char* want;
    };
    const Case cases[] = {{5, false, "0:05"},     {5, true, "00:05"},  {754, false, "12:34"}, {754, true, "12:34"},
                          {3600, false, "60:00"}, {59, true, "00:59"}, {-1, false, "0:0-1"},  {-1, true, "00:0-1"}};
    for (const auto& c : cases) {
        EXPECT_EQ(FormatTime(c.seconds, c.pad), c.want) << c.seconds << (c.pad ? " padded" : "");
    }
}

TEST(TitleStrip, PlayerNameIsCutAtTheLastDash) {
    const std::string longText(511, 'x');
    const std::pair<std::string, std::string> cases[] = {
        {"12. Artist - Song - Player", "12. Artist - Song"},
        {"A-B", ""},  // the character before the dash goes with it
        {"Song  - Player", "Song "},
        {"No dash at all", "No dash at all"},
        {"-Player", ""},  // regression: a dash in front has no character before it
        {"", ""},
        {longText, longText},
    };
    for (const auto& [text, want] : cases) {
        EXPECT_EQ(TrimPlayerTitle(text), want) << "for \"" << text << "\"";
    }
    EXPECT_EQ(TrimBlanks(JoinLines({" Song\t", ""})), "Song");
}

TEST(TitleStrip, DirectionsAndSteps) {
    TRandom random;
    EXPECT_EQ(TitleDirection(-1, random), 0) << "below 0 stands still";
    EXPECT_EQ(TitleDirection(3, random), 3);
    EXPECT_EQ(random.SeedValue(), 0u) << "a configured direction draws nothing";
    random.Seed(12345);
    std::vector<int> drawn;
    for (int i = 0; i < 8; ++i) {
        drawn.push_back(TitleDirection(5, random));
    }
    EXPECT_EQ(drawn, (std::vector<int>{2, 2, 1, 3, 3, 2, 2, 1}));

    random.Seed(12345);
    std::vector<int> passes;
    int current = 1;
    for (int i = 0; i < 8; ++i) {
        passes.push_back(current = NextTitleDirection(current, random));
    }
    EXPECT_EQ(passes, (std::vector<int>{2, 1, 3, 2, 1, 4, 2, 1})) << "never the same twice, never static";
    for (int i = 0; i < 1000; ++i) {
        const int next = NextTitleDirection(current, random);
        ASSERT_TRUE(next >= 1 && next <= 4 && next != current) << "have " << next << " after " << current;
        current = next;
    }
    EXPECT_EQ(TitleSteps(0), 300);
    EXPECT_EQ(TitleSteps(2), 300);
    EXPECT_EQ(TitleSteps(3), 30);
    EXPECT_EQ(TitleSteps(4), 30);
    EXPECT_TRUE(ClockOnLeft(256));
    EXPECT_FALSE(ClockOnLeft(1));
}

TEST(TitleStrip, RefreshAsksTheVersionOnceAndTheClockMovesBySeconds) {
    TFakePlayer player;
    player.Positions = {999, 1000, 1999, 2000};
    int mode = TitleModeUnknown;
    int last = 0;
    TSongInfoUpdate u = RefreshSongInfo(player, mode, last, "ScrollText\r\n");
    EXPECT_EQ(u.Title, "1. Artist - Song < 3:45 >");
    EXPECT_FALSE(u.Clock) << "999 ms is still second 0";
    EXPECT_EQ(mode, 1);
    u = RefreshSongInfo(player, mode, last, "1. Artist - Song < 3:45 >\r\n");
    EXPECT_FALSE(u.Title) << "an unchanged title leaves the control alone";
    EXPECT_EQ(u.Clock, "00:01");
    EXPECT_FALSE(RefreshSongInfo(player, mode, last, "").Clock) << "1999 ms: same second";
    EXPECT_EQ(RefreshSongInfo(player, mode, last, "").Clock, "00:02");
    EXPECT_EQ(player.Asked, "vtlptlptlptlp");
}

TEST(TitleStrip, OldOrSilentPlayers) {
    for (const int version : {5811, -1}) {
        TFakePlayer player;
        player.VersionAnswer = version;
        player.Positions = {-1};
        int mode = TitleModeUnknown;
        int last = 5;
        const TSongInfoUpdate u = RefreshSongInfo(player, mode, last, "");
        EXPECT_EQ(u.Title, "1. Artist - Song") << "version " << version << ": plain title";
        EXPECT_EQ(u.Clock, "00:00") << "-1 ms is second 0";
        EXPECT_EQ(mode, 0);
        EXPECT_EQ(player.Asked, "vtp");
    }
    {
        TFakePlayer player;
        player.Length = -1;
        player.Positions = {0};
        int mode = 1;
        int last = 0;
        EXPECT_EQ(RefreshSongInfo(player, mode, last, "").Title, "1. Artist - Song < 0:0-1 >");
    }
    {
        // A hung player answers nothing: no change, and nothing more is asked of it.
        TFakePlayer player;
        player.VersionAnswer.reset();
        int mode = TitleModeUnknown;
        int last = 3;
        const TSongInfoUpdate u = RefreshSongInfo(player, mode, last, "");
        EXPECT_FALSE(u.Title || u.Clock);
        EXPECT_EQ(mode, TitleModeUnknown) << "asked again next time";
        player.VersionAnswer = 6000;
        player.Text.reset();
        RefreshSongInfo(player, mode, last, "");
        EXPECT_EQ(player.Asked, "vvt");
        EXPECT_EQ(last, 3);
    }
    {
        // A title ending in a blank never equals the trimmed text shown, so it is set every time.
        TFakePlayer player;
        player.Text = "Song  - Player";
        int mode = 0;
        int last = 0;
        EXPECT_EQ(RefreshSongInfo(player, mode, last, "Song \r\n").Title, "Song ");
    }
}

}  // namespace title_strip_test
