// The unpack-2.0 decoder on streams built symbol by symbol: the guards
// against streams that no packer would write, and copies that reach back
// a whole window. (What packers write is
// decoded in RarArchiveReaderTest from real archives, and in
// RarArchiveWriterTest from ours, which unar reads too.)
#include "engine/codecs/rar/Rar20Decoder.h"

#include <gtest/gtest.h>

#include "tests/codecs/rar/RarTestArchives.h"

namespace
{

using rartest::StreamWriter;

class Decoder : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(decoder.Initialize()); }

    Rar20Decoder::Result Decode(const Bytes& packed, uint32_t size, bool solid = false)
    {
        output.assign(size, 0xEE);
        return decoder.Decode(packed.data(), static_cast<uint32_t>(packed.size()), size, solid, output.data());
    }

    Rar20Decoder decoder;
    Bytes output;
};

} // namespace

TEST_F(Decoder, RefusesCopiesFromBeforeTheStartOfTheData)
{
    // Two bytes produced, a copy from five back; and an old distance that
    // was never set (zero).
    StreamWriter far;
    far.Tables();
    far.Literal('a');
    far.Literal('b');
    far.NewCopy(3, 5);
    EXPECT_EQ(Decode(far.Finish(), 5), Rar20Decoder::kBadDistance);

    StreamWriter unset;
    unset.Tables();
    unset.Literal('a');
    unset.Symbol(rar20::kOldDistanceFirst);
    unset.Bits(0, 5); // the repeat length symbol's code
    EXPECT_EQ(Decode(unset.Finish(), 4), Rar20Decoder::kBadDistance);
}

TEST_F(Decoder, RefusesATableThatRepeatsAnEntryBeforeTheFirst)
{
    // Bit-length code: only symbol 16 (length 1) and symbol 0 (length 1);
    // the table's first entry is "repeat the previous one".
    StreamWriter stream;
    stream.Bits(0, 2); // LZ mode, old table cleared
    for (uint32_t i = 0; i < rar20::kBitLengthSymbols; ++i)
        stream.Bits(i == 0 || i == 16 ? 1 : 0, 4);
    stream.Bits(1, 1); // symbol 16 (code "1")
    stream.Bits(0, 2);
    stream.Bits(0, 16);
    EXPECT_EQ(Decode(stream.Finish(), 10), Rar20Decoder::kBadTable);
}

TEST_F(Decoder, InputThatEndsEarlyFailsInsteadOfInventingBytes)
{
    StreamWriter stream;
    stream.Tables();
    for (int i = 0; i < 50; ++i)
        stream.Literal('q');
    Bytes packed = stream.Finish();
    // Past the data only zero bits are left; they must not become a
    // megabyte of output.
    EXPECT_EQ(Decode(packed, 1 << 20), Rar20Decoder::kTruncated);
    EXPECT_EQ(Decode({}, 1), Rar20Decoder::kTruncated);
    EXPECT_EQ(Decode({}, 0), Rar20Decoder::kDecoded);
}

TEST_F(Decoder, CopiesFromAlmostAWindowBackReadBytesTheyOverwrite)
{
    // A seven-byte period fills the window exactly; then copies from
    // nearly a window back (with the far-distance bonus of two) read the
    // window's start just behind where they write, and one reads itself.
    const uint32_t window = Rar20Decoder::kWindowSize;
    StreamWriter stream;
    stream.Tables();
    Bytes expected;
    auto copy = [&](uint32_t length, uint32_t distance) {
        stream.NewCopy(length, distance);
        length += rar20::NewDistanceBonus(distance);
        for (uint32_t i = 0; i < length; ++i)
            expected.push_back(expected[expected.size() - distance]);
    };
    expected = BytesOf("vernal!");
    for (uint8_t byte : expected)
        stream.Literal(byte);
    while (expected.size() + 258 <= window)
        copy(258, 7);
    copy(static_cast<uint32_t>(window - expected.size()), 7);
    copy(198, window - 1);
    copy(198, window - 100);
    copy(50, window);
    ASSERT_EQ(Decode(stream.Finish(), static_cast<uint32_t>(expected.size())), Rar20Decoder::kDecoded);
    EXPECT_TRUE(output == expected);
}
