#include "config/config.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>

#include "config/ConfigRules.h"
#include "framework/WidgetValues.h"
#include "framework/win32/ActivationContext.h"
#include "framework/win32/Application.h"
#include "framework/win32/Monitors.h"
#include "framework/win32/ProfileStore.h"

namespace {

// The manifest that asks for the version 6 common controls (resources/skyburst.rc).
constexpr int ManifestResourceId = 2;

// Keys by tag, one table per kind of control; index 0 and unused tags are null.
constexpr const char* CheckBoxKeys[] = {
    nullptr, "EffectEnabled", "SpectrumsEnabled", "vuEnabled",   "ImageEnabled", "EnhSpect",
    nullptr, "Enhvu",         "vuOutline",        "vusegmented", "TitleEnabled", "AlwaysTop"};
constexpr const char* SpinEditKeys[] = {nullptr,
                                        "SkyburstLatency",
                                        "SpectrumsLatency",
                                        "vuLatency",
                                        "Gravity",
                                        "MaxRocketNumber",
                                        "RocketStyleVar",
                                        "MaxRocketPatchNumber",
                                        "MaxRocketPatchLength",
                                        "MaxRocketEnergy",
                                        "MaxSpectrumH",
                                        "BarB",
                                        "vumeterH",
                                        "vuB",
                                        "VUsegW",
                                        "LightLatency",
                                        "StarQty",
                                        "Brightness",
                                        "LightCenterX",
                                        "LightCenterY"};
constexpr const char* ComboBoxKeys[] = {nullptr, "vustyle", "SpectrumStyle", "LightSpeed", "Monitor"};
constexpr const char* ColorButtonKeys[] = {nullptr,     "Background", "MeterForeground", "MeterBackground",
                                           "Spectrums", "ClockColor", "TitleColor"};
constexpr const char* EditKeys[] = {nullptr, "UserGif1A", "UserGif1B", "UserGif2A", "UserGif2B"};
constexpr const char* RadioGroupKeys[] = {nullptr, "GifAlign1A", "GifAlign1B", "GifAlign2A", "GifAlign2B"};

template <std::size_t N>
const char* KeyOf(const char* const (&keys)[N], int tag) {
    return tag > 0 && static_cast<std::size_t>(tag) < N ? keys[tag] : nullptr;
}

bool OwnedBy(HWND window, HWND owner) {
    for (HWND w = window; w != nullptr; w = GetWindow(w, GW_OWNER)) {
        if (w == owner) {
            return true;
        }
    }
    return false;
}

// An empty dialog template: the controls are made from the layout when the dialog starts.
struct TEmptyDialogTemplate {
    DLGTEMPLATE Header;
    WORD Menu = 0;
    WORD WindowClass = 0;
    wchar_t Title[32] = L"Skyburst Plugin - Configuration";
};

}  // namespace

void TForm2::ShowModal(HWND owner) {
    TActivationScope modernLook(ThisModule(), ManifestResourceId);
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&classes);
    if (!TPanelWindow::RegisterPanelClass()) {
        return;
    }
    alignas(4) TEmptyDialogTemplate dialog{};
    dialog.Header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_CLIPCHILDREN;
    dialog.Header.dwExtendedStyle = WS_EX_CONTROLPARENT;
    Owner = owner;
    DialogBoxIndirectParamA(ThisModule(), &dialog.Header, owner, &TForm2::DialogProc, reinterpret_cast<LPARAM>(this));
    // A quit request arriving while the dialog is open (the display's end) ends the modal run
    // without a close; the file and the owner are let go all the same.
    FormClose();
    // The dialog and every window on it are gone once the modal run returns.
    TPanelWindow::UnregisterPanelClass();
}

INT_PTR CALLBACK TForm2::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        reinterpret_cast<TForm2*>(lParam)->Hwnd = hwnd;
    }
    auto* self = reinterpret_cast<TForm2*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (self == nullptr) {
        return FALSE;
    }
    INT_PTR result = FALSE;
    RunGuarded(hwnd, [&] { result = self->HandleMessage(message, wParam, lParam); });
    if (message == WM_NCDESTROY) {
        self->Hwnd = nullptr;
    }
    return result;
}

