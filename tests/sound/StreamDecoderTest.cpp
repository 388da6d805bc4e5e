// The stream opener and decoders: what plays, and every kind of damage
// refused before it sizes anything.
#include "sound/audio/StreamDecoder.h"

#include <gtest/gtest.h>

#include <functional>

#include "sound/SoundTestSupport.h"

using namespace sound_test;

namespace
{

// Every frame of the stream, or -1 when decoding fails on the way.
int64_t CountFrames(StreamDecoder& decoder, std::vector<int16_t>* first = nullptr)
{
    std::vector<int16_t> block(4096 * decoder.GetChannels());
    int64_t total = 0;
    for (int32_t got; (got = decoder.Decode(block.data(), 4096)) != 0; total += got)
    {
        if (got < 0)
            return -1;
        if (first && first->empty())
            first->assign(block.begin(), block.begin() + got * decoder.GetChannels());
    }
    return total;
}

// The first Ogg page's checksum made right again after a change, so the
// change itself is what the opener sees.
void Rechecksum(Bytes& ogg)
{
    ogg_page page;
    page.header = ogg.data();
    page.header_len = 27 + ogg[26];
    page.body = ogg.data() + page.header_len;
    page.body_len = 0;
    for (int i = 0; i < ogg[26]; ++i)
        page.body_len += ogg[27 + i];
    ogg_page_checksum_set(&page);
}

} // namespace

TEST(StreamDecoder, WaveAndVorbisDecodeTheirFramesAndRewind)
{
    const struct
    {
        Bytes file;
        uint32_t channels;
        uint32_t rate;
        int64_t frames;
    } cases[] = {
        {MakeWave(1, 16, 22050, 3000), 1, 22050, 3000},
        {MakeWave(2, 8, 8000, 5001), 2, 8000, 5001},
        {MakeOgg(1, 44100, 20000), 1, 44100, 20000},
        {MakeOgg(2, 32000, 9000), 2, 32000, 9000},
    };
    for (const auto& c : cases)
    {
        std::unique_ptr<StreamDecoder> decoder;
        ASSERT_EQ(OpenStreamDecoder(c.file.data(), static_cast<uint32_t>(c.file.size()), decoder),
                  DecoderResult::kOk);
        EXPECT_EQ(decoder->GetChannels(), c.channels);
        EXPECT_EQ(decoder->GetRate(), c.rate);
        std::vector<int16_t> first, again;
        EXPECT_EQ(CountFrames(*decoder, &first), c.frames);
        ASSERT_TRUE(decoder->Rewind());
        EXPECT_EQ(CountFrames(*decoder, &again), c.frames);
        EXPECT_EQ(first, again);
        // The tone's peak, a quarter of full scale, within the codec's error.
        int16_t peak = 0;
        for (int16_t s : first)
            peak = std::max<int16_t>(peak, static_cast<int16_t>(std::abs(s)));
        EXPECT_NEAR(peak, 0.25 * 32767, 0.03 * 32767) << c.channels << " " << c.rate;
    }
    // 8-bit samples are unsigned around 128.
    const Bytes eight = MakeWave(1, 8, 8000, 4, 0.0f);
    std::unique_ptr<StreamDecoder> decoder;
    ASSERT_EQ(OpenStreamDecoder(eight.data(), static_cast<uint32_t>(eight.size()), decoder), DecoderResult::kOk);
    int16_t out[4] = {1, 1, 1, 1};
    EXPECT_EQ(decoder->Decode(out, 4), 4);
    EXPECT_EQ(out[0], 0);
}

TEST(StreamDecoder, DamagedFilesGiveNoDecoder)
{
    const Bytes wave = MakeWave(2, 16, 44100, 100);
    const Bytes ogg = MakeOgg(1, 44100, 4000);
    auto patched = [](Bytes bytes, std::function<void(Bytes&)> change) {
        change(bytes);
        return bytes;
    };
    // fmt at 12 (its fields from 20), data header at 36.
    const struct
    {
        const char* what;
        Bytes file;
    } cases[] = {
        {"empty", Bytes()},
        {"no known header", Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 6}},
        {"0 channels", patched(wave, [](Bytes& b) { b[22] = 0; })},
        {"255 channels", patched(wave, [](Bytes& b) { b[22] = 255; })},
        {"a rate of 0", patched(wave, [](Bytes& b) { Poke32(b, 24, 0); })},
        {"an absurd rate", patched(wave, [](Bytes& b) { Poke32(b, 24, 0x7FFFFFFF); })},
        {"12-bit samples", patched(wave, [](Bytes& b) { b[34] = 12; })},
        {"not PCM", patched(wave, [](Bytes& b) { b[20] = 3; })},
        {"a block size that lies", patched(wave, [](Bytes& b) { b[32] = 1; })},
        {"a data chunk past the end", patched(wave, [](Bytes& b) { Poke32(b, 40, 401); })},
        {"a RIFF size past the end", patched(wave, [](Bytes& b) { Poke32(b, 4, 0xFFFFFFF0u); })},
        {"no data chunk", Bytes(wave.begin(), wave.begin() + 36)},
        {"truncated in the data", Bytes(wave.begin(), wave.begin() + 60)},
        {"not WAVE", patched(wave, [](Bytes& b) { b[8] = 'X'; })},
        {"Ogg without its headers", Bytes(ogg.begin(), ogg.begin() + 40)},
        {"Ogg with a broken identification header", patched(ogg, [](Bytes& b) { b[29] = 'x', Rechecksum(b); })},
        {"Ogg of 0 channels", patched(ogg, [](Bytes& b) { b[39] = 0, Rechecksum(b); })},
        {"Ogg of 3 channels", patched(ogg, [](Bytes& b) { b[39] = 3, Rechecksum(b); })},
        {"Ogg at 500 Hz", patched(ogg, [](Bytes& b) { Poke32(b, 40, 500), Rechecksum(b); })},
        {"Ogg with a damaged checksum", patched(ogg, [](Bytes& b) { b[39] = 2; })},
    };
    for (const auto& c : cases)
    {
        std::unique_ptr<StreamDecoder> decoder;
        EXPECT_EQ(OpenStreamDecoder(c.file.data(), static_cast<uint32_t>(c.file.size()), decoder),
                  DecoderResult::kDamaged)
            << c.what;
        EXPECT_FALSE(decoder) << c.what;
    }
}

TEST(StreamDecoder, DamageInsideTheVorbisDataStopsDecodingOrLeavesItShort)
{
    Bytes ogg = MakeOgg(1, 44100, 5 * 44100);
    // A stretch of the audio pages in the middle flipped.
    for (size_t i = ogg.size() / 2; i < ogg.size() / 2 + 64; ++i)
        ogg[i] ^= 0x5A;
    std::unique_ptr<StreamDecoder> decoder;
    ASSERT_EQ(OpenStreamDecoder(ogg.data(), static_cast<uint32_t>(ogg.size()), decoder), DecoderResult::kOk);
    const int64_t frames = CountFrames(*decoder);
    EXPECT_LT(frames, 5 * 44100);
}
