#include "engine/codecs/rar/Rar20Decoder.h"

#include <cstring>
#include <new>

#include "engine/codecs/rar/Rar20Format.h"

using namespace rar20;

namespace
{

// A flush is due when fewer bytes than the longest copy (plus slack) are
// free between the write and flush positions.
constexpr uint32_t kFlushMargin = 270;

// Tables are read this far before the member ends: the next symbol may
// switch tables for the following solid member. Such tables are not the
// member's own: once its output is complete, tables that cannot be read
// there leave the member to its CRC and the decoder to the tables it had.
constexpr uint64_t kTrailingTableBytes = 5;

} // namespace

Rar20Decoder::Rar20Decoder() = default;

Rar20Decoder::~Rar20Decoder() = default;

bool Rar20Decoder::Initialize()
{
    if (!window)
        window.reset(new (std::nothrow) uint8_t[kWindowSize]);
    return window != nullptr;
}

const char* Rar20Decoder::Describe(Result result)
{
    switch (result)
    {
    case kDecoded:
        return "нет ошибки";
    case kTruncated:
        return "сжатые данные обрываются";
    case kBadTable:
        return "неверная таблица кодов";
    case kBadDistance:
        return "ссылка за пределы распакованных данных";
    case kNoMemory:
        return "недостаточно памяти";
    }
    return "неизвестная ошибка";
}

void Rar20Decoder::Reset()
{
    // The window keeps its old bytes: produced says how far back a copy may
    // reach, which is what clearing it would otherwise make harmless.
    writePosition = 0;
    flushPosition = 0;
    produced = 0;
    std::memset(oldDistance, 0, sizeof(oldDistance));
    oldDistancePosition = 0;
    lastDistance = 0;
    lastLength = 0;
    for (RarAudioPredictor& channel : predictor)
        channel = RarAudioPredictor();
    currentChannel = 0;
    channelDelta = 0;
    std::memset(oldTable, 0, sizeof(oldTable));
}

Rar20Decoder::Result Rar20Decoder::Decode(const uint8_t* packed, uint32_t packedSize, uint32_t unpackedSize,
                                          bool continueSolid, uint8_t* destination)
{
    if (!window)
        return kNoMemory;
    if (!continueSolid)
        Reset();
    output = destination;
    outputSize = destination ? unpackedSize : 0;
    outputFilled = 0;
    input.Reset(packed, packedSize);

    // An empty member carries no data at all, not even tables.
    if (packedSize == 0)
        return unpackedSize == 0 ? kDecoded : kTruncated;

    Result result = kDecoded;
    if (!continueSolid)
        result = ReadTables();
    if (result == kDecoded)
        result = DecodeLoop(unpackedSize);
    if (result == kDecoded && input.BytesLeft() >= kTrailingTableBytes)
    {
        uint32_t symbol = audioMode ? audioCode[currentChannel].Decode(input) : literalCode.Decode(input);
        if (symbol == (audioMode ? kAudioNewTables : kNewTables))
            ReadTables();
    }
    Flush();
    output = nullptr;
    return result;
}

Rar20Decoder::Result Rar20Decoder::DecodeLoop(int64_t left)
{
    while (left > 0)
    {
        // Every symbol consumes at least one bit, so this bounds the loop by
        // the input as much as by the output.
        if (input.Overrun())
            return kTruncated;
        if (((flushPosition - writePosition) & kWindowMask) < kFlushMargin && flushPosition != writePosition)
            Flush();

        if (audioMode)
        {
            uint32_t symbol = audioCode[currentChannel].Decode(input);
            if (symbol == kAudioNewTables)
            {
                if (Result result = ReadTables(); result != kDecoded)
                    return result;
                continue;
            }
            RarAudioPredictor& channel = predictor[currentChannel];
            uint8_t predicted = channel.Predict(channelDelta);
            PutByte(channel.Commit(predicted, static_cast<uint8_t>(symbol), channelDelta));
            if (++currentChannel >= channels)
                currentChannel = 0;
            --left;
            continue;
        }

        uint32_t symbol = literalCode.Decode(input);
        if (symbol < 256)
        {
            PutByte(static_cast<uint8_t>(symbol));
            --left;
            continue;
        }
        if (symbol >= kLengthFirst)
        {
            uint32_t k = symbol - kLengthFirst;
            uint32_t length = kLengthBase[k] + 3 + input.Get(kLengthBits[k]);
            uint32_t d = distanceCode.Decode(input);
            uint32_t distance = kDistanceBase[d] + 1 + input.Get(kDistanceBits[d]);
            length += NewDistanceBonus(distance);
            if (Result result = Copy(length, distance, left); result != kDecoded)
                return result;
            continue;
        }
        if (symbol == kNewTables)
        {
            if (Result result = ReadTables(); result != kDecoded)
                return result;
            continue;
        }
        if (symbol == kRepeatLast)
        {
            if (Result result = Copy(lastLength, lastDistance, left); result != kDecoded)
                return result;
            continue;
        }
        if (symbol < kShortDistanceFirst)
        {
            uint32_t distance = oldDistance[(oldDistancePosition - (symbol - kRepeatLast)) & 3];
            uint32_t k = repeatCode.Decode(input);
            uint32_t length = kLengthBase[k] + 2 + input.Get(kLengthBits[k]) + OldDistanceBonus(distance);
            if (Result result = Copy(length, distance, left); result != kDecoded)
                return result;
            continue;
        }
        uint32_t k = symbol - kShortDistanceFirst;
        uint32_t distance = kShortBase[k] + 1 + input.Get(kShortBits[k]);
        if (Result result = Copy(2, distance, left); result != kDecoded)
            return result;
    }
    return kDecoded;
}

