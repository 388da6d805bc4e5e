// Keyframes and animations: records, defaults and files that lie.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "engine/core/ClassRegistry.h"
#include "engine/scene/BoolAnimation.h"
#include "engine/scene/NodeAnimation.h"
#include "engine/scene/PathAnimation.h"
#include "scene/SceneTestSupport.h"
#include "support/LogCapture.h"

namespace
{

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

class AnimationTest : public SceneTest
{
protected:
    // save -> load -> save gives the same bytes, and the same class.
    static void ExpectRoundTrip(Object* object)
    {
        const Bytes saved = CanonicalLinks(Serialize(object));
        ASSERT_FALSE(saved.empty()) << object->GetRtti().GetName().CStr();
        Ptr<Object> loaded = Deserialize(Serialize(object));
        ASSERT_TRUE(loaded) << object->GetRtti().GetName().CStr();
        EXPECT_TRUE(loaded->IsExactly(object->GetRtti()));
        EXPECT_EQ(CanonicalLinks(Serialize(loaded.Get())), saved) << object->GetRtti().GetName().CStr();
    }
};

// An animation record by hand: link, type, empty name, no controllers, the
// key count; the keys follow.
struct Record
{
    Record(const char* type, int32_t count)
    {
        stream.WriteInt32(100);
        stream.WriteString(String(type));
        stream.WriteString(String());
        stream.WriteInt32(0);
        stream.WriteInt32(count);
    }
    Bytes Get() const { return WrittenBytes(stream); }
    Stream stream{0, 256};
};

void Zeros(Stream& stream, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i)
        stream.WriteInt8(0);
}

void WriteNodeKey(Stream& stream, double time, float value)
{
    stream.WriteDouble(time);
    stream.WriteVector3(Vector3(value, 0, 0));
    stream.WriteQuaternion(Quaternion(0, 0, value, 1));
    stream.WriteVector3(Vector3(1, 1, 1));
}

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
        std::function<void(Stream&)> fields;
    } cases[] = {
        {node.Get(), "QRE.NodeAnimation",
         [](Stream& s) {
             s.WriteVector3(Vector3(0, 0, 0));
             s.WriteQuaternion(Quaternion(0, 0, 0, 1));
             s.WriteVector3(Vector3(1, 1, 1));
         }},
        {path.Get(), "QRE.PathAnimation", [](Stream& s) { s.WriteFloats(std::vector<float>(9, 0.0f).data(), 9); }},
        {flag.Get(), "QRE.BoolAnimation", [](Stream& s) { s.WriteBool(true); }},
    };
    for (const auto& c : cases)
    {
        ASSERT_EQ(c.animation->AddKey(0.25), 0);
        EXPECT_EQ(c.animation->AddKey(kNaN), 3) << c.type;
        EXPECT_EQ(c.animation->GetKeyCount(), 1u);
        Record expected(c.type, 1);
        expected.stream.WriteDouble(0.25);
        c.fields(expected.stream);
        EXPECT_EQ(CanonicalLinks(Serialize(c.animation)), CanonicalLinks(expected.Get())) << c.type;
    }
}

TEST_F(AnimationTest, EveryAnimationKindComesBackByteForByteUnderItsDescribedName)
{
    Ptr<NodeAnimation> node = new NodeAnimation(String("walk"));
    node->AddKey(NodeAnimationKey(0.0, Vector3(1, 2, 3), Quaternion(0, 0.6f, 0, 0.8f), Vector3(2, 2, 2)));
    node->AddKey(NodeAnimationKey(0.5, Vector3(4, 5, 6), Quaternion(), Vector3(1, 3, 1)));
    Ptr<PathAnimation> path = new PathAnimation(String("fly"));
    path->AddKey(PathAnimationKey(0.1, Vector3(1, 0, 0), Vector3(0, 1, 0), Vector3(0, 0, 1)));
    Ptr<BoolAnimation> flag = new BoolAnimation(String("switch"));
    flag->AddKey(BoolAnimationKey(0.0, false));
    flag->AddKey(BoolAnimationKey(0.75, true));
    for (Animation* animation : {static_cast<Animation*>(node.Get()), static_cast<Animation*>(path.Get()),
                                 static_cast<Animation*>(flag.Get())})
    {
        EXPECT_EQ(animation->GetRtti().GetBase(), &Animation::TYPE);
        ExpectRoundTrip(animation);
    }
    EXPECT_EQ(Animation::TYPE.GetBase(), &Object::TYPE);
    EXPECT_EQ(Animation::TYPE.GetName(), "QRE.Animation");
    Object* made = nullptr;
    EXPECT_EQ(FindClassFactory(String("QRE.Animation"))(&made), 1);
}

TEST_F(AnimationTest, KeyCountsBeyondTheFileAndTimesThatAreNotFiniteAreRefused)
{
    const struct
    {
        const char* type;
        int32_t count;
        std::function<void(Stream&)> keys;
        const char* message;
    } cases[] = {
        {"QRE.NodeAnimation", 0x7FFFFFFF, [](Stream& s) { WriteNodeKey(s, 0, 0); }, "количество кифреймов"},
        {"QRE.NodeAnimation", -1, [](Stream& s) { WriteNodeKey(s, 0, 0); }, "количество кифреймов"},
        // One byte short of two keys: refused before any key is made.
        {"QRE.NodeAnimation", 2, [](Stream& s) { Zeros(s, 2 * 48 - 1); }, "количество кифреймов"},
        {"QRE.PathAnimation", 2, [](Stream& s) { Zeros(s, 2 * 44 - 1); }, "количество кифреймов"},
        {"QRE.BoolAnimation", 2, [](Stream& s) { Zeros(s, 2 * 9 - 1); }, "количество кифреймов"},
        {"QRE.NodeAnimation", 1, [](Stream& s) { WriteNodeKey(s, kNaN, 0); }, "Невозможно загрузить данные кифрейма."},
        {"QRE.BoolAnimation", 1, [](Stream& s) { s.WriteDouble(-kInfinity), s.WriteBool(true); },
         "Невозможно загрузить данные кифрейма."},
        {"QRE.NodeAnimation", 1, [](Stream& s) { WriteNodeKey(s, 0, std::nanf("")); },
         "Невозможно загрузить данные кифрейма."},
        {"QRE.PathAnimation", 1, [](Stream& s) { s.WriteDouble(0), Zeros(s, 32), s.WriteFloat(INFINITY); },
         "Невозможно загрузить данные кифрейма."},
    };
    for (const auto& c : cases)
    {
        LogCapture capture;
        Record record(c.type, c.count);
        c.keys(record.stream);
        EXPECT_FALSE(Deserialize(record.Get())) << c.type << " " << c.count;
        EXPECT_TRUE(capture.Contains(c.message)) << c.type << " " << c.message;
    }

    // Times that go back load as stored, with one warning; exactly enough
    // bytes for the count load.
    LogCapture capture;
    Record record("QRE.NodeAnimation", 3);
    for (double time : {0.5, 0.25, 0.75})
        WriteNodeKey(record.stream, time, 1);
    Ptr<Object> loaded = Deserialize(record.Get());
    ASSERT_TRUE(loaded);
    auto* animation = static_cast<NodeAnimation*>(loaded.Get());
    ASSERT_EQ(animation->GetKeyCount(), 3u);
    EXPECT_EQ(animation->GetNodeKey(1).time, 0.25);
    EXPECT_EQ(animation->GetNodeKey(2).rotation, Quaternion(0, 0, 1, 1));
    EXPECT_EQ(capture.Count("Время кифреймов анимации убывает."), 1u);
}
