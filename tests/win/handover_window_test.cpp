// The frame hand-over through the message-only window, served by this thread's message loop as
// the player's loop serves it in the product.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "effects/Renderers.h"
#include "framework/MemoryCanvas.h"
#include "framework/win32/HandOver.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

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
        {"latency 0: back to back", &canvas, 0, 40},
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
            ASSERT_TRUE(PumpMessagesUntil([&] { return raw->Frames >= c.framesBeforeStop; }, WaitMs));
            renderers.RequestStopAll();
        } else {
            const bool ended = PumpMessagesUntil([&] { return renderers.Count() == 0; }, WaitMs);
            ASSERT_TRUE(ended);
            EXPECT_EQ(handlerThreads.size(), 1u);
            continue;  // raw is gone
        }
        const int framesAtStop = raw->Frames;
        const std::vector<DWORD> threads = raw->FrameThreads;
        ASSERT_TRUE(PumpMessagesUntil([&] { return renderers.Count() == 0; }, WaitMs));
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
    ASSERT_TRUE(PumpMessagesUntil([&] { return raw->Frames == 1; }, WaitMs));
    renderers.RequestStopAll();  // the renderer is in its 400 ms sleep now
    ASSERT_TRUE(PumpMessagesUntil([&] { return renderers.Count() == 0; }, WaitMs));
    EXPECT_EQ(framesSeen, 1);
}

TEST(HandOverWindow, ShutdownReleasesWaitersAndRefusesLaterRequests) {
    TWindowHandOver handOver;
    HWND window = handOver.Window();
    EXPECT_EQ(GetParent(window), nullptr);
    int ran = 0;
    std::atomic<int> result{-1};
    // Nobody pumps: the request stays queued until the shutdown cancels it.
    std::thread worker([&] { result = handOver.Run([&] { ++ran; }) ? 1 : 0; });
    while (handOver.PendingCount() == 0) {
        Sleep(1);
    }
    handOver.Shutdown();
    worker.join();
    EXPECT_EQ(result, 0);
    std::thread late([&] { result = handOver.Run([&] { ++ran; }) ? 1 : 0; });
    late.join();
    EXPECT_EQ(result, 0);
    // The announcements still queued find nothing to run.
    PumpMessagesUntil([] { return false; }, 50);
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

TEST(HandOverWindow, AFrameNobodyServesIsAnnouncedOnceItIsOverdue) {
    // A host that has stopped rendering: only the announcement brings the window thread to the
    // frames, and it must come after the bound, not after the long re-announcement wait.
    TMemoryCanvas canvas(16, 16);
    TWindowHandOver handOver;
    TRenderers renderers(handOver);
    class TTimedProbe : public TProbe {
    public:
        using TProbe::TProbe;
        void DrawFrame() override {
            Starts.push_back(GetTickCount());
            TProbe::DrawFrame();
        }
        std::vector<DWORD> Starts;
    };
    auto probe = std::make_unique<TTimedProbe>(&canvas, 10);
    TTimedProbe* raw = probe.get();
    renderers.Start(TRendererSlot::EffectThread, std::move(probe), nullptr);
    ASSERT_TRUE(PumpMessagesUntil([&] { return raw->Frames >= 21; }, WaitMs));
    std::vector<DWORD> periods;
    for (size_t i = 1; i < raw->Starts.size(); ++i) {
        periods.push_back(raw->Starts[i] - raw->Starts[i - 1]);
    }
    std::nth_element(periods.begin(), periods.begin() + periods.size() / 2, periods.end());
    EXPECT_LT(periods[periods.size() / 2], 10u + TWindowHandOver::AnnounceAfterMs + 20u)
        << "median frame period, ms: latency 10 plus the bound plus slack";
    EXPECT_GE(handOver.AnnouncementsPosted(), 20);
    renderers.StopAndWait(WaitMs);
}
