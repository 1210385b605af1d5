#pragma once
// The dialog widgets: thin owners of native controls whose setters raise the same events as the
// user's input, so that filling a dialog from code and a user's change run the same handlers.
// The dialog routes WM_COMMAND, WM_NOTIFY and WM_DRAWITEM to the control by its identifier.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Graphics.h"

struct TBounds {
    int X = 0;
    int Y = 0;
    int W = 0;
    int H = 0;
};

class TDialogControl;
using TNotifyEvent = std::function<void(TDialogControl& sender)>;

// The other identifiers a control answers to besides its own.
constexpr int UpDownId(int spinId) {
    return 0x2000 + spinId;
}
constexpr int RadioItemId(int groupId, int item) {
    return 0x4000 + groupId * 8 + item;
}

// Runs work from a window procedure: a failure must not unwind through the system's frames, so
// it ends here and the platform's error box shows its message, owned by window's dialog.
void RunGuarded(HWND window, const std::function<void()>& work);

class TDialogControl {
public:
    TDialogControl() = default;
    TDialogControl(const TDialogControl&) = delete;
    TDialogControl& operator=(const TDialogControl&) = delete;
    virtual ~TDialogControl() = default;

    int Tag = 0;
    TColor FontColor = clBlack;

    HWND Handle() const { return Hwnd; }
    int Id() const { return ControlId; }
    virtual void SetVisible(bool visible);
    bool Visible() const;

    // Every identifier the control's windows carry.
    virtual std::vector<int> Ids() const { return {ControlId}; }
    virtual void Command(int /*id*/, int /*code*/) {}
    virtual bool Notify(const NMHDR& /*header*/, LRESULT& /*result*/) { return false; }
    virtual void DrawItem(const DRAWITEMSTRUCT& /*item*/) {}

protected:
    HWND MakeWindow(HWND parent,
                    const char* windowClass,
                    const std::string& text,
                    DWORD style,
                    DWORD exStyle,
                    const TBounds& bounds,
                    int id,
                    HFONT font);

    HWND Hwnd = nullptr;
    int ControlId = 0;
};

class TStaticText : public TDialogControl {
public:
    void Create(HWND parent, int id, const std::string& text, const TBounds& bounds, HFONT font);
};

// A frame with a caption; it lies below its siblings so that it never hides what it frames.
class TGroupBox : public TDialogControl {
public:
    void Create(HWND parent, int id, const std::string& caption, const TBounds& bounds, HFONT font);
};

class TButton : public TDialogControl {
public:
    TNotifyEvent OnClick;
    void Create(HWND parent, int id, const std::string& caption, const TBounds& bounds, HFONT font, bool isDefault);
    void Command(int id, int code) override;
};

class TCheckBox : public TDialogControl {
public:
    TNotifyEvent OnClick;
    void Create(HWND parent, int id, const std::string& caption, const TBounds& bounds, HFONT font);
    bool Checked() const { return State; }
    // Raises OnClick whenever the state changes.
    void SetChecked(bool checked);
    void Command(int id, int code) override;
    // A themed check box draws its caption in the theme's colour and ignores the one the dialog
    // gives it; unthemed, it shows FontColor.
    void DrawUnthemed();

private:
    bool State = false;
};

// Radio buttons with the same Siblings list exclude each other.
class TRadioButton : public TDialogControl {
public:
    TNotifyEvent OnClick;
    std::vector<TRadioButton*>* Siblings = nullptr;
    void Create(HWND parent, int id, const std::string& caption, const TBounds& bounds, HFONT font, bool first);
    bool Checked() const { return State; }
    // Raises OnClick only when the button becomes checked; checking unchecks the siblings.
    void SetChecked(bool checked);
    void Command(int id, int code) override;

private:
    bool State = false;
};

// A framed group of radio items in columns, ordered down each column first.
class TRadioGroup : public TDialogControl {
public:
    TNotifyEvent OnClick;
    void Create(HWND parent,
                int id,
                const std::string& caption,
                const TBounds& bounds,
                const std::vector<std::string>& items,
                int columns,
                HFONT font);
    int ItemIndex() const { return Index; }
    int ItemCount() const { return static_cast<int>(Items.size()); }
    // Clamps to [-1, count - 1]; raises OnClick when the index changes.
    void SetItemIndex(int index);
    std::vector<int> Ids() const override;
    void Command(int id, int code) override;

private:
    std::vector<HWND> Items;
    int Index = -1;
};

// A drop-down list whose field also takes typed text. Setting the index raises nothing.
class TComboBox : public TDialogControl {
public:
    TNotifyEvent OnChange;
    void Create(HWND parent, int id, const TBounds& bounds, const std::vector<std::string>& items, HFONT font);
    int ItemIndex() const;
    // An index outside the list selects nothing.
    void SetItemIndex(int index);
    void Command(int id, int code) override;
};

class TEdit : public TDialogControl {
public:
    TNotifyEvent OnChange;
    void Create(HWND parent, int id, const TBounds& bounds, HFONT font);
    std::string Text() const;
    // Raises OnChange when the text changes; so does every edit by the user.
    void SetText(const std::string& text);
    void Command(int id, int code) override;

private:
    bool Setting = false;
};

// A plain child window: the page of a page control or notebook, a framed panel, a paint box.
// It forwards its children's notifications to its parent, so they reach the dialog.
class TPanelWindow : public TDialogControl {
public:
    TColor Color = 0;
    bool UseFaceColor = true;  // the dialog's face colour rather than Color
    std::function<void(HDC dc)> OnPaint;
    std::function<void(int x, int y)> OnMouseDown;
    void Create(HWND parent, int id, const TBounds& bounds, DWORD exStyle, bool visible);

    // The panel class lives while a dialog that uses it does.
    static bool RegisterPanelClass();
    static void UnregisterPanelClass();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

// Tabs over a stack of pages; the pages lie above the tab control, inside its display area.
class TPageControl : public TDialogControl {
public:
    void Create(HWND parent, int id, const TBounds& bounds, const std::vector<std::string>& captions, HFONT tabFont);
    HWND Page(int index) const;
    int ActivePage() const;
    void SetActivePage(int index);
    // The pages are the tabs' siblings, not their children: hiding the tabs alone would leave
    // the active page on screen.
    void SetVisible(bool visible) override;
    bool Notify(const NMHDR& header, LRESULT& result) override;
    void DrawItem(const DRAWITEMSTRUCT& item) override;
    TColor TabColor = clBlack;

private:
    std::vector<std::unique_ptr<TPanelWindow>> Pages;
    std::vector<std::string> Captions;
    HFONT TabFont = nullptr;
};

// Pages without tabs, one visible at a time.
class TNotebook : public TDialogControl {
public:
    void Create(HWND parent, int id, const TBounds& bounds, int pageCount);
    HWND Page(int index) const;
    int PageIndex() const { return Index; }
    void SetPageIndex(int index);

private:
    std::vector<std::unique_ptr<TPanelWindow>> Pages;
    int Index = 0;
};

// A small push button showing a document: opens a file.
class TSpeedButton : public TDialogControl {
public:
    TNotifyEvent OnClick;
    void Create(HWND parent, int id, const TBounds& bounds);
    void Command(int id, int code) override;
    void DrawItem(const DRAWITEMSTRUCT& item) override;
};
