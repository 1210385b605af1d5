#include "config/GifPreview.h"

#include <algorithm>

namespace {

constexpr UINT_PTR AnimationTimerId = 1;
constexpr const char* PreviewProperty = "SkyburstGifPreview";

}  // namespace

TGifPreview::~TGifPreview() {
    Close();
}

void TGifPreview::Open(HWND parent, const TBounds& bounds) {
    Close();
    Box.UseFaceColor = false;
    Box.Color = clWhite;
    Box.Create(parent, 0, bounds, WS_EX_STATICEDGE, true);
    if (Box.Handle() == nullptr) {
        return;
    }
    SetPropA(Box.Handle(), PreviewProperty, this);
    BoxDc = WindowDc(Box.Handle());
    Canvas = std::make_unique<TGdiCanvas>(BoxDc.Get(), 0, 0, Box.Handle());
    RECT client{};
    GetClientRect(Box.Handle(), &client);
    Image.SetBounds(0, 0, client.right, client.bottom);
    Image.SetCenter(true);
    Image.SetStretchRatio(true);
    Image.SetAnimate(true);
    Image.SetLoop(true);
    Box.OnPaint = [this](HDC) { Image.PaintMessage(); };
}

void TGifPreview::Show(const std::string& path) {
    if (Box.Handle() == nullptr) {
        return;
    }
    // Anything that is no readable GIF (a folder, another kind of file) shows an empty square.
    if (path.empty() || !Image.LoadFromFile(path)) {
        Image.Clear();
    }
    InvalidateRect(Box.Handle(), nullptr, TRUE);
}

void TGifPreview::Close() {
    Image.Clear();
    Canvas.reset();
    BoxDc = WindowDc();
    if (Box.Handle() != nullptr) {
        KillTimer(Box.Handle(), AnimationTimerId);
        RemovePropA(Box.Handle(), PreviewProperty);
        DestroyWindow(Box.Handle());
    }
    Box.OnPaint = nullptr;
}

TRect TGifPreview::ClipRect() {
    RECT client{};
    if (Box.Handle() != nullptr) {
        GetClientRect(Box.Handle(), &client);
    }
    return {client.left, client.top, client.right, client.bottom};
}

void TGifPreview::Invalidate(const TRect& r) {
    if (Box.Handle() != nullptr && !r.IsEmpty()) {
        const RECT area{r.Left, r.Top, r.Right, r.Bottom};
        InvalidateRect(Box.Handle(), &area, TRUE);
    }
}

void TGifPreview::SetTimer(bool enabled, int intervalMs) {
    if (Box.Handle() == nullptr) {
        return;
    }
    if (enabled) {
        ::SetTimer(Box.Handle(), AnimationTimerId, static_cast<UINT>(std::max(intervalMs, 10)), &TGifPreview::Tick);
    } else {
        KillTimer(Box.Handle(), AnimationTimerId);
    }
}

void CALLBACK TGifPreview::Tick(HWND window, UINT, UINT_PTR, DWORD) {
    auto* self = static_cast<TGifPreview*>(GetPropA(window, PreviewProperty));
    if (self != nullptr) {
        RunGuarded(window, [self] { self->Image.TimerTick(); });
    }
}
