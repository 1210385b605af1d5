#pragma once
// Worker threads that only pace: a renderer's thread hands each frame to the window thread,
// waits until it has been drawn there, then sleeps. The hand-over is an interface so that the
// Windows message queue serves it in the product and a plain call serves it in native tests.

#include <atomic>
#include <functional>
#include <thread>

class TFrameHandOver {
public:
    virtual ~TFrameHandOver() = default;
    // Runs work on the window thread and returns once it has run. Returns false, without running
    // work, when the hand-over is shutting down.
    virtual bool Run(const std::function<void()>& work) = 0;
};

// Runs work at once on the calling thread: for tests and for code with no window thread.
class TDirectHandOver : public TFrameHandOver {
public:
    bool Run(const std::function<void()>& work) override {
        work();
        return true;
    }
};

class TThread {
public:
    using TNotifyEvent = std::function<void(TThread* sender)>;

    TThread() = default;
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;
    // Joins the worker; whoever destroys a thread first asks it to terminate.
    virtual ~TThread();

    // Starts the body on a new thread; frames are handed over through handOver, which must
    // outlive the thread.
    void Start(TFrameHandOver& handOver);
    void Terminate() { TerminateRequested = true; }
    bool Terminated() const { return TerminateRequested; }
    // True once the body has returned (the thread may still be finishing).
    bool Finished() const { return BodyFinished; }
    // Waits for the worker to end; safe to call more than once.
    void Join();

    // Run on the window thread by the owner once the body has returned.
    TNotifyEvent OnTerminate;
    // Called on the worker thread when the body has returned; the owner uses it to learn, on
    // its own thread, that the thread has ended (for example by posting itself a message).
    std::function<void(TThread* sender)> OnBodyFinished;

protected:
    virtual void Execute() = 0;
    // Runs work on the window thread and waits; false when the hand-over refused it.
    bool Synchronize(const std::function<void()>& work);
    void SleepMs(int ms);

private:
    void Body();

    std::thread Worker;
    TFrameHandOver* HandOver = nullptr;
    std::atomic<bool> TerminateRequested{false};
    std::atomic<bool> BodyFinished{false};
};
