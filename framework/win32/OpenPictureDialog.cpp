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
    if (GetOpenFileNameA(&dialog) == FALSE) {
        return false;
    }
    FileName = file.data();
    return true;
}
