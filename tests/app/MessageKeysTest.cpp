// The message window in the show: the hotkeys, the help text and its
// refresh, the start delay, and the feed server setting; a headless show
// whose feed server stalls.
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/VernaliaScreensaver.h"
#include "engine/files/InputEvent.h"
#include "info/TestFont.h"
#include "scene/SceneTestSupport.h"
#include "support/LocalHttpServer.h"
#include "support/LogCapture.h"
#include "support/RunProgram.h"
#include "support/ShowRun.h"

namespace
{

struct MessageApp : VernaliaScreensaver
{
    MessageApp() : VernaliaScreensaver(String("vernalia /s"), Automation()) { running = true; }
    void Press(char letter) { OnInputEvent({InputEvent::kKeyboard, InputEvent::kPress, EngineKey::Letter(letter), 0}); }
    void PressF1() { OnInputEvent({InputEvent::kKeyboard, InputEvent::kPress, EngineKey::Function(1), 0}); }
};

std::string Help(const char* facts, const char* quotes, const char* news, const char* mute)
{
    return std::string("Press the Hotkey to enable the following options:\n") +
           "I - Interesting facts about Vernalia [" + facts + "]\n" + "Q - Quotes                         \xB6\xB6\xB6\xB6\xB6[" + quotes + "]\n" + "N - BBC News                    [" + news +
           "]\n" + "M - Mute                           [" + mute + "]\nF12 - Print Screenshot\n";
}

class MessageKeys : public SceneTest
{
};

} // namespace

TEST_F(MessageKeys, HelpShowsAtOnceAndFollowsTheTogglesWhileShowing)
{
    MessageApp app;
    LogCapture log;
    app.ParseExtraDefault(String("feed_server_url"), String("http://feeds.example/path"));
    ASSERT_EQ(app.CreateMessageWindow(), 0);
    EXPECT_EQ(log.Count("[http://feeds.example/path]"), 1u);
    MessageWindow& window = *app.GetMessageWindow();
    window.SetFont(MakeTestFont().Get());
    EXPECT_TRUE(window.IsGroupEnabled(String(VernaliaScreensaver::kNewsGroup)));

    // Toggles while no help shows: the groups change, no help appears.
    app.Press('I');
    EXPECT_FALSE(window.IsGroupEnabled(String(VernaliaScreensaver::kFactsGroup)));
    EXPECT_TRUE(window.GetMessage().IsEmpty());
    EXPECT_EQ(app.GetMessageDelay(), 10.0f);

    app.PressF1();
    EXPECT_EQ(app.GetMessageDelay(), -1.0f);
    EXPECT_STREQ(window.GetMessage().title.CStr(), "Help");
    EXPECT_EQ(std::string(window.GetMessage().body.CStr()), Help("off", "on", "on", "off"));
    app.Update(0.1);
    EXPECT_EQ(window.GetPanelHeight(), MessageWindow::kFullHeight);
    EXPECT_EQ(window.GetTextAlpha(), 1.0f);
    const struct
    {
        char key;
        std::string help;
    } toggles[] = {
        {'Q', Help("off", "off", "on", "off")}, {'N', Help("off", "off", "off", "off")},
        {'M', Help("off", "off", "off", "on")}, {'I', Help("on", "off", "off", "on")},
    };
    for (const auto& t : toggles)
    {
        app.Press(t.key);
        EXPECT_EQ(std::string(window.GetMessage().body.CStr()), t.help) << t.key;
        EXPECT_TRUE(app.IsRunning());
    }
    EXPECT_FALSE(app.GetExtraCurrent(VernaliaScreensaver::kShowQuotes));
    EXPECT_TRUE(app.IsMuted());

    // F with every group off or empty shows nothing new.
    app.Press('I');
    app.Press('F');
    EXPECT_STREQ(window.GetMessage().title.CStr(), "Help");
    app.Press('Z');
    EXPECT_FALSE(app.IsRunning());
}

TEST_F(MessageKeys, TheWindowWaitsTenSecondsUnlessAsked)
{
    MessageApp app;
    ASSERT_EQ(app.CreateMessageWindow(), 0);
    app.GetMessageWindow()->SetFont(MakeTestFont().Get());
    app.GetMessageWindow()->ShowText(String("T"), String("B"));
    const float shown = app.GetMessageWindow()->GetTimer();
    app.Update(9.9);
    EXPECT_EQ(app.GetMessageWindow()->GetTimer(), shown);
    app.Update(0.2);
    EXPECT_FLOAT_EQ(app.GetMessageWindow()->GetTimer(), shown + 0.2f);
    EXPECT_LT(app.GetMessageDelay(), 0.0f);
}

// The window asks the news every frame once it opens (the facts are off)
// while the download stalls. The show and the same show without a feed run
// side by side, so both see the same load: a frame that waited for the
// download would wait out its 15-second stall limit. (The end's wait for a
// stalled download is FeedSource's DisablingDuringAStall.)
TEST_F(ShowRun, AShowWhoseFeedServerStallsKeepsItsPace)
{
    LocalHttpServer stalling(LocalHttpServer::kStall);
    const std::string servers[] = {"http://127.0.0.1:" + std::to_string(LocalHttpServer::ClosedPort()),
                                   stalling.Address()};
    std::vector<std::unique_ptr<RunProgram>> runs;
    for (const std::string& server : servers)
    {
        const std::string home = folder.Path() + "/" + std::to_string(runs.size());
        std::filesystem::create_directories(home + "/config/Brightfold Software");
        WriteText(home + "/config/Brightfold Software/Vernalia 3D Screensaver.conf",
                  "ShowInformation=0\nShowNews=1\n");
        runs.push_back(std::make_unique<RunProgram>(
            std::vector<std::string>{VERNALIA_BINARY, "/s"},
            std::vector<std::string>{"XDG_STATE_HOME=" + home, "XDG_CONFIG_HOME=" + home + "/config",
                                     "VERNALIA_HEADLESS=1", "VERNALIA_FRAMES=110", "VERNALIA_TIME_STEP=0.1",
                                     "VERNALIA_SIZE=320x240", "VERNALIA_FEED_SERVER=" + server}));
        ASSERT_TRUE(runs.back()->Start());
    }
    double seconds[2] = {0.0, 0.0}; // until each run ended
    const auto start = std::chrono::steady_clock::now();
    while ((seconds[0] == 0.0 || seconds[1] == 0.0) &&
           std::chrono::steady_clock::now() - start < std::chrono::minutes(1))
        for (int i = 0; i < 2; ++i)
            if (seconds[i] == 0.0 && runs[i]->EndsWithin(std::chrono::milliseconds(0)))
                seconds[i] = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    for (const auto& run : runs)
        EXPECT_EQ(run->Wait(std::chrono::milliseconds(0)), 0);
    EXPECT_GE(stalling.Requests(), 1);
    EXPECT_NE(ReadText(folder.Path() + "/1/HALCYONE Studio/QRELog.txt").find("Show News: true"), std::string::npos);
    EXPECT_LT(seconds[1], seconds[0] + 7.5) << seconds[0];
}
