#pragma once
// The thread under a renderer. The native build has std::thread under it. The Windows build's
// compiler (the win32 thread model) has no std::thread, and a pthreads layer would keep TLS slots and
// handles of every load of the library; the Windows build starts the system's own threads. Used like a
// reduced std::thread.

#include <functional>
#if !defined(_WIN32)
#include <thread>
#endif

#if defined(_WIN32)
using TThreadId = unsigned long;  // the system's thread id (a DWORD)
#else
using TThreadId = std::thread::id;
#endif

class TWorker {
public:
    TWorker() = default;
    TWorker(const TWorker&) = delete;
    TWorker& operator=(const TWorker&) = delete;
    // Lets a thread that was neither joined nor detached run on unowned.
    ~TWorker();

    // Runs body on a new thread; throws std::system_error when none can be started, as
    // std::thread does. The worker must not be joinable.
    void Start(std::function<void()> body);
    // True from Start until Join or Detach, also after body has returned.
    bool Joinable() const;
    // Waits for the thread to end; not from the thread itself.
    void Join();
    // Lets the thread run on unowned.
    void Detach();
    // True when called on this worker's thread.
    bool IsCurrent() const;

    static TThreadId CurrentId();
    // Sleeps the calling thread ms milliseconds (nothing for 0 or less).
    static void SleepFor(int ms);

private:
#if defined(_WIN32)
    void* Handle = nullptr;
    TThreadId Id = 0;
#else
    std::thread Thread;
#endif
};
