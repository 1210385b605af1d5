#include "display/MainForm.h"

#include <algorithm>

#include "display/PlayerRequests.h"
#include "display/RenderHook.h"
#include "displaystate/BandLayout.h"
#include "effects/LightThread.h"
#include "effects/RocketThread.h"
#include "effects/SpectrumThread.h"
#include "effects/vumeterThread.h"
#include "framework/win32/Application.h"
#include "framework/win32/Messages.h"
#include "framework/win32/Monitors.h"
#include "settings/VisSettings.h"

namespace {

constexpr int HintPanelHeight = 18;
constexpr int TitlePanelHeight = 16;
constexpr UINT_PTR Timer1Id = 1;
constexpr UINT Timer1Interval = 100;
constexpr TColor clGreen = RGBColor(0, 128, 0);
constexpr int ClockMargin = 20;
// Older SDK headers lack the message of a monitor's scale change.
#ifndef WM_DPICHANGED
constexpr UINT WM_DPICHANGED = 0x02E0;
#endif

}  // namespace

TForm1::~TForm1() {
    Shutdown();
}

bool TForm1::Create() {
    // Made per-monitor aware, the window covers its monitor's physical pixels and the system does
    // not stretch it on a scaled monitor; the monitor is measured in the same pixels, and the
    // layout below is computed from them as at 100 %. The host's thread gets its own awareness
    // back on return, so its windows are made as before.
    const TPerMonitorDpiScope perMonitor;
    Monitor = DisplayMonitorRect(Application().Handle, VisSettings().Monitor);
    const DWORD exStyle = VisSettings().AlwaysTop ? WS_EX_TOPMOST : 0;
    if (!CreateTopLevel(WS_POPUP | WS_CLIPCHILDREN, exStyle, {Monitor.Left, Monitor.Top, Monitor.Right, Monitor.Bottom},
                        Application().Handle, "Skyburst")) {
        return false;
    }
    const HWND form = Handle();
    const RECT none{0, 0, 0, 0};
    if (!MainPanel.CreateChild(form, none, true) || !vuPanel.CreateChild(form, none, true) ||
        !TitlePanel.CreateChild(form, none, true) || !HintPanel.CreateChild(MainPanel.Handle(), none, false) ||
        !HintLabel.CreateChild(HintPanel.Handle(), none, true) || !mainPaintbox.Create(MainPanel.Handle(), none) ||
        !vuPaintbox.Create(vuPanel.Handle(), none) || !TimeLabel.CreateChild(TitlePanel.Handle(), none, true) ||
        !titlelabel.Create(TitlePanel)) {
        titlelabel.Destroy();
        Destroy();
        return false;
    }
    const auto mouseUp = [this](TMouseButton button, int x, int y) { FormMouseUp(button, x, y); };
    // The images lie on the main paint box: a release over one of them is the image's, not the box's.
    mainPaintbox.OnMouseUpHandler = [this](TMouseButton button, int x, int y) {
        if (!Overlays.Covers(x, y)) {
            FormMouseUp(button, x, y);
        }
    };
    vuPaintbox.OnMouseUpHandler = mouseUp;
    TimeLabel.OnMouseUpHandler = mouseUp;
    mainPaintbox.OnPaintHandler = [this] { mainPaintboxPaint(); };
    vuPaintbox.OnPaintHandler = [this] { vuPaintboxPaint(); };
    HintPanel.RaisedBevel = true;
    HintPanel.Color = GetSysColor(COLOR_BTNFACE);
    HintLabel.Color = HintPanel.Color;
    HintLabel.Font = TFont{"Arial", 11, true, clBlack};
    TimeLabel.Font = TFont{"MS Sans Serif", 13, true, clBlack};
    titlelabel.SetSteps(30);
    titlelabel.SetSpeed(100);
    titlelabel.SetContinuous(true);
    titlelabel.SetAlignment(taCenter);
    titlelabel.SetFont(TFont{"Arial", 13, false, clGreen});
    titlelabel.SetItems({"ScrollText"});
    titlelabel.SetScrollDirection(sdStatic);
    titlelabel.OnEnd = [this](TCustomScrollText& sender) { titlelabelEnd(sender); };
    // The images lie on the main paint box's surface, under the renderers' drawing; without their timer
    // windows they still show their first frames.
    (void)GIFHost1.Attach(mainPaintbox.Handle(), mainPaintbox.Canvas(), &GIFImage1);
    (void)GIFHost2.Attach(mainPaintbox.Handle(), mainPaintbox.Canvas(), &GIFImage2);
    for (TGIFImagX* image : {&GIFImage1, &GIFImage2}) {
        image->SetAnimate(true);
        image->SetAutoSize(true);
        image->SetLoop(true);
    }
    HandOver = std::make_shared<TWindowHandOver>();
    Renderers = std::make_unique<TRenderers>(HandOver);
    // A visit for one renderer's frame also draws the others' frames that are about due.
    HandOver->SetOnVisit([this] { RunDueWork(); });
    // Every window starts a fresh display: its renderers start at its own first render, whatever
    // an earlier window of this library did.
    DisplayState() = TDisplayState{};
    FormCreate();
    return true;
}