INT_PTR TForm2::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            CreateControls();
            PlaceOnScreen(Owner);
            SetFocus(PageControl1.Handle());
            return FALSE;
        case WM_ACTIVATE:
            // Coming back from our own chooser or error box is no new activation.
            if (LOWORD(wParam) != WA_INACTIVE && !OwnedBy(reinterpret_cast<HWND>(lParam), Hwnd)) {
                FormActivate();
            }
            return FALSE;
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            if (id == IDCANCEL && lParam == 0) {
                Close();  // the title bar's close box or Esc
                return TRUE;
            }
            const auto found = Controls.find(id);
            if (found != Controls.end()) {
                found->second->Command(id, HIWORD(wParam));
                return TRUE;
            }
            return FALSE;
        }
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            const auto found = Controls.find(static_cast<int>(header->idFrom));
            LRESULT result = 0;
            if (found != Controls.end() && found->second->Notify(*header, result)) {
                SetWindowLongPtrA(Hwnd, DWLP_MSGRESULT, result);
                return TRUE;
            }
            return FALSE;
        }
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            const auto found = Controls.find(static_cast<int>(item->CtlID));
            if (found != Controls.end()) {
                found->second->DrawItem(*item);
                return TRUE;
            }
            return FALSE;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            const auto found = Controls.find(GetDlgCtrlID(reinterpret_cast<HWND>(lParam)));
            if (found == Controls.end()) {
                return FALSE;
            }
            const auto dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, found->second->FontColor);
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_CLOSE:
            Close();
            return TRUE;
        default:
            return FALSE;
    }
}

