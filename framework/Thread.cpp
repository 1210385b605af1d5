#include "framework/Thread.h"

#include <algorithm>
#include <chrono>

namespace {

using Clock = TSteadyClock;

// Slice of a wait in which a condition that nobody signals (a flag set by another thread) is
// looked at again.
constexpr int PollSliceMs = 10;

// How long a waiter in Run lets the serving thread be before it tells it again.
constexpr int ResignalAfterMs = 250;

int RemainingMs(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, PollSliceMs));
}

Clock::time_point DeadlineAfter(int timeoutMs) {
    return Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
}

}  // namespace

TQueuedHandOver::TQueuedHandOver() : ServingThread(TWorker::CurrentId()) {}

TQueuedHandOver::~TQueuedHandOver() {
    Shutdown();
}

bool TQueuedHandOver::Enqueue(const TRequestPtr& request, TSignal kind) {
    {
        std::lock_guard<TLock> guard(Lock);
        if (ShutDown) {
            return false;
        }
        Pending.push_back(request);
    }
    if (Signal(kind)) {
        return true;
    }
    // Nobody was told. Withdraw the request unless a drain already took it (another request's
    // signal can have served it); a taken request runs and must be waited for.
    return !Withdraw(request);
}

bool TQueuedHandOver::Withdraw(const TRequestPtr& request) {
    std::lock_guard<TLock> guard(Lock);
    const auto it = std::find(Pending.begin(), Pending.end(), request);
    if (it == Pending.end()) {
        return false;
    }
    Pending.erase(it);
    request->State = TState::Cancelled;
    return true;
}

bool TQueuedHandOver::Run(const std::function<void()>& work) {
    auto request = std::make_shared<TRequest>();
    request->Work = work;
    if (!Enqueue(request, TSignal::New)) {
        return false;
    }
    const auto over = [&request] { return request->State == TState::Ran || request->State == TState::Cancelled; };
    std::unique_lock<TLock> guard(Lock);
    // Told again now and then, in case the first announcement was lost.
    while (!request->Finished.WaitFor(guard, ResignalAfterMs, over)) {
        guard.unlock();
        const bool told = Signal(TSignal::Again);
        if (!told && Withdraw(request)) {
            return false;
        }
        guard.lock();
    }
    return request->State == TState::Ran;
}

bool TQueuedHandOver::Post(std::function<void()> work) {
    auto request = std::make_shared<TRequest>();
    request->Work = std::move(work);
    return Enqueue(request, TSignal::New);
}

int TQueuedHandOver::Drain() {
    std::deque<TRequestPtr> taken;
    {
        std::lock_guard<TLock> guard(Lock);
        taken.swap(Pending);
        for (auto& request : taken) {
            request->State = TState::Running;
        }
    }
    int ran = 0;
    for (auto& request : taken) {
        // Work may shut the hand-over down; what was taken but not yet run is then cancelled.
        bool run = false;
        {
            std::lock_guard<TLock> guard(Lock);
            run = !ShutDown;
        }
        if (run) {
            // An exception must not cross the window procedure that called us; the frame is lost.
            try {
                request->Work();
            } catch (...) {
            }
            ++ran;
        }
        {
            std::lock_guard<TLock> guard(Lock);
            request->State = run ? TState::Ran : TState::Cancelled;
        }
        request->Finished.NotifyAll();
        request->Work = nullptr;  // a posted request's captures go now, on the serving thread
    }
    return ran;
}

void TQueuedHandOver::Shutdown() {
    std::deque<TRequestPtr> cancelled;
    {
        std::lock_guard<TLock> guard(Lock);
        ShutDown = true;
        cancelled.swap(Pending);
        for (auto& request : cancelled) {
            request->State = TState::Cancelled;
        }
    }
    for (auto& request : cancelled) {
        request->Finished.NotifyAll();
    }
    // Posted work is released here, unrun, together with whatever it captured.
}

int TQueuedHandOver::PendingCount() const {
    std::lock_guard<TLock> guard(Lock);
    return static_cast<int>(Pending.size());
}

bool TQueuedHandOver::Signal(TSignal /*kind*/) {
    Queued.NotifyAll();
    return true;
}

void TQueuedHandOver::WaitForWork(int timeoutMs) {
    std::unique_lock<TLock> guard(Lock);
    Queued.WaitFor(guard, timeoutMs, [this] { return !Pending.empty() || ShutDown; });
}

bool TQueuedHandOver::ServeUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto deadline = DeadlineAfter(timeoutMs);
    const bool serving = OnServingThread();
    for (;;) {
        if (serving) {
            Drain();
        }
        if (done()) {
            return true;
        }
        const int slice = RemainingMs(deadline);
        if (slice == 0) {
            return done();
        }
        if (serving) {
            WaitForWork(slice);
        } else {
            TWorker::SleepFor(slice);
        }
    }
}

TThread::~TThread() {
    StopAndJoin();
}

void TThread::StopAndJoin() {
    Dying = true;
    if (!Worker.Joinable()) {
        return;
    }
    TerminateNow();
    if (HandOver != nullptr) {
        HandOver->ServeUntil([this] { return Finished(); }, 5000);
    }
    Join();
}

void TThread::Start(std::shared_ptr<TFrameHandOver> handOver) {
    if (Worker.Joinable() || BodyFinished || !handOver) {
        return;  // a thread runs its body once
    }
    HandOver = std::move(handOver);
    Worker.Start([this] { Body(); });
}

void TThread::Start(TFrameHandOver& handOver) {
    // Shares no ownership: the caller keeps the hand-over alive.
    Start(std::shared_ptr<TFrameHandOver>(std::shared_ptr<TFrameHandOver>(), &handOver));
}

void TThread::TerminateNow() {
    TerminateRequested = true;
    {
        std::lock_guard<TLock> guard(WakeLock);
        WakeRequested = true;
    }
    Wake.NotifyAll();
}

void TThread::Join() {
    if (Worker.Joinable() && !Worker.IsCurrent()) {
        Worker.Join();
    }
}

void TThread::Abandon() {
    Worker.Detach();
    if (--Holders == 0) {
        delete this;  // the body has already returned
    }
}

bool TThread::Synchronize(const std::function<void()>& work) {
    if (HandOver == nullptr) {
        return false;
    }
    bool threw = false;
    const bool ran = HandOver->Run([this, &work, &threw] {
        if (!Dying) {
            try {
                work();
            } catch (...) {
                threw = true;
            }
        }
    });
    return ran && !threw;
}

void TThread::SleepMs(double ms) {
    if (ms <= 0) {
        return;
    }
    const auto start = Clock::now();
    const double asked = ms;
    const double wait = std::max(0.0, asked - SleepLeadMs);
    {
        std::unique_lock<TLock> guard(WakeLock);
        Wake.WaitFor(guard, wait, [this] { return WakeRequested; });
        if (WakeRequested) {
            return;  // cut short on purpose: nothing to learn from this one
        }
    }
    // Move the lead a quarter of the way towards what would have hit the asked time, within
    // bounds, so that one late wake-up (a busy machine) does not throw it off.
    const double slept = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    SleepLeadMs = std::clamp(SleepLeadMs + 0.25 * (slept - asked), 0.0, std::min(asked * 0.5, 5.0));
}

void TThread::Body() {
    // An exception leaving a thread would end the host's process; it ends only this thread.
    try {
        Execute();
    } catch (...) {
    }
    BodyFinished = true;
    if (OnBodyFinished) {
        OnBodyFinished(this);
    }
    // An owner that gave up on this thread handed the object to it: nothing else deletes it.
    if (--Holders == 0) {
        delete this;
    }
}
