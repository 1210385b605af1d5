#pragma once
// The owner of the running renderers. The display window keeps one reference per kind of
// renderer (nil when none); a renderer that was asked to stop loses its reference at once but
// lives on until its thread has ended, and is then joined, announced through its OnTerminate
// handler and destroyed on the window thread. Stopping for good (Quit, unload) waits for every
// thread while serving their hand-overs, so that no renderer code runs after the library is gone.
//
// Window thread only, except where said. The renderers share the hand-over, so one that was let
// go after the stop timeout never reaches a freed one.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "effects/EffectThread.h"

enum class TRendererSlot { EffectThread, SpectrumBarsThread, VUMeterThread };
constexpr int RendererSlotCount = 3;

class TRenderers {
public:
    // Long enough for any frame in progress; a stop that needs more means a renderer is stuck.
    static constexpr int DefaultStopTimeoutMs = 3000;

    explicit TRenderers(std::shared_ptr<TFrameHandOver> handOver);
    // With a hand-over the caller keeps alive longer than every renderer (tests).
    explicit TRenderers(TFrameHandOver& handOver);
    TRenderers(const TRenderers&) = delete;
    TRenderers& operator=(const TRenderers&) = delete;
    // StopAndWait(DefaultStopTimeoutMs).
    ~TRenderers();

    // Takes renderer into slot and starts its thread; onTerminate runs on the window thread when
    // the thread ends. A renderer already in the slot is asked to stop and released first.
    // Returns the renderer (owned here).
    TEffectThread* Start(TRendererSlot slot,
                         std::unique_ptr<TEffectThread> renderer,
                         TThread::TNotifyEvent onTerminate);

    // The reference of the slot: nil when none was started or it was released.
    TEffectThread* Get(TRendererSlot slot) const;
    bool IsRunning(TRendererSlot slot) const { return Get(slot) != nullptr; }
    // Some slot holds a renderer: its frames bring the window thread back every latency or so.
    bool AnyRunning() const;
    // Renderers owned, running or ending.
    int Count() const;
    // Inside StopAndWait: every renderer is being stopped for good.
    bool Stopping() const { return Core->Stopping; }

    // Draws the waiting frames of the running renderers that the frame clock says are due; for a
    // window thread that is awake anyway (a render, another renderer's frame). Returns how many
    // were drawn.
    int DrawDue();
    // Window thread, at each of the host's renders: the renderers' frames due just before the
    // next one wait for it.
    void NoteRender();

    // Asks every referenced renderer to stop after its current frame and sleep, and clears the
    // references; does not wait. Safe to call from an OnTerminate handler.
    void RequestStopAll();

    // Reaps every renderer whose body has returned: joins it, runs its OnTerminate handler and
    // destroys it. Each ending renderer asks for this itself through the hand-over; calling it
    // again is harmless.
    void ReapFinished();

    // Stops every renderer for good: asks each to end now (sleeps are cut short), serves their
    // pending hand-overs until all bodies have returned or timeoutMs passes, then joins and
    // destroys them. OnTerminate handlers are not run: whoever stops for good is ending the
    // display anyway. True when every thread ended; a thread that did not is let go: it frees
    // itself when its body returns, never destroyed under a running thread.
    bool StopAndWait(int timeoutMs = DefaultStopTimeoutMs);

private:
    struct TEntry {
        std::uint64_t Id = 0;
        std::unique_ptr<TEffectThread> Renderer;
    };
    // The part that a posted reap request reaches: it may arrive after this object is gone.
    struct TCore {
        std::vector<TEntry> Owned;
        std::array<TEffectThread*, RendererSlotCount> Slots{};
        std::uint64_t NextId = 1;
        bool Stopping = false;
        void Reap(std::uint64_t id, bool announce);
    };

    std::shared_ptr<TFrameHandOver> HandOver;
    std::shared_ptr<TCore> Core;
    // Shared with the renderers, which may outlive this owner when they are let go.
    std::shared_ptr<TFrameClock> Clock = std::make_shared<TFrameClock>();
};
