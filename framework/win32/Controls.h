#pragma once
// The few child controls the display window is made of: panels that fill themselves with a
// colour and draw their windowless controls, labels with centred text, and paint boxes whose canvas renderers draw on:
// a surface in memory kept identical to the box, whose changes reach the window at each Present.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "framework/Graphics.h"
#include "framework/win32/GdiCanvas.h"
#include "framework/win32/GdiSurface.h"
#include "framework/win32/GraphicControl.h"
#include "framework/win32/Window.h"

using TMouseUpHandler = std::function<void(TMouseButton button, int x, int y)>;

class TPanel : public TWindow {
public:
    TColor Color = clBlack;
    bool RaisedBevel = false;
    TMouseUpHandler OnMouseUpHandler;
    // The windowless controls drawn on this panel.
    TGraphicControlList GraphicControls;

    void SetColor(TColor color);

protected:
    void OnPaint(HDC dc, const RECT& area) override;
    void OnMouseUp(TMouseButton button, int x, int y) override;
};

class TLabel : public TWindow {
public:
    TColor Color = clBlack;
    TFont Font;
    TMouseUpHandler OnMouseUpHandler;

    void SetText(const std::string& text);
    const std::string& Text() const { return Caption; }
    void SetColor(TColor color);

protected:
    void OnPaint(HDC dc, const RECT& area) override;
    void OnMouseUp(TMouseButton button, int x, int y) override;

private:
    // Paints the label now when it is shown, else asks for a paint.
    void PaintNow();

    std::string Caption;
};

class TPaintBox : public TWindow {
public:
    std::function<void()> OnPaintHandler;
    TMouseUpHandler OnMouseUpHandler;

    // The paint box's surface; valid from creation until the window goes.
    TCanvas* Canvas() const { return ControlCanvas.get(); }
    bool Create(HWND parent, const RECT& bounds);
    void DestroyBox();
    ~TPaintBox() override;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnMouseUp(TMouseButton button, int x, int y) override;

private:
    void Paint();

    std::unique_ptr<TSurfaceCanvas> ControlCanvas;
};
