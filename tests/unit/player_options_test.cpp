#include <gtest/gtest.h>

#include "player/PlayerOptions.h"

namespace player::player_options_test {
namespace {

TEST(PlayerOptions, DefaultsWithOnlyThePlugin) {
    const ParseResult result = ParseOptions({"vis.dll"});
    ASSERT_TRUE(result.ok) << result.error;
    const PlayerOptions& o = result.options;
    EXPECT_EQ(o.pluginPath, "vis.dll");
    EXPECT_EQ(o.runMs, 10000);
    EXPECT_EQ(o.signal, SignalKind::Beat);
    EXPECT_EQ(o.wavPath, "");
    EXPECT_EQ(o.title, "1. Test Artist - Test Song - Player");
    EXPECT_EQ(o.version, 0x5010);
    EXPECT_EQ(o.lengthSeconds, 225);
    EXPECT_TRUE(o.events.empty());
    EXPECT_FALSE(o.config);
    EXPECT_FALSE(o.pluginThread);
    EXPECT_EQ(o.logPath, "");
}

TEST(PlayerOptions, ValuesAreRead) {
    struct Case {
        std::vector<std::string> args;
        std::int64_t runMs;
        std::int32_t version;
        std::int32_t length;
    };
    const Case cases[] = {
        {{"p.dll", "--seconds", "3"}, 3000, 0x5010, 225},
        {{"p.dll", "--seconds", "0.25"}, 250, 0x5010, 225},
        {{"--seconds", "2.5", "p.dll"}, 2500, 0x5010, 225},
        {{"p.dll", "--version", "0x5010"}, 10000, 0x5010, 225},
        {{"p.dll", "--version", "5811"}, 10000, 5811, 225},
        {{"p.dll", "--version", "0X16AC"}, 10000, 5804, 225},
        {{"p.dll", "--version", "-1"}, 10000, -1, 225},
        {{"p.dll", "--version", "0xFFFFFFFF"}, 10000, -1, 225},
        {{"p.dll", "--length", "0"}, 10000, 0x5010, 0},
        {{"p.dll", "--length", "-1"}, 10000, 0x5010, -1},
        {{"p.dll", "--length", "3600", "--version", "1"}, 10000, 1, 3600},
    };
    for (const Case& c : cases) {
        const ParseResult result = ParseOptions(c.args);
        ASSERT_TRUE(result.ok) << c.args[1] << " " << c.args[2] << ": " << result.error;
        EXPECT_EQ(result.options.runMs, c.runMs) << c.args[2];
        EXPECT_EQ(result.options.version, c.version) << c.args[2];
        EXPECT_EQ(result.options.lengthSeconds, c.length) << c.args[2];
    }
}

TEST(PlayerOptions, SignalWavTitleConfigLog) {
    ParseResult r = ParseOptions({"p.dll", "--signal", "full", "--title", "A - B - C", "--config", "--log", "x.log",
                                  "--plugin-thread", "--window", "1100,-20"});
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.options.windowX, 1100);
    EXPECT_EQ(r.options.windowY, -20);
    EXPECT_TRUE(r.options.pluginThread);
    EXPECT_EQ(r.options.signal, SignalKind::Full);
    EXPECT_EQ(r.options.title, "A - B - C");
    EXPECT_TRUE(r.options.config);
    EXPECT_EQ(r.options.logPath, "x.log");

    r = ParseOptions({"p.dll", "--wav", "demo.wav", "--title", ""});
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.options.wavPath, "demo.wav");
    EXPECT_EQ(r.options.title, "");

    const std::pair<const char*, SignalKind> signals[] = {{"silence", SignalKind::Silence},
                                                          {"full", SignalKind::Full},
                                                          {"sweep", SignalKind::Sweep},
                                                          {"noise", SignalKind::Noise},
                                                          {"beat", SignalKind::Beat}};
    for (const auto& [name, kind] : signals) {
        r = ParseOptions({"p.dll", "--signal", name});
        ASSERT_TRUE(r.ok) << name;
        EXPECT_EQ(r.options.signal, kind) << name;
    }
}

