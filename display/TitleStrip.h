#pragma once
// The title strip's calculations: the clock's text, the song title taken from the player's
// window text, the scroll directions and the refresh of title and clock from the player's
// answers. The window side asks the player and shows the results.

#include <optional>
#include <string>
#include <vector>

#include "framework/Random.h"
#include "playerapi/VisRecords.h"

// The player has not been asked for its version yet.
constexpr int TitleModeUnknown = 44;

// "m:ss", or "mm:ss" when padMinutes; negative values follow the same rule ("0:0-1").
std::string FormatTime(int seconds, bool padMinutes);

// The window text without the player's name: the last "-", the character before it and all that
// follows are dropped; a text without "-" stays whole, and one whose only "-" is the first
// character leaves nothing.
std::string TrimPlayerTitle(const std::string& windowText);

// Without leading and trailing blanks and control characters.
std::string TrimBlanks(const std::string& text);

// The lines of a text control joined as one text, each line ended by CR LF.
std::string JoinLines(const std::vector<std::string>& lines);

// The direction for a TitleScroll setting: 0..4 as given, 5 or more a random moving direction
// (1..4), below 0 static.
int TitleDirection(int titleScroll, TRandom& random);
// Steps of one pass: 300 standing still or across, 30 up or down.
int TitleSteps(int direction);
// A random moving direction other than current.
int NextTitleDirection(int current, TRandom& random);
// The clock sits at the left end when the low byte of ClockAlign is 0.
bool ClockOnLeft(int clockAlign);

// The player's answers; nothing when it did not answer in time.
class TPlayerRequests {
public:
    virtual ~TPlayerRequests() = default;
    virtual std::optional<int> Version() = 0;
    virtual std::optional<std::string> WindowText() = 0;
    virtual std::optional<int> TrackLength() = 0;
    virtual std::optional<int> Position() = 0;
};

struct TSongInfoUpdate {
    std::optional<std::string> Title;  // the control's new line, when the title changed
    std::optional<std::string> Clock;  // the clock's new text, when the whole second changed
};

// Asks the player for what the strip shows. titleMode (44, 1 or 0) and lastSeconds are updated;
// currentTitle is the control's text as shown. A request the player leaves unanswered ends the
// refresh there: nothing further is asked and nothing more changes.
TSongInfoUpdate RefreshSongInfo(TPlayerRequests& player,
                                int& titleMode,
                                int& lastSeconds,
                                const std::string& currentTitle);

// The play position last written to the clock, in whole seconds; lives from library load on.
int& LastSeconds();
