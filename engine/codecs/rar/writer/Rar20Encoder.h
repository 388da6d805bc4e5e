#pragma once
#include <cstdint>
#include <vector>

#include "engine/codecs/rar/Rar20Format.h"
#include "engine/codecs/rar/RarAudioPredictor.h"
#include "engine/codecs/rar/writer/RarMatchFinder.h"

class RarBitOutput;

// The packer's side of unpack version 2.0. LZ mode: hash-chain matches over
// the 1 MB window with one step of lazy evaluation, priced with the code
// lengths of the previous block, the format's four old distances and its
// two-byte copies; codes built from each block's frequencies and sent again
// only when that is cheaper than keeping the old ones. Multimedia mode: the
// same predictor as the decoder, one code per channel.
//
// The encoder mirrors every piece of decoder state, so members of a solid
// archive follow one another exactly as the reader will decode them.
class Rar20Encoder
{
public:
    // level 1 (fastest) to 5 (smallest); members made at level n carry
    // method 0x30 + n.
    explicit Rar20Encoder(uint32_t level = 3);

    // Reserves the match finder; false when memory is missing.
    bool Initialize();

    // Packs one member (size > 0) and appends its packed bytes.
    // continueSolid: the member will carry the solid flag and continues the
    // state of the member packed before; otherwise the state starts afresh.
    // tryAudio: pack it in multimedia mode too (with the best of one to four
    // channels) and keep the smaller result.
    void Encode(const uint8_t* data, uint32_t size, bool continueSolid, bool tryAudio, std::vector<uint8_t>& packed);

private:
    // Everything the decoder keeps from symbol to symbol, plus the prices
    // the parser uses; copied to try one mode and fall back to another.
    struct State
    {
        uint8_t previousTable[rar20::kMaxTableSize] = {};
        uint8_t literalLengths[rar20::kLiteralSymbols] = {};
        uint8_t distanceLengths[rar20::kDistanceSymbols] = {};
        uint8_t repeatLengths[rar20::kRepeatSymbols] = {};
        uint8_t audioLengths[4][rar20::kAudioSymbols] = {};
        bool tablesSent = false;

        bool audioMode = false;
        uint32_t channels = 1;
        uint32_t currentChannel = 0;
        int32_t channelDelta = 0;
        RarAudioPredictor predictor[4];

        uint32_t oldDistance[4] = {};
        uint32_t oldDistancePosition = 0;
        uint32_t lastDistance = 0;
        uint32_t lastLength = 0;

        // prices in sixteenths of a bit
        uint16_t literalPrice[rar20::kLiteralSymbols] = {};
        uint16_t distancePrice[rar20::kDistanceSymbols] = {};
        uint16_t repeatPrice[rar20::kRepeatSymbols] = {};
        uint32_t averageLiteralPrice = 0;
    };

    // One symbol of the LZ stream with its extra bits, in writing order.
    struct Token
    {
        uint16_t symbol;
        uint8_t slot;       // distance slot (270 and up) or length slot (257 to 260)
        uint8_t extraBits;  // length or short-distance extra bits
        uint8_t distanceBits;
        uint32_t extra;
        uint32_t distanceExtra;
    };

    // A copy the parser may choose at a position.
    struct Candidate
    {
        uint32_t length = 0;
        uint32_t distance = 0;
        uint32_t kind = 0;   // 0 none, else the main symbol class: 256, 257-260, 261, 270
        int32_t gain = 0;    // sixteenths of a bit saved against literals
    };

    void ResetState();
    void ResetPrices();

    // LZ mode
    void EncodeLz(uint32_t start, uint32_t end, bool tablesExpected, std::vector<uint8_t>& out);
    Candidate Evaluate(uint32_t position, uint32_t end) const;
    void AddCopy(const Candidate& candidate);
    void FlushLzBlock(RarBitOutput& out, bool& tablesExpected);

    // multimedia mode
    uint32_t ChooseChannels(uint32_t start, uint32_t end, uint64_t* bits) const;
    void EncodeAudio(uint32_t start, uint32_t end, uint32_t channels, bool tablesExpected, std::vector<uint8_t>& out);

    // The symbol that tells the decoder to read new tables, in the mode
    // and channel it is in now.
    void WriteSwitch(RarBitOutput& out) const;
    uint32_t SwitchPrice() const;

    uint32_t chainLimit;
    uint32_t niceLength;
    bool lazy;

    State state;
    RarMatchFinder finder;
    std::vector<uint8_t> history; // the stream since the last reset: what the decoder's window holds
    std::vector<Token> tokens;    // the LZ block being collected
};
