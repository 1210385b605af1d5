#pragma once
// The values the display window shares with its renderers. All of them are read and written on
// the window thread only (renderers draw there), so nothing here is locked.

#include <array>
#include <cstdint>
#include <memory>

#include "framework/Graphics.h"

constexpr int BandCount = 36;

struct TDisplayState {
    std::array<std::int32_t, BandCount> BandHeights{};
    std::array<std::int32_t, 2> VULevels{};  // 0 left, 1 right
    // Count the repaints of the main area and of the VU strip. A repaint wipes the bars off the
    // screen, so each bar renderer compares its count with the one it last saw and then draws
    // every bar whole again.
    std::uint32_t MainRepaints = 0;
    std::uint32_t VURepaints = 0;

    std::int32_t MainPanelRight = 0;
    std::int32_t MainPanelHeight = 0;

    std::int32_t SpectrumLeft = 0;
    std::int32_t SpectrumWidth = 0;
    std::int32_t BandWidth = 0;
    std::int32_t BandMargin = 0;

    std::unique_ptr<TBitmap> SpectrumBitmap;
    std::unique_ptr<TBitmap> VUBitmap;
    TRect VULeftRect;
    TRect VURightRect;

    // Threads are started only by the first render after the display window was created (each
    // Init creates a fresh one, so a host may Quit and Init again without unloading us).
    bool FirstRender = true;
};

// The one instance the window and the renderers share.
TDisplayState& DisplayState();
