#include "framework/win32/SpinEdit.h"

#include <commctrl.h>

#include <string>

#include "framework/WidgetValues.h"

namespace {

constexpr UINT_PTR SubclassId = 1;
constexpr int ArrowWidth = 17;

char DecimalSeparator() {
    char text[8] = {};
    return GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, text, sizeof(text)) > 1 ? text[0] : '.';
}

}  // namespace

void TSpinEdit::Create(HWND parent, int id, const TBounds& bounds, HFONT font) {
    ControlId = id;
    const TBounds field{bounds.X, bounds.Y, bounds.W - ArrowWidth, bounds.H};
    Hwnd = MakeWindow(parent, "EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, field, id, font);
    const TBounds arrows{bounds.X + bounds.W - ArrowWidth, bounds.Y, ArrowWidth, bounds.H};
    // The arrows hold no number of their own: each click is turned into a step of the field.
    Arrows = MakeWindow(parent, UPDOWN_CLASSA, "", 0, 0, arrows, UpDownId(id), nullptr);
    SendMessageA(Arrows, UDM_SETRANGE32, 0, 100);
    SendMessageA(Arrows, UDM_SETPOS32, 0, 50);
    SetWindowSubclass(Hwnd, &TSpinEdit::EditProc, SubclassId, reinterpret_cast<DWORD_PTR>(this));
}

TSpinEdit::~TSpinEdit() {
    if (Hwnd != nullptr && IsWindow(Hwnd)) {
        RemoveWindowSubclass(Hwnd, &TSpinEdit::EditProc, SubclassId);
    }
}

std::string TSpinEdit::Text() const {
    char text[64] = {};
    GetWindowTextA(Hwnd, text, sizeof(text));
    return text;
}

int TSpinEdit::Value() const {
    // A text too long for the buffer is no number a field of ours can hold.
    if (GetWindowTextLengthA(Hwnd) >= 63) {
        return MinValue;
    }
    return SpinTextValue(Text(), MinValue);
}

void TSpinEdit::SetValue(int value) {
    SetText(std::to_string(ClampSpinValue(value, MinValue, MaxValue)));
}

void TSpinEdit::SetText(const std::string& text) {
    if (GetWindowTextLengthA(Hwnd) < 63 && text == Text()) {
        return;
    }
    Setting = true;
    SetWindowTextA(Hwnd, text.c_str());
    Setting = false;
    if (OnChange) {
        OnChange(*this);
    }
}

void TSpinEdit::Step(int direction) {
    SetValue(
        static_cast<int>(ClampSpinValue(static_cast<long long>(Value()) + direction * Increment, MinValue, MaxValue)));
}

void TSpinEdit::Command(int id, int code) {
    if (id == ControlId && code == EN_CHANGE && !Setting && OnChange) {
        OnChange(*this);
    }
}

bool TSpinEdit::Notify(const NMHDR& header, LRESULT& result) {
    if (header.code != static_cast<UINT>(UDN_DELTAPOS)) {
        return false;
    }
    const auto& delta = reinterpret_cast<const NMUPDOWN&>(header);
    Step(delta.iDelta > 0 ? 1 : -1);
    result = 1;  // the arrows keep their own position
    return true;
}

LRESULT CALLBACK TSpinEdit::EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<TSpinEdit*>(data);
    switch (message) {
        case WM_CHAR:
            if (!IsSpinEditChar(static_cast<char>(wParam), DecimalSeparator())) {
                MessageBeep(0);
                return 0;
            }
            break;
        case WM_KEYDOWN:
            if (wParam == VK_UP || wParam == VK_DOWN) {
                RunGuarded(hwnd, [&] { self->Step(wParam == VK_UP ? 1 : -1); });
                return 0;
            }
            break;
        case WM_KILLFOCUS: {
            const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
            // Leaving the field brings a typed number into range.
            RunGuarded(hwnd, [&] { self->SetValue(self->Value()); });
            return result;
        }
        case WM_NCDESTROY:
            RemoveWindowSubclass(hwnd, &TSpinEdit::EditProc, SubclassId);
            self->Hwnd = nullptr;
            break;
        default:
            break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}
