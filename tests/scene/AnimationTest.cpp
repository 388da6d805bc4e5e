// Keyframes, animations and animation controllers in files: defaults,
// round trips of every class, and records that lie.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "engine/core/ClassRegistry.h"
#include "engine/scene/BoolAnimation.h"
#include "engine/scene/NodeAnimation.h"
#include "engine/scene/NodeAnimationController.h"
#include "engine/scene/PathAnimation.h"
#include "engine/scene/PathAnimationController.h"
#include "engine/scene/SkeletonAnimationController.h"
#include "scene/SceneTestSupport.h"
#include "support/LogCapture.h"

namespace
{

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

using AnimationTest = SceneTest;

// Records by hand, chained.
struct Crafted
{
    // A link's ID and type name, an empty name, no controllers.
    Crafted& Begin(int32_t id, const char* type)
    {
        return Int(id).Text(type).Text("").Int(0);
    }
    // A track record: active, no animations, no frames, a period of 1 s.
    Crafted& Track(int32_t id, const char* type) { return Begin(id, type).Byte(1).Int(0).Int(0).Double(1); }
    // A frame without an animation, looping over the whole track.
    Crafted& Frame(double start, double speed)
    {
        return Int(-1).Int(1).Double(start).Double(1).Double(speed).Double(0);
    }
    Crafted& NodeKey(double time, float value)
    {
        Double(time);
        s.WriteVector3(Vector3(value, 0, 0));
        s.WriteQuaternion(Quaternion(0, 0, value, 1));
        s.WriteVector3(Vector3(1, 1, 1));
        return *this;
    }
    Crafted& Zeros(int count)
    {
        for (int i = 0; i < count; ++i)
            Byte(0);
        return *this;
    }
    Crafted& Int(int32_t value) { return s.WriteInt32(value), *this; }
    Crafted& Byte(int8_t value) { return s.WriteInt8(value), *this; }
    Crafted& Float(float value) { return s.WriteFloat(value), *this; }
    Crafted& Double(double value) { return s.WriteDouble(value), *this; }
    Crafted& Text(const char* text) { return s.WriteString(String(text)), *this; }
    Bytes Get() const { return WrittenBytes(s); }

    Stream s{0, 256};
};

constexpr const char* kNode = "QRE.NodeAnimationController";
constexpr const char* kSkeleton = "QRE.SkeletonAnimationController";

} // namespace

TEST_F(AnimationTest, KeysStoreTheTimeThenTheirDescribedDefaults)
{
    Ptr<NodeAnimation> node = new NodeAnimation();
    Ptr<PathAnimation> path = new PathAnimation();
    Ptr<BoolAnimation> flag = new BoolAnimation();
    const struct
    {
        Animation* animation;
        const char* type;
        std::function<void(Crafted&)> fields;
    } cases[] = {
        {node.Get(), "QRE.NodeAnimation", [](Crafted& c) { c.Zeros(24).Float(1).Float(1).Float(1).Float(1); }},
        {path.Get(), "QRE.PathAnimation", [](Crafted& c) { c.Zeros(36); }},
        {flag.Get(), "QRE.BoolAnimation", [](Crafted& c) { c.Byte(1); }},
    };
    for (const auto& c : cases)
    {
        ASSERT_EQ(c.animation->AddKey(0.25), 0);
        EXPECT_EQ(c.animation->AddKey(kNaN), 3) << c.type;
        EXPECT_EQ(c.animation->GetKeyCount(), 1u);
        Crafted expected;
        expected.Begin(100, c.type).Int(1).Double(0.25);
        c.fields(expected);
        EXPECT_EQ(CanonicalLinks(Serialize(c.animation)), CanonicalLinks(expected.Get())) << c.type;
    }
}

