// The unpack-2.0 decoder on streams built symbol by symbol: the length
// rules at far distances, the audio channels, and the guards against
// streams that no packer would write.
#include "engine/codecs/rar/Rar20Decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "engine/codecs/rar/RarAudioPredictor.h"
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

    std::string Output() const { return std::string(output.begin(), output.end()); }

    Rar20Decoder decoder;
    Bytes output;
};

// "X", then `run` bytes "a", then a three-byte copy from distance: the
// copy starts at the "X".
Bytes CopyFromFarBack(uint32_t run, uint32_t distance)
{
    StreamWriter stream;
    stream.Tables();
    stream.Literal('X');
    stream.Literal('a');
    for (uint32_t left = run - 1; left > 0;)
    {
        uint32_t length = left < 258 ? left : 258;
        if (length < 3)
        {
            stream.Literal('a');
            --left;
            continue;
        }
        stream.NewCopy(length, 1);
        left -= length;
    }
    stream.NewCopy(3, distance);
    stream.Literal('Z');
    return stream.Finish();
}

} // namespace

TEST_F(Decoder, CopiesFrom0x2000OrFurtherAreOneLongerThanTheirCode)
{
    // run, distance, what the three-byte copy gives
    const std::tuple<uint32_t, uint32_t, const char*> rows[] = {{0x1FFF, 0x2000, "Xaaa"}, {0x1FFE, 0x1FFF, "Xaa"}};
    for (const auto& [run, distance, copied] : rows)
    {
        SCOPED_TRACE(distance);
        std::string expected("X");
        expected.append(run, 'a').append(copied).append("Z");
        ASSERT_EQ(Decode(CopyFromFarBack(run, distance), static_cast<uint32_t>(expected.size())),
                  Rar20Decoder::kDecoded);
        EXPECT_EQ(Output(), expected);
    }
}

TEST_F(Decoder, FourChannelAudioTakesEachByteFromTheNextChannel)
{
    // Each channel knows one delta only, so the output shows which channel
    // decoded each byte.
    const uint8_t deltas[4] = {3, 250, 17, 128};
    StreamWriter stream;
    stream.AudioTables({{deltas[0]}, {deltas[1]}, {deltas[2]}, {deltas[3]}});
    const uint32_t count = 100;
    for (uint32_t i = 0; i < count; ++i)
        stream.Audio(i % 4, deltas[i % 4]);
    ASSERT_EQ(Decode(stream.Finish(), count), Rar20Decoder::kDecoded);

    RarAudioPredictor predictor[4];
    int32_t channelDelta = 0;
    for (uint32_t i = 0; i < count; ++i)
    {
        uint8_t predicted = predictor[i % 4].Predict(channelDelta);
        uint8_t expected = predictor[i % 4].Commit(predicted, deltas[i % 4], channelDelta);
        ASSERT_EQ(output[i], expected) << "byte " << i;
    }
}

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
