#pragma once
// The scrolling text on a window: a windowless control painted on its parent panel, with a
// message timer for its steps.

#include <windows.h>

#include "controls/ScrollText.h"
#include "framework/win32/Controls.h"
#include "framework/win32/GraphicControl.h"
#include "framework/win32/Timer.h"

class TScrollText : public TCustomScrollText, public TGraphicControl {
public:
    TScrollText();
    ~TScrollText() override;

    // Puts the control on parent and makes its timer; false when the system refuses a window.
    bool Create(TPanel& parent);
    // Takes the control off its parent and stops its timer for good.
    void Destroy();

    void SetBounds(int left, int top, int width, int height);

    // Both bases paint on a canvas: the window side draws the control's picture.
    void Paint(TCanvas& canvas) override;

protected:
    void ScrollTimerChanged() override;
    void RequestRepaint() override;
    void PaintNow() override;

private:
    TTimer ScrollTimer;
};
