// The whole configuration dialog in one place: every control with its surface, position and
// size in pixels, caption and tag. Positions are relative to the surface (a page, a notebook page,
// a GIF set page) the control lies on. A spin edit's range, step and design value and a list's
// items are those of its key in ConfigRanges, which the release guide prints too.

#include "config/ConfigRanges.h"
#include "config/config.h"
#include "framework/win32/Monitors.h"

namespace {

constexpr TColor Navy = 0x800000;
constexpr TColor Blue = 0xFF0000;

const std::vector<std::string>& ItemsOf(const char* key) {
    static const std::vector<std::string> none;
    const TChoiceList* list = FindChoiceList(key);
    return list != nullptr ? list->Items : none;
}

}  // namespace

struct TForm2::TLayout {
    struct Text {
        TSurface On;
        const char* Caption;
        TBounds Bounds;
        TFontKind Font;
        TColor Color;
    };
    struct Check {
        TCheckBox TForm2::*Control;
        int Id;
        TSurface On;
        const char* Caption;
        TBounds Bounds;
        int Tag;
        bool Bold;  // the "Enabled" boxes, in bold navy
    };
    struct Spin {
        TSpinEdit TForm2::*Control;
        int Id;
        TSurface On;
        TBounds Bounds;
        const char* Key;
        int Tag;
    };
    struct Combo {
        TComboBox TForm2::*Control;
        int Id;
        TSurface On;
        TBounds Bounds;
        const char* Key;
        int Tag;
    };
    struct Colour {
        TColorButton TForm2::*Control;
        int Id;
        TSurface On;
        TBounds Bounds;
        int Tag;
    };
    struct Radio {
        TRadioButton TForm2::*Control;
        int Id;
        TSurface On;
        const char* Caption;
        TBounds Bounds;
        int Tag;
        bool First;
    };
    struct Edit {
        TEdit TForm2::*Control;
        int Id;
        TSurface On;
        TBounds Bounds;
        int Tag;
    };
    struct Browse {
        TSpeedButton TForm2::*Control;
        int Id;
        TSurface On;
        TBounds Bounds;
        int Tag;
    };
    struct Group {
        TRadioGroup TForm2::*Control;
        int Id;
        TSurface On;
        const char* Caption;
        TBounds Bounds;
        int Columns;
        const char* Key;
        int Tag;
        void (TForm2::*Handler)(TDialogControl&);
    };

    static const std::vector<Text> Texts;
    static const std::vector<Check> Checks;
    static const std::vector<Spin> Spins;
    static const std::vector<Combo> Combos;
    static const std::vector<Colour> Colours;
    static const std::vector<Radio> Radios;
    static const std::vector<Edit> Edits;
    static const std::vector<Browse> Browses;
    static const std::vector<Group> Groups;
};

using S = TForm2::TSurface;
using F = TForm2::TFontKind;
namespace Id = Form2Ids;

