// The configuration dialog of the real DLL, shown by Config on a thread of its own and driven
// from the test's thread with the messages its controls would send.

#include <gtest/gtest.h>
#include <windows.h>
// The common controls' names need <windows.h> first.
#include <commctrl.h>

#include <atomic>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "config/config.h"
#include "framework/Worker.h"
#include "framework/win32/Handles.h"
#include "framework/win32/Monitors.h"
#include "framework/win32/ProfileStore.h"
#include "playerapi/VisRecords.h"
#include "tests/unit/gif_test_support.h"
#include "tests/win/pump.h"

namespace config_dialog_test {

namespace {

namespace Id = Form2Ids;

// Waits for a condition that another thread brings about; false after ten seconds.
bool WaitUntil(const std::function<bool()>& condition) {
    for (int i = 0; i < 1000; ++i) {
        if (condition()) {
            return true;
        }
        Sleep(10);
    }
    return condition();
}

std::string WindowText(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

BOOL CALLBACK PostClose(HWND window, LPARAM) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    return TRUE;
}

struct ChildSearch {
    int Id;
    HWND Found;
};

BOOL CALLBACK MatchId(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<ChildSearch*>(data);
    if (GetDlgCtrlID(window) == search->Id) {
        search->Found = window;
        return FALSE;
    }
    return TRUE;
}

struct ClassSearch {
    const char* ClassName;
    HWND Found;
};

BOOL CALLBACK MatchClass(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<ClassSearch*>(data);
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    if (lstrcmpiA(name, search->ClassName) == 0) {
        search->Found = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindChild(HWND parent, const char* className) {
    ClassSearch search{className, nullptr};
    EnumChildWindows(parent, &MatchClass, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

BOOL CALLBACK MatchOwned(HWND window, LPARAM data) {
    if (GetWindow(window, GW_OWNER) != nullptr && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(data) = window;
        return FALSE;
    }
    return TRUE;
}

bool IsChecked(HWND button) {
    return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// uxtheme.dll is loaded by the themed controls; without it nothing is themed.
FARPROC UxThemeEntry(const char* name) {
    HMODULE uxtheme = GetModuleHandleA("uxtheme.dll");
    return uxtheme != nullptr ? GetProcAddress(uxtheme, name) : nullptr;
}

HANDLE WindowTheme(HWND window) {
    const auto get = reinterpret_cast<HANDLE(WINAPI*)(HWND)>(reinterpret_cast<void*>(UxThemeEntry("GetWindowTheme")));
    return get != nullptr ? get(window) : nullptr;
}

bool ThemeActive() {
    const auto active = reinterpret_cast<BOOL(WINAPI*)()>(reinterpret_cast<void*>(UxThemeEntry("IsThemeActive")));
    return active != nullptr && active() != FALSE;
}

class ConfigDialog : public ::testing::Test {
protected:
    void SetUp() override {
        Path = SettingsFilePath();
        DeleteFileA(Path.c_str());
        Dll = LoadLibraryA((ExecutableDirectory() + "vis_skyburst.dll").c_str());
        ASSERT_NE(Dll, nullptr);
        auto getHeader =
            reinterpret_cast<VisGetHeaderFunction>(reinterpret_cast<void*>(GetProcAddress(Dll, "winampVisGetHeader")));
        ASSERT_NE(getHeader, nullptr);
        Module = getHeader()->getModule(0);
    }
    void TearDown() override {
        CloseDialog();
        if (Dll != nullptr) {
            FreeLibrary(Dll);
        }
        DeleteFileA(Path.c_str());
    }

    void WriteIni(const std::string& body) {
        std::ofstream out(Path, std::ios::binary | std::ios::trunc);
        out << "[Skyburst]\r\n" << body;
    }

    // Calls Config on its own thread and waits for the dialog.
    void Open() {
        StartConfig();
        ASSERT_TRUE(WaitUntil([this] { return (Dialog = FindWindowA(nullptr, Form2Caption)) != nullptr; }));
        // The filling has run once the first written key, or the end of the filling, is seen.
        ASSERT_TRUE(WaitUntil([this] { return IsWindowVisible(Dialog) != FALSE; }));
        SendMessageA(Dialog, WM_NULL, 0, 0);
    }

    void StartConfig() {
        Shown.Start([this] {
            ThreadId = GetCurrentThreadId();
            Module->Config(Module);
            Finished = true;
        });
        WaitUntil([this] { return ThreadId != 0; });
    }

    // Closes whatever the dialog's thread still shows, then waits for Config to return.
    void CloseDialog() {
        if (!Shown.Joinable()) {
            return;
        }
        while (!Finished) {
            EnumThreadWindows(ThreadId, &PostClose, 0);
            Sleep(50);
        }
        Shown.Join();
    }

    HWND Control(int id) const {
        ChildSearch search{id, nullptr};
        EnumChildWindows(Dialog, &MatchId, reinterpret_cast<LPARAM>(&search));
        return search.Found;
    }

    // What a button sends its parent when it is clicked.
    void Click(int id, bool post = false) {
        HWND button = Control(id);
        ASSERT_NE(button, nullptr) << id;
        const auto message = MAKEWPARAM(id, BN_CLICKED);
        if (post) {
            PostMessageA(GetParent(button), WM_COMMAND, message, reinterpret_cast<LPARAM>(button));
        } else {
            SendMessageA(GetParent(button), WM_COMMAND, message, reinterpret_cast<LPARAM>(button));
        }
    }

    // A window the dialog's thread opened over the dialog: a chooser or an error box.
    HWND WaitForOwnedWindow() {
        HWND found = nullptr;
        WaitUntil([&] {
            EnumThreadWindows(ThreadId, &MatchOwned, reinterpret_cast<LPARAM>(&found));
            return found != nullptr;
        });
        return found;
    }

    // The section as the file holds it now.
    std::map<std::string, std::string> Section() const {
        std::ifstream in(Path);
        std::map<std::string, std::string> keys;
        std::string line;
        bool ours = false;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            if (!line.empty() && line[0] == '[') {
                ours = line == "[Skyburst]";
            } else if (ours && line.find('=') != std::string::npos) {
                keys[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
            }
        }
        return keys;
    }
    std::string Key(const std::string& key) const {
        const auto keys = Section();
        const auto found = keys.find(key);
        return found == keys.end() ? "<missing>" : found->second;
    }

    // What a click on a tab does: select it and tell the dialog.
    void ShowPage(int pageControlId, int index) {
        HWND tabs = Control(pageControlId);
        SendMessageA(tabs, TCM_SETCURSEL, index, 0);
        NMHDR header{tabs, static_cast<UINT_PTR>(pageControlId), static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageA(Dialog, WM_NOTIFY, pageControlId, reinterpret_cast<LPARAM>(&header));
    }

    // Runs change and answers the keys it wrote, with their new values.
    std::map<std::string, std::string> Writes(const std::function<void()>& change) {
        const auto before = Section();
        change();
        SendMessageA(Dialog, WM_NULL, 0, 0);
        std::map<std::string, std::string> written;
        for (const auto& [key, value] : Section()) {
            const auto old = before.find(key);
            if (old == before.end() || old->second != value) {
                written[key] = value;
            }
        }
        return written;
    }

    std::string Path;
    HMODULE Dll = nullptr;
    winampVisModule* Module = nullptr;
    TWorker Shown;
    std::atomic<DWORD> ThreadId{0};
    std::atomic<bool> Finished{false};
    HWND Dialog = nullptr;
};

TEST_F(ConfigDialog, FirstActivationWritesEveryKeyWhoseControlChanged) {
    Open();
    RECT client{};
    GetClientRect(Dialog, &client);
    EXPECT_EQ(client.right, 467);
    EXPECT_EQ(client.bottom, 343);
    EXPECT_TRUE(IsWindowVisible(Control(Id::se1)));
    EXPECT_FALSE(IsWindowVisible(Control(Id::Edit1))) << "the GIF sets show only for user images";

    // Every key whose default differs from its control's design value, with the default; the
    // colours, combo boxes, LightLatency, StarQty, VUsegW, Effect and the image files stay out.
    const std::map<std::string, std::string> want = {{"AlwaysTop", "1"},
                                                     {"EffectEnabled", "1"},
                                                     {"SpectrumsEnabled", "1"},
                                                     {"vuEnabled", "1"},
                                                     {"ImageEnabled", "1"},
                                                     {"TitleEnabled", "1"},
                                                     {"EnhSpect", "1"},
                                                     {"Enhvu", "1"},
                                                     {"vuOutline", "1"},
                                                     {"vusegmented", "1"},
                                                     {"SkyburstLatency", "20"},
                                                     {"SpectrumsLatency", "15"},
                                                     {"vuLatency", "15"},
                                                     {"Brightness", "96"},
                                                     {"Gravity", "200"},
                                                     {"MaxRocketNumber", "9"},
                                                     {"RocketStyleVar", "16"},
                                                     {"MaxRocketPatchNumber", "90"},
                                                     {"MaxRocketPatchLength", "70"},
                                                     {"MaxRocketEnergy", "800"},
                                                     {"MaxSpectrumH", "220"},
                                                     {"BarB", "3"},
                                                     {"vumeterH", "15"},
                                                     {"vuB", "6"},
                                                     {"LightCenterX", "25"},
                                                     {"LightCenterY", "40"},
                                                     {"LoadGif", "Default"},
                                                     {"ClockAlign", "1"},
                                                     {"GifAlign1A", "0"},
                                                     {"GifAlign1B", "2"},
                                                     {"GifAlign2A", "0"},
                                                     {"GifAlign2B", "2"},
                                                     {"TitleScroll", "5"}};
    const auto first = Section();
    EXPECT_EQ(first, want);
    // A themed check box draws its caption in the theme's colour, not the dialog's: the bold navy
    // "Enabled" boxes draw unthemed, the others keep the theme.
    for (const int id : {Id::cb1, Id::cb2, Id::cb3, Id::cb4, Id::cbTitle}) {
        EXPECT_EQ(WindowTheme(Control(id)), nullptr) << id;
    }
    if (ThemeActive()) {
        EXPECT_NE(WindowTheme(Control(Id::CheckBoxEnhSpect)), nullptr);
    }

    // Activated again while open, it shows the same values and has nothing to write.
    SendMessageA(Dialog, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(Section(), first);
    EXPECT_EQ(WindowText(Control(Id::seGravity)), "200");

    CloseDialog();
    WNDCLASSEXA info{};
    info.cbSize = sizeof info;
    EXPECT_FALSE(GetClassInfoExA(Dll, "SkyburstDialogPanel", &info)) << "the dialog's window class outlived it";
}

TEST_F(ConfigDialog, TabStopsFollowThePagesOrder) {
    Open();
    const std::vector<std::vector<int>> pages = {
        {Id::se1, Id::seGravity, Id::seMaxRocket, Id::seStyleVar, Id::SpinEdit4, Id::SpinEdit5, Id::SpinEdit1},
        {Id::cb2, Id::se2, Id::SpinEdit6, Id::ComboBox2, Id::CheckBoxEnhSpect, Id::SpinEdit11, Id::ColorButton4},
        {Id::cb3, Id::se3, Id::SpinEdit9, Id::ComboBox1, Id::CheckBoxEnhVU, Id::SpinEdit12, Id::CheckBox8, Id::seSeg,
         Id::CheckBox10, Id::ColorButton2, Id::ColorButton3},
        {Id::Edit1, Id::SpeedButton1, Id::rg1a, Id::Edit2, Id::SpeedButton2, Id::rg1b},
        {Id::cbAlwaysTop, Id::ColorButton1, Id::ComboBox4, Id::cbTitle, Id::ColorButton6, Id::ColorButton5,
         Id::ScrollSong, Id::ClockPos},
    };
    for (const auto& want : pages) {
        std::vector<int> have;
        HWND page = GetParent(Control(want.front()));
        for (HWND w = GetWindow(page, GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
            // A radio group's tab stop is its checked item; count it as the group.
            const int id = GetDlgCtrlID(w);
            if ((GetWindowLongA(w, GWL_STYLE) & WS_TABSTOP) != 0) {
                have.push_back(id >= RadioItemId(0, 0) ? (id - RadioItemId(0, 0)) / 8 : id);
            }
        }
        EXPECT_EQ(have, want);
    }
}

TEST_F(ConfigDialog, OddValuesInTheFile) {
    WriteIni("Effect=2\r\nLoadGif=default\r\nGifAlign1A=7\r\nGifAlign1B=0\r\nSpectrumStyle=9\r\n");
    Open();
    // No effect chosen: neither button, the LightSpeed page, and Effect as it was.
    EXPECT_FALSE(IsChecked(Control(Id::RbEffect1)));
    EXPECT_FALSE(IsChecked(Control(Id::RbEffect2)));
    EXPECT_TRUE(IsWindowVisible(Control(Id::SpinEdit2)));
    EXPECT_EQ(Key("Effect"), "2");
    // Only "Default" exactly means the built-in images.
    EXPECT_TRUE(IsChecked(Control(Id::RadioButton4)));
    EXPECT_EQ(Key("LoadGif"), "User");
    // 7 is clamped to the tile (4 written), then 0 for image 2 moves image 1 off the top.
    EXPECT_EQ(Key("GifAlign1A"), "2");
    EXPECT_EQ(Key("GifAlign1B"), "0");
    EXPECT_EQ(SendMessageA(Control(Id::ComboBox2), CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(Key("SpectrumStyle"), "9");
}

TEST_F(ConfigDialog, AlignmentPairingThroughClicks) {
    Open();  // image 1 top left, image 2 bottom left
    Click(RadioItemId(Id::rg1b, 1));
    Click(RadioItemId(Id::rg1a, 1));
    EXPECT_EQ(Key("GifAlign1A"), "1");
    EXPECT_EQ(Key("GifAlign1B"), "2") << "two images top right: the partner moves to bottom left";
    EXPECT_TRUE(IsChecked(Control(RadioItemId(Id::rg1b, 2))));

    Click(RadioItemId(Id::rg1b, 3));
    Click(RadioItemId(Id::rg1a, 3));
    EXPECT_EQ(Key("GifAlign1A"), "3");
    EXPECT_EQ(Key("GifAlign1B"), "4") << "two images bottom right: the partner tiles along the top";

    Click(RadioItemId(Id::rg2a, 4));
    EXPECT_EQ(Key("GifAlign2A"), "4");
    EXPECT_EQ(Key("GifAlign2B"), "2") << "set 2 has its own pair";
    EXPECT_EQ(Key("GifAlign1B"), "4");
}

TEST_F(ConfigDialog, SpinEditsWriteAsTypedAndClampOnLeaving) {
    Open();
    HWND se1 = Control(Id::se1);
    SendMessageA(Dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(se1), TRUE);
    SendMessageA(se1, EM_SETSEL, 0, -1);
    SendMessageA(se1, WM_CHAR, '5', 0);
    SendMessageA(se1, WM_CHAR, 'x', 0);  // refused
    EXPECT_EQ(WindowText(se1), "5");
    EXPECT_EQ(Key("SkyburstLatency"), "5") << "a typed number is written unclamped";
    SendMessageA(Dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(Id::seGravity)), TRUE);
    EXPECT_EQ(WindowText(se1), "10");
    EXPECT_EQ(Key("SkyburstLatency"), "10") << "leaving clamps to the minimum";

    HWND gravity = Control(Id::seGravity);
    SendMessageA(gravity, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(Key("Gravity"), "250") << "Up adds the increment";
    SendMessageA(gravity, EM_SETSEL, 0, -1);
    SendMessageA(gravity, WM_CHAR, VK_BACK, 0);
    EXPECT_EQ(Key("Gravity"), "50") << "an empty field is its minimum";
}

TEST_F(ConfigDialog, OriginPreviewClicks) {
    WriteIni("Effect=1\r\n");
    Open();
    HWND box = Control(Id::PaintBox1);
    ASSERT_NE(box, nullptr);
    struct Case {
        int x, y;
        const char *wantX, *wantY;
    };
    for (const Case& c : {Case{1, 1, "1", "1"}, Case{97, 97, "97", "97"}, Case{0, 120, "1", "99"}}) {
        SendMessageA(box, WM_RBUTTONDOWN, 0, MAKELPARAM(c.x, c.y));
        EXPECT_EQ(Key("LightCenterX"), c.wantX) << c.x << "," << c.y;
        EXPECT_EQ(Key("LightCenterY"), c.wantY) << c.x << "," << c.y;
    }
    // A huge number typed but not yet left draws no cross (and no overflowing arm) in the box.
    SetWindowTextA(Control(Id::SpinEditY), "50");
    SetWindowTextA(Control(Id::SpinEditX), "2147483647");
    EXPECT_EQ(Key("LightCenterX"), "2147483647");
    // The dialog's thread paints on its own: on a loaded machine the box may be caught in the middle
    // of a repaint (erased, not yet drawn), so the pixels are read once they have settled.
    {
        WindowDc dc(box);
        WaitUntil([&] { return GetPixel(dc.Get(), 10, 50) == RGB(255, 255, 255); });
        EXPECT_EQ(GetPixel(dc.Get(), 10, 50), RGB(255, 255, 255));
    }
    SendMessageA(box, WM_LBUTTONDOWN, 0, MAKELPARAM(50, 50));
    WindowDc dc(box);
    // A cross seven pixels wide and high around the origin, on white.
    const struct {
        int x, y;
        COLORREF want;
    } cross[] = {
        {50, 47, RGB(255, 0, 0)}, {53, 50, RGB(255, 0, 0)}, {50, 54, RGB(255, 255, 255)}, {46, 50, RGB(255, 255, 255)}};
    WaitUntil([&] {
        for (const auto& p : cross) {
            if (GetPixel(dc.Get(), p.x, p.y) != p.want) {
                return false;
            }
        }
        return true;
    });
    for (const auto& p : cross) {
        EXPECT_EQ(GetPixel(dc.Get(), p.x, p.y), p.want) << p.x << "," << p.y;
    }
}

TEST_F(ConfigDialog, ChoosersWriteOnlyWhatIsAccepted) {
    WriteIni("LoadGif=User\r\nUserGif1A=C:\\gifs\\a.gif\r\n");
    Open();
    Click(Id::ColorButton1, true);
    HWND chooser = WaitForOwnedWindow();
    ASSERT_NE(chooser, nullptr);
    SendMessageA(chooser, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(chooser); }));
    SendMessageA(Dialog, WM_NULL, 0, 0);
    EXPECT_EQ(Key("Background"), "<missing>") << "a cancelled chooser writes nothing";

    Click(Id::ColorButton1, true);
    chooser = WaitForOwnedWindow();
    ASSERT_NE(chooser, nullptr);
    SendMessageA(chooser, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([&] { return Key("Background") == "0"; })) << "the same colour accepted is written";

    Click(Id::SpeedButton1, true);
    HWND picker = WaitForOwnedWindow();
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(WindowText(picker), "Select Gif 1");
    SendMessageA(picker, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(picker); }));
    SendMessageA(Dialog, WM_NULL, 0, 0);
    EXPECT_EQ(Key("UserGif1A"), "C:\\gifs\\a.gif");

    SendMessageA(Control(Id::Edit1), WM_CHAR, 'x', 0);
    EXPECT_EQ(Key("UserGif1A").size(), std::string("C:\\gifs\\a.gif").size() + 1) << "each keystroke is written";
}

TEST_F(ConfigDialog, PictureDialogPreviewsTheSelectedGif) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "skyburst-preview\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::ofstream(folder + "bad.gif") << "no picture";
    const std::string gif = folder + "one.gif";
    {
        const giftest::Bytes data =
            giftest::GifBuilder(4, 4).Image(giftest::Ascii({"1111", "1111", "1111", "1111"})).Trailer().bytes;
        std::ofstream out(gif, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    }
    WriteIni("LoadGif=User\r\nUserGif1A=" + gif + "\r\n");
    Open();
    Click(Id::SpeedButton1, true);
    HWND picker = WaitForOwnedWindow();
    ASSERT_NE(picker, nullptr);
    HWND preview = FindChild(picker, "SkyburstDialogPanel");
    HWND list = FindChild(picker, "SysListView32");
    ASSERT_NE(preview, nullptr);
    ASSERT_NE(list, nullptr);
    const auto centre = [preview] {
        RECT r{};
        GetClientRect(preview, &r);
        WindowDc dc(preview);
        return GetPixel(dc.Get(), r.right / 2, r.bottom / 2);
    };
    EXPECT_TRUE(WaitUntil([&] { return centre() != RGB(255, 255, 255); })) << "the edit's GIF shows";
    SendMessageA(list, WM_KEYDOWN, VK_HOME, 0);
    EXPECT_TRUE(WaitUntil([&] { return centre() == RGB(255, 255, 255); })) << "a file that is no GIF shows nothing";
    SendMessageA(list, WM_KEYDOWN, VK_END, 0);
    EXPECT_TRUE(WaitUntil([&] { return centre() != RGB(255, 255, 255); })) << "the selected GIF shows";
    SendMessageA(picker, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(picker); }));
    DeleteFileA(gif.c_str());
    DeleteFileA((folder + "bad.gif").c_str());
    RemoveDirectoryA(folder.c_str());
}

TEST_F(ConfigDialog, RefusedWriteShowsTheErrorAndEndsTheFilling) {
    WriteIni("Gravity=300\r\n");
    // Held open with no sharing, the file cannot be rewritten (as root a read-only flag would
    // not stop the write).
    UniqueHandle lock(CreateFileA(Path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_NE(lock.Get(), INVALID_HANDLE_VALUE);
    StartConfig();
    HWND box = WaitForOwnedWindow();
    ASSERT_NE(box, nullptr);
    Dialog = FindWindowA(nullptr, Form2Caption);
    EXPECT_EQ(WindowText(GetDlgItem(box, 0xFFFF)), "Unable to write to " + Path);
    SendMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
    SendMessageA(Dialog, WM_NULL, 0, 0);
    // The first key refused: its control keeps the new value, the ones after keep the design's.
    EXPECT_TRUE(IsChecked(Control(Id::cbAlwaysTop)));
    EXPECT_FALSE(IsChecked(Control(Id::cb1)));
    EXPECT_EQ(WindowText(Control(Id::seGravity)), "100");

    lock.Reset();
    Click(Id::cb1);
    EXPECT_EQ(Key("EffectEnabled"), "1") << "once the file is free again, changes are written";
}

// The two-monitor run starts this test on its desktop too: the dialog opens on the last monitor,
// which holds its owner, and lists every monitor, up to that one with its size.
TEST_F(ConfigDialog, OpensOnTheOwnersMonitorAndListsEveryMonitor) {
    const std::vector<TRect> monitors = SystemMonitors(nullptr).Rects;
    const TRect m = monitors.back();
    std::atomic<HWND> owner{nullptr};
    std::atomic<bool> done{false};
    TWorker player;
    player.Start([&] {  // the player's window, on a thread that answers its messages
        owner = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, m.Left + 50, m.Top + 50, 99, 99, nullptr,
                                nullptr, nullptr, nullptr);
        while (!done) {
            PumpFor(10);
        }
        DestroyWindow(owner);
    });
    ASSERT_TRUE(WaitUntil([&] { return owner != nullptr; }));
    Module->hwndParent = owner;
    Open();
    RECT frame{};
    GetWindowRect(Dialog, &frame);
    EXPECT_LE(std::abs(frame.left + frame.right - m.Left - m.Right), 1) << frame.left << " in " << m.Left;
    EXPECT_LE(std::abs(frame.top + frame.bottom - m.Top - m.Bottom), 1) << frame.top << " in " << m.Top;
    const std::string want = "Monitor " + std::to_string(monitors.size()) + " (" + std::to_string(m.Width()) + " x " +
                             std::to_string(m.Height()) + ")";
    char have[64] = {};
    SendMessageA(Control(Id::ComboBox4), CB_GETLBTEXT, monitors.size(), reinterpret_cast<LPARAM>(have));
    EXPECT_EQ(have, want);
    EXPECT_EQ(SendMessageA(Control(Id::ComboBox4), CB_GETCOUNT, 0, 0), static_cast<LRESULT>(monitors.size() + 1));
    CloseDialog();  // while its owner answers
    Module->hwndParent = nullptr;
    done = true;
    player.Join();
}

TEST_F(ConfigDialog, GifSetsShowOnlyForUserImagesOnTheImagesPage) {
    Open();  // no file: the built-in images
    ShowPage(Id::PageControl1, 3);
    ASSERT_TRUE(IsWindowVisible(Control(Id::RadioButton3)));
    const auto shown = [this](std::initializer_list<int> ids) {
        std::string visible;
        for (const int id : ids) {
            visible += IsWindowVisible(Control(id)) ? '1' : '0';
        }
        return visible;
    };
    EXPECT_EQ(shown({Id::Edit1, Id::SpeedButton1, Id::rg1a, Id::Edit2, Id::SpeedButton2, Id::rg1b}), "000000");
    Click(Id::RadioButton4);
    EXPECT_EQ(shown({Id::Edit1, Id::SpeedButton1, Id::rg1a, Id::Edit2, Id::SpeedButton2, Id::rg1b}), "111111");
    ShowPage(Id::pcGIF, 1);
    EXPECT_EQ(shown({Id::Edit1, Id::Edit3, Id::rg2b}), "011");
    Click(Id::RadioButton3);
    EXPECT_EQ(shown({Id::Edit1, Id::Edit3, Id::rg2b}), "000") << "Default hides whichever set page was active";
    Click(Id::RadioButton4);
    EXPECT_EQ(shown({Id::Edit1, Id::Edit3, Id::rg2b}), "011");
}

TEST_F(ConfigDialog, EveryControlWritesItsOwnKey) {
    struct Spin {
        int Id;
        const char* Key;
        int Min, Max, Step, Design;
    };
    const Spin spins[] = {
        {Id::se1, "SkyburstLatency", 10, 50, 5, 10},
        {Id::se2, "SpectrumsLatency", 10, 50, 5, 10},
        {Id::se3, "vuLatency", 10, 50, 5, 10},
        {Id::seGravity, "Gravity", 50, 500, 50, 100},
        {Id::seMaxRocket, "MaxRocketNumber", 1, 12, 1, 1},
        {Id::seStyleVar, "RocketStyleVar", 2, 40, 2, 2},
        {Id::SpinEdit4, "MaxRocketPatchNumber", 10, 150, 10, 10},
        {Id::SpinEdit5, "MaxRocketPatchLength", 10, 300, 10, 10},
        {Id::SpinEdit1, "MaxRocketEnergy", 100, 1500, 100, 100},
        {Id::SpinEdit6, "MaxSpectrumH", 20, 480, 20, 20},
        {Id::SpinEdit11, "BarB", 1, 100, 1, 10},
        {Id::SpinEdit9, "vumeterH", 6, 100, 2, 10},
        {Id::SpinEdit12, "vuB", 1, 100, 1, 10},
        {Id::seSeg, "VUsegW", 3, 20, 1, 10},
        {Id::SpinEdit2, "LightLatency", 10, 50, 5, 20},
        {Id::SpinEdit3, "StarQty", 1, 255, 1, 100},
        {Id::SpinEdit7, "Brightness", 1, 255, 1, 100},
        {Id::SpinEditX, "LightCenterX", 1, 99, 1, 1},
        {Id::SpinEditY, "LightCenterY", 1, 99, 1, 1},
    };
    // Each spin edit's design value, spelt as the dialog never writes it: a control filled with
    // its own design value does not change, so the spelling stays.
    std::string file;
    for (const Spin& spin : spins) {
        file += std::string(spin.Key) + "=+" + std::to_string(spin.Design) + "\r\n";
    }
    WriteIni(file);
    Open();
    for (const Spin& spin : spins) {
        EXPECT_EQ(Key(spin.Key), "+" + std::to_string(spin.Design)) << spin.Key << ": design value";
        HWND edit = Control(spin.Id);
        using Keys = std::map<std::string, std::string>;
        EXPECT_EQ(Writes([&] { SetWindowTextA(edit, ""); }), (Keys{{spin.Key, std::to_string(spin.Min)}}));
        SendMessageA(edit, WM_KEYDOWN, VK_UP, 0);
        EXPECT_EQ(Key(spin.Key), std::to_string(spin.Min + spin.Step)) << spin.Key << ": step";
        SetWindowTextA(edit, "99999");
        SendMessageA(edit, WM_KEYDOWN, VK_UP, 0);
        EXPECT_EQ(Key(spin.Key), std::to_string(spin.Max)) << spin.Key << ": maximum";
    }

    const auto text = [this](int id, const char* value) {
        return [this, id, value] { SetWindowTextA(Control(id), value); };
    };
    const auto click = [this](int id) { return [this, id] { Click(id); }; };
    const auto pick = [this](int id, int index) {
        return [this, id, index] {
            SendMessageA(Control(id), CB_SETCURSEL, index, 0);
            SendMessageA(GetParent(Control(id)), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(Control(id)));
        };
    };
    // The colour chooser accepted as it opens: the button's colour (its key's default) is written.
    const auto accept = [this](int id) {
        return [this, id] {
            Click(id, true);
            HWND chooser = WaitForOwnedWindow();
            ASSERT_NE(chooser, nullptr);
            SendMessageA(chooser, WM_COMMAND, IDOK, 0);
            ASSERT_TRUE(WaitUntil([&] { return !IsWindow(chooser); }));
        };
    };
    struct Change {
        std::function<void()> Run;
        const char* Key;
        const char* Value;
    };
    const Change changes[] = {
        {click(Id::cb1), "EffectEnabled", "0"},
        {click(Id::cb2), "SpectrumsEnabled", "0"},
        {click(Id::cb3), "vuEnabled", "0"},
        {click(Id::cb4), "ImageEnabled", "0"},
        {click(Id::CheckBoxEnhSpect), "EnhSpect", "0"},
        {click(Id::CheckBoxEnhVU), "Enhvu", "0"},
        {click(Id::CheckBox10), "vuOutline", "0"},
        {click(Id::CheckBox8), "vusegmented", "0"},
        {click(Id::cbTitle), "TitleEnabled", "0"},
        {click(Id::cbAlwaysTop), "AlwaysTop", "0"},
        {pick(Id::ComboBox1, 2), "vustyle", "2"},
        {pick(Id::ComboBox2, 0), "SpectrumStyle", "0"},
        {pick(Id::ComboBox3, 5), "LightSpeed", "5"},
        {pick(Id::ComboBox4, 1), "Monitor", "1"},
        {accept(Id::ColorButton1), "Background", "0"},
        {accept(Id::ColorButton2), "MeterForeground", "255"},
        {accept(Id::ColorButton3), "MeterBackground", "8388608"},
        {accept(Id::ColorButton4), "Spectrums", "16711808"},
        {accept(Id::ColorButton5), "ClockColor", "16744448"},
        {accept(Id::ColorButton6), "TitleColor", "65280"},
        {text(Id::Edit1, "1a.gif"), "UserGif1A", "1a.gif"},
        {text(Id::Edit2, "1b.gif"), "UserGif1B", "1b.gif"},
        {text(Id::Edit3, "2a.gif"), "UserGif2A", "2a.gif"},
        {text(Id::Edit4, "2b.gif"), "UserGif2B", "2b.gif"},
        {click(Id::RbEffect2), "Effect", "1"},
        {click(Id::RbEffect1), "Effect", "0"},
        {click(Id::RadioButton4), "LoadGif", "User"},
        {click(Id::RadioButton3), "LoadGif", "Default"},
        {click(RadioItemId(Id::rg1a, 3)), "GifAlign1A", "3"},
        {click(RadioItemId(Id::rg1b, 1)), "GifAlign1B", "1"},
        {click(RadioItemId(Id::rg2a, 1)), "GifAlign2A", "1"},
        {click(RadioItemId(Id::rg2b, 3)), "GifAlign2B", "3"},
        {click(RadioItemId(Id::ClockPos, 0)), "ClockAlign", "0"},
        {click(RadioItemId(Id::ScrollSong, 3)), "TitleScroll", "3"},
    };
    for (const Change& change : changes) {
        EXPECT_EQ(Writes(change.Run), (std::map<std::string, std::string>{{change.Key, change.Value}})) << change.Key;
    }
}

}  // namespace

}  // namespace config_dialog_test
