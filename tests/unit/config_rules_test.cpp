#include <gtest/gtest.h>

#include "config/ConfigRules.h"
#include "framework/WidgetValues.h"

namespace config_rules_test {

TEST(ConfigRules, PartnerAlignmentKeepsTheImagesOfASetApart) {
    constexpr int None = -9;  // the partner stays as it is
    struct Case {
        int selected, partner, want;
    };
    const Case cases[] = {
        {4, 0, 2},    {4, 1, 2},     {4, 4, 2},      {4, 2, None},  {4, 3, None},  // a tile along the top
        {0, 4, 2},    {1, 4, 2},     {2, 4, None},   {3, 4, None},                 // a top corner beside a tile
        {1, 1, 2},    {3, 3, 4},     {0, 0, 1},      {2, 2, 3},                    // the same position
        {0, 1, None}, {-1, 2, None}, {-1, -1, None}, {4, -1, None},                // nothing to do
    };
    for (const auto& c : cases) {
        const auto have = PartnerAlignment(c.selected, c.partner);
        EXPECT_EQ(have.value_or(None), c.want) << "selected " << c.selected << ", partner " << c.partner;
        if (have) {
            // The partner's own click runs the rule again; it must not move the sender back.
            EXPECT_FALSE(PartnerAlignment(*have, c.selected)) << c.selected << "/" << c.partner;
        }
    }
}

TEST(ConfigRules, SpinTextIsDecimalOrTheMinimum) {
    struct Case {
        const char* text;
        int want;
    };
    const Case cases[] = {
        {"5", 5},
        {"-7", -7},
        {"+12", 12},
        {"", 10},
        {"-", 10},
        {"1.5", 10},
        {"0x10", 10},
        {"$10", 10},
        {" 3", 10},
        {"99999999999", 10},
        {"2147483647", 2147483647},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SpinTextValue(c.text, 10), c.want) << '"' << c.text << '"';
    }
    EXPECT_EQ(ClampSpinValue(5, 10, 50), 10);
    EXPECT_EQ(ClampSpinValue(51, 10, 50), 50);
    EXPECT_EQ(ClampSpinValue(-2147483648LL - 5, 1, 99), 1);
}

TEST(ConfigRules, SpinEditRefusesLettersButNotEditingKeys) {
    for (const char c : std::string("0123456789+-,\b\x03\x16\x18")) {
        EXPECT_TRUE(IsSpinEditChar(c, ',')) << int(c);
    }
    for (const char c : std::string("a .e$x")) {
        EXPECT_FALSE(IsSpinEditChar(c, ',')) << c;
    }
}

TEST(ConfigRules, RadioIndexClampsToTheItems) {
    EXPECT_EQ(ClampRadioIndex(7, 5), 4);
    EXPECT_EQ(ClampRadioIndex(-5, 5), -1);
    EXPECT_EQ(ClampRadioIndex(3, 5), 3);
    EXPECT_EQ(ClampRadioIndex(0, 0), -1);
}

TEST(ConfigRules, CustomColourEntryRoundTrips) {
    EXPECT_EQ(CustomColorEntry(0), "ColorA=000000");
    EXPECT_EQ(CustomColorEntry(16711808), "ColorA=FF0080");
    EXPECT_EQ(CustomColorEntry(0x12345678), "ColorA=12345678");
    const auto parsed = ParseCustomColorEntry("ColorC=FF0080");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->Slot, 2);
    EXPECT_EQ(parsed->Color, 16711808u);
    for (const char* bad : {"ColorQ=00", "ColorA=", "ColorA=xyz", "Colour=1", "ColorA=123456789"}) {
        EXPECT_FALSE(ParseCustomColorEntry(bad)) << bad;
    }
}

TEST(ConfigRules, PickerStartsInTheEditsFolder) {
    struct Case {
        const char* path;
        const char* directory;
        const char* file;
    };
    const Case cases[] = {
        {"C:\\gifs\\a.gif", "C:\\gifs\\", "a.gif"},
        {"D:b.gif", "D:", "b.gif"},
        {"plain.gif", "", "plain.gif"},
        {"C:\\gifs\\", "C:\\gifs\\", ""},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        const auto have = SplitPickerPath(c.path);
        EXPECT_EQ(have.Directory, c.directory) << c.path;
        EXPECT_EQ(have.FileName, c.file) << c.path;
    }
}

}  // namespace config_rules_test
