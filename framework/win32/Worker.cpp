#include "framework/Worker.h"

#include <process.h>
#include <windows.h>

#include <memory>
#include <system_error>

// The Windows build: a thread of the system's own, started through the C runtime so that the
// runtime's per-thread data is set up and given back with it.

static_assert(sizeof(TThreadId) == sizeof(DWORD), "a thread id is a DWORD");

namespace {

unsigned __stdcall RunBody(void* argument) {
    std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(argument));
    (*body)();
    return 0;
}

}  // namespace

TWorker::~TWorker() {
    Detach();
}

void TWorker::Start(std::function<void()> body) {
    if (Handle != nullptr) {
        throw std::system_error(std::make_error_code(std::errc::invalid_argument), "worker already started");
    }
    auto owned = std::make_unique<std::function<void()>>(std::move(body));
    unsigned id = 0;
    const uintptr_t handle = _beginthreadex(nullptr, 0, RunBody, owned.get(), 0, &id);
    if (handle == 0) {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again), "no thread");
    }
    owned.release();  // the thread has it now
    Handle = reinterpret_cast<void*>(handle);
    Id = id;
}

bool TWorker::Joinable() const {
    return Handle != nullptr;
}

void TWorker::Join() {
    if (Handle == nullptr || IsCurrent()) {
        throw std::system_error(std::make_error_code(std::errc::invalid_argument), "cannot join");
    }
    WaitForSingleObject(Handle, INFINITE);
    Detach();
}

void TWorker::Detach() {
    if (Handle != nullptr) {
        CloseHandle(Handle);
        Handle = nullptr;
        Id = 0;
    }
}

bool TWorker::IsCurrent() const {
    return Handle != nullptr && Id == GetCurrentThreadId();
}

TThreadId TWorker::CurrentId() {
    return GetCurrentThreadId();
}

void TWorker::SleepFor(int ms) {
    if (ms > 0) {
        Sleep(static_cast<DWORD>(ms));
    }
}
