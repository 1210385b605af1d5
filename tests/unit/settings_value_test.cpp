#include <gtest/gtest.h>

#include "framework/SettingsValue.h"

namespace settings_value_test {

TEST(SettingsValue, IntegersDecodeOrKeepTheDefault) {
    struct Case {
        const char* text;
        std::int32_t want;
    };
    const Case cases[] = {
        {"16", 16},
        {"0x10", 16},
        {"0X10", 16},
        {"$10", 16},
        {"-5", -5},
        {"+7", 7},
        {"abc", 200},
        {"", 200},
        {"0x", 200},
        {"$", 200},
        {"12abc", 200},
        {" 12", 200},
        {"2147483647", 2147483647},
        {"2147483648", 200},
        {"-2147483648", -2147483647 - 1},
        {"0xFFFFFFFF", -1},
        {"0x100000000", 200},
        {"-", 200},
        {"0", 0},
        {"0x7fffffff", 2147483647},
        {"99999999999999999999", 200},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeSettingsInteger(c.text, 200), c.want) << "text \"" << c.text << "\"";
    }
}

TEST(SettingsValue, BooleansAreAnyNonzeroInteger) {
    EXPECT_TRUE(DecodeSettingsBoolean("2", false));
    EXPECT_TRUE(DecodeSettingsBoolean("-1", false));
    EXPECT_FALSE(DecodeSettingsBoolean("0", true));
    EXPECT_TRUE(DecodeSettingsBoolean("yes", true)) << "garbage keeps the default";
    EXPECT_FALSE(DecodeSettingsBoolean("yes", false));
    EXPECT_EQ(EncodeSettingsBoolean(true), "1");
    EXPECT_EQ(EncodeSettingsBoolean(false), "0");
}

TEST(SettingsValue, TextsAreCutTo1023Characters) {
    const std::string longText(1100, 'x');
    EXPECT_EQ(DecodeSettingsText(longText).size(), 1023u);
    EXPECT_EQ(DecodeSettingsText("C:\\gifs\\a.gif"), "C:\\gifs\\a.gif");
}

}  // namespace settings_value_test