void TForm1::FormCreate() {
    const TVisSettings& s = VisSettings();
    TDisplayState& state = DisplayState();
    const int width = ClientWidth();
    const int height = ClientHeight();

    // Strip heights come from plugin.ini: hold them inside the screen so no panel gets a
    // negative or overflowing size.
    const int titleHeight = s.TitleEnabled ? TitlePanelHeight : 0;
    const int vuHeight = s.vuEnabled ? std::clamp(s.vumeterH, 0, std::max(height - titleHeight, 0)) : 0;
    const int mainHeight = std::max(height - titleHeight - vuHeight, 0);

    MainPanel.SetBounds(0, 0, width, mainHeight);
    vuPanel.SetBounds(0, mainHeight, width, vuHeight);
    TitlePanel.SetBounds(0, height - titleHeight, width, titleHeight);
    HintPanel.SetBounds(0, 0, width, HintPanelHeight);
    HintLabel.SetBounds(0, 0, width, HintPanelHeight);
    vuPaintbox.SetBounds(0, 0, width, vuHeight);

    MainPanel.Color = s.Background;
    vuPanel.Color = s.Background;
    TitlePanel.Color = s.Background;
    TimeLabel.Color = s.Background;
    titlelabel.SetColor(s.Background);

    MainPanelWidth = width;
    state.MainPanelRight = width - 1;
    SetupTitleStrip();
    if (s.vuEnabled) {
        PaintVUFrame();
    }
    state.MainPanelHeight = mainHeight;
    PlaceMainPaintbox();
    // Every window starts with set 1, whatever a previous run of the library left.
    ImageSet = 1;
    if (s.ImageEnabled) {
        if (s.LoadGif == "Default") {
            LoadDefaultImages(1);
        } else {
            LoadUserImages(s.UserGif1A, s.GifAlign1A, s.GifAlign1B, s.UserGif1B);
        }
    } else {
        // Both go: image 2 keeps its creation width otherwise, and the bands would leave room
        // for it at the bottom.
        for (TGIFImagX* image : {&GIFImage1, &GIFImage2}) {
            image->SetWidth(0);
            image->SetHeight(0);
        }
    }
    LayoutSpectrum();
    if (s.SpectrumStyle > 0 && s.SpectrumsEnabled) {
        BuildSpectrumBitmap();
    }
}

