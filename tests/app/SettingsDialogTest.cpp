#include "app/SettingsDialog.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "app/AboutBox.h"
#include "app/VernaliaScreensaver.h"
#include "support/Bytes.h"
#include "support/ScopedEnvironment.h"
#include "support/TemporaryFolder.h"

namespace
{

using platform::DialogAction;
using D = SettingsDialog;

// The application after its settings steps, a private store, and the
// dialog opened over a fixed mode list.
class DialogRun : public ::testing::Test
{
protected:
    DialogRun() : config("XDG_CONFIG_HOME", folder.Path().c_str()) {}

    void SetUp() override
    {
        AddMode(true, 640, 480, 16);
        AddMode(true, 1024, 768, 32);
        AddMode(false, 1024, 768, 32);  // windowed: never listed
        AddMode(true, 320, 240, 32);    // too small: never listed
    }

    void AddMode(bool fullScreen, int32_t width, int32_t height, int32_t bits)
    {
        auto mode = std::make_unique<DisplayMode>();
        mode->fullScreen = fullScreen;
        mode->width = width;
        mode->height = height;
        mode->colorBits = bits;
        modes.Append(std::move(mode));
    }

    std::string StorePath() const { return folder.Path() + "/Brightfold Software/Vernalia 3D Screensaver.conf"; }

    // Settings steps (a first run writes the store), then the dialog.
    SettingsDialog& Open(const std::string& store = "")
    {
        if (!store.empty())
        {
            mkdir((folder.Path() + "/Brightfold Software").c_str(), 0700);
            WriteText(StorePath(), store);
        }
        EXPECT_EQ(app.LoadDefaults() | app.ApplyDefaults() | app.ReadSettings() | app.LoadLocalData(), 0);
        dialog = std::make_unique<SettingsDialog>(app, &modes);
        dialog->Initialize();
        return *dialog;
    }

    // What a click on a box does: the box's new state, then its command.
    DialogAction Click(int32_t id)
    {
        DialogModel& model = dialog->Model();
        model.SetChecked(id, !model.IsChecked(id));
        return dialog->Command(id);
    }

    TemporaryFolder folder;
    ScopedEnvironment config;
    Array<std::unique_ptr<DisplayMode>> modes;
    VernaliaScreensaver app{String("vernalia /c"), Automation()};
    std::unique_ptr<SettingsDialog> dialog;
};

} // namespace

TEST_F(DialogRun, VolumeBarAndLabelAreUsableWhileMusicOrSoundIsOn)
{
    DialogModel& model = Open().Model();
    struct Case
    {
        int32_t click;
        bool enabled;
    } cases[] = {{D::kMusic, true}, {D::kSfx, false}, {D::kMusic, true}, {D::kMusic, false}, {D::kSfx, true}};
    for (const Case& c : cases)
    {
        Click(c.click);
        EXPECT_EQ(model.IsEnabled(D::kVolume), c.enabled) << c.click;
        EXPECT_EQ(model.IsEnabled(D::kVolumeLabel), c.enabled) << c.click;
    }
    EXPECT_TRUE(app.GetCurrent().sfx);
    EXPECT_FALSE(app.GetCurrent().music);
}

TEST_F(DialogRun, RestoreDefaultsShowsTheTableAndWritesNothingUntilOk)
{
    DialogModel& model = Open("ShowFPS=1\nExitOnMouseMove=1\nShowTime=0\nUseDesktopSettings=0\nMusic=0\nSFX=0\n"
                              "Hour24=1\nVolume=12\nGamma=40\nShowNews=1\nFur=0\nWidescreen=0\n")
                              .Model();
    EXPECT_EQ(model.Text(D::kGammaValue), "140%");
    EXPECT_FALSE(model.IsChecked(1050));
    const Bytes before = ReadBytes(StorePath());

    EXPECT_EQ(dialog->Command(D::kRestoreDefaults), DialogAction::Continue);
    struct Shown
    {
        int32_t id;
        bool checked;
    } boxes[] = {{D::kShowFps, false}, {D::kExitOnMouse, false}, {D::kShowTime, true}, {D::kUseDesktop, true},
                 {D::kMusic, true},    {D::kSfx, true},          {D::kHour24, false},  {D::kHour12, true},
                 {1047, true},         {1048, false},            {1049, false},        {1050, true},
                 {1053, true},         {1054, true},             {1055, true}};
    for (const Shown& box : boxes)
        EXPECT_EQ(model.IsChecked(box.id), box.checked) << box.id;
    EXPECT_EQ(model.Position(D::kVolume), 75);
    EXPECT_EQ(model.Position(D::kGamma), 0);
    EXPECT_EQ(model.Text(D::kGammaValue), "100%");
    EXPECT_EQ(model.Selection(D::kModeList), -1);  // 800x600x32 is not offered
    EXPECT_FALSE(model.IsEnabled(D::kModeList));
    EXPECT_TRUE(model.IsEnabled(D::kVolume) && model.IsEnabled(D::kHour12));
    EXPECT_EQ(ReadBytes(StorePath()), before);

    EXPECT_EQ(dialog->Command(D::kOk), DialogAction::End);
    EXPECT_EQ(dialog->Result(), 1);
    const std::string after = ReadText(StorePath());
    for (const char* line : {"ShowFPS=0\n", "Volume=75\n", "Width=800\n", "Gamma=0\n", "ShowNews=0\n", "Fur=1\n",
                             "Widescreen=1\n"})
        EXPECT_NE(after.find(line), std::string::npos) << line;
}

