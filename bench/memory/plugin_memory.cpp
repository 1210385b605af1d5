// What a host pays for loading the plug-in again and again: cycles a plug-in DLL through load, Init, a few
// Renders, Quit and unload, and prints how the process's private bytes grew. Each cycle reads plugin.ini
// beside this program, so the caller chooses the setup (user GIFs, built-in images, everything off).
//
//   plugin_memory.exe PLUGIN.dll CYCLES [RENDERS]
//
// RENDERS (default 10) Render calls follow each Init; -1 only loads and unloads, without Init.

// clang-format off
#include <windows.h>
#include <psapi.h>  // needs <windows.h> first
// clang-format on

#include <cstdio>
#include <cstdlib>

#include "playerapi/VisRecords.h"

namespace {

// The process's commit charge. Wine leaves PrivateUsage at 0 and reports the same figure as PagefileUsage,
// which Windows keeps equal to PrivateUsage.
SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    return counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
}

// Runs this thread's messages for ms milliseconds, as a player's window thread would; the plug-in's quit
// requests are the host's to ignore here.
void Pump(int ms) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
    do {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message != WM_QUIT) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
    } while (static_cast<int>(end - GetTickCount()) > 0);
}

bool Cycle(const char* path, HWND player, int renders) {
    HMODULE dll = LoadLibraryA(path);
    if (dll == nullptr) {
        return false;
    }
    auto getHeader =
        reinterpret_cast<VisGetHeaderFunction>(reinterpret_cast<void*>(GetProcAddress(dll, "winampVisGetHeader")));
    winampVisModule* module = getHeader != nullptr ? getHeader()->getModule(0) : nullptr;
    if (module != nullptr && renders >= 0) {
        module->hwndParent = player;
        module->Init(module);
        for (int i = 0; i < renders; ++i) {
            for (auto& row : module->spectrumData) {
                for (auto& bin : row) {
                    bin = static_cast<unsigned char>((i * 37 + 11) & 0xFF);
                }
            }
            module->Render(module);
            Pump(5);
        }
        module->Quit(module);
        Pump(5);
    }
    FreeLibrary(dll);
    return module != nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: plugin_memory PLUGIN.dll CYCLES [RENDERS]\n");
        return 2;
    }
    const int cycles = std::atoi(argv[2]);
    const int renders = argc > 3 ? std::atoi(argv[3]) : 10;
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "MemoryBenchPlayer";
    RegisterClassA(&wc);
    HWND player = CreateWindowA(wc.lpszClassName, "1. Artist - Title - Player", WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                                nullptr, wc.hInstance, nullptr);
    // The first cycles settle what the system keeps once per process (fonts, GDI caches, loader data).
    const int warmUp = 5;
    for (int i = 0; i < warmUp; ++i) {
        if (!Cycle(argv[1], player, renders)) {
            std::fprintf(stderr, "cannot load %s\n", argv[1]);
            return 1;
        }
    }
    const SIZE_T before = PrivateBytes();
    // The growth since the last line tells a leak (it goes on) from a heap that settles at its working size
    // (it stops).
    double last = 0;
    for (int i = 1; i <= cycles; ++i) {
        Cycle(argv[1], player, renders);
        if (i % 100 == 0 || i == cycles) {
            const double grown = (static_cast<double>(PrivateBytes()) - static_cast<double>(before)) / 1024.0;
            std::printf("%5d cycles: %+9.0f KB (%+.2f KB a cycle), %+7.0f KB since the last line\n", i, grown,
                        grown / i, grown - last);
            std::fflush(stdout);
            last = grown;
        }
    }
    DestroyWindow(player);
    return 0;
}
