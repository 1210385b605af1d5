#include "framework/Sync.h"

#include <condition_variable>

// The native build: the standard library's own, which wait in the kernel already.

TLock::TLock() = default;
TLock::~TLock() = default;

void TLock::lock() {
    Mutex.lock();
}

void TLock::unlock() {
    Mutex.unlock();
}

TCondition::TCondition() = default;
TCondition::~TCondition() = default;

void TCondition::WaitFor(std::unique_lock<TLock>& guard, double ms) {
    Condition.wait_for(guard, std::chrono::duration<double, std::milli>(ms > 0 ? ms : 0));
}

void TCondition::NotifyAll() {
    Condition.notify_all();
}
