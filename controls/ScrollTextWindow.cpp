#include "controls/ScrollTextWindow.h"

TScrollText::TScrollText() {
    SetColor(GetSysColor(COLOR_BTNFACE));
    HighlightColor = GetSysColor(COLOR_BTNHIGHLIGHT);
    ShadowColor = GetSysColor(COLOR_BTNSHADOW);
    TGraphicControl::SetBounds(0, 0, TCustomScrollText::Width(), TCustomScrollText::Height());
    ScrollTimer.OnTick = [this] { TimerTick(); };
}

TScrollText::~TScrollText() {
    Destroy();
}

bool TScrollText::Create(TPanel& parent) {
    if (!ScrollTimer.Create()) {
        return false;
    }
    ScrollTimerChanged();
    SetParent(parent.Handle(), &parent.GraphicControls);
    return true;
}

void TScrollText::Destroy() {
    ScrollTimer.Destroy();
    ReleasePaintCache();
    SetParent(nullptr, nullptr);
}

void TScrollText::SetBounds(int left, int top, int width, int height) {
    TGraphicControl::SetBounds(left, top, width, height);
    SetSize(Bounds().Width(), Bounds().Height());
}

void TScrollText::Paint(TCanvas& canvas) {
    // The canvas is the control's own picture, off screen and kept from tick to tick: drawn on
    // straight, not through a second off-screen bitmap and a copy more.
    PaintPicture(canvas);
}

void TScrollText::ScrollTimerChanged() {
    ScrollTimer.SetInterval(static_cast<unsigned>(Speed()));
    ScrollTimer.SetEnabled(TimerEnabled());
}

void TScrollText::RequestRepaint() {
    InvalidateControl();
}

void TScrollText::PaintNow() {
    Repaint();
}
