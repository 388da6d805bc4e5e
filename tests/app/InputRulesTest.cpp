#include "app/VernaliaScreensaver.h"

#include <gtest/gtest.h>

namespace
{

class InputRules : public ::testing::Test
{
protected:
    InputRules() : app(String("vernalia /s"), Automation()) {}

    void Send(int32_t device, int32_t action, int32_t code = 0, int32_t y = 0)
    {
        app.OnInputEvent({device, action, code, y});
    }

    struct TestApp : VernaliaScreensaver
    {
        using VernaliaScreensaver::VernaliaScreensaver;
        // Stands in for a successful start-up.
        void Begin() { running = true; }
    };

    TestApp app;
};

} // namespace

TEST_F(InputRules, ElevenMouseMovesEndTheShowWhenAskedTo)
{
    app.GetCurrent().exitOnMouseMove = true;
    app.Begin();
    for (int i = 0; i < 10; ++i)
        Send(InputEvent::kMouse, InputEvent::kMove, i, i);
    EXPECT_TRUE(app.IsRunning());
    Send(InputEvent::kMouse, InputEvent::kMove, 11, 11);
    EXPECT_FALSE(app.IsRunning());
}

TEST_F(InputRules, MouseMovesNeverEndTheShowWhenNotAskedTo)
{
    app.GetCurrent().exitOnMouseMove = false;
    app.Begin();
    for (int i = 0; i < 100; ++i)
        Send(InputEvent::kMouse, InputEvent::kMove, i, i);
    EXPECT_TRUE(app.IsRunning());
    Send(InputEvent::kMouse, InputEvent::kRelease, 0);
    EXPECT_TRUE(app.IsRunning());
    Send(InputEvent::kMouse, InputEvent::kPress, 2);
    EXPECT_FALSE(app.IsRunning());
}

TEST_F(InputRules, ClosedWindowEndsTheShow)
{
    app.Begin();
    Send(InputEvent::kSystem, InputEvent::kClose, 0);
    EXPECT_FALSE(app.IsRunning());
}

TEST_F(InputRules, HotkeysKeepTheShowRunning)
{
    app.Begin();
    for (int32_t key : {EngineKey::Letter('F'), EngineKey::Letter('I'), EngineKey::Letter('M'),
                        EngineKey::Letter('N'), EngineKey::Letter('Q'), EngineKey::Function(1),
                        EngineKey::Function(12)})
    {
        Send(InputEvent::kKeyboard, InputEvent::kPress, key);
        EXPECT_TRUE(app.IsRunning()) << key;
    }
    EXPECT_TRUE(app.IsMuted());
    EXPECT_FALSE(app.GetExtraCurrent(VernaliaScreensaver::kShowInformation));
    EXPECT_FALSE(app.GetExtraCurrent(VernaliaScreensaver::kShowNews));
    EXPECT_FALSE(app.GetExtraCurrent(VernaliaScreensaver::kShowQuotes));
    EXPECT_LT(app.GetMessageDelay(), 0.0f);
    // Toggles change the run only, never the defaults.
    EXPECT_TRUE(app.GetExtraDefault(VernaliaScreensaver::kShowNews));
}

TEST_F(InputRules, KeyReleasesAreIgnoredAndOtherKeysEndTheShow)
{
    for (int32_t key : {EngineKey::kEscape, EngineKey::kSpace, EngineKey::Letter('A'), EngineKey::kNone, 0})
    {
        app.Begin();
        Send(InputEvent::kKeyboard, InputEvent::kRelease, key);
        EXPECT_TRUE(app.IsRunning()) << key;
        Send(InputEvent::kKeyboard, InputEvent::kPress, key);
        EXPECT_FALSE(app.IsRunning()) << key;
    }
}
