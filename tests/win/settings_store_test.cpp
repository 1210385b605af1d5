// plugin.ini through the real profile functions: the file beside the running executable.

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>

#include "framework/win32/Handles.h"
#include "framework/win32/ProfileStore.h"
#include "host/Vis.h"
#include "settings/VisSettings.h"

namespace settings_store_test {

namespace {

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        Path = SettingsFilePath();
        DeleteFileA(Path.c_str());
        VisSettings() = TVisSettings{};
    }
    void TearDown() override {
        DeleteFileA(Path.c_str());
        VisSettings() = TVisSettings{};
    }
    void WriteIni(const std::string& body) {
        std::ofstream out(Path, std::ios::binary | std::ios::trunc);
        out << "[Other]\r\nGravity=1\r\n[Skyburst]\r\n" << body;
    }

    std::string Path;
};

TEST_F(SettingsFile, LivesBesideTheExecutable) {
    EXPECT_EQ(Path, ExecutableDirectory() + "plugin.ini");
    EXPECT_TRUE(Path.size() > 10 && (Path[Path.size() - 11] == '\\' || Path[Path.size() - 11] == '/')) << Path;
}

TEST_F(SettingsFile, MissingFileKeepsEveryDefault) {
    LoadSettings();
    EXPECT_EQ(VisSettings().MaxSpectrumH, 220);
    EXPECT_EQ(VisSettings().TitleScroll, 5);
    EXPECT_EQ(VisSettings().LoadGif, "Default");
    EXPECT_TRUE(VisSettings().AlwaysTop);
}

TEST_F(SettingsFile, ValuesAreDecodedFromOurSectionOnly) {
    WriteIni(
        "Gravity=0x10\r\nMaxRocketNumber=$10\r\nBarB=abc\r\nAlwaysTop=2\r\nvuEnabled=0\r\n"
        "Background=16711808\r\nvuB=-4\r\n");
    LoadSettings();
    EXPECT_EQ(VisSettings().Gravity, 16);
    EXPECT_EQ(VisSettings().MaxRocketNumber, 16);
    EXPECT_EQ(VisSettings().BarB, 3) << "garbage keeps the default";
    EXPECT_TRUE(VisSettings().AlwaysTop);
    EXPECT_FALSE(VisSettings().vuEnabled);
    EXPECT_EQ(VisSettings().Background, 16711808u);
    EXPECT_EQ(VisSettings().vuB, -4);
}

TEST_F(SettingsFile, KeyRemovedBetweenLoadsKeepsTheEarlierValue) {
    WriteIni("StarQty=33\r\n");
    LoadSettings();
    WriteIni("Brightness=7\r\n");
    LoadSettings();
    EXPECT_EQ(VisSettings().StarQty, 33);
    EXPECT_EQ(VisSettings().Brightness, 7);
}

TEST_F(SettingsFile, UserImagesAreReadOnlyWhenLoadGifIsNotExactlyDefault) {
    WriteIni("LoadGif=Default\r\nUserGif1A=C:\\a.gif\r\nGifAlign1A=3\r\n");
    LoadSettings();
    EXPECT_EQ(VisSettings().UserGif1A, "");
    EXPECT_EQ(VisSettings().GifAlign1A, 0);

    WriteIni("LoadGif=default\r\nUserGif1A=C:\\a.gif\r\nGifAlign1A=3\r\n");
    LoadSettings();
    EXPECT_EQ(VisSettings().UserGif1A, "C:\\a.gif");
    EXPECT_EQ(VisSettings().GifAlign1A, 3);
}

TEST_F(SettingsFile, LongTextsAreCutAndLongLinesAreHarmless) {
    WriteIni("LoadGif=x\r\nUserGif2B=" + std::string(5000, 'y') + "\r\nStarQty=" + std::string(5000, '9') + "\r\n");
    LoadSettings();
    EXPECT_EQ(VisSettings().UserGif2B, std::string(1023, 'y'));
    EXPECT_EQ(VisSettings().StarQty, 100);
}

TEST_F(SettingsFile, WritesReachTheFileAndReadBack) {
    TProfileStore store(Path, SettingsSection);
    WriteSettingsInteger(store, "Gravity", -12);
    WriteSettingsBoolean(store, "AlwaysTop", false);
    WriteSettingsText(store, "UserGif1A", "D:\\x y.gif");
    std::ifstream in(Path);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("Gravity=-12"), std::string::npos) << text;
    EXPECT_NE(text.find("AlwaysTop=0"), std::string::npos) << text;
    EXPECT_EQ(ReadSettingsText(store, "UserGif1A", ""), "D:\\x y.gif");
}

TEST_F(SettingsFile, RefusedWriteRaisesWithTheFullPath) {
    WriteIni("Gravity=1\r\n");
    // Held open with no sharing, the file cannot be rewritten (as root a read-only flag would
    // not stop the write).
    UniqueHandle lock(CreateFileA(Path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_NE(lock.Get(), INVALID_HANDLE_VALUE);
    TProfileStore store(Path, SettingsSection);
    try {
        WriteSettingsInteger(store, "Gravity", 5);
        FAIL() << "the write was reported as done";
    } catch (const ESettingsWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + Path);
    }
}

TEST_F(SettingsFile, WriteIntoAFolderPathRaises) {
    const std::string folder = ExecutableDirectory() + "settings-folder.ini";
    CreateDirectoryA(folder.c_str(), nullptr);
    TProfileStore store(folder, SettingsSection);
    EXPECT_THROW(WriteSettingsBoolean(store, "AlwaysTop", true), ESettingsWriteError);
    RemoveDirectoryA(folder.c_str());
}

}  // namespace

}  // namespace settings_store_test
