#pragma once
// The arithmetic of the render hook: the player's spectrum becomes 36 band heights and two VU
// bar lengths.

#include <array>
#include <cstdint>

#include "displaystate/DisplayState.h"
#include "framework/Sync.h"
#include "playerapi/VisRecords.h"

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

// Render calls from a thread other than the display's: the latest frame waits here for the
// window thread, and at most one request to render it is queued there. The calling thread copies
// and queues; it never waits for the window thread.
class TRenderInbox {
public:
    // Any thread: keeps the spectrum and the player window of module as the latest frame. True
    // when the caller must queue a request to render it: none is queued yet.
    bool Put(const winampVisModule& module);
    // The request could not be queued: the frame is dropped, and the next Put asks again.
    void Discard();
    // Window thread, in the request: copies the latest frame into module. False when no frame has
    // arrived since the last Take.
    bool Take(winampVisModule& module);

private:
    TLock Lock;
    std::uint8_t Spectrum[2][VisBinCount] = {};
    void* PlayerWindow = nullptr;
    bool Waiting = false;  // a frame arrived since the last Take: a request to render it is queued
};
