// The renderer thread model on a portable queue that the test thread serves, as the window
// thread does in the product: pacing, stopping, the hand-over's promises and the owner.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

#include "effects/EarlyFrames.h"
#include "effects/Renderers.h"
#include "framework/MemoryCanvas.h"

namespace thread_model_test {

namespace {

constexpr int WaitMs = 5000;

// A renderer that records what the thread model does with it.
class TProbe : public TEffectThread {
public:
    TProbe(TCanvas* canvas, int latency) : TEffectThread(canvas, latency) {}
    ~TProbe() override { StopAndJoin(); }

    void DrawFrame() override {
        ++Frames;
        FrameThreads.push_back(std::this_thread::get_id());
        if (StopAtFrame > 0 && Frames == StopAtFrame) {
            Terminate();
        }
        DrawnAt = std::chrono::steady_clock::now();
    }

    std::atomic<int> Frames{0};
    // When the latest frame ended on the serving thread: its renderer paces from a moment after.
    std::chrono::steady_clock::time_point DrawnAt;
    std::vector<std::thread::id> FrameThreads;  // written on the serving thread only
    int StopAtFrame = 0;
    int StopInSleep = 0;  // asks to stop during this sleep (1-based)
    bool RealSleep = false;
    // With RealSleep: sleeps without teaching the thread how late its sleeps come, so that a wake
    // it times itself is never pulled earlier than asked (a slow machine's long first sleep would).
    bool PlainSleep = false;
    std::vector<int> Sleeps;         // what the body asked to sleep, in order: read it once the thread has ended
    std::atomic<int> SleepCount{0};  // how many sleeps so far, for watching a running thread

protected:
    void SleepMs(int ms) override {
        Sleeps.push_back(ms);
        ++SleepCount;
        if (StopInSleep > 0 && SleepCount == StopInSleep) {
            Terminate();
        }
        if (RealSleep && PlainSleep) {
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        } else if (RealSleep) {
            TEffectThread::SleepMs(ms);
        }
    }
};

bool ServeUntil(TFrameHandOver& handOver, const std::function<bool()>& done) {
    return handOver.ServeUntil(done, WaitMs);
}

}  // namespace

TEST(ThreadModel, PacingAndStopping) {
    TMemoryCanvas canvas(8, 8);
    struct Case {
        const char* name;
        TCanvas* canvas;
        int latency;
        int stopAtFrame;
        int stopInSleep;
        int wantFrames;
        std::vector<int> wantSleeps;
    };
    const Case cases[] = {
        {"nil canvas: ends at once, draws nothing", nullptr, 20, 0, 0, 0, {}},
        {"latency 0: the least yield between frames", &canvas, 0, 3, 0, 3, {1, 1, 1}},
        {"negative latency: the least yield too", &canvas, -5, 3, 0, 3, {1, 1, 1}},
        {"stop seen in a frame: that frame's sleep still runs", &canvas, 7, 3, 0, 3, {7, 7, 7}},
        {"stop during a sleep: no frame after it", &canvas, 7, 0, 2, 2, {7, 7}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TQueuedHandOver handOver;
        TProbe probe(c.canvas, c.latency);
        probe.StopAtFrame = c.stopAtFrame;
        probe.StopInSleep = c.stopInSleep;
        probe.Start(handOver);
        ASSERT_TRUE(ServeUntil(handOver, [&] { return probe.Finished(); }));
        probe.Join();
        EXPECT_EQ(probe.Frames, c.wantFrames);
        EXPECT_EQ(probe.Sleeps, c.wantSleeps);
        for (const auto& id : probe.FrameThreads) {
            EXPECT_EQ(id, std::this_thread::get_id()) << "a frame was drawn off the serving thread";
        }
    }
}

TEST(ThreadModel, TerminateNowCutsALongSleepShort) {
    TMemoryCanvas canvas(8, 8);
    TQueuedHandOver handOver;
    TProbe probe(&canvas, 1000000000);
    probe.RealSleep = true;
    probe.Start(handOver);
    ASSERT_TRUE(ServeUntil(handOver, [&] { return probe.Frames == 1 && probe.SleepCount == 1; }));
    probe.TerminateNow();
    ASSERT_TRUE(ServeUntil(handOver, [&] { return probe.Finished(); }));
    probe.Join();
    EXPECT_EQ(probe.Frames, 1);
}

TEST(ThreadModel, DestroyingARendererWithAFramePendingDrawsNothing) {
    // Regression: the destructor served the pending frame after the renderer's own parts were
    // gone, a call through a half-destroyed object.
    TMemoryCanvas canvas(8, 8);
    TQueuedHandOver handOver;
    auto probe = std::make_unique<TProbe>(&canvas, 0);
    probe->Start(handOver);
    while (handOver.PendingCount() == 0) {
        std::this_thread::yield();
    }
    const int framesBefore = probe->Frames;
    probe.reset();
    EXPECT_EQ(framesBefore, 0);
    EXPECT_EQ(handOver.PendingCount(), 0);
}

TEST(ThreadModel, HandOverRunsOrReleasesEveryRequest) {
    // Shutdown: a waiter gets false, posted work is released unrun, later requests are refused.
    TQueuedHandOver handOver;
    std::atomic<int> ran{0};
    auto token = std::make_shared<int>(0);
    ASSERT_TRUE(handOver.Post([&ran, token] { ++ran; }));
    std::atomic<int> runResult{-1};
    std::thread waiter([&] { runResult = handOver.Run([&ran] { ++ran; }) ? 1 : 0; });
    while (handOver.PendingCount() < 2) {
        std::this_thread::yield();
    }
    handOver.Shutdown();
    waiter.join();
    EXPECT_EQ(runResult, 0);
    EXPECT_EQ(ran, 0);
    EXPECT_EQ(token.use_count(), 1) << "posted work was kept after shutdown";
    EXPECT_FALSE(handOver.Run([&ran] { ++ran; }));
    EXPECT_FALSE(handOver.Post([&ran] { ++ran; }));
    EXPECT_EQ(handOver.Drain(), 0);
    EXPECT_EQ(ran, 0);
}

TEST(ThreadModel, FailedSignalWithdrawsTheRequest) {
    class TDeafHandOver : public TQueuedHandOver {
    protected:
        bool Signal(TSignal) override { return false; }
    };
    TDeafHandOver handOver;
    int ran = 0;
    auto token = std::make_shared<int>(0);
    EXPECT_FALSE(handOver.Post([&ran, token] { ++ran; }));
    std::thread worker([&] { EXPECT_FALSE(handOver.Run([&ran] { ++ran; })); });
    worker.join();
    EXPECT_EQ(handOver.PendingCount(), 0);
    EXPECT_EQ(token.use_count(), 1);
    EXPECT_EQ(handOver.Drain(), 0);
    EXPECT_EQ(ran, 0);
}

TEST(ThreadOwner, EndOfOneRendererStopsAllAndAnnouncesEachOnce) {
    TMemoryCanvas canvas(8, 8);
    TQueuedHandOver handOver;
    TRenderers renderers(handOver);
    std::vector<TThread*> announced;
    std::vector<std::thread::id> handlerThreads;
    // The handler re-enters the owner, as the display window's StopAll does.
    const auto stopAll = [&](TThread* sender) {
        announced.push_back(sender);
        handlerThreads.push_back(std::this_thread::get_id());
        renderers.RequestStopAll();
    };
    auto vu = std::make_unique<TProbe>(&canvas, 1);
    auto bars = std::make_unique<TProbe>(&canvas, 1);
    auto effect = std::make_unique<TProbe>(nullptr, 1);  // ends at once
    TProbe* vuProbe = vu.get();
    TProbe* barsProbe = bars.get();
    renderers.Start(TRendererSlot::VUMeterThread, std::move(vu), stopAll);
    renderers.Start(TRendererSlot::SpectrumBarsThread, std::move(bars), stopAll);
    renderers.Start(TRendererSlot::EffectThread, std::move(effect), stopAll);
    EXPECT_TRUE(renderers.IsRunning(TRendererSlot::VUMeterThread));
    ASSERT_TRUE(ServeUntil(handOver, [&] { return renderers.Count() == 0; }));
    EXPECT_EQ(announced.size(), 3u);
    EXPECT_EQ(std::count(announced.begin(), announced.end(), vuProbe), 1);
    EXPECT_EQ(std::count(announced.begin(), announced.end(), barsProbe), 1);
    for (auto slot : {TRendererSlot::EffectThread, TRendererSlot::SpectrumBarsThread, TRendererSlot::VUMeterThread}) {
        EXPECT_FALSE(renderers.IsRunning(slot));
    }
    for (const auto& id : handlerThreads) {
        EXPECT_EQ(id, std::this_thread::get_id()) << "a handler ran off the serving thread";
    }
}

TEST(ThreadOwner, RequestStopClearsReferencesAtOnceObjectsLiveOn) {
    TMemoryCanvas canvas(8, 8);
    TQueuedHandOver handOver;
    TRenderers renderers(handOver);
    int announced = 0;
    auto probe = std::make_unique<TProbe>(&canvas, 0);
    TProbe* raw = probe.get();
    renderers.Start(TRendererSlot::EffectThread, std::move(probe), [&](TThread*) { ++announced; });
    ASSERT_TRUE(ServeUntil(handOver, [&] { return raw->Frames >= 5; }));
    renderers.RequestStopAll();
    EXPECT_FALSE(renderers.IsRunning(TRendererSlot::EffectThread));
    EXPECT_EQ(renderers.Count(), 1);
    ASSERT_TRUE(ServeUntil(handOver, [&] { return renderers.Count() == 0; }));
    EXPECT_EQ(announced, 1);
}

TEST(ThreadOwner, StopAndWaitEndsEveryThreadWhateverItIsDoing) {
    // One renderer waits for a frame that nobody has served yet, one sleeps for days, one draws
    // back to back: stopping for good must neither deadlock nor wait out the sleep.
    TMemoryCanvas canvas(8, 8);
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        TQueuedHandOver handOver;
        TRenderers renderers(handOver);
        int announced = 0;
        auto sleeper = std::make_unique<TProbe>(&canvas, 1000000000);
        sleeper->RealSleep = true;
        TProbe* sleeperRaw = sleeper.get();
        renderers.Start(TRendererSlot::EffectThread, std::move(sleeper), [&](TThread*) { ++announced; });
        renderers.Start(TRendererSlot::SpectrumBarsThread, std::make_unique<TProbe>(&canvas, 0),
                        [&](TThread*) { ++announced; });
        ASSERT_TRUE(ServeUntil(handOver, [&] { return sleeperRaw->SleepCount == 1; }));
        renderers.Start(TRendererSlot::VUMeterThread, std::make_unique<TProbe>(&canvas, 5),
                        [&](TThread*) { ++announced; });
        while (handOver.PendingCount() == 0) {
            std::this_thread::yield();  // a frame is queued and unserved
        }
        EXPECT_TRUE(renderers.StopAndWait(WaitMs));
        EXPECT_EQ(renderers.Count(), 0);
        EXPECT_EQ(announced, 0) << "handlers run while stopping for good";
    }
}

TEST(ThreadOwner, AFrameThatThrowsEndsItsRendererAndIsAnnounced) {
    class TThrower : public TProbe {
    public:
        using TProbe::TProbe;
        void DrawFrame() override {
            TProbe::DrawFrame();
            if (Frames == 2) {
                throw std::runtime_error("frame failed");
            }
        }
    };
    TMemoryCanvas canvas(8, 8);
    TQueuedHandOver handOver;
    TRenderers renderers(handOver);
    int announced = 0;
    auto thrower = std::make_unique<TThrower>(&canvas, 0);
    TThrower* raw = thrower.get();
    renderers.Start(TRendererSlot::EffectThread, std::move(thrower), [&](TThread*) { ++announced; });
    ASSERT_TRUE(ServeUntil(handOver, [&] { return renderers.Count() == 0; }));
    (void)raw;  // destroyed by now; its frame count was 2 when it ended
    EXPECT_EQ(announced, 1);
}

TEST(ThreadOwner, ARendererLetGoAfterTheTimeoutReachesNothingFreed) {
    // Regression: a renderer still busy when the stop gave up lived on while the hand-over it
    // hands its frames to was destroyed; it frees itself now and keeps the hand-over alive.
    static std::atomic<bool> destroyed{false};
    class TStuck : public TProbe {
    public:
        using TProbe::TProbe;
        ~TStuck() override {
            StopAndJoin();
            destroyed = true;
        }

    protected:
        void SleepMs(int) override {
            // Deaf to the stop: a sleep the platform does not cut short.
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
        }
    };
    TMemoryCanvas canvas(8, 8);
    auto handOver = std::make_shared<TQueuedHandOver>();
    {
        TRenderers renderers(handOver);
        auto stuck = std::make_unique<TStuck>(&canvas, 0);
        TStuck* raw = stuck.get();
        renderers.Start(TRendererSlot::EffectThread, std::move(stuck), nullptr);
        ASSERT_TRUE(ServeUntil(*handOver, [&] { return raw->Frames >= 1; }));
        EXPECT_FALSE(renderers.StopAndWait(50)) << "the stuck renderer is let go";
        EXPECT_EQ(renderers.Count(), 0);
    }
    handOver->Shutdown();  // as the window does when it goes: no frame runs after this
    handOver.reset();
    for (int i = 0; i < 500 && !destroyed; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(destroyed) << "the renderer that was let go freed itself when it ended";
}

namespace {

using TClock = TEffectThread::TClock;

TClock::time_point At(int ms) {
    return TClock::time_point(std::chrono::milliseconds(1000000 + ms));
}

double MsSince(TClock::time_point from) {
    return std::chrono::duration<double, std::milli>(TClock::now() - from).count();
}

}  // namespace

TEST(RenderForecast, ExpectsTheUsualIntervalAfterTheLatestRender) {
    struct Case {
        const char* name;
        std::vector<int> renders;  // ms
        int wantNext;              // ms; -1: no forecast
        int after;                 // the first render expected at or after this time (ms)...
        int wantAfter;             // ...is this one; -1: none
    };
    const Case cases[] = {
        {"nothing to go by yet", {}, -1, 0, -1},
        {"one render is no pace", {0}, -1, 5, -1},
        {"steady 10 ms", {0, 10, 20, 30}, 40, 35, 40},
        {"further on, at the same pace", {0, 10, 20, 30}, 40, 51, 60},
        {"not so far on that a stopped host seems to render", {0, 10, 20, 30}, 40, 75, -1},
        {"one early render does not move the pace", {0, 10, 20, 30, 45, 50}, 60, 61, 70},
        {"a pause is the host stopping", {0, 10, 20, 1020}, -1, 1025, -1},
        {"after a pause the pace comes back", {0, 10, 20, 1020, 1030, 1040}, 1050, 1050, 1050},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TRenderForecast forecast;
        for (int ms : c.renders) {
            forecast.Note(At(ms));
        }
        EXPECT_EQ(forecast.Next(), c.wantNext < 0 ? TClock::time_point{} : At(c.wantNext));
        EXPECT_EQ(forecast.NextAfter(At(c.after)), c.wantAfter < 0 ? TClock::time_point{} : At(c.wantAfter));
    }
}

TEST(RenderForecast, OnlyALatencyOfWholeRenderIntervalsWaitsLongerForARender) {
    struct Case {
        int latency;
        double interval;
        double want;
    };
    const Case cases[] = {
        {20, 0.0, TEffectThread::WaitForRenderMs},   // no forecast
        {20, 10.0, TEffectThread::MaxLockWaitMs},    // two intervals: locks
        {20, 10.4, TEffectThread::MaxLockWaitMs},    // a little off: still locks
        {20, 10.6, TEffectThread::WaitForRenderMs},  // 1.2 ms off
        {15, 10.0, TEffectThread::WaitForRenderMs},  // one and a half: would stretch every period
        {25, 10.0, TEffectThread::WaitForRenderMs},
        {10, 10.0, TEffectThread::MaxLockWaitMs},
        {20, 4.0, 2.0},                             // half an interval at most
        {20, 2.0, TEffectThread::WaitForRenderMs},  // never less than the short wait
        {5, 30.0, TEffectThread::WaitForRenderMs},  // less than one interval
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.latency) + " ms at renders every " + std::to_string(c.interval));
        EXPECT_DOUBLE_EQ(TEffectThread::RenderWaitMs(c.latency, c.interval), c.want);
    }
}