void TForm1::SetupTitleStrip() {
    const TVisSettings& s = VisSettings();
    TitleMode = TitleModeUnknown;
    if (!s.TitleEnabled) {
        titlelabel.SetScrollDirection(sdStatic);
        TitlePanel.SetVisible(false);
        return;
    }
    TimeLabel.Font.Bold = true;
    TimeLabel.Font.Color = s.ClockColor;
    int clockWidth = 0;
    {
        WindowDc dc(TimeLabel.Handle());
        TGdiCanvas canvas(dc.Get(), 0, 0);
        canvas.Font = TimeLabel.Font;
        clockWidth = canvas.TextWidth("88:88") + ClockMargin;
    }
    const int width = TitlePanel.ClientWidth();
    clockWidth = std::clamp(clockWidth, 0, width);
    const int height = TitlePanel.ClientHeight();
    if (ClockOnLeft(s.ClockAlign)) {
        TimeLabel.SetBounds(0, 0, clockWidth, height);
        titlelabel.SetBounds(clockWidth, 0, width - clockWidth, height);
    } else {
        TimeLabel.SetBounds(width - clockWidth, 0, clockWidth, height);
        titlelabel.SetBounds(0, 0, width - clockWidth, height);
    }
    SharedRandom().Reseed();
    titlelabel.SetFontColor(s.TitleColor);
    const int direction = TitleDirection(s.TitleScroll, SharedRandom());
    titlelabel.SetScrollDirection(static_cast<TScrollDirection>(direction));
    titlelabel.SetSteps(TitleSteps(direction));
}

TOverlayArea TForm1::OverlayArea() const {
    return {DisplayState().MainPanelRight, DisplayState().MainPanelHeight, MainPaintboxTop};
}

void TForm1::LoadDefaultImages(int SetNumber) {
    Overlays.LoadDefaultImages(SetNumber, OverlayArea());
}

void TForm1::LoadUserImages(const std::string& FileA, int AlignA, int AlignB, const std::string& FileB) {
    Overlays.LoadUserImages(FileA, AlignA, AlignB, FileB, OverlayArea());
}

void TForm1::NextImageSet() {
    const TVisSettings& s = VisSettings();
    if (!s.ImageEnabled) {
        return;
    }
    ImageSet = Overlays.NextSet(ImageSet, s, OverlayArea());
    // The bands make room for the new set; their ramp follows the band width.
    LayoutSpectrum();
    if (s.SpectrumStyle > 0) {
        DisplayState().SpectrumBitmap.reset();
        BuildSpectrumBitmap();
    }
    PaintMain();
    mainPaintbox.Invalidate();
}

