#pragma once
// The stand-in host: loads a vis plug-in, gives it a main window to own its windows, drives
// Init, Render and Quit from one thread as the player does, and answers its requests.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>

#include "player/AudioSource.h"
#include "player/CrashGuard.h"
#include "player/FrequencyAnalyser.h"
#include "player/PlayerOptions.h"
#include "player/Win32Owners.h"
#include "playerapi/VisRecords.h"

namespace player {

class PlayerHost {
public:
    PlayerHost(HINSTANCE instance, const PlayerOptions& options, EventLog& log, const AudioSource& source);
    PlayerHost(const PlayerHost&) = delete;
    PlayerHost& operator=(const PlayerHost&) = delete;
    ~PlayerHost();

    // The process exit status: 0 when the plug-in behaved, 1 otherwise.
    int Run();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    [[nodiscard]] LRESULT AnswerRequest(WPARAM wParam, LPARAM lParam) const;

    bool CreateMainWindow();
    bool LoadPlugin();
    int RunDisplay();
    // RunDisplay on a thread of its own while this thread keeps the main window's messages.
    int RunDisplayOnPluginThread();
    static DWORD WINAPI PluginThreadMain(void* self);
    int RunConfig();
    void Unload();

    void PumpMessages();
    void DrainAfterUnload();
    void OnQuitMessage();
    void RunDueEvents();
    void RunEvent(const TimedEvent& event);
    void TakeScreenshot(const std::string& path);
    void RenderOnce();
    void OnConfigTick();

    [[nodiscard]] std::int64_t NowUs() const;
    [[nodiscard]] std::int64_t ElapsedMs() const { return NowUs() / 1000; }

    HINSTANCE instance_;
    const PlayerOptions& options_;
    EventLog& log_;
    const AudioSource& source_;
    SpectrumAnalyser analyser_;

    LARGE_INTEGER frequency_{};
    LARGE_INTEGER start_{};  // Init's return; times of events and the play position count from it

    std::unique_ptr<WindowClass> windowClass_;
    UniqueWindow mainWindow_;
    UniqueModule plugin_;
    winampVisModule* module_ = nullptr;

    // The plug-in's requests answered, by kind; logged once at the end of the display. The main
    // window's thread counts them, which may not be the thread that logs them.
    mutable std::atomic<std::int64_t> versionRequests_{0};
    mutable std::atomic<std::int64_t> lengthRequests_{0};
    mutable std::atomic<std::int64_t> positionRequests_{0};
    std::atomic<std::int64_t> titleRequests_{0};

    std::int64_t renderCount_ = 0;
    std::int64_t renderNonzero_ = 0;
    std::size_t nextEvent_ = 0;
    bool inEvents_ = false;
    bool quitRequested_ = false;
    bool displayRunning_ = false;             // Render may be called (not while Config runs)
    std::atomic<bool> stopRequested_{false};  // the main window was closed
    int displayStatus_ = 1;                   // RunDisplay's result, on the plug-in thread
    std::int64_t lastCloseMs_ = -1;
};

}  // namespace player
