// The frame hand-over through the message-only window, served by this thread's message loop as
// the player's loop serves it in the product.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "effects/Renderers.h"
#include "framework/MemoryCanvas.h"
#include "framework/win32/HandOver.h"
#include "framework/win32/Messages.h"
#include "tests/win/process_threads.h"
#include "tests/win/pump.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace handover_window_test {

namespace {

constexpr int WaitMs = 10000;

class TProbe : public TEffectThread {
public:
    TProbe(TCanvas* canvas, int latency) : TEffectThread(canvas, latency) {}
    ~TProbe() override { StopAndJoin(); }
    void DrawFrame() override {
        FrameThreads.push_back(GetCurrentThreadId());
        ++Frames;
    }
    std::atomic<int> Frames{0};
    std::vector<DWORD> FrameThreads;
};

}  // namespace

TEST(HandOverWindow, FramesAndHandlersRunOnTheWindowThread) {
    TMemoryCanvas canvas(16, 16);
    TWindowHandOver handOver;
    TRenderers renderers(handOver);
    struct Case {
        const char* name;
        TCanvas* canvas;
        int latency;
        int framesBeforeStop;  // 0: ends by itself
    };
    const Case cases[] = {
        {"nil canvas: ends at once without drawing", nullptr, 15, 0},
        {"latency 0: back to back", &canvas, 0, 300},
        {"latency 15", &canvas, 15, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<DWORD> handlerThreads;
        auto probe = std::make_unique<TProbe>(c.canvas, c.latency);
        TProbe* raw = probe.get();
        renderers.Start(TRendererSlot::EffectThread, std::move(probe),
                        [&](TThread*) { handlerThreads.push_back(GetCurrentThreadId()); });
        if (c.framesBeforeStop > 0) {
            ASSERT_TRUE(PumpUntil([&] { return raw->Frames >= c.framesBeforeStop; }, WaitMs));
            renderers.RequestStopAll();
        } else {
            const bool ended = PumpUntil([&] { return renderers.Count() == 0; }, WaitMs);
            ASSERT_TRUE(ended);
            EXPECT_EQ(handlerThreads.size(), 1u);
            continue;  // raw is gone
        }
        const int framesAtStop = raw->Frames;
        const std::vector<DWORD> threads = raw->FrameThreads;
        ASSERT_TRUE(PumpUntil([&] { return renderers.Count() == 0; }, WaitMs));
        EXPECT_EQ(handlerThreads, std::vector<DWORD>{GetCurrentThreadId()});
        EXPECT_GE(framesAtStop, c.framesBeforeStop);
        for (DWORD id : threads) {
            ASSERT_EQ(id, GetCurrentThreadId()) << "a frame was drawn off the window thread";
        }
    }
}

TEST(HandOverWindow, TerminateDuringSleepEndsWithoutAnotherFrame) {
    TMemoryCanvas canvas(16, 16);
    TWindowHandOver handOver;
    TRenderers renderers(handOver);
    auto probe = std::make_unique<TProbe>(&canvas, 400);
    TProbe* raw = probe.get();
    int framesSeen = -1;
    renderers.Start(TRendererSlot::VUMeterThread, std::move(probe), [&](TThread*) { framesSeen = raw->Frames; });
    ASSERT_TRUE(PumpUntil([&] { return raw->Frames == 1; }, WaitMs));
    renderers.RequestStopAll();  // the renderer is in its 400 ms sleep now
    ASSERT_TRUE(PumpUntil([&] { return renderers.Count() == 0; }, WaitMs));
    EXPECT_EQ(framesSeen, 1);
}

TEST(HandOverWindow, ShutdownReleasesWaitersAndRefusesLaterRequests) {
    TWindowHandOver handOver;
    HWND window = handOver.Window();
    EXPECT_EQ(GetParent(window), nullptr);
    int ran = 0;
    std::atomic<int> result{-1};
    // Nobody pumps: the request stays queued until the shutdown cancels it.
    TWorker worker;
    worker.Start([&] { result = handOver.Run([&] { ++ran; }) ? 1 : 0; });
    while (handOver.PendingCount() == 0) {
        Sleep(1);
    }
    handOver.Shutdown();
    worker.Join();
    EXPECT_EQ(result, 0);
    RunOnAnotherThread([&] { result = handOver.Run([&] { ++ran; }) ? 1 : 0; });
    EXPECT_EQ(result, 0);
    // The announcements still queued find nothing to run.
    PumpUntil([] { return false; }, 50);
    EXPECT_EQ(ran, 0);
}

TEST(HandOverWindow, DestructionUnregistersTheWindowClass) {
    char className[64] = {};
    {
        TWindowHandOver handOver;
        ASSERT_GT(GetClassNameA(handOver.Window(), className, sizeof className), 0);
        WNDCLASSEXA info = {};
        info.cbSize = sizeof info;
        EXPECT_TRUE(GetClassInfoExA(reinterpret_cast<HINSTANCE>(&__ImageBase), className, &info));
    }
    WNDCLASSEXA info = {};
    info.cbSize = sizeof info;
    EXPECT_FALSE(GetClassInfoExA(reinterpret_cast<HINSTANCE>(&__ImageBase), className, &info));
}

TEST(HandOverWindow, StopAndWaitServesPendingFramesInsteadOfDeadlocking) {
    // The window thread does not pump before it stops: each renderer is then blocked in its
    // hand-over, which a plain wait on the thread would never release.
    TMemoryCanvas canvas(16, 16);
    TWindowHandOver handOver;
    TRenderers renderers(handOver);
    int announced = 0;
    for (auto slot : {TRendererSlot::EffectThread, TRendererSlot::SpectrumBarsThread, TRendererSlot::VUMeterThread}) {
        renderers.Start(slot, std::make_unique<TProbe>(&canvas, 0), [&](TThread*) { ++announced; });
    }
    while (handOver.PendingCount() < 3) {
        Sleep(1);
    }
    EXPECT_TRUE(renderers.StopAndWait(WaitMs));
    EXPECT_EQ(renderers.Count(), 0);
    EXPECT_EQ(announced, 0);
}

namespace {

// The steps of a host as players are: every 10 ms it renders on the window thread (its Render
// serves the hand-over, as the display's does), and in between it reads its messages as they
// come; or it has stopped rendering and only reads its messages.
struct TTenMsHost {
    static constexpr int PeriodMs = 10;
    TWindowHandOver& HandOver;
    bool Renders = true;
    std::atomic<int> Steps{0};
    bool InRender = false;  // window thread only

    static void PumpAll() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message != WM_QUIT) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
    }
    // Runs until done() holds, or for a bound far beyond any frame rate.
    void RunUntil(const std::function<bool()>& done) {
        using Clock = std::chrono::steady_clock;
        auto next = Clock::now();
        const auto bound = next + std::chrono::milliseconds(WaitMs);
        while (!done() && Clock::now() < bound) {
            for (auto now = Clock::now(); now < next; now = Clock::now()) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(next - now).count();
                MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(left + 1), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
                PumpAll();
            }
            PumpAll();  // what a loaded machine kept this thread from reading in time
            ++Steps;
            if (Renders) {
                InRender = true;
                HandOver.Drain();
                InRender = false;
            }
            next += std::chrono::milliseconds(PeriodMs);
        }
    }
};

