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
        if (!enabled || bodies.empty())
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

std::string Facts(int count)
{
    std::string items;
    for (int i = 0; i < count; ++i)
        items += "<item><title>t</title><description>Fact " + std::to_string(i) + "&lt;br&gt;line</description></item>";
    return "<rss version=\"2.0\"><channel>" + items + "</channel></rss>";
}

float Alpha(Triangles* text)
{
    return text ? static_cast<SpriteEffect*>(text->GetEffect())->GetColor().w : -1.0f;
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

TEST(MessageWindowCycle, PanelAndAlphaFollowThePhases)
{
    MessageWindow window(MakeTestFont().Get(), nullptr);
    window.SetFooter(String("  Help - F1             Next - F  "));
    // Nothing opened yet: no panel, and no floating footer.
    EXPECT_EQ(window.GetPanelWidth(), 0.0f);
    EXPECT_EQ(window.GetPanelHeight(), 0.0f);
    EXPECT_EQ(Alpha(window.GetFooterText()), 0.0f);
    Ptr<ListSource> source = new ListSource("Facts", {"One fact"});
    window.AddSource(source.Get());

    const struct
    {
        float time, width, height, alpha;
    } phases[] = {
        {0.1f, 0.155f, 0.05f, 0.0f},  {0.7f, 0.31f, 0.175f, 0.0f},  {1.5f, 0.31f, 0.30f, 0.3f / 0.7f},
        {10.0f, 0.31f, 0.30f, 1.0f},  {21.8f, 0.31f, 0.30f, 1.0f},  {22.2f, 0.31f, 0.30f, 0.4f / 0.7f},
        {23.1f, 0.31f, 0.175f, 0.0f},
        {23.7f, 0.155f, 0.05f, 0.0f}, {30.0f, 0.0f, 0.0f, 0.0f},
    };
    float time = 0.0f;
    for (const auto& p : phases)
    {
        while (time < p.time - kStep / 2)
        {
            window.Update(kStep);
            time += kStep;
        }
        EXPECT_NEAR(window.GetPanelWidth(), p.width, 1e-3f) << p.time;
        EXPECT_NEAR(window.GetPanelHeight(), p.height, 1e-3f) << p.time;
        EXPECT_NEAR(window.GetTextAlpha(), p.alpha, 1e-3f) << p.time;
        for (Triangles* text : {window.GetTitleText(), window.GetBodyText(), window.GetFooterText()})
            EXPECT_NEAR(Alpha(text), p.alpha, 1e-3f) << p.time;
    }
    EXPECT_NEAR(source->updated, time, 1e-3f);

    // One group of one message: the same message every 70 seconds.
    EXPECT_EQ(source->asked, 1);
    RunFor(window, 40.2f - 0.2f);
    EXPECT_EQ(source->asked, 1);
    RunFor(window, 0.3f);
    EXPECT_EQ(source->asked, 2);
    RunFor(window, 70.0f);
    EXPECT_EQ(source->asked, 3);
    EXPECT_STREQ(window.GetMessage().body.CStr(), "One fact");
    EXPECT_STREQ(window.GetMessage().title.CStr(), "Facts");

    // Time that is not a time changes nothing.
    const float timer = window.GetTimer();
    window.Update(std::nanf(""));
    window.Update(-5.0f);
    EXPECT_EQ(window.GetTimer(), timer);
}

TEST(MessageWindowCycle, GroupsTakeTurnsAndFactsNeverRepeatInARow)
{
    MessageWindow window(MakeTestFont().Get(), nullptr);
    const std::string two = Facts(2);
    Ptr<RssFileSource> facts = new RssFileSource(String("Facts"), two.data(), two.size());
    Ptr<ListSource> news = new ListSource("News", {"N1", "N2"});
    window.AddSource(facts.Get());
    window.AddSource(news.Get());
    EXPECT_FALSE(window.IsGroupEnabled(String("Facts")));
    EXPECT_FALSE(window.IsGroupEnabled(String("Fact")));
    window.SetGroupEnabled(String("Facts"), true);
    EXPECT_TRUE(window.IsGroupEnabled(String("Facts")));

    // "&lt;br&gt;" is a line break in the facts file.
    EXPECT_EQ(RunFor(window, 70.0f * 4), (std::vector<std::string>{"Fact 1\nline", "N1", "Fact 0\nline", "N2"}));
    window.SetGroupEnabled(String("News"), false);
    EXPECT_EQ(RunFor(window, 70.0f * 4),
              (std::vector<std::string>{"N2", "Fact 1\nline", "Fact 0\nline", "Fact 1\nline", "Fact 0\nline"}));
}

TEST(MessageWindowCycle, WithEveryGroupOffSkipShowsNothingAndTheHelpShowsAtOnce)
{
    MessageWindow window(MakeTestFont().Get(), nullptr);
    Ptr<ListSource> news = new ListSource("News", {"N1"});
    news->enabled = false;
    window.AddSource(news.Get());
    EXPECT_FALSE(window.Skip());
    RunFor(window, 5.0f);
    EXPECT_TRUE(window.GetMessage().IsEmpty());
    EXPECT_EQ(window.GetPanelWidth(), 0.0f);

    // The help: full size at the first frame, 20 seconds, then the fade-out
    // and the closing; after the cycle nothing follows.
    window.ShowText(String("Help"), String("Press the Hotkey\nI - facts [on]"));
    std::vector<float> full;
    for (float t = 0.0f; t < 60.0f; t += kStep)
    {
        window.Update(kStep);
        if (window.GetTextAlpha() == 1.0f && window.GetPanelHeight() == 0.30f)
            full.push_back(t);
        if (t < 25.0f)
            continue;
        EXPECT_EQ(window.GetPanelWidth(), 0.0f) << t;
    }
    ASSERT_FALSE(full.empty());
    EXPECT_NEAR(full.front(), 0.0f, 1e-3f);
    EXPECT_NEAR(full.back(), 19.9f, 0.15f);
    EXPECT_STREQ(window.GetMessage().title.CStr(), "Help");
    RunFor(window, 10.0f);
    EXPECT_TRUE(window.GetMessage().IsEmpty());

    // A message whose body the panel cannot hold is passed over.
    news->enabled = true;
    news->bodies = {std::string(80, '\n'), "fits"};
    EXPECT_FALSE(window.Skip());
    EXPECT_TRUE(window.GetMessage().IsEmpty());
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
