// The configuration dialog of the real DLL, shown by Config on a thread of its own and driven
// from the test's thread with the messages its controls would send.

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "config/config.h"
#include "framework/win32/Handles.h"
#include "framework/win32/ProfileStore.h"
#include "playerapi/VisRecords.h"
#include "tests/unit/gif_test_support.h"

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
        Shown = std::thread([this] {
            ThreadId = GetCurrentThreadId();
            Module->Config(Module);
            Finished = true;
        });
        WaitUntil([this] { return ThreadId != 0; });
    }

    // Closes whatever the dialog's thread still shows, then waits for Config to return.
    void CloseDialog() {
        if (!Shown.joinable()) {
            return;
        }
        while (!Finished) {
            EnumThreadWindows(ThreadId, &PostClose, 0);
            Sleep(50);
        }
        Shown.join();
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

    std::string Path;
    HMODULE Dll = nullptr;
    winampVisModule* Module = nullptr;
    std::thread Shown;
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

    // Colours, combo boxes, the three keys whose defaults equal the design values, Effect and
    // the image files stay out.
    const std::set<std::string> want = {"AlwaysTop",
                                        "EffectEnabled",
                                        "SpectrumsEnabled",
                                        "vuEnabled",
                                        "ImageEnabled",
                                        "TitleEnabled",
                                        "EnhSpect",
                                        "Enhvu",
                                        "vuOutline",
                                        "vusegmented",
                                        "SkyburstLatency",
                                        "SpectrumsLatency",
                                        "vuLatency",
                                        "Brightness",
                                        "Gravity",
                                        "MaxRocketNumber",
                                        "RocketStyleVar",
                                        "MaxRocketPatchNumber",
                                        "MaxRocketPatchLength",
                                        "MaxRocketEnergy",
                                        "MaxSpectrumH",
                                        "BarB",
                                        "vumeterH",
                                        "vuB",
                                        "LightCenterX",
                                        "LightCenterY",
                                        "LoadGif",
                                        "ClockAlign",
                                        "GifAlign1A",
                                        "GifAlign1B",
                                        "GifAlign2A",
                                        "GifAlign2B",
                                        "TitleScroll"};
    const auto first = Section();
    std::set<std::string> have;
    for (const auto& [key, value] : first) {
        have.insert(key);
    }
    EXPECT_EQ(have, want);
    EXPECT_EQ(Key("SkyburstLatency"), "20");
    EXPECT_EQ(Key("EffectEnabled"), "1");
    EXPECT_EQ(Key("LoadGif"), "Default");
    EXPECT_EQ(Key("GifAlign1B"), "2");
    EXPECT_EQ(Key("TitleScroll"), "5");

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
        {Id::cbAlwaysTop, Id::ColorButton1, Id::cbTitle, Id::ColorButton6, Id::ColorButton5, Id::ScrollSong,
         Id::ClockPos},
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
    {
        WindowDc dc(box);
        EXPECT_EQ(GetPixel(dc.Get(), 10, 50), RGB(255, 255, 255));
    }
    SendMessageA(box, WM_LBUTTONDOWN, 0, MAKELPARAM(50, 50));
    WindowDc dc(box);
    // A cross seven pixels wide and high around the origin, on white.
    EXPECT_EQ(GetPixel(dc.Get(), 50, 47), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc.Get(), 53, 50), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc.Get(), 50, 54), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc.Get(), 46, 50), RGB(255, 255, 255));
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

}  // namespace