// Notes the host's step once a frame has been queued and the window thread told (or not): a
// renderer held back by a loaded machine before that does not count against the hand-over.
class TStepHandOver : public TWindowHandOver {
public:
    void Watch(const TTenMsHost& host) { Host = &host; }
    std::atomic<int> SignalledInStep{-1};
    std::atomic<bool> Noted{false};  // cleared by the probe at each frame

protected:
    bool Signal(TSignal kind) override {
        const bool told = TWindowHandOver::Signal(kind);
        const TTenMsHost* host = Host;
        if (host != nullptr && !Noted.exchange(true)) {
            SignalledInStep = host->Steps.load();
        }
        return told;
    }

private:
    std::atomic<const TTenMsHost*> Host{nullptr};
};

// Counts the frames that waited for the host: drawn by its Render, or only two or more steps after
// they were queued. A frame queued just before a step ends may be drawn at the start of the next
// one when a loaded machine wakes the window thread late; that is not the fault this looks for.
class TStepProbe : public TProbe {
public:
    TStepProbe(TCanvas* canvas, int latency, TTenMsHost& host, TStepHandOver& handOver)
        : TProbe(canvas, latency), Host(host), HandOver(handOver) {}
    ~TStepProbe() override { StopAndJoin(); }
    void DrawFrame() override {
        // The first frame is queued while the host starts.
        if (Frames > 0 && (Host.Steps - HandOver.SignalledInStep > 1 || Host.InRender)) {
            ++Late;
        }
        HandOver.Noted = false;
        TProbe::DrawFrame();
    }
    std::atomic<int> Late{0};

private:
    TTenMsHost& Host;
    TStepHandOver& HandOver;
};

}  // namespace

TEST(HandOverWindow, AFrameQueuedBetweenTwoRendersIsDrawnBeforeTheNext) {
    // Regression: frames were drawn at the host's next Render and announced only once 25 ms
    // overdue, so a renderer's period became a whole number of host periods, and at latency 0
    // the frames came one to a Render. Drawn as soon as the window thread is free, each frame
    // comes before the host's next step, whatever the latency, whether the host renders or has
    // stopped. A loaded machine may hold the host or the window thread back now and then; frames
    // that wait for the Render are late every time.
    constexpr int Frames = 21;
    TMemoryCanvas canvas(16, 16);
    for (const bool renders : {true, false}) {
        for (const int latency : {0, 10, 15, 20, 50}) {
            SCOPED_TRACE(std::string(renders ? "host renders every 10 ms" : "host only reads messages") + ", latency " +
                         std::to_string(latency));
            TStepHandOver handOver;
            TRenderers renderers(handOver);
            TTenMsHost host{handOver, renders};
            handOver.Watch(host);
            auto probe = std::make_unique<TStepProbe>(&canvas, latency, host, handOver);
            TStepProbe* raw = probe.get();
            renderers.Start(TRendererSlot::EffectThread, std::move(probe), nullptr);
            host.RunUntil([&] { return raw->Frames >= Frames; });
            ASSERT_GE(raw->Frames, Frames);
            const int late = raw->Late;
            // A loaded machine makes some frames wait now and then; a hand-over that waits for
            // the host makes them all wait.
            EXPECT_LE(late, Frames - 4) << "frames that waited for the host's Render or steps";
            EXPECT_TRUE(renderers.StopAndWait(WaitMs));
        }
    }
}

