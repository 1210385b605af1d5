#include "framework/win32/DialogControls.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <exception>

#include "framework/WidgetValues.h"
#include "framework/win32/Handles.h"

namespace {

constexpr const char* PanelClassName = "SkyburstDialogPanel";

void PushToBottom(HWND window) {
    SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Raise(const TNotifyEvent& event, TDialogControl& sender) {
    if (event) {
        event(sender);
    }
}

}  // namespace

void RunGuarded(HWND window, const std::function<void()>& work) {
    const char* message = "An unexpected error occurred.";
    std::string text;
    try {
        work();
        return;
    } catch (const std::exception& e) {
        text = e.what();
        message = text.c_str();
    } catch (...) {
    }
    HWND owner = window != nullptr ? GetAncestor(window, GA_ROOT) : nullptr;
    MessageBoxA(owner, message, "Error", MB_OK | MB_ICONERROR);
}

void TDialogControl::SetVisible(bool visible) {
    if (Hwnd != nullptr) {
        ShowWindow(Hwnd, visible ? SW_SHOW : SW_HIDE);
    }
}

bool TDialogControl::Visible() const {
    return Hwnd != nullptr && (GetWindowLongA(Hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

HWND TDialogControl::MakeWindow(HWND parent,
                                const char* windowClass,
                                const std::string& text,
                                DWORD style,
                                DWORD exStyle,
                                const TBounds& bounds,
                                int id,
                                HFONT font) {
    HWND window =
        CreateWindowExA(exStyle, windowClass, text.c_str(), WS_CHILD | WS_VISIBLE | style, bounds.X, bounds.Y, bounds.W,
                        bounds.H, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ThisModule(), nullptr);
    if (window != nullptr && font != nullptr) {
        SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    return window;
}

void TStaticText::Create(HWND parent, int id, const std::string& text, const TBounds& bounds, HFONT font) {
    ControlId = id;
    Hwnd = MakeWindow(parent, "STATIC", text, SS_LEFT | SS_NOPREFIX, 0, bounds, id, font);
}

void TGroupBox::Create(HWND parent, int id, const std::string& caption, const TBounds& bounds, HFONT font) {
    ControlId = id;
    Hwnd = MakeWindow(parent, "BUTTON", caption, BS_GROUPBOX, 0, bounds, id, font);
    PushToBottom(Hwnd);
}

void TButton::Create(HWND parent,
                     int id,
                     const std::string& caption,
                     const TBounds& bounds,
                     HFONT font,
                     bool isDefault) {
    ControlId = id;
    Hwnd = MakeWindow(parent, "BUTTON", caption, WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0, bounds,
                      id, font);
}

void TButton::Command(int /*id*/, int code) {
    if (code == BN_CLICKED) {
        Raise(OnClick, *this);
    }
}

void TCheckBox::Create(HWND parent, int id, const std::string& caption, const TBounds& bounds, HFONT font) {
    ControlId = id;
    Hwnd = MakeWindow(parent, "BUTTON", caption, BS_CHECKBOX | WS_TABSTOP, 0, bounds, id, font);
}

void TCheckBox::DrawUnthemed() {
    // Visual styles live in uxtheme.dll, which the common controls load to draw themed; where it
    // is not loaded nothing is themed, and the plug-in need not import it.
    HMODULE uxtheme = GetModuleHandleA("uxtheme.dll");
    if (uxtheme == nullptr || Hwnd == nullptr) {
        return;
    }
    using TSetWindowTheme = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    const auto setWindowTheme =
        reinterpret_cast<TSetWindowTheme>(reinterpret_cast<void*>(GetProcAddress(uxtheme, "SetWindowTheme")));
    if (setWindowTheme != nullptr) {
        // A blank names no theme class, so the box draws classically from now on (an empty name
        // would do on Windows, but Wine refuses it).
        setWindowTheme(Hwnd, L" ", L" ");
    }
}

void TCheckBox::SetChecked(bool checked) {
    if (checked == State) {
        return;
    }
    State = checked;
    SendMessageA(Hwnd, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    Raise(OnClick, *this);
}

void TCheckBox::Command(int /*id*/, int code) {
    if (code == BN_CLICKED) {
        SetChecked(!State);
    }
}

void TRadioButton::Create(HWND parent,
                          int id,
                          const std::string& caption,
                          const TBounds& bounds,
                          HFONT font,
                          bool first) {
    ControlId = id;
    Hwnd = MakeWindow(parent, "BUTTON", caption, BS_RADIOBUTTON | WS_TABSTOP | (first ? WS_GROUP : 0), 0, bounds, id,
                      font);
}

void TRadioButton::SetChecked(bool checked) {
    if (checked == State) {
        return;
    }
    State = checked;
    SendMessageA(Hwnd, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    if (!checked) {
        return;
    }
    if (Siblings != nullptr) {
        for (TRadioButton* other : *Siblings) {
            if (other != this) {
                other->SetChecked(false);
            }
        }
    }
    Raise(OnClick, *this);
}

void TRadioButton::Command(int /*id*/, int code) {
    if (code == BN_CLICKED) {
        SetChecked(true);
    }
}

void TRadioGroup::Create(HWND parent,
                         int id,
                         const std::string& caption,
                         const TBounds& bounds,
                         const std::vector<std::string>& items,
                         int columns,
                         HFONT font) {
    ControlId = id;
    Hwnd = MakeWindow(parent, "BUTTON", caption, BS_GROUPBOX, 0, bounds, id, font);
    PushToBottom(Hwnd);
    // Items fill the frame below its caption, column by column.
    const int count = static_cast<int>(items.size());
    columns = std::max(1, columns);
    const int perColumn = std::max(1, (count + columns - 1) / columns);
    constexpr int captionHeight = 14;
    const int usable = bounds.H - captionHeight - 5;
    const int itemHeight = std::max(1, usable / perColumn);
    const int topMargin = captionHeight + 1 + (usable % perColumn) / 2;
    const int itemWidth = (bounds.W - 10) / columns;
    for (int i = 0; i < count; ++i) {
        const TBounds b{bounds.X + 8 + (i / perColumn) * itemWidth, bounds.Y + topMargin + (i % perColumn) * itemHeight,
                        itemWidth, itemHeight};
        HWND item = MakeWindow(parent, "BUTTON", items[static_cast<std::size_t>(i)],
                               BS_RADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0), 0, b, RadioItemId(id, i), font);
        Items.push_back(item);
    }
}

void TRadioGroup::SetItemIndex(int index) {
    index = ClampRadioIndex(index, ItemCount());
    if (index == Index) {
        return;
    }
    Index = index;
    for (int i = 0; i < ItemCount(); ++i) {
        SendMessageA(Items[static_cast<std::size_t>(i)], BM_SETCHECK, i == Index ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    Raise(OnClick, *this);
}

std::vector<int> TRadioGroup::Ids() const {
    std::vector<int> ids{ControlId};
    for (int i = 0; i < ItemCount(); ++i) {
        ids.push_back(RadioItemId(ControlId, i));
    }
    return ids;
}

void TRadioGroup::Command(int id, int code) {
    if (code == BN_CLICKED && id != ControlId) {
        SetItemIndex(id - RadioItemId(ControlId, 0));
    }
}

void TComboBox::Create(HWND parent, int id, const TBounds& bounds, const std::vector<std::string>& items, HFONT font) {
    ControlId = id;
    // The height given is the field's; the list drops below it.
    TBounds withList = bounds;
    withList.H = bounds.H + 160;
    Hwnd = MakeWindow(parent, "COMBOBOX", "", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, 0, withList, id,
                      font);
    for (const auto& item : items) {
        SendMessageA(Hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
}

int TComboBox::ItemIndex() const {
    const auto index = SendMessageA(Hwnd, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? -1 : static_cast<int>(index);
}

void TComboBox::SetItemIndex(int index) {
    const auto count = SendMessageA(Hwnd, CB_GETCOUNT, 0, 0);
    SendMessageA(Hwnd, CB_SETCURSEL, index >= 0 && index < count ? index : -1, 0);
}

void TComboBox::Command(int /*id*/, int code) {
    if (code == CBN_SELCHANGE || code == CBN_EDITCHANGE) {
        Raise(OnChange, *this);
    }
}

void TEdit::Create(HWND parent, int id, const TBounds& bounds, HFONT font) {
    ControlId = id;
    Hwnd = MakeWindow(parent, "EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, bounds, id, font);
}

std::string TEdit::Text() const {
    const int length = GetWindowTextLengthA(Hwnd);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(Hwnd, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(0, copied)));
    return text;
}

void TEdit::SetText(const std::string& text) {
    if (text == Text()) {
        return;
    }
    // The edit's own change notification is muted so the event is raised exactly once, here.
    Setting = true;
    SetWindowTextA(Hwnd, text.c_str());
    Setting = false;
    Raise(OnChange, *this);
}

void TEdit::Command(int /*id*/, int code) {
    if (code == EN_CHANGE && !Setting) {
        Raise(OnChange, *this);
    }
}

bool TPanelWindow::RegisterPanelClass() {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &TPanelWindow::WindowProc;
    wc.hInstance = ThisModule();
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = PanelClassName;
    return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void TPanelWindow::UnregisterPanelClass() {
    UnregisterClassA(PanelClassName, ThisModule());
}

void TPanelWindow::Create(HWND parent, int id, const TBounds& bounds, DWORD exStyle, bool visible) {
    ControlId = id;
    Hwnd = CreateWindowExA(exStyle | WS_EX_CONTROLPARENT, PanelClassName, "",
                           WS_CHILD | WS_CLIPSIBLINGS | (visible ? WS_VISIBLE : 0), bounds.X, bounds.Y, bounds.W,
                           bounds.H, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ThisModule(), this);
}

LRESULT CALLBACK TPanelWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TPanelWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_DRAWITEM:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
            // Controls tell their parent; the dialog is the one that listens.
            return SendMessageA(GetParent(hwnd), message, wParam, lParam);
        case WM_ERASEBKGND:
            if (self != nullptr) {
                RECT r{};
                GetClientRect(hwnd, &r);
                if (self->UseFaceColor) {
                    FillRect(reinterpret_cast<HDC>(wParam), &r, GetSysColorBrush(COLOR_BTNFACE));
                } else {
                    UniqueGdiObject brush(CreateSolidBrush(self->Color));
                    FillRect(reinterpret_cast<HDC>(wParam), &r, static_cast<HBRUSH>(brush.Get()));
                }
                return 1;
            }
            break;
        case WM_PAINT:
            if (self != nullptr && self->OnPaint) {
                PaintDc dc(hwnd);
                RunGuarded(hwnd, [&] { self->OnPaint(dc.Get()); });
                return 0;
            }
            break;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            if (self != nullptr && self->OnMouseDown) {
                const int x = GET_X_LPARAM(lParam);
                const int y = GET_Y_LPARAM(lParam);
                RunGuarded(hwnd, [&] { self->OnMouseDown(x, y); });
                return 0;
            }
            break;
        case WM_NCDESTROY:
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            if (self != nullptr) {
                self->Hwnd = nullptr;
            }
            break;
        default:
            break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void TPageControl::Create(HWND parent,
                          int id,
                          const TBounds& bounds,
                          const std::vector<std::string>& captions,
                          HFONT tabFont) {
    ControlId = id;
    Captions = captions;
    TabFont = tabFont;
    Hwnd = MakeWindow(parent, WC_TABCONTROLA, "", WS_TABSTOP | WS_CLIPSIBLINGS | TCS_OWNERDRAWFIXED, 0, bounds, id,
                      tabFont);
    for (std::size_t i = 0; i < captions.size(); ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(Captions[i].c_str());
        SendMessageA(Hwnd, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
    RECT display{0, 0, bounds.W, bounds.H};
    SendMessageA(Hwnd, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    const TBounds area{bounds.X + display.left, bounds.Y + display.top, display.right - display.left,
                       display.bottom - display.top};
    for (std::size_t i = 0; i < captions.size(); ++i) {
        auto page = std::make_unique<TPanelWindow>();
        page->Create(parent, 0, area, 0, i == 0);
        Pages.push_back(std::move(page));
    }
    // The pages must lie above the tabs; a dialog's first child is the top of the order.
    PushToBottom(Hwnd);
}

HWND TPageControl::Page(int index) const {
    return index >= 0 && index < static_cast<int>(Pages.size()) ? Pages[static_cast<std::size_t>(index)]->Handle()
                                                                : nullptr;
}

int TPageControl::ActivePage() const {
    return static_cast<int>(SendMessageA(Hwnd, TCM_GETCURSEL, 0, 0));
}

void TPageControl::SetActivePage(int index) {
    SendMessageA(Hwnd, TCM_SETCURSEL, index, 0);
    const bool shown = Visible();
    for (std::size_t i = 0; i < Pages.size(); ++i) {
        Pages[i]->SetVisible(shown && static_cast<int>(i) == index);
    }
}

void TPageControl::SetVisible(bool visible) {
    TDialogControl::SetVisible(visible);
    const int active = ActivePage();
    for (std::size_t i = 0; i < Pages.size(); ++i) {
        Pages[i]->SetVisible(visible && static_cast<int>(i) == active);
    }
}

bool TPageControl::Notify(const NMHDR& header, LRESULT& result) {
    if (header.code == TCN_SELCHANGE) {
        SetActivePage(ActivePage());
        result = 0;
        return true;
    }
    return false;
}

void TPageControl::DrawItem(const DRAWITEMSTRUCT& item) {
    // Owner-drawn only for the caption's colour; the control draws the tab itself.
    if (item.itemID >= Captions.size()) {
        return;
    }
    RECT r = item.rcItem;
    FillRect(item.hDC, &r, GetSysColorBrush(COLOR_BTNFACE));
    SelectGuard font(item.hDC, TabFont);
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, TabColor);
    if ((item.itemState & ODS_SELECTED) != 0) {
        OffsetRect(&r, 0, -1);
    }
    DrawTextA(item.hDC, Captions[item.itemID].c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void TNotebook::Create(HWND parent, int id, const TBounds& bounds, int pageCount) {
    ControlId = id;
    for (int i = 0; i < pageCount; ++i) {
        auto page = std::make_unique<TPanelWindow>();
        page->Create(parent, i == 0 ? id : 0, bounds, 0, i == 0);
        Pages.push_back(std::move(page));
    }
    Hwnd = Page(0);
}

HWND TNotebook::Page(int index) const {
    return index >= 0 && index < static_cast<int>(Pages.size()) ? Pages[static_cast<std::size_t>(index)]->Handle()
                                                                : nullptr;
}

void TNotebook::SetPageIndex(int index) {
    if (index < 0 || index >= static_cast<int>(Pages.size())) {
        return;
    }
    Index = index;
    for (std::size_t i = 0; i < Pages.size(); ++i) {
        Pages[i]->SetVisible(static_cast<int>(i) == index);
    }
}

void TSpeedButton::Create(HWND parent, int id, const TBounds& bounds) {
    ControlId = id;
    Hwnd = MakeWindow(parent, "BUTTON", "", BS_OWNERDRAW | WS_TABSTOP, 0, bounds, id, nullptr);
}

void TSpeedButton::Command(int /*id*/, int code) {
    if (code == BN_CLICKED) {
        Raise(OnClick, *this);
    }
}

void TSpeedButton::DrawItem(const DRAWITEMSTRUCT& item) {
    RECT r = item.rcItem;
    const bool pushed = (item.itemState & ODS_SELECTED) != 0;
    DrawFrameControl(item.hDC, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
    // A sheet of paper with a folded corner and three lines of text.
    const int cx = (r.left + r.right) / 2 + (pushed ? 1 : 0);
    const int cy = (r.top + r.bottom) / 2 + (pushed ? 1 : 0);
    const POINT sheet[] = {{cx - 5, cy - 7}, {cx + 2, cy - 7}, {cx + 5, cy - 4}, {cx + 5, cy + 7}, {cx - 5, cy + 7}};
    UniqueGdiObject pen(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
    SelectGuard selectPen(item.hDC, pen.Get());
    SelectGuard selectBrush(item.hDC, GetStockObject(WHITE_BRUSH));
    Polygon(item.hDC, sheet, 5);
    const POINT fold[] = {{cx + 2, cy - 7}, {cx + 2, cy - 4}, {cx + 5, cy - 4}};
    Polyline(item.hDC, fold, 3);
    for (int line = 0; line < 3; ++line) {
        MoveToEx(item.hDC, cx - 3, cy - 2 + line * 3, nullptr);
        LineTo(item.hDC, cx + 4, cy - 2 + line * 3);
    }
    if ((item.itemState & ODS_FOCUS) != 0) {
        RECT focus = item.rcItem;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(item.hDC, &focus);
    }
}
