// The display window's layout from the settings, on the real screen (1024 x 768 under Xvfb).

#include <gtest/gtest.h>
#include <windows.h>

#include "display/MainForm.h"
#include "displaystate/DisplayState.h"
#include "effects/LightThread.h"
#include "effects/RocketThread.h"
#include "framework/win32/Application.h"
#include "framework/win32/GdiCanvas.h"
#include "framework/win32/GdiSurface.h"
#include "settings/VisSettings.h"
#include "tests/win/pump.h"

namespace main_form_test {

namespace {

class MainFormLayout : public ::testing::Test {
protected:
    void SetUp() override {
        VisSettings() = TVisSettings{};
        VisSettings().AlwaysTop = false;
        DisplayState() = TDisplayState{};
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
    EXPECT_EQ(Application().Handle.load(), nullptr) << "detached from the player window";
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

    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }

    // On the main area, a release over an image is the image's.
    const HWND box = dynamic_cast<TSurfaceCanvas&>(*Form->MainCanvas()).Window();
    const TRect image = Form->Image1().BoundsRect();
    ASSERT_FALSE(Form->Image1().Empty());
    SendMessageA(box, WM_RBUTTONUP, 0, MAKELPARAM(image.Left + 1, image.Top + 1));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "over the image";
    SendMessageA(box, WM_RBUTTONUP, 0, MAKELPARAM(image.Left - 1, image.Top + 1));
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "beside it";
}

TEST_F(MainFormLayout, RenderFrameReducesTheSpectrumIntoTheSharedValues) {
    VisSettings().EffectEnabled = false;
    VisSettings().SpectrumsEnabled = false;
    VisSettings().vuEnabled = false;
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
    EXPECT_EQ(Form->RunningRenderers()->Count(), 0) << "all three disabled: nothing starts";
}

TEST_F(MainFormLayout, EffectZeroStartsTheRocketsAndAnyOtherValueTheStarfield) {
    VisSettings().SpectrumsEnabled = false;
    VisSettings().vuEnabled = false;
    for (const int effect : {0, 1, 2, -1, 2147483647}) {
        VisSettings().Effect = effect;
        CreateForm();
        Form->RenderFrame(winampVisModule{});
        TEffectThread* started = Form->RunningRenderers()->Get(TRendererSlot::EffectThread);
        ASSERT_NE(started, nullptr) << "Effect " << effect;
        EXPECT_EQ(dynamic_cast<TRocketThr*>(started) != nullptr, effect == 0) << "Effect " << effect;
        EXPECT_EQ(dynamic_cast<TLightSpeed*>(started) != nullptr, effect != 0) << "Effect " << effect;
        Form.reset();
    }
}

}  // namespace

namespace {

TEST_F(MainFormLayout, FirstRenderStartsTheEnabledRenderersAndTheyDrawOnTheWindowThread) {
    VisSettings().EffectEnabled = false;
    CreateForm();
    Form->Show();
    winampVisModule module{};
    for (auto& row : module.spectrumData) {
        for (auto& bin : row) {
            bin = 255;
        }
    }
    Form->RenderFrame(module);
    ASSERT_NE(Form->RunningRenderers(), nullptr);
    EXPECT_EQ(Form->RunningRenderers()->Count(), 2);
    EXPECT_TRUE(Form->RunningRenderers()->IsRunning(TRendererSlot::SpectrumBarsThread));
    EXPECT_TRUE(Form->RunningRenderers()->IsRunning(TRendererSlot::VUMeterThread));
    EXPECT_FALSE(Form->RunningRenderers()->IsRunning(TRendererSlot::EffectThread));
    PumpFor(100);
    const TDisplayState& state = DisplayState();
    EXPECT_EQ(state.BandHeights[0], 0) << "the bars consumed the band heights";
    // As the player does: a render every 10 ms keeps the bars up.
    for (int i = 0; i < 30; ++i) {
        Form->RenderFrame(module);
        PumpFor(10);
    }
    // Bar 0 stands on the bottom of the main area, in the spectrum colour family (not black).
    const int x = state.SpectrumLeft + state.BandMargin + state.BandWidth / 2;
    EXPECT_NE(Form->MainCanvas()->GetPixel(x, state.MainPanelHeight - 20), VisSettings().Background);
    Form->Shutdown();
    EXPECT_EQ(Form->RunningRenderers(), nullptr);
}

}  // namespace

namespace {

TEST_F(MainFormLayout, TheEndOfAnyRendererStopsTheOthersAndAsksThePlayerToQuit) {
    CreateForm();
    Application().MainThreadId = GetCurrentThreadId();
    winampVisModule module{};
    Form->RenderFrame(module);
    TRenderers* renderers = Form->RunningRenderers();
    ASSERT_EQ(renderers->Count(), 3);
    // The VU meter ends on its own (as a renderer given no canvas would): StopAll follows.
    renderers->Get(TRendererSlot::VUMeterThread)->Terminate();
    const DWORD end = GetTickCount() + 3000;
    bool quitPosted = false;
    while (renderers->Count() > 0 && static_cast<int>(end - GetTickCount()) > 0) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quitPosted = true;
            } else {
                DispatchMessageA(&msg);
            }
        }
    }
    EXPECT_TRUE(quitPosted);
    EXPECT_FALSE(renderers->IsRunning(TRendererSlot::EffectThread));
    EXPECT_FALSE(renderers->IsRunning(TRendererSlot::SpectrumBarsThread));
    EXPECT_EQ(renderers->Count(), 0) << "every renderer ended and was reaped";
}

}  // namespace

