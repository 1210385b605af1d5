#pragma once
// The picture dialog's preview of the selected GIF: a white square on the dialog that shows the
// file, fitted and centred, and animates it.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "controls/GIFBitmapsGdi.h"
#include "controls/GIFImage.h"
#include "framework/win32/DialogControls.h"
#include "framework/win32/GdiCanvas.h"
#include "framework/win32/Handles.h"
#include "framework/win32/OpenPictureDialog.h"

class TGifPreview : public TPicturePreview, private TGifHost {
public:
    TGifPreview() = default;
    ~TGifPreview() override;

    void Open(HWND parent, const TBounds& bounds) override;
    void Show(const std::string& path) override;
    void Close() override;

    HWND Window() const override { return Box.Handle(); }

private:
    TCanvas* Surface() override { return Canvas.get(); }
    TRect ClipRect() override;
    void Invalidate(const TRect& r) override;
    void SetTimer(bool enabled, int intervalMs) override;
    TGifDevice& Device() override { return Bitmaps; }
    bool ReadResource(TModuleHandle, const std::string&, std::vector<std::uint8_t>&) override { return false; }

    static void CALLBACK Tick(HWND window, UINT, UINT_PTR, DWORD);

    TPanelWindow Box;
    WindowDc BoxDc;  // held while the box lives, so that animation frames draw outside a paint
    std::unique_ptr<TGdiCanvas> Canvas;
    TGdiGifDevice Bitmaps;
    TGIFImagX Image{*this};
};
