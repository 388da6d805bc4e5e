#include "app/VernaliaScreensaver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "support/Bytes.h"
#include "support/LogCapture.h"
#include "support/ScopedEnvironment.h"
#include "support/TemporaryFolder.h"

namespace
{

const char* kStoreName = "/Brightfold Software/Vernalia 3D Screensaver.conf";

// Each test gets its own config folder, so "first run" means first.
class SettingsRun : public ::testing::Test
{
protected:
    SettingsRun() : config("XDG_CONFIG_HOME", folder.Path().c_str()) {}

    std::string StorePath() const { return folder.Path() + kStoreName; }

    // A store left by an earlier run or written by hand.
    void WriteStore(const std::string& text)
    {
        ASSERT_EQ(mkdir((folder.Path() + "/Brightfold Software").c_str(), 0700), 0);
        WriteText(StorePath(), text);
    }

    // The start-up steps that deal with settings, in their order.
    int32_t StartUp(VernaliaScreensaver& app)
    {
        if (app.LoadDefaults() != 0 || app.ApplyDefaults() != 0)
            return 1;
        return app.ReadSettings();
    }

    TemporaryFolder folder;
    ScopedEnvironment config;
};

} // namespace

TEST_F(SettingsRun, FirstRunWritesAllTwentyValuesAndSecondRunReadsThemBack)
{
    LogCapture capture;
    {
        VernaliaScreensaver first(String("vernalia /s"), Automation());
        ASSERT_EQ(StartUp(first), 0);
        EXPECT_TRUE(capture.Contains("Первый запуск скринсейвера. Запись параметров по-умолчанию в реестр..."));
        EXPECT_TRUE(capture.Contains("Значения параметров по-умолчанию записаны в реестр."));
    }
    std::string stored = ReadText(StorePath());
    EXPECT_EQ(std::count(stored.begin(), stored.end(), '\n'), 20);
    EXPECT_NE(stored.find("Volume=75\n"), std::string::npos);
    EXPECT_NE(stored.find("ShowNews=0\n"), std::string::npos);
    EXPECT_NE(stored.find("Widescreen=1\n"), std::string::npos);

    // A changed value survives into the next run.
    std::string edited = stored;
    edited.replace(edited.find("Volume=75"), 9, "Volume=-5");
    WriteText(StorePath(), edited);

    capture.Clear();
    VernaliaScreensaver second(String("vernalia /s"), Automation());
    ASSERT_EQ(StartUp(second), 0);
    EXPECT_FALSE(capture.Contains("Первый запуск"));
    EXPECT_EQ(second.GetCurrent().volume, -5);
    EXPECT_EQ(second.GetCurrent().width, 800);
    EXPECT_FALSE(second.GetExtraCurrent(VernaliaScreensaver::kShowNews));
}

TEST_F(SettingsRun, StoreWithOnlySomeValuesChangesOnlyThose)
{
    WriteStore("Volume=33\nBloom=0\n");

    VernaliaScreensaver app(String("vernalia /s"), Automation());
    ASSERT_EQ(StartUp(app), 0);
    EXPECT_EQ(app.GetCurrent().volume, 33);
    EXPECT_FALSE(app.GetExtraCurrent(VernaliaScreensaver::kBloom));
    EXPECT_TRUE(app.GetCurrent().useDesktopSettings);
    EXPECT_EQ(app.GetCurrent().colorDepth, 32);
    EXPECT_TRUE(app.GetExtraCurrent(VernaliaScreensaver::kFur));
    // Reading writes nothing back.
    EXPECT_EQ(ReadText(StorePath()), "Volume=33\nBloom=0\n");
}

TEST_F(SettingsRun, UnusableConfigFolderFailsWithTheDescribedLine)
{
    // A regular file where the folder should be: even root cannot write there.
    WriteText(folder.Path() + "/Brightfold Software", "not a folder");
    LogCapture capture;
    VernaliaScreensaver app(String("vernalia /s"), Automation());
    EXPECT_EQ(StartUp(app), 1);
    EXPECT_TRUE(capture.Contains("Неудачна попытка открытия пути реестра [Software\\\\Brightfold Software\\\\Vernalia 3D Screensaver]."));
}

TEST_F(SettingsRun, LogSettingsWritesOneLinePerValueInFieldOrder)
{
    VernaliaScreensaver app(String("vernalia /s"), Automation());
    ASSERT_EQ(StartUp(app), 0);
    LogCapture capture;
    ASSERT_EQ(app.LogSettings(), 0);
    std::vector<std::string> expected = {
        "ShowFPS: false", "ExitOnMouseMove: false", "ShowTime: true", "UseDesktopSettings: true",
        "Music: true", "SFX: true", "Hour24: false", "Volume: 75", "Width: 800", "Height: 600",
        "ColorDepth: 32", "AntiAliasing: 0", "Gamma: 0", "Show Information: true", "Show News: false",
        "Show Quotes: false", "Fur: true", "Shadows: true", "Bloom: true", "Widescreen: true"};
    ASSERT_EQ(capture.Lines().size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(capture.Lines()[i].text, expected[i]);
}

TEST_F(SettingsRun, UiStringsComeFromTheirTableWithExactKeys)
{
    VernaliaScreensaver app(String("vernalia /s"), Automation());
    ASSERT_EQ(app.LoadLocalData(), 0);
    const String* name = app.FindUiString(String("AppName"));
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(*name, String("Vernalia 3D Screensaver"));
    const String* empty = app.FindUiString(String("Mes_About_String2"));
    ASSERT_NE(empty, nullptr);
    EXPECT_TRUE(empty->IsEmpty());
    EXPECT_EQ(app.FindUiString(String("appname")), nullptr);
    EXPECT_EQ(*app.FindUiString(String("Mes_Settings_Gamma")), String("Gamma Control:"));
}
