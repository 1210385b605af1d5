#pragma once
// The process-wide settings record, one field per key of section "Skyburst" in plugin.ini.
// LoadSettings overlays it at every Init; everything else only reads it.

#include <cstdint>
#include <string>

#include "framework/Graphics.h"
#include "framework/SettingsStore.h"

struct TVisSettings {
    bool AlwaysTop = true;
    // 0 the player's monitor; 1 to n that monitor in the system's order; anything else means 0.
    std::int32_t Monitor = 0;
    TColor Background = 0;
    TColor MeterForeground = 255;
    TColor MeterBackground = 8388608;
    TColor Spectrums = 16711808;
    bool EnhSpect = true;
    bool Enhvu = true;
    std::int32_t SpectrumStyle = 1;
    std::int32_t vustyle = 1;
    bool EffectEnabled = true;
    bool SpectrumsEnabled = true;
    bool vuEnabled = true;
    bool ImageEnabled = true;
    std::int32_t Effect = 0;
    std::int32_t SkyburstLatency = 20;
    std::int32_t SpectrumsLatency = 15;
    std::int32_t vuLatency = 15;
    std::int32_t LightLatency = 20;
    std::int32_t StarQty = 100;
    std::int32_t Brightness = 96;
    std::int32_t LightSpeed = 2;
    std::int32_t LightCenterX = 25;
    std::int32_t LightCenterY = 40;
    std::int32_t Gravity = 200;
    std::int32_t MaxRocketNumber = 9;
    std::int32_t RocketStyleVar = 16;
    std::int32_t MaxRocketPatchNumber = 90;
    std::int32_t MaxRocketPatchLength = 70;
    std::int32_t MaxRocketEnergy = 800;
    std::int32_t MaxSpectrumH = 220;
    std::int32_t BarB = 3;
    std::int32_t vumeterH = 15;
    std::int32_t vuB = 6;
    bool vuOutline = true;
    bool vusegmented = true;
    std::int32_t VUsegW = 10;
    bool TitleEnabled = true;
    std::int32_t TitleScroll = 5;
    TColor TitleColor = 65280;
    std::int32_t ClockAlign = 1;
    TColor ClockColor = 16744448;
    std::string LoadGif = "Default";
    std::string UserGif1A;
    std::string UserGif1B;
    std::string UserGif2A;
    std::string UserGif2B;
    std::int32_t GifAlign1A = 0;
    std::int32_t GifAlign1B = 2;
    std::int32_t GifAlign2A = 0;
    std::int32_t GifAlign2B = 2;
};

// The record the whole plug-in reads.
TVisSettings& VisSettings();

constexpr const char* SettingsSection = "Skyburst";
constexpr const char* SettingsFileName = "plugin.ini";

// Where the plug-in keeps its settings: plugin.ini beside the host executable (Windows only).
std::string SettingsFilePath();

// Reads every key into settings in the file's order; the user's image keys only when LoadGif is
// not exactly "Default". A missing or unreadable key keeps the field's current value.
void LoadSettingsFrom(TSettingsStore& store, TVisSettings& settings);

// Single-key access with the same decoding, the current value as default.
std::int32_t ReadSettingsInteger(TSettingsStore& store, const char* key, std::int32_t fallback);
bool ReadSettingsBoolean(TSettingsStore& store, const char* key, bool fallback);
std::string ReadSettingsText(TSettingsStore& store, const char* key, const std::string& fallback);

// Writes raise ESettingsWriteError "Unable to write to <location>" when the store refuses.
void WriteSettingsInteger(TSettingsStore& store, const char* key, std::int32_t value);
void WriteSettingsBoolean(TSettingsStore& store, const char* key, bool value);
void WriteSettingsText(TSettingsStore& store, const char* key, const std::string& value);
