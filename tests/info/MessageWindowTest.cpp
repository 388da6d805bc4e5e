// The message window's cycle on a fixed time step: which message shows when,
// the panel's size and the texts' alpha by phase, the groups, the help and
// where each piece is drawn; the facts source; LearnSystem's record.
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/render/SpriteEffect.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Triangles.h"
#include "info/LearnSystem.h"
#include "info/MessageWindow.h"
#include "info/RssFileSource.h"
#include "info/TestFont.h"
#include "scene/SceneTestSupport.h"

namespace
{

constexpr float kStep = 0.1f;

// A group of fixed messages, given in turn, counting the requests.
class ListSource : public MessageSource
{
public:
    ListSource(const char* name, std::vector<std::string> bodies) : MessageSource(String(name)), bodies(bodies) {}
    void SetEnabled(bool value) override { enabled = value; }
    bool IsEnabled() override { return enabled; }
    bool GetNextMessage(Message& out) override
    {
        ++asked;
        if (!enabled)
            return false;
        out = {name, String(bodies[next++ % bodies.size()].c_str())};
        return true;
    }
    void Update(float seconds) override { updated += seconds; }

    std::vector<std::string> bodies;
    bool enabled = true;
    size_t next = 0;
    int asked = 0;
    float updated = 0.0f;
};

float Alpha(Triangles* text)
{
    return text ? static_cast<SpriteEffect*>(text->GetEffect())->GetColor().w : -1.0f;
}

// The panel's size and the texts' alpha at times into the cycle.
struct Phase
{
    float time, width, height, alpha;
};
constexpr Phase kPhases[] = {
    {0.1f, 0.155f, 0.05f, 0.0f}, {0.7f, 0.31f, 0.175f, 0.0f}, {1.5f, 0.31f, 0.30f, 0.3f / 0.7f},
    {2.0f, 0.31f, 0.30f, 1.0f},  {21.8f, 0.31f, 0.30f, 1.0f}, {22.2f, 0.31f, 0.30f, 0.4f / 0.7f},
    {23.1f, 0.31f, 0.175f, 0.0f}, {23.7f, 0.155f, 0.05f, 0.0f}, {30.0f, 0.0f, 0.0f, 0.0f},
};

// Steps the window, now at cycle time from, through every later phase.
void ExpectPhases(MessageWindow& window, float from)
{
    float time = from;
    for (const Phase& p : kPhases)
    {
        for (; time < p.time - kStep / 2; time += kStep)
            window.Update(kStep);
        if (p.time < from)
            continue;
        EXPECT_NEAR(window.GetPanelWidth(), p.width, 1e-3f) << from << " + " << p.time;
        EXPECT_NEAR(window.GetPanelHeight(), p.height, 1e-3f) << from << " + " << p.time;
        for (Triangles* text : {window.GetTitleText(), window.GetBodyText(), window.GetFooterText()})
            EXPECT_NEAR(Alpha(text), p.alpha, 1e-3f) << from << " + " << p.time;
    }
}

// Runs the window for seconds in fixed steps; the bodies shown in order.
std::vector<std::string> RunFor(MessageWindow& window, float seconds)
{
    std::vector<std::string> shown;
    float previous = window.GetTimer();
    for (int i = 0; i < static_cast<int>(std::lround(seconds / kStep)); ++i)
    {
        window.Update(kStep);
        const std::string body = window.GetMessage().body.CStr();
        if (!body.empty() && (shown.empty() || window.GetTimer() < previous))
            shown.push_back(body);
        previous = window.GetTimer();
    }
    return shown;
}

} // namespace

TEST(MessageWindowCycle, PanelAndAlphaFollowThePhasesOfAMessageAndOfTheHelp)
{
    MessageWindow window(MakeTestFont().Get(), nullptr);
    window.SetFooter(String("  Help - F1             Next - F  "));
    // Nothing opened yet: no panel, and no floating footer.
    EXPECT_TRUE(window.GetPanelWidth() == 0.0f && window.GetPanelHeight() == 0.0f);
    EXPECT_EQ(Alpha(window.GetFooterText()), 0.0f);
    Ptr<ListSource> source = new ListSource("Facts", {"One fact"});
    window.AddSource(source.Get());
    ExpectPhases(window, 0.0f);
    EXPECT_NEAR(source->updated, 30.0f, 1e-3f);

    // One group of one message: the same message every 70 seconds.
    for (const auto& [seconds, asked] : {std::pair{40.0f, 1}, {0.3f, 2}, {70.0f, 3}})
    {
        RunFor(window, seconds);
        EXPECT_EQ(source->asked, asked) << seconds;
    }
    EXPECT_STREQ(window.GetMessage().body.CStr(), "One fact");

    // The help: at full size from the first frame, for 20 seconds, then
    // the fade-out and the closing.
    window.ShowText(String("Help"), String("Press the Hotkey\nI - facts [on]"));
    ExpectPhases(window, window.GetShownTime());
    EXPECT_STREQ(window.GetMessage().title.CStr(), "Help");

    // Time that is not a time changes nothing.
    const float timer = window.GetTimer();
    window.Update(std::nanf(""));
    window.Update(-5.0f);
    EXPECT_EQ(window.GetTimer(), timer);
}

