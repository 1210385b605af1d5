// dialog_driver CAPTION...: for each caption in turn, waits (up to 30 s) for an enabled button whose
// caption, without its '&', starts so, in a dialog that takes input (a message box disables the window
// it stands over), clicks it, and waits until that button is gone or changed. Prints the text of each
// message box it answers, on one line. Exit status 1 when a button does not come. The setup program's
// tests walk its pages and answer its questions with it.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

struct Search {
    std::string caption;
    HWND button = nullptr;
};

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
    return lstrcmpiA(cls, name) == 0;
}

BOOL CALLBACK FindButton(HWND child, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    if (IsClass(child, "Button") && IsWindowVisible(child) && IsWindowEnabled(child) &&
        Text(child).rfind(search->caption, 0) == 0) {
        search->button = child;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindDialog(HWND window, LPARAM lParam) {
    if (IsClass(window, "#32770") && IsWindowVisible(window) && IsWindowEnabled(window)) {
        EnumChildWindows(window, FindButton, lParam);
    }
    return reinterpret_cast<Search*>(lParam)->button == nullptr;
}

HWND Find(const std::string& caption) {
    Search search{caption};
    EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
    return search.button;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        HWND button = nullptr;
        for (int waited = 0; (button = Find(argv[i])) == nullptr; waited += 50) {
            if (waited > 30000) {
                std::printf("no button %s\n", argv[i]);
                return 1;
            }
            Sleep(50);
        }
        // A message box stands over the window it belongs to; its text is its static control 0xFFFF.
        const HWND owner = GetParent(button);
        const std::string text = GetWindow(owner, GW_OWNER) != nullptr ? Text(GetDlgItem(owner, 0xFFFF)) : "";
        if (!text.empty()) {
            std::printf("%s\n", text.c_str());
            std::fflush(stdout);
        }
        // Posted: the click may open a modal box, which a sent message would wait on.
        PostMessageA(owner, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), reinterpret_cast<LPARAM>(button));
        for (int waited = 0; Find(argv[i]) == button && waited < 30000; waited += 50) {
            Sleep(50);
        }
    }
    return 0;
}
