#include "engine/core/Stream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/core/Vector2.h"
#include "engine/core/Vector3.h"
#include "engine/core/Vector4.h"
#include "engine/core/Transform.h"
#include "support/FailingAllocation.h"
#include "support/LogCapture.h"
#include "support/TestNode.h"

namespace
{

std::vector<uint8_t> Written(const Stream& stream)
{
    return std::vector<uint8_t>(stream.GetBuffer(), stream.GetBuffer() + stream.GetPosition());
}

// A stream holding bytes to read, as a file opened for reading is.
class ReadStream : public Stream
{
public:
    explicit ReadStream(const std::vector<uint8_t>& bytes) : Stream(0, 1024)
    {
        uint8_t* copy = new uint8_t[bytes.size()];
        std::memcpy(copy, bytes.data(), bytes.size());
        AdoptBuffer(copy, static_cast<uint32_t>(bytes.size()));
    }
};

} // namespace

TEST(Stream, GrowsByWholeStepsNeverByDoubling)
{
    Stream stream(0, 1024);
    uint8_t byte = 7;
    stream.Write(&byte, 1);
    EXPECT_EQ(stream.GetSize(), 1024u);

    Stream big(0, 1024);
    std::vector<uint8_t> bytes(1025, 1);
    big.Write(bytes.data(), 1025);
    EXPECT_EQ(big.GetSize(), 2048u);
    big.Write(bytes.data(), 1000); // 2025 still fits
    EXPECT_EQ(big.GetSize(), 2048u);
    big.Write(bytes.data(), 1000);
    EXPECT_EQ(big.GetSize(), 3072u);
    EXPECT_EQ(big.GetPosition(), 3025u);
}

TEST(Stream, ZeroGrowStepRefusesToGrowAndStaysFailed)
{
    LogCapture capture;
    Stream stream(2, 0);
    EXPECT_EQ(stream.WriteInt16(5), 0);
    EXPECT_EQ(stream.WriteInt8(1), 1);
    EXPECT_TRUE(capture.Contains("Приращение буффера равно 0."));
    EXPECT_TRUE(capture.Contains("Невозможно записать данные вследствие малого размера буффера."));
    EXPECT_EQ(stream.WriteInt8(1), 1);
    EXPECT_TRUE(capture.Contains("Неправильное состояние потока."));
}

TEST(Stream, EncodingsAreLittleEndianAndPacked)
{
    Stream stream(0, 64);
    stream.WriteBool(true);
    stream.WriteInt16(0x0102);
    stream.WriteInt32(-2);
    stream.WriteFloat(1.0f);
    stream.WriteDouble(1.0);
    stream.WriteString(String(""));
    stream.WriteString(String("ab"));
    const std::vector<uint8_t> expected = {
        1,                                      // bool
        0x02, 0x01,                             // 16 bits
        0xFE, 0xFF, 0xFF, 0xFF,                 // -2
        0x00, 0x00, 0x80, 0x3F,                 // 1.0f
        0, 0, 0, 0, 0x00, 0x00, 0xF0, 0x3F,     // 1.0, low word first
        0, 0, 0, 0,                             // empty string: length only
        2, 0, 0, 0, 'a', 'b',                   // no terminator
    };
    EXPECT_EQ(Written(stream), expected);
}

TEST(Stream, ValuesReadBackAsWritten)
{
    Stream out(0, 16);
    Transform transform;
    transform.scale = Vector3(1, 2, 3);
    transform.rotation.x = 0.5f;
    transform.rotation.w = 0.5f;
    transform.translation = Vector3(-4, 5, 6);
    out.WriteTransform(transform);
    out.WriteVector2(Vector2(1.5f, -2.5f));
    out.WriteVector4(Vector4(1, 2, 3, 4));
    out.WriteInt64(-1234567890123ll);
    out.WriteString(String("Кириллица"));
    EXPECT_EQ(out.GetPosition(), 40u + 8u + 16u + 8u + 4u + 9u);

    ReadStream in(Written(out));
    Transform back;
    Vector2 v2;
    Vector4 v4;
    int64_t big = 0;
    String text;
    in.ReadTransform(back);
    in.ReadVector2(v2);
    in.ReadVector4(v4);
    in.ReadInt64(big);
    ASSERT_EQ(in.ReadString(text), 0);
    EXPECT_EQ(back.scale, transform.scale);
    EXPECT_EQ(back.rotation.x, 0.5f);
    EXPECT_EQ(back.translation, transform.translation);
    EXPECT_EQ(v2, Vector2(1.5f, -2.5f));
    EXPECT_EQ(v4, Vector4(1, 2, 3, 4));
    EXPECT_EQ(big, -1234567890123ll);
    EXPECT_EQ(text, String("Кириллица"));

    // Any non-zero byte is true.
    ReadStream flags({0, 2, 255});
    bool a = true, b = false, c = false;
    flags.ReadBool(a);
    flags.ReadBool(b);
    flags.ReadBool(c);
    EXPECT_FALSE(a);
    EXPECT_TRUE(b);
    EXPECT_TRUE(c);
}

