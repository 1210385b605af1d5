// A visualisation plug-in that draws nothing and only asks the player, at every Render, what
// Skyburst asks it: the window's title, the track's length and the play position, the same way
// (a send that gives up on a hung player). The CPU benchmark subtracts it from Skyburst's cost to
// leave what is Skyburst's own to cut. Built for the benchmark only.

#include <windows.h>

#include "playerapi/VisRecords.h"

namespace {

constexpr UINT SendFlags = SMTO_ABORTIFHUNG | SMTO_BLOCK;
constexpr UINT TimeoutMs = 1000;

void Ask(HWND player, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(player, message, wParam, lParam, SendFlags, TimeoutMs, &result);
}

void VIS_CDECL Config(winampVisModule*) {}
int VIS_CDECL Init(winampVisModule*) {
    return 0;
}
int VIS_CDECL Render(winampVisModule* module) {
    const auto player = static_cast<HWND>(module->hwndParent);
    if (player != nullptr) {
        char title[512] = {};
        Ask(player, WM_GETTEXT, sizeof(title) - 1, reinterpret_cast<LPARAM>(title));
        Ask(player, WM_USER, PlayerRequest::LengthW, PlayerRequest::LengthL);
        Ask(player, WM_USER, PlayerRequest::PositionW, PlayerRequest::PositionL);
    }
    return 0;
}
void VIS_CDECL Quit(winampVisModule*) {}

winampVisModule* VIS_CDECL GetModule(int index);

winampVisHeader Header = {VisHeaderVersion, "Requests vis", &GetModule};
winampVisModule Module = {"Requests vis", nullptr, nullptr, 0,     0,      25, 10, 2, 0, {}, {},
                          &Config,        &Init,   &Render, &Quit, nullptr};

winampVisModule* VIS_CDECL GetModule(int index) {
    return index == 0 ? &Module : nullptr;
}

}  // namespace

extern "C" __declspec(dllexport) winampVisHeader* VIS_CDECL winampVisGetHeader() {
    return &Header;
}