void TForm2::PlaceOnScreen(HWND owner) {
    RECT frame{0, 0, Form2ClientWidth, Form2ClientHeight};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(Hwnd, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongA(Hwnd, GWL_EXSTYLE)));
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    // The dialog is the host's: measured in the host thread's own coordinates, not the display's.
    const TRect monitor = DisplayMonitorRect(owner, 0);
    const int x = monitor.Left + (monitor.Width() - width) / 2;
    const int y = monitor.Top + (monitor.Height() - height) / 2;
    SetWindowPos(Hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm2::Close() {
    // A number still being typed is brought into range and written while the file is open.
    SetFocus(Button4.Handle());
    FormClose();
    EndDialog(Hwnd, IDOK);
}

void TForm2::FormActivate() {
    Ini = std::make_unique<TProfileStore>(SettingsFilePath(), SettingsSection);
    TSettingsStore& ini = *Ini;
    const TVisSettings& s = VisSettings();
    const auto color = [&ini](const char* key, TColor fallback) {
        return static_cast<TColor>(ReadSettingsInteger(ini, key, static_cast<std::int32_t>(fallback)));
    };

    cbAlwaysTop.SetChecked(ReadSettingsBoolean(ini, "AlwaysTop", s.AlwaysTop));

    ColorButton1.SetColor(color("Background", s.Background));
    ColorButton2.SetColor(color("MeterForeground", s.MeterForeground));
    ColorButton3.SetColor(color("MeterBackground", s.MeterBackground));
    ColorButton4.SetColor(color("Spectrums", s.Spectrums));
    ColorButton5.SetColor(color("ClockColor", s.ClockColor));
    ColorButton6.SetColor(color("TitleColor", s.TitleColor));

    cb1.SetChecked(ReadSettingsBoolean(ini, "EffectEnabled", s.EffectEnabled));
    cb2.SetChecked(ReadSettingsBoolean(ini, "SpectrumsEnabled", s.SpectrumsEnabled));
    cb3.SetChecked(ReadSettingsBoolean(ini, "vuEnabled", s.vuEnabled));
    cb4.SetChecked(ReadSettingsBoolean(ini, "ImageEnabled", s.ImageEnabled));
    cbTitle.SetChecked(ReadSettingsBoolean(ini, "TitleEnabled", s.TitleEnabled));
    CheckBoxEnhSpect.SetChecked(ReadSettingsBoolean(ini, "EnhSpect", s.EnhSpect));
    CheckBoxEnhVU.SetChecked(ReadSettingsBoolean(ini, "Enhvu", s.Enhvu));
    CheckBox10.SetChecked(ReadSettingsBoolean(ini, "vuOutline", s.vuOutline));
    CheckBox8.SetChecked(ReadSettingsBoolean(ini, "vusegmented", s.vusegmented));

    se1.SetValue(ReadSettingsInteger(ini, "SkyburstLatency", s.SkyburstLatency));
    se2.SetValue(ReadSettingsInteger(ini, "SpectrumsLatency", s.SpectrumsLatency));
    se3.SetValue(ReadSettingsInteger(ini, "vuLatency", s.vuLatency));
    SpinEdit2.SetValue(ReadSettingsInteger(ini, "LightLatency", s.LightLatency));
    SpinEdit3.SetValue(ReadSettingsInteger(ini, "StarQty", s.StarQty));
    SpinEdit7.SetValue(ReadSettingsInteger(ini, "Brightness", s.Brightness));
    seGravity.SetValue(ReadSettingsInteger(ini, "Gravity", s.Gravity));
    seMaxRocket.SetValue(ReadSettingsInteger(ini, "MaxRocketNumber", s.MaxRocketNumber));
    seStyleVar.SetValue(ReadSettingsInteger(ini, "RocketStyleVar", s.RocketStyleVar));
    SpinEdit4.SetValue(ReadSettingsInteger(ini, "MaxRocketPatchNumber", s.MaxRocketPatchNumber));
    SpinEdit5.SetValue(ReadSettingsInteger(ini, "MaxRocketPatchLength", s.MaxRocketPatchLength));
    SpinEdit1.SetValue(ReadSettingsInteger(ini, "MaxRocketEnergy", s.MaxRocketEnergy));
    SpinEdit6.SetValue(ReadSettingsInteger(ini, "MaxSpectrumH", s.MaxSpectrumH));
    SpinEdit11.SetValue(ReadSettingsInteger(ini, "BarB", s.BarB));
    SpinEdit9.SetValue(ReadSettingsInteger(ini, "vumeterH", s.vumeterH));
    SpinEdit12.SetValue(ReadSettingsInteger(ini, "vuB", s.vuB));
    seSeg.SetValue(ReadSettingsInteger(ini, "VUsegW", s.VUsegW));
    SpinEditX.SetValue(ReadSettingsInteger(ini, "LightCenterX", s.LightCenterX));
    SpinEditY.SetValue(ReadSettingsInteger(ini, "LightCenterY", s.LightCenterY));

    ComboBox2.SetItemIndex(ReadSettingsInteger(ini, "SpectrumStyle", s.SpectrumStyle));
    ComboBox1.SetItemIndex(ReadSettingsInteger(ini, "vustyle", s.vustyle));
    ComboBox3.SetItemIndex(ReadSettingsInteger(ini, "LightSpeed", s.LightSpeed));
    ComboBox4.SetItemIndex(MonitorChoiceIndex(ReadSettingsInteger(ini, "Monitor", 0), MonitorCount));

    Edit1.SetText(ReadSettingsText(ini, "UserGif1A", ""));
    Edit2.SetText(ReadSettingsText(ini, "UserGif1B", ""));
    Edit3.SetText(ReadSettingsText(ini, "UserGif2A", ""));
    Edit4.SetText(ReadSettingsText(ini, "UserGif2B", ""));

    const std::int32_t effect = ReadSettingsInteger(ini, "Effect", 0);
    RbEffect1.SetChecked(effect == 0);
    RbEffect2.SetChecked(effect == 1);
    Notebook1.SetPageIndex(RbEffect1.Checked() ? 0 : 1);

    if (ReadSettingsText(ini, "LoadGif", "Default") == "Default") {
        RadioButton3.SetChecked(true);
        pcGIF.SetVisible(false);
    } else {
        RadioButton4.SetChecked(true);
        pcGIF.SetVisible(true);
    }

    ClockPos.SetItemIndex(ReadSettingsInteger(ini, "ClockAlign", s.ClockAlign));
    rg1a.SetItemIndex(ReadSettingsInteger(ini, "GifAlign1A", s.GifAlign1A));
    rg1b.SetItemIndex(ReadSettingsInteger(ini, "GifAlign1B", s.GifAlign1B));
    rg2a.SetItemIndex(ReadSettingsInteger(ini, "GifAlign2A", s.GifAlign2A));
    rg2b.SetItemIndex(ReadSettingsInteger(ini, "GifAlign2B", s.GifAlign2B));
    ScrollSong.SetItemIndex(ReadSettingsInteger(ini, "TitleScroll", s.TitleScroll));
}

void TForm2::FormClose() {
    Ini.reset();
    Application().Handle = nullptr;
}

void TForm2::Button4Click(TDialogControl& /*Sender*/) {
    Close();
}

void TForm2::cb1Click(TDialogControl& Sender) {
    if (const char* key = KeyOf(CheckBoxKeys, Sender.Tag)) {
        WriteBoolean(key, static_cast<TCheckBox&>(Sender).Checked());
    }
}

void TForm2::se1Change(TDialogControl& Sender) {
    if (Sender.Tag == 18 || Sender.Tag == 19) {
        UpdatePaintBox();
    }
    if (const char* key = KeyOf(SpinEditKeys, Sender.Tag)) {
        WriteInteger(key, static_cast<TSpinEdit&>(Sender).Value());
    }
}

void TForm2::ComboBox2Change(TDialogControl& Sender) {
    if (const char* key = KeyOf(ComboBoxKeys, Sender.Tag)) {
        WriteInteger(key, static_cast<TComboBox&>(Sender).ItemIndex());
    }
}

void TForm2::ColorButton4Click(TDialogControl& Sender) {
    auto& button = static_cast<TColorButton&>(Sender);
    button.CustomColors = {CustomColorEntry(button.Color())};
}

void TForm2::ColorButton1ColorChange(TDialogControl& Sender) {
    if (const char* key = KeyOf(ColorButtonKeys, Sender.Tag)) {
        WriteInteger(key, static_cast<std::int32_t>(static_cast<TColorButton&>(Sender).Color()));
    }
}

void TForm2::RadioButton3Click(TDialogControl& Sender) {
    switch (Sender.Tag) {
        case 1:
            pcGIF.SetVisible(false);
            WriteText("LoadGif", "Default");
            break;
        case 2:
            pcGIF.SetVisible(true);
            WriteText("LoadGif", "User");
            break;
        case 3:
            Notebook1.SetPageIndex(0);
            WriteInteger("Effect", 0);
            break;
        case 4:
            Notebook1.SetPageIndex(1);
            WriteInteger("Effect", 1);
            break;
        default:
            break;
    }
}

void TForm2::Edit1Change(TDialogControl& Sender) {
    if (const char* key = KeyOf(EditKeys, Sender.Tag)) {
        WriteText(key, static_cast<TEdit&>(Sender).Text());
    }
}

void TForm2::SpeedButton1Click(TDialogControl& Sender) {
    TEdit* const edits[] = {&Edit1, &Edit2, &Edit3, &Edit4};
    if (Sender.Tag < 1 || Sender.Tag > 4) {
        return;
    }
    TEdit& edit = *edits[Sender.Tag - 1];
    const TPickerStart start = SplitPickerPath(edit.Text());
    OpenDialog1.InitialDir = start.Directory;
    OpenDialog1.FileName = start.FileName;
    OpenDialog1.Title = Sender.Tag % 2 == 1 ? "Select Gif 1" : "Select Gif 2";
    if (OpenDialog1.Execute(Hwnd)) {
        edit.SetText(OpenDialog1.FileName);
    }
}

void TForm2::rg1aClick(TDialogControl& Sender) {
    TRadioGroup* const groups[] = {&rg1a, &rg1b, &rg2a, &rg2b};
    const char* key = KeyOf(RadioGroupKeys, Sender.Tag);
    if (key == nullptr) {
        return;
    }
    auto& sender = static_cast<TRadioGroup&>(Sender);
    // Tags 1 and 2 are one set, 3 and 4 the other.
    TRadioGroup& partner = *groups[(Sender.Tag - 1) ^ 1];
    if (const auto moved = PartnerAlignment(sender.ItemIndex(), partner.ItemIndex())) {
        partner.SetItemIndex(*moved);
    }
    WriteInteger(key, sender.ItemIndex());
}

void TForm2::ClockPosClick(TDialogControl& /*Sender*/) {
    WriteInteger("ClockAlign", ClockPos.ItemIndex());
}

void TForm2::ScrollSongClick(TDialogControl& /*Sender*/) {
    WriteInteger("TitleScroll", ScrollSong.ItemIndex());
}

void TForm2::UpdatePaintBox() {
    if (PaintBox1.Handle() == nullptr) {
        return;
    }
    WindowDc dc(PaintBox1.Handle());
    PaintOrigin(dc.Get());
}

void TForm2::PaintOrigin(HDC dc) {
    // One pixel of the preview is one per cent of the screen.
    RECT all{};
    GetClientRect(PaintBox1.Handle(), &all);
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    // A number still being typed may lie far outside the box; held just beyond its edges, the
    // cross stays out of sight there and its arms cannot overflow.
    const int x = std::clamp(SpinEditX.Value(), -4, static_cast<int>(all.right) + 4);
    const int y = std::clamp(SpinEditY.Value(), -4, static_cast<int>(all.bottom) + 4);
    UniqueGdiObject pen(CreatePen(PS_SOLID, 1, RGB(255, 0, 0)));
    SelectGuard select(dc, pen.Get());
    MoveToEx(dc, x, y - 3, nullptr);
    LineTo(dc, x, y + 4);
    MoveToEx(dc, x - 3, y, nullptr);
    LineTo(dc, x + 4, y);
}

void TForm2::PaintBox1MouseDown(int x, int y) {
    SpinEditX.SetValue(x);
    SpinEditY.SetValue(y);
}

// Writes go to the file the current activation opened; once the dialog has closed there is none,
// and a control that still changes on the way out writes nothing.
void TForm2::WriteInteger(const char* key, int value) {
    if (Ini) {
        WriteSettingsInteger(*Ini, key, value);
    }
}

void TForm2::WriteBoolean(const char* key, bool value) {
    if (Ini) {
        WriteSettingsBoolean(*Ini, key, value);
    }
}

void TForm2::WriteText(const char* key, const std::string& value) {
    if (Ini) {
        WriteSettingsText(*Ini, key, value);
    }
}
