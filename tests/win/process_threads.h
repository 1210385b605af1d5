#pragma once
// How many threads this process has: tests use it to prove nothing was left running. And a call made
// on another thread, started as the product starts its own (the Windows build has no std::thread).

// clang-format off
#include <windows.h>
#include <tlhelp32.h>  // needs <windows.h> first
// clang-format on

#include <functional>

#include "framework/Worker.h"

inline int ThreadsOfThisProcess() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return -1;
    }
    int count = 0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) {
            ++count;
        }
    }
    CloseHandle(snapshot);
    return count;
}

// Runs body on a thread of its own and returns once that thread has ended.
inline void RunOnAnotherThread(std::function<void()> body) {
    TWorker worker;
    worker.Start(std::move(body));
    worker.Join();
}
