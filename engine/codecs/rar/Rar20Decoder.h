#pragma once
#include <cstdint>
#include <memory>

#include "engine/codecs/rar/RarAudioPredictor.h"
#include "engine/codecs/rar/RarBitInput.h"
#include "engine/codecs/rar/RarHuffmanDecoder.h"

// The unpack-2.0 decoder: LZ77 over a 1 MB window with four prefix codes,
// or the multimedia mode's predicted deltas in up to four channels. Its
// state runs on from member to member of a solid archive, so one decoder
// serves one pass over an archive.
//
// Damaged input never reads or writes outside its buffers and never loops
// without consuming input: a copy from beyond what was produced since the
// last reset, a table that repeats an entry before the first, or input that
// runs out fail the member with a reason.
class Rar20Decoder
{
public:
    static constexpr uint32_t kWindowSize = 0x100000;
    static constexpr uint32_t kWindowMask = kWindowSize - 1;

    enum Result : int32_t
    {
        kDecoded = 0,
        kTruncated = 1,   // the packed data ended before the member did
        kBadTable = 2,    // a code-length table that cannot be right
        kBadDistance = 3, // a copy from before the start of the data
        kNoMemory = 4,
    };

    Rar20Decoder();
    ~Rar20Decoder();
    Rar20Decoder(const Rar20Decoder&) = delete;
    Rar20Decoder& operator=(const Rar20Decoder&) = delete;

    // Reserves the window; false when memory is missing.
    bool Initialize();

    // Decodes one member of unpackedSize bytes from its packed data.
    // continueSolid keeps the state of the previous member (file flag
    // 0x10); otherwise everything starts afresh. destination receives the
    // output (exactly unpackedSize bytes), or is null when the output only
    // has to pass through the window for a later solid member. The output's
    // CRC is the caller's check; it alone judges a member whose output is
    // complete but whose trailing tables for the next member are cut short.
    Result Decode(const uint8_t* packed, uint32_t packedSize, uint32_t unpackedSize, bool continueSolid,
                  uint8_t* destination);

    // A short reason for a result, for the log (Windows-1251 text).
    static const char* Describe(Result result);

private:
    void Reset();
    Result ReadTables();
    Result DecodeLoop(int64_t left);
    Result Copy(uint32_t length, uint32_t distance, int64_t& left);
    void PutByte(uint8_t byte)
    {
        window[writePosition] = byte;
        writePosition = (writePosition + 1) & kWindowMask;
        if (produced < kWindowSize)
            ++produced;
    }
    void Flush();

    // window
    std::unique_ptr<uint8_t[]> window; // kWindowSize bytes
    uint32_t writePosition = 0;
    uint32_t flushPosition = 0;
    uint32_t produced = 0;      // bytes written since the last reset, at most the window

    // output of the current member
    uint8_t* output = nullptr;  // borrowed; null while only feeding the window
    uint32_t outputSize = 0;
    uint32_t outputFilled = 0;

    RarBitInput input;

    // codes
    RarHuffmanDecoder literalCode;   // 298: literals, lengths, repeats, table switch
    RarHuffmanDecoder distanceCode;  // 48
    RarHuffmanDecoder repeatCode;    // 28: lengths of copies at an old distance
    RarHuffmanDecoder bitLengthCode; // 19: the code lengths of the others
    RarHuffmanDecoder audioCode[4];  // 257 each: deltas and the table switch
    uint8_t oldTable[4 * 257] = {};  // last code lengths, for delta coding

    // LZ history
    uint32_t oldDistance[4] = {};
    uint32_t oldDistancePosition = 0;
    uint32_t lastDistance = 0;
    uint32_t lastLength = 0;

    // multimedia mode
    bool audioMode = false;
    uint32_t channels = 1;
    uint32_t currentChannel = 0;
    int32_t channelDelta = 0;
    RarAudioPredictor predictor[4];
};
