// The library entry: the header and module records the player reads, and the one export.

#include <windows.h>

#include "host/StaticRuntime.h"
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

// The static C++ runtime keeps a pool for exceptions thrown when memory runs out (about 18 KB), allocated at
// load from the process's heap and never given back: every load and unload by a host would leave one behind.
namespace __gnu_cxx {
void __freeres();
}

// Told of every thread that ends while the library is loaded, to free the thread's exception record.
BOOL WINAPI DllMain(HINSTANCE /*instance*/, DWORD reason, LPVOID reserved) {
    if (reason == DLL_THREAD_DETACH) {
        ReleaseThreadExceptionRecord();
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        ShutdownOnUnload();
        __gnu_cxx::__freeres();
    }
    return TRUE;
}
