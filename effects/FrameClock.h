#pragma once
// When the renderers' frames are drawn: every rule of it lives here.
//
// A renderer's frame is due a latency after its previous frame began to be drawn, so that the periods
// on screen are its latency, and is never drawn more than EarlyMs before. Its thread hands the frame
// to the window thread so that it is drawn at its time, which wakes the window thread for it. But
// that thread is awake anyway at each of the host's renders and at each frame another renderer hands
// over, and a frame drawn during such a wake costs no wake of its own. So:
// - at any wake, the window thread draws each waiting frame that is due within EarlyMs;
// - a renderer whose frame is due at most WaitMs before a wake that comes anyway (the host's next
//   render, forecast from the recent ones, or another renderer's own hand-over) leaves its frame to
//   that wake; when the wake has not come LateMs after it was expected, it hands the frame over
//   itself.
// The renderers' threads ask HandOverAt after each frame and again at each of their wakes, so a wake
// that is planned later (another renderer's) is taken into account.
//
// Thread-safe: renderer threads plan, the window thread notes renders.

#include <array>
#include <chrono>
#include <cstdint>

#include "framework/Clock.h"
#include "framework/Sync.h"

class TFrameClock {
public:
    using TClock = TSteadyClock;
    using TTime = TClock::time_point;

    // A frame may be drawn this long before its time: the shortest period on screen is the latency
    // less this.
    static constexpr double EarlyMs = 1.0;
    // A frame waits this long past its time for a wake that comes anyway, and the renderer gives up
    // on that wake LateMs after it was expected. Every such wait lengthens a period, and the periods
    // are to stay within 0.5 ms of the latency in the median and its average within 1 %, so that
    // the frames per second stay at the latency's; with the host's renders every 10 ms give or take
    // 1 ms, a model of the pacing driven by measured render times met both with 0.5 ms each and no
    // longer (1 ms each: 98.6 % of the frames per second at a latency of 10 ms).
    static constexpr double WaitMs = 0.5;
    static constexpr double LateMs = 0.5;

    // Window thread, at each of the host's renders.
    void NoteRender(TTime at);

    struct THandOver {
        bool Now = false;  // the thread hands its frame over now
        TTime At{};        // else it sleeps until then and asks again, unless its frame was drawn
    };
    // Renderer thread: the next frame of renderer who is due at due, and its frames are drawn about
    // lagMs after it hands them over; it is now. Until Forget, other renderers may count on a
    // hand-over of its own that this plans.
    THandOver HandOverAt(const void* who, TTime due, double lagMs, TTime now);
    // Renderer thread: who plans no hand-over any more (it hands over now, or stops).
    void Forget(const void* who);

    // Whether a waiting frame due at due is drawn by a wake of the window thread at now.
    static bool DrawsNow(TTime due, TTime now) { return due - now <= Ms(EarlyMs); }

    static TClock::duration Ms(double ms) {
        return std::chrono::duration_cast<TClock::duration>(std::chrono::duration<double, std::milli>(ms));
    }

private:
    // The first render expected at or after t; TTime{} when none is, from the renders so far.
    TTime RenderAtOrAfter(TTime t, TTime now) const;

    static constexpr int Kept = 8;  // recent render intervals whose median is the usual one
    // Longer gaps between renders are the host pausing, not its pace.
    static constexpr std::int64_t LongestIntervalUs = 200000;
    static constexpr int MostPlanners = 4;  // three renderers, and one being replaced

    struct TPlan {
        const void* Who = nullptr;
        TTime At{};  // its own hand-over; TTime{} when it plans none
    };

    mutable TLock Lock;
    TTime LastRender{};
    std::array<std::int64_t, Kept> Intervals{};  // µs, a ring
    int Count = 0;
    int NextSlot = 0;
    std::int64_t UsualUs = 0;  // 0: no forecast
    std::array<TPlan, MostPlanners> Plans{};
};
