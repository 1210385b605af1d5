// The real DLL driven the ways other hosts drive such plug-ins: Quit then Init again without
// unloading, renderers without any latency against a host that pumps until its queue is empty,
// Quit and Render from another thread than Init's, an Init that fails.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "framework/win32/Messages.h"
#include "tests/win/plugin_host.h"
#include "tests/win/process_threads.h"

namespace foreign_hosts_test {

namespace {

// A checksum of the screen's pixels: changes when anything on it moved.
std::uint64_t ScreenChecksum() {
    const int w = GetSystemMetrics(SM_CXSCREEN);
    const int h = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, 0, 0, SRCCOPY);
    GdiFlush();
    std::uint64_t sum = 1469598103934665603ull;
    const auto* p = static_cast<const std::uint32_t*>(bits);
    for (int i = 0; p != nullptr && i < w * h; ++i) {
        sum = (sum ^ (p[i] & 0xFFFFFF)) * 1099511628211ull;
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return sum;
}

// Loads the library and starts a display; idle is how many threads the process had before.
void LoadAndInit(TTestHost& host, winampVisModule*& module, int& idle) {
    module = host.Load();
    ASSERT_NE(module, nullptr);
    idle = ThreadsOfThisProcess();
    ASSERT_EQ(module->Init(module), 0);
}

// Unloads the library: nothing of it may be left running.
void UnloadLeavingNothing(TTestHost& host, int idle) {
    host.Unload();
    PumpFor(20);
    EXPECT_EQ(ThreadsOfThisProcess(), idle);
}

// Renders and pumps like a player for ms milliseconds.
void Play(TTestHost& host, int ms) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
    for (int i = 0; static_cast<int>(end - GetTickCount()) > 0; ++i) {
        host.Render((i * 37) & 0xFF);
        PumpFor(10);
    }
}

TEST(ForeignHosts, QuitThenInitAgainWithoutUnloadingAnimates) {
    // Regression: renderers started only at the first render after the library was loaded, so
    // a second session showed a still picture.
    TTestHost host;
    winampVisModule* module = nullptr;
    int idle = 0;
    ASSERT_NO_FATAL_FAILURE(LoadAndInit(host, module, idle));
    Play(host, 300);
    module->Quit(module);
    PumpFor(50);
    EXPECT_EQ(ThreadsOfThisProcess(), idle);

    ASSERT_EQ(module->Init(module), 0);
    Play(host, 300);
    EXPECT_EQ(ThreadsOfThisProcess(), idle + 3) << "the second session runs its three renderers";
    const std::uint64_t before = ScreenChecksum();
    Play(host, 300);
    EXPECT_NE(ScreenChecksum(), before) << "the picture of the second session moves";
    module->Quit(module);
    UnloadLeavingNothing(host, idle);
}

// Reads messages until none is left, as many hosts do between two render calls; false when the
// queue never ran dry within a bound far beyond any real frame rate.
bool PumpUntilEmpty(bool& sawQuit) {
    MSG msg;
    for (int handled = 0; handled < 20000; ++handled) {
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            return true;
        }
        if (msg.message == WM_QUIT) {
            sawQuit = true;
        } else {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return false;
}

TEST(ForeignHosts, RenderersWithoutLatencyLeaveTheHostLoopAndEscWorksAtOnce) {
    // Regression: renderers with a latency of 0 or below posted frame after frame; a host loop
    // that pumps until its queue is empty never got out, and Esc waited behind the flood.
    for (const char* latency : {"0", "-1"}) {
        SCOPED_TRACE(latency);
        for (const char* effect : {"0", "1"}) {
            const std::string value = std::string("=") + latency + "\r\n";
            ASSERT_TRUE(WriteSettingsFile(std::string("Effect=") + effect + "\r\nSkyburstLatency" + value +
                                          "SpectrumsLatency" + value + "vuLatency" + value + "LightLatency" + value));
            TTestHost host;
            winampVisModule* module = host.Load();
            ASSERT_NE(module, nullptr);
            ASSERT_EQ(module->Init(module), 0);
            bool sawQuit = false;
            for (int i = 0; i < 100; ++i) {
                host.Render((i * 53) & 0xFF);
                ASSERT_TRUE(PumpUntilEmpty(sawQuit)) << "the host's loop never got out, render " << i;
                Sleep(5);
            }
            EXPECT_FALSE(sawQuit);
            const HWND display = DisplayWindow();
            ASSERT_NE(display, nullptr);
            PostMessageA(display, WM_KEYDOWN, VK_ESCAPE, 0);
            ASSERT_TRUE(PumpUntilEmpty(sawQuit));
            EXPECT_TRUE(sawQuit) << "Esc asks the host to quit in the very next pass of its loop";
            module->Quit(module);
            PumpUntilEmpty(sawQuit);  // Quit's own quit request is not the next round's
        }
    }
}

TEST(ForeignHosts, QuitFromAnotherThreadEndsTheDisplayOnItsOwnThread) {
    TTestHost host;
    winampVisModule* module = nullptr;
    int idle = 0;
    ASSERT_NO_FATAL_FAILURE(LoadAndInit(host, module, idle));
    Play(host, 200);
    std::atomic<bool> returned{false};
    TWorker quitter;
    quitter.Start([&] {
        module->Quit(module);
        returned = true;
    });
    // The window thread keeps pumping, as a host's user-interface thread does.
    for (int i = 0; i < 500 && !returned; ++i) {
        PumpFor(10);
    }
    quitter.Join();
    EXPECT_TRUE(returned);
    EXPECT_EQ(DisplayWindow(), nullptr) << "the window went on its own thread";
    // Render after Quit, from either thread, is ignored.
    EXPECT_EQ(host.Render(0), 0);
    RunOnAnotherThread([&] { EXPECT_EQ(host.Render(0), 0); });
    UnloadLeavingNothing(host, idle);
}

TEST(ForeignHosts, QuitFromAnotherThreadReturnsWhenTheWindowThreadDoesNotAnswer) {
    TTestHost host;
    winampVisModule* module = nullptr;
    int idle = 0;
    ASSERT_NO_FATAL_FAILURE(LoadAndInit(host, module, idle));
    Play(host, 200);
    // This thread waits without pumping: Quit on the other thread must still come back.
    RunOnAnotherThread([&] { module->Quit(module); });
    EXPECT_NE(DisplayWindow(), nullptr) << "nothing of the window was touched from the other thread";
    // The host's own thread later ends it properly.
    module->Quit(module);
    EXPECT_EQ(DisplayWindow(), nullptr);
    UnloadLeavingNothing(host, idle);
}

// Sees, on this thread, what reaches the display window while a close sent to it is handled.
struct TCloseWatch {
    HWND Window = nullptr;
    bool Closing = false;
    bool ShutdownAskedWhileClosing = false;
    bool DestroyedWhileClosing = false;
};
TCloseWatch CloseWatch;

LRESULT CALLBACK WatchClose(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->hwnd == CloseWatch.Window && CloseWatch.Closing) {
        CloseWatch.ShutdownAskedWhileClosing |= sent->message == WM_APP_SHUTDOWN_FORM;
        CloseWatch.DestroyedWhileClosing |= sent->message == WM_DESTROY;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(ForeignHosts, AForeignQuitMetByACloseWaitsUntilTheCloseIsOver) {
    // Regression: the close (Alt+F4) waited for the renderers by reading this thread's sent
    // messages, met the shutdown that Quit on another thread had sent, and the nested shutdown
    // freed the renderers and the hand-over under it; Quit returned and the host could unload
    // the library while the close still ran in it. Whether the request comes during the close's
    // wait depends on the renderers' threads, so each case runs until it has.
    for (const bool unload : {false, true}) {
        SCOPED_TRACE(unload ? "the Quit thread unloads the library at once" : "no unload");
        bool met = false;
        for (int round = 0; round < 12 && !met; ++round) {
            TTestHost host;
            winampVisModule* module = nullptr;
            int idle = 0;
            ASSERT_NO_FATAL_FAILURE(LoadAndInit(host, module, idle));
            Play(host, 300);
            CloseWatch = {DisplayWindow()};
            ASSERT_NE(CloseWatch.Window, nullptr);
            const HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, &WatchClose, nullptr, GetCurrentThreadId());
            ASSERT_NE(hook, nullptr);
            std::atomic<bool> closeReturned{false};
            std::atomic<bool> quitReturned{false};
            std::atomic<bool> closeOverAtQuit{false};
            TWorker quitter;
            quitter.Start([&] {
                module->Quit(module);
                closeOverAtQuit = closeReturned.load();
                quitReturned = true;
                if (unload) {
                    host.Unload();
                }
            });
            // Not pumping: the renderers wait for their frames, Quit's request waits for this thread.
            Sleep(60);
            CloseWatch.Closing = true;
            SendMessageA(CloseWatch.Window, WM_SYSCOMMAND, SC_CLOSE, 0);
            CloseWatch.Closing = false;
            closeReturned = true;
            for (int i = 0; i < 1000 && !quitReturned; ++i) {
                PumpFor(10);
            }
            quitter.Join();
            UnhookWindowsHookEx(hook);
            met = CloseWatch.ShutdownAskedWhileClosing;
            EXPECT_FALSE(CloseWatch.DestroyedWhileClosing) << "the display was shut down inside its own close";
            EXPECT_TRUE(closeOverAtQuit) << "Quit returned while the close still ran";
            EXPECT_FALSE(IsWindow(CloseWatch.Window));
            PumpFor(20);
            EXPECT_EQ(ThreadsOfThisProcess(), idle);
            host.Unload();
        }
        EXPECT_TRUE(met) << "Quit's request never came during the close";
    }
}

TEST(ForeignHosts, RenderFromAnotherThreadDrawsOnTheWindowThread) {
    TTestHost host;
    winampVisModule* module = nullptr;
    int idle = 0;
    ASSERT_NO_FATAL_FAILURE(LoadAndInit(host, module, idle));
    std::atomic<bool> stop{false};
    TWorker renderer;
    renderer.Start([&] {
        for (int i = 0; !stop; ++i) {
            EXPECT_EQ(host.Render((i * 37) & 0xFF), 0);
            Sleep(10);
        }
    });
    PumpFor(400);
    EXPECT_EQ(ThreadsOfThisProcess(), idle + 4) << "the render thread and three renderers";
    stop = true;
    // The render thread may be waiting for this thread: keep pumping while it ends.
    while (ThreadsOfThisProcess() > idle + 3) {
        PumpFor(10);
    }
    renderer.Join();
    module->Quit(module);
    UnloadLeavingNothing(host, idle);
}

TEST(ForeignHosts, RenderFromAnotherThreadNeverWaitsForABusyWindowThread) {
    // Regression: the frame was handed over with a send that waited up to 100 ms for the window
    // thread, so a host decoding on its render thread lost a second while that thread was busy.
    TTestHost host;
    winampVisModule* module = nullptr;
    int idle = 0;
    ASSERT_NO_FATAL_FAILURE(LoadAndInit(host, module, idle));
    std::atomic<bool> stop{false};
    std::atomic<long long> worstUs{0};
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    TWorker renderer;
    renderer.Start([&] {
        for (int i = 0; !stop; ++i) {
            LARGE_INTEGER before, after;
            QueryPerformanceCounter(&before);
            host.Render((i * 37) & 0xFF);
            QueryPerformanceCounter(&after);
            const long long us = (after.QuadPart - before.QuadPart) * 1000000 / frequency.QuadPart;
            worstUs = std::max<long long>(worstUs, us);
            Sleep(10);
        }
    });
    PumpFor(300);
    EXPECT_EQ(ThreadsOfThisProcess(), idle + 4) << "the window thread started the renderers on the first frame";
    Sleep(1000);  // the window thread is busy elsewhere
    const std::uint64_t stalled = ScreenChecksum();
    PumpFor(300);
    EXPECT_NE(ScreenChecksum(), stalled) << "the display draws again once the window thread is back";
    stop = true;
    renderer.Join();
    std::printf("worst Render on the host's thread: %.2f ms\n", worstUs / 1000.0);
    EXPECT_LT(worstUs, 50000) << "a Render waited for the window thread";
    module->Quit(module);
    UnloadLeavingNothing(host, idle);
}

TEST(ForeignHosts, FramesAreAnnouncedAtOnceWhetherTheHostRendersOrNot) {
    // Regression: frames waited for the host's next Render and were announced only once 25 ms
    // overdue, so the renderers (latencies 15, 15 and 20 by default) drew a frame every 20 or
    // 30 ms. Each frame is now announced when it is queued and drawn before the host's next
    // Render; fewer announcements than frames mean frames that waited.
    TTestHost host;
    winampVisModule* module = nullptr;
    int idle = 0;
    ASSERT_NO_FATAL_FAILURE(LoadAndInit(host, module, idle));
    host.Render(200);
    PumpFor(100);  // the renderers' first frames
    const std::uint64_t first = ScreenChecksum();
    int renders = 0;
    int announcements = 0;
    const DWORD end = GetTickCount() + 1500;
    while (static_cast<int>(end - GetTickCount()) > 0) {
        host.Render((renders++ * 37) & 0xFF);
        announcements += PumpFor(10, WM_APP_RUN_HANDOVER);
    }
    const std::uint64_t played = ScreenChecksum();
    EXPECT_NE(played, first) << "frames were drawn";
    // About three frames to two renders; frames that wait for the Render are never announced.
    EXPECT_GE(announcements, renders / 2) << renders << " renders";
    EXPECT_EQ(ThreadsOfThisProcess(), idle + 3);

    // The host stops rendering but keeps handling messages: about 180 frames a second, the meter's
    // and the bars' due together and sharing one announcement, so about 115 announcements; 25 ms
    // of waiting for each frame would leave about 70 frames and some 50 announcements. A loaded
    // machine may slow the renderers a bit.
    announcements = PumpFor(1000, WM_APP_RUN_HANDOVER);
    EXPECT_NE(ScreenChecksum(), played) << "the rockets still fly";
    EXPECT_GE(announcements, 65);
    module->Quit(module);
    UnloadLeavingNothing(host, idle);
}

TEST(ForeignHosts, AFailedInitLeavesNoWindowClassAndALaterInitWorks) {
    TTestHost host;
    winampVisModule* module = host.Load();
    ASSERT_NE(module, nullptr);
    // An owner that is no window: the system refuses to make the display window.
    module->hwndParent = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x7FFF0F0F));
    EXPECT_NE(module->Init(module), 0);
    WNDCLASSEXA info{};
    info.cbSize = sizeof info;
    EXPECT_FALSE(GetClassInfoExA(host.Dll, "SkyburstForm", &info)) << "a failed Init left its class registered";
    module->hwndParent = host.Window;
    EXPECT_EQ(module->Init(module), 0);
    Play(host, 100);
    module->Quit(module);
}

}  // namespace

}  // namespace foreign_hosts_test
