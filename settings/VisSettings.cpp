#include "settings/VisSettings.h"

#include "framework/SettingsValue.h"

TVisSettings& VisSettings() {
    static TVisSettings settings;
    return settings;
}

std::int32_t ReadSettingsInteger(TSettingsStore& store, const char* key, std::int32_t fallback) {
    const auto text = store.Read(key);
    return text ? DecodeSettingsInteger(*text, fallback) : fallback;
}

bool ReadSettingsBoolean(TSettingsStore& store, const char* key, bool fallback) {
    const auto text = store.Read(key);
    return text ? DecodeSettingsBoolean(*text, fallback) : fallback;
}

std::string ReadSettingsText(TSettingsStore& store, const char* key, const std::string& fallback) {
    const auto text = store.Read(key);
    return text ? DecodeSettingsText(*text) : fallback;
}

namespace {

void Read(TSettingsStore& store, const char* key, std::int32_t& field) {
    field = ReadSettingsInteger(store, key, field);
}

void Read(TSettingsStore& store, const char* key, TColor& field) {
    field = static_cast<TColor>(ReadSettingsInteger(store, key, static_cast<std::int32_t>(field)));
}

void Read(TSettingsStore& store, const char* key, bool& field) {
    field = ReadSettingsBoolean(store, key, field);
}

void Read(TSettingsStore& store, const char* key, std::string& field) {
    field = ReadSettingsText(store, key, field);
}

void WriteOrRaise(TSettingsStore& store, const char* key, const std::string& value) {
    if (!store.Write(key, value)) {
        throw ESettingsWriteError("Unable to write to " + store.Location());
    }
}

}  // namespace

void LoadSettingsFrom(TSettingsStore& store, TVisSettings& s) {
#define SKYBURST_READ(field) Read(store, #field, s.field)
    SKYBURST_READ(AlwaysTop);
    // Not a number is the player's monitor, whatever an earlier load found; a number that names no
    // monitor is taken as it is and means the player's monitor too.
    s.Monitor = ReadSettingsInteger(store, "Monitor", 0);
    SKYBURST_READ(Background);
    SKYBURST_READ(MeterForeground);
    SKYBURST_READ(MeterBackground);
    SKYBURST_READ(Spectrums);
    SKYBURST_READ(EnhSpect);
    SKYBURST_READ(Enhvu);
    SKYBURST_READ(SpectrumStyle);
    SKYBURST_READ(vustyle);
    SKYBURST_READ(EffectEnabled);
    SKYBURST_READ(SpectrumsEnabled);
    SKYBURST_READ(vuEnabled);
    SKYBURST_READ(ImageEnabled);
    SKYBURST_READ(Effect);
    SKYBURST_READ(SkyburstLatency);
    SKYBURST_READ(SpectrumsLatency);
    SKYBURST_READ(vuLatency);
    SKYBURST_READ(LightLatency);
    SKYBURST_READ(StarQty);
    SKYBURST_READ(Brightness);
    SKYBURST_READ(LightSpeed);
    SKYBURST_READ(LightCenterX);
    SKYBURST_READ(LightCenterY);
    SKYBURST_READ(Gravity);
    SKYBURST_READ(MaxRocketNumber);
    SKYBURST_READ(RocketStyleVar);
    SKYBURST_READ(MaxRocketPatchNumber);
    SKYBURST_READ(MaxRocketPatchLength);
    SKYBURST_READ(MaxRocketEnergy);
    SKYBURST_READ(MaxSpectrumH);
    SKYBURST_READ(BarB);
    SKYBURST_READ(vumeterH);
    SKYBURST_READ(vuB);
    SKYBURST_READ(vuOutline);
    SKYBURST_READ(vusegmented);
    SKYBURST_READ(VUsegW);
    SKYBURST_READ(TitleEnabled);
    SKYBURST_READ(TitleScroll);
    SKYBURST_READ(TitleColor);
    SKYBURST_READ(ClockAlign);
    SKYBURST_READ(ClockColor);
    SKYBURST_READ(LoadGif);
    // The user's images are read only when they are wanted; otherwise they keep what they had.
    if (s.LoadGif != "Default") {
        SKYBURST_READ(UserGif1A);
        SKYBURST_READ(UserGif1B);
        SKYBURST_READ(UserGif2A);
        SKYBURST_READ(UserGif2B);
        SKYBURST_READ(GifAlign1A);
        SKYBURST_READ(GifAlign1B);
        SKYBURST_READ(GifAlign2A);
        SKYBURST_READ(GifAlign2B);
    }
#undef SKYBURST_READ
}

void WriteSettingsInteger(TSettingsStore& store, const char* key, std::int32_t value) {
    WriteOrRaise(store, key, EncodeSettingsInteger(value));
}

void WriteSettingsBoolean(TSettingsStore& store, const char* key, bool value) {
    WriteOrRaise(store, key, EncodeSettingsBoolean(value));
}

void WriteSettingsText(TSettingsStore& store, const char* key, const std::string& value) {
    WriteOrRaise(store, key, value);
}
