// One tick of the title strip's scrolling text on a screen-wide strip: the metrics, the
// off-screen picture and its copy to the window, timed on the window thread with the GDI batch
// flushed. Run on a 1920 x 1080 display for the full-HD figure.
//
//   title_tick_bench.exe [ticks, default 3000]

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "controls/ScrollTextWindow.h"
#include "framework/win32/Controls.h"

namespace {

using Clock = std::chrono::steady_clock;

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&msg);
    }
}

double Percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())))];
}

}  // namespace

int main(int argc, char** argv) {
    const int ticks = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3000;
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    constexpr int StripHeight = 16;
    constexpr int ClockWidth = 60;
    std::vector<double> tickMs;
    {
        TPanel strip;
        if (!strip.CreateTopLevel(WS_POPUP | WS_VISIBLE, WS_EX_TOPMOST | WS_EX_TOOLWINDOW,
                                  {0, height - StripHeight, width, height}, nullptr, "")) {
            std::fprintf(stderr, "cannot create the strip\n");
            return 1;
        }
        TScrollText title;
        if (!title.Create(strip)) {
            std::fprintf(stderr, "cannot create the title\n");
            return 1;
        }
        title.SetBounds(0, 0, width - ClockWidth, StripHeight);
        title.SetColor(clBlack);
        title.SetFont({"Arial", 13, false, RGBColor(0, 255, 0)});
        title.Items() = {"1. Test Artist - Test Song < 3:45 >"};
        title.SetSteps(300);
        // Moving, as the title does; the timer's own ticks only run in the untimed pumps.
        title.SetScrollDirection(sdRightToLeft);
        Pump();
        tickMs.reserve(static_cast<std::size_t>(ticks));
        for (int i = 0; i < ticks; ++i) {
            const auto start = Clock::now();
            title.TimerTick();
            GdiFlush();
            tickMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            if (i % 100 == 0) {
                Pump();
            }
        }
        title.Destroy();
    }
    TWindow::UnregisterClasses();
    std::printf("screen %d x %d, title %d x %d, %d ticks: median %.3f ms, p99 %.3f ms, max %.3f ms\n", width, height,
                width - ClockWidth, StripHeight, ticks, Percentile(tickMs, 0.5), Percentile(tickMs, 0.99),
                Percentile(tickMs, 1.0));
    return 0;
}
