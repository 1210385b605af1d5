#pragma once
// The test player's log file, and the guards that turn a crash or a hang inside the plug-in into
// a last log line and exit status 1 instead of a debugger dialog or a stuck test.

#include <windows.h>

#include <cstdint>
#include <string>

#include "player/Win32Owners.h"

namespace player {

// Each line goes straight to the file with its own write, so a crash leaves every earlier line.
class EventLog {
public:
    // An empty path keeps no file; lines are then dropped.
    bool Open(const std::string& path);
    void Write(const std::string& line);
    // The same for a crash handler: one write of text and a newline, no allocation.
    void WriteRaw(const char* text, std::size_t length);

private:
    UniqueFile file_;
};

// Installs the handlers (once, at start): faults in the player's or the watched plug-in's code,
// unhandled exceptions anywhere, and abort() all log "crash code=0x..." and end the process with 1.
void InstallCrashGuard(EventLog& log);

// Faults whose instruction lies in this module count as crashes even when the code that called
// it (a timer dispatch, say) would swallow them. Null stops watching.
void WatchModule(HMODULE plugin);

// Ends the process with status 1 unless it is disarmed within limitMs, logging "hang" first.
class Watchdog {
public:
    Watchdog(EventLog& log, DWORD limitMs);
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;
    ~Watchdog();

private:
    static DWORD WINAPI Main(void* self);
    EventLog& log_;
    DWORD limitMs_;
    UniqueHandle disarm_;
    UniqueHandle thread_;
};

}  // namespace player
