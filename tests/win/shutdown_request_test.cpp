// The display's shutdown asked from another thread (what a Quit there does) is run only when no
// other call of the plug-in is in progress on the window thread.

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>

#include "display/MainForm.h"
#include "displaystate/DisplayState.h"
#include "framework/Worker.h"
#include "framework/win32/Messages.h"
#include "framework/win32/Window.h"
#include "settings/VisSettings.h"

namespace shutdown_request_test {

namespace {

// A window of ours whose timer message runs a test's code: a call of the plug-in in progress.
class TCallWindow : public TWindow {
public:
    std::function<void()> During;

protected:
    void OnTimer(UINT_PTR /*id*/) override { During(); }
};

// Asks for the shutdown from another thread, as Quit does, while this thread reads the messages
// sent to it; returns the answer.
LRESULT AskShutdownFromAnotherThread(HWND form) {
    std::atomic<bool> answered{false};
    DWORD_PTR answer = 0;
    TWorker asker;
    asker.Start([&] {
        SendMessageTimeoutA(form, WM_APP_SHUTDOWN_FORM, 0, 0, SMTO_BLOCK, 5000, &answer);
        answered = true;
    });
    MSG msg;
    while (!answered) {
        // Delivers the messages other threads send to this one, as many system calls do.
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        Sleep(1);
    }
    asker.Join();
    return static_cast<LRESULT>(answer);
}

}  // namespace

TEST(ShutdownRequest, IsRefusedWhileAnotherCallRunsOnTheWindowThread) {
    // Regression: a shutdown delivered inside a call of ours (a close waiting for the renderers,
    // a frame's hand-over, a render waiting for the player) freed what that call still used.
    VisSettings() = TVisSettings{};
    VisSettings().AlwaysTop = false;
    DisplayState() = TDisplayState{};
    auto form = std::make_unique<TForm1>();
    ASSERT_TRUE(form->Create());
    TCallWindow other;
    ASSERT_TRUE(other.CreateTopLevel(WS_POPUP, 0, {0, 0, 10, 10}, nullptr, "call"));

    LRESULT inside = 0;
    bool aliveAfter = false;
    other.During = [&] {
        inside = AskShutdownFromAnotherThread(form->Handle());
        aliveAfter = form->Handle() != nullptr;
    };
    SendMessageA(other.Handle(), WM_TIMER, 1, 0);
    EXPECT_EQ(inside, ShutdownFormBusy);
    EXPECT_TRUE(aliveAfter) << "the display was shut down under a call in progress";

    // Once the call is over, the same request ends the display, even while a call of ours runs
    // on another thread (the configuration dialog's), which uses nothing the shutdown frees.
    std::atomic<bool> holding{false};
    std::atomic<bool> release{false};
    TWorker dialog;
    dialog.Start([&] {
        const TCallScope call;
        holding = true;
        while (!release) {
            Sleep(1);
        }
    });
    while (!holding) {
        Sleep(1);
    }
    EXPECT_EQ(AskShutdownFromAnotherThread(form->Handle()), ShutdownFormDone);
    release = true;
    dialog.Join();
    EXPECT_EQ(form->Handle(), nullptr);

    other.Destroy();
    form.reset();
    TWindow::UnregisterClasses();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

}  // namespace shutdown_request_test
