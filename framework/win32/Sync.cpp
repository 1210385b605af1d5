#include "framework/Sync.h"

#include <windows.h>

#include <algorithm>

// The Windows build: slim reader/writer locks and condition variables, which need no kernel
// object and, under Wine, wait without asking its server.

static_assert(sizeof(SRWLOCK) == sizeof(void*), "an SRWLOCK is one pointer");
static_assert(sizeof(CONDITION_VARIABLE) == sizeof(void*), "a CONDITION_VARIABLE is one pointer");

// Exported by ntdll, which every process has loaded; the headers do not declare it.
extern "C" __declspec(dllimport) LONG NTAPI RtlSleepConditionVariableSRW(CONDITION_VARIABLE* condition,
                                                                         SRWLOCK* lock,
                                                                         const LARGE_INTEGER* timeout,
                                                                         ULONG flags);

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
    // The system's own call, which takes the timeout in 100 ns units: the Win32 one rounds it to
    // whole milliseconds, and a frame's sleep that ends up to a millisecond late or early (once
    // the lead learnt from the late ones is taken off) makes the frames jitter by as much. At
    // least a microsecond, so that a short wait is not a busy loop; the lock stays owned by guard
    // (the call releases and retakes it).
    const double units = std::clamp(ms * 10000.0, 10.0, 1.0e15);
    LARGE_INTEGER timeout;
    timeout.QuadPart = -static_cast<LONGLONG>(units);  // negative: relative to now
    RtlSleepConditionVariableSRW(AsCondition(Slim), AsLock(guard.mutex()->Slim), &timeout, 0);
}

void TCondition::NotifyAll() {
    WakeAllConditionVariable(AsCondition(Slim));
}