TEST(ThreadModel, AWindowThreadAwakeAnywayDrawsAFrameAboutDueAndThePacingGoesOnFromIt) {
    TMemoryCanvas canvas(8, 8);
    TQueuedHandOver handOver;
    TProbe probe(&canvas, 200);
    probe.RealSleep = true;
    probe.Start(handOver);
    ASSERT_TRUE(ServeUntil(handOver, [&] { return probe.Frames == 1 && probe.SleepCount == 1; }));
    const auto firstEnd = TClock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(probe.DrawWaitingFrame());
    EXPECT_EQ(probe.Frames, 2);
    EXPECT_EQ(probe.FrameThreads.back(), std::this_thread::get_id());
    // The renderer's own next frame comes a latency after the early one, not at its old time.
    ASSERT_TRUE(ServeUntil(handOver, [&] { return probe.Frames == 3; }));
    EXPECT_GE(MsSince(firstEnd), 100 + 200 - 10);
    probe.TerminateNow();
    ASSERT_TRUE(ServeUntil(handOver, [&] { return probe.Finished(); }));
}

TEST(ThreadModel, FramesThatMustNotBeDrawnEarlyAreNot) {
    TMemoryCanvas canvas(8, 8);
    {
        SCOPED_TRACE("latency too short: its frames follow each other closely anyway");
        TQueuedHandOver handOver;
        TProbe probe(&canvas, TEffectThread::MinimumEarlyLatencyMs - 1);
        probe.RealSleep = true;
        probe.StopAtFrame = 20;
        probe.Start(handOver);
        for (int i = 0; i < 200 && !probe.Finished(); ++i) {
            handOver.Drain();
            EXPECT_FALSE(probe.DrawWaitingFrame());
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_TRUE(ServeUntil(handOver, [&] { return probe.Finished(); }));
    }
    {
        SCOPED_TRACE("asked to stop");
        TQueuedHandOver handOver;
        TProbe probe(&canvas, 1000000);
        probe.RealSleep = true;
        probe.Start(handOver);
        ASSERT_TRUE(ServeUntil(handOver, [&] { return probe.Frames == 1 && probe.SleepCount == 1; }));
        probe.Terminate();
        EXPECT_FALSE(probe.DrawWaitingFrame());
        probe.TerminateNow();
        ASSERT_TRUE(ServeUntil(handOver, [&] { return probe.Finished(); }));
        EXPECT_EQ(probe.Frames, 1);
    }
}

TEST(ThreadModel, AFrameDueJustBeforeTheNextRenderWaitsForIt) {
    // With the host's next render forecast just after the frame's time, the renderer leaves the
    // frame to that render instead of handing it over at its time. (Without the forecast it hands
    // it over at once, but only a machine with time to spare shows that in time.)
    struct TCase {
        const char* Name;
        int RenderIntervalMs;
        int ForecastAfterDueUs;  // where the render is forecast, after the frame's time
        int LateUs;              // how much later than forecast it really comes
    };
    const TCase cases[] = {
        // Within the 5 ms a locked frame may wait: a renderer that wakes a little late still
        // finds it ahead.
        {"locked to the renders, 4 ms after", 10, 4000, 0},
        // The host's timeouts are whole milliseconds, so its renders wander by about one.
        {"not locked, 1 ms after, and 1 ms late", 11, 1000, 1000},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TMemoryCanvas canvas(8, 8);
        TQueuedHandOver handOver;
        TProbe probe(&canvas, 150);
        probe.RealSleep = true;
        probe.PlainSleep = true;
        auto forecast = std::make_shared<TRenderForecast>();
        probe.SetRenderForecast(forecast);
        probe.Start(handOver);
        ASSERT_TRUE(ServeUntil(handOver, [&] { return probe.Frames == 1; }));
        // The renderer's frame is due 150 ms after its thread saw the frame end, which is after
        // DrawnAt however the threads are scheduled.
        const auto forecastRender = probe.DrawnAt + std::chrono::microseconds(150000 + c.ForecastAfterDueUs);
        const std::chrono::milliseconds interval(c.RenderIntervalMs);
        forecast->Note(forecastRender - 2 * interval);
        forecast->Note(forecastRender - interval);
        const auto render = forecastRender + std::chrono::microseconds(c.LateUs);
        // A request counts only when the clock, read after it was seen, still shows the render to
        // come: this thread may be held up between the two.
        bool handedOverBeforeTheRender = false;
        for (;;) {
            const bool pending = handOver.PendingCount() > 0;
            if (TClock::now() >= render - std::chrono::microseconds(200)) {
                break;
            }
            handedOverBeforeTheRender = handedOverBeforeTheRender || pending;
        }
        EXPECT_FALSE(handedOverBeforeTheRender);
        probe.DrawWaitingFrame();
        ASSERT_TRUE(ServeUntil(handOver, [&] { return probe.Frames == 2; }));
        probe.TerminateNow();
        ASSERT_TRUE(ServeUntil(handOver, [&] { return probe.Finished(); }));
    }
}

TEST(ThreadOwner, DrawDueDrawsOnlyTheFramesAboutDue) {
    // Two renderers that oversleep their frames' time and one far from its next frame: only the
    // first two are drawn.
    class TOversleeper : public TProbe {
    public:
        using TProbe::TProbe;

    protected:
        void SleepMs(int) override { std::this_thread::sleep_for(std::chrono::milliseconds(300)); }
    };
    TMemoryCanvas canvas(8, 8);
    TQueuedHandOver handOver;
    TRenderers renderers(handOver);
    auto late = std::make_unique<TOversleeper>(&canvas, 5);
    auto meter = std::make_unique<TOversleeper>(&canvas, 7);
    auto far = std::make_unique<TProbe>(&canvas, 1000000);
    far->RealSleep = true;
    TProbe* lateRaw = late.get();
    TProbe* meterRaw = meter.get();
    TProbe* farRaw = far.get();
    renderers.Start(TRendererSlot::EffectThread, std::move(late), nullptr);
    renderers.Start(TRendererSlot::VUMeterThread, std::move(meter), nullptr);
    renderers.Start(TRendererSlot::SpectrumBarsThread, std::move(far), nullptr);
    ASSERT_TRUE(
        ServeUntil(handOver, [&] { return lateRaw->Frames == 1 && meterRaw->Frames == 1 && farRaw->SleepCount == 1; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(renderers.DrawDue(), 2);
    EXPECT_EQ(lateRaw->Frames, 2);
    EXPECT_EQ(meterRaw->Frames, 2);
    EXPECT_EQ(farRaw->Frames, 1);
    EXPECT_EQ(renderers.DrawDue(), 0) << "a frame is drawn early once";
    EXPECT_TRUE(renderers.StopAndWait(WaitMs));
}

TEST(EarlyFrames, AwakeAnywayTheWindowThreadDrawsWhatIsAboutDueAndKeepsPartnersTogether) {
    constexpr double early = 2.0;
    const TWaitingFrame none{};
    const auto asleep = [](int latency, double dueIn) { return TWaitingFrame{true, latency, dueIn}; };
    struct Case {
        const char* name;
        TWaitingFrames frames;
        TFramesToDraw want;
    };
    const Case cases[] = {
        {"nothing waits", {none, none, none}, {false, false, false}},
        {"overdue and about due", {asleep(20, -3), asleep(15, 1.9), none}, {true, true, false}},
        {"not yet", {asleep(20, 2.1), asleep(15, 9), asleep(25, 2.5)}, {false, false, false}},
        {"not waiting however due", {TWaitingFrame{false, 15, -1}, none, none}, {false, false, false}},
        {"close to one drawn", {none, asleep(15, 1.5), asleep(20, 3.4)}, {false, true, true}},
        {"an earlier slot close to a later one", {asleep(20, 3.4), asleep(15, 1.5), none}, {true, true, false}},
        {"twice the reach at most", {asleep(20, 1.9), asleep(15, 3.9), asleep(25, 4.1)}, {true, true, false}},
        {"a partner of the same latency comes along", {none, asleep(15, 1.0), asleep(15, 7.4)}, {false, true, true}},
        {"up to half a period", {none, asleep(15, 1.0), asleep(15, 7.6)}, {false, true, false}},
        {"only with a partner drawn", {none, asleep(15, 5), asleep(15, 7)}, {false, false, false}},
        {"only of the same latency", {asleep(20, 1.0), asleep(15, 7), none}, {true, false, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FramesToDrawNow(c.frames, early), c.want);
    }
}

}  // namespace thread_model_test
