// The renderer thread model on a portable queue that the test thread serves, as the window
// thread does in the product: pacing, stopping, the hand-over's promises and the owner.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <random>
#include <stdexcept>
#include <thread>
#include <vector>

#include "effects/FrameClock.h"
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
    void SleepMs(double ms) override {
        Sleeps.push_back(static_cast<int>(ms));
        ++SleepCount;
        if (StopInSleep > 0 && SleepCount == StopInSleep) {
            Terminate();
        }
        if (RealSleep && PlainSleep) {
            std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(ms));
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
        void SleepMs(double) override {
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

// The frame clock's tests run on a fake clock: At(ms) is a time ms after its start, MsOf(t) the reverse.
TFrameClock::TTime At(double ms) {
    return TFrameClock::TTime{} + std::chrono::hours(1) + TFrameClock::Ms(ms);
}
double MsOf(TFrameClock::TTime t) {
    return std::chrono::duration<double, std::milli>(t - At(0)).count();
}

double MsSince(TClock::time_point from) {
    return std::chrono::duration<double, std::milli>(TClock::now() - from).count();
}

}  // namespace

TEST(FrameClock, AFrameIsLeftToAWakeThatComesAnywayAndNeverDrawnMoreThan1MsEarly) {
    // Times in ms; the renders noted come every 10 ms from 0 to 30, so the next is expected at 40.
    // Another renderer may plan to hand its own frame over at other (a negative time: none). A frame
    // is drawn lagMs after its renderer hands it over.
    struct Case {
        const char* name;
        bool renders;
        double other;
        double due;
        double now;
        bool wantNow;
        double wantAt;
        double lagMs = 0;
    };
    const Case cases[] = {
        {"nothing comes: hands over at its time", false, -1, 25, 5, false, 25},
        {"at its time", false, -1, 25, 25, true, 25},
        {"1 ms before it", false, -1, 25, 24, true, 25},
        {"not sooner", false, -1, 25, 23.9, false, 25},
        {"handed over early by the lag, drawn at its time", false, -1, 25, 5, false, 24.4, 0.6},
        {"never more than 1 ms early", false, -1, 25, 5, false, 24, 1.5},
        {"due just before a render: waits for it", true, -1, 39.6, 20, false, 40.5},
        {"due at most 1 ms after it: the render draws it", true, -1, 41, 20, false, 40.5},
        {"a render further on, at the usual pace", true, -1, 59.6, 20, false, 60.5},
        {"due too long before a render", true, -1, 39.4, 20, false, 39.4},
        {"due too long after it", true, -1, 41.1, 20, false, 41.1},
        {"a render late by more than the usual jitter", true, -1, 39.6, 40.6, true, 39.6},
        {"a host that stopped rendering", true, -1, 300, 299, true, 300},
        {"due just before another renderer's frame", false, 25.4, 25, 20, false, 25.9},
        {"another's frame too long before its own", false, 23.9, 25, 20, false, 25},
        {"the earlier of a render and another's frame", true, 38.8, 39.6, 20, false, 39.3},
        {"another's frame that came and went", false, 26, 25, 27.1, true, 25},
    };
    const auto plan = [&](TFrameClock& clock, const void* who, double due, double now, double lagMs = 0) {
        return clock.HandOverAt(who, At(due), lagMs, At(now));
    };
    int other = 0;
    int self = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TFrameClock clock;
        for (int ms = 0; c.renders && ms <= 30; ms += 10) {
            clock.NoteRender(At(ms));
        }
        if (c.other >= 0) {
            ASSERT_NEAR(MsOf(plan(clock, &other, c.other, c.now).At), c.other, 1e-3);
        }
        const TFrameClock::THandOver got = plan(clock, &self, c.due, c.now, c.lagMs);
        EXPECT_EQ(got.Now, c.wantNow);
        EXPECT_NEAR(MsOf(got.At), c.wantAt, 1e-3);
        // The window thread, awake anyway, draws the frame no earlier either.
        EXPECT_EQ(TFrameClock::DrawsNow(At(c.due), At(c.now)), c.due - c.now <= TFrameClock::EarlyMs);
    }
    {
        SCOPED_TRACE("a renderer that leaves its frame to a wake is no wake for the others");
        TFrameClock clock;
        ASSERT_FALSE(plan(clock, &self, 25, 0).Now);
        ASSERT_NEAR(MsOf(plan(clock, &other, 24.6, 0).At), 25.5, 1e-3) << "rides on self's frame";
        int third = 0;
        EXPECT_NEAR(MsOf(plan(clock, &third, 24.7, 0).At), 25.5, 1e-3);
    }
}