namespace {

std::string Bounds(const TGIFImagX& image) {
    const TRect r = image.BoundsRect();
    return std::to_string(r.Left) + "," + std::to_string(r.Top) + " " + std::to_string(r.Width()) + "x" +
           std::to_string(r.Height()) + (image.Visible() ? "" : " hidden");
}

// Regression: image 2 kept its creation width with the images off, and the bands left room for it.
TEST_F(MainFormLayout, ImagesOffLeaveTheBandsTheWholeWidth) {
    VisSettings().ImageEnabled = false;
    VisSettings().LoadGif = "User";
    VisSettings().GifAlign1B = 2;
    CreateForm();
    EXPECT_EQ(DisplayState().SpectrumLeft, 0);
    EXPECT_EQ(DisplayState().SpectrumWidth, DisplayState().MainPanelRight);
}

TEST_F(MainFormLayout, TheBuiltInImagesTakeTheirCornersAndSpaceCyclesTheSets) {
    CreateForm();
    const int right = DisplayState().MainPanelRight;
    const int bottom = DisplayState().MainPanelHeight;
    auto at = [](int x, int y, const char* size) { return std::to_string(x) + "," + std::to_string(y) + " " + size; };
    EXPECT_EQ(Form->CurrentImageSet(), 1);
    EXPECT_EQ(Bounds(Form->Image1()), at(right - 183, bottom - 200, "183x200"));
    EXPECT_EQ(Bounds(Form->Image2()), at(right - 40, 0, "40x40"));
    EXPECT_EQ(DisplayState().SpectrumWidth, right - 183) << "the bands end where the bottom image begins";

    Form->NextImageSet();
    EXPECT_EQ(Form->CurrentImageSet(), 2);
    EXPECT_EQ(Bounds(Form->Image1()), at(right - 197, bottom - 173, "197x173"));
    EXPECT_EQ(Bounds(Form->Image2()), at(0, bottom - 96, "104x96"));
    EXPECT_EQ(DisplayState().SpectrumLeft, 104);
    EXPECT_EQ(DisplayState().SpectrumWidth, right - 197 - 104);
    ASSERT_NE(DisplayState().SpectrumBitmap, nullptr);
    EXPECT_EQ(DisplayState().SpectrumBitmap->Width(), DisplayState().BandWidth - 2) << "the ramp follows the bands";

    Form->NextImageSet();
    EXPECT_EQ(Form->CurrentImageSet(), 0);
    EXPECT_FALSE(Form->Image1().Visible());
    EXPECT_EQ(DisplayState().SpectrumWidth, right);
    Form->NextImageSet();
    EXPECT_EQ(Form->CurrentImageSet(), 1);
    EXPECT_EQ(Bounds(Form->Image1()), at(right - 183, bottom - 200, "183x200"));

    // A new window starts with set 1 again.
    Form->NextImageSet();
    Form.reset();
    CreateForm();
    EXPECT_EQ(Form->CurrentImageSet(), 1);
    EXPECT_EQ(DisplayState().SpectrumWidth, right - 183);
}

}  // namespace

}  // namespace main_form_test
