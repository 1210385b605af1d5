#include "framework/win32/GraphicControl.h"

#include <algorithm>

#include "framework/win32/GdiSurface.h"
#include "framework/win32/Handles.h"

namespace {

// Calls fill with pieces that together cover area outside the rectangles of controls[from, end)
// that are shown.
template <typename TFill>
void ForEachUncovered(const TRect& area,
                      const std::vector<TGraphicControl*>& controls,
                      std::size_t from,
                      const TFill& fill) {
    if (area.IsEmpty()) {
        return;
    }
    for (std::size_t i = from; i < controls.size(); ++i) {
        if (!controls[i]->Visible()) {
            continue;
        }
        const TRect& c = controls[i]->Bounds();
        const TRect hole{std::max(area.Left, c.Left), std::max(area.Top, c.Top), std::min(area.Right, c.Right),
                         std::min(area.Bottom, c.Bottom)};
        if (hole.IsEmpty()) {
            continue;
        }
        ForEachUncovered({area.Left, area.Top, area.Right, hole.Top}, controls, i + 1, fill);
        ForEachUncovered({area.Left, hole.Top, hole.Left, hole.Bottom}, controls, i + 1, fill);
        ForEachUncovered({hole.Right, hole.Top, area.Right, hole.Bottom}, controls, i + 1, fill);
        ForEachUncovered({area.Left, hole.Bottom, area.Right, area.Bottom}, controls, i + 1, fill);
        return;
    }
    fill(area);
}

}  // namespace

TGraphicControl::TGraphicControl() = default;

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
    } else {
        Picture.reset();
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
    // Drawn in memory and copied whole: nothing reaches outside the rectangle, and the parent's
    // DC needs no clip, which costs a region operation per paint (and under Wine requests to the X
    // server that it answers with errors).
    const int width = BoundsRect.Width();
    const int height = BoundsRect.Height();
    if (!Picture || Picture->Width() != width || Picture->Height() != height) {
        Picture.reset();
        Picture = std::make_unique<TDibCanvas>(width, height);
    }
    if (!Picture->Valid()) {
        return;
    }
    Paint(*Picture);
    BitBlt(dc, BoundsRect.Left, BoundsRect.Top, width, height, Picture->Dc(), 0, 0, SRCCOPY);
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

void TGraphicControlList::FillUncovered(TCanvas& canvas, const TRect& area) const {
    ForEachUncovered(area, Controls, 0, [&canvas](const TRect& r) { canvas.FillRect(r); });
}

void TGraphicControlList::PaintAll(HDC dc) {
    for (TGraphicControl* control : Controls) {
        control->PaintOn(dc);
    }
}
