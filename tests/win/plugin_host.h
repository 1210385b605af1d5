#pragma once
// A minimal host for tests that load the real DLL: a host window, the library, its module, and
// the ways hosts differ in driving it (which thread, how they pump, when they unload).

#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/win32/ProfileStore.h"
#include "playerapi/VisRecords.h"
#include "settings/VisSettings.h"
#include "tests/win/pump.h"

// Writes plugin.ini beside the test executable with body as its Skyburst section.
inline bool WriteSettingsFile(const std::string& body) {
    const std::string ini = std::string("[Skyburst]\r\n") + body;
    HANDLE file = CreateFileA(SettingsFilePath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    WriteFile(file, ini.data(), static_cast<DWORD>(ini.size()), &written, nullptr);
    CloseHandle(file);
    return written == ini.size();
}

class TTestHost {
public:
    TTestHost() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "SkyburstTestHost";
        RegisterClassA(&wc);
        Window = CreateWindowA("SkyburstTestHost", "1. A - B - Player", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                               wc.hInstance, nullptr);
    }
    ~TTestHost() {
        Unload();
        DestroyWindow(Window);
        UnregisterClassA("SkyburstTestHost", GetModuleHandleA(nullptr));
        DeleteFileA(SettingsFilePath().c_str());
    }
    TTestHost(const TTestHost&) = delete;
    TTestHost& operator=(const TTestHost&) = delete;

    // Loads the DLL beside the test executable; the module, or nullptr.
    winampVisModule* Load() {
        Dll = LoadLibraryA((ExecutableDirectory() + "vis_skyburst.dll").c_str());
        if (Dll == nullptr) {
            return nullptr;
        }
        // Through void*: the export's true type is not the FARPROC the loader hands out.
        auto getHeader =
            reinterpret_cast<VisGetHeaderFunction>(reinterpret_cast<void*>(GetProcAddress(Dll, "winampVisGetHeader")));
        Module = getHeader != nullptr ? getHeader()->getModule(0) : nullptr;
        if (Module != nullptr) {
            Module->hwndParent = Window;
        }
        return Module;
    }
    void Unload() {
        if (Dll != nullptr) {
            FreeLibrary(Dll);
            Dll = nullptr;
            Module = nullptr;
        }
    }
    // One render call with every bin at level.
    int Render(int level) {
        for (auto& row : Module->spectrumData) {
            for (auto& bin : row) {
                bin = static_cast<std::uint8_t>(level);
            }
        }
        return Module->Render(Module);
    }

    HWND Window = nullptr;
    HMODULE Dll = nullptr;
    winampVisModule* Module = nullptr;
};

// The plug-in's display window, or nullptr.
inline HWND DisplayWindow() {
    return FindWindowA("SkyburstForm", nullptr);
}
