#include "engine/core/Stream.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/Bytes.h"
#include "support/FailingAllocation.h"
#include "support/LogCapture.h"
#include "support/TestNode.h"

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
    const Bytes expected = {
        1,                                      // bool
        0x02, 0x01,                             // 16 bits
        0xFE, 0xFF, 0xFF, 0xFF,                 // -2
        0x00, 0x00, 0x80, 0x3F,                 // 1.0f
        0, 0, 0, 0, 0x00, 0x00, 0xF0, 0x3F,     // 1.0, low word first
        0, 0, 0, 0,                             // empty string: length only
        2, 0, 0, 0, 'a', 'b',                   // no terminator
    };
    EXPECT_EQ(WrittenBytes(stream), expected);
}

TEST(Stream, AnyNonZeroByteReadsAsTrue)
{
    ByteStream flags({0, 2, 255});
    bool read[3] = {true, false, false};
    for (bool& flag : read)
        flags.ReadBool(flag);
    EXPECT_EQ(std::vector<bool>(read, read + 3), (std::vector<bool>{false, true, true}));
}

TEST(Stream, ReadingPastTheEndFailsOnceAndThenStaysFailed)
{
    LogCapture capture;
    ByteStream stream({1, 2, 3, 4, 5, 6});
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
    ByteStream huge({0xFF, 0xFF, 0xFF, 0xFE, 'a', 'b', 'c', 'd'});
    String text("kept");
    EXPECT_EQ(huge.ReadString(text), 1);
    EXPECT_EQ(text, String("kept"));
    EXPECT_TRUE(capture.Contains("Невозможно считать данные. Буффер переполнен."));

    // A float run longer than the rest of the buffer.
    ByteStream floats({1, 0, 0, 0});
    float into[4];
    EXPECT_EQ(floats.ReadFloats(into, 0x40000000u), 1);
    EXPECT_FALSE(floats.CheckRemaining(1, 1));
}

TEST(Stream, AStringWithoutMemoryFailsTheStreamWithCode2)
{
    LogCapture capture;
    ByteStream in(Bytes{3, 0, 0, 0, 'a', 'b', 'c', 1, 0, 0, 0});
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

    ByteStream in(WrittenBytes(out));
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
    ASSERT_TRUE(RegisterClassFactory(String("QRE.Object"), &Object::Factory));
    for (const char* type : {"QRE.Nowhere", "QRE.Object"})
    {
        Stream out(0, 64);
        out.WriteInt32(7);
        out.WriteString(String(type));
        ByteStream in(WrittenBytes(out));
        Object* read = reinterpret_cast<Object*>(1);
        EXPECT_EQ(in.ReadLink(read), 1);
        EXPECT_EQ(read, nullptr);
    }
    UnregisterClassFactory(String("QRE.Object"));
    EXPECT_TRUE(capture.Contains("Невозможно найти функцию создания объекта. RTTI[QRE.Nowhere] ID[7]"));
    EXPECT_TRUE(capture.Contains("Невозможно создать объект. RTTI[QRE.Object] ID[7]"));
}

TEST(StreamLinks, ControllerCountsFromTheFileAreChecked)
{
    TestClasses classes;
    // A test node's record up to its controller count, then the rest.
    auto record = [](std::initializer_list<int32_t> rest) {
        Stream out(0, 64);
        out.WriteInt32(3);
        out.WriteString(TestNode::TYPE.GetName());
        out.WriteString(String("n"));
        for (int32_t value : rest)
            out.WriteInt32(value);
        return WrittenBytes(out);
    };
    // Negative reads as none: no controllers, no children, null links, no floats.
    Object* read = nullptr;
    ByteStream negative(record({-1, 0, -1, -1, -1, 0}));
    ASSERT_EQ(negative.ReadLink(read), 0);
    EXPECT_EQ(read->GetControllerCount(), 0u);
    ByteStream beyond(record({0x7FFFFFFF}));
    EXPECT_EQ(beyond.ReadLink(read), 1);

    // One controller that is null fails the load with the described lines.
    LogCapture capture;
    ByteStream null(record({1, -1}));
    EXPECT_NE(null.ReadLink(read), 0);
    ASSERT_NE(read, nullptr);
    const std::string id = std::to_string(read->GetID());
    EXPECT_TRUE(capture.Contains(("Указатель на устанавливаемый контроллер равен 0. Имя[n] ID[" + id + "]").c_str()));
    EXPECT_TRUE(capture.Contains(("Невозможно установить контроллер объекта. Имя[n] ID[" + id + "]").c_str()));
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
    ByteStream in(WrittenBytes(out));
    Object* read = nullptr;
    EXPECT_EQ(in.ReadLink(read), 1);
}
