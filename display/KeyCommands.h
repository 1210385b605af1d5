#pragma once
// What each key of the display window asks for: the player command it posts, the hint it shows
// and what happens to the title. The window carries the answer out.

#include <optional>
#include <string>

#include "framework/Graphics.h"
#include "playerapi/VisRecords.h"

// What the keys asked of the player (its real state is never read), and the hint's countdown.
// Lives from library load on.
struct TKeyState {
    bool Paused = false;
    bool Stopped = false;
    int HintElapsed = 0;   // ms counted since the current timed hint began
    int HintDuration = 0;  // ms the current timed hint stays
    bool HintTiming = false;
};

TKeyState& KeyState();

struct THint {
    std::string Text;
    TColor Color = clBlack;
    int Duration = 0;  // ms; 0 stays until something else hides it
};

enum class TTitleAction {
    None,
    Reset,   // the configured movement again
    Freeze,  // stand still and repaint
};

struct TKeyResponse {
    int Command = 0;  // posted to the player; 0 for none
    bool EndDisplay = false;
    bool StepImages = false;
    bool RefreshSongInfo = false;
    bool HideHint = false;
    std::optional<THint> Hint;
    TTitleAction Title = TTitleAction::None;

    bool Empty() const {
        return Command == 0 && !EndDisplay && !StepImages && !RefreshSongInfo && !HideHint && !Hint &&
               Title == TTitleAction::None;
    }
};

// The first stage, by virtual key code: Esc, Space, Up and Down.
TKeyResponse VirtualKeyCommand(int virtualKey);
// The second stage, by the character the key gives without modifiers (0 for none); updates
// Paused and Stopped.
TKeyResponse CharacterCommand(int character, TKeyState& state);

// A hint was shown: a nonzero duration starts (or retimes) the countdown, whose running count is
// kept.
void StartHintCountdown(TKeyState& state, int duration);
// One tick of the hint timer; true when the hint must be hidden now.
bool HintTimerTick(TKeyState& state, int intervalMs);
