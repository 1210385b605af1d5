// The message timer with a thread that is awake anyway: while RunDue comes about every 10 ms, as the
// host's renders do, the ticks run there at their rate and the system timer never wakes the thread;
// when RunDue stops, the system timer ticks again; while the calls are promised, it is not set again
// at each tick. The GIF host's ticks reach the window either way.

#include "framework/win32/Timer.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>

#include "controls/GIFImageWin.h"
#include "framework/Worker.h"
#include "framework/win32/GdiSurface.h"
#include "tests/unit/gif_test_support.h"
#include "tests/win/pump.h"

// Every SetTimer of the test program's code comes here first: the link wraps its import.
std::atomic<int> SetTimerCalls{0};
extern "C" {
extern void* RealSetTimer asm("___real__imp__SetTimer@16");
UINT_PTR WINAPI CountingSetTimer(HWND window, UINT_PTR id, UINT ms, TIMERPROC proc) {
    ++SetTimerCalls;
    return reinterpret_cast<decltype(&CountingSetTimer)>(RealSetTimer)(window, id, ms, proc);
}
void* WrappedSetTimer asm("___wrap__imp__SetTimer@16") = reinterpret_cast<void*>(&CountingSetTimer);
}

namespace timer_test {

namespace {

using Clock = std::chrono::steady_clock;

int MsSince(Clock::time_point t) {
    return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count());
}

struct TRenders {
    int SystemTicks = 0;   // WM_TIMER messages that reached the timer's window
    int LongestGapMs = 0;  // the longest time between two RunDue calls
};

// For ms, calls RunDue about every 10 ms and runs the thread's messages in between.
TRenders RenderFor(int ms, HWND timerWindow, TTimer::TNextRunDue next) {
    TRenders seen;
    const Clock::time_point start = Clock::now();
    Clock::time_point last = start;
    while (MsSince(start) < ms) {
        TTimer::RunDue(next);
        seen.LongestGapMs = std::max(seen.LongestGapMs, MsSince(last));
        last = Clock::now();
        while (MsSince(last) < 10) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                seen.SystemTicks += msg.message == WM_TIMER && msg.hwnd == timerWindow ? 1 : 0;
                DispatchMessageA(&msg);
            }
        }
    }
    return seen;
}

}  // namespace

// Renders that promise the next call, or do not.
class TimerRenders : public testing::TestWithParam<TTimer::TNextRunDue> {};

TEST_P(TimerRenders, RunTheTicksAndTheSystemTimerStaysAsleepUntilTheyStop) {
    TTimer timer;
    int ticks = 0;
    // Each tick sets the next interval, as an image's frame delays do: 100 ms on average.
    timer.OnTick = [&] { timer.SetInterval(++ticks % 2 == 1 ? 60 : 140); };
    timer.SetInterval(100);
    ASSERT_TRUE(timer.Create());
    timer.SetEnabled(true);
    // One call is enough for the system timer to wait past the due time for the next.
    TTimer::RunDue(GetParam());
    (void)PumpFor(120);
    EXPECT_EQ(ticks, 0) << "the system timer fired when the tick was due, after RunDue had come";
    bool judged = false;
    for (int attempt = 0; attempt < 5 && !judged; ++attempt) {
        ticks = 0;
        SetTimerCalls = 0;
        const TRenders renders = RenderFor(1000, timer.Handle(), GetParam());
        // A machine busy enough to hold this thread past the slack lets the system timer fire, rightly.
        judged = renders.LongestGapMs < static_cast<int>(TTimer::SlackMs);
        if (judged) {
            EXPECT_EQ(renders.SystemTicks, 0) << "WM_TIMER while RunDue ran every 10 ms";
            EXPECT_GE(ticks, 8);
            EXPECT_LE(ticks, 11);
            // After the pause above, the first call pushes the system timer back, the next sets the backstop.
            EXPECT_TRUE(GetParam() == TTimer::TNextRunDue::Unknown || SetTimerCalls <= 2)
                << "SetTimer at each tick while the calls were promised: " << SetTimerCalls;
        }
    }
    EXPECT_TRUE(judged) << "the thread was never free to call RunDue every 10 ms";

    TTimer::RunDue(TTimer::TNextRunDue::Unknown);  // the last call promises no more
    ticks = 0;
    const int systemTicks = PumpFor(1000, WM_TIMER);
    EXPECT_GE(ticks, 8) << "without RunDue, the system timer ticks at the interval again";
    EXPECT_GE(systemTicks, ticks);
}