TEST_F(DialogRun, CancelAfterChangesLeavesTheStoreAsItWas)
{
    Open();
    const Bytes before = ReadBytes(StorePath());
    Click(D::kShowFps);
    Click(1049);
    dialog->Model().SetPosition(D::kGamma, 50);
    dialog->Scroll(D::kGamma);
    EXPECT_EQ(dialog->Model().Text(D::kGammaValue), "150%");
    EXPECT_EQ(dialog->Command(D::kCancel), DialogAction::End);
    EXPECT_EQ(dialog->Result(), 2);
    EXPECT_EQ(ReadBytes(StorePath()), before);
}

TEST_F(DialogRun, ModeListOffersFullScreenModesAndOkTakesOnlyASelection)
{
    DialogModel& model = Open("UseDesktopSettings=0\nWidth=1024\nHeight=768\nColorDepth=32\n").Model();
    const platform::DialogControl& list = *model.Template().Find(D::kModeList);
    ASSERT_EQ(list.items, (std::vector<std::string>{"640x480x16bits", "1024x768x32bits"}));
    EXPECT_EQ(list.selection, 1);
    EXPECT_TRUE(list.enabled);

    // A stored mode the list lacks selects nothing; OK keeps the old size.
    app.GetCurrent().width = 1280;
    dialog->Refresh();
    EXPECT_EQ(model.Selection(D::kModeList), -1);
    EXPECT_EQ(dialog->Command(D::kOk), DialogAction::End);
    EXPECT_NE(ReadText(StorePath()).find("Width=1280\nHeight=768\nColorDepth=32\n"), std::string::npos);

    model.SetSelection(D::kModeList, 0);
    dialog->Command(D::kOk);
    EXPECT_NE(ReadText(StorePath()).find("Width=640\nHeight=480\nColorDepth=16\n"), std::string::npos);
}

TEST_F(DialogRun, CommandsChangeTheirSettingAndNeighbours)
{
    DialogModel& model = Open().Model();
    Click(D::kShowTime);
    EXPECT_FALSE(app.GetCurrent().showTime);
    EXPECT_FALSE(model.IsEnabled(D::kHour24) || model.IsEnabled(D::kHour12));
    model.SetChecked(D::kHour24, true);
    model.SetChecked(D::kHour12, false);
    dialog->Command(D::kHour24);
    EXPECT_TRUE(app.GetCurrent().hour24);
    model.SetChecked(D::kHour12, true);
    dialog->Command(D::kHour12);
    EXPECT_FALSE(app.GetCurrent().hour24);
    Click(D::kUseDesktop);
    EXPECT_TRUE(model.IsEnabled(D::kModeList));
    Click(1054);
    EXPECT_FALSE(app.GetExtraCurrent(VernaliaScreensaver::kBloom));
    model.SetPosition(D::kVolume, 130);  // the bar keeps its range
    dialog->Scroll(D::kVolume);
    EXPECT_EQ(app.GetCurrent().volume, 100);

    EXPECT_EQ(dialog->Command(D::kAbout), DialogAction::ShowAbout);
    EXPECT_EQ(dialog->Command(D::kVisit), DialogAction::OpenAddress);
    EXPECT_EQ(dialog->ActionText(), app.GetWebSiteUrl().CStr());
}

TEST_F(DialogRun, TextsComeFromTheTableOrKeepTheTemplateDefault)
{
    DialogModel& model = Open().Model();
    EXPECT_EQ(model.Template().caption, "Vernalia 3D Screensaver Configuration");
    EXPECT_EQ(model.Text(D::kSfx), "Enable SFX");              // the table's text
    EXPECT_EQ(model.Text(1055), "Widescreen");                  // through the concrete layer
    EXPECT_EQ(model.Text(D::kGammaValue), "100%");
    EXPECT_EQ(model.Text(1016), "Video Mode");

    // A table without the key keeps the default text.
    VernaliaScreensaver bare(String("vernalia /c"), Automation());
    SettingsDialog plain(bare, nullptr);
    plain.Initialize();
    EXPECT_EQ(plain.Model().Text(D::kSfx), "Enable Sound");
    EXPECT_EQ(plain.Model().Text(1049), "Quotes (famous quotes from famous people)");

    AboutBox about(app);
    EXPECT_EQ(about.Model().Template().caption, "About");
    EXPECT_EQ(about.Model().Text(1047), "Thank you for using our screensaver!");
    EXPECT_EQ(about.Command(2), DialogAction::End);
    EXPECT_EQ(about.Result(), 2);
}

TEST_F(DialogRun, OkThatCannotWriteExplainsAndStaysOpen)
{
    Open();
    // A file where the store's folder was: even root cannot write there.
    const std::string maker = folder.Path() + "/Brightfold Software";
    ASSERT_EQ(std::remove(StorePath().c_str()) | rmdir(maker.c_str()), 0);
    WriteText(maker, "blocked");
    EXPECT_EQ(dialog->Command(D::kOk), DialogAction::ShowMessage);
    EXPECT_EQ(dialog->Result(), 0);
    EXPECT_NE(dialog->ActionText().find("Brightfold Software"), std::string::npos) << dialog->ActionText();
    EXPECT_EQ(ReadText(maker), "blocked");
}

TEST_F(DialogRun, UnreadableStoreLinesCountAsMissingAndSurviveOk)
{
    Open("Volume=abc\nsome text\nMusic=0\n");
    EXPECT_EQ(app.GetCurrent().volume, 75);
    EXPECT_FALSE(dialog->Model().IsChecked(D::kMusic));
    dialog->Command(D::kOk);
    const std::string after = ReadText(StorePath());
    // The damaged value is written over in its place; the foreign line stays.
    EXPECT_EQ(after.rfind("Volume=75\nsome text\nMusic=0\nShowFPS=0\n", 0), 0u) << after;
}
