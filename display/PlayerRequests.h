#pragma once
// The player's answers about the song, asked of its window with a bounded wait: the thread that
// owns that window may be busy or already gone quiet while the player shuts down, and the render
// thread must never hang on it.

#include <windows.h>

#include <optional>
#include <string>

#include "display/TitleStrip.h"

class TPlayerWindowRequests : public TPlayerRequests {
public:
    // Each request waits at most timeoutMs; none is sent to a null window.
    explicit TPlayerWindowRequests(HWND player, UINT timeoutMs = 100) : Player(player), TimeoutMs(timeoutMs) {}

    std::optional<int> Version() override;
    std::optional<std::string> WindowText() override;
    std::optional<int> TrackLength() override;
    std::optional<int> Position() override;

private:
    std::optional<LRESULT> Send(UINT message, WPARAM wParam, LPARAM lParam);

    HWND Player;
    UINT TimeoutMs;
};