TEST(Stream, ReadingPastTheEndFailsOnceAndThenStaysFailed)
{
    LogCapture capture;
    ReadStream stream({1, 2, 3, 4, 5, 6});
    int16_t skip = 0;
    stream.ReadInt16(skip);
    stream.ReadInt8(reinterpret_cast<int8_t&>(skip));
    int32_t value = 99;
    EXPECT_EQ(stream.ReadInt32(value), 1); // 4 bytes at size - 3
    EXPECT_EQ(value, 99);
    EXPECT_TRUE(capture.Contains("Невозможно считать данные. Буффер переполнен."));
    bool flag = false;
    capture.Clear();
    EXPECT_EQ(stream.ReadBool(flag), 1);
    EXPECT_TRUE(capture.Contains("Неправильное состояние потока."));

    Stream empty(0, 1024);
    EXPECT_EQ(empty.ReadInt8(reinterpret_cast<int8_t&>(skip)), 1);
    EXPECT_TRUE(capture.Contains("Невозможно считать данные. Буффер не существует."));
}

TEST(Stream, LengthsFromTheFileAreCheckedBeforeAnythingIsAllocated)
{
    LogCapture capture;
    // A string that claims four billion bytes in a buffer of eight.
    ReadStream huge({0xFF, 0xFF, 0xFF, 0xFE, 'a', 'b', 'c', 'd'});
    String text("kept");
    EXPECT_EQ(huge.ReadString(text), 1);
    EXPECT_EQ(text, String("kept"));
    EXPECT_TRUE(capture.Contains("Невозможно считать данные. Буффер переполнен."));

    // A float run longer than the rest of the buffer.
    ReadStream floats({1, 0, 0, 0});
    float into[4];
    EXPECT_EQ(floats.ReadFloats(into, 0x40000000u), 1);
    EXPECT_FALSE(floats.CheckRemaining(1, 1));
}

TEST(Stream, AStringWithoutMemoryFailsTheStreamWithCode2)
{
    LogCapture capture;
    ReadStream in({3, 0, 0, 0, 'a', 'b', 'c', 1, 0, 0, 0});
    String text("kept");
    {
        FailingAllocation failing;
        EXPECT_EQ(in.ReadString(text), 2);
    }
    EXPECT_EQ(text, String("kept"));
    EXPECT_EQ(in.GetState(), 2);
    ASSERT_EQ(capture.Lines().size(), 1u);
    EXPECT_EQ(capture.Lines()[0].text, "Недостаточно памяти для загрузки строки.");
    int32_t next = 0;
    EXPECT_EQ(in.ReadInt32(next), 2);
}

TEST(StreamLinks, SharedObjectsBackReferencesAndCyclesKeepTheirShape)
{
    TestClasses classes;
    Ptr<TestNode> a = new TestNode(String("A"));
    Ptr<TestNode> b = new TestNode(String("B"));
    Ptr<TestNode> c = new TestNode(String("C"));
    Ptr<TestNode> shared = new TestNode(String("S"));
    a->AddChild(b.Get());
    a->AddChild(c.Get());
    b->shared = shared.Get();
    c->shared = shared.Get();
    b->buddy = c.Get(); // a forward reference: C is written inside B's record
    c->buddy = a.Get(); // a cycle through a plain link
    a->floats = {1.0f, 2.0f, 3.0f};

    Stream out(0, 1024);
    ASSERT_EQ(out.WriteLink(a.Get()), 0);

    ReadStream in(Written(out));
    Object* read = nullptr;
    ASSERT_EQ(in.ReadLink(read), 0);
    Ptr<TestNode> loaded = TestNode::Cast(read);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->GetName(), String("A"));
    ASSERT_EQ(loaded->children.size(), 2u);
    TestNode* lb = loaded->children[0].Get();
    TestNode* lc = loaded->children[1].Get();
    EXPECT_EQ(lb->GetName(), String("B"));
    EXPECT_EQ(lc->GetName(), String("C"));
    EXPECT_EQ(lb->parent, loaded.Get());
    EXPECT_EQ(lc->parent, loaded.Get());
    EXPECT_EQ(lb->buddy, lc);
    EXPECT_EQ(lc->buddy, loaded.Get());
    EXPECT_EQ(loaded->parent, nullptr);
    ASSERT_TRUE(lb->shared);
    EXPECT_EQ(lb->shared.Get(), lc->shared.Get());
    EXPECT_EQ(lb->shared->GetName(), String("S"));
    EXPECT_EQ(loaded->floats, (std::vector<float>{1.0f, 2.0f, 3.0f}));
    EXPECT_EQ(in.GetRemaining(), 0u);
    // Loaded objects are new objects with IDs of their own.
    EXPECT_NE(loaded->GetID(), a->GetID());
}

