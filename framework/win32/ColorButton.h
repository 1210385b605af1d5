#pragma once
// A button that shows a colour and lets the user pick another with the platform's chooser.

#include "framework/win32/DialogControls.h"

class TColorButton : public TDialogControl {
public:
    TNotifyEvent OnClick;        // before the chooser opens
    TNotifyEvent OnColorChange;  // after the user accepted a colour
    // The chooser's custom colours as "ColorA=hex" .. "ColorP=hex" entries.
    std::vector<std::string> CustomColors;

    void Create(HWND parent, int id, const TBounds& bounds);
    TColor Color() const { return Value; }
    // Raises nothing.
    void SetColor(TColor color);

    void Command(int id, int code) override;
    void DrawItem(const DRAWITEMSTRUCT& item) override;

private:
    TColor Value = clWhite;
};
