#include "display/TitleStrip.h"

#include "framework/Numbers.h"

std::string FormatTime(int seconds, bool padMinutes) {
    const int m = seconds / 60;
    const int s = seconds - 60 * m;
    const std::string secondsText = (s < 10 ? "0" : "") + std::to_string(s);
    const std::string minutesText = (padMinutes && m < 10 ? "0" : "") + std::to_string(m);
    return minutesText + ":" + secondsText;
}

std::string TrimPlayerTitle(const std::string& windowText) {
    const std::size_t dash = windowText.rfind('-');
    if (dash == std::string::npos) {
        return windowText;
    }
    // The character before the dash (normally a blank) goes with it; a dash in front has none.
    return dash == 0 ? std::string() : windowText.substr(0, dash - 1);
}

std::string TrimBlanks(const std::string& text) {
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && blank(text[begin])) {
        ++begin;
    }
    while (end > begin && blank(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

int TitleDirection(int titleScroll, TRandom& random) {
    if (titleScroll < 0) {
        return 0;  // the dialog's "nothing selected": stand still
    }
    if (titleScroll < 5) {
        return titleScroll;
    }
    return Trunc(random.NextReal() * 4 + 1);
}

int TitleSteps(int direction) {
    return direction > 2 ? 30 : 300;
}

int NextTitleDirection(int current, TRandom& random) {
    int d = 0;
    do {
        d = random.Next(4) + 1;
    } while (d == current);
    return d;
}

bool ClockOnLeft(int clockAlign) {
    return (clockAlign & 0xFF) == 0;
}

TSongInfoUpdate RefreshSongInfo(TPlayerRequests& player,
                                int& titleMode,
                                int& lastSeconds,
                                const std::string& currentTitle) {
    TSongInfoUpdate update;
    if (titleMode > 1) {
        const std::optional<int> version = player.Version();
        if (!version) {
            return update;  // asked again at the next refresh
        }
        titleMode = *version > PlayerRequest::LengthAnsweredAbove ? 1 : 0;
    }
    const std::optional<std::string> text = player.WindowText();
    if (!text) {
        return update;
    }
    std::string title = TrimPlayerTitle(*text);
    if (titleMode == 1) {
        const std::optional<int> length = player.TrackLength();
        if (!length) {
            return update;
        }
        title += " < " + FormatTime(*length, false) + " >";
    }
    if (TrimBlanks(currentTitle) != title) {
        update.Title = title;
    }
    const std::optional<int> position = player.Position();
    if (!position) {
        return update;
    }
    const int seconds = *position / 1000;
    if (seconds != lastSeconds) {
        lastSeconds = seconds;
        update.Clock = FormatTime(seconds, true);
    }
    return update;
}

int& LastSeconds() {
    static int seconds = 0;
    return seconds;
}