TEST_F(AnimationTest, EveryClassComesBackByteForByteUnderItsDescribedName)
{
    Ptr<NodeAnimation> walk = new NodeAnimation(String("walk"));
    walk->AddKey(NodeAnimationKey(0, Vector3(1, 2, 3), Quaternion(0, 0.6f, 0, 0.8f), Vector3(2, 2, 2)));
    walk->AddKey(NodeAnimationKey(0.5, Vector3(4, 5, 6), Quaternion(), Vector3(1, 3, 1)));
    Ptr<PathAnimation> fly = new PathAnimation(String("fly"));
    fly->AddKey(PathAnimationKey(0.1, Vector3(1, 0, 0), Vector3(0, 1, 0), Vector3(0, 0, 1)));
    Ptr<BoolAnimation> flag = new BoolAnimation(String("switch"));
    flag->AddKey(BoolAnimationKey(0.0, false));
    flag->AddKey(BoolAnimationKey(0.75, true));

    Ptr<NodeAnimationController> node = new NodeAnimationController(String("node"));
    node->AddAnimation(walk.Get());
    node->AddAnimation(flag.Get());
    node->AddFrame(walk.Get(), 0.125, 0.75, TrackFrame::kOnce, 2, 0.25);
    node->AddFrame(nullptr, 0, 1, 9, -1, 0.5);
    node->SetPeriod(12.5);
    Ptr<PathAnimationController> path = new PathAnimationController(String("path"));
    path->AddFrame(fly.Get(), 0, 1);
    path->SetRotationAxis(Vector3(0, 0, -1));
    path->SetPeriod(3);
    Ptr<SkeletonAnimationController> skeleton = new SkeletonAnimationController(String("skeleton"));
    skeleton->AddBoneController(node.Get());
    skeleton->AddBoneController(path.Get());
    skeleton->AddBoneController(node.Get());
    skeleton->SetPeriod(0.5);

    const struct
    {
        Object* object;
        const RTTI* base;
    } cases[] = {
        {walk.Get(), &Animation::TYPE},           {fly.Get(), &Animation::TYPE},
        {flag.Get(), &Animation::TYPE},           {node.Get(), &AnimationController::TYPE},
        {path.Get(), &AnimationController::TYPE}, {skeleton.Get(), &AnimationController::TYPE},
    };
    for (const auto& c : cases)
    {
        const char* type = c.object->GetRtti().GetName().CStr();
        EXPECT_EQ(c.object->GetRtti().GetBase(), c.base) << type;
        const Bytes saved = CanonicalLinks(Serialize(c.object));
        ASSERT_FALSE(saved.empty()) << type;
        Ptr<Object> loaded = Deserialize(Serialize(c.object));
        ASSERT_TRUE(loaded && loaded->IsExactly(c.object->GetRtti())) << type;
        EXPECT_EQ(CanonicalLinks(Serialize(loaded.Get())), saved) << type;
    }
    // The two bases are abstract by name.
    EXPECT_EQ(Animation::TYPE.GetBase(), &Object::TYPE);
    EXPECT_EQ(AnimationController::TYPE.GetBase(), &Controller::TYPE);
    for (const char* type : {"QRE.Animation", "QRE.AnimationController"})
    {
        Object* made = nullptr;
        EXPECT_EQ(FindClassFactory(String(type))(&made), 1) << type;
    }

    // The stage's own record, for tools: link and weight.
    BlendStage stage;
    stage.animation = walk.Get();
    stage.weight = 0.375f;
    Stream first(0, 64), second(0, 64);
    stage.Save(first);
    ByteStream in(WrittenBytes(first));
    BlendStage loaded;
    ASSERT_EQ(loaded.Load(in), 0);
    loaded.Save(second);
    Bytes a = WrittenBytes(first), b = WrittenBytes(second);
    Poke32(a, 0, 0), Poke32(b, 0, 0); // the IDs of two different objects
    EXPECT_EQ(a, b);
}

