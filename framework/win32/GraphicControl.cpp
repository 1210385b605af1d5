#include "framework/win32/GraphicControl.h"

#include <algorithm>

#include "framework/win32/GdiCanvas.h"
#include "framework/win32/Handles.h"

TGraphicControl::~TGraphicControl() {
    SetParent(nullptr, nullptr);
}

void TGraphicControl::SetParent(HWND parent, TGraphicControlList* list) {
    if (List != nullptr) {
        InvalidateControl();
        List->Remove(this);
    }
    ParentWindow = parent;
    List = list;
    if (List != nullptr) {
        List->Add(this);
        InvalidateControl();
    }
}

void TGraphicControl::SetBounds(int left, int top, int width, int height) {
    const TRect bounds{left, top, left + std::max(width, 0), top + std::max(height, 0)};
    if (bounds == BoundsRect) {
        return;
    }
    InvalidateControl();
    BoundsRect = bounds;
    InvalidateControl();
}

void TGraphicControl::SetVisible(bool visible) {
    if (visible != IsVisible) {
        IsVisible = visible;
        InvalidateControl();
    }
}

void TGraphicControl::InvalidateControl() {
    if (ParentWindow != nullptr && !BoundsRect.IsEmpty()) {
        // Erase too: the parent's background must show where a hidden or moved control was.
        const RECT r{BoundsRect.Left, BoundsRect.Top, BoundsRect.Right, BoundsRect.Bottom};
        InvalidateRect(ParentWindow, &r, TRUE);
    }
}

void TGraphicControl::Repaint() {
    if (ParentWindow == nullptr || !IsVisible || !IsWindowVisible(ParentWindow)) {
        return;
    }
    WindowDc dc(ParentWindow);
    if (dc.Get() != nullptr) {
        PaintOn(dc.Get());
    }
}

void TGraphicControl::PaintOn(HDC dc) {
    if (!IsVisible || BoundsRect.IsEmpty()) {
        return;
    }
    // The parent's DC may be its own (CS_OWNDC): every change made here is undone.
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, BoundsRect.Left, BoundsRect.Top, BoundsRect.Right, BoundsRect.Bottom);
    SetViewportOrgEx(dc, BoundsRect.Left, BoundsRect.Top, nullptr);
    {
        TGdiCanvas canvas(dc, BoundsRect.Width(), BoundsRect.Height());
        Paint(canvas);
    }
    RestoreDC(dc, saved);
}

TGraphicControlList::~TGraphicControlList() {
    for (TGraphicControl* control : std::vector<TGraphicControl*>(Controls)) {
        control->SetParent(nullptr, nullptr);
    }
}

void TGraphicControlList::Add(TGraphicControl* control) {
    if (std::find(Controls.begin(), Controls.end(), control) == Controls.end()) {
        Controls.push_back(control);
    }
}

void TGraphicControlList::Remove(TGraphicControl* control) {
    Controls.erase(std::remove(Controls.begin(), Controls.end(), control), Controls.end());
}

void TGraphicControlList::PaintAll(HDC dc) {
    for (TGraphicControl* control : Controls) {
        if (control->Visible() && !control->Bounds().IsEmpty()) {
            control->PaintOn(dc);
            const TRect& r = control->Bounds();
            ExcludeClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
        }
    }
}
