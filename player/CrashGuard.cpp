#include "player/CrashGuard.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "player/PlayerLog.h"

namespace player {
namespace {

// Process-wide because exception handlers and signal handlers take no context.
struct CrashState {
    std::atomic<EventLog*> log{nullptr};
    std::atomic<HMODULE> plugin{nullptr};
    std::atomic<bool> reported{false};
};
CrashState crashState;

constexpr DWORD AbortCode = 0x40000015;  // STATUS_FATAL_APP_EXIT

[[noreturn]] void ReportCrash(DWORD code) {
    // Only the first fault of a cascade is reported. Any other (another thread, or a fault while
    // reporting) gives the report a moment to be written, then ends the process itself.
    if (!crashState.reported.exchange(true)) {
        if (EventLog* log = crashState.log.load()) {
            char line[48];
            log->WriteRaw(line, FormatCrashLine(code, line, sizeof line));
        }
    } else {
        Sleep(2000);
    }
    TerminateProcess(GetCurrentProcess(), 1);
    for (;;) {
        Sleep(INFINITE);
    }
}

bool IsFault(DWORD code) {
    switch (code) {
        case EXCEPTION_ACCESS_VIOLATION:
        case EXCEPTION_ILLEGAL_INSTRUCTION:
        case EXCEPTION_PRIV_INSTRUCTION:
        case EXCEPTION_INT_DIVIDE_BY_ZERO:
        case EXCEPTION_INT_OVERFLOW:
        case EXCEPTION_STACK_OVERFLOW:
        case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
        case EXCEPTION_DATATYPE_MISALIGNMENT:
        case EXCEPTION_IN_PAGE_ERROR:
        case EXCEPTION_NONCONTINUABLE_EXCEPTION:
        case EXCEPTION_FLT_DIVIDE_BY_ZERO:
        case EXCEPTION_FLT_INVALID_OPERATION:
        case EXCEPTION_FLT_OVERFLOW:
        case EXCEPTION_FLT_STACK_CHECK:
        case 0xC0000374:  // heap corruption
        case 0xC0000409:  // stack buffer overrun
            return true;
        default:
            return false;
    }
}

// Whether a fault at this instruction is ours to judge: the player's code, the plug-in's, or
// memory that is no longer mapped (code of a plug-in that ran on after it was unloaded).
bool IsWatchedCode(const void* address) {
    MEMORY_BASIC_INFORMATION info{};
    if (VirtualQuery(address, &info, sizeof info) == 0 || info.State == MEM_FREE) {
        return true;
    }
    auto* const module = static_cast<HMODULE>(info.AllocationBase);
    return module != nullptr && (module == crashState.plugin.load() || module == GetModuleHandleW(nullptr));
}

// First chance: system code may catch its own faults, so only faults in watched code are judged
// here; everything else reaches the unhandled-exception filter if nobody handles it.
LONG CALLBACK OnFirstChance(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (!IsFault(record->ExceptionCode) || !IsWatchedCode(record->ExceptionAddress)) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    ReportCrash(record->ExceptionCode);
}

LONG WINAPI OnUnhandled(EXCEPTION_POINTERS* info) {
    ReportCrash(info->ExceptionRecord->ExceptionCode);
}

void OnAbort(int /*signal*/) {
    ReportCrash(AbortCode);
}

}  // namespace

bool EventLog::Open(const std::string& path) {
    if (path.empty()) {
        return true;
    }
    // Appending makes each line one atomic write even when the watchdog writes too.
    file_.Reset(CreateFileA(path.c_str(), FILE_APPEND_DATA | SYNCHRONIZE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file_);
}

void EventLog::Write(const std::string& line) {
    WriteRaw(line.data(), line.size());
}

void EventLog::WriteRaw(const char* text, std::size_t length) {
    if (!file_) {
        return;
    }
    char small[256];
    std::string large;
    const char* data = small;
    if (length < sizeof small) {
        std::memcpy(small, text, length);
        small[length] = '\n';
    } else {
        large.assign(text, length).push_back('\n');
        data = large.data();
    }
    // One write per line: appends from two threads never interleave inside a line.
    DWORD written = 0;
    WriteFile(file_.Get(), data, static_cast<DWORD>(length + 1), &written, nullptr);
}

void InstallCrashGuard(EventLog& log) {
    crashState.log = &log;
    // No system dialogs: a missing DLL, a fault or abort() must not wait for a click.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    _set_error_mode(_OUT_TO_STDERR);
    AddVectoredExceptionHandler(1, OnFirstChance);
    SetUnhandledExceptionFilter(OnUnhandled);
    std::signal(SIGABRT, OnAbort);
}

void WatchModule(HMODULE plugin) {
    crashState.plugin = plugin;
}

Watchdog::Watchdog(EventLog& log, DWORD limitMs)
    : log_(log), limitMs_(limitMs), disarm_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    if (disarm_) {
        thread_.Reset(CreateThread(nullptr, 64 * 1024, Main, this, 0, nullptr));
    }
}

Watchdog::~Watchdog() {
    if (thread_) {
        SetEvent(disarm_.Get());
        WaitForSingleObject(thread_.Get(), INFINITE);
    }
}

DWORD WINAPI Watchdog::Main(void* self) {
    auto* dog = static_cast<Watchdog*>(self);
    if (WaitForSingleObject(dog->disarm_.Get(), dog->limitMs_) == WAIT_TIMEOUT) {
        if (!crashState.reported.exchange(true)) {
            dog->log_.Write("hang");
        }
        TerminateProcess(GetCurrentProcess(), 1);
    }
    return 0;
}

}  // namespace player
