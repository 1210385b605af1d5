#include "framework/win32/Controls.h"

void TPanel::SetColor(TColor color) {
    Color = color;
    Invalidate();
}

void TPanel::OnPaint(HDC dc, const RECT& /*area*/) {
    RECT r{0, 0, ClientWidth(), ClientHeight()};
    // The controls exclude their rectangles from the clipping; that must not outlive this paint
    // on a DC the window owns.
    const int saved = SaveDC(dc);
    GraphicControls.PaintAll(dc);
    {
        TGdiCanvas canvas(dc, r.right, r.bottom);
        canvas.Brush.Color = Color;
        canvas.FillRect({r.left, r.top, r.right, r.bottom});
    }
    if (RaisedBevel) {
        DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
    }
    RestoreDC(dc, saved);
}

void TPanel::OnMouseUp(TMouseButton button, int x, int y) {
    if (OnMouseUpHandler) {
        OnMouseUpHandler(button, x, y);
    }
}

void TLabel::SetText(const std::string& text) {
    if (text != Caption) {
        Caption = text;
        Invalidate();
    }
}

void TLabel::SetColor(TColor color) {
    Color = color;
    Invalidate();
}

void TLabel::OnPaint(HDC dc, const RECT& /*area*/) {
    const int w = ClientWidth();
    const int h = ClientHeight();
    TGdiCanvas canvas(dc, w, h);
    canvas.Brush.Color = Color;
    canvas.FillRect({0, 0, w, h});
    canvas.Font = Font;
    const int x = (w - canvas.TextWidth(Caption)) / 2;
    const int y = (h - canvas.TextHeight(Caption)) / 2;
    canvas.TextOut(x, y, Caption);
}

void TLabel::OnMouseUp(TMouseButton button, int x, int y) {
    if (OnMouseUpHandler) {
        OnMouseUpHandler(button, x, y);
    }
}

bool TPaintBox::Create(HWND parent, const RECT& bounds) {
    if (!CreateChild(parent, bounds, true)) {
        return false;
    }
    // CS_OWNDC: this DC belongs to the window for its whole life and needs no release.
    ControlCanvas = std::make_unique<TGdiCanvas>(GetDC(Handle()), 0, 0, Handle());
    return true;
}

void TPaintBox::DestroyBox() {
    ControlCanvas.reset();
    Destroy();
}

TPaintBox::~TPaintBox() {
    DestroyBox();
}

void TPaintBox::OnPaint(HDC /*dc*/, const RECT& /*area*/) {
    // Painting goes through the same canvas the renderers use, so cached objects stay coherent.
    if (OnPaintHandler && ControlCanvas) {
        OnPaintHandler();
    }
}

void TPaintBox::OnMouseUp(TMouseButton button, int x, int y) {
    if (OnMouseUpHandler) {
        OnMouseUpHandler(button, x, y);
    }
}
