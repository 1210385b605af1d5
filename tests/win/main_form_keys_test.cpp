// The display window's keys, hints, title and clock, driven by real key messages and answered by
// a stand-in player window.

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "display/KeyCommands.h"
#include "display/MainForm.h"
#include "display/PlayerRequests.h"
#include "displaystate/DisplayState.h"
#include "framework/Worker.h"
#include "framework/win32/Application.h"
#include "framework/win32/GdiCanvas.h"
#include "framework/win32/GdiSurface.h"
#include "settings/VisSettings.h"

namespace main_form_keys_test {

namespace {

struct TPlayerRecord {
    std::vector<WPARAM> Commands;
    int VersionRequests = 0;
    int Version = 0x5010;
    int PositionMs = 61500;
};
TPlayerRecord Player;

LRESULT CALLBACK PlayerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        Player.Commands.push_back(wParam);
        return 0;
    }
    if (message == WM_USER) {
        if (wParam == 0 && lParam == 0) {
            ++Player.VersionRequests;
            return Player.Version;
        }
        if (wParam == 1 && lParam == 105) {
            return 225;
        }
        if (wParam == 0 && lParam == 105) {
            return Player.PositionMs;
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakePlayerWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = PlayerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "KeysTestPlayer";
    RegisterClassA(&wc);
    return CreateWindowExA(0, "KeysTestPlayer", "7. Artist - Song - Player", WS_OVERLAPPED, 0, 0, 100, 50, nullptr,
                           nullptr, wc.hInstance, nullptr);
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message != WM_QUIT) {
            DispatchMessageA(&msg);
        }
    }
}

class MainFormKeys : public ::testing::Test {
protected:
    void SetUp() override {
        VisSettings() = TVisSettings{};
        VisSettings().AlwaysTop = false;
        VisSettings().EffectEnabled = false;
        VisSettings().SpectrumsEnabled = false;
        VisSettings().vuEnabled = false;
        DisplayState() = TDisplayState{};
        KeyState() = TKeyState{};
        LastSeconds() = 0;
        Player = TPlayerRecord{};
        PlayerWindow = MakePlayerWindow();
        ASSERT_NE(PlayerWindow, nullptr);
    }
    void TearDown() override {
        Form.reset();
        DestroyWindow(PlayerWindow);
        UnregisterClassA("KeysTestPlayer", GetModuleHandleA(nullptr));
        TWindow::UnregisterClasses();
        Pump();
    }
    void CreateForm() {
        Form = std::make_unique<TForm1>();
        ASSERT_TRUE(Form->Create());
        Module.hwndParent = PlayerWindow;
        Form->RenderFrame(Module);
    }
    // A key as the system delivers it, with Shift or Alt held when asked: WM_KEYDOWN to the form,
    // or WM_SYSKEYDOWN with Alt's context bit, followed by the character message it translates to.
    void Press(int virtualKey, int modifier = 0) {
        BYTE keys[256]{};
        GetKeyboardState(keys);
        keys[VK_SHIFT] = modifier == VK_SHIFT ? 0x80 : 0;
        keys[VK_MENU] = modifier == VK_MENU ? 0x80 : 0;
        SetKeyboardState(keys);
        const UINT scan = MapVirtualKeyA(static_cast<UINT>(virtualKey), MAPVK_VK_TO_VSC);
        const bool alt = modifier == VK_MENU;
        MSG msg{};
        msg.hwnd = Form->Handle();
        msg.message = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
        msg.wParam = static_cast<WPARAM>(virtualKey);
        msg.lParam = 1 | (LPARAM(scan) << 16) | (alt ? LPARAM(1) << 29 : 0);
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        keys[VK_SHIFT] = 0;
        keys[VK_MENU] = 0;
        SetKeyboardState(keys);
        Pump();
    }

    std::unique_ptr<TForm1> Form;
    HWND PlayerWindow = nullptr;
    winampVisModule Module{};
};

}  // namespace

TEST_F(MainFormKeys, KeysPostTheirCommandsWhateverTheModifier) {
    CreateForm();
    Form->Show();
    const std::pair<int, int> keys[] = {
        {VK_UP, 0},     {VK_DOWN, VK_MENU}, {'Z', VK_SHIFT},   {'X', VK_MENU},      {'C', VK_SHIFT}, {'V', 0},
        {'B', VK_MENU}, {VK_OEM_PERIOD, 0}, {VK_OEM_COMMA, 0}, {VK_SPACE, VK_MENU}, {'Q', VK_SHIFT}, {'Q', VK_MENU}};
    for (const auto& [key, modifier] : keys) {
        Press(key, modifier);
    }
    EXPECT_EQ(Player.Commands, (std::vector<WPARAM>{40058, 40059, 40044, 40045, 40046, 40047, 40048, 40060, 40061}));
    EXPECT_TRUE(IsWindowVisible(Form->Handle()));
    Press(VK_F4, VK_MENU);
    EXPECT_FALSE(IsWindowVisible(Form->Handle())) << "Alt+F4, which no command takes, still closes the window";
}

