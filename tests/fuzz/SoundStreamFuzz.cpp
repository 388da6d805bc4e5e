// Feeds arbitrary bytes to the stream opener: whatever they are, it must
// refuse them or give a decoder of 1 or 2 channels at a sane rate that
// decodes, rewinds and decodes again without reading past the block.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "sound/audio/StreamDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 0xFFFFFF)
        return 0;
    // A copy of exactly size bytes, so the sanitizer sees any read past it.
    std::unique_ptr<uint8_t[]> block(new uint8_t[size ? size : 1]);
    if (size)
        std::memcpy(block.get(), data, size);
    std::unique_ptr<StreamDecoder> decoder;
    if (OpenStreamDecoder(block.get(), static_cast<uint32_t>(size), decoder) != DecoderResult::kOk)
        return 0;
    if (!decoder || decoder->GetChannels() < 1 || decoder->GetChannels() > 2 ||
        decoder->GetRate() < StreamDecoder::kMinRate || decoder->GetRate() > StreamDecoder::kMaxRate)
        std::abort();
    std::vector<int16_t> samples(1024 * 2);
    for (int pass = 0; pass < 2; ++pass)
    {
        // Bounded: a hostile file may decode to a great many frames.
        for (int i = 0; i < 256; ++i)
        {
            const int32_t got = decoder->Decode(samples.data(), 1024);
            if (got > 1024)
                std::abort();
            if (got <= 0)
                break;
        }
        if (!decoder->Rewind())
            break;
    }
    return 0;
}
