#pragma once
// The full-screen display window: a main drawing area, the VU strip and the title strip. It turns
// every render call into band heights and levels, starts the renderers on the first one, and
// asks the player to end the visualisation on Esc, a right click or the end of a renderer.

#include <windows.h>

#include <memory>
#include <string>

#include "controls/GIFImageWin.h"
#include "display/DisplayState.h"
#include "display/ImageOverlays.h"
#include "effects/Renderers.h"
#include "framework/win32/Controls.h"
#include "framework/win32/HandOver.h"
#include "framework/win32/Handles.h"
#include "framework/win32/Window.h"
#include "host/VisRecords.h"

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

    void FormKeyDown(int key);
    void FormMouseUp(TMouseButton button, int x, int y);

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
    void Timer1Timer();
    void mainPaintboxPaint();
    void vuPaintboxPaint();
    void ReleaseRamps();
    TOverlayArea OverlayArea() const;
    // Starts the enabled renderers in their order: VU meter, spectrum bars, background effect.
    void StartRenderers();

    TPanel MainPanel;
    TPanel HintPanel;
    TLabel HintLabel;
    TPaintBox mainPaintbox;
    TPanel vuPanel;
    TPaintBox vuPaintbox;
    TPanel TitlePanel;
    TLabel TimeLabel;
    UniqueTimer Timer1;
    // Each image's host outlives it: the image stops its timer through the host when it goes.
    TGifWindowHost GIFHost1;
    TGifWindowHost GIFHost2;
    TGIFImagX GIFImage1{GIFHost1};
    TGIFImagX GIFImage2{GIFHost2};
    TImageOverlays Overlays{GIFImage1, GIFImage2, ThisModule()};

    // Renderers hand their frames to this thread through HandOver, which closes with the form's
    // window after the renderers have gone (a renderer that was let go keeps the object alive).
    std::shared_ptr<TWindowHandOver> HandOver;
    std::unique_ptr<TRenderers> Renderers;

    int ImageSet = 0;  // 1 or 2 while an image set is shown, 0 for none
    int MainPanelWidth = 0;
    bool CursorHidden = false;
};