// The page control sits at (24, 20), 417 x 273; its pages are 409 x 245. The notebook fills the
// lower 198 pixels of "Effects", the GIF sets the lower 204 of "Images".
const std::vector<TForm2::TLayout::Text> TForm2::TLayout::Texts = {
    // Effects, notebook page "Skyburst"
    {S::Skyburst, "Latency (ms):", {8, 14, 100, 14}, F::Normal, clBlack},
    {S::Skyburst, "Gravity:", {8, 46, 100, 14}, F::Normal, clBlack},
    {S::Skyburst, "Max# of Rockets:", {8, 78, 100, 14}, F::Normal, clBlack},
    {S::Skyburst, "Style Variability:", {8, 110, 100, 14}, F::Normal, clBlack},
    {S::Skyburst, "Max# of Patches/Rocket:", {198, 30, 130, 14}, F::Normal, clBlack},
    {S::Skyburst, "Max length of Patches:", {198, 62, 130, 14}, F::Normal, clBlack},
    {S::Skyburst, "Max Explode Energy:", {198, 94, 130, 14}, F::Normal, clBlack},
    // Effects, notebook page "LightSpeed"
    {S::LightSpeed, "Latency (ms):", {8, 14, 100, 14}, F::Normal, clBlack},
    {S::LightSpeed, "No. of Stars:", {8, 46, 100, 14}, F::Normal, clBlack},
    {S::LightSpeed, "Brightness:", {8, 78, 100, 14}, F::Normal, clBlack},
    {S::LightSpeed, "Speed:", {8, 110, 100, 14}, F::Normal, clBlack},
    {S::LightSpeed, "Origin X:", {196, 14, 50, 14}, F::Normal, clBlack},
    {S::LightSpeed, "% of screen width", {310, 14, 96, 14}, F::Normal, clBlack},
    {S::LightSpeed, "Origin Y:", {196, 44, 50, 14}, F::Normal, clBlack},
    {S::LightSpeed, "% of screen height", {310, 44, 96, 14}, F::Normal, clBlack},
    // Spectrums
    {S::Spectrums, "Latency:", {16, 18, 100, 14}, F::Normal, clBlack},
    {S::Spectrums, "ms", {184, 18, 40, 14}, F::Normal, clBlack},
    {S::Spectrums, "Max Height:", {16, 50, 100, 14}, F::Normal, clBlack},
    {S::Spectrums, "pixels", {184, 50, 40, 14}, F::Normal, clBlack},
    {S::Spectrums, "Style:", {16, 82, 100, 14}, F::Normal, clBlack},
    {S::Spectrums, "Enh Block Height:", {110, 118, 92, 14}, F::Normal, clBlack},
    {S::Spectrums, "pixels", {270, 118, 34, 14}, F::Normal, clBlack},
    {S::Spectrums, "Spectrums Color:", {318, 44, 88, 14}, F::Normal, clBlack},
    // VU Meters
    {S::VUMeters, "Latency:", {16, 18, 100, 14}, F::Normal, clBlack},
    {S::VUMeters, "ms", {184, 18, 40, 14}, F::Normal, clBlack},
    {S::VUMeters, "Height:", {16, 50, 100, 14}, F::Normal, clBlack},
    {S::VUMeters, "pixels", {184, 50, 40, 14}, F::Normal, clBlack},
    {S::VUMeters, "Style:", {16, 82, 100, 14}, F::Normal, clBlack},
    {S::VUMeters, "Enh Block Width:", {110, 118, 92, 14}, F::Normal, clBlack},
    {S::VUMeters, "pixels", {270, 118, 34, 14}, F::Normal, clBlack},
    {S::VUMeters, "Segment Width:", {110, 150, 92, 14}, F::Normal, clBlack},
    {S::VUMeters, "pixels", {270, 150, 34, 14}, F::Normal, clBlack},
    {S::VUMeters, "VU Fore-color:", {316, 60, 88, 14}, F::Normal, clBlack},
    {S::VUMeters, "VU Back-color:", {316, 124, 88, 14}, F::Normal, clBlack},
    // Images, GIF sets
    {S::GifSet1, "1", {4, 4, 16, 24}, F::Digit, Blue},
    {S::GifSet1, "Image 1:", {26, 12, 50, 14}, F::Normal, clBlack},
    {S::GifSet1, "Image 2: ", {26, 96, 50, 14}, F::Normal, clBlack},
    {S::GifSet2, "2", {4, 4, 16, 24}, F::Digit, Blue},
    {S::GifSet2, "Image 1:", {26, 12, 50, 14}, F::Normal, clBlack},
    {S::GifSet2, "Image 2: ", {26, 96, 50, 14}, F::Normal, clBlack},
    // Misc.
    {S::Misc, "Background Color:", {16, 50, 100, 14}, F::Normal, clBlack},
    {S::Misc, "Title text color:", {20, 110, 84, 14}, F::Normal, clBlack},
    {S::Misc, "Clock color:", {20, 142, 84, 14}, F::Normal, clBlack},
    // About
    {S::About, "WinAmp Skyburst Plugin Verion 2.21", {16, 14, 377, 18}, F::Heading, Navy},
    {S::About, "Usage:", {16, 48, 100, 14}, F::Normal, clBlack},
    {S::About, "press [Esc] or right-click the mouse to exit", {40, 66, 350, 14}, F::Normal, clBlack},
    {S::About, "press [Spacebar] to toggle image sets", {40, 82, 350, 14}, F::Normal, clBlack},
    {S::About, "[Z] - jump to last song", {40, 116, 170, 14}, F::Normal, Navy},
    {S::About, "[X] - start playing", {40, 132, 170, 14}, F::Normal, Navy},
    {S::About, "[C] - pause/resume", {40, 148, 170, 14}, F::Normal, Navy},
    {S::About, "[V] - stop", {40, 164, 170, 14}, F::Normal, Navy},
    {S::About, "[B] - jump to next song", {40, 180, 170, 14}, F::Normal, Navy},
    {S::About, "[<] - rewind", {220, 116, 170, 14}, F::Normal, Navy},
    {S::About, "[>] - fast forward", {220, 132, 170, 14}, F::Normal, Navy},
    {S::About, "[Up Arrow] - volume up", {220, 148, 170, 14}, F::Normal, Navy},
    {S::About, "[Down Arrow] - volume down", {220, 164, 170, 14}, F::Normal, Navy},
    // Misc., last so that the texts before it keep their numbers
    {S::Misc, "Monitor:", {224, 28, 60, 14}, F::Normal, clBlack},
};