TEST(HandOverWindow, RenderersThatKeepTheWindowThreadBusyLeaveRoomForTheHostsMessages) {
    // Renderers without latency whose frames take longer than their yield: a frame is always
    // queued by the time the previous ones are drawn. A host that reads messages until none are
    // left must still get out of its loop, and its keys and timers must still come.
    class TSlowProbe : public TProbe {
    public:
        using TProbe::TProbe;
        ~TSlowProbe() override { StopAndJoin(); }
        void DrawFrame() override {
            const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(2);
            while (std::chrono::steady_clock::now() < end) {
            }
            TProbe::DrawFrame();
        }
    };
    struct THostWindow {
        int Keys = 0;
        int Ticks = 0;
        static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
            auto* self = reinterpret_cast<THostWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
            if (self != nullptr && message == WM_KEYDOWN) {
                ++self->Keys;
            } else if (self != nullptr && message == WM_TIMER) {
                ++self->Ticks;
            }
            return DefWindowProcA(hwnd, message, wParam, lParam);
        }
    } host;
    WNDCLASSA wc{};
    wc.lpfnWndProc = &THostWindow::Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "SkyburstBusyHost";
    RegisterClassA(&wc);
    const HWND window = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&host));
    SetTimer(window, 1, 10, nullptr);

    TMemoryCanvas canvas(16, 16);
    TWindowHandOver handOver;
    TRenderers renderers(handOver);
    TSlowProbe* probes[3] = {};
    const TRendererSlot slots[] = {TRendererSlot::EffectThread, TRendererSlot::SpectrumBarsThread,
                                   TRendererSlot::VUMeterThread};
    for (int i = 0; i < 3; ++i) {
        auto probe = std::make_unique<TSlowProbe>(&canvas, 0);
        probes[i] = probe.get();
        renderers.Start(slots[i], std::move(probe), nullptr);
    }
    constexpr int Passes = 30;
    constexpr int Bound = 50;  // messages in one pass of the host's loop; about 5 are expected
    int stuck = 0;
    for (int pass = 0; pass < Passes; ++pass) {
        PostMessageA(window, WM_KEYDOWN, 'X', 0);
        MSG msg;
        int handled = 0;
        while (handled < Bound && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&msg);
            ++handled;
        }
        stuck += handled == Bound ? 1 : 0;
        Sleep(5);
    }
    const int frames = probes[0]->Frames + probes[1]->Frames + probes[2]->Frames;
    EXPECT_TRUE(renderers.StopAndWait(WaitMs));
    KillTimer(window, 1);
    DestroyWindow(window);
    UnregisterClassA(wc.lpszClassName, wc.hInstance);
    EXPECT_EQ(stuck, 0) << "passes of the host's loop that did not run out of messages";
    EXPECT_EQ(host.Keys, Passes);
    EXPECT_GT(host.Ticks, 0) << "the host's timer never came";
    EXPECT_GT(frames, Passes) << "the renderers drew";
}

TEST(HandOverWindow, ARenderThatRunsTheQueueTakesBackItsAnnouncement) {
    // A frame queued just before a render is drawn by that render; the announcement it posted
    // would wake the thread once more for nothing, so the render takes it back.
    TWindowHandOver handOver;
    const auto queued = [](TWindowHandOver& h, std::atomic<int>& ran) {
        RunOnAnotherThread([&h, &ran] { EXPECT_TRUE(h.Post([&ran] { ++ran; })); });
    };
    const auto announcementQueued = [&handOver] {
        MSG msg;
        return PeekMessageA(&msg, handOver.Window(), WM_APP_RUN_HANDOVER, WM_APP_RUN_HANDOVER, PM_NOREMOVE) != FALSE;
    };
    std::atomic<int> ran{0};
    queued(handOver, ran);
    ASSERT_TRUE(announcementQueued());
    EXPECT_EQ(handOver.DrainAwake(), 1);
    EXPECT_EQ(ran, 1);
    EXPECT_FALSE(announcementQueued());
    // The next request announces itself again: nothing is left waiting for a visit that never comes.
    queued(handOver, ran);
    EXPECT_TRUE(announcementQueued());
    ASSERT_TRUE(PumpUntil([&ran] { return ran == 2; }, WaitMs));
}
}  // namespace handover_window_test
