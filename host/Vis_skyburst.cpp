// The library entry: the header and module records the player reads, and the one export.

#include <windows.h>

#include "host/Vis.h"
#include "playerapi/VisRecords.h"

namespace {

winampVisModule* VIS_CDECL GetModule(int index);

winampVisHeader Header = {VisHeaderVersion, "Skyburst Plugin", &GetModule};

winampVisModule Module = {
    "Skyburst v2.21",
    nullptr,  // hwndParent
    nullptr,  // hDllInstance
    0,        // sRate
    0,        // nCh
    25,       // latencyMs
    10,       // delayMs
    2,        // spectrumNch
    0,        // waveformNch
    {},       // spectrumData
    {},       // waveformData
    &Config,
    &Init,
    &Render,
    &Quit,
    nullptr,  // userData
};

winampVisModule* VIS_CDECL GetModule(int index) {
    return index == 0 ? &Module : nullptr;
}

}  // namespace

extern "C" __declspec(dllexport) winampVisHeader* VIS_CDECL winampVisGetHeader() {
    return &Header;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        ShutdownOnUnload();
    }
    return TRUE;
}
