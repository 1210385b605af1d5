#include "display/RenderHook.h"

#include <cstring>
#include <utility>

#include "framework/Numbers.h"

void ReduceSpectrum(const std::uint8_t (&spectrum)[2][576],
                    std::int32_t mainPanelRight,
                    std::int32_t vuB,
                    std::int32_t maxSpectrumH,
                    std::array<std::int32_t, BandCount>& bands,
                    std::array<std::int32_t, 2>& levels) {
    // A band left undrawn keeps its height and adds to it; a renderer that drew it zeroed it.
    // Sums are taken in 64 bits: a band may hold an absurd MaxSpectrumH from plugin.ini.
    std::array<std::int64_t, BandCount> sums{};
    for (int k = 0; k < BandCount; ++k) {
        sums[k] = bands[k];
    }
    for (int ch = 0; ch < 2; ++ch) {
        std::int32_t sum = 0;
        for (int j = 0; j < SpectrumBinsUsed; ++j) {
            const std::int32_t v = spectrum[ch][j];
            sums[j / BinsPerBand] += v;
            sum += v;
        }
        std::int32_t level = sum / 30;
        if (level > 100) {
            level = 100;
        }
        levels[ch] = Trunc((mainPanelRight * 0.5 - 9 - vuB - 3) * level * 0.01);
    }
    for (int k = 0; k < BandCount; ++k) {
        std::int32_t h = Trunc(static_cast<double>(sums[k]) * 0.0625 * 0.00390625 * maxSpectrumH * 1.5);
        if (h > maxSpectrumH) {
            h = maxSpectrumH;
        }
        bands[k] = h;
    }
}

bool TRenderInbox::Put(const winampVisModule& module) {
    std::lock_guard<TLock> guard(Lock);
    std::memcpy(Spectrum, module.spectrumData, sizeof Spectrum);
    PlayerWindow = module.hwndParent;
    return !std::exchange(Waiting, true);
}

void TRenderInbox::Discard() {
    std::lock_guard<TLock> guard(Lock);
    Waiting = false;
}

bool TRenderInbox::Take(winampVisModule& module) {
    std::lock_guard<TLock> guard(Lock);
    if (!std::exchange(Waiting, false)) {
        return false;
    }
    std::memcpy(module.spectrumData, Spectrum, sizeof Spectrum);
    module.hwndParent = PlayerWindow;
    return true;
}
