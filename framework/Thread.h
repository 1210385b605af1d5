#pragma once
// Worker threads that only pace: a renderer's thread hands each frame to the window thread,
// waits until it has been drawn there, then sleeps. The hand-over is an interface so that the
// Windows message queue serves it in the product and a plain queue or call serves it in native
// tests.

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "framework/Sync.h"
#include "framework/Worker.h"

class TFrameHandOver {
public:
    virtual ~TFrameHandOver() = default;
    // From a worker: runs work on the window thread and returns once it has run. Returns false,
    // without running work, when the hand-over is shutting down or could not queue it.
    virtual bool Run(const std::function<void()>& work) = 0;
    // From any thread: queues work to run later on the window thread, without waiting. False when
    // it could not be queued; the work is then released and never runs.
    virtual bool Post(std::function<void()> work) = 0;
    // Waits until done() holds or timeoutMs passes, serving queued work meanwhile when called on
    // the window thread (a window thread that only waited would deadlock with a worker waiting in
    // Run). Returns done().
    virtual bool ServeUntil(const std::function<bool()>& done, int timeoutMs) = 0;
};

// A queue that the thread which created it serves. Every request that is queued is either run
// or released: Shutdown cancels whatever is still queued (waiters in Run get false) and refuses
// everything after it. Derived classes tell the serving thread about new work their own way
// (the Windows one posts a message to a window of that thread).
class TQueuedHandOver : public TFrameHandOver {
public:
    TQueuedHandOver();
    TQueuedHandOver(const TQueuedHandOver&) = delete;
    TQueuedHandOver& operator=(const TQueuedHandOver&) = delete;
    // Shuts down. Every thread that may still call in must have ended before.
    ~TQueuedHandOver() override;

    bool Run(const std::function<void()>& work) override;
    bool Post(std::function<void()> work) override;
    bool ServeUntil(const std::function<bool()>& done, int timeoutMs) override;

    // Serving thread only: runs every queued request, oldest first; returns how many ran.
    int Drain();
    // Cancels every queued request and refuses new ones. Idempotent.
    void Shutdown();
    bool OnServingThread() const { return TWorker::CurrentId() == ServingThread; }
    // Requests queued and not yet taken by the serving thread.
    int PendingCount() const;

protected:
    // New: a request was queued. Again: a waiter's request has not been taken for a long while,
    // so whatever told the serving thread before may have been lost.
    enum class TSignal { New, Again };

    // Called after a request was queued, without the lock held: tells the serving thread.
    // False when that failed; the request is then withdrawn unless the serving thread took it.
    virtual bool Signal(TSignal kind);
    // Blocks the serving thread until work may be queued or timeoutMs passes.
    virtual void WaitForWork(int timeoutMs);

private:
    enum class TState { Queued, Running, Ran, Cancelled };
    struct TRequest {
        std::function<void()> Work;
        TState State = TState::Queued;
        // Its own, so that the end of one frame wakes only the thread waiting for it: a wake
        // that finds its request still queued is a context switch for nothing.
        TCondition Finished;  // it ran or was cancelled
    };
    using TRequestPtr = std::shared_ptr<TRequest>;

    // Queues request; false when shut down or when the serving thread could not be told.
    bool Enqueue(const TRequestPtr& request, TSignal kind);
    // Takes request back unless the serving thread has it; true when it was withdrawn.
    bool Withdraw(const TRequestPtr& request);

    const TThreadId ServingThread;
    mutable TLock Lock;
    TCondition Queued;  // a request was queued (for the portable WaitForWork)
    std::deque<TRequestPtr> Pending;
    bool ShutDown = false;
};

class TThread {
public:
    using TNotifyEvent = std::function<void(TThread* sender)>;

    TThread() = default;
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;
    // StopAndJoin. Owners should still stop and reap threads before destroying them.
    virtual ~TThread();

    // Starts the body on a new thread; frames are handed over through handOver, which the
    // thread keeps alive as long as it runs (a thread that was let go may outlive its owner).
    // Set OnTerminate and OnBodyFinished before.
    void Start(std::shared_ptr<TFrameHandOver> handOver);
    // The same with a hand-over that the caller keeps alive until the thread has ended.
    void Start(TFrameHandOver& handOver);
    // Asks the body to end at its next check; a sleep in progress runs to its end.
    void Terminate() { TerminateRequested = true; }
    // Asks the body to end and cuts a sleep in progress short: for shutting down, when nothing
    // may be left running however long the latency is.
    void TerminateNow();
    bool Terminated() const { return TerminateRequested; }
    // True once the body has returned (the thread may still be finishing).
    bool Finished() const { return BodyFinished; }
    // Waits for the worker to end; safe to call more than once and from the worker itself.
    void Join();
    // Lets the worker run on unowned, for an owner that gave up waiting for it: the object is
    // handed to its own thread, which deletes it once its body has returned (at once if it
    // already has). The caller must forget the object.
    void Abandon();

    // Run on the window thread by the owner once the body has returned.
    TNotifyEvent OnTerminate;
    // Called on the worker thread when the body has returned; the owner uses it to learn, on
    // its own thread, that the thread has ended (by posting itself a request).
    TNotifyEvent OnBodyFinished;

protected:
    // Asks the worker to end at once and waits for it. A worker may be waiting for the window
    // thread in its hand-over, so when this runs on that thread it serves the hand-over while it
    // waits. Every class whose body uses its own members calls it from its destructor: by the
    // time a base destructor runs, those members are gone while the worker may still use them.
    void StopAndJoin();

    virtual void Execute() = 0;
    // Runs work on the window thread and waits; false when the hand-over refused it or the
    // work threw (a frame that fails ends its renderer rather than failing forever).
    bool Synchronize(const std::function<void()>& work);
    // Sleeps ms milliseconds (nothing for 0 or less); TerminateNow ends it early. Virtual so that
    // a test can see the pacing without waiting for it.
    virtual void SleepMs(double ms);

private:
    void Body();

    TWorker Worker;
    std::shared_ptr<TFrameHandOver> HandOver;
    // The body's end and Abandon each take one; whoever takes the last deletes the object.
    std::atomic<int> Holders{2};
    std::atomic<bool> TerminateRequested{false};
    std::atomic<bool> BodyFinished{false};
    // Set when destruction begins: by then the derived parts are gone, so work still queued for
    // this thread must not run (it would call into a half-destroyed object).
    std::atomic<bool> Dying{false};
    TLock WakeLock;
    TCondition Wake;
    bool WakeRequested = false;
    // How much earlier than asked a sleep is ended, learnt from the sleeps so far: the platform's
    // timed waits overshoot by about a millisecond (more under Wine), which would otherwise add
    // to every frame period.
    double SleepLeadMs = 0.0;
};
