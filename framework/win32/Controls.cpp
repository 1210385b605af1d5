#include "framework/win32/Controls.h"

void TPanel::SetColor(TColor color) {
    Color = color;
    Invalidate();
}

void TPanel::OnPaint(HDC dc, const RECT& /*area*/) {
    RECT r{0, 0, ClientWidth(), ClientHeight()};
    {
        TGdiCanvas canvas(dc, r.right, r.bottom);
        canvas.Brush.Color = Color;
        GraphicControls.FillUncovered(canvas, {r.left, r.top, r.right, r.bottom});
    }
    if (RaisedBevel) {
        DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
    }
    // Last, and each over its whole rectangle: the controls cover whatever the edge drew there.
    GraphicControls.PaintAll(dc);
}

void TPanel::OnMouseUp(TMouseButton button, int x, int y) {
    if (OnMouseUpHandler) {
        OnMouseUpHandler(button, x, y);
    }
}

void TLabel::SetText(const std::string& text) {
    if (text != Caption) {
        Caption = text;
        PaintNow();
    }
}

void TLabel::SetColor(TColor color) {
    Color = color;
    PaintNow();
}

void TLabel::PaintNow() {
    // Through the label's own DC, which has no clip: a paint through BeginPaint clips that DC to
    // the update region and back, region work at every change of the clock's text (under Wine also
    // X requests that the X server answers with errors). The whole label is painted, so all of it
    // is valid.
    if (Handle() == nullptr || !IsWindowVisible(Handle())) {
        Invalidate();
        return;
    }
    {
        const WindowDc dc(Handle());
        if (dc.Get() == nullptr) {
            Invalidate();
            return;
        }
        OnPaint(dc.Get(), {0, 0, ClientWidth(), ClientHeight()});
    }
    ValidateRect(Handle(), nullptr);
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
    // CS_OWNDC: the surface's copies go through the DC that belongs to the window for its whole life.
    ControlCanvas = std::make_unique<TSurfaceCanvas>(Handle());
    return true;
}

void TPaintBox::DestroyBox() {
    ControlCanvas.reset();
    Destroy();
}

TPaintBox::~TPaintBox() {
    DestroyBox();
}

LRESULT TPaintBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            if (ControlCanvas) {
                Paint();
                return 0;
            }
            break;
        case WM_SIZE:
            if (ControlCanvas) {
                ControlCanvas->ClientResized(LOWORD(lParam), HIWORD(lParam));
            }
            break;
        default:
            break;
    }
    return TWindow::HandleMessage(message, wParam, lParam);
}

void TPaintBox::Paint() {
    // The handler repaints the whole box, and its renderer then forgets everything it drew there:
    // the whole box goes to the window, however little the system asked for. A paint of only the
    // rows a moved box uncovers would leave the bars and blocks drawn elsewhere on screen, never
    // to be erased. Validated, not painted through BeginPaint, so that the copy is not cut to the
    // update region and the window's DC gets no clip.
    ValidateRect(Handle(), nullptr);
    if (OnPaintHandler) {
        OnPaintHandler();
        ControlCanvas->Present();
    }
}

void TPaintBox::OnMouseUp(TMouseButton button, int x, int y) {
    if (OnMouseUpHandler) {
        OnMouseUpHandler(button, x, y);
    }
}