TEST_F(AnimationTest, CountsBeyondTheFileNumbersThatAreNotFiniteAndCyclesFailTheLoad)
{
    using C = Crafted;
    const struct
    {
        std::function<void(Crafted&)> write;
        const char* message;
    } cases[] = {
        {[](C& c) { c.Begin(100, "QRE.NodeAnimation").Int(0x7FFFFFFF).NodeKey(0, 0); }, "количество кифреймов"},
        {[](C& c) { c.Begin(100, "QRE.NodeAnimation").Int(-1).NodeKey(0, 0); }, "количество кифреймов"},
        // One byte short of two keys: refused before any key is made.
        {[](C& c) { c.Begin(100, "QRE.NodeAnimation").Int(2).Zeros(2 * 48 - 1); }, "количество кифреймов"},
        {[](C& c) { c.Begin(100, "QRE.PathAnimation").Int(2).Zeros(2 * 44 - 1); }, "количество кифреймов"},
        {[](C& c) { c.Begin(100, "QRE.BoolAnimation").Int(2).Zeros(2 * 9 - 1); }, "количество кифреймов"},
        {[](C& c) { c.Begin(100, "QRE.NodeAnimation").Int(1).NodeKey(kNaN, 0); }, "загрузить данные кифрейма."},
        {[](C& c) { c.Begin(100, "QRE.BoolAnimation").Int(1).Double(-kInfinity).Byte(1); },
         "загрузить данные кифрейма."},
        {[](C& c) { c.Begin(100, "QRE.NodeAnimation").Int(1).NodeKey(0, std::nanf("")); },
         "загрузить данные кифрейма."},
        {[](C& c) { c.Begin(100, "QRE.PathAnimation").Int(1).Double(0).Zeros(32).Float(INFINITY); },
         "загрузить данные кифрейма."},
        {[](C& c) { c.Begin(100, kNode).Byte(1).Int(0x40000000); }, "Невозможно загрузить количество анимаций."},
        {[](C& c) { c.Begin(100, kNode).Byte(1).Int(-2); }, "Невозможно загрузить количество анимаций."},
        {[](C& c) { c.Begin(100, kNode).Byte(1).Int(0).Int(2).Frame(0, 1).Zeros(40 - 1); },
         "Невозможно загрузить количество фреймов анимаций."},
        {[](C& c) { c.Begin(100, kNode).Byte(1).Int(0).Int(1).Frame(kNaN, 1).Double(1); },
         "Невозможно загрузить фрейм анимаций."},
        {[](C& c) { c.Begin(100, kNode).Byte(1).Int(0).Int(1).Frame(0, -kInfinity).Double(1); },
         "Невозможно загрузить данные стадии блендинга анимации."},
        {[](C& c) { c.Begin(100, kNode).Byte(1).Int(0).Int(1).Frame(0, 1).Int(0); },
         "Невозможно загрузить период трэка."},
        // An animation that holds its own controller.
        {[](C& c) {
             c.Begin(100, kNode).Byte(1).Int(1);
             c.Int(101).Text("QRE.NodeAnimation").Text("").Int(1).Int(100).Int(0); // controller 100, no keys
         },
         "Невозможно загрузить анимацию."},
        // Three bone links need 12 bytes, not 11.
        {[](C& c) { c.Track(100, kSkeleton).Int(3).Int(-1).Int(-1).Zeros(3); },
         "загрузить количество контроллеров анимации костей."},
        {[](C& c) { c.Track(100, kSkeleton).Int(-1); }, "загрузить количество контроллеров анимации костей."},
        // A skeleton that would run itself, directly or through another.
        {[](C& c) { c.Track(100, kSkeleton).Int(1).Int(100); }, "загрузить контроллер анимации костей."},
        {[](C& c) { c.Track(100, kSkeleton).Int(1).Track(101, kSkeleton).Int(1).Int(100); },
         "загрузить контроллер анимации костей."},
        {[](C& c) { c.Track(100, "QRE.PathAnimationController").Float(0).Float(NAN).Float(0); },
         "Невозможно загрузить ось вращения."},
    };
    for (const auto& c : cases)
    {
        LogCapture capture;
        Crafted file;
        c.write(file);
        EXPECT_FALSE(Deserialize(file.Get())) << c.message;
        EXPECT_TRUE(capture.Contains(c.message)) << c.message;
    }

    // Times that go back load as stored with one warning (exactly enough
    // bytes for the count); a period that cannot advance, with one warning.
    LogCapture capture;
    Crafted keys;
    keys.Begin(100, "QRE.NodeAnimation").Int(3).NodeKey(0.5, 1).NodeKey(0.25, 1).NodeKey(0.75, 1);
    Ptr<Object> loaded = Deserialize(keys.Get());
    ASSERT_TRUE(loaded);
    auto* animation = static_cast<NodeAnimation*>(loaded.Get());
    ASSERT_EQ(animation->GetKeyCount(), 3u);
    EXPECT_EQ(animation->GetNodeKey(1).time, 0.25);
    EXPECT_EQ(animation->GetNodeKey(2).rotation, Quaternion(0, 0, 1, 1));
    EXPECT_EQ(capture.Count("Время кифреймов анимации убывает."), 1u);
    for (double period : {0.0, -2.0, kNaN, kInfinity})
    {
        LogCapture warnings;
        Crafted track;
        track.Begin(100, kNode).Byte(1).Int(0).Int(0).Double(period);
        loaded = Deserialize(track.Get());
        ASSERT_TRUE(loaded) << period;
        EXPECT_FALSE(static_cast<AnimationController*>(loaded.Get())->HasUsablePeriod());
        EXPECT_EQ(warnings.Count("Неверный период трэка"), 1u) << period;
    }
}
