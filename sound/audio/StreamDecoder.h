#pragma once
#include <cstdint>
#include <memory>

// Turns a sound file held in memory into 16-bit interleaved samples, a
// buffer's worth at a time, so a stream plays from the caller's block without
// decoding it whole. The block stays the caller's and must outlive the
// decoder. Everything in the block comes from outside: headers are checked
// before they size anything.
class StreamDecoder
{
public:
    virtual ~StreamDecoder() = default;

    // 1 or 2.
    uint32_t GetChannels() const { return channels; }
    // Frames per second, within kMinRate..kMaxRate.
    uint32_t GetRate() const { return rate; }

    // Up to frames frames into out (frames x channels samples): the count
    // written, 0 at the end of the data, -1 when the data turns out damaged
    // (the stream cannot go on).
    virtual int32_t Decode(int16_t* out, uint32_t frames) = 0;

    // Back to the first frame: false when the data does not allow it.
    virtual bool Rewind() = 0;

    // Rates outside these are damage, not sound.
    static constexpr uint32_t kMinRate = 1000;
    static constexpr uint32_t kMaxRate = 192000;

protected:
    uint32_t channels = 0;
    uint32_t rate = 0;
};

// What OpenStreamDecoder finds in a block.
enum class DecoderResult : int32_t
{
    kOk = 0,
    kDamaged = 1,    // neither a sound file we read nor a sound file intact
    kNoMemory = 2,
};

// A decoder for an Ogg Vorbis or PCM WAV (8 or 16 bits, 1 or 2 channels)
// file of size bytes at data; null with kDamaged for anything else.
DecoderResult OpenStreamDecoder(const uint8_t* data, uint32_t size, std::unique_ptr<StreamDecoder>& decoder);
