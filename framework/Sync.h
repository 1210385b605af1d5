#pragma once
// A lock and a condition for the renderer threads and the hand-over. The standard ones would do,
// but in the Windows build they come from a pthreads layer whose every contended wait is a round
// trip to Wine's server; the Windows build implements these two on the system's slim locks and
// condition variables instead, which wait in the kernel. Used like std::mutex (with
// std::unique_lock and std::lock_guard) and a reduced std::condition_variable.

#include <chrono>
#include <mutex>
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
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double, std::milli>(ms);
        while (!done()) {
            const double left =
                std::chrono::duration<double, std::milli>(deadline - std::chrono::steady_clock::now()).count();
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
