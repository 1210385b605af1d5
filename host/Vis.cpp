#include "host/Vis.h"

#include <windows.h>

#include <memory>

#include "config/config.h"
#include "display/MainForm.h"
#include "framework/win32/Application.h"
#include "framework/win32/ProfileStore.h"
#include "host/VisSettings.h"

namespace {

winampVisModule* LastRenderedModule = nullptr;
std::unique_ptr<TForm1> Form1;

void DestroyForm() {
    if (Form1) {
        Form1->Shutdown();
        Form1.reset();
    }
    TWindow::UnregisterClasses();
}

}  // namespace

TApplication& Application() {
    static TApplication application;
    return application;
}

winampVisModule* CurrentModule() {
    return LastRenderedModule;
}

void LoadSettings() {
    TProfileStore store(SettingsFilePath(), SettingsSection);
    LoadSettingsFrom(store, VisSettings());
}

// No exception may cross into the player: it would end the player's process. Each callback
// catches at this boundary and reports the failure the way the interface allows.

void VIS_CDECL Config(winampVisModule* module) {
    try {
        Application().Handle = module != nullptr ? static_cast<HWND>(module->hwndParent) : nullptr;
        // Nothing of the dialog outlives the call: a host may unload us right after it.
        auto form = std::make_unique<TForm2>();
        form->ShowModal(Application().Handle);
    } catch (...) {
        Application().Handle = nullptr;
    }
}

int VIS_CDECL Init(winampVisModule* module) {
    try {
        LoadSettings();
        Application().Handle = module != nullptr ? static_cast<HWND>(module->hwndParent) : nullptr;
        Application().MainThreadId = GetCurrentThreadId();
        // A second Init without an unload starts from a fresh window.
        DestroyForm();
        auto form = std::make_unique<TForm1>();
        if (!form->Create()) {
            return 1;
        }
        Form1 = std::move(form);
        Form1->Show();
        return 0;
    } catch (...) {
        Form1.reset();
        return 1;
    }
}

int VIS_CDECL Render(winampVisModule* module) {
    try {
        LastRenderedModule = module;
        if (Form1 && module != nullptr) {
            Form1->RenderFrame(*module);
        }
    } catch (...) {
        // Render reports nothing; the next frame tries again.
    }
    return 0;
}

void VIS_CDECL Quit(winampVisModule* /*module*/) {
    try {
        Application().Handle = nullptr;
        // The player unloads the library right after Quit: nothing of ours may still run then,
        // so the renderers are stopped and waited for and the window goes now.
        DestroyForm();
        Application().Terminate();
    } catch (...) {
    }
}

void ShutdownOnUnload() {
    // Without a Quit the renderers may still run; the window cannot be destroyed safely from
    // here (the loader lock is held), so only the references are dropped.
    (void)Form1.release();
}