const std::vector<TForm2::TLayout::Check> TForm2::TLayout::Checks = {
    {&TForm2::cb1, Id::cb1, S::Effects, "Enabled", {326, 8, 76, 17}, 1, true},
    {&TForm2::cb2, Id::cb2, S::Spectrums, "Enabled", {326, 8, 76, 17}, 2, true},
    {&TForm2::cb3, Id::cb3, S::VUMeters, "Enabled", {326, 8, 76, 17}, 3, true},
    {&TForm2::cb4, Id::cb4, S::Images, "Enabled", {326, 8, 76, 17}, 4, true},
    {&TForm2::CheckBoxEnhSpect, Id::CheckBoxEnhSpect, S::Spectrums, "Enhanced", {16, 116, 84, 17}, 5, false},
    {&TForm2::CheckBoxEnhVU, Id::CheckBoxEnhVU, S::VUMeters, "Enhanced", {16, 116, 84, 17}, 7, false},
    {&TForm2::CheckBox10, Id::CheckBox10, S::VUMeters, "Border", {16, 180, 84, 17}, 8, false},
    {&TForm2::CheckBox8, Id::CheckBox8, S::VUMeters, "Segmented", {16, 148, 84, 17}, 9, false},
    {&TForm2::cbTitle, Id::cbTitle, S::Misc, "Enabled", {318, 92, 76, 17}, 10, true},
    {&TForm2::cbAlwaysTop, Id::cbAlwaysTop, S::Misc, "Always On Top", {16, 16, 120, 17}, 11, false},
};

const std::vector<TForm2::TLayout::Spin> TForm2::TLayout::Spins = {
    {&TForm2::se1, Id::se1, S::Skyburst, {110, 11, 60, 21}, "SkyburstLatency", 1},
    {&TForm2::se2, Id::se2, S::Spectrums, {118, 15, 60, 21}, "SpectrumsLatency", 2},
    {&TForm2::se3, Id::se3, S::VUMeters, {118, 15, 60, 21}, "vuLatency", 3},
    {&TForm2::seGravity, Id::seGravity, S::Skyburst, {110, 43, 60, 21}, "Gravity", 4},
    {&TForm2::seMaxRocket, Id::seMaxRocket, S::Skyburst, {110, 75, 60, 21}, "MaxRocketNumber", 5},
    {&TForm2::seStyleVar, Id::seStyleVar, S::Skyburst, {110, 107, 60, 21}, "RocketStyleVar", 6},
    {&TForm2::SpinEdit4, Id::SpinEdit4, S::Skyburst, {330, 27, 64, 21}, "MaxRocketPatchNumber", 7},
    {&TForm2::SpinEdit5, Id::SpinEdit5, S::Skyburst, {330, 59, 64, 21}, "MaxRocketPatchLength", 8},
    {&TForm2::SpinEdit1, Id::SpinEdit1, S::Skyburst, {330, 91, 64, 21}, "MaxRocketEnergy", 9},
    {&TForm2::SpinEdit6, Id::SpinEdit6, S::Spectrums, {118, 47, 60, 21}, "MaxSpectrumH", 10},
    {&TForm2::SpinEdit11, Id::SpinEdit11, S::Spectrums, {206, 115, 60, 21}, "BarB", 11},
    {&TForm2::SpinEdit9, Id::SpinEdit9, S::VUMeters, {118, 47, 60, 21}, "vumeterH", 12},
    {&TForm2::SpinEdit12, Id::SpinEdit12, S::VUMeters, {206, 115, 60, 21}, "vuB", 13},
    {&TForm2::seSeg, Id::seSeg, S::VUMeters, {206, 147, 60, 21}, "VUsegW", 14},
    {&TForm2::SpinEdit2, Id::SpinEdit2, S::LightSpeed, {110, 11, 60, 21}, "LightLatency", 15},
    {&TForm2::SpinEdit3, Id::SpinEdit3, S::LightSpeed, {110, 43, 60, 21}, "StarQty", 16},
    {&TForm2::SpinEdit7, Id::SpinEdit7, S::LightSpeed, {110, 75, 60, 21}, "Brightness", 17},
    {&TForm2::SpinEditX, Id::SpinEditX, S::LightSpeed, {248, 11, 56, 21}, "LightCenterX", 18},
    {&TForm2::SpinEditY, Id::SpinEditY, S::LightSpeed, {248, 41, 56, 21}, "LightCenterY", 19},
};