void TForm1::Show() {
    ShowWindow(Handle(), SW_SHOW);
    SetForegroundWindow(Handle());
    SetFocus(Handle());
    // Paint every control now, before the renderers start: a first paint arriving later would
    // wipe bars that a steady signal never redraws.
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void TForm1::OnShow(bool shown) {
    if (shown) {
        FormShow();
    } else {
        FormHide();
    }
}

void TForm1::FormShow() {
    if (!CursorHidden) {
        ShowCursor(FALSE);
        CursorHidden = true;
    }
    PaintMain();
}

void TForm1::FormHide() {
    if (CursorHidden) {
        ShowCursor(TRUE);
        CursorHidden = false;
    }
}

bool TForm1::OnClose() {
    FormClose();
    // The window is hidden, not destroyed, when it closes.
    ShowWindow(Handle(), SW_HIDE);
    FormHide();
    return false;
}

void TForm1::FormClose() {
    // The renderers draw with the ramps and on a window about to be hidden: they end first.
    if (Renderers) {
        Renderers->StopAndWait();
    }
    ReleaseRamps();
    Application().Terminate();
}

void TForm1::ReleaseRamps() {
    DisplayState().SpectrumBitmap.reset();
    DisplayState().VUBitmap.reset();
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // A close waiting for the renderers, a render waiting for the player, or any system call that
    // reads the messages other threads send to this one: a shutdown met inside such a call would
    // free the renderers and the hand-over under it, and its sender, told it is done, would let
    // the host unload us while the call still runs. It is refused while any call of ours is in
    // progress beneath this message; the sender asks again until they are over.
    if (message == WM_APP_SHUTDOWN_FORM && TCallScope::InProgress() > 1) {
        return ShutdownFormBusy;
    }
    switch (message) {
        case WM_APP_SHUTDOWN_FORM:
            // The window goes inside its own message: nothing of TWindow may run after this.
            Shutdown();
            return ShutdownFormDone;
        case WM_DPICHANGED:
            // Text keeps its pixel sizes at any scaling: the window only keeps to its monitor,
            // whatever rectangle the system suggests for the new scale.
            SetWindowPos(Handle(), nullptr, Monitor.Left, Monitor.Top, Monitor.Width(), Monitor.Height(),
                         SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        default:
            return TWindow::HandleMessage(message, wParam, lParam);
    }
}

bool TForm1::OnEraseBackground(HDC /*dc*/) {
    return true;  // the panels cover the whole form
}

void TForm1::OnTimer(UINT_PTR id) {
    if (id == Timer1Id) {
        Timer1Timer();
    }
}

void TForm1::Timer1Timer() {
    if (HintTimerTick(KeyState(), static_cast<int>(Timer1Interval))) {
        HideHint();
    }
    // Its ticks do nothing until the next timed hint, and each would wake the thread.
    if (!KeyState().HintTiming) {
        Timer1.Reset();
    }
}

void TForm1::ShowHints(const std::string& text, TColor color, int duration) {
    HintLabel.Font.Color = color;
    HintLabel.SetText(text);
    HintLabel.Invalidate();
    if (!HintVisible) {
        HintVisible = true;
        HintPanel.SetVisible(true);
        PlaceMainPaintbox();
    }
    StartHintCountdown(KeyState(), duration);
    // The timer runs while a hint counts down: one that is running keeps its pace.
    if (KeyState().HintTiming && !Timer1.Active()) {
        Timer1 = UniqueTimer(Handle(), Timer1Id, Timer1Interval);
    }
}

void TForm1::HideHint() {
    HintLabel.SetText("");
    if (HintVisible) {
        HintVisible = false;
        HintPanel.SetVisible(false);
        PlaceMainPaintbox();
    }
}

void TForm1::PlaceMainPaintbox() {
    // The hint strip takes the top of the main area while it shows.
    const int top = HintVisible ? HintPanelHeight : 0;
    // The images are drawn on the paint box but keep their place in the main area: a top image goes
    // under the hint strip, a bottom one still ends at the area's bottom edge.
    const int shift = top - MainPaintboxTop;
    MainPaintboxTop = top;
    if (shift != 0) {
        for (TGIFImagX* image : {&GIFImage1, &GIFImage2}) {
            image->SetBounds(image->Left(), image->Top() - shift, image->Width(), image->Height());
        }
    }
    mainPaintbox.SetBounds(0, top, MainPanelWidth, DisplayState().MainPanelHeight - top);
}

void TForm1::RenderFrame(const winampVisModule& module) {
    if (Handle() == nullptr) {
        return;  // shut down (a render may still arrive while another thread ends the display)
    }
    const TCallScope call;
    const TVisSettings& s = VisSettings();
    TDisplayState& state = DisplayState();
    ReduceSpectrum(module.spectrumData, state.MainPanelRight, s.vuB, s.MaxSpectrumH, state.BandHeights, state.VULevels);
    if (state.FirstRender && Renderers) {
        StartRenderers();
    }
    state.FirstRender = false;
    // The renderers' waiting frames are drawn now, on this thread, with the bands just set: no
    // wake of the window thread is needed for them. Before the player's requests, which may
    // wait for the player's own thread.
    if (HandOver) {
        HandOver->DrainAwake();
    }
    // So are the frames about due: the thread is awake for this render anyway.
    if (Renderers) {
        Renderers->NoteRender();
    }
    RunDueWork();
    PlayerWindow = static_cast<HWND>(module.hwndParent);
    RefreshSongInfo();
}

void TForm1::RunDueWork() {
    if (Renderers) {
        Renderers->DrawDue();
    }
    // While renderers run, their frames bring the thread back here or to a visit within a latency.
    TTimer::RunDue(Renderers && Renderers->AnyRunning() ? TTimer::TNextRunDue::WithinSlack
                                                        : TTimer::TNextRunDue::Unknown);
}

void TForm1::QueueRender(const winampVisModule& module) {
    if (!RenderInbox.Put(module)) {
        return;  // a request to render is queued already: it takes this frame
    }
    if (!HandOver || !HandOver->Post([this] { RenderQueuedFrame(); })) {
        RenderInbox.Discard();  // closed: the display is ending
    }
}

void TForm1::RenderQueuedFrame() {
    // Only the latest frame counts: the host's record may have changed many times since.
    winampVisModule frame{};
    if (!RenderInbox.Take(frame)) {
        return;
    }
    // Not while the renderers are stopped for good: the display is closing, and a render would
    // start them again or wait for the player.
    if (Renderers && Renderers->Stopping()) {
        return;
    }
    RenderFrame(frame);
}

void TForm1::RefreshSongInfo() {
    if (!VisSettings().TitleEnabled) {
        return;
    }
    TPlayerWindowRequests player(PlayerWindow);
    const TSongInfoUpdate update = ::RefreshSongInfo(player, TitleMode, LastSeconds(), JoinLines(titlelabel.Items()));
    if (update.Title) {
        // Replaced in place: the text keeps its position in the pass.
        titlelabel.Items() = {*update.Title};
        titlelabel.InvalidateControl();
    }
    if (update.Clock) {
        TimeLabel.SetText(*update.Clock);
    }
}

void TForm1::ResetTitleScroll() {
    const TVisSettings& s = VisSettings();
    if (!s.TitleEnabled) {
        return;
    }
    const int direction = TitleDirection(s.TitleScroll, SharedRandom());
    titlelabel.SetScrollDirection(static_cast<TScrollDirection>(direction));
    titlelabel.SetSteps(TitleSteps(direction));
}

void TForm1::FreezeTitle() {
    titlelabel.SetScrollDirection(sdStatic);
    titlelabel.InvalidateControl();
}

void TForm1::titlelabelEnd(TCustomScrollText& sender) {
    if (VisSettings().TitleScroll < 5) {
        return;
    }
    const int direction = NextTitleDirection(sender.ScrollDirection(), SharedRandom());
    sender.SetSteps(TitleSteps(direction));
    sender.SetScrollDirection(static_cast<TScrollDirection>(direction));
}

void TForm1::StartRenderers() {
    const TVisSettings& s = VisSettings();
    const auto stopAll = [this](TThread* /*sender*/) { StopAll(); };
    if (!Renderers->IsRunning(TRendererSlot::VUMeterThread) && s.vuEnabled) {
        Renderers->Start(TRendererSlot::VUMeterThread, std::make_unique<TvumeterThr>(vuPaintbox.Canvas()), stopAll);
    }
    if (!Renderers->IsRunning(TRendererSlot::SpectrumBarsThread) && s.SpectrumsEnabled) {
        Renderers->Start(TRendererSlot::SpectrumBarsThread, std::make_unique<TSpectrumThr>(mainPaintbox.Canvas()),
                         stopAll);
    }
    if (!Renderers->IsRunning(TRendererSlot::EffectThread) && s.EffectEnabled) {
        std::unique_ptr<TEffectThread> effect;
        if (s.Effect == 0) {
            effect = std::make_unique<TRocketThr>(mainPaintbox.Canvas());
        } else {
            effect = std::make_unique<TLightSpeed>(mainPaintbox.Canvas());
        }
        Renderers->Start(TRendererSlot::EffectThread, std::move(effect), stopAll);
    }
}

void TForm1::StopAll() {
    if (Renderers) {
        Renderers->RequestStopAll();
    }
    Application().Terminate();
}

bool TForm1::FormKeyDown(int key) {
    // Both stages see every key; the character is the one the key gives without modifiers, so
    // Shift, Ctrl or Alt with a letter acts as the letter.
    const TKeyResponse byKey = VirtualKeyCommand(key);
    RunKeyResponse(byKey);
    const int character = static_cast<int>(MapVirtualKeyA(static_cast<UINT>(key), MAPVK_VK_TO_CHAR) & 0xFF);
    const TKeyResponse byCharacter = CharacterCommand(character, KeyState());
    RunKeyResponse(byCharacter);
    return !byKey.Empty() || !byCharacter.Empty();
}

void TForm1::RunKeyResponse(const TKeyResponse& r) {
    const TVisSettings& s = VisSettings();
    if (r.EndDisplay) {
        StopAll();
        Application().Terminate();
        return;
    }
    if (r.StepImages) {
        NextImageSet();
    }
    if (r.Command != 0) {
        PostCommand(r.Command);
    }
    if (r.RefreshSongInfo) {
        RefreshSongInfo();
    }
    if (r.HideHint) {
        HideHint();
    }
    if (r.Hint) {
        ShowHints(r.Hint->Text, r.Hint->Color, r.Hint->Duration);
    }
    if (r.Title == TTitleAction::Reset) {
        ResetTitleScroll();
    } else if (r.Title == TTitleAction::Freeze && s.TitleEnabled) {
        FreezeTitle();
    }
}

void TForm1::PostCommand(int command) {
    // Before the first render there is no player window to command.
    if (PlayerWindow != nullptr) {
        PostMessageA(PlayerWindow, WM_COMMAND, static_cast<WPARAM>(command), 0);
    }
}

void TForm1::FormMouseUp(TMouseButton button, int /*x*/, int /*y*/) {
    if (button == TMouseButton::Right) {
        StopAll();
        Application().Terminate();
    }
}

void TForm1::mainPaintboxPaint() {
    PaintMain();
    // The images lie over the paint box: they paint after it, over what it has just painted.
    GIFHost1.PaintMessage();
    GIFHost2.PaintMessage();
}

void TForm1::vuPaintboxPaint() {
    if (VisSettings().vuEnabled) {
        PaintVUFrame();
    }
}

void TForm1::PaintMain() {
    if (TCanvas* canvas = mainPaintbox.Canvas()) {
        ::PaintMain(*canvas, MainPanelWidth, DisplayState().MainPanelHeight, DisplayState(), VisSettings());
        canvas->Present();
    }
}

void TForm1::PaintVUFrame() {
    if (TCanvas* canvas = vuPaintbox.Canvas()) {
        ::PaintVUFrame(*canvas, DisplayState(), VisSettings(), vuPanel.ClientHeight());
        canvas->Present();
    }
}

void TForm1::LayoutSpectrum() {
    ::LayoutSpectrum(DisplayState(), VisSettings(), ImageSet, GIFImage1.Width(), GIFImage2.Width());
}

void TForm1::BuildSpectrumBitmap() {
    if (TCanvas* canvas = mainPaintbox.Canvas()) {
        ::BuildSpectrumBitmap(DisplayState(), VisSettings(), *canvas);
    }
}

void TForm1::BuildVUBitmap() {
    if (TCanvas* canvas = vuPaintbox.Canvas()) {
        ::BuildVUBitmap(DisplayState(), VisSettings(), *canvas, vuPanel.ClientHeight());
    }
}

void TForm1::Shutdown() {
    if (Handle() == nullptr) {
        return;
    }
    // Nothing of a renderer may run once the form is gone: stop them and wait, serving their
    // pending frames meanwhile.
    if (Renderers) {
        Renderers->StopAndWait();
        Renderers.reset();
    }
    if (HandOver) {
        HandOver->Close();
    }
    Timer1.Reset();
    titlelabel.Destroy();
    FormHide();
    ReleaseRamps();
    // The images' timers stop before the surface they draw on goes.
    GIFHost1.Detach();
    GIFHost2.Detach();
    // Children first: their canvases hold DCs of windows about to go.
    mainPaintbox.DestroyBox();
    vuPaintbox.DestroyBox();
    Destroy();
}
