#include "display/KeyCommands.h"

namespace {

constexpr int KeyEscape = 27;
constexpr int KeySpace = 32;
constexpr int KeyUp = 38;
constexpr int KeyDown = 40;

constexpr TColor VolumeColor = RGBColor(128, 0, 64);
constexpr TColor JumpColor = RGBColor(128, 0, 128);
constexpr TColor PlayColor = RGBColor(0, 0, 255);
constexpr TColor PauseColor = RGBColor(255, 0, 128);
constexpr TColor StopColor = RGBColor(255, 0, 0);
constexpr TColor SeekColor = RGBColor(0, 128, 0);
constexpr int ShortHint = 500;

TKeyResponse Jump(int command, const char* what, const TKeyState& state) {
    TKeyResponse r;
    r.Command = command;
    r.RefreshSongInfo = true;
    if (state.Stopped) {
        r.Hint = THint{std::string(what) + "  -  press [X] to start playing", JumpColor, 0};
    } else {
        r.Hint = THint{what, JumpColor, ShortHint};
        r.Title = TTitleAction::Reset;
    }
    return r;
}

}  // namespace

TKeyState& KeyState() {
    static TKeyState state;
    return state;
}

TKeyResponse VirtualKeyCommand(int virtualKey) {
    TKeyResponse r;
    switch (virtualKey) {
        case KeyEscape:
            r.EndDisplay = true;
            break;
        case KeySpace:
            r.StepImages = true;
            break;
        case KeyUp:
            r.Command = PlayerCommand::VolumeUp;
            r.Hint = THint{"Volume Up", VolumeColor, 200};
            break;
        case KeyDown:
            r.Command = PlayerCommand::VolumeDown;
            r.Hint = THint{"Volume Down", VolumeColor, 200};
            break;
        default:
            break;
    }
    return r;
}

TKeyResponse CharacterCommand(int character, TKeyState& state) {
    TKeyResponse r;
    switch (character) {
        case 'Z':
            r = Jump(PlayerCommand::Previous, "|<   Jump to previous song", state);
            if (!state.Stopped) {
                state.Paused = false;
            }
            break;
        case 'X':
            r.Command = PlayerCommand::Play;
            r.Hint = THint{">    Start playing.....", PlayColor, ShortHint};
            r.Title = TTitleAction::Reset;
            state.Paused = false;
            state.Stopped = false;
            break;
        case 'C':
            r.Command = PlayerCommand::Pause;
            if (state.Paused && !state.Stopped) {
                r.HideHint = true;
                r.Title = TTitleAction::Reset;
            } else if (!state.Stopped) {
                r.Hint = THint{"||   Pause  -  press [C] or [X] to continue", PauseColor, 0};
                r.Title = TTitleAction::Freeze;
            }
            state.Paused = !state.Paused;
            break;
        case 'V':
            r.Command = PlayerCommand::Stop;
            // Character 127 stands as the stop symbol.
            r.Hint = THint{"\x7F   Stop  -  press [X] to start playing", StopColor, 0};
            r.Title = TTitleAction::Freeze;
            state.Stopped = true;
            break;
        case 'B':
            r = Jump(PlayerCommand::Next, ">|   Jump to next song", state);
            if (!state.Stopped) {
                state.Paused = false;
            }
            break;
        case '.':
            r.Command = PlayerCommand::FastForward;
            r.Hint = THint{">>   Fast Forward", SeekColor, ShortHint};
            break;
        case ',':
            r.Command = PlayerCommand::Rewind;
            r.Hint = THint{"<<   Rewind", SeekColor, ShortHint};
            break;
        default:
            break;
    }
    return r;
}

void StartHintCountdown(TKeyState& state, int duration) {
    if (duration != 0) {
        state.HintDuration = duration;
        state.HintTiming = true;
    }
}

bool HintTimerTick(TKeyState& state, int intervalMs) {
    if (!state.HintTiming) {
        return false;
    }
    state.HintElapsed += intervalMs;
    if (state.HintElapsed <= state.HintDuration) {
        return false;
    }
    state.HintElapsed = 0;
    state.HintTiming = false;
    state.HintDuration = 0;
    return true;
}