const std::vector<TForm2::TLayout::Combo> TForm2::TLayout::Combos = {
    {&TForm2::ComboBox1, Id::ComboBox1, S::VUMeters, {118, 79, 150, 21}, "vustyle", 1},
    {&TForm2::ComboBox2, Id::ComboBox2, S::Spectrums, {118, 79, 150, 21}, "SpectrumStyle", 2},
    {&TForm2::ComboBox3, Id::ComboBox3, S::LightSpeed, {110, 107, 80, 21}, "LightSpeed", 3},
};

const std::vector<TForm2::TLayout::Colour> TForm2::TLayout::Colours = {
    {&TForm2::ColorButton1, Id::ColorButton1, S::Misc, {120, 42, 87, 29}, 1},
    {&TForm2::ColorButton2, Id::ColorButton2, S::VUMeters, {316, 78, 50, 28}, 2},
    {&TForm2::ColorButton3, Id::ColorButton3, S::VUMeters, {316, 142, 50, 28}, 3},
    {&TForm2::ColorButton4, Id::ColorButton4, S::Spectrums, {340, 64, 38, 107}, 4},
    {&TForm2::ColorButton5, Id::ColorButton5, S::Misc, {108, 136, 55, 25}, 5},
    {&TForm2::ColorButton6, Id::ColorButton6, S::Misc, {108, 104, 55, 25}, 6},
};

const std::vector<TForm2::TLayout::Radio> TForm2::TLayout::Radios = {
    {&TForm2::RbEffect1, Id::RbEffect1, S::Effects, "Skybursts", {12, 6, 120, 17}, 3, true},
    {&TForm2::RbEffect2, Id::RbEffect2, S::Effects, "LightSpeed", {12, 24, 120, 17}, 4, false},
    {&TForm2::RadioButton3, Id::RadioButton3, S::Images, "Default Images", {12, 4, 200, 17}, 1, true},
    {&TForm2::RadioButton4, Id::RadioButton4, S::Images, "User-Defined Animated GIFs", {12, 21, 200, 17}, 2, false},
};

const std::vector<TForm2::TLayout::Edit> TForm2::TLayout::Edits = {
    {&TForm2::Edit1, Id::Edit1, S::GifSet1, {78, 9, 280, 21}, 1},
    {&TForm2::Edit2, Id::Edit2, S::GifSet1, {78, 93, 280, 21}, 2},
    {&TForm2::Edit3, Id::Edit3, S::GifSet2, {78, 9, 280, 21}, 3},
    {&TForm2::Edit4, Id::Edit4, S::GifSet2, {78, 93, 280, 21}, 4},
};

const std::vector<TForm2::TLayout::Browse> TForm2::TLayout::Browses = {
    {&TForm2::SpeedButton1, Id::SpeedButton1, S::GifSet1, {364, 7, 25, 25}, 1},
    {&TForm2::SpeedButton2, Id::SpeedButton2, S::GifSet1, {364, 91, 25, 25}, 2},
    {&TForm2::SpeedButton3, Id::SpeedButton3, S::GifSet2, {364, 7, 25, 25}, 3},
    {&TForm2::SpeedButton4, Id::SpeedButton4, S::GifSet2, {364, 91, 25, 25}, 4},
};

