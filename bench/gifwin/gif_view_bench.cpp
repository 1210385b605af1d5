// The GIF view under Wine: loading a full-HD animation of 50 frames (decoding, then every frame made
// into device bitmaps), one animation step of the 183 x 200 transparent built-in image on a real
// window (dispose, compose, and the two-blit transparent paint onto the window's DC), and the steps of a
// full-HD animation of 200 frames, most of them decoded from the file as they are shown.
//
//   skyburst_gif_bench.exe [steps, default 2000]

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "controls/GIFImageWin.h"
#include "framework/win32/Controls.h"
#include "tests/unit/gif_test_support.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void BenchLoad() {
    const giftest::Bytes data = giftest::FullHdAnimation();
    std::vector<double> decode;
    std::vector<double> load;
    double peakMb = 0;
    for (int run = 0; run < 3; ++run) {
        TGifStream stream;
        auto start = Clock::now();
        if (!stream.DecodeData(data.data(), data.size())) {
            std::printf("the reader refused the stream (fault %d)\n", static_cast<int>(stream.Fault));
            return;
        }
        decode.push_back(MsSince(start));
        // The view makes each frame's bitmaps as soon as it is read and frees its buffers.
        std::vector<TFrameCost> costs = FrameCosts(stream);
        for (TFrameCost& c : costs) {
            c.Buffers = 0;
        }
        peakMb = static_cast<double>(PeakBytes(stream, costs, data.size())) / 1048576.0;

        TGifWindowHost host;
        TGIFImagX view(host);
        start = Clock::now();
        const bool loaded = view.LoadFromData(data);
        GdiFlush();
        load.push_back(MsSince(start));
        if (!loaded || view.FrameCount() != 50) {
            std::printf("load failed: LastError %d, %d frames\n", view.LastError(), view.FrameCount());
            return;
        }
    }
    std::printf("1920 x 1080 x 50 frames, %.1f MB of GIF, %.0f MB at the peak as the view loads it:\n",
                data.size() / 1048576.0, peakMb);
    std::printf("  reader alone      median %7.1f ms (runs:", Median(decode));
    for (double d : decode) {
        std::printf(" %.1f", d);
    }
    std::printf(")\n  load with bitmaps median %7.1f ms (runs:", Median(load));
    for (double d : load) {
        std::printf(" %.1f", d);
    }
    std::printf(")\n");
}

class TBenchWindow : public TWindow {};

void BenchStep(int steps) {
    TBenchWindow window;
    if (!window.CreateTopLevel(WS_POPUP | WS_VISIBLE, 0, {0, 0, 400, 400}, nullptr, "gif bench")) {
        std::printf("no window\n");
        return;
    }
    TPaintBox box;
    box.Create(window.Handle(), {0, 0, 400, 400});
    TGifWindowHost host;
    TGIFImagX view(host);
    host.Attach(box.Handle(), box.Canvas(), &view);
    if (!view.LoadFromResourceName(ThisModule(), "MYGIF1")) {
        std::printf("no MYGIF1 resource\n");
        return;
    }
    view.SetBounds(100, 100, view.ImageWidth(), view.ImageHeight());
    view.SetLoop(true);
    view.SetAnimate(true);
    view.PaintMessage();
    view.PaintMessage();
    std::vector<double> ms;
    ms.reserve(static_cast<size_t>(steps));
    for (int i = 0; i < steps; ++i) {
        const auto start = Clock::now();
        view.TimerTick();
        GdiFlush();
        ms.push_back(MsSince(start));
    }
    double total = 0;
    for (double m : ms) {
        total += m;
    }
    std::sort(ms.begin(), ms.end());
    std::printf(
        "step of MYGIF1 (183 x 200, transparent) on a window, %d steps: median %.3f ms, mean %.3f ms, "
        "p99 %.3f ms\n",
        steps, ms[ms.size() / 2], total / steps, ms[ms.size() * 99 / 100]);
    host.Detach();
    box.DestroyBox();
    window.Destroy();
}

void Summary(const char* what, std::vector<double> ms) {
    if (ms.empty()) {
        return;
    }
    std::sort(ms.begin(), ms.end());
    std::printf("  %-34s %4zu steps: median %6.2f ms, p99 %6.2f ms, max %6.2f ms\n", what, ms.size(), ms[ms.size() / 2],
                ms[ms.size() * 99 / 100], ms.back());
}

// A 1920 x 1080 animation of 200 frames, more than the image budget holds: the step of a frame held as bitmaps
// and of one decoded from the file as it is shown (decode, bitmaps, compose, paint), on a window. This is what
// the window thread spends on the image per step.
void BenchShownAsDecoded(int passes) {
    TBenchWindow window;
    if (!window.CreateTopLevel(WS_POPUP | WS_VISIBLE, 0, {0, 0, 1024, 768}, nullptr, "gif bench")) {
        std::printf("no window\n");
        return;
    }
    TPaintBox box;
    box.Create(window.Handle(), {0, 0, 1024, 768});
    TGifWindowHost host;
    TGIFImagX view(host);
    host.Attach(box.Handle(), box.Canvas(), &view);
    const giftest::Bytes data = giftest::BandedAnimation(1920, 1080, 200, 1);
    const auto start = Clock::now();
    if (!view.LoadFromData(data)) {
        std::printf("the 1920 x 1080 x 200 animation did not load: LastError %d\n", view.LastError());
        return;
    }
    const double loadMs = MsSince(start);
    view.SetBounds(0, 0, 1024, 768);
    view.SetLoop(true);
    view.SetAnimate(true);
    view.PaintMessage();
    view.PaintMessage();
    std::vector<double> held;
    std::vector<double> shown;
    for (int i = 0; i < passes * view.FrameCount(); ++i) {
        const int frame = view.CurrentFrame();
        const auto stepStart = Clock::now();
        view.TimerTick();
        GdiFlush();
        (view.Frame(frame).Deferred ? shown : held).push_back(MsSince(stepStart));
    }
    std::printf("1920 x 1080 x 200 frames, %.1f MB of GIF: loaded in %.0f ms, %d frames held, %d decoded as shown\n",
                data.size() / 1048576.0, loadMs, view.FrameCount() - view.FramesDecodedAsShown(),
                view.FramesDecodedAsShown());
    Summary("step to a held frame", held);
    Summary("step to a frame decoded as shown", shown);
    host.Detach();
    box.DestroyBox();
    window.Destroy();
}

}  // namespace

int main(int argc, char** argv) {
    const int steps = argc > 1 ? std::max(10, std::atoi(argv[1])) : 2000;
    BenchLoad();
    BenchStep(steps);
    BenchShownAsDecoded(2);
    TWindow::UnregisterClasses();
    return 0;
}
