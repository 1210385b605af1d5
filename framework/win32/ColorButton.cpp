#include "framework/win32/ColorButton.h"

#include <commdlg.h>

#include "framework/WidgetValues.h"
#include "framework/win32/Handles.h"

void TColorButton::Create(HWND parent, int id, const TBounds& bounds) {
    ControlId = id;
    Hwnd = MakeWindow(parent, "BUTTON", "", BS_OWNERDRAW | WS_TABSTOP, 0, bounds, id, nullptr);
}

void TColorButton::SetColor(TColor color) {
    if (color != Value) {
        Value = color;
        InvalidateRect(Hwnd, nullptr, FALSE);
    }
}

void TColorButton::Command(int /*id*/, int code) {
    if (code != BN_CLICKED) {
        return;
    }
    if (OnClick) {
        OnClick(*this);
    }
    COLORREF custom[16];
    for (auto& c : custom) {
        c = RGB(255, 255, 255);
    }
    for (const auto& entry : CustomColors) {
        if (const auto parsed = ParseCustomColorEntry(entry)) {
            custom[parsed->Slot] = parsed->Color & 0xFFFFFF;
        }
    }
    CHOOSECOLORA chooser{};
    chooser.lStructSize = sizeof(chooser);
    chooser.hwndOwner = GetAncestor(Hwnd, GA_ROOT);
    chooser.rgbResult = Value & 0xFFFFFF;
    chooser.lpCustColors = custom;
    chooser.Flags = CC_FULLOPEN | CC_RGBINIT | CC_ANYCOLOR;
    if (ChooseColorA(&chooser) == FALSE) {
        return;
    }
    Value = chooser.rgbResult;
    InvalidateRect(Hwnd, nullptr, FALSE);
    if (OnColorChange) {
        OnColorChange(*this);
    }
}

void TColorButton::DrawItem(const DRAWITEMSTRUCT& item) {
    RECT r = item.rcItem;
    const bool pushed = (item.itemState & ODS_SELECTED) != 0;
    DrawFrameControl(item.hDC, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
    RECT swatch = r;
    InflateRect(&swatch, -5, -5);
    if (pushed) {
        OffsetRect(&swatch, 1, 1);
    }
    UniqueGdiObject fill(CreateSolidBrush(Value & 0xFFFFFF));
    FillRect(item.hDC, &swatch, static_cast<HBRUSH>(fill.Get()));
    FrameRect(item.hDC, &swatch, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    if ((item.itemState & ODS_FOCUS) != 0) {
        RECT focus = r;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(item.hDC, &focus);
    }
}