const std::vector<TForm2::TLayout::Group> TForm2::TLayout::Groups = {
    {&TForm2::rg1a,
     Id::rg1a,
     S::GifSet1,
     "Alignment  [ Image 1 ]",
     {26, 34, 364, 54},
     3,
     "GifAlign1A",
     1,
     &TForm2::rg1aClick},
    {&TForm2::rg1b,
     Id::rg1b,
     S::GifSet1,
     "Alignment  [ Image 2 ]",
     {26, 118, 364, 54},
     3,
     "GifAlign1B",
     2,
     &TForm2::rg1aClick},
    {&TForm2::rg2a,
     Id::rg2a,
     S::GifSet2,
     "Alignment  [ Image 1 ]",
     {26, 34, 364, 54},
     3,
     "GifAlign2A",
     3,
     &TForm2::rg1aClick},
    {&TForm2::rg2b,
     Id::rg2b,
     S::GifSet2,
     "Alignment  [ Image 2 ]",
     {26, 118, 364, 54},
     3,
     "GifAlign2B",
     4,
     &TForm2::rg1aClick},
    {&TForm2::ScrollSong,
     Id::ScrollSong,
     S::Misc,
     "Scroll Song Title",
     {180, 112, 212, 118},
     2,
     "TitleScroll",
     0,
     &TForm2::ScrollSongClick},
    {&TForm2::ClockPos, Id::ClockPos, S::Misc, "Timer", {18, 168, 150, 62}, 1, "ClockAlign", 0, &TForm2::ClockPosClick},
};

