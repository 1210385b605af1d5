#pragma once
// The file-open dialog the configuration uses to pick a picture.

#include <windows.h>

#include <string>

#include "framework/win32/DialogControls.h"

// What shows the selected picture in the dialog, below its file list.
class TPicturePreview {
public:
    virtual ~TPicturePreview() = default;
    // The dialog has started: the preview makes its window on parent within bounds.
    virtual void Open(HWND parent, const TBounds& bounds) = 0;
    // The preview's window, once opened.
    virtual HWND Window() const = 0;
    // The selection changed to path (a folder, a file of any kind, or empty for none).
    virtual void Show(const std::string& path) = 0;
    // The dialog is ending: the preview lets go of its window while it still exists.
    virtual void Close() = 0;
};

class TOpenPictureDialog {
public:
    std::string Title;
    std::string InitialDir;
    std::string FileName;  // in: the file name shown at first; out: the full path chosen
    std::string Filter;    // "Description|pattern" pairs separated by '|'
    TPicturePreview* Preview = nullptr;

    // The preview's square, in pixels, and its margin in the strip below the file list.
    static constexpr int PreviewSize = 100;
    static constexpr int PreviewMargin = 6;

    // True when the user chose a file.
    bool Execute(HWND owner);

private:
    static UINT_PTR CALLBACK Hook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
};