INSTANTIATE_TEST_SUITE_P(TimerTicks,
                         TimerRenders,
                         testing::Values(TTimer::TNextRunDue::Unknown, TTimer::TNextRunDue::WithinSlack),
                         [](const auto& p) {
                             return p.param == TTimer::TNextRunDue::Unknown ? "NotPromised" : "Promised";
                         });

TEST(TimerTicks, AWmTimerAfterRunDueRanTheTickDoesNotRunItAgain) {
    TTimer timer;
    int ticks = 0;
    timer.OnTick = [&] { ++ticks; };
    timer.SetInterval(50);
    ASSERT_TRUE(timer.Create());
    timer.SetEnabled(true);
    Sleep(60);  // due, and the system timer has expired: its WM_TIMER waits for the next look
    TTimer::RunDue();
    ASSERT_EQ(ticks, 1);
    SendMessageA(timer.Handle(), WM_TIMER, TTimer::SystemTimerId, 0);
    (void)PumpFor(20);
    EXPECT_EQ(ticks, 1) << "the same tick twice";
    (void)PumpFor(200);
    EXPECT_GE(ticks, 3) << "and the timer ticks on";
}

TEST(TimerTicks, RunDueRunsOnlyTheCallingThreadsTimers) {
    int ticks = 0;
    HANDLE made = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    TWorker other;
    other.Start([&] {
        TTimer timer;
        timer.OnTick = [&] { ++ticks; };
        timer.SetInterval(10);
        timer.SetEnabled(true);
        (void)timer.Create();
        SetEvent(made);
        WaitForSingleObject(done, INFINITE);  // its messages are not run: nothing ticks it there
    });
    WaitForSingleObject(made, INFINITE);
    Sleep(30);
    TTimer::RunDue();
    SetEvent(done);
    other.Join();
    EXPECT_EQ(ticks, 0) << "another thread's timer ticked here";
    CloseHandle(made);
    CloseHandle(done);
}

namespace {

// A surface that counts the copies to its window.
class TCountingSurface : public TDibCanvas {
public:
    using TDibCanvas::TDibCanvas;
    void Present() override { ++Presents; }
    int Presents = 0;
};

}  // namespace

TEST(TimerTicks, TheImagesStepAndReachTheWindowFromRunDueAndFromTheirTimer) {
    const giftest::Bytes data = giftest::GifBuilder(2, 2)
                                    .Control(1, 2, -1)
                                    .Image(giftest::Ascii({"12", "21"}))
                                    .Control(1, 2, -1)
                                    .Image(giftest::Ascii({"21", "12"}))
                                    .Trailer()
                                    .bytes;
    TCountingSurface surface(8, 8);
    TGifWindowHost host;
    TGIFImagX view(host);
    ASSERT_TRUE(host.Attach(nullptr, &surface, &view));
    ASSERT_TRUE(view.LoadFromData(data));
    int steps = 0;
    view.OnChange = [&] { ++steps; };
    view.SetLoop(true);
    view.SetAnimate(true);
    view.PaintMessage();  // the first paint starts the animation
    ASSERT_TRUE(host.TimerActive());

    // Renders only, no message loop: each step RunDue runs is on the window when it returns.
    int runDueSteps = 0;
    int unpresented = 0;
    for (const Clock::time_point start = Clock::now(); MsSince(start) < 300;) {
        const int frame = view.CurrentFrame();
        const int presents = surface.Presents;
        TTimer::RunDue();
        if (view.CurrentFrame() != frame) {
            ++runDueSteps;
            unpresented += surface.Presents == presents ? 1 : 0;
        }
        Sleep(10);
    }
    EXPECT_GE(runDueSteps, 5) << "20 ms frames in 300 ms of renders";
    EXPECT_EQ(unpresented, 0) << "steps run by RunDue that did not reach the window";

    // No renders: the timer steps it.
    steps = 0;
    (void)PumpFor(300);
    EXPECT_GE(steps, 5) << "20 ms frames in 300 ms without renders";
    host.Detach();
    EXPECT_FALSE(host.TimerActive());
}

}  // namespace timer_test
