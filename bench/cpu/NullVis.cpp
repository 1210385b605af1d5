// A visualisation plug-in that does nothing: the baseline the CPU benchmark subtracts, so that
// what is left is what Skyburst itself costs the player. Built for the benchmark only.

#include <windows.h>

#include "playerapi/VisRecords.h"

namespace {

void VIS_CDECL Config(winampVisModule*) {}
int VIS_CDECL Init(winampVisModule*) {
    return 0;
}
int VIS_CDECL Render(winampVisModule*) {
    return 0;
}
void VIS_CDECL Quit(winampVisModule*) {}

winampVisModule* VIS_CDECL GetModule(int index);

winampVisHeader Header = {VisHeaderVersion, "Null vis", &GetModule};
winampVisModule Module = {"Null vis", nullptr, nullptr, 0,       0,     25,      10,    2,
                          0,          {},      {},      &Config, &Init, &Render, &Quit, nullptr};

winampVisModule* VIS_CDECL GetModule(int index) {
    return index == 0 ? &Module : nullptr;
}

}  // namespace

extern "C" __declspec(dllexport) winampVisHeader* VIS_CDECL winampVisGetHeader() {
    return &Header;
}
