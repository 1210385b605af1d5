#pragma once
// The window side of the GIF view: a TGifHost that lays a TGIFImagX on a paint box's surface, drives
// its animation with a message timer, gives it device bitmaps and reads the module's "GIF" resources.
// Everything runs on the thread that owns the paint box.

#include <windows.h>

#include "controls/GIFBitmapsGdi.h"
#include "controls/GIFImage.h"
#include "framework/win32/Timer.h"

class TGifWindowHost : public TGifHost {
public:
    TGifWindowHost();
    ~TGifWindowHost() override;

    // Lays control on surfaceWindow, whose client area `surface` draws on. False when the timer's window
    // cannot be made (the control then shows still frames only).
    bool Attach(HWND surfaceWindow, TCanvas* surface, TGIFImagX* control);
    // Stops the timer and lets go of the window; the control draws nothing afterwards.
    void Detach();
    // A paint of the surface window: the control gets its paint message when the painted part reaches it.
    void PaintMessage();

    TCanvas* Surface() override { return Canvas; }
    TRect ClipRect() override;
    void Invalidate(const TRect& r) override;
    void SetTimer(bool enabled, int intervalMs) override;
    TGifDevice& Device() override { return Bitmaps; }
    bool ReadResource(TModuleHandle instance, const std::string& name, std::vector<std::uint8_t>& bytes) override;

    bool TimerActive() const { return Timer.Active(); }

private:
    HWND SurfaceWindow = nullptr;
    TCanvas* Canvas = nullptr;
    TGIFImagX* Control = nullptr;
    TTimer Timer;
    TGdiGifDevice Bitmaps;
};
