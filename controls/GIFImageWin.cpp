#include "controls/GIFImageWin.h"

#include <algorithm>

#include "framework/win32/GdiCanvas.h"

namespace {

constexpr UINT_PTR AnimationTimerId = 1;

}  // namespace

TGifWindowHost::~TGifWindowHost() {
    Detach();
}

bool TGifWindowHost::Attach(HWND surfaceWindow, TCanvas* surface, TGIFImagX* control) {
    Detach();
    SurfaceWindow = surfaceWindow;
    Canvas = surface;
    TimerWindow.Control = control;
    TimerWindow.Surface = surface;
    return TimerWindow.CreateTopLevel(0, 0, {0, 0, 0, 0}, HWND_MESSAGE, "");
}

void TGifWindowHost::Detach() {
    Timer.Reset();
    TimerWindow.Destroy();
    TimerWindow.Control = nullptr;
    TimerWindow.Surface = nullptr;
    SurfaceWindow = nullptr;
    Canvas = nullptr;
}

void TGifWindowHost::PaintMessage() {
    if (TimerWindow.Control == nullptr) {
        return;
    }
    const TRect clip = ClipRect();
    const TRect bounds = TimerWindow.Control->BoundsRect();
    const bool reached = std::max(clip.Left, bounds.Left) < std::min(clip.Right, bounds.Right) &&
                         std::max(clip.Top, bounds.Top) < std::min(clip.Bottom, bounds.Bottom);
    if (reached) {
        TimerWindow.Control->PaintMessage();
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
    // The old timer goes before the new one is set: both have the same id.
    Timer.Reset();
    if (enabled && TimerWindow.Handle() != nullptr) {
        Timer = UniqueTimer(TimerWindow.Handle(), AnimationTimerId, static_cast<UINT>(std::max(intervalMs, 1)));
    }
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
