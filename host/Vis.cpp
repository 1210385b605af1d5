#include "host/Vis.h"

#include <windows.h>

#include <memory>
#include <mutex>
#include <utility>

#include "config/config.h"
#include "display/MainForm.h"
#include "framework/Sync.h"
#include "framework/win32/Application.h"
#include "framework/win32/Messages.h"
#include "framework/win32/ProfileStore.h"
#include "settings/VisSettings.h"

namespace {

// How long Quit or Init on another thread waits for the window thread to end the display.
constexpr DWORD ShutdownSendTimeoutMs = 5000;
// How long it lets a window thread that is inside a call of the display go on before it asks again.
constexpr DWORD ShutdownRetryMs = 2;

// The display as the callbacks on any thread see it. Render, Init and Quit may come from
// different threads, so the reference is taken and changed only under the lock, and a callback
// works on its own copy: a Render still holding the form keeps its memory alive while another
// thread ends the display. Nothing waits while it holds the lock.
struct TDisplayLink {
    std::shared_ptr<TForm1> Form;
    HWND Window = nullptr;  // the form's window, read without touching the form
    DWORD Thread = 0;       // the thread that owns it
};
TLock DisplayLock;
TDisplayLink Display;

TDisplayLink CurrentDisplay() {
    std::lock_guard<TLock> guard(DisplayLock);
    return Display;
}

void Publish(TDisplayLink link) {
    std::lock_guard<TLock> guard(DisplayLock);
    Display = std::move(link);
}

TDisplayLink Unpublish() {
    std::lock_guard<TLock> guard(DisplayLock);
    return std::exchange(Display, TDisplayLink{});
}

// Gives up a form for good, on purpose: its windows and renderers belong to a thread that cannot
// end them now (it does not answer, or the loader lock is held), and freeing the form from here
// would pull it from under that thread. The memory stays with the process.
void LeaveToItsThread(std::shared_ptr<TForm1> form) {
    (void)new std::shared_ptr<TForm1>(std::move(form));
}

// Asks the thread that owns the display to end it, and waits for it in bounded time. While that
// thread is inside a call of the display (a close waiting for its renderers, a render waiting for
// the player) it refuses, and is asked again once it may have left it: the display ends on its
// thread outside any call of ours, so nothing of ours runs there once this returns true. False
// when the thread did not end it in time.
bool ShutdownOnItsThread(HWND window) {
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        DWORD_PTR answer = 0;
        if (elapsed >= ShutdownSendTimeoutMs ||
            SendMessageTimeoutA(window, WM_APP_SHUTDOWN_FORM, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG,
                                ShutdownSendTimeoutMs - elapsed, &answer) == 0) {
            return !IsWindow(window);
        }
        if (static_cast<LRESULT>(answer) != ShutdownFormBusy) {
            return true;
        }
        Sleep(ShutdownRetryMs);
    }
}

// Ends the display on the thread that owns it. False when that thread did not answer in time:
// the form is then left alone and published again, since touching it from here would race its
// own thread; a later Quit on that thread ends it.
bool DestroyForm() {
    TDisplayLink link = Unpublish();
    if (link.Form) {
        if (link.Thread != GetCurrentThreadId()) {
            if (!ShutdownOnItsThread(link.Window)) {
                std::lock_guard<TLock> guard(DisplayLock);
                if (!Display.Form) {
                    Display = std::move(link);
                } else {
                    // A newer display took its place meanwhile: the old one may not be destroyed
                    // from here, so it is left to its thread, unowned.
                    LeaveToItsThread(std::move(link.Form));
                }
                return false;
            }
        } else {
            link.Form->Shutdown();
        }
        // Its window is gone: what is left is memory, freed by whoever lets go of it last.
        link.Form.reset();
    }
    TWindow::UnregisterClasses();
    return true;
}

}  // namespace

TApplication& Application() {
    static TApplication application;
    return application;
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
        auto form = std::make_shared<TForm1>();
        if (!form->Create()) {
            form.reset();
            // Nothing of a failed start may stay registered: a later Init registers anew.
            TWindow::UnregisterClasses();
            return 1;
        }
        Publish({form, form->Handle(), GetCurrentThreadId()});
        form->Show();
        return 0;
    } catch (...) {
        if (TDisplayLink link = Unpublish(); link.Form) {
            link.Form->Shutdown();
        }
        TWindow::UnregisterClasses();
        return 1;
    }
}

int VIS_CDECL Render(winampVisModule* module) {
    try {
        const TDisplayLink display = CurrentDisplay();
        if (!display.Form || module == nullptr) {
            return 0;
        }
        if (display.Thread == GetCurrentThreadId()) {
            display.Form->RenderFrame(*module);
        } else {
            // The display belongs to the window thread: the frame is queued there, and drawn as
            // soon as that thread is free. Never sent: a host's thread must not wait for a busy
            // window thread.
            display.Form->QueueRender(*module);
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
    // here (the loader lock is held), so the display is left unowned.
    if (TDisplayLink link = Unpublish(); link.Form) {
        LeaveToItsThread(std::move(link.Form));
    }
}
