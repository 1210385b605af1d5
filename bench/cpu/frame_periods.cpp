// The renderers' frame periods under a host threaded like the player: the display runs on a
// plug-in thread that renders every 10 ms (what Render does on the display's own thread), while
// the main window, the target of the per-render title, length and position requests, belongs to
// the main thread. Prints, per renderer, the median and 95th percentile of the time between two
// frame starts against its latency plus the host's delay. Reads plugin.ini beside the executable.
//
// The product keeps no clock of its own: this program starts the display's renderers itself,
// each wrapped in a subclass that notes when its frames start, where the display would have
// started them at its first render.
//
//   frame_periods.exe [seconds, default 10] [--dump FILE]

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "display/MainForm.h"
#include "effects/LightThread.h"
#include "effects/RocketThread.h"
#include "effects/SpectrumThread.h"
#include "effects/vumeterThread.h"
#include "framework/Clock.h"
#include "framework/win32/Application.h"
#include "framework/win32/Handles.h"
#include "host/Vis.h"
#include "player/AudioSource.h"
#include "player/FrequencyAnalyser.h"
#include "settings/VisSettings.h"

namespace {

constexpr int HostDelayMs = 10;
constexpr int PlayerVersion = 0x5010;
constexpr int TrackSeconds = 225;

DWORD StartTick = 0;

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER) {
        if (wParam == 0 && lParam == 0) {
            return PlayerVersion;
        }
        if (wParam == 1 && lParam == 105) {
            return TrackSeconds;
        }
        if (wParam == 0 && lParam == 105) {
            return static_cast<LRESULT>(GetTickCount() - StartTick);
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) {
        return 0.0;
    }
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())))];
}

using TStarts = std::vector<TSteadyClock::time_point>;

// A renderer that notes when each of its frames starts; on the window thread, like the frame. The
// notes outlive the renderer, which the display may reap before the end of the run.
template <typename TEffect>
class TTimed : public TEffect {
public:
    TTimed(TCanvas* canvas, std::shared_ptr<TStarts> starts) : TEffect(canvas), Starts(std::move(starts)) {}
    ~TTimed() override { this->StopAndJoin(); }

    void DrawFrame() override {
        Starts->push_back(TSteadyClock::now());
        TEffect::DrawFrame();
    }

private:
    std::shared_ptr<TStarts> Starts;
};

struct TTimedRenderer {
    const char* Name = "";
    int Latency = 0;
    std::shared_ptr<TStarts> Starts;
};

template <typename TEffect>
TTimedRenderer StartTimed(TForm1& form, const char* name, TRendererSlot slot, TCanvas* canvas) {
    TTimedRenderer timed{name, 0, std::make_shared<TStarts>()};
    const auto stopAll = [&form](TThread*) { form.StopAll(); };
    if (TEffectThread* started =
            form.RunningRenderers()->Start(slot, std::make_unique<TTimed<TEffect>>(canvas, timed.Starts), stopAll)) {
        timed.Latency = started->LatencyMs();
    }
    return timed;
}

// What the display's first render would start, in its order, each timed.
std::vector<TTimedRenderer> StartTimedRenderers(TForm1& form) {
    const TVisSettings& s = VisSettings();
    std::vector<TTimedRenderer> started;
    if (form.RunningRenderers() == nullptr) {
        return started;
    }
    if (s.vuEnabled) {
        started.push_back(StartTimed<TvumeterThr>(form, "VU meter", TRendererSlot::VUMeterThread, form.VUCanvas()));
    }
    if (s.SpectrumsEnabled) {
        started.push_back(StartTimed<TSpectrumThr>(form, "bars", TRendererSlot::SpectrumBarsThread, form.MainCanvas()));
    }
    if (s.EffectEnabled && s.Effect == 0) {
        started.push_back(StartTimed<TRocketThr>(form, "rockets", TRendererSlot::EffectThread, form.MainCanvas()));
    } else if (s.EffectEnabled) {
        started.push_back(StartTimed<TLightSpeed>(form, "starfield", TRendererSlot::EffectThread, form.MainCanvas()));
    }
    return started;
}

struct TRun {
    HWND HostWindow = nullptr;
    int Seconds = 10;
    std::string DumpPath;  // where every render's and frame's start goes, one per line, when set
    std::atomic<bool> Done{false};
};

void PumpPluginThread() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message != WM_QUIT) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

void Report(const TTimedRenderer& timed) {
    std::vector<double> periods;
    for (std::size_t i = 1; i < timed.Starts->size(); ++i) {
        periods.push_back(
            std::chrono::duration<double, std::milli>((*timed.Starts)[i] - (*timed.Starts)[i - 1]).count());
    }
    if (periods.empty()) {
        return;
    }
    // The rate over the whole run, against the one the latency asks for.
    const double seconds = std::chrono::duration<double>(timed.Starts->back() - timed.Starts->front()).count();
    const double perSecond = seconds > 0 ? periods.size() / seconds : 0.0;
    const int latency = std::max(timed.Latency, TEffectThread::MinimumYieldMs);
    std::printf("%-9s latency %2d ms: %4zu periods, median %6.2f ms, p95 %6.2f ms, shortest %6.2f ms, %5.1f frames/s "
                "(%5.1f%% of the latency's)\n",
                timed.Name, timed.Latency, periods.size(), Percentile(periods, 0.5), Percentile(periods, 0.95),
                *std::min_element(periods.begin(), periods.end()), perSecond, perSecond * latency / 10.0);
}

