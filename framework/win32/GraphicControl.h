#pragma once
// Windowless controls: each has a rectangle on a parent window and paints on the parent's
// surface, through the parent's paint or at once when it animates.

#include <windows.h>

#include <memory>
#include <vector>

#include "framework/Graphics.h"

class TDibCanvas;
class TGraphicControlList;

class TGraphicControl {
public:
    TGraphicControl();
    TGraphicControl(const TGraphicControl&) = delete;
    TGraphicControl& operator=(const TGraphicControl&) = delete;
    virtual ~TGraphicControl();

    // Puts the control on parent, whose paint draws the controls of list; nullptr takes it off.
    void SetParent(HWND parent, TGraphicControlList* list);
    HWND Parent() const { return ParentWindow; }

    void SetBounds(int left, int top, int width, int height);
    const TRect& Bounds() const { return BoundsRect; }
    void SetVisible(bool visible);
    bool Visible() const { return IsVisible; }

    // Asks the parent to repaint the control's rectangle with its next paint.
    void InvalidateControl();
    // Paints the control now on its parent's surface.
    void Repaint();
    // Paints the control on dc, a DC of the parent: its whole rectangle and nothing outside it.
    void PaintOn(HDC dc);

protected:
    // Draws the whole control; the canvas's origin is the control's top-left corner.
    virtual void Paint(TCanvas& canvas) = 0;

private:
    HWND ParentWindow = nullptr;
    TGraphicControlList* List = nullptr;
    TRect BoundsRect;
    bool IsVisible = true;
    // The control's picture, drawn here and then copied to the parent; kept while it has one.
    std::unique_ptr<TDibCanvas> Picture;
};

// The windowless controls of one parent window, in painting order.
class TGraphicControlList {
public:
    TGraphicControlList() = default;
    TGraphicControlList(const TGraphicControlList&) = delete;
    TGraphicControlList& operator=(const TGraphicControlList&) = delete;
    ~TGraphicControlList();

    void Add(TGraphicControl* control);
    void Remove(TGraphicControl* control);
    // Fills the parts of area that no shown control covers: the parent's background, which would
    // flicker under the controls if it were painted there too.
    void FillUncovered(TCanvas& canvas, const TRect& area) const;
    // Paints every visible control on dc.
    void PaintAll(HDC dc);

private:
    std::vector<TGraphicControl*> Controls;
};
