// dialog_driver CAPTION...: for each caption in turn, waits (up to 30 s) for an enabled button whose
// caption, without '&', starts so, in a dialog that takes input (a message box disables the window it
// stands over), clicks it and waits until that button is gone or changed. Prints the text of each
// message box it answers, a line each; exit status 1 when a button does not come. The setup program's
// tests walk its pages with it.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string Text(HWND window) {
    char text[2048] = "";
    GetWindowTextA(window, text, sizeof text);
    std::string plain;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c != '&') {
            plain += *c == '\r' || *c == '\n' ? ' ' : *c;
        }
    }
    return plain;
}

bool IsClass(HWND window, const char* name) {
    char cls[32] = "";
    GetClassNameA(window, cls, sizeof cls);
    return lstrcmpiA(cls, name) == 0 && IsWindowVisible(window) && IsWindowEnabled(window);
}

const char* Caption;
HWND Found;

BOOL CALLBACK FindButton(HWND child, LPARAM) {
    Found = IsClass(child, "Button") && Text(child).rfind(Caption, 0) == 0 ? child : nullptr;
    return Found == nullptr;
}

BOOL CALLBACK FindDialog(HWND window, LPARAM) {
    if (IsClass(window, "#32770")) {
        EnumChildWindows(window, FindButton, 0);
    }
    return Found == nullptr;
}

HWND Find() {
    Found = nullptr;
    EnumWindows(FindDialog, 0);
    return Found;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        Caption = argv[i];
        HWND button = nullptr;
        for (int waited = 0; (button = Find()) == nullptr; waited += 50) {
            if (waited > 30000) {
                std::printf("no button %s\n", Caption);
                return 1;
            }
            Sleep(50);
        }
        // A message box has an owner; its text is its static control 0xFFFF.
        const HWND dialog = GetParent(button);
        if (GetWindow(dialog, GW_OWNER) != nullptr) {
            std::printf("%s\n", Text(GetDlgItem(dialog, 0xFFFF)).c_str());
            std::fflush(stdout);
        }
        // Posted: the click may open a modal box, which a sent message would wait on.
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
        for (int waited = 0; Find() == button && waited < 30000; waited += 50) {
            Sleep(50);
        }
    }
    return 0;
}
