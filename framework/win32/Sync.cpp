#include "framework/Sync.h"

#include <windows.h>

#include <cmath>

// The Windows build: slim reader/writer locks and condition variables, which need no kernel
// object and, under Wine, wait without asking its server.

static_assert(sizeof(SRWLOCK) == sizeof(void*), "an SRWLOCK is one pointer");
static_assert(sizeof(CONDITION_VARIABLE) == sizeof(void*), "a CONDITION_VARIABLE is one pointer");

namespace {

SRWLOCK* AsLock(void*& slot) {
    return reinterpret_cast<SRWLOCK*>(&slot);
}

CONDITION_VARIABLE* AsCondition(void*& slot) {
    return reinterpret_cast<CONDITION_VARIABLE*>(&slot);
}

}  // namespace

TLock::TLock() {
    InitializeSRWLock(AsLock(Slim));
}

TLock::~TLock() = default;  // a slim lock owns nothing

void TLock::lock() {
    AcquireSRWLockExclusive(AsLock(Slim));
}

void TLock::unlock() {
    ReleaseSRWLockExclusive(AsLock(Slim));
}

TCondition::TCondition() {
    InitializeConditionVariable(AsCondition(Slim));
}

TCondition::~TCondition() = default;

void TCondition::WaitFor(std::unique_lock<TLock>& guard, double ms) {
    // Whole milliseconds, rounded up so that a short wait is not a busy loop; the lock stays
    // owned by guard (the call releases and retakes it).
    const double clamped = ms > 0 ? std::ceil(ms) : 0;
    const DWORD timeout = clamped >= 4.0e9 ? INFINITE - 1 : static_cast<DWORD>(clamped);
    SleepConditionVariableSRW(AsCondition(Slim), AsLock(guard.mutex()->Slim), timeout, 0);
}

void TCondition::NotifyAll() {
    WakeAllConditionVariable(AsCondition(Slim));
}
