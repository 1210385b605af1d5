#include <gtest/gtest.h>

#include <string>

#include "display/KeyCommands.h"

namespace key_commands_test {

TEST(KeyCommands, EachKeyPostsItsCommandAndShowsItsHint) {
    struct Case {
        int key;
        bool virtualKey;
        int command;
        const char* hint;
        TColor color;
        int duration;
        TTitleAction title;
    };
    const Case cases[] = {
        {38, true, 40058, "Volume Up", RGBColor(128, 0, 64), 200, TTitleAction::None},
        {40, true, 40059, "Volume Down", RGBColor(128, 0, 64), 200, TTitleAction::None},
        {'Z', false, 40044, "|<   Jump to previous song", RGBColor(128, 0, 128), 500, TTitleAction::Reset},
        {'X', false, 40045, ">    Start playing.....", RGBColor(0, 0, 255), 500, TTitleAction::Reset},
        {'C', false, 40046, "||   Pause  -  press [C] or [X] to continue", RGBColor(255, 0, 128), 0,
         TTitleAction::Freeze},
        {'V', false, 40047, "\x7F   Stop  -  press [X] to start playing", RGBColor(255, 0, 0), 0, TTitleAction::Freeze},
        {'B', false, 40048, ">|   Jump to next song", RGBColor(128, 0, 128), 500, TTitleAction::Reset},
        {'.', false, 40060, ">>   Fast Forward", RGBColor(0, 128, 0), 500, TTitleAction::None},
        {',', false, 40061, "<<   Rewind", RGBColor(0, 128, 0), 500, TTitleAction::None},
    };
    for (const auto& c : cases) {
        TKeyState state;
        const TKeyResponse r = c.virtualKey ? VirtualKeyCommand(c.key) : CharacterCommand(c.key, state);
        EXPECT_EQ(r.Command, c.command) << c.hint;
        ASSERT_TRUE(r.Hint) << c.hint;
        EXPECT_EQ(r.Hint->Text, c.hint);
        EXPECT_EQ(r.Hint->Color, c.color) << c.hint;
        EXPECT_EQ(r.Hint->Duration, c.duration) << c.hint;
        EXPECT_EQ(r.Title, c.title) << c.hint;
        EXPECT_EQ(r.RefreshSongInfo, c.key == 'Z' || c.key == 'B') << c.hint;
    }
    EXPECT_TRUE(VirtualKeyCommand(27).EndDisplay);
    EXPECT_TRUE(VirtualKeyCommand(32).StepImages);
    TKeyState state;
    // Esc, Space, the arrows and keys without a character match nothing in the second stage.
    for (const int character : {0, 27, int(' '), int('z'), int('A')}) {
        EXPECT_TRUE(CharacterCommand(character, state).Empty()) << character;
    }
    EXPECT_TRUE(VirtualKeyCommand('Z').Empty());
}

TEST(KeyCommands, StopAndPauseDecideTheHints) {
    TKeyState state;
    CharacterCommand('V', state);
    EXPECT_TRUE(state.Stopped);
    TKeyResponse r = CharacterCommand('Z', state);
    EXPECT_EQ(r.Hint->Text, "|<   Jump to previous song  -  press [X] to start playing");
    EXPECT_EQ(r.Hint->Duration, 0);
    EXPECT_EQ(r.Title, TTitleAction::None) << "the title stays still while stopped";
    r = CharacterCommand('B', state);
    EXPECT_EQ(r.Hint->Text, ">|   Jump to next song  -  press [X] to start playing");

    r = CharacterCommand('C', state);
    EXPECT_TRUE(!r.Hint && !r.HideHint && r.Title == TTitleAction::None) << "pause while stopped shows nothing";
    EXPECT_TRUE(state.Paused) << "but still toggles";

    CharacterCommand('X', state);
    EXPECT_FALSE(state.Paused || state.Stopped);
    EXPECT_EQ(CharacterCommand('Z', state).Hint->Text, "|<   Jump to previous song");

    r = CharacterCommand('C', state);
    EXPECT_EQ(r.Title, TTitleAction::Freeze);
    r = CharacterCommand('C', state);
    EXPECT_TRUE(r.HideHint && !r.Hint);
    EXPECT_EQ(r.Title, TTitleAction::Reset);
    EXPECT_FALSE(state.Paused);

    CharacterCommand('C', state);
    CharacterCommand('B', state);
    EXPECT_FALSE(state.Paused) << "next song resumes";
}

TEST(KeyCommands, ANewHintKeepsTheRunningCount) {
    TKeyState state;
    EXPECT_FALSE(HintTimerTick(state, 100)) << "no countdown, nothing to hide";
    EXPECT_EQ(state.HintElapsed, 0);

    StartHintCountdown(state, 500);
    for (int tick = 0; tick < 3; ++tick) {
        EXPECT_FALSE(HintTimerTick(state, 100));
    }
    StartHintCountdown(state, 200);  // shown at 300 ms of the first one
    EXPECT_TRUE(HintTimerTick(state, 100)) << "400 ms counted passes the new 200";
    EXPECT_EQ(state.HintElapsed, 0);
    EXPECT_FALSE(state.HintTiming);

    StartHintCountdown(state, 200);
    StartHintCountdown(state, 0);  // a lasting hint during a countdown
    EXPECT_FALSE(HintTimerTick(state, 100));
    EXPECT_FALSE(HintTimerTick(state, 100));
    EXPECT_TRUE(HintTimerTick(state, 100)) << "goes when the running countdown ends";
}

}  // namespace key_commands_test
