// Many display lifetimes in one process, each with renderers running when it ends: nothing may
// crash and no thread may outlive its owner (the player unloads the library right after Quit).

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "effects/LightThread.h"
#include "effects/Renderers.h"
#include "effects/RocketThread.h"
#include "framework/MemoryCanvas.h"
#include "framework/win32/HandOver.h"
#include "tests/win/process_threads.h"
#include "tests/win/pump.h"

namespace renderers_cycles_test {

namespace {

class TBusy : public TEffectThread {
public:
    TBusy(TCanvas* canvas, int latency) : TEffectThread(canvas, latency) {}
    ~TBusy() override { StopAndJoin(); }
    void DrawFrame() override { Canvas->SetPixel(Frames++ % 16, 0, clWhite); }
    int Frames = 0;
};

}  // namespace

TEST(RenderersCycles, ManyLifetimesLeaveNoThreadBehind) {
    int before = 0;
    TMemoryCanvas mainCanvas(64, 64);
    TMemoryCanvas vuCanvas(64, 8);
    TDisplayState display;
    display.MainPanelRight = 63;
    display.MainPanelHeight = 64;
    TVisSettings settings;
    settings.SkyburstLatency = 1;
    settings.LightLatency = 0;
    TRandom random;
    for (int cycle = 0; cycle <= 50; ++cycle) {
        SCOPED_TRACE(cycle);
        if (cycle == 1) {
            // Counted after one lifetime: the system may keep helper threads of its own from the
            // first window on.
            before = ThreadsOfThisProcess();
            ASSERT_GT(before, 0);
        }
        auto handOver = std::make_unique<TWindowHandOver>();
        auto renderers = std::make_unique<TRenderers>(*handOver);
        int stops = 0;
        const auto stopAll = [&](TThread*) {
            ++stops;
            renderers->RequestStopAll();
        };
        // Latencies as plugin.ini may hold them: none, usual, and one that would outlast any wait.
        renderers->Start(TRendererSlot::VUMeterThread, std::make_unique<TBusy>(&vuCanvas, 0), stopAll);
        renderers->Start(TRendererSlot::SpectrumBarsThread, std::make_unique<TBusy>(&mainCanvas, 15), stopAll);
        renderers->Start(TRendererSlot::EffectThread, std::make_unique<TBusy>(&mainCanvas, 2000000000), stopAll);
        // The real effects replace it (the one above is asked to stop and released).
        if (cycle % 2 == 0) {
            renderers->Start(TRendererSlot::EffectThread,
                             std::make_unique<TRocketThr>(&mainCanvas, display, settings, random), stopAll);
        } else {
            renderers->Start(TRendererSlot::EffectThread,
                             std::make_unique<TLightSpeed>(&mainCanvas, display, settings, random), stopAll);
        }
        PumpUntil([] { return false; }, cycle % 5 * 7);
        if (cycle % 3 == 1) {
            stopAll(nullptr);  // Esc just before Quit: the threads are ending when Quit comes
        }
        EXPECT_TRUE(renderers->StopAndWait(TRenderers::DefaultStopTimeoutMs));
        renderers.reset();
        handOver.reset();
        // What the player's loop may still hold for the dead window is harmless.
        PumpUntil([] { return false; }, 1);
    }
    EXPECT_EQ(ThreadsOfThisProcess(), before);
}

}  // namespace renderers_cycles_test
