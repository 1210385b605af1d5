// What copying the surfaces' changes to the window costs, renderer by renderer. The renderers draw
// the test player's beat signal on the two surfaces of a full-screen window (the main area and the
// VU strip below it, laid out as the display lays them out), paced on a virtual clock at their
// default latencies with a render every 10 ms; after each frame the surface copies what changed to
// the window. The copy is timed (GDI batch flushed), and the drawing apart. Between two moments of the virtual
// clock the window thread goes idle, as it does between frames: Wine then sends what changed to
// the X server, and other work has taken the caches, which the bench imitates by walking a few
// megabytes. The same frames are drawn whatever the build, so two builds compare copy for copy.
// The X server's own share is measured from outside (its CPU time over the run).
//
//   surface_present_bench.exe [KIND [SECONDS]]   KIND: rockets, starfield, bars, vu, defaults or
//                                                all (default: all, each for 10 virtual seconds)

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "display/RenderHook.h"
#include "displaystate/BandLayout.h"
#include "effects/LightThread.h"
#include "effects/RocketThread.h"
#include "effects/SpectrumThread.h"
#include "effects/vumeterThread.h"
#include "framework/win32/Controls.h"
#include "player/AudioSource.h"
#include "player/FrequencyAnalyser.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int RenderEveryMs = 10;
constexpr int TitleHeight = 16;

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&msg);
    }
}

// Other work between two frames takes the caches: the copy finds the window's pixels cold.
void TakeTheCaches() {
    static std::vector<unsigned char> other(8 << 20);
    for (std::size_t i = 0; i < other.size(); i += 64) {
        other[i] = static_cast<unsigned char>(other[i] + 1);
    }
}

double Percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())))];
}

struct TKind {
    const char* Name;
    bool Rockets;
    bool Starfield;
    bool Bars;
    bool Meter;
};

constexpr TKind Kinds[] = {
    {"rockets", true, false, false, false}, {"starfield", false, true, false, false},
    {"bars", false, false, true, false},    {"vu", false, false, false, true},
    {"defaults", true, false, true, true},
};

struct TPaced {
    TEffectThread* Renderer;
    TCanvas* Canvas;
    int Latency;
    int DueMs = 0;
};