Rar20Decoder::Result Rar20Decoder::Copy(uint32_t length, uint32_t distance, int64_t& left)
{
    oldDistance[oldDistancePosition] = distance;
    oldDistancePosition = (oldDistancePosition + 1) & 3;
    lastDistance = distance;
    lastLength = length;
    left -= length;
    if (length == 0)
        return kDecoded;
    // Only bytes this stream wrote may be copied: anything else is stale
    // window content of another member or archive.
    if (distance == 0 || distance > produced)
        return kBadDistance;

    uint32_t from = (writePosition - distance) & kWindowMask;
    if (from + length <= kWindowSize && writePosition + length <= kWindowSize)
    {
        uint8_t* to = window.get() + writePosition;
        const uint8_t* source = window.get() + from;
        // A copy from (almost) a whole window back writes on or just in
        // front of its source; moving forward is what the byte loop does.
        if (distance >= length)
            std::memmove(to, source, length);
        else
            for (uint32_t i = 0; i < length; ++i)
                to[i] = source[i];
        writePosition = (writePosition + length) & kWindowMask;
    }
    else
    {
        for (uint32_t i = 0; i < length; ++i)
        {
            window[writePosition] = window[from];
            writePosition = (writePosition + 1) & kWindowMask;
            from = (from + 1) & kWindowMask;
        }
    }
    produced = produced + length < kWindowSize ? produced + length : kWindowSize;
    return kDecoded;
}

Rar20Decoder::Result Rar20Decoder::ReadTables()
{
    if (input.Overrun())
        return kTruncated;
    // Nothing changes until the whole table is read: a table that fails
    // leaves the codes, the mode and the delta base of the last good one.
    uint32_t header = input.Peek16();
    bool audio = (header & 0x8000) != 0;
    bool keepOld = (header & 0x4000) != 0;
    input.Skip(2);

    uint32_t tableSize;
    uint32_t audioChannels = ((header >> 12) & 3) + 1;
    if (audio)
    {
        input.Skip(2);
        tableSize = kAudioSymbols * audioChannels;
    }
    else
    {
        tableSize = kLzTableSize;
    }

    uint8_t bitLengths[kBitLengthSymbols];
    for (uint8_t& length : bitLengths)
        length = static_cast<uint8_t>(input.Get(4));
    bitLengthCode.Build(bitLengths, kBitLengthSymbols);

    uint8_t table[kMaxTableSize];
    uint32_t i = 0;
    while (i < tableSize)
    {
        if (input.Overrun())
            return kTruncated;
        uint32_t symbol = bitLengthCode.Decode(input);
        if (symbol < 16)
        {
            table[i] = static_cast<uint8_t>((symbol + (keepOld ? oldTable[i] : 0)) & 15);
            ++i;
        }
        else if (symbol == kRepeatPrevious)
        {
            // Nothing precedes the first entry.
            if (i == 0)
                return kBadTable;
            uint32_t count = 3 + input.Get(2);
            for (; count > 0 && i < tableSize; --count, ++i)
                table[i] = table[i - 1];
        }
        else
        {
            uint32_t count = symbol == kShortZeros ? 3 + input.Get(3) : 11 + input.Get(7);
            for (; count > 0 && i < tableSize; --count, ++i)
                table[i] = 0;
        }
    }
    if (input.Overrun())
        return kTruncated;

    audioMode = audio;
    if (audioMode)
    {
        channels = audioChannels;
        if (currentChannel >= channels)
            currentChannel = 0;
        for (uint32_t channel = 0; channel < channels; ++channel)
            audioCode[channel].Build(table + channel * kAudioSymbols, kAudioSymbols);
    }
    else
    {
        literalCode.Build(table, kLiteralSymbols);
        distanceCode.Build(table + kLiteralSymbols, kDistanceSymbols);
        repeatCode.Build(table + kLiteralSymbols + kDistanceSymbols, kRepeatSymbols);
    }
    if (!keepOld)
        std::memset(oldTable, 0, sizeof(oldTable));
    std::memcpy(oldTable, table, tableSize);
    return kDecoded;
}

void Rar20Decoder::Flush()
{
    if (output && outputFilled < outputSize)
    {
        uint32_t pending = (writePosition - flushPosition) & kWindowMask;
        uint32_t room = outputSize - outputFilled;
        uint32_t count = pending < room ? pending : room;
        uint32_t first = kWindowSize - flushPosition < count ? kWindowSize - flushPosition : count;
        std::memcpy(output + outputFilled, window.get() + flushPosition, first);
        std::memcpy(output + outputFilled + first, window.get(), count - first);
        outputFilled += count;
    }
    flushPosition = writePosition;
}
