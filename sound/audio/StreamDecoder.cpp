#include "sound/audio/StreamDecoder.h"

#include <cstdio>
#include <cstring>
#include <new>

#include <vorbis/vorbisfile.h>

namespace
{

uint32_t Read16(const uint8_t* at)
{
    return at[0] | at[1] << 8;
}

uint32_t Read32(const uint8_t* at)
{
    return at[0] | at[1] << 8 | at[2] << 16 | static_cast<uint32_t>(at[3]) << 24;
}

bool UsableLayout(uint64_t channels, uint64_t rate)
{
    return channels >= 1 && channels <= 2 && rate >= StreamDecoder::kMinRate && rate <= StreamDecoder::kMaxRate;
}

// PCM samples straight from the block's data chunk.
class WaveDecoder : public StreamDecoder
{
public:
    WaveDecoder(const uint8_t* samples, uint32_t frameCount, uint32_t channelCount, uint32_t frameRate,
                uint32_t bits)
        : samples(samples), frameCount(frameCount), bytesPerSample(bits / 8)
    {
        channels = channelCount;
        rate = frameRate;
    }

    int32_t Decode(int16_t* out, uint32_t frames) override
    {
        const uint32_t count = frames < frameCount - next ? frames : frameCount - next;
        const uint32_t values = count * channels;
        const uint8_t* from = samples + static_cast<size_t>(next) * channels * bytesPerSample;
        for (uint32_t i = 0; i < values; ++i)
            out[i] = bytesPerSample == 1 ? static_cast<int16_t>((from[i] - 128) * 256)
                                         : static_cast<int16_t>(Read16(from + 2 * i));
        next += count;
        return static_cast<int32_t>(count);
    }

    bool Rewind() override
    {
        next = 0;
        return true;
    }

private:
    const uint8_t* samples; // inside the caller's block
    uint32_t frameCount;
    uint32_t bytesPerSample;
    uint32_t next = 0;
};

// The caller's block as the file libvorbisfile reads through its callbacks.
struct MemorySource
{
    const uint8_t* data;
    size_t size;
    size_t position;
};

size_t ReadMemory(void* out, size_t size, size_t count, void* source)
{
    MemorySource& memory = *static_cast<MemorySource*>(source);
    if (size == 0)
        return 0;
    size_t items = (memory.size - memory.position) / size;
    if (items > count)
        items = count;
    std::memcpy(out, memory.data + memory.position, items * size);
    memory.position += items * size;
    return items;
}

int SeekMemory(void* source, ogg_int64_t offset, int whence)
{
    MemorySource& memory = *static_cast<MemorySource*>(source);
    const ogg_int64_t base = whence == SEEK_SET   ? 0
                             : whence == SEEK_CUR ? static_cast<ogg_int64_t>(memory.position)
                                                  : static_cast<ogg_int64_t>(memory.size);
    if (offset < -base || offset > static_cast<ogg_int64_t>(memory.size) - base)
        return -1;
    memory.position = static_cast<size_t>(base + offset);
    return 0;
}

long TellMemory(void* source)
{
    return static_cast<long>(static_cast<MemorySource*>(source)->position);
}

// Vorbis through libvorbisfile; every link of a chained file must keep the
// first one's layout.
class VorbisDecoder : public StreamDecoder
{
public:
    VorbisDecoder(const uint8_t* data, uint32_t size) : source{data, size, 0} {}
    ~VorbisDecoder() override
    {
        if (opened)
            ov_clear(&file);
    }

    bool Open()
    {
        const ov_callbacks callbacks = {ReadMemory, SeekMemory, nullptr, TellMemory};
        if (ov_open_callbacks(&source, &file, nullptr, 0, callbacks) != 0)
            return false;
        opened = true;
        const vorbis_info* info = ov_info(&file, -1);
        if (!info || info->channels < 0 || !UsableLayout(static_cast<uint64_t>(info->channels),
                                                         static_cast<uint64_t>(info->rate < 0 ? 0 : info->rate)))
            return false;
        channels = static_cast<uint32_t>(info->channels);
        rate = static_cast<uint32_t>(info->rate);
        return true;
    }