TEST(MessageWindowCycle, GroupsTakeTurnsFactsNeverRepeatInARowAndNothingShowsWithAllOff)
{
    MessageWindow window(MakeTestFont().Get(), nullptr);
    const std::string two = "<rss><channel><item><description>Fact 0&lt;br&gt;line</description></item>"
                            "<item><description>Fact 1&lt;br&gt;line</description></item></channel></rss>";
    Ptr<RssFileSource> facts = new RssFileSource(String("Facts"), two.data(), two.size());
    Ptr<ListSource> news = new ListSource("News", {"N1", "N2"});
    window.AddSource(facts.Get());
    window.AddSource(news.Get());
    EXPECT_FALSE(window.IsGroupEnabled(String("Facts")));
    window.SetGroupEnabled(String("Fact"), true); // names match exactly
    EXPECT_FALSE(window.IsGroupEnabled(String("Facts")));
    window.SetGroupEnabled(String("Facts"), true);
    EXPECT_TRUE(window.IsGroupEnabled(String("Facts")));

    // "&lt;br&gt;" is a line break in the facts file.
    EXPECT_EQ(RunFor(window, 70.0f * 4), (std::vector<std::string>{"Fact 1\nline", "N1", "Fact 0\nline", "N2"}));
    window.SetGroupEnabled(String("News"), false);
    EXPECT_EQ(RunFor(window, 70.0f * 4),
              (std::vector<std::string>{"N2", "Fact 1\nline", "Fact 0\nline", "Fact 1\nline", "Fact 0\nline"}));

    // Every group off: F shows nothing, the window stays closed, and after
    // the help's cycle nothing follows.
    window.SetGroupEnabled(String("Facts"), false);
    for (const bool help : {false, true})
    {
        if (help)
            window.ShowText(String("Help"), String("Press the Hotkey"));
        EXPECT_FALSE(window.Skip());
        RunFor(window, 70.0f);
        EXPECT_TRUE(window.GetMessage().IsEmpty() && window.GetPanelWidth() == 0.0f) << help;
    }

    // A message whose body the panel cannot hold is passed over.
    window.SetGroupEnabled(String("News"), true);
    news->bodies = {std::string(80, '\n'), "fits"};
    news->next = 0;
    EXPECT_FALSE(window.Skip());
    EXPECT_TRUE(window.Skip());
    EXPECT_STREQ(window.GetMessage().body.CStr(), "fits");
    EXPECT_EQ(window.GetTimer(), window.GetShownTime());
}

class MessageWindowDraw : public SceneTest
{
protected:
    void SetUp() override
    {
        RegisterInfoClasses();
        SceneTest::SetUp();
    }
};

TEST_F(MessageWindowDraw, PanelThenEachTextPlacedByItsProjectionAndTheCameraGivenBack)
{
    MessageWindow window(MakeTestFont().Get(), nullptr);
    window.SetFooter(String("Help - F1"));
    Ptr<ListSource> source = new ListSource("Facts", {"Body"});
    window.AddSource(source.Get());
    Ptr<Camera> overlay = new Camera();
    Ptr<Camera> scene = new Camera();
    overlay->SetProjection(Matrix4::Identity());
    Recorder().SetCamera(scene.Get());

    window.Update(kStep); // opening: the panel only
    window.Draw(Recorder(), *overlay);
    EXPECT_EQ(Recorder().drawn, (std::vector<std::string>{"Window"}));
    window.Skip();
    window.Update(kStep);
    Recorder().drawn.clear();
    Recorder().drawnScale.clear();
    window.Draw(Recorder(), *overlay);
    EXPECT_EQ(Recorder().drawn, (std::vector<std::string>{"Window", "Text", "Text", "Text"}));
    const float text = 2.0f / (480.0f * 800.0f / 600.0f);
    EXPECT_EQ(Recorder().drawnScale, (std::vector<float>{2.0f, text, text, text}));
    EXPECT_EQ(Recorder().GetCamera(), scene.Get());
    EXPECT_EQ(overlay->GetProjection().m[0][0], 1.0f);

    // The panel's border keeps its thickness: corner pieces the same at
    // every size, the middle stretching.
    const Vector3Buffer& corners = *window.GetPanel()->GetVertices();
    EXPECT_NEAR(corners[1].x - corners[0].x, 8.0f / 640.0f, 1e-6f);
    EXPECT_NEAR(corners[3].x - corners[0].x, 0.31f, 1e-6f);
    EXPECT_NEAR(corners[0].y - corners[12].y, 0.30f, 1e-6f);
}

TEST_F(MessageWindowDraw, LearnSystemKeepsNodesRecord)
{
    Ptr<LearnSystem> learn = new LearnSystem(String("Learn"));
    learn->GetLocalTransform().SetTranslation(Vector3(1.0f, 2.0f, 3.0f));
    const std::vector<uint8_t> saved = CanonicalLinks(Serialize(learn.Get()));
    Ptr<Object> loaded = Deserialize(saved);
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(loaded->IsExactly(LearnSystem::TYPE));
    EXPECT_EQ(CanonicalLinks(Serialize(loaded.Get())), saved);
    EXPECT_STREQ(LearnSystem::TYPE.GetName().CStr(), "QRE.LearnSystem");
}
