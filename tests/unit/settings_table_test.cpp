// Every key of plugin.ini: its name, how its value is decoded, its default, and the order and
// condition in which it is read.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "settings/VisSettings.h"

namespace settings_table_test {

namespace {

class TMapStore : public TSettingsStore {
public:
    std::map<std::string, std::string> Values;
    std::vector<std::string> ReadOrder;

    std::optional<std::string> Read(const char* key) override {
        ReadOrder.emplace_back(key);
        const auto it = Values.find(key);
        return it == Values.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    bool Write(const char* key, const std::string& value) override {
        Values[key] = value;
        return true;
    }
    std::string Location() const override { return "map"; }
};

enum class TKind { Boolean, Integer, Colour, Text };

struct TKey {
    const char* Name;
    TKind Kind;
    std::string Default;  // as the field shows it: 1/0 for booleans, decimal for numbers
    std::function<std::string(const TVisSettings&)> Field;
};

#define FIELD(name) [](const TVisSettings& s) { return Show(s.name); }

std::string Show(bool v) {
    return v ? "1" : "0";
}
std::string Show(std::int32_t v) {
    return std::to_string(v);
}
std::string Show(TColor v) {
    return std::to_string(v);
}
std::string Show(const std::string& v) {
    return v;
}

// In the order the file is read.
const std::vector<TKey>& Keys() {
    using K = TKind;
    static const std::vector<TKey> keys = {
        {"AlwaysTop", K::Boolean, "1", FIELD(AlwaysTop)},
        {"Monitor", K::Integer, "0", FIELD(Monitor)},
        {"Background", K::Colour, "0", FIELD(Background)},
        {"MeterForeground", K::Colour, "255", FIELD(MeterForeground)},
        {"MeterBackground", K::Colour, "8388608", FIELD(MeterBackground)},
        {"Spectrums", K::Colour, "16711808", FIELD(Spectrums)},
        {"EnhSpect", K::Boolean, "1", FIELD(EnhSpect)},
        {"Enhvu", K::Boolean, "1", FIELD(Enhvu)},
        {"SpectrumStyle", K::Integer, "1", FIELD(SpectrumStyle)},
        {"vustyle", K::Integer, "1", FIELD(vustyle)},
        {"EffectEnabled", K::Boolean, "1", FIELD(EffectEnabled)},
        {"SpectrumsEnabled", K::Boolean, "1", FIELD(SpectrumsEnabled)},
        {"vuEnabled", K::Boolean, "1", FIELD(vuEnabled)},
        {"ImageEnabled", K::Boolean, "1", FIELD(ImageEnabled)},
        {"Effect", K::Integer, "0", FIELD(Effect)},
        {"SkyburstLatency", K::Integer, "20", FIELD(SkyburstLatency)},
        {"SpectrumsLatency", K::Integer, "15", FIELD(SpectrumsLatency)},
        {"vuLatency", K::Integer, "15", FIELD(vuLatency)},
        {"LightLatency", K::Integer, "20", FIELD(LightLatency)},
        {"StarQty", K::Integer, "100", FIELD(StarQty)},
        {"Brightness", K::Integer, "96", FIELD(Brightness)},
        {"LightSpeed", K::Integer, "2", FIELD(LightSpeed)},
        {"LightCenterX", K::Integer, "25", FIELD(LightCenterX)},
        {"LightCenterY", K::Integer, "40", FIELD(LightCenterY)},
        {"Gravity", K::Integer, "200", FIELD(Gravity)},
        {"MaxRocketNumber", K::Integer, "9", FIELD(MaxRocketNumber)},
        {"RocketStyleVar", K::Integer, "16", FIELD(RocketStyleVar)},
        {"MaxRocketPatchNumber", K::Integer, "90", FIELD(MaxRocketPatchNumber)},
        {"MaxRocketPatchLength", K::Integer, "70", FIELD(MaxRocketPatchLength)},
        {"MaxRocketEnergy", K::Integer, "800", FIELD(MaxRocketEnergy)},
        {"MaxSpectrumH", K::Integer, "220", FIELD(MaxSpectrumH)},
        {"BarB", K::Integer, "3", FIELD(BarB)},
        {"vumeterH", K::Integer, "15", FIELD(vumeterH)},
        {"vuB", K::Integer, "6", FIELD(vuB)},
        {"vuOutline", K::Boolean, "1", FIELD(vuOutline)},
        {"vusegmented", K::Boolean, "1", FIELD(vusegmented)},
        {"VUsegW", K::Integer, "10", FIELD(VUsegW)},
        {"TitleEnabled", K::Boolean, "1", FIELD(TitleEnabled)},
        {"TitleScroll", K::Integer, "5", FIELD(TitleScroll)},
        {"TitleColor", K::Colour, "65280", FIELD(TitleColor)},
        {"ClockAlign", K::Integer, "1", FIELD(ClockAlign)},
        {"ClockColor", K::Colour, "16744448", FIELD(ClockColor)},
        {"LoadGif", K::Text, "Default", FIELD(LoadGif)},
        {"UserGif1A", K::Text, "", FIELD(UserGif1A)},
        {"UserGif1B", K::Text, "", FIELD(UserGif1B)},
        {"UserGif2A", K::Text, "", FIELD(UserGif2A)},
        {"UserGif2B", K::Text, "", FIELD(UserGif2B)},
        {"GifAlign1A", K::Integer, "0", FIELD(GifAlign1A)},
        {"GifAlign1B", K::Integer, "2", FIELD(GifAlign1B)},
        {"GifAlign2A", K::Integer, "0", FIELD(GifAlign2A)},
        {"GifAlign2B", K::Integer, "2", FIELD(GifAlign2B)},
    };
    return keys;
}

// A value of the key's type that differs from its default, as written and as the field shows it.
std::pair<std::string, std::string> OtherValue(const TKey& key) {
    switch (key.Kind) {
        case TKind::Boolean:
            return key.Default == "1" ? std::pair{"0", "0"} : std::pair{"2", "1"};
        case TKind::Integer:
            return {"0x7B", "123"};  // hexadecimal: an integer, not a text
        case TKind::Colour:
            return {"$123456", std::to_string(0x123456)};
        case TKind::Text:
            return {"C:\\gifs\\a b.gif", "C:\\gifs\\a b.gif"};
    }
    return {};
}

}  // namespace

TEST(SettingsTable, FiftyOneKeysWithTheirDefaultsTypesAndOrder) {
    ASSERT_EQ(Keys().size(), 51u);
    const TVisSettings defaults;
    TMapStore store;
    store.Values["LoadGif"] = "mine";  // the user's image keys are read only then
    for (const TKey& key : Keys()) {
        EXPECT_EQ(key.Field(defaults), key.Default) << key.Name << ": default";
        if (std::string(key.Name) != "LoadGif") {
            store.Values[key.Name] = OtherValue(key).first;
        }
    }
    TVisSettings loaded;
    LoadSettingsFrom(store, loaded);
    std::vector<std::string> order;
    for (const TKey& key : Keys()) {
        order.emplace_back(key.Name);
        const std::string want = std::string(key.Name) == "LoadGif" ? "mine" : OtherValue(key).second;
        EXPECT_EQ(key.Field(loaded), want) << key.Name << ": loaded";
    }
    EXPECT_EQ(store.ReadOrder, order);
}

TEST(SettingsTable, DefaultImagesSkipTheUserKeysAndMissingKeysKeepTheirValues) {
    TMapStore store;
    store.Values["UserGif1A"] = "a.gif";
    store.Values["GifAlign1A"] = "3";
    TVisSettings loaded;
    loaded.Gravity = 300;  // from an earlier load: a missing key keeps it
    loaded.Monitor = 2;    // except Monitor: missing or not a number is the player's monitor
    store.Values["Monitor"] = "second";
    LoadSettingsFrom(store, loaded);
    EXPECT_EQ(loaded.UserGif1A, "");
    EXPECT_EQ(loaded.GifAlign1A, 0);
    EXPECT_EQ(loaded.Gravity, 300);
    EXPECT_EQ(loaded.Monitor, 0);
    EXPECT_EQ(store.ReadOrder.size(), 43u);
    EXPECT_EQ(store.ReadOrder.back(), "LoadGif");
}

}  // namespace settings_table_test
