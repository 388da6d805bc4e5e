// The animation track: local times, key lookup, stage choice and weights,
// the period guard and the stage operations.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "engine/scene/AnimationController.h"
#include "engine/scene/BoolAnimation.h"
#include "engine/scene/NodeAnimation.h"
#include "scene/SceneTestSupport.h"

namespace
{

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

using AnimationControllerTest = SceneTest;

Ptr<BoolAnimation> KeysAt(std::initializer_list<double> times, const char* name = "")
{
    Ptr<BoolAnimation> animation = new BoolAnimation(String(name));
    for (double time : times)
        animation->AddKey(time);
    return animation;
}

TrackFrame Frame(double start, double end, int32_t mode, double speed = 1, double offset = 0)
{
    TrackFrame frame;
    frame.start = start;
    frame.end = end;
    frame.mode = mode;
    frame.speed = speed;
    frame.offset = offset;
    return frame;
}

} // namespace

TEST(TrackFrame, LocalTimeOfAnySizeLandsInTheUnitRangeByMode)
{
    const int32_t once = TrackFrame::kOnce, loop = TrackFrame::kLoop, pingPong = TrackFrame::kPingPong;
    const struct
    {
        TrackFrame frame;
        double phase;
        double leading;  // stage 0
        double trailing; // stage 1
    } cases[] = {
        {Frame(0.25, 0.75, loop), 0.5, 0.5, 0.5},
        {Frame(0.25, 0.75, loop, 3), 0.5, 0.5, 0.5},          // 1.5 passes
        {Frame(0.25, 0.75, loop, 1, 0.5), 0.75, 0, 0},        // exactly 2
        {Frame(0.25, 0.75, loop, 1, -1e-20), 0.25, 0, 1},     // just below 0 wraps to 1: 0 for stage 0
        {Frame(0.25, 0.75, once, 3), 0.5, 0, 1},              // 1.5: outside, clamped
        {Frame(0.25, 0.75, once, 1, -0.25), 0.25, 0, 0},      // -0.5
        {Frame(0.25, 0.75, once), 0.75, 0, 1},                // 1: past the end for stage 0 only
        {Frame(0.25, 0.75, once, 1, 0.125), 0.25, 0.25, 0.25},
        {Frame(0, 0.5, pingPong, 1, 0.125), 0.5, 0.75, 0.75}, // 1.25: second pass runs back
        {Frame(0, 0.5, pingPong, 1, 0.125), 1, 0.25, 0.25},   // 2.25
        {Frame(0, 0.5, 7, 1, -0.125), 0, 0.25, 0.25},         // -0.25 lies on an odd pass
        {Frame(0, 0.5, pingPong), 0.5, 0, 1},                 // 1: the turn
        {Frame(0, 0.5, pingPong, 1e300), 0.25, 0, 0},         // 5e299 passes, even
        {Frame(0, 1e-300, loop, 1e300), 0.5, 0, 0},           // beyond the doubles
        {Frame(0.3, 0.3, loop), 0.3, 0, 0},                   // no length
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(c.frame.LocalTime(c.phase, true), c.leading) << c.frame.start << " " << c.frame.speed;
        EXPECT_EQ(c.frame.LocalTime(c.phase, false), c.trailing) << c.frame.start << " " << c.frame.speed;
    }
}

