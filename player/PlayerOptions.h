#pragma once
// The test player's command line.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace player {

enum class SignalKind { Silence, Full, Sweep, Noise, Beat };

std::optional<SignalKind> ParseSignalKind(const std::string& name);

// A key the player can inject, with its Windows virtual-key code. Arrow keys are extended keys:
// their key messages carry bit 24 of lParam.
struct KeySpec {
    const char* name;
    int virtualKey;
    bool extended;
};

// Case-insensitive; nullptr for a name the player does not know.
const KeySpec* FindKey(const std::string& name);

enum class EventKind { Shot, Key, RightClick };

// Something the player does at a time after Init: argument is the file of a screenshot or the
// name of a key.
struct TimedEvent {
    std::int64_t atMs = 0;
    EventKind kind = EventKind::Shot;
    std::string argument;
};

struct PlayerOptions {
    std::string pluginPath;
    std::int64_t runMs = 10000;
    SignalKind signal = SignalKind::Beat;
    std::string wavPath;  // when set, it replaces the signal
    std::string title = "1. Test Artist - Test Song - Player";
    std::int32_t version = 0x5010;
    std::int32_t lengthSeconds = 225;
    std::vector<TimedEvent> events;  // in time order; events at the same time keep command-line order
    bool config = false;
    // Init, Render and Quit on a thread of their own, while the main window (hwndParent) stays
    // with the main thread: every request the plug-in sends then crosses threads, as in the player.
    bool pluginThread = false;
    std::string logPath;
    // Where the main window's top-left corner goes (--window X,Y); the desktop's origin otherwise.
    std::int32_t windowX = 0;
    std::int32_t windowY = 0;
};

struct ParseResult {
    bool ok = false;
    std::string error;
    PlayerOptions options;
};

// args excludes the program name.
ParseResult ParseOptions(const std::vector<std::string>& args);

const char* UsageText();

}  // namespace player
