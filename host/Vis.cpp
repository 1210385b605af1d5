#include "host/Vis.h"

#include <windows.h>

#include <atomic>
#include <memory>

#include "config/config.h"
#include "display/MainForm.h"
#include "framework/win32/Application.h"
#include "framework/win32/Messages.h"
#include "framework/win32/ProfileStore.h"
#include "settings/VisSettings.h"

namespace {

// How long a callback on another thread waits for the window thread: a render is dropped after
// a short wait, a shutdown may wait out a renderer's stop.
constexpr UINT RenderSendTimeoutMs = 100;
constexpr UINT ShutdownSendTimeoutMs = 5000;

std::atomic<winampVisModule*> LastRenderedModule{nullptr};
std::unique_ptr<TForm1> Form1;

// The display window's thread, when a window exists and it is not the calling thread.
bool OnAnotherThread(HWND window) {
    return window != nullptr && GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId();
}

// Ends the display on the thread that owns it. False when that thread did not answer in time:
// the form is then left alone, since touching it from here would race its own thread.
bool DestroyForm() {
    if (Form1) {
        const HWND window = Form1->Handle();
        if (OnAnotherThread(window)) {
            DWORD_PTR done = 0;
            if (SendMessageTimeoutA(window, WM_APP_SHUTDOWN_FORM, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG,
                                    ShutdownSendTimeoutMs, &done) == 0 &&
                IsWindow(window)) {
                return false;
            }
        } else {
            Form1->Shutdown();
        }
        // Its window is gone: what is left is memory, which any thread may free.
        Form1.reset();
    }
    TWindow::UnregisterClasses();
    return true;
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
        if (!DestroyForm()) {
            return 1;  // the old window's thread does not answer
        }
        auto form = std::make_unique<TForm1>();
        if (!form->Create()) {
            form.reset();
            // Nothing of a failed start may stay registered: a later Init registers anew.
            TWindow::UnregisterClasses();
            return 1;
        }
        Form1 = std::move(form);
        Form1->Show();
        return 0;
    } catch (...) {
        Form1.reset();
        TWindow::UnregisterClasses();
        return 1;
    }
}

int VIS_CDECL Render(winampVisModule* module) {
    try {
        LastRenderedModule = module;
        if (Form1 && module != nullptr) {
            const HWND window = Form1->Handle();
            if (OnAnotherThread(window)) {
                // The display and its renderers belong to the window thread: the frame is handed
                // to it, and dropped when that thread is too busy to take it soon.
                DWORD_PTR done = 0;
                SendMessageTimeoutA(window, WM_APP_RENDER_FRAME, 0, reinterpret_cast<LPARAM>(module),
                                    SMTO_BLOCK | SMTO_ABORTIFHUNG, RenderSendTimeoutMs, &done);
            } else if (window != nullptr) {
                Form1->RenderFrame(*module);
            }
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
        // so the renderers are stopped and waited for and the window goes now, on its own thread.
        // When that thread does not answer, Quit still returns in bounded time.
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
