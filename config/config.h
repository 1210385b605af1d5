#pragma once
// TForm2: the configuration dialog. Every control writes its key of plugin.ini the moment it
// changes; the dialog keeps no state of its own beyond its controls.

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "config/GifPreview.h"
#include "framework/win32/ColorButton.h"
#include "framework/win32/DialogControls.h"
#include "framework/win32/Handles.h"
#include "framework/win32/OpenPictureDialog.h"
#include "framework/win32/SpinEdit.h"
#include "settings/VisSettings.h"

// The controls' identifiers carry their names.
namespace Form2Ids {
enum : int {
    PageControl1 = 100,
    Button4,
    cb1,
    RbEffect1,
    RbEffect2,
    Notebook1,
    se1,
    seGravity,
    seMaxRocket,
    seStyleVar,
    SpinEdit4,
    SpinEdit5,
    SpinEdit1,
    SpinEdit2,
    SpinEdit3,
    SpinEdit7,
    ComboBox3,
    SpinEditX,
    SpinEditY,
    Panel1,
    PaintBox1,
    cb2,
    se2,
    SpinEdit6,
    ComboBox2,
    CheckBoxEnhSpect,
    SpinEdit11,
    ColorButton4,
    cb3,
    se3,
    SpinEdit9,
    ComboBox1,
    CheckBoxEnhVU,
    SpinEdit12,
    CheckBox8,
    seSeg,
    CheckBox10,
    ColorButton2,
    ColorButton3,
    cb4,
    RadioButton3,
    RadioButton4,
    pcGIF,
    Edit1,
    SpeedButton1,
    rg1a,
    Edit2,
    SpeedButton2,
    rg1b,
    Edit3,
    SpeedButton3,
    rg2a,
    Edit4,
    SpeedButton4,
    rg2b,
    cbAlwaysTop,
    ColorButton1,
    GroupBox1,
    cbTitle,
    ColorButton6,
    ColorButton5,
    ScrollSong,
    ClockPos,
    GroupBox2,
    ComboBox4,
    FirstLabel = 1000,  // captions and texts, numbered as they are made
};
}  // namespace Form2Ids

constexpr const char* Form2Caption = "Skyburst Plugin - Configuration";
constexpr int Form2ClientWidth = 467;
constexpr int Form2ClientHeight = 343;

class TForm2 {
public:
    TForm2() = default;
    TForm2(const TForm2&) = delete;
    TForm2& operator=(const TForm2&) = delete;

    // Shows the dialog owned by owner and returns when it has closed.
    void ShowModal(HWND owner);
    HWND Handle() const { return Hwnd; }

    // The layout's controls.
    TPageControl PageControl1;
    TButton Button4;
    TCheckBox cb1, cb2, cb3, cb4, CheckBoxEnhSpect, CheckBoxEnhVU, CheckBox10, CheckBox8, cbTitle, cbAlwaysTop;
    TRadioButton RbEffect1, RbEffect2, RadioButton3, RadioButton4;
    TNotebook Notebook1;
    TSpinEdit se1, se2, se3, seGravity, seMaxRocket, seStyleVar, SpinEdit4, SpinEdit5, SpinEdit1, SpinEdit6, SpinEdit11,
        SpinEdit9, SpinEdit12, seSeg, SpinEdit2, SpinEdit3, SpinEdit7, SpinEditX, SpinEditY;
    TComboBox ComboBox1, ComboBox2, ComboBox3;
    TComboBox ComboBox4;  // the monitor the display covers; its items are the system's monitors
    TColorButton ColorButton1, ColorButton2, ColorButton3, ColorButton4, ColorButton5, ColorButton6;
    TPanelWindow Panel1, PaintBox1;
    TPageControl pcGIF;
    TEdit Edit1, Edit2, Edit3, Edit4;
    TSpeedButton SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4;
    TRadioGroup rg1a, rg1b, rg2a, rg2b, ScrollSong, ClockPos;
    TGroupBox GroupBox1, GroupBox2;
    TOpenPictureDialog OpenDialog1;
    TGifPreview GifPreview;  // OpenDialog1's view of the selected file

    // Event handlers.
    void FormActivate();
    void FormClose();
    void Button4Click(TDialogControl& Sender);
    void cb1Click(TDialogControl& Sender);
    void se1Change(TDialogControl& Sender);
    void ComboBox2Change(TDialogControl& Sender);
    void ColorButton4Click(TDialogControl& Sender);
    void ColorButton1ColorChange(TDialogControl& Sender);
    void RadioButton3Click(TDialogControl& Sender);
    void Edit1Change(TDialogControl& Sender);
    void SpeedButton1Click(TDialogControl& Sender);
    void rg1aClick(TDialogControl& Sender);
    void ClockPosClick(TDialogControl& Sender);
    void ScrollSongClick(TDialogControl& Sender);
    void UpdatePaintBox();
    void PaintBox1MouseDown(int x, int y);

    // The layout's vocabulary, in Form2Layout.cpp.
    enum class TFontKind { Normal, Bold, Heading, Tab, Digit };
    enum class TSurface {
        Form,
        Effects,
        Spectrums,
        VUMeters,
        Images,
        Misc,
        About,
        Skyburst,
        LightSpeed,
        GifSet1,
        GifSet2,
        Preview
    };
    struct TLayout;  // the tables that describe every control

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // Makes every control from the layout tables; in Form2Layout.cpp.
    void CreateControls();
    void OrderTabStops();
    void MakeFonts();
    HFONT Font(TFontKind kind) const;
    HWND Surface(TSurface surface) const;
    void Register(TDialogControl& control);
    void AddText(TSurface on, const char* text, const TBounds& bounds, TFontKind font, TColor color);
    // Centred on the monitor that holds the owner, as the host's coordinates measure it.
    void PlaceOnScreen(HWND owner);
    void Close();
    void PaintOrigin(HDC dc);

    void WriteInteger(const char* key, int value);
    void WriteBoolean(const char* key, bool value);
    void WriteText(const char* key, const std::string& value);

    HWND Hwnd = nullptr;
    HWND Owner = nullptr;
    int MonitorCount = 0;                 // the monitors ComboBox4 lists
    std::unique_ptr<TSettingsStore> Ini;  // open while the dialog is, renewed at each activation
    std::map<int, TDialogControl*> Controls;
    std::vector<std::unique_ptr<TStaticText>> Texts;
    std::vector<TRadioButton*> EffectRadios;
    std::vector<TRadioButton*> ImageRadios;
    UniqueGdiObject Fonts[5];
    int NextTextId = Form2Ids::FirstLabel;
};
