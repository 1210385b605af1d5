#pragma once
// A number field with up/down arrows: an edit and an up-down control beside it.

#include "framework/win32/DialogControls.h"

class TSpinEdit : public TDialogControl {
public:
    int MinValue = 0;
    int MaxValue = 100;
    int Increment = 1;
    TNotifyEvent OnChange;

    // bounds covers the edit and the arrows.
    void Create(HWND parent, int id, const TBounds& bounds, HFONT font);
    ~TSpinEdit() override;

    // The text as a number, or the minimum when it is none; not clamped while being typed.
    int Value() const;
    // Clamps to [MinValue, MaxValue]; raises OnChange when the text changes.
    void SetValue(int value);
    std::string Text() const;

    std::vector<int> Ids() const override { return {ControlId, UpDownId(ControlId)}; }
    void Command(int id, int code) override;
    bool Notify(const NMHDR& header, LRESULT& result) override;

private:
    static LRESULT CALLBACK
    EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR self);
    void SetText(const std::string& text);
    void Step(int direction);

    HWND Arrows = nullptr;
    bool Setting = false;
};