TEST_F(AnimationControllerTest, SampleFindsTheKeysAroundTheTimeAndWrapsToTheFirst)
{
    const struct
    {
        std::vector<double> keys;
        double time;
        uint32_t index0, index1;
        double fraction;
    } cases[] = {
        {{0, 0.25, 0.5}, 0.25, 1, 2, 0},
        {{0, 0.25, 0.5}, 0.375, 1, 2, 0.5},
        {{0, 0.25, 0.5}, 0.875, 2, 0, 0.75},      // last towards first, across the end
        {{0.25, 0.5, 0.75}, 0.125, 2, 0, 0.75},   // below the first key: from the last
        {{0.25, 0.5, 0.75}, 0.25, 0, 1, 0},
        {{0.5}, 0.25, 0, 0, 0},                   // a single key always
        {{0.5}, 0.75, 0, 0, 0},
        {{0.25, 0.25, 0.5}, 0.25, 1, 2, 0},
        {{0.5, 0.5}, 0.5, 1, 0, 0},               // no span
        {{0, 0.5}, kNaN, 1, 0, 0},
    };
    for (const auto& c : cases)
    {
        BlendStage stage;
        stage.animation = new BoolAnimation();
        for (double time : c.keys)
            stage.animation->AddKey(time);
        stage.Sample(c.time);
        EXPECT_EQ(stage.index0, c.index0) << c.time;
        EXPECT_EQ(stage.index1, c.index1) << c.time;
        EXPECT_EQ(stage.fraction, c.fraction) << c.time;
    }
    // Without keys or an animation nothing changes.
    BlendStage stage;
    stage.index0 = 5;
    stage.Sample(0.5);
    stage.animation = new BoolAnimation();
    stage.Sample(0.5);
    EXPECT_EQ(stage.index0, 5u);
}

TEST_F(AnimationControllerTest, FramesThatHoldThePhaseFillTheStagesWithTheirWeights)
{
    Ptr<BoolAnimation> a = KeysAt({0, 0.5}), b = KeysAt({0, 0.5}), c = KeysAt({0});
    struct Step
    {
        double phase;
        Animation* stage0;
        float weight0;
        Animation* stage1; // with count 1: no stage 1
        float weight1;
        uint32_t count;
    };
    const struct
    {
        std::vector<std::pair<Animation*, std::pair<double, double>>> frames;
        std::vector<Step> steps;
    } cases[] = {
        // b starts and ends after a: it fades in across the overlap.
        {{{a.Get(), {0, 0.5}}, {b.Get(), {0.25, 1}}},
         {{0.125, a.Get(), 1, nullptr, 0, 1},
          {0.3125, a.Get(), 0.75f, b.Get(), 0.25f, 2},
          {0.75, b.Get(), 1, nullptr, 0, 2}}},
        // The first frame listed starts later: stage 0 fades in.
        {{{a.Get(), {0.5, 1}}, {b.Get(), {0, 0.75}}}, {{0.5625, a.Get(), 0.25f, b.Get(), 0.75f, 2}}},
        // One inside the other, or identical ranges: half and half.
        {{{a.Get(), {0, 1}}, {c.Get(), {0.25, 0.5}}}, {{0.375, a.Get(), 0.5f, c.Get(), 0.5f, 2}}},
        {{{a.Get(), {0.25, 0.5}}, {b.Get(), {0.25, 0.5}}}, {{0.375, a.Get(), 0.5f, b.Get(), 0.5f, 2}}},
        // An overlap of no length hands over to the later frame at once.
        {{{a.Get(), {0, 0.5}}, {b.Get(), {0.5, 1}}}, {{0.5, a.Get(), 0, b.Get(), 1, 2}}},
        // Between stretches stage 0 keeps its animation, stage 1 empties;
        // only the first two matches count.
        {{{a.Get(), {0, 0.5}}, {b.Get(), {0.25, 0.5}}, {c.Get(), {0.25, 0.5}}, {c.Get(), {0.75, 1}}},
         {{0.375, a.Get(), 0.5f, b.Get(), 0.5f, 2}, {0.625, a.Get(), 1, nullptr, 0, 2}}},
    };
    for (const auto& track : cases)
    {
        Ptr<AnimationController> controller = new AnimationController();
        controller->SetPeriod(4);
        for (const auto& [animation, range] : track.frames)
            ASSERT_EQ(controller->AddFrame(animation, range.first, range.second), 0);
        for (const Step& step : track.steps)
        {
            controller->SetPhase(step.phase);
            controller->Update(0);
            ASSERT_EQ(controller->GetStageCount(), step.count) << step.phase;
            EXPECT_EQ(controller->GetStage(0).animation.Get(), step.stage0) << step.phase;
            EXPECT_EQ(controller->GetStage(0).weight, step.weight0) << step.phase;
            if (step.count > 1)
            {
                EXPECT_EQ(controller->GetStage(1).animation.Get(), step.stage1) << step.phase;
                EXPECT_EQ(controller->GetStage(1).weight, step.weight1) << step.phase;
            }
        }
    }
}

