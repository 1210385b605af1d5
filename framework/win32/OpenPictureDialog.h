#pragma once
// The file-open dialog the configuration uses to pick a picture.

#include <windows.h>

#include <string>

class TOpenPictureDialog {
public:
    std::string Title;
    std::string InitialDir;
    std::string FileName;  // in: the file name shown at first; out: the full path chosen
    std::string Filter;    // "Description|pattern" pairs separated by '|'

    // True when the user chose a file.
    bool Execute(HWND owner);
};
