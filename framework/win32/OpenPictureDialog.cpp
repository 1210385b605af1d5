#include "framework/win32/OpenPictureDialog.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

bool TOpenPictureDialog::Execute(HWND owner) {
    // The platform wants the filter's parts separated by NULs and ended by two.
    std::string filter = Filter;
    std::replace(filter.begin(), filter.end(), '|', '\0');
    filter.append(2, '\0');
    std::vector<char> file(32768, '\0');
    std::copy_n(FileName.begin(), std::min(FileName.size(), file.size() - 1), file.begin());

    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = InitialDir.empty() ? nullptr : InitialDir.c_str();
    dialog.lpstrTitle = Title.empty() ? nullptr : Title.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_PATHMUSTEXIST;
    if (Preview != nullptr) {
        dialog.Flags |= OFN_ENABLEHOOK;
        dialog.lpfnHook = &TOpenPictureDialog::Hook;
        dialog.lCustData = reinterpret_cast<LPARAM>(this);
    }
    if (GetOpenFileNameA(&dialog) == FALSE) {
        return false;
    }
    FileName = file.data();
    return true;
}

// The hook's own child dialog is the strip below the standard controls that holds the preview.
UINT_PTR CALLBACK TOpenPictureDialog::Hook(HWND dialog, UINT message, WPARAM /*wParam*/, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const auto* start = reinterpret_cast<const OPENFILENAMEA*>(lParam);
        SetWindowLongPtrA(dialog, GWLP_USERDATA, start->lCustData);
    }
    auto* self = reinterpret_cast<TOpenPictureDialog*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    if (self == nullptr || self->Preview == nullptr) {
        return 0;
    }
    switch (message) {
        case WM_INITDIALOG: {
            // The file dialog makes room for the strip at the size it has once this returns.
            const int side = PreviewSize + 2 * PreviewMargin;
            SetWindowPos(dialog, nullptr, 0, 0, side, side, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            RunGuarded(dialog, [&] {
                self->Preview->Open(dialog, {PreviewMargin, PreviewMargin, PreviewSize, PreviewSize});
            });
            return TRUE;
        }
        case WM_NOTIFY: {
            const UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
            if (code == static_cast<UINT>(CDN_INITDONE)) {
                // The file dialog has moved the strip's contents below its own controls, but not
                // every version grows the strip with them: the preview goes onto the file dialog
                // itself, where it now lies, so that nothing clips it.
                HWND box = self->Preview->Window();
                HWND fileDialog = GetParent(dialog);
                if (box != nullptr && fileDialog != nullptr) {
                    RECT r{};
                    GetWindowRect(box, &r);
                    MapWindowPoints(nullptr, fileDialog, reinterpret_cast<POINT*>(&r), 2);
                    SetParent(box, fileDialog);
                    SetWindowPos(box, HWND_TOP, r.left, r.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
                }
            } else if (code == static_cast<UINT>(CDN_SELCHANGE)) {
                std::vector<char> path(32768, '\0');
                const auto length = SendMessageA(GetParent(dialog), CDM_GETFILEPATH, static_cast<WPARAM>(path.size()),
                                                 reinterpret_cast<LPARAM>(path.data()));
                const std::string selected = length > 0 ? std::string(path.data()) : std::string();
                RunGuarded(dialog, [&] { self->Preview->Show(selected); });
            }
            return 0;
        }
        case WM_DESTROY:
            RunGuarded(dialog, [&] { self->Preview->Close(); });
            return 0;
        default:
            return 0;
    }
}
