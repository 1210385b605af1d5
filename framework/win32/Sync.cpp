#include "framework/Sync.h"

#include <windows.h>

#include <algorithm>
#include <cmath>

// The Windows build: slim reader/writer locks and condition variables, which need no kernel
// object and, under Wine, wait without asking its server.

static_assert(sizeof(SRWLOCK) == sizeof(void*), "an SRWLOCK is one pointer");
static_assert(sizeof(CONDITION_VARIABLE) == sizeof(void*), "a CONDITION_VARIABLE is one pointer");

namespace {

// The system's own wait, which takes its timeout in 100 ns units; ntdll, which every process has
// loaded, exports it, and the headers do not declare it. Looked up once, when the library loads.
using TSleepCondition = LONG(NTAPI*)(CONDITION_VARIABLE*, SRWLOCK*, const LARGE_INTEGER*, ULONG);
const TSleepCondition SleepConditionPrecise = reinterpret_cast<TSleepCondition>(
    reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlSleepConditionVariableSRW")));

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
    if (SleepConditionPrecise == nullptr) {
        const double clamped = ms > 0 ? std::ceil(ms) : 0;
        const DWORD timeout = clamped >= 4.0e9 ? INFINITE - 1 : static_cast<DWORD>(clamped);
        SleepConditionVariableSRW(AsCondition(Slim), AsLock(guard.mutex()->Slim), timeout, 0);
        return;
    }
    const double units = std::clamp(ms * 10000.0, 10.0, 1.0e15);
    LARGE_INTEGER timeout;
    timeout.QuadPart = -static_cast<LONGLONG>(units);  // negative: relative to now
    SleepConditionPrecise(AsCondition(Slim), AsLock(guard.mutex()->Slim), &timeout, 0);
}

void TCondition::NotifyAll() {
    WakeAllConditionVariable(AsCondition(Slim));
}