TEST(FrameClock, DrivenThroughJitteredRendersNoFrameIsEarlySkippedOrLongLate) {
    // Renderers of 20 and 15 ms paced by the clock alone, on a fake clock: the host renders every
    // 10 ms give or take 1 ms (a fixed seed), a visit draws a handed-over frame at once, and every
    // wake draws what the clock says is due. Each frame is drawn exactly once, never more than
    // EarlyMs after the previous one's latency, and never later than the longest wait allows.
    using TTime = TFrameClock::TTime;
    struct TRenderer {
        double latency;
        TTime due;
        std::vector<double> starts;
    };
    std::array<TRenderer, 2> renderers{{{20, At(20), {}}, {15, At(15), {}}}};
    TFrameClock clock;
    std::mt19937 random(7);
    std::uniform_real_distribution<double> jitter(-1.0, 1.0);
    double nextRender = 10 + jitter(random);
    const auto drawDue = [&](TTime now, TRenderer* handedOver) {
        for (TRenderer& r : renderers) {
            if (&r == handedOver || TFrameClock::DrawsNow(r.due, now)) {
                r.starts.push_back(MsOf(now));
                r.due = now + TFrameClock::Ms(r.latency);
            }
        }
    };
    for (TTime now = At(0); now < At(10000);) {
        // The next event: a render, or the earliest wake a renderer plans.
        TTime next = At(nextRender);
        TRenderer* waking = nullptr;
        for (TRenderer& r : renderers) {
            const TFrameClock::THandOver plan = clock.HandOverAt(&r, r.due, 0, now);
            const TTime wake = plan.Now ? now : plan.At;
            if (wake < next) {
                next = wake;
                waking = &r;
            }
        }
        now = std::max(now, next);
        if (waking == nullptr) {
            clock.NoteRender(now);
            drawDue(now, nullptr);
            nextRender = std::round(MsOf(now) / 10) * 10 + 10 + jitter(random);
        } else if (clock.HandOverAt(waking, waking->due, 0, now).Now) {
            drawDue(now, waking);
        }
    }
    for (const TRenderer& r : renderers) {
        SCOPED_TRACE(r.latency);
        ASSERT_GT(r.starts.size(), 9000 / r.latency) << "frames were skipped";
        for (std::size_t i = 1; i < r.starts.size(); ++i) {
            const double period = r.starts[i] - r.starts[i - 1];
            ASSERT_GE(period, r.latency - TFrameClock::EarlyMs - 1e-6) << "frame " << i;
            ASSERT_LE(period, r.latency + TFrameClock::WaitMs + TFrameClock::LateMs + 1e-6) << "frame " << i;
        }
    }
}

TEST(ThreadModel, AWindowThreadAwakeAnywayDrawsAFrameOnlyWhenDueAndThePacingGoesOnFromIt) {
    TMemoryCanvas canvas(8, 8);
    TQueuedHandOver handOver;
    TProbe probe(&canvas, 200);
    probe.RealSleep = true;
    probe.SetFrameClock(std::make_shared<TFrameClock>());
    probe.Start(handOver);
    ASSERT_TRUE(ServeUntil(handOver, [&] { return probe.Frames == 1 && probe.SleepCount == 1; }));
    const auto firstEnd = TClock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(probe.DrawWaitingFrame(TClock::now())) << "due in about 100 ms";
    // A wake that finds the frame due (the test's clock runs ahead) draws it.
    ASSERT_TRUE(probe.DrawWaitingFrame(TClock::now() + std::chrono::milliseconds(100)));
    EXPECT_EQ(probe.Frames, 2);
    EXPECT_EQ(probe.FrameThreads.back(), std::this_thread::get_id());
    EXPECT_FALSE(probe.DrawWaitingFrame(TClock::now() + std::chrono::milliseconds(100))) << "drawn once";
    // The renderer's own next frame comes a latency after the one drawn, not at its old time.
    ASSERT_TRUE(ServeUntil(handOver, [&] { return probe.Frames == 3; }));
    EXPECT_GE(MsSince(firstEnd), 100 + 200 - 10);
    probe.Terminate();
    EXPECT_FALSE(probe.DrawWaitingFrame(TClock::now() + std::chrono::hours(1))) << "asked to stop";
    probe.TerminateNow();
    ASSERT_TRUE(ServeUntil(handOver, [&] { return probe.Finished(); }));
    EXPECT_EQ(probe.Frames, 3);
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
        {"0.3 ms after, on time", 10, 300, 0},
        {"0.3 ms after, and 0.2 ms late", 11, 300, 200},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TMemoryCanvas canvas(8, 8);
        TQueuedHandOver handOver;
        TProbe probe(&canvas, 150);
        probe.RealSleep = true;
        probe.PlainSleep = true;
        auto clock = std::make_shared<TFrameClock>();
        probe.SetFrameClock(clock);
        probe.Start(handOver);
        ASSERT_TRUE(ServeUntil(handOver, [&] { return probe.Frames == 1; }));
        // The renderer's frame is due 150 ms after its frame began, which is just before DrawnAt.
        const auto forecastRender = probe.DrawnAt + std::chrono::microseconds(150000 + c.ForecastAfterDueUs);
        const std::chrono::milliseconds interval(c.RenderIntervalMs);
        clock->NoteRender(forecastRender - 2 * interval);
        clock->NoteRender(forecastRender - interval);
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
        probe.DrawWaitingFrame(TClock::now());
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
        void SleepMs(double) override { std::this_thread::sleep_for(std::chrono::milliseconds(300)); }
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

}  // namespace thread_model_test
