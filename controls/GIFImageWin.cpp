#include "controls/GIFImageWin.h"

#include <algorithm>

#include "framework/win32/GdiCanvas.h"

TGifWindowHost::TGifWindowHost() {
    Timer.OnTick = [this] {
        if (Control != nullptr) {
            Control->TimerTick();
            // The surface may be composed in memory: the new frame goes to the window now, whoever
            // ran the tick.
            if (Canvas != nullptr) {
                Canvas->Present();
            }
        }
    };
}

TGifWindowHost::~TGifWindowHost() {
    Detach();
}

bool TGifWindowHost::Attach(HWND surfaceWindow, TCanvas* surface, TGIFImagX* control) {
    Detach();
    SurfaceWindow = surfaceWindow;
    Canvas = surface;
    Control = control;
    return Timer.Create();
}

void TGifWindowHost::Detach() {
    Timer.Destroy();
    Timer.SetEnabled(false);
    Control = nullptr;
    SurfaceWindow = nullptr;
    Canvas = nullptr;
}

void TGifWindowHost::PaintMessage() {
    if (Control == nullptr) {
        return;
    }
    const TRect clip = ClipRect();
    const TRect bounds = Control->BoundsRect();
    const bool reached = std::max(clip.Left, bounds.Left) < std::min(clip.Right, bounds.Right) &&
                         std::max(clip.Top, bounds.Top) < std::min(clip.Bottom, bounds.Bottom);
    if (reached) {
        Control->PaintMessage();
    }
}

TRect TGifWindowHost::ClipRect() {
    const auto* gdi = dynamic_cast<const TGdiCanvas*>(Canvas);
    RECT r{};
    if (gdi == nullptr || GetClipBox(gdi->Dc(), &r) == ERROR) {
        return {};
    }
    return {r.left, r.top, r.right, r.bottom};
}

void TGifWindowHost::Invalidate(const TRect& r) {
    if (SurfaceWindow != nullptr && !r.IsEmpty()) {
        const RECT area{r.Left, r.Top, r.Right, r.Bottom};
        InvalidateRect(SurfaceWindow, &area, FALSE);
    }
}

void TGifWindowHost::SetTimer(bool enabled, int intervalMs) {
    // The interval first: enabling starts the count with it.
    Timer.SetInterval(static_cast<unsigned>(std::max(intervalMs, 1)));
    Timer.SetEnabled(enabled);
}

bool TGifWindowHost::ReadResource(TModuleHandle instance, const std::string& name, std::vector<std::uint8_t>& bytes) {
    const auto module = static_cast<HMODULE>(instance);
    HRSRC info = FindResourceA(module, name.c_str(), "GIF");
    if (info == nullptr) {
        return false;
    }
    const DWORD size = SizeofResource(module, info);
    HGLOBAL loaded = LoadResource(module, info);
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (data == nullptr) {
        return false;
    }
    const auto* first = static_cast<const std::uint8_t*>(data);
    bytes.assign(first, first + size);
    FreeResource(loaded);
    return true;
}
