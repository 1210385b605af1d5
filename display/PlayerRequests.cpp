#include "display/PlayerRequests.h"

#include <array>

namespace {

constexpr int TextBufferSize = 512;

std::optional<int> AsInteger(std::optional<LRESULT> result) {
    if (!result) {
        return std::nullopt;
    }
    // The player answers 32-bit signed values.
    return static_cast<int>(static_cast<LONG>(*result));
}

}  // namespace

std::optional<LRESULT> TPlayerWindowRequests::Send(UINT message, WPARAM wParam, LPARAM lParam) {
    if (Player == nullptr) {
        return std::nullopt;
    }
    DWORD_PTR result = 0;
    // SMTO_ABORTIFHUNG: a player that stopped answering costs nothing; SMTO_BLOCK: nothing else
    // of ours runs while we wait.
    if (SendMessageTimeoutA(Player, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK, TimeoutMs, &result) == 0) {
        return std::nullopt;
    }
    return static_cast<LRESULT>(result);
}

std::optional<int> TPlayerWindowRequests::Version() {
    return AsInteger(Send(WM_USER, PlayerRequest::VersionW, PlayerRequest::VersionL));
}

std::optional<int> TPlayerWindowRequests::TrackLength() {
    return AsInteger(Send(WM_USER, PlayerRequest::LengthW, PlayerRequest::LengthL));
}

std::optional<int> TPlayerWindowRequests::Position() {
    return AsInteger(Send(WM_USER, PlayerRequest::PositionW, PlayerRequest::PositionL));
}

std::optional<std::string> TPlayerWindowRequests::WindowText() {
    std::array<char, TextBufferSize> buffer{};
    if (!Send(WM_GETTEXT, TextBufferSize - 1, reinterpret_cast<LPARAM>(buffer.data()))) {
        return std::nullopt;
    }
    buffer.back() = '\0';  // whatever the answer, the text ends inside the buffer
    return std::string(buffer.data());
}