TEST_F(AnimationControllerTest, ThePhaseKeepsOnlyTheFractionAndABadPeriodNeverAdvances)
{
    Ptr<BoolAnimation> keys = KeysAt({0, 0.25, 0.5, 0.75});
    Ptr<AnimationController> controller = new AnimationController();
    controller->AddFrame(keys.Get(), 0, 1);
    controller->SetPeriod(2);
    controller->Update(2 * 3 + 0.75); // three periods and 0.375 of a fourth
    EXPECT_EQ(controller->GetPhase(), 0.375);
    EXPECT_EQ(controller->GetStage(0).index0, 1u);
    EXPECT_EQ(controller->GetStage(0).fraction, 0.5);
    controller->Update(1.25); // to 1 exactly, which is 0
    EXPECT_EQ(controller->GetPhase(), 0.0);
    controller->Update(1e300);
    EXPECT_GE(controller->GetPhase(), 0.0);
    EXPECT_LT(controller->GetPhase(), 1.0);

    for (double period : {0.0, -1.0, kNaN, kInfinity, 1e-320})
    {
        controller->SetPeriod(period);
        controller->SetPhase(0.25);
        controller->Update(1);
        controller->Update(kNaN);
        controller->SetPhase(kNaN);
        EXPECT_EQ(controller->GetPhase(), 0.25) << period;
        EXPECT_EQ(controller->GetStage(0).index0, 1u) << period;
    }
    controller->SetActive(false);
    controller->SetPeriod(1);
    controller->Update(0.5);
    EXPECT_EQ(controller->GetPhase(), 0.25);
}

TEST_F(AnimationControllerTest, StagesAreMadeOnDemandChosenByNameAndEmptiedByReset)
{
    Ptr<BoolAnimation> first = KeysAt({0}, "walk"), second = KeysAt({0}, "walk"), other = KeysAt({0}, "run");
    Ptr<AnimationController> controller = new AnimationController();
    for (Animation* animation : {first.Get(), other.Get(), second.Get()})
        ASSERT_EQ(controller->AddAnimation(animation), 0);
    EXPECT_EQ(controller->AddAnimation(nullptr), 3);

    controller->SetStage(other.Get(), 2, 0.25f);
    ASSERT_EQ(controller->GetStageCount(), 3u);
    EXPECT_EQ(controller->GetStage(2).animation.Get(), other.Get());
    EXPECT_EQ(controller->GetStage(1).weight, 1.0f);
    controller->SetStageByName(String("walk"), 1, 0.5f); // the last of that name
    EXPECT_EQ(controller->GetStage(1).animation.Get(), second.Get());
    controller->SetStageByName(String("walkers"), 2, 0.75f);
    EXPECT_EQ(controller->GetStage(2).animation.Get(), nullptr);
    EXPECT_EQ(controller->GetStage(2).weight, 0.75f);
    controller->SetStageWeight(3, 0.5f);
    controller->SetStage(other.Get(), AnimationController::kMaxStages, 1);
    EXPECT_EQ(controller->GetStageCount(), 3u);
    controller->SetStageWeight(1, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(controller->GetStage(1).weight, 0.0f);

    // An animation that holds the controller would keep both alive.
    Ptr<BoolAnimation> holder = KeysAt({0});
    ASSERT_EQ(holder->SetController(controller.Get()), 0);
    EXPECT_EQ(controller->AddAnimation(holder.Get()), 3);
    EXPECT_EQ(controller->AddFrame(holder.Get(), 0, 1), 3);
    controller->SetStage(holder.Get(), 0, 1);
    EXPECT_EQ(controller->GetStage(0).animation.Get(), nullptr);
    holder->RemoveControllers();

    controller->SetPhase(0.5);
    controller->Reset();
    EXPECT_EQ(controller->GetPhase(), 0.0);
    ASSERT_EQ(controller->GetStageCount(), 3u);
    for (uint32_t i = 0; i < 3; ++i)
    {
        EXPECT_EQ(controller->GetStage(i).animation.Get(), nullptr);
        EXPECT_EQ(controller->GetStage(i).weight, 1.0f);
    }
}
