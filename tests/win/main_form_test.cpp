// The display window's layout from the settings, on the real screen (1024 x 768 under Xvfb).

#include <gtest/gtest.h>
#include <windows.h>

#include "display/DisplayState.h"
#include "display/MainForm.h"
#include "framework/win32/Application.h"
#include "host/VisSettings.h"

namespace {

class MainFormLayout : public ::testing::Test {
protected:
    void SetUp() override {
        VisSettings() = TVisSettings{};
        VisSettings().AlwaysTop = false;
        ScreenWidth = GetSystemMetrics(SM_CXSCREEN);
        ScreenHeight = GetSystemMetrics(SM_CYSCREEN);
    }
    void TearDown() override {
        Form.reset();
        TWindow::UnregisterClasses();
        // Drop the quit requests the form posted, so they do not end a later message loop.
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    void CreateForm() {
        Form = std::make_unique<TForm1>();
        ASSERT_TRUE(Form->Create());
    }

    std::unique_ptr<TForm1> Form;
    int ScreenWidth = 0;
    int ScreenHeight = 0;
};

TEST_F(MainFormLayout, FillsTheScreenAndLeavesTheStripsBelowTheMainArea) {
    CreateForm();
    RECT r{};
    GetWindowRect(Form->Handle(), &r);
    EXPECT_EQ(r.right - r.left, ScreenWidth);
    EXPECT_EQ(r.bottom - r.top, ScreenHeight);
    EXPECT_EQ(DisplayState().MainPanelRight, ScreenWidth - 1);
    EXPECT_EQ(DisplayState().MainPanelHeight, ScreenHeight - 15 - 16);
    EXPECT_EQ(Form->MainCanvas()->Width(), ScreenWidth);
    EXPECT_EQ(Form->VUCanvas()->Height(), 15);
}

TEST_F(MainFormLayout, DisabledStripsGiveTheirRoomToTheMainArea) {
    VisSettings().vuEnabled = false;
    VisSettings().TitleEnabled = false;
    CreateForm();
    EXPECT_EQ(DisplayState().MainPanelHeight, ScreenHeight);
}

TEST_F(MainFormLayout, AbsurdStripHeightsAreHeldInsideTheScreen) {
    for (const int height : {-5, 0, 2147483647}) {
        VisSettings().vumeterH = height;
        CreateForm();
        const int h = DisplayState().MainPanelHeight;
        EXPECT_GE(h, 0) << "vumeterH " << height;
        EXPECT_LE(h, ScreenHeight - 16) << "vumeterH " << height;
        Form.reset();
    }
}

TEST_F(MainFormLayout, StopAllPostsTheQuitRequestToTheInitThread) {
    CreateForm();
    Application().MainThreadId = GetCurrentThreadId();
    Application().Handle = Form->Handle();
    Form->StopAll();
    EXPECT_EQ(Application().Handle, nullptr) << "detached from the player window";
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 0u);
}

TEST_F(MainFormLayout, EscAndTheRightButtonEndTheDisplay) {
    CreateForm();
    Application().MainThreadId = GetCurrentThreadId();
    MSG msg;
    Form->FormKeyDown(VK_ESCAPE);
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    Form->FormMouseUp(TMouseButton::Left, 1, 1);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "left button does nothing";
    Form->FormMouseUp(TMouseButton::Right, 1, 1);
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(MainFormLayout, RenderFrameReducesTheSpectrumIntoTheSharedValues) {
    CreateForm();
    winampVisModule module{};
    for (int ch = 0; ch < 2; ++ch) {
        for (int j = 0; j < 576; ++j) {
            module.spectrumData[ch][j] = 255;
        }
    }
    Form->RenderFrame(module);
    EXPECT_EQ(DisplayState().BandHeights[0], 220);
    EXPECT_EQ(DisplayState().VULevels[1], static_cast<int>((ScreenWidth - 1) * 0.5 - 9 - 6 - 3));
    EXPECT_FALSE(DisplayState().FirstRender);
}

}  // namespace