    int32_t Decode(int16_t* out, uint32_t frames) override
    {
        const long wanted = static_cast<long>(frames * channels * 2);
        long filled = 0;
        char* bytes = reinterpret_cast<char*>(out);
        while (filled < wanted)
        {
            int link = 0;
            const long got = ov_read(&file, bytes + filled, static_cast<int>(wanted - filled), 0, 2, 1, &link);
            if (got == 0)
                break;
            if (got == OV_HOLE)
                continue; // a gap in the pages: the next packet follows
            const vorbis_info* info = got > 0 ? ov_info(&file, link) : nullptr;
            if (!info || info->channels != static_cast<int>(channels) || info->rate != static_cast<long>(rate))
                return -1;
            filled += got;
        }
        return static_cast<int32_t>(filled / static_cast<long>(channels * 2));
    }

    bool Rewind() override
    {
        return ov_pcm_seek(&file, 0) == 0;
    }

private:
    MemorySource source;
    OggVorbis_File file{};
    bool opened = false;
};

// A decoder over the data chunk of a RIFF WAVE block with a PCM format
// chunk.
DecoderResult OpenWave(const uint8_t* data, uint32_t size, std::unique_ptr<StreamDecoder>& decoder)
{
    if (size < 12 || std::memcmp(data + 8, "WAVE", 4) != 0 || Read32(data + 4) > size - 8)
        return DecoderResult::kDamaged;
    uint32_t channels = 0, rate = 0, bits = 0;
    const uint8_t* samples = nullptr;
    uint32_t sampleBytes = 0;
    uint32_t at = 12;
    while (size - at >= 8)
    {
        const uint8_t* chunk = data + at;
        const uint32_t length = Read32(chunk + 4);
        if (length > size - at - 8)
            return DecoderResult::kDamaged; // a chunk that claims more than the file holds
        if (std::memcmp(chunk, "fmt ", 4) == 0)
        {
            if (length < 16 || Read16(chunk + 8) != 1)
                return DecoderResult::kDamaged;
            channels = Read16(chunk + 10);
            rate = Read32(chunk + 12);
            bits = Read16(chunk + 22);
            if (!UsableLayout(channels, rate) || (bits != 8 && bits != 16) ||
                Read16(chunk + 20) != channels * bits / 8)
                return DecoderResult::kDamaged;
        }
        else if (std::memcmp(chunk, "data", 4) == 0)
        {
            samples = chunk + 8;
            sampleBytes = length;
        }
        at += 8 + length;
        if (length % 2 != 0 && at < size)
            ++at; // chunks start on even offsets
    }
    if (!samples || channels == 0)
        return DecoderResult::kDamaged;
    const uint32_t frameBytes = channels * bits / 8;
    decoder.reset(new (std::nothrow) WaveDecoder(samples, sampleBytes / frameBytes, channels, rate, bits));
    return decoder ? DecoderResult::kOk : DecoderResult::kNoMemory;
}

} // namespace

DecoderResult OpenStreamDecoder(const uint8_t* data, uint32_t size, std::unique_ptr<StreamDecoder>& decoder)
{
    decoder.reset();
    if (!data || size < 4)
        return DecoderResult::kDamaged;
    if (std::memcmp(data, "RIFF", 4) == 0)
        return OpenWave(data, size, decoder);
    if (std::memcmp(data, "OggS", 4) != 0)
        return DecoderResult::kDamaged;
    std::unique_ptr<VorbisDecoder> vorbis(new (std::nothrow) VorbisDecoder(data, size));
    if (!vorbis)
        return DecoderResult::kNoMemory;
    if (!vorbis->Open())
        return DecoderResult::kDamaged;
    decoder = std::move(vorbis);
    return DecoderResult::kOk;
}
