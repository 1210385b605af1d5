#pragma once
// The arithmetic of the render hook: the player's spectrum becomes 36 band heights and two VU
// bar lengths.

#include <array>
#include <cstdint>

#include "displaystate/DisplayState.h"

constexpr int SpectrumBinsUsed = 288;  // the lower half of each channel's 576 bins
constexpr int BinsPerBand = 8;

// Adds the lower bins of both channels into bands (8 bins a band, on top of what each band
// still holds), scales every band to pixels capped at maxSpectrumH, and sets levels to the VU
// bar length of each channel.
void ReduceSpectrum(const std::uint8_t (&spectrum)[2][576],
                    std::int32_t mainPanelRight,
                    std::int32_t vuB,
                    std::int32_t maxSpectrumH,
                    std::array<std::int32_t, BandCount>& bands,
                    std::array<std::int32_t, 2>& levels);