TEST(PlayerOptions, TimedEventsAreSortedStably) {
    const ParseResult r = ParseOptions({"p.dll", "--shot", "2000=b.bmp", "--key", "500=esc", "--rclick", "500",
                                        "--shot", "0=a=1.bmp", "--key", "500=Period"});
    ASSERT_TRUE(r.ok) << r.error;
    struct Want {
        std::int64_t atMs;
        EventKind kind;
        const char* argument;
    };
    const Want want[] = {{0, EventKind::Shot, "a=1.bmp"},
                         {500, EventKind::Key, "Esc"},
                         {500, EventKind::RightClick, ""},
                         {500, EventKind::Key, "Period"},
                         {2000, EventKind::Shot, "b.bmp"}};
    ASSERT_EQ(r.options.events.size(), std::size(want));
    for (std::size_t i = 0; i < std::size(want); ++i) {
        EXPECT_EQ(r.options.events[i].atMs, want[i].atMs) << i;
        EXPECT_EQ(r.options.events[i].kind, want[i].kind) << i;
        EXPECT_EQ(r.options.events[i].argument, want[i].argument) << i;
    }
}

TEST(PlayerOptions, KeysHaveTheirVirtualKeyCodes) {
    struct Case {
        const char* name;
        int virtualKey;
        bool extended;
    };
    const Case cases[] = {{"Esc", 0x1B, false}, {"space", 0x20, false},  {"UP", 0x26, true},    {"Down", 0x28, true},
                          {"z", 'Z', false},    {"X", 'X', false},       {"C", 'C', false},     {"v", 'V', false},
                          {"B", 'B', false},    {"Period", 0xBE, false}, {"comma", 0xBC, false}};
    for (const Case& c : cases) {
        const KeySpec* key = FindKey(c.name);
        ASSERT_NE(key, nullptr) << c.name;
        EXPECT_EQ(key->virtualKey, c.virtualKey) << c.name;
        EXPECT_EQ(key->extended, c.extended) << c.name;
    }
    EXPECT_EQ(FindKey("Enter"), nullptr);
    EXPECT_EQ(FindKey(""), nullptr);
    EXPECT_EQ(FindKey("Esca"), nullptr);
}

TEST(PlayerOptions, BadArgumentsAreRejected) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--seconds", "3"},
        {"a.dll", "b.dll"},
        {"p.dll", "--seconds"},
        {"p.dll", "--seconds", "0"},
        {"p.dll", "--seconds", "-1"},
        {"p.dll", "--seconds", "abc"},
        {"p.dll", "--seconds", "3s"},
        {"p.dll", "--seconds", "nan"},
        {"p.dll", "--seconds", "99999"},
        {"p.dll", "--signal", "pink"},
        {"p.dll", "--signal", "Full"},
        {"p.dll", "--signal", "full", "--wav", "x.wav"},
        {"p.dll", "--version", "0x"},
        {"p.dll", "--version", "12abc"},
        {"p.dll", "--version", "0x100000000"},
        {"p.dll", "--version", "99999999999"},
        {"p.dll", "--length", "0x10"},
        {"p.dll", "--length", " 5"},
        {"p.dll", "--shot", "100"},
        {"p.dll", "--shot", "100="},
        {"p.dll", "--shot", "-5=a.bmp"},
        {"p.dll", "--shot", "x=a.bmp"},
        {"p.dll", "--key", "100=Enter"},
        {"p.dll", "--key", "Esc"},
        {"p.dll", "--rclick", "soon"},
        {"p.dll", "--log", ""},
        {"p.dll", "--window", "1100,"},
        {"p.dll", "--frobnicate"},
        {"p.dll", "--frobnicate", "1"},
    };
    for (const auto& args : cases) {
        const ParseResult result = ParseOptions(args);
        std::string joined;
        for (const auto& a : args) {
            joined += a + " ";
        }
        EXPECT_FALSE(result.ok) << "accepted: " << joined;
        if (!result.ok) {
            EXPECT_FALSE(result.error.empty()) << joined;
        }
    }
}

}  // namespace
}  // namespace player::player_options_test
