#include "player/PlayerHost.h"

#include <algorithm>

#include "player/DpiAwareness.h"
#include "player/InputInjection.h"
#include "player/PlayerLog.h"
#include "player/RenderPacer.h"
#include "player/ScreenCapture.h"

namespace player {
namespace {

// The real player's class, by which plug-ins and the setup program find its main window.
constexpr char WindowClassName[] = "Winamp v1.x";
constexpr UINT_PTR ConfigTimerId = 1;
constexpr UINT ConfigTickMs = 10;
// Each pass over the queue is bounded, so a plug-in that keeps posting cannot starve Render.
constexpr int MaxMessagesPerPump = 10000;

// Whether a call of the plug-in left this thread's DPI awareness as it found it.
std::string AwarenessLine(const char* call, HANDLE before) {
    const HANDLE after = ThreadDpiAwareness();
    const char* verdict = before == nullptr ? "unknown" : before == after ? "kept" : "changed";
    return std::string("dpi-awareness ") + call + " " + verdict;
}

}  // namespace

PlayerHost::PlayerHost(HINSTANCE instance, const PlayerOptions& options, EventLog& log, const AudioSource& source)
    : instance_(instance), options_(options), log_(log), source_(source) {
    QueryPerformanceFrequency(&frequency_);
    QueryPerformanceCounter(&start_);
}

PlayerHost::~PlayerHost() {
    WatchModule(nullptr);
}

std::int64_t PlayerHost::NowUs() const {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const std::int64_t ticks = now.QuadPart - start_.QuadPart;
    const std::int64_t freq = frequency_.QuadPart;
    return ticks / freq * 1000000 + ticks % freq * 1000000 / freq;
}

LRESULT CALLBACK PlayerHost::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* host = reinterpret_cast<PlayerHost*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (host != nullptr) {
        return host->OnMessage(window, message, wParam, lParam);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT PlayerHost::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_USER:
            return AnswerRequest(wParam, lParam);
        case WM_COMMAND:
            log_.Write(CommandLine(wParam, lParam));
            return 0;
        case WM_GETTEXT:
            ++titleRequests_;
            break;
        case WM_TIMER:
            if (wParam == ConfigTimerId) {
                OnConfigTick();
                return 0;
            }
            break;
        case WM_CLOSE:
            // Closing the player stops the plug-in like the end of the run; the window itself
            // goes only after the plug-in is unloaded.
            stopRequested_ = true;
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT PlayerHost::AnswerRequest(WPARAM wParam, LPARAM lParam) const {
    if (wParam == static_cast<WPARAM>(PlayerRequest::VersionW) && lParam == PlayerRequest::VersionL) {
        ++versionRequests_;
        return options_.version;
    }
    if (wParam == static_cast<WPARAM>(PlayerRequest::LengthW) && lParam == PlayerRequest::LengthL) {
        ++lengthRequests_;
        // Older players do not know this request and answer it like any unknown one.
        return options_.version > PlayerRequest::LengthAnsweredAbove ? options_.lengthSeconds : 0;
    }
    if (wParam == static_cast<WPARAM>(PlayerRequest::PositionW) && lParam == PlayerRequest::PositionL) {
        ++positionRequests_;
        std::int64_t position = std::max<std::int64_t>(0, ElapsedMs());
        if (options_.lengthSeconds > 0) {
            position = std::min<std::int64_t>(position, static_cast<std::int64_t>(options_.lengthSeconds) * 1000);
        }
        return static_cast<LRESULT>(position);
    }
    return 0;
}

bool PlayerHost::CreateMainWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance_;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = WindowClassName;
    windowClass_ = std::make_unique<WindowClass>(wc);
    if (windowClass_->Atom() == 0) {
        log_.Write("error window-class code=" + std::to_string(GetLastError()));
        return false;
    }
    mainWindow_.Reset(CreateWindowExA(0, WindowClassName, options_.title.c_str(), WS_OVERLAPPEDWINDOW, options_.windowX,
                                      options_.windowY, 480, 160, nullptr, nullptr, instance_, this));
    if (!mainWindow_) {
        log_.Write("error main-window code=" + std::to_string(GetLastError()));
        return false;
    }
    ShowWindow(mainWindow_.Get(), SW_SHOWNOACTIVATE);
    UpdateWindow(mainWindow_.Get());
    return true;
}

bool PlayerHost::LoadPlugin() {
    plugin_.Reset(LoadLibraryA(options_.pluginPath.c_str()));
    if (!plugin_) {
        log_.Write("error load code=" + std::to_string(GetLastError()) +
                   " file=" + QuoteText(options_.pluginPath.c_str()));
        return false;
    }
    WatchModule(plugin_.Get());
    const auto getHeader = reinterpret_cast<VisGetHeaderFunction>(
        reinterpret_cast<void*>(GetProcAddress(plugin_.Get(), "winampVisGetHeader")));
    if (getHeader == nullptr) {
        log_.Write("error export winampVisGetHeader");
        return false;
    }
    winampVisHeader* header = getHeader();
    if (header == nullptr) {
        log_.Write("header null");
        return false;
    }
    log_.Write(HeaderLine(header->version, header->description));
    if (header->getModule == nullptr) {
        log_.Write("error getModule null");
        return false;
    }
    module_ = header->getModule(0);
    log_.Write(ModuleLine(0, module_));
    log_.Write(ModuleLine(1, header->getModule(1)));
    return module_ != nullptr;
}

void PlayerHost::Unload() {
    plugin_.Reset();
    WatchModule(nullptr);
    module_ = nullptr;
    log_.Write("unload");
}

int PlayerHost::Run() {
    if (!CreateMainWindow()) {
        return 1;
    }
    if (!LoadPlugin()) {
        if (plugin_) {
            Unload();
        }
        return 1;
    }
    module_->hwndParent = mainWindow_.Get();
    module_->hDllInstance = plugin_.Get();
    module_->sRate = source_.SampleRate();
    module_->nCh = source_.Channels();
    const int status = options_.config         ? RunConfig()
                       : options_.pluginThread ? RunDisplayOnPluginThread()
                                               : RunDisplay();
    Unload();
    DrainAfterUnload();
    return status;
}

int PlayerHost::RunConfig() {
    if (module_->Config == nullptr) {
        log_.Write("error callback Config null");
        return 1;
    }
    QueryPerformanceCounter(&start_);
    // The dialog runs its own modal loop; this timer, dispatched by that loop, takes the
    // screenshots, injects the keys and ends the run.
    UniqueTimer timer(mainWindow_.Get(), ConfigTimerId, ConfigTickMs);
    const HANDLE awareness = ThreadDpiAwareness();
    module_->Config(module_);
    timer.Reset();
    log_.Write("config");
    log_.Write(AwarenessLine("Config", awareness));
    return 0;
}

void PlayerHost::OnConfigTick() {
    RunDueEvents();
    const std::int64_t now = ElapsedMs();
    // At the end of the run the dialog is closed as a user would close it, once a second until it goes.
    if (now >= options_.runMs && (lastCloseMs_ < 0 || now - lastCloseMs_ >= 1000)) {
        lastCloseMs_ = now;
        const auto windows = PluginWindows(mainWindow_.Get());
        for (HWND window : windows) {
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
        log_.Write("close windows=" + std::to_string(windows.size()));
    }
}

int PlayerHost::RunDisplay() {
    if (module_->Init == nullptr || module_->Render == nullptr || module_->Quit == nullptr) {
        log_.Write("error callback null");
        return 1;
    }
    const HANDLE awareness = ThreadDpiAwareness();
    const int initResult = module_->Init(module_);
    log_.Write(InitLine(initResult));
    log_.Write(AwarenessLine("Init", awareness));
    if (initResult != 0) {
        return 1;
    }
    QueryPerformanceCounter(&start_);
    displayRunning_ = true;
    RenderPacer pacer(0, module_->delayMs);
    const std::int64_t endUs = options_.runMs * 1000;
    for (;;) {
        PumpMessages();
        if (quitRequested_ || stopRequested_) {
            break;
        }
        RunDueEvents();
        if (quitRequested_ || stopRequested_) {
            break;
        }
        std::int64_t now = NowUs();
        if (now >= endUs) {
            break;
        }
        if (pacer.Due(now)) {
            RenderOnce();
            now = NowUs();
            pacer.RenderDone(now);
            if (renderNonzero_ != 0) {
                break;  // a plug-in ends itself this way only by mistake, but the player obeys
            }
        }
        std::int64_t wakeUs = std::min(pacer.NextUs(), endUs);
        if (nextEvent_ < options_.events.size()) {
            wakeUs = std::min(wakeUs, options_.events[nextEvent_].atMs * 1000);
        }
        const std::int64_t waitUs = std::max<std::int64_t>(0, wakeUs - now);
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>((waitUs + 999) / 1000), QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
    }
    displayRunning_ = false;
    log_.Write(RenderSummaryLine(renderCount_, renderNonzero_));
    log_.Write(RequestSummaryLine(versionRequests_, lengthRequests_, positionRequests_, titleRequests_));
    module_->Quit(module_);
    log_.Write("quit");
    log_.Write(AwarenessLine("Quit", awareness));
    return renderNonzero_ == 0 ? 0 : 1;
}

DWORD WINAPI PlayerHost::PluginThreadMain(void* self) {
    auto* host = static_cast<PlayerHost*>(self);
    host->displayStatus_ = host->RunDisplay();
    return 0;
}

int PlayerHost::RunDisplayOnPluginThread() {
    UniqueHandle thread(CreateThread(nullptr, 0, &PluginThreadMain, this, 0, nullptr));
    if (!thread) {
        log_.Write("error plugin-thread code=" + std::to_string(GetLastError()));
        return 1;
    }
    // The main window answers the plug-in's requests and takes its commands here, while the
    // plug-in thread pumps its own queue, where its windows and quit request live.
    const HANDLE running = thread.Get();
    for (;;) {
        const DWORD woke = MsgWaitForMultipleObjects(1, &running, FALSE, INFINITE, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED) {
            break;
        }
        MSG msg;
        for (int i = 0; i < MaxMessagesPerPump && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    WaitForSingleObject(thread.Get(), INFINITE);
    return displayStatus_;
}

void PlayerHost::RenderOnce() {
    // The song starts one analysis window before Init, so even the first Render sees a whole
    // window of sound (a full-scale signal is full-scale from the first frame on).
    const std::int64_t heardMs = ElapsedMs() + std::max(0, module_->latencyMs);
    const std::int64_t end = heardMs * source_.SampleRate() / 1000 + FftSize;
    const SpectrumFrame frame = analyser_.AnalyseAt(source_, end);
    for (int ch = 0; ch < 2; ++ch) {
        std::copy(frame[ch].begin(), frame[ch].end(), module_->spectrumData[ch]);
    }
    if (module_->waveformNch > 0) {
        // Signed 8-bit samples, the newest last.
        for (int n = 0; n < VisBinCount; ++n) {
            const StereoSample s = source_.At(end - VisBinCount + n);
            module_->waveformData[0][n] = static_cast<std::uint8_t>(static_cast<std::int8_t>(s.left * 127.0f));
            module_->waveformData[1][n] = static_cast<std::uint8_t>(static_cast<std::int8_t>(s.right * 127.0f));
        }
    }
    ++renderCount_;
    if (module_->Render(module_) != 0) {
        ++renderNonzero_;
    }
}

void PlayerHost::PumpMessages() {
    MSG msg;
    for (int i = 0; i < MaxMessagesPerPump && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        if (msg.message == WM_QUIT) {
            OnQuitMessage();
            if (options_.config) {
                // The dialog's own loop must see it too.
                PostQuitMessage(static_cast<int>(msg.wParam));
            }
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void PlayerHost::DrainAfterUnload() {
    // A plug-in that leaves a window or a thread behind faults here, while the crash guard still
    // reports it. The quit message its Quit posted is the expected one and is dropped.
    for (int round = 0; round < 4; ++round) {
        MSG msg;
        for (int i = 0; i < MaxMessagesPerPump && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
            if (msg.message != WM_QUIT) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        Sleep(50);
    }
}

void PlayerHost::OnQuitMessage() {
    if (!quitRequested_) {
        quitRequested_ = true;
        log_.Write("quit-request");
    }
}

void PlayerHost::RunDueEvents() {
    // A screenshot pumps messages, and in the dialog that can dispatch the next timer tick.
    if (inEvents_) {
        return;
    }
    inEvents_ = true;
    while (nextEvent_ < options_.events.size() && options_.events[nextEvent_].atMs <= ElapsedMs() && !quitRequested_) {
        RunEvent(options_.events[nextEvent_++]);
    }
    inEvents_ = false;
}

void PlayerHost::RunEvent(const TimedEvent& event) {
    switch (event.kind) {
        case EventKind::Shot:
            TakeScreenshot(event.argument);
            return;
        case EventKind::Key: {
            const KeySpec* key = FindKey(event.argument);
            HWND target = FindPluginWindow(mainWindow_.Get());
            if (key != nullptr && target != nullptr && InjectKey(target, *key, true)) {
                log_.Write("key " + event.argument);
                PumpMessages();
                InjectKey(target, *key, false);
            } else {
                log_.Write("key-missed " + event.argument);
            }
            return;
        }
        case EventKind::RightClick: {
            HWND target = FindPluginWindow(mainWindow_.Get());
            log_.Write(target != nullptr && InjectRightClick(target) ? "rclick" : "rclick-missed");
            return;
        }
    }
}

void PlayerHost::TakeScreenshot(const std::string& path) {
    // Wine hands a window's pixels to the X server when its thread goes idle, so let the
    // plug-in finish what it queued and the server catch up before reading the screen.
    // The player keeps feeding the plug-in meanwhile, as a playing player does: a pause in the
    // spectrum would let the bars fall just before the picture is taken.
    PumpMessages();
    const std::int64_t settleEnd = NowUs() + 50 * 1000;
    const int delayMs = std::max(1, module_->delayMs);
    while (NowUs() < settleEnd) {
        if (displayRunning_ && !quitRequested_) {
            RenderOnce();
        }
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(delayMs), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        PumpMessages();
    }
    if (CaptureScreen(path)) {
        log_.Write("shot " + path);
    } else {
        log_.Write("shot-failed " + path + " code=" + std::to_string(GetLastError()));
    }
}

}  // namespace player