TEST_F(MainFormKeys, HintsShowTheirTextAndColourAndTimedOnesGo) {
    CreateForm();
    const int mainHeight = DisplayState().MainPanelHeight;
    // Where an image lies on the screen: the paint box it is drawn on moves below the hint.
    const auto imageTop = [this] {
        RECT box{};
        GetWindowRect(dynamic_cast<TSurfaceCanvas&>(*Form->MainCanvas()).Window(), &box);
        return box.top + Form->Image1().Top();
    };
    const int bottomImageTop = imageTop();
    Press('V');
    EXPECT_EQ(imageTop(), bottomImageTop) << "the images keep their place in the main area";
    EXPECT_TRUE(Form->HintShown());
    EXPECT_EQ(Form->HintText(), "\x7F   Stop  -  press [X] to start playing");
    EXPECT_EQ(Form->HintColor(), RGBColor(255, 0, 0));
    EXPECT_EQ(Form->MainCanvas()->Height(), mainHeight - 18) << "the paint box moves below the hint";
    EXPECT_EQ(Form->TitleLabel().ScrollDirection(), sdStatic);
    Press('Z');
    EXPECT_EQ(Form->HintText(), "|<   Jump to previous song  -  press [X] to start playing");

    EXPECT_FALSE(Form->HintTimerRunning()) << "a hint that stays needs no timer";
    Press('X');
    EXPECT_EQ(Form->HintText(), ">    Start playing.....");
    EXPECT_TRUE(Form->HintTimerRunning());
    EXPECT_NE(Form->TitleLabel().ScrollDirection(), sdStatic) << "playing moves the title again";
    for (int tick = 0; tick < 5; ++tick) {
        Form->Timer1Timer();
    }
    EXPECT_TRUE(Form->HintShown()) << "500 ms counted: still there";
    Form->Timer1Timer();
    EXPECT_FALSE(Form->HintShown());
    EXPECT_FALSE(Form->HintTimerRunning()) << "nothing counts down: no tick wakes the thread";
    EXPECT_EQ(Form->HintText(), "");
    EXPECT_EQ(Form->MainCanvas()->Height(), mainHeight);
    EXPECT_EQ(imageTop(), bottomImageTop);

    Press('C');
    EXPECT_EQ(Form->TitleLabel().ScrollDirection(), sdStatic);
    Press('C');
    EXPECT_FALSE(Form->HintShown()) << "resuming hides the pause hint at once";
}

TEST_F(MainFormKeys, TitleAndClockComeFromThePlayer) {
    VisSettings().TitleScroll = 0;
    CreateForm();
    Form->RenderFrame(Module);
    Form->RenderFrame(Module);
    EXPECT_EQ(Form->TitleLabel().Items(), std::vector<std::string>{"7. Artist - Song < 3:45 >"});
    EXPECT_EQ(Form->ClockLabel().Text(), "01:01");
    EXPECT_EQ(Player.VersionRequests, 1) << "asked once per window";
    EXPECT_EQ(Form->TitleLabel().ScrollDirection(), sdStatic);
    EXPECT_EQ(Form->TitleLabel().Steps(), 300);
}

TEST_F(MainFormKeys, ClockSideAndDirectionFollowTheSettings) {
    struct Case {
        int clockAlign;
        int titleScroll;
        bool clockLeft;
    };
    for (const Case c : {Case{256, 5, true}, Case{1, -1, false}, Case{0, 4, true}}) {
        VisSettings().ClockAlign = c.clockAlign;
        VisSettings().TitleScroll = c.titleScroll;
        CreateForm();
        RECT form{};
        RECT clock{};
        GetWindowRect(Form->Handle(), &form);
        GetWindowRect(Form->ClockLabel().Handle(), &clock);
        EXPECT_EQ(clock.left == form.left, c.clockLeft) << "ClockAlign " << c.clockAlign;
        EXPECT_EQ(clock.right == form.right, !c.clockLeft) << "ClockAlign " << c.clockAlign;
        const TRect title = Form->TitleLabel().Bounds();
        EXPECT_EQ(title.Width() + (clock.right - clock.left), form.right - form.left) << "the title fills the rest";
        const int d = Form->TitleLabel().ScrollDirection();
        if (c.titleScroll == 5) {
            EXPECT_TRUE(d >= 1 && d <= 4) << d;
        } else {
            EXPECT_EQ(d, c.titleScroll < 0 ? 0 : c.titleScroll) << "below 0 stands still";
        }
        EXPECT_EQ(Form->TitleLabel().Steps(), d > 2 ? 30 : 300);
        Form.reset();
    }
}

// Regression: a player whose window thread stopped answering hung every render.
TEST_F(MainFormKeys, APlayerThatDoesNotAnswerCostsABoundedWait) {
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HWND silent = nullptr;
    TWorker owner;
    owner.Start([&] {
        silent = MakePlayerWindow();
        SetEvent(ready);
        WaitForSingleObject(release, INFINITE);  // owns the window, pumps nothing
        DestroyWindow(silent);
    });
    WaitForSingleObject(ready, INFINITE);
    TPlayerWindowRequests requests(silent, 50);
    EXPECT_FALSE(requests.Version());
    EXPECT_FALSE(requests.WindowText());

    VisSettings().TitleScroll = 0;
    CreateForm();
    Module.hwndParent = silent;
    Form->RenderFrame(Module);
    EXPECT_EQ(Form->TitleLabel().Items(), std::vector<std::string>{"7. Artist - Song < 3:45 >"})
        << "no answer changes nothing";
    SetEvent(release);
    owner.Join();
    CloseHandle(release);
    CloseHandle(ready);
}

}  // namespace main_form_keys_test