void Run(const TKind& kind, int seconds) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    TVisSettings settings;
    const int meterHeight = settings.vumeterH;
    const int mainHeight = height - meterHeight - TitleHeight;
    TWindow form;
    if (!form.CreateTopLevel(WS_POPUP | WS_VISIBLE, 0, {0, 0, width, height}, nullptr, "")) {
        std::fprintf(stderr, "cannot create the window\n");
        std::exit(1);
    }
    TPaintBox mainBox;
    TPaintBox meterBox;
    if (!mainBox.Create(form.Handle(), {0, 0, width, mainHeight}) ||
        !meterBox.Create(form.Handle(), {0, mainHeight, width, mainHeight + meterHeight})) {
        std::fprintf(stderr, "cannot create the paint boxes\n");
        std::exit(1);
    }
    TCanvas& main = *mainBox.Canvas();
    TCanvas& meter = *meterBox.Canvas();
    TDisplayState display;
    display.MainPanelRight = width - 1;
    display.MainPanelHeight = mainHeight;
    LayoutSpectrum(display, settings, 0, 0, 0);
    BuildSpectrumBitmap(display, settings, main);
    mainBox.OnPaintHandler = [&] { PaintMain(main, width, mainHeight, display, settings); };
    meterBox.OnPaintHandler = [&] { PaintVUFrame(meter, display, settings, meterHeight); };
    UpdateWindow(form.Handle());
    Pump();
    mainBox.OnPaintHandler();
    meterBox.OnPaintHandler();
    main.Present();
    meter.Present();
    Pump();

    // The renderers reseed from the time of day: a counter makes every run draw the same frames.
    std::uint32_t ticks = 0;
    TRandom random;
    random.SetClock([&ticks] { return ticks += 7; });
    TSpectrumBarsState bars;
    TVUMeterState meterState;
    std::vector<std::unique_ptr<TEffectThread>> owned;
    std::vector<TPaced> paced;
    if (kind.Meter) {
        owned.push_back(std::make_unique<TvumeterThr>(&meter, display, settings, meterState));
        paced.push_back({owned.back().get(), &meter, settings.vuLatency});
    }
    if (kind.Bars) {
        owned.push_back(std::make_unique<TSpectrumThr>(&main, display, settings, bars));
        paced.push_back({owned.back().get(), &main, settings.SpectrumsLatency});
    }
    if (kind.Rockets) {
        owned.push_back(std::make_unique<TRocketThr>(&main, display, settings, random));
        paced.push_back({owned.back().get(), &main, settings.SkyburstLatency});
    }
    if (kind.Starfield) {
        owned.push_back(std::make_unique<TLightSpeed>(&main, display, settings, random));
        paced.push_back({owned.back().get(), &main, settings.LightLatency});
    }

    const player::SynthSource beat(player::SignalKind::Beat);
    const player::SpectrumAnalyser analyser;
    std::vector<double> presentUs;
    double drawUs = 0;
    for (int ms = 0; ms < seconds * 1000; ++ms) {
        if (ms % RenderEveryMs == 0) {
            const player::SpectrumFrame frame =
                analyser.AnalyseAt(beat, static_cast<std::int64_t>(ms) * player::SynthSampleRate / 1000);
            std::uint8_t spectrum[2][576];
            for (int ch = 0; ch < 2; ++ch) {
                std::memcpy(spectrum[ch], frame[ch].data(), sizeof spectrum[ch]);
            }
            ReduceSpectrum(spectrum, display.MainPanelRight, settings.vuB, settings.MaxSpectrumH, display.BandHeights,
                           display.VULevels);
        }
        bool drew = false;
        for (TPaced& p : paced) {
            if (p.DueMs > ms) {
                continue;
            }
            const auto drawStart = Clock::now();
            p.Renderer->DrawFrame();
            GdiFlush();
            const auto start = Clock::now();
            p.Canvas->Present();
            GdiFlush();
            const auto end = Clock::now();
            drawUs += std::chrono::duration<double, std::micro>(start - drawStart).count();
            presentUs.push_back(std::chrono::duration<double, std::micro>(end - start).count());
            p.DueMs = ms + std::max(p.Latency, 1);
            drew = true;
        }
        if (drew) {
            Pump();
            TakeTheCaches();
        }
    }
    double total = 0;
    for (double us : presentUs) {
        total += us;
    }
    const double frames = std::max<double>(1, static_cast<double>(presentUs.size()));
    std::printf(
        "%-9s %dx%d  %5zu copies of a frame's changes: mean %7.1f us, median %7.1f us, p99 %7.1f us;"
        " %6.2f ms per second (%.2f%% of a core); drawing the frames %6.1f us each\n",
        kind.Name, width, height, presentUs.size(), total / frames, Percentile(presentUs, 0.5),
        Percentile(presentUs, 0.99), total / 1000 / seconds, total / 10 / 1000 / seconds, drawUs / frames);
    std::fflush(stdout);
    owned.clear();
    meterBox.Destroy();
    mainBox.Destroy();
    form.Destroy();
    Pump();
}

}  // namespace

int main(int argc, char** argv) {
    const std::string which = argc > 1 ? argv[1] : "all";
    const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
    bool found = false;
    for (const TKind& kind : Kinds) {
        if (which == "all" || which == kind.Name) {
            Run(kind, seconds);
            found = true;
        }
    }
    TWindow::UnregisterClasses();
    if (!found) {
        std::fprintf(stderr, "unknown kind %s\n", which.c_str());
        return 2;
    }
    return 0;
}
