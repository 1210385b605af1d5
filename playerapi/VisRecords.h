#pragma once
// The two records through which a player drives a visualisation plug-in. Their layout is the
// player's binary interface: 32-bit fields in this exact order, no padding.

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#define VIS_CDECL __cdecl
#else
#define VIS_CDECL
#endif

struct winampVisModule;

using VisModuleCallback = void(VIS_CDECL*)(winampVisModule* module);
using VisModuleIntCallback = int(VIS_CDECL*)(winampVisModule* module);

constexpr int VisBinCount = 576;
constexpr int VisHeaderVersion = 0x101;

struct winampVisModule {
    const char* description;
    void* hwndParent;    // the player's main window (HWND)
    void* hDllInstance;  // HINSTANCE of the plug-in, filled by the player
    std::int32_t sRate;
    std::int32_t nCh;
    std::int32_t latencyMs;
    std::int32_t delayMs;
    std::int32_t spectrumNch;
    std::int32_t waveformNch;
    std::uint8_t spectrumData[2][VisBinCount];
    std::uint8_t waveformData[2][VisBinCount];
    VisModuleCallback Config;
    VisModuleIntCallback Init;
    VisModuleIntCallback Render;
    VisModuleCallback Quit;
    void* userData;
};

struct winampVisHeader {
    std::int32_t version;
    const char* description;
    winampVisModule*(VIS_CDECL* getModule)(int index);
};

using VisGetHeaderFunction = winampVisHeader*(VIS_CDECL*)();

// The layout only holds where pointers are 32 bits wide, as in the player's process.
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(winampVisHeader) == 12, "header record layout");
static_assert(sizeof(winampVisModule) == 2360, "module record layout");
static_assert(offsetof(winampVisModule, spectrumData) == 36, "module record layout");
static_assert(offsetof(winampVisModule, waveformData) == 1188, "module record layout");
static_assert(offsetof(winampVisModule, Config) == 2340, "module record layout");
static_assert(offsetof(winampVisModule, Init) == 2344, "module record layout");
static_assert(offsetof(winampVisModule, Render) == 2348, "module record layout");
static_assert(offsetof(winampVisModule, Quit) == 2352, "module record layout");
static_assert(offsetof(winampVisModule, userData) == 2356, "module record layout");
#endif

// Player command identifiers (WM_COMMAND) and WM_USER request codes.
namespace PlayerCommand {
constexpr int Previous = 40044;
constexpr int Play = 40045;
constexpr int Pause = 40046;
constexpr int Stop = 40047;
constexpr int Next = 40048;
constexpr int VolumeUp = 40058;
constexpr int VolumeDown = 40059;
constexpr int FastForward = 40060;
constexpr int Rewind = 40061;
}  // namespace PlayerCommand

namespace PlayerRequest {
// WM_USER with (wParam, lParam):
constexpr int VersionW = 0, VersionL = 0;      // player version
constexpr int LengthW = 1, LengthL = 105;      // track length in seconds
constexpr int PositionW = 0, PositionL = 105;  // play position in ms
constexpr int LengthAnsweredAbove = 5811;      // versions above this answer the length request
}  // namespace PlayerRequest