void TForm2::CreateControls() {
    MakeFonts();
    PageControl1.Create(Hwnd, Id::PageControl1, {24, 20, 417, 273},
                        {"Effects", "Spectrums", "VU Meters", "Images", "Misc.", "About"}, Font(F::Tab));
    PageControl1.TabColor = Navy;
    Register(PageControl1);
    Button4.Create(Hwnd, Id::Button4, "OK", {230, 302, 211, 33}, Font(F::Heading), true);
    Button4.OnClick = [this](TDialogControl& sender) { Button4Click(sender); };
    Register(Button4);

    Notebook1.Create(Surface(S::Effects), Id::Notebook1, {0, 47, 409, 198}, 2);
    pcGIF.Create(Surface(S::Images), Id::pcGIF, {0, 41, 409, 204}, {"GIF Set 1", "GIF Set 2"}, Font(F::Normal));
    Register(pcGIF);
    // The origin preview: a white panel with a thin lowered bevel around the paint box.
    Panel1.UseFaceColor = false;
    Panel1.Color = clWhite;
    Panel1.Create(Surface(S::LightSpeed), Id::Panel1, {248, 72, 100, 100}, WS_EX_STATICEDGE, true);
    PaintBox1.UseFaceColor = false;
    PaintBox1.Color = clWhite;
    PaintBox1.Create(Panel1.Handle(), Id::PaintBox1, {0, 0, 98, 98}, 0, true);
    PaintBox1.OnPaint = [this](HDC dc) { PaintOrigin(dc); };
    PaintBox1.OnMouseDown = [this](int x, int y) { PaintBox1MouseDown(x, y); };

    // Made kind by kind; OrderTabStops puts them in the pages' order afterwards.
    for (const auto& r : TLayout::Radios) {
        TRadioButton& control = this->*r.Control;
        control.Create(Surface(r.On), r.Id, r.Caption, r.Bounds, Font(F::Normal), r.First);
        control.Tag = r.Tag;
        control.Siblings = r.On == S::Effects ? &EffectRadios : &ImageRadios;
        control.Siblings->push_back(&control);
        Register(control);
    }
    RbEffect1.SetChecked(true);
    for (const auto& c : TLayout::Checks) {
        TCheckBox& control = this->*c.Control;
        control.Create(Surface(c.On), c.Id, c.Caption, c.Bounds, Font(c.Bold ? F::Bold : F::Normal));
        control.Tag = c.Tag;
        control.FontColor = c.Bold ? Navy : clBlack;
        if (c.Bold) {
            control.DrawUnthemed();
        }
        Register(control);
    }
    for (const auto& s : TLayout::Spins) {
        TSpinEdit& control = this->*s.Control;
        control.Create(Surface(s.On), s.Id, s.Bounds, Font(F::Normal));
        if (const TSpinRange* range = FindSpinRange(s.Key)) {
            control.MinValue = range->Min;
            control.MaxValue = range->Max;
            control.Increment = range->Step;
            control.SetValue(range->Design);
        }
        control.Tag = s.Tag;
        Register(control);
    }
    for (const auto& c : TLayout::Combos) {
        TComboBox& control = this->*c.Control;
        control.Create(Surface(c.On), c.Id, c.Bounds, ItemsOf(c.Key), Font(F::Normal));
        control.Tag = c.Tag;
        Register(control);
    }
    {
        // The sizes the display would cover: physical pixels, whatever scale the host runs at.
        const TPerMonitorDpiScope perMonitor;
        const std::vector<TRect> monitors = SystemMonitors(nullptr).Rects;
        MonitorCount = static_cast<int>(monitors.size());
        // In the free corner of "Misc.", right of the background colour.
        ComboBox4.Create(Surface(S::Misc), Id::ComboBox4, {224, 46, 170, 21}, MonitorChoiceItems(monitors),
                         Font(F::Normal));
        ComboBox4.Tag = 4;
        Register(ComboBox4);
    }
    for (const auto& c : TLayout::Colours) {
        TColorButton& control = this->*c.Control;
        control.Create(Surface(c.On), c.Id, c.Bounds);
        control.Tag = c.Tag;
        Register(control);
    }
    for (const auto& e : TLayout::Edits) {
        TEdit& control = this->*e.Control;
        control.Create(Surface(e.On), e.Id, e.Bounds, Font(F::Normal));
        control.Tag = e.Tag;
        Register(control);
    }
    for (const auto& b : TLayout::Browses) {
        TSpeedButton& control = this->*b.Control;
        control.Create(Surface(b.On), b.Id, b.Bounds);
        control.Tag = b.Tag;
        Register(control);
    }
    for (const auto& g : TLayout::Groups) {
        TRadioGroup& control = this->*g.Control;
        control.Create(Surface(g.On), g.Id, g.Caption, g.Bounds, ItemsOf(g.Key), g.Columns, Font(F::Normal));
        control.Tag = g.Tag;
        const auto handler = g.Handler;
        control.OnClick = [this, handler](TDialogControl& sender) { (this->*handler)(sender); };
        Register(control);
    }
    GroupBox1.Create(Surface(S::Skyburst), Id::GroupBox1, "Skyburst Patches", {190, 6, 212, 124}, Font(F::Normal));
    GroupBox2.Create(Surface(S::Misc), Id::GroupBox2, "Title Bar", {8, 82, 393, 156}, Font(F::Bold));
    for (const auto& t : TLayout::Texts) {
        AddText(t.On, t.Caption, t.Bounds, t.Font, t.Color);
    }

    // The events are wired once the design values are in, as a loaded form's would be.
    for (const auto& c : TLayout::Checks) {
        (this->*c.Control).OnClick = [this](TDialogControl& sender) { cb1Click(sender); };
    }
    for (const auto& s : TLayout::Spins) {
        (this->*s.Control).OnChange = [this](TDialogControl& sender) { se1Change(sender); };
    }
    for (TComboBox* combo : {&ComboBox1, &ComboBox2, &ComboBox3, &ComboBox4}) {
        combo->OnChange = [this](TDialogControl& sender) { ComboBox2Change(sender); };
    }
    for (const auto& c : TLayout::Colours) {
        (this->*c.Control).OnClick = [this](TDialogControl& sender) { ColorButton4Click(sender); };
        (this->*c.Control).OnColorChange = [this](TDialogControl& sender) { ColorButton1ColorChange(sender); };
    }
    for (const auto& r : TLayout::Radios) {
        (this->*r.Control).OnClick = [this](TDialogControl& sender) { RadioButton3Click(sender); };
    }
    for (const auto& e : TLayout::Edits) {
        (this->*e.Control).OnChange = [this](TDialogControl& sender) { Edit1Change(sender); };
    }
    for (const auto& b : TLayout::Browses) {
        (this->*b.Control).OnClick = [this](TDialogControl& sender) { SpeedButton1Click(sender); };
    }
    OpenDialog1.Filter = "CompuServe GIF Image (*.gif)|*.gif";
    OpenDialog1.Preview = &GifPreview;
    OrderTabStops();
}

