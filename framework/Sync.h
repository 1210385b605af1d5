#pragma once
// A lock and a condition for the renderer threads and the hand-over. The native build has the standard
// ones under them. The Windows build's compiler (the win32 thread model, which links no pthreads layer
// into the DLL) has no std::mutex, std::condition_variable or std::thread, and its std::call_once is the
// single-threaded one; these two sit on the system's slim locks and condition variables there, which
// wait in the kernel. Used like std::mutex (with std::unique_lock and std::lock_guard, which both
// builds have) and a reduced std::condition_variable; TWorker stands for std::thread.

#include <chrono>
#include <mutex>

#include "framework/Clock.h"
#if !defined(_WIN32)
#include <condition_variable>
#endif

class TCondition;

class TLock {
public:
    TLock();
    ~TLock();
    TLock(const TLock&) = delete;
    TLock& operator=(const TLock&) = delete;

    void lock();
    void unlock();

private:
    friend class TCondition;
#if defined(_WIN32)
    void* Slim = nullptr;  // an SRWLOCK: one pointer, zero when free
#else
    std::mutex Mutex;
#endif
};

class TCondition {
public:
    TCondition();
    ~TCondition();
    TCondition(const TCondition&) = delete;
    TCondition& operator=(const TCondition&) = delete;

    // Waits until notified or ms milliseconds passed (spurious wake-ups possible, as with any
    // condition): callers loop on their own predicate.
    void WaitFor(std::unique_lock<TLock>& guard, double ms);
    void NotifyAll();

    // Waits until done() holds or ms milliseconds passed; returns done().
    template <typename TPredicate>
    bool WaitFor(std::unique_lock<TLock>& guard, double ms, TPredicate done) {
        const auto deadline = TSteadyClock::now() + std::chrono::duration<double, std::milli>(ms);
        while (!done()) {
            const double left = std::chrono::duration<double, std::milli>(deadline - TSteadyClock::now()).count();
            if (left <= 0) {
                return done();
            }
            WaitFor(guard, left);
        }
        return true;
    }
    // Waits until done() holds.
    template <typename TPredicate>
    void Wait(std::unique_lock<TLock>& guard, TPredicate done) {
        while (!done()) {
            WaitFor(guard, 60000.0);
        }
    }

private:
#if defined(_WIN32)
    void* Slim = nullptr;  // a CONDITION_VARIABLE: one pointer, zero when empty
#else
    std::condition_variable_any Condition;
#endif
};