// "render T" and "NAME T" lines, T in ms from the first render, in the order they were noted: for
// seeing which frames a render or another renderer's visit drew.
void Dump(const std::string& path, const TStarts& renders, const std::vector<TTimedRenderer>& timed) {
    FILE* out = std::fopen(path.c_str(), "w");
    if (out == nullptr || renders.empty()) {
        if (out != nullptr) {
            std::fclose(out);
        }
        return;
    }
    const auto ms = [&renders](TSteadyClock::time_point t) {
        return std::chrono::duration<double, std::milli>(t - renders.front()).count();
    };
    for (const auto& t : renders) {
        std::fprintf(out, "render %.3f\n", ms(t));
    }
    for (const TTimedRenderer& r : timed) {
        for (const auto& t : *r.Starts) {
            std::fprintf(out, "%s %.3f\n", r.Name, ms(t));
        }
    }
    std::fclose(out);
}

DWORD WINAPI PluginThread(void* param) {
    auto& run = *static_cast<TRun*>(param);
    LoadSettings();
    Application().Handle = run.HostWindow;
    Application().MainThreadId = GetCurrentThreadId();
    {
        TForm1 form;
        if (form.Create()) {
            form.Show();
            // The renderers are this program's, timed; the display must not start its own.
            DisplayState().FirstRender = false;
            const std::vector<TTimedRenderer> timed = StartTimedRenderers(form);
            winampVisModule module{};
            module.hwndParent = run.HostWindow;
            const player::SynthSource source(player::SignalKind::Beat);
            const player::SpectrumAnalyser analyser;
            StartTick = GetTickCount();
            const DWORD end = StartTick + static_cast<DWORD>(run.Seconds) * 1000;
            DWORD next = StartTick;
            std::vector<double> renderPeriods;
            TStarts renderStarts;
            LARGE_INTEGER frequency, last{}, now;
            QueryPerformanceFrequency(&frequency);
            while (static_cast<int>(end - GetTickCount()) > 0) {
                PumpPluginThread();
                const int wait = static_cast<int>(next - GetTickCount());
                if (wait > 0) {
                    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(wait), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
                    continue;
                }
                next += HostDelayMs;
                const std::int64_t heard = GetTickCount() - StartTick;
                const player::SpectrumFrame frame =
                    analyser.AnalyseAt(source, heard * source.SampleRate() / 1000 + player::FftSize);
                for (int ch = 0; ch < 2; ++ch) {
                    std::copy(frame[ch].begin(), frame[ch].end(), module.spectrumData[ch]);
                }
                QueryPerformanceCounter(&now);
                if (last.QuadPart != 0) {
                    renderPeriods.push_back(1000.0 * static_cast<double>(now.QuadPart - last.QuadPart) /
                                            static_cast<double>(frequency.QuadPart));
                }
                last = now;
                renderStarts.push_back(TSteadyClock::now());
                form.RenderFrame(module);
            }
            std::printf("host      delay %2d ms:   %4zu periods, median %5.1f ms, p95 %5.1f ms\n", HostDelayMs,
                        renderPeriods.size(), Percentile(renderPeriods, 0.5), Percentile(renderPeriods, 0.95));
            // Frames are noted on this thread only, so nothing is noted while they are read.
            for (const TTimedRenderer& t : timed) {
                Report(t);
            }
            if (!run.DumpPath.empty()) {
                Dump(run.DumpPath, renderStarts, timed);
            }
            form.Shutdown();
        } else {
            std::fprintf(stderr, "cannot create the display\n");
        }
    }
    TWindow::UnregisterClasses();
    run.Done = true;
    PostMessageA(run.HostWindow, WM_NULL, 0, 0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    TRun run;
    run.Seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    if (argc > 3 && std::string(argv[2]) == "--dump") {
        run.DumpPath = argv[3];
    }
    WNDCLASSA wc{};
    wc.lpfnWndProc = HostWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "SkyburstFramePeriodsHost";
    RegisterClassA(&wc);
    run.HostWindow = CreateWindowA(wc.lpszClassName, "1. Test Artist - Test Song - Player", WS_OVERLAPPED, 0, 0, 100,
                                   100, nullptr, nullptr, wc.hInstance, nullptr);
    const UniqueHandle thread(CreateThread(nullptr, 0, &PluginThread, &run, 0, nullptr));
    const HANDLE running = thread.Get();
    if (run.HostWindow == nullptr || running == nullptr) {
        std::fprintf(stderr, "cannot start the host\n");
        return 1;
    }
    while (!run.Done) {
        MsgWaitForMultipleObjects(1, &running, FALSE, INFINITE, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&msg);
        }
    }
    WaitForSingleObject(running, INFINITE);
    DestroyWindow(run.HostWindow);
    return 0;
}
