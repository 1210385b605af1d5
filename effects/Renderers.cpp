#include "effects/Renderers.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace {

int SlotIndex(TRendererSlot slot) {
    const int index = static_cast<int>(slot);
    return index >= 0 && index < RendererSlotCount ? index : 0;
}

}  // namespace

TRenderers::TRenderers(std::shared_ptr<TFrameHandOver> handOver)
    : HandOver(std::move(handOver)), Core(std::make_shared<TCore>()) {}

TRenderers::TRenderers(TFrameHandOver& handOver)
    : TRenderers(std::shared_ptr<TFrameHandOver>(std::shared_ptr<TFrameHandOver>(), &handOver)) {}

TRenderers::~TRenderers() {
    StopAndWait(DefaultStopTimeoutMs);
}

TEffectThread* TRenderers::Start(TRendererSlot slot,
                                 std::unique_ptr<TEffectThread> renderer,
                                 TThread::TNotifyEvent onTerminate) {
    if (!renderer) {
        return nullptr;
    }
    TEffectThread*& reference = Core->Slots[SlotIndex(slot)];
    if (reference != nullptr) {
        reference->Terminate();
        reference = nullptr;
    }
    const std::uint64_t id = Core->NextId++;
    TEffectThread* started = renderer.get();
    started->OnTerminate = std::move(onTerminate);
    started->SetFrameClock(Clock);
    // The worker's last act: ask the window thread to reap it. The request holds the core only
    // weakly, so one that is served after this owner is gone does nothing.
    std::weak_ptr<TCore> core = Core;
    std::shared_ptr<TFrameHandOver> handOver = HandOver;
    started->OnBodyFinished = [handOver, core, id](TThread*) {
        handOver->Post([core, id] {
            if (auto alive = core.lock()) {
                alive->Reap(id, !alive->Stopping);
            }
        });
    };
    Core->Owned.push_back({id, std::move(renderer)});
    reference = started;
    try {
        started->Start(HandOver);
    } catch (...) {
        // No thread could be made: the renderer never ran, so it is dropped and the failure
        // passes to the caller.
        reference = nullptr;
        Core->Owned.pop_back();
        throw;
    }
    return started;
}

TEffectThread* TRenderers::Get(TRendererSlot slot) const {
    return Core->Slots[SlotIndex(slot)];
}

bool TRenderers::AnyRunning() const {
    return std::any_of(Core->Slots.begin(), Core->Slots.end(), [](const TEffectThread* r) { return r != nullptr; });
}

int TRenderers::Count() const {
    return static_cast<int>(Core->Owned.size());
}

int TRenderers::DrawDue() {
    if (Core->Stopping) {
        return 0;
    }
    const auto now = TEffectThread::TClock::now();
    int drawn = 0;
    // The background first, then the bars over it. A frame may stop the renderers (its own end is
    // announced later, through the hand-over), so each slot is read afresh.
    for (int i = 0; i < RendererSlotCount; ++i) {
        TEffectThread* renderer = Core->Slots[i];
        if (renderer != nullptr && renderer->DrawWaitingFrame(now)) {
            ++drawn;
        }
    }
    return drawn;
}

void TRenderers::NoteRender() {
    Clock->NoteRender(TEffectThread::TClock::now());
}

void TRenderers::RequestStopAll() {
    for (TEffectThread*& reference : Core->Slots) {
        if (reference != nullptr) {
            reference->Terminate();
            reference = nullptr;
        }
    }
}

void TRenderers::TCore::Reap(std::uint64_t id, bool announce) {
    const auto it = std::find_if(Owned.begin(), Owned.end(), [id](const TEntry& e) { return e.Id == id; });
    if (it == Owned.end()) {
        return;  // already reaped
    }
    // Out of the list before anything runs: the handler may re-enter (StopAll stops the others).
    std::unique_ptr<TEffectThread> renderer = std::move(it->Renderer);
    Owned.erase(it);
    for (TEffectThread*& reference : Slots) {
        if (reference == renderer.get()) {
            reference = nullptr;
        }
    }
    // The body has returned; what is left of the thread is its exit, so this join is short.
    renderer->Join();
    if (announce && renderer->OnTerminate) {
        renderer->OnTerminate(renderer.get());
    }
}

void TRenderers::ReapFinished() {
    std::vector<std::uint64_t> finished;
    for (const TEntry& entry : Core->Owned) {
        if (entry.Renderer->Finished()) {
            finished.push_back(entry.Id);
        }
    }
    const bool announce = !Core->Stopping;
    for (std::uint64_t id : finished) {
        Core->Reap(id, announce);
    }
}

bool TRenderers::StopAndWait(int timeoutMs) {
    const std::shared_ptr<TCore> core = Core;  // the handlers run below must not free it under us
    const bool wasStopping = std::exchange(core->Stopping, true);
    core->Slots.fill(nullptr);
    for (const TEntry& entry : core->Owned) {
        entry.Renderer->TerminateNow();
    }
    // Serving while waiting: a worker may be waiting for its frame to be drawn on this very thread.
    const bool allEnded = HandOver->ServeUntil(
        [&core] {
            return std::all_of(core->Owned.begin(), core->Owned.end(),
                               [](const TEntry& e) { return e.Renderer->Finished(); });
        },
        timeoutMs);
    ReapFinished();
    bool clean = allEnded;
    for (TEntry& entry : core->Owned) {
        // Still running after the bound: destroying it would pull the object from under its
        // thread, so it is handed to that thread, which frees it when its body returns. What it
        // can still reach stays alive: the hand-over through its own reference, and nothing
        // else runs once the hand-over refuses its frames.
        clean = false;
        entry.Renderer.release()->Abandon();
    }
    core->Owned.clear();
    core->Stopping = wasStopping;
    return clean;
}