void TForm2::OrderTabStops() {
    // Tab and arrow keys follow the stacking order: each surface's controls are stacked top to
    // bottom as its page lists them. Frames stay at the bottom, below what they hold.
    TDialogControl* const order[] = {
        &cb1,          &RbEffect1,    &RbEffect2,    &se1,          &seGravity,    &seMaxRocket,  &seStyleVar,
        &SpinEdit4,    &SpinEdit5,    &SpinEdit1,    &SpinEdit2,    &SpinEdit3,    &SpinEdit7,    &ComboBox3,
        &SpinEditX,    &SpinEditY,    &cb2,          &se2,          &SpinEdit6,    &ComboBox2,    &CheckBoxEnhSpect,
        &SpinEdit11,   &ColorButton4, &cb3,          &se3,          &SpinEdit9,    &ComboBox1,    &CheckBoxEnhVU,
        &SpinEdit12,   &CheckBox8,    &seSeg,        &CheckBox10,   &ColorButton2, &ColorButton3, &cb4,
        &RadioButton3, &RadioButton4, &Edit1,        &SpeedButton1, &rg1a,         &Edit2,        &SpeedButton2,
        &rg1b,         &Edit3,        &SpeedButton3, &rg2a,         &Edit4,        &SpeedButton4, &rg2b,
        &cbAlwaysTop,  &ColorButton1, &ComboBox4,    &cbTitle,      &ColorButton6, &ColorButton5, &ScrollSong,
        &ClockPos,
    };
    HWND surface = nullptr;
    HWND above = HWND_TOP;
    for (TDialogControl* control : order) {
        HWND parent = GetParent(control->Handle());
        if (parent != surface) {
            surface = parent;
            above = HWND_TOP;
        }
        const bool framed = dynamic_cast<TRadioGroup*>(control) != nullptr;
        for (const int id : control->Ids()) {
            HWND window = GetDlgItem(parent, id);
            if (window == nullptr || (framed && id == control->Id())) {
                continue;
            }
            SetWindowPos(window, above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            above = window;
        }
    }
}

void TForm2::MakeFonts() {
    struct TFontLook {
        int Height;
        int Weight;
    };
    const TFontLook looks[] = {{11, FW_NORMAL}, {11, FW_BOLD}, {13, FW_BOLD}, {13, FW_NORMAL}, {19, FW_NORMAL}};
    for (std::size_t i = 0; i < std::size(looks); ++i) {
        Fonts[i].Reset(CreateFontA(-looks[i].Height, 0, 0, 0, looks[i].Weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                                   "MS Sans Serif"));
    }
}

HFONT TForm2::Font(TFontKind kind) const {
    return static_cast<HFONT>(Fonts[static_cast<int>(kind)].Get());
}

HWND TForm2::Surface(TSurface surface) const {
    switch (surface) {
        case S::Form:
            return Hwnd;
        case S::Effects:
        case S::Spectrums:
        case S::VUMeters:
        case S::Images:
        case S::Misc:
        case S::About:
            return PageControl1.Page(static_cast<int>(surface) - static_cast<int>(S::Effects));
        case S::Skyburst:
            return Notebook1.Page(0);
        case S::LightSpeed:
            return Notebook1.Page(1);
        case S::GifSet1:
            return pcGIF.Page(0);
        case S::GifSet2:
            return pcGIF.Page(1);
        case S::Preview:
            return PaintBox1.Handle();
    }
    return Hwnd;
}

void TForm2::AddText(TSurface on, const char* text, const TBounds& bounds, TFontKind font, TColor color) {
    auto label = std::make_unique<TStaticText>();
    label->Create(Surface(on), NextTextId++, text, bounds, Font(font));
    label->FontColor = color;
    Register(*label);
    Texts.push_back(std::move(label));
}

void TForm2::Register(TDialogControl& control) {
    for (const int id : control.Ids()) {
        Controls[id] = &control;
    }
}
