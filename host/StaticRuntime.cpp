// What the static C and C++ runtimes of the win32 thread model would keep of every load of the library,
// given back at its unload. A host that loads and unloads us at each start, or to list its plug-ins,
// would otherwise run out of kernel handles or TLS slots after enough loads:
// - Static locals initialised on first use: libstdc++'s guard makes a semaphore at the first one and
//   never closes it. Here they sit on the system's one-time initialisation, which needs no kernel object.
// - Each thread's record of the exceptions it is handling (__cxa_get_globals): libstdc++ keeps it in
//   emulated thread-local storage, whose TLS slot and semaphore are never given back. Here a TLS slot and
//   a heap of our own hold it; a thread's record goes when the thread ends, the slot and the heap at unload.
// - The unwinder's lock: libgcc makes its semaphore when it registers the library's frame tables at load
//   and never closes it. The link wraps that registration and the deregistration at unload
//   (cmake/win32.cmake), and the semaphore made during the one is closed after the other.

#include "host/StaticRuntime.h"

#include <windows.h>

#include <cstdlib>

namespace {

// --- Static locals. A guard is 64 bits; its first byte, which the compiler's own code tests before it
// calls in, says "initialised". The one-time initialisation record sits in its second half.

INIT_ONCE* OnceOf(long long* guard) {
    return reinterpret_cast<INIT_ONCE*>(reinterpret_cast<char*>(guard) + sizeof(long long) - sizeof(INIT_ONCE));
}

// --- The exception records: libstdc++'s __cxa_eh_globals, one a thread.

struct TExceptionRecord {
    void* CaughtExceptions;
    unsigned int UncaughtExceptions;
};

INIT_ONCE RecordStoreOnce = INIT_ONCE_STATIC_INIT;
DWORD RecordSlot = TLS_OUT_OF_INDEXES;
HANDLE RecordHeap = nullptr;

BOOL CALLBACK MakeRecordStore(INIT_ONCE*, void*, void**) {
    RecordHeap = HeapCreate(0, 0, 0);
    RecordSlot = TlsAlloc();
    return RecordHeap != nullptr && RecordSlot != TLS_OUT_OF_INDEXES;
}

// --- The unwinder's lock.

bool RegisteringFrames = false;
HANDLE UnwinderSemaphore = nullptr;

HANDLE WINAPI CreateRuntimeSemaphore(SECURITY_ATTRIBUTES* attributes, LONG initial, LONG maximum, const wchar_t* name) {
    const HANDLE made = CreateSemaphoreExW(attributes, initial, maximum, name, 0, SEMAPHORE_ALL_ACCESS);
    if (RegisteringFrames) {
        UnwinderSemaphore = made;
    }
    return made;
}

}  // namespace

static_assert(sizeof(INIT_ONCE) <= sizeof(long long) - 1, "the guard's first byte stays the compiler's");

extern "C" int __cxa_guard_acquire(long long* guard) noexcept {
    if (__atomic_load_n(reinterpret_cast<char*>(guard), __ATOMIC_ACQUIRE) != 0) {
        return 0;
    }
    BOOL first = FALSE;
    // Another thread initialising the same static is waited for; then it is done, or failed and ours to try.
    InitOnceBeginInitialize(OnceOf(guard), 0, &first, nullptr);
    return first ? 1 : 0;
}

extern "C" void __cxa_guard_release(long long* guard) noexcept {
    __atomic_store_n(reinterpret_cast<char*>(guard), 1, __ATOMIC_RELEASE);
    InitOnceComplete(OnceOf(guard), 0, nullptr);
}

extern "C" void __cxa_guard_abort(long long* guard) noexcept {
    InitOnceComplete(OnceOf(guard), INIT_ONCE_INIT_FAILED, nullptr);
}

extern "C" TExceptionRecord* __cxa_get_globals() noexcept {
    // Called while an exception is thrown and caught, when the caller's last error may still be read.
    const DWORD lastError = GetLastError();
    if (!InitOnceExecuteOnce(&RecordStoreOnce, &MakeRecordStore, nullptr, nullptr)) {
        std::abort();  // as libstdc++ does when it has no record to give
    }
    auto* record = static_cast<TExceptionRecord*>(TlsGetValue(RecordSlot));
    if (record == nullptr) {
        record = static_cast<TExceptionRecord*>(HeapAlloc(RecordHeap, HEAP_ZERO_MEMORY, sizeof(TExceptionRecord)));
        if (record == nullptr || !TlsSetValue(RecordSlot, record)) {
            std::abort();
        }
    }
    SetLastError(lastError);
    return record;
}

extern "C" TExceptionRecord* __cxa_get_globals_fast() noexcept {
    return __cxa_get_globals();
}

void ReleaseThreadExceptionRecord() {
    if (RecordSlot != TLS_OUT_OF_INDEXES) {
        if (void* record = TlsGetValue(RecordSlot)) {
            HeapFree(RecordHeap, 0, record);
            TlsSetValue(RecordSlot, nullptr);
        }
    }
}

// libgcc's unwinder, and any other code of the library, calls CreateSemaphoreW through this pointer,
// which stands in for the import's.
extern "C" {
decltype(&CreateSemaphoreW) CreateSemaphoreImport asm("__imp__CreateSemaphoreW@16") = &CreateRuntimeSemaphore;

void __real___register_frame_info(const void* frames, void* object);
void* __real___deregister_frame_info(const void* frames);

// The first constructor of every load, before any code of ours runs.
void __wrap___register_frame_info(const void* frames, void* object) {
    RegisteringFrames = true;
    __real___register_frame_info(frames, object);
    RegisteringFrames = false;
}

// The last of the runtime's handlers at unload: nothing of the library throws after it.
void* __wrap___deregister_frame_info(const void* frames) {
    void* object = __real___deregister_frame_info(frames);
    if (UnwinderSemaphore != nullptr) {
        CloseHandle(UnwinderSemaphore);
        UnwinderSemaphore = nullptr;
    }
    if (RecordSlot != TLS_OUT_OF_INDEXES) {
        TlsFree(RecordSlot);
        RecordSlot = TLS_OUT_OF_INDEXES;
    }
    if (RecordHeap != nullptr) {
        HeapDestroy(RecordHeap);  // with the records of the threads that still run
        RecordHeap = nullptr;
    }
    return object;
}
}