TEST(StreamLinks, SecondReferenceCostsFourBytesAndNullOneLogsNoRecord)
{
    TestClasses classes;
    Ptr<TestNode> node = new TestNode(String("once"));
    Stream out(0, 1024);
    out.WriteLink(node.Get());
    const uint32_t first = out.GetPosition();
    LogCapture capture;
    out.WriteLink(node.Get());
    EXPECT_EQ(out.GetPosition(), first + 4);
    out.WriteLink(nullptr);
    EXPECT_EQ(out.GetPosition(), first + 8);
    EXPECT_EQ(capture.Count("RTTI["), 0u);

    ReadStream in(Written(out));
    Object* one = nullptr;
    Object* two = nullptr;
    Object* none = reinterpret_cast<Object*>(1);
    in.ReadLink(one);
    capture.Clear();
    in.ReadLink(two);
    in.ReadLink(none);
    EXPECT_EQ(one, two);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(capture.Count("RTTI["), 0u);
    EXPECT_TRUE(capture.Contains("Read ID[-1]"));
}


TEST(StreamLinks, UnknownAndAbstractTypesFailTheLoadNamingTypeAndId)
{
    LogCapture capture;
    Stream out(0, 64);
    out.WriteInt32(7);
    out.WriteString(String("QRE.Nowhere"));
    ReadStream in(Written(out));
    Object* read = nullptr;
    EXPECT_EQ(in.ReadLink(read), 1);
    EXPECT_EQ(read, nullptr);
    EXPECT_TRUE(capture.Contains("Невозможно найти функцию создания объекта. RTTI[QRE.Nowhere] ID[7]"));

    ASSERT_TRUE(RegisterClassFactory(String("QRE.Object"), &Object::Factory));
    Stream abstract(0, 64);
    abstract.WriteInt32(9);
    abstract.WriteString(String("QRE.Object"));
    ReadStream in2(Written(abstract));
    EXPECT_EQ(in2.ReadLink(read), 1);
    EXPECT_TRUE(capture.Contains("Невозможно создать объект. RTTI[QRE.Object] ID[9]"));
    UnregisterClassFactory(String("QRE.Object"));
}

TEST(StreamLinks, NegativeControllerCountReadsAsNone)
{
    TestClasses classes;
    Stream out(0, 64);
    out.WriteInt32(3);
    out.WriteString(TestNode::TYPE.GetName());
    out.WriteString(String("n"));
    out.WriteInt32(-1);  // controllers
    out.WriteInt32(0);   // children
    out.WriteInt32(-1);  // parent
    out.WriteInt32(-1);  // buddy
    out.WriteInt32(-1);  // shared
    out.WriteUInt32(0);  // floats
    ReadStream in(Written(out));
    Object* read = nullptr;
    ASSERT_EQ(in.ReadLink(read), 0);
    EXPECT_EQ(read->GetControllerCount(), 0u);
}

TEST(StreamLinks, NullControllerLinkFailsTheLoadWithTheDescribedLines)
{
    TestClasses classes;
    LogCapture capture;
    Stream out(0, 64);
    out.WriteInt32(3);
    out.WriteString(TestNode::TYPE.GetName());
    out.WriteString(String("n"));
    out.WriteInt32(1);   // one controller...
    out.WriteInt32(-1);  // ...that is null
    ReadStream in(Written(out));
    Object* read = nullptr;
    EXPECT_NE(in.ReadLink(read), 0);
    ASSERT_NE(read, nullptr);
    std::string id = std::to_string(read->GetID());
    EXPECT_TRUE(capture.Contains(("Указатель на устанавливаемый контроллер равен 0. Имя[n] ID[" + id + "]").c_str()));
    EXPECT_TRUE(capture.Contains(("Невозможно установить контроллер объекта. Имя[n] ID[" + id + "]").c_str()));
}

TEST(StreamLinks, AControllerCountBeyondTheDataIsRefusedAtOnce)
{
    TestClasses classes;
    Stream out(0, 64);
    out.WriteInt32(3);
    out.WriteString(TestNode::TYPE.GetName());
    out.WriteString(String("n"));
    out.WriteInt32(0x7FFFFFFF);
    ReadStream in(Written(out));
    Object* read = nullptr;
    EXPECT_EQ(in.ReadLink(read), 1);
}

TEST(StreamLinks, RecordsNestedBeyondAnyRealSceneAreRefused)
{
    TestClasses classes;
    // Each record's first child is the next record, ten thousand deep.
    Stream out(0, 1 << 20);
    for (int i = 0; i < 10000; ++i)
    {
        out.WriteInt32(i);
        out.WriteString(TestNode::TYPE.GetName());
        out.WriteString(String());
        out.WriteInt32(0); // controllers
        out.WriteInt32(1); // one child, whose link follows
    }
    ReadStream in(Written(out));
    Object* read = nullptr;
    EXPECT_EQ(in.ReadLink(read), 1);
}
