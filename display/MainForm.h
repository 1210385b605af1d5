#pragma once
// The full-screen display window: a main drawing area, the VU strip and the title strip. It turns
// every render call into band heights and levels, starts the renderers on the first one, shows
// the song's title and play position, turns keys into player commands with a hint, and asks the
// player to end the visualisation on Esc, a right click or the end of a renderer.

#include <windows.h>

#include <memory>
#include <string>

#include "controls/GIFImageWin.h"
#include "controls/ScrollTextWindow.h"
#include "display/ImageOverlays.h"
#include "display/KeyCommands.h"
#include "display/RenderHook.h"
#include "display/TitleStrip.h"
#include "displaystate/DisplayState.h"
#include "effects/Renderers.h"
#include "framework/win32/Controls.h"
#include "framework/win32/HandOver.h"
#include "framework/win32/Handles.h"
#include "framework/win32/Window.h"
#include "playerapi/VisRecords.h"

class TForm1 : public TWindow {
public:
    TForm1() = default;
    ~TForm1() override;

    // Creates the window and its controls (FormCreate); false when the system refuses a window.
    bool Create();
    // Shows the window full screen (FormShow).
    void Show();
    // Stops the renderers, waits until they have ended and destroys the window; nothing of the
    // form runs afterwards.
    void Shutdown();

    virtual void RenderFrame(const winampVisModule& module);
    // Any thread: keeps module as the latest frame and has the window thread render it as soon as
    // it can, through the renderers' hand-over. Never waits for the window thread.
    void QueueRender(const winampVisModule& module);
    void StopAll();

    void PaintMain();
    void PaintVUFrame();
    void LayoutSpectrum();
    void BuildSpectrumBitmap();
    void BuildVUBitmap();

    // The image overlays: a built-in set, a user set, and Space's step to the next set (1, 2, none).
    void LoadDefaultImages(int SetNumber);
    void LoadUserImages(const std::string& FileA, int AlignA, int AlignB, const std::string& FileB);
    void NextImageSet();

    // Returns whether the key asked for anything.
    bool FormKeyDown(int key);
    void FormMouseUp(TMouseButton button, int x, int y);
    void ShowHints(const std::string& text, TColor color, int duration);
    void Timer1Timer();
    // The 100 ms hint timer runs only while a hint counts down.
    bool HintTimerRunning() const { return Timer1.Active(); }
    void titlelabelEnd(TCustomScrollText& sender);
    // Reads title, length and position from the player and updates the title and the clock.
    void RefreshSongInfo();
    // The configured movement of the title again.
    void ResetTitleScroll();

    // What tests look at: the hint strip, the title and the clock.
    bool HintShown() const { return HintVisible; }
    const std::string& HintText() const { return HintLabel.Text(); }
    TColor HintColor() const { return HintLabel.Font.Color; }
    TScrollText& TitleLabel() { return titlelabel; }
    const TLabel& ClockLabel() const { return TimeLabel; }

    TCanvas* MainCanvas() const { return mainPaintbox.Canvas(); }
    TCanvas* VUCanvas() const { return vuPaintbox.Canvas(); }
    // The running renderers (tests look at them); nullptr once the form has shut down.
    TRenderers* RunningRenderers() const { return Renderers.get(); }
    const TGIFImagX& Image1() const { return GIFImage1; }
    const TGIFImagX& Image2() const { return GIFImage2; }
    int CurrentImageSet() const { return ImageSet; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnKeyDown(int virtualKey) override { FormKeyDown(virtualKey); }
    // The keys ignore their modifiers, Alt included.
    bool OnSysKeyDown(int virtualKey) override { return FormKeyDown(virtualKey); }
    void OnMouseUp(TMouseButton button, int x, int y) override { FormMouseUp(button, x, y); }
    void OnShow(bool shown) override;
    bool OnClose() override;
    void OnTimer(UINT_PTR id) override;
    bool OnEraseBackground(HDC dc) override;

private:
    void FormCreate();
    void FormShow();
    void FormHide();
    void FormClose();
    // Clock font, width and side, title colour and movement; or no strip at all.
    void SetupTitleStrip();
    void RunKeyResponse(const TKeyResponse& response);
    // The next image set; the layout and repaint that follow it are FormKeyDown's.
    void PostCommand(int command);
    void HideHint();
    void PlaceMainPaintbox();
    void FreezeTitle();
    void mainPaintboxPaint();
    void vuPaintboxPaint();
    void ReleaseRamps();
    TOverlayArea OverlayArea() const;
    // Starts the enabled renderers in their order: VU meter, spectrum bars, background effect.
    void StartRenderers();
    // Window thread: renders the latest frame QueueRender kept.
    void RenderQueuedFrame();
    // Window thread, awake anyway (a render, a hand-over visit): draws the renderers' frames that
    // are due and runs the timers' ticks that are.
    void RunDueWork();

    TPanel MainPanel;
    TPanel HintPanel;
    TLabel HintLabel;
    TPaintBox mainPaintbox;
    TPanel vuPanel;
    TPaintBox vuPaintbox;
    TPanel TitlePanel;
    TLabel TimeLabel;
    TScrollText titlelabel;
    UniqueTimer Timer1;
    // Each image's host outlives it: the image stops its timer through the host when it goes.
    TGifWindowHost GIFHost1;
    TGifWindowHost GIFHost2;
    TGIFImagX GIFImage1{GIFHost1};
    TGIFImagX GIFImage2{GIFHost2};
    TImageOverlays Overlays{GIFImage1, GIFImage2, ThisModule()};

    // Renderers hand their frames to this thread through HandOver, and a Render on another thread
    // its frame. It closes with the form's window after the renderers have gone, but the object
    // stays as long as the form (another thread's Render may still reach it) or a renderer that
    // was let go.
    std::shared_ptr<TWindowHandOver> HandOver;
    std::unique_ptr<TRenderers> Renderers;
    TRenderInbox RenderInbox;

    int ImageSet = 0;  // 1 or 2 while an image set is shown, 0 for none
    int MainPanelWidth = 0;
    int TitleMode = TitleModeUnknown;
    bool HintVisible = false;  // the hint strip is shown (the window itself may not be yet)
    int MainPaintboxTop = 0;   // below the hint strip while it shows
    // The monitor the window covers, in physical pixels.
    TRect Monitor;
    // The player's window as the latest render gave it; commands and requests go there.
    HWND PlayerWindow = nullptr;
    bool CursorHidden = false;
};
