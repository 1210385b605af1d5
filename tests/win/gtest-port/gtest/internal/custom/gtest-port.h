// GoogleTest's own customisation point, ahead of Debian's empty one for the Windows build. The win32 thread
// model has no std::mutex or std::condition_variable, which GoogleTest's Notification is written on;
// this one waits on an event instead. Everything else of GoogleTest's on Windows uses the system's own.
#ifndef SKYBURST_GTEST_PORT_H
#define SKYBURST_GTEST_PORT_H

#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
public:
    Notification() : Event(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { CloseHandle(Event); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { SetEvent(Event); }
    void WaitForNotification() { WaitForSingleObject(Event, INFINITE); }

private:
    HANDLE Event;
};

}  // namespace internal
}  // namespace testing

#endif
