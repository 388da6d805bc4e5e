#include "engine/codecs/rar/writer/Rar20Encoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/codecs/rar/writer/RarBitOutput.h"
#include "engine/codecs/rar/writer/RarHuffmanEncoder.h"
#include "engine/codecs/rar/writer/RarTableEncoder.h"

using namespace rar20;

namespace
{

constexpr uint32_t kBlockTokens = 0x4000;
constexpr uint32_t kAudioBlock = 0x10000;
constexpr uint32_t kAudioSample = 0x40000;   // bytes looked at to choose the channel count
constexpr uint32_t kMaxCopy = 255 + 3 + 2;   // longest copy any symbol can make
constexpr uint32_t kUnusedPrice = 15 * 16;    // a symbol the last code lacked

// Zero bytes after a member's last symbol. Some readers look a code's worth
// of bits past the last symbol and fail at the end of the data; the
// decoder here reads tables for the next member only when five or more
// bytes are left, so this padding is never taken for a symbol.
constexpr uint32_t kTrailingPadding = 2;

// Slots: the largest table entry not above a value.
constexpr uint32_t LengthSlot(uint32_t value)
{
    uint32_t slot = 0;
    while (slot + 1 < 28 && kLengthBase[slot + 1] <= value)
        ++slot;
    return slot;
}

uint32_t DistanceSlot(uint32_t value)
{
    return static_cast<uint32_t>(std::upper_bound(kDistanceBase, kDistanceBase + 48, value) - kDistanceBase) - 1;
}

constexpr uint32_t ShortSlot(uint32_t value)
{
    uint32_t slot = 0;
    while (slot + 1 < 8 && kShortBase[slot + 1] <= value)
        ++slot;
    return slot;
}

// The shortest copy a new distance can carry at that distance.
uint32_t NewDistanceMinimum(uint32_t distance)
{
    return 3 + NewDistanceBonus(distance);
}

struct LevelSettings
{
    uint32_t chain;
    uint32_t nice;
    bool lazy;
};

// Levels 1 to 5: chain steps searched per position, the length that ends a
// search early, one step of lazy evaluation.
constexpr LevelSettings kLevels[5] = {
    {4, 16, false}, {24, 48, true}, {96, 128, true}, {384, 258, true}, {2048, kMaxCopy, true},
};

void WriteSymbol(RarBitOutput& out, const uint8_t* lengths, const uint16_t* codes, uint32_t symbol)
{
    out.Put(codes[symbol], lengths[symbol]);
}

} // namespace

Rar20Encoder::Rar20Encoder(uint32_t level)
{
    const LevelSettings& settings = kLevels[std::clamp<uint32_t>(level, 1, 5) - 1];
    chainLimit = settings.chain;
    niceLength = settings.nice;
    lazy = settings.lazy;
    ResetState();
}

bool Rar20Encoder::Initialize()
{
    return finder.Initialize();
}

void Rar20Encoder::ResetState()
{
    // Mirrors the decoder's reset; its codes stay, but a member that
    // starts afresh always begins with tables.
    std::memset(state.previousTable, 0, sizeof(state.previousTable));
    state.tablesSent = false;
    for (RarAudioPredictor& channel : state.predictor)
        channel = RarAudioPredictor();
    state.currentChannel = 0;
    state.channelDelta = 0;
    std::memset(state.oldDistance, 0, sizeof(state.oldDistance));
    state.oldDistancePosition = 0;
    state.lastDistance = 0;
    state.lastLength = 0;
    ResetPrices();
}

void Rar20Encoder::ResetPrices()
{
    for (uint32_t i = 0; i < kLiteralSymbols; ++i)
        state.literalPrice[i] = i < 256 ? 8 * 16 : 7 * 16;
    state.literalPrice[kRepeatLast] = 5 * 16;
    for (uint16_t& price : state.distancePrice)
        price = 5 * 16;
    for (uint16_t& price : state.repeatPrice)
        price = 3 * 16;
    state.averageLiteralPrice = 8 * 16;
}

void Rar20Encoder::Encode(const uint8_t* data, uint32_t size, bool continueSolid, bool tryAudio,
                          std::vector<uint8_t>& packed)
{
    if (!continueSolid)
    {
        ResetState();
        history.clear();
        finder.Reset();
    }
    uint32_t start = static_cast<uint32_t>(history.size());
    history.insert(history.end(), data, data + size);
    uint32_t end = start + size;

    State before = state;
    std::vector<uint8_t> lz;
    EncodeLz(start, end, !continueSolid, lz);
    if (tryAudio)
    {
        uint64_t estimate = 0;
        uint32_t channels = ChooseChannels(start, end, &estimate);
        if (estimate < uint64_t(lz.size()) * 8)
        {
            State afterLz = state;
            state = before;
            std::vector<uint8_t> audio;
            EncodeAudio(start, end, channels, !continueSolid, audio);
            if (audio.size() < lz.size())
            {
                packed.insert(packed.end(), audio.begin(), audio.end());
                packed.insert(packed.end(), kTrailingPadding, 0);
                return;
            }
            state = afterLz;
        }
    }
    packed.insert(packed.end(), lz.begin(), lz.end());
    packed.insert(packed.end(), kTrailingPadding, 0);
}

// LZ mode

void Rar20Encoder::EncodeLz(uint32_t start, uint32_t end, bool tablesExpected, std::vector<uint8_t>& out)
{
    RarBitOutput bits(out);
    const uint8_t* data = history.data();
    tokens.clear();

    Candidate pending;
    bool havePending = false;
    uint32_t position = start;
    while (position < end)
    {
        Candidate here = havePending ? pending : Evaluate(position, end);
        havePending = false;
        finder.Insert(data, position, end);

        if (here.kind != 0 && lazy && position + 1 < end && here.length < niceLength)
        {
            // A literal now and a better copy one byte later?
            Candidate next = Evaluate(position + 1, end);
            if (next.kind != 0 && next.gain > here.gain)
            {
                here.kind = 0;
                pending = next;
                havePending = true;
            }
        }

        if (here.kind == 0)
        {
            tokens.push_back(Token{data[position], 0, 0, 0, 0, 0});
            ++position;
        }
        else
        {
            AddCopy(here);
            for (uint32_t i = 1; i < here.length; ++i)
                finder.Insert(data, position + i, end);
            position += here.length;
        }
        if (tokens.size() >= kBlockTokens)
            FlushLzBlock(bits, tablesExpected);
    }
    if (!tokens.empty())
        FlushLzBlock(bits, tablesExpected);
    bits.Finish();
}

Rar20Encoder::Candidate Rar20Encoder::Evaluate(uint32_t position, uint32_t end) const
{
    const uint8_t* data = history.data();
    const uint32_t available = end - position;
    const int32_t literal = static_cast<int32_t>(state.averageLiteralPrice);
    Candidate best;
    auto offer = [&](uint32_t length, uint32_t distance, uint32_t kind, uint32_t price) {
        int32_t gain = static_cast<int32_t>(length) * literal - static_cast<int32_t>(price);
        if (gain > best.gain)
            best = Candidate{length, distance, kind, gain};
    };

    // Repeating the last copy exactly is the cheapest copy there is.
    if (state.lastLength != 0 && state.lastLength <= available && state.lastDistance <= position &&
        RarMatchFinder::MatchLength(data, position, state.lastDistance, state.lastLength) == state.lastLength)
        offer(state.lastLength, state.lastDistance, kRepeatLast, state.literalPrice[kRepeatLast]);

    // The four old distances.
    for (uint32_t k = 1; k <= 4; ++k)
    {
        uint32_t distance = state.oldDistance[(state.oldDistancePosition - k) & 3];
        if (distance == 0 || distance > position)
            continue;
        uint32_t bonus = OldDistanceBonus(distance);
        uint32_t length = RarMatchFinder::MatchLength(data, position, distance, std::min(available, 257 + bonus));
        if (length < 2 + bonus)
            continue;
        uint32_t slot = LengthSlot(length - bonus - 2);
        offer(length, distance, kRepeatLast + k,
              state.literalPrice[kRepeatLast + k] + state.repeatPrice[slot] + 16u * kLengthBits[slot]);
    }

    // A new distance from the hash chains.
    uint32_t distance = 0;
    uint32_t length = finder.Find(data, position, std::min(available, 258u), chainLimit, niceLength,
                                  &NewDistanceMinimum, &distance);
    if (length != 0)
    {
        length = std::min(length, 258 + NewDistanceBonus(distance));
        uint32_t lengthSlot = LengthSlot(length - NewDistanceBonus(distance) - 3);
        uint32_t distanceSlot = DistanceSlot(distance - 1);
        offer(length, distance, kLengthFirst,
              state.literalPrice[kLengthFirst + lengthSlot] + 16u * kLengthBits[lengthSlot] +
                  state.distancePrice[distanceSlot] + 16u * kDistanceBits[distanceSlot]);
    }

    // Two bytes close by.
    if (available >= 2 && best.length < 3)
    {
        uint32_t near = finder.PairDistance(data, position);
        if (near != 0 && near <= 256)
        {
            uint32_t slot = ShortSlot(near - 1);
            offer(2, near, kShortDistanceFirst, state.literalPrice[kShortDistanceFirst + slot] + 16u * kShortBits[slot]);
        }
    }
    return best;
}

void Rar20Encoder::AddCopy(const Candidate& copy)
{
    Token token{};
    if (copy.kind == kRepeatLast)
    {
        token.symbol = kRepeatLast;
    }
    else if (copy.kind > kRepeatLast && copy.kind < kShortDistanceFirst)
    {
        uint32_t value = copy.length - OldDistanceBonus(copy.distance) - 2;
        uint32_t slot = LengthSlot(value);
        token.symbol = static_cast<uint16_t>(copy.kind);
        token.slot = static_cast<uint8_t>(slot);
        token.extra = value - kLengthBase[slot];
        token.extraBits = kLengthBits[slot];
    }
    else if (copy.kind == kShortDistanceFirst)
    {
        uint32_t slot = ShortSlot(copy.distance - 1);
        token.symbol = static_cast<uint16_t>(kShortDistanceFirst + slot);
        token.extra = copy.distance - 1 - kShortBase[slot];
        token.extraBits = kShortBits[slot];
    }
    else
    {
        uint32_t value = copy.length - NewDistanceBonus(copy.distance) - 3;
        uint32_t slot = LengthSlot(value);
        uint32_t distanceSlot = DistanceSlot(copy.distance - 1);
        token.symbol = static_cast<uint16_t>(kLengthFirst + slot);
        token.extra = value - kLengthBase[slot];
        token.extraBits = kLengthBits[slot];
        token.slot = static_cast<uint8_t>(distanceSlot);
        token.distanceExtra = copy.distance - 1 - kDistanceBase[distanceSlot];
        token.distanceBits = kDistanceBits[distanceSlot];
    }
    tokens.push_back(token);

    // Every copy, whatever its symbol, enters the old distances.
    state.oldDistance[state.oldDistancePosition] = copy.distance;
    state.oldDistancePosition = (state.oldDistancePosition + 1) & 3;
    state.lastDistance = copy.distance;
    state.lastLength = copy.length;
}

void Rar20Encoder::FlushLzBlock(RarBitOutput& out, bool& tablesExpected)
{
    uint32_t literalCount[kLiteralSymbols] = {};
    uint32_t distanceCount[kDistanceSymbols] = {};
    uint32_t repeatCount[kRepeatSymbols] = {};
    for (const Token& token : tokens)
    {
        ++literalCount[token.symbol];
        if (token.symbol >= kLengthFirst)
            ++distanceCount[token.slot];
        else if (token.symbol > kRepeatLast && token.symbol < kShortDistanceFirst)
            ++repeatCount[token.slot];
    }

    // Price of the block's symbols under a set of lengths; extra bits are
    // the same either way. Unusable when a symbol has no code.
    auto price = [&](const uint8_t* literal, const uint8_t* distance, const uint8_t* repeat, uint64_t* bits) {
        *bits = 0;
        for (uint32_t i = 0; i < kLiteralSymbols; ++i)
        {
            if (literalCount[i] && !literal[i])
                return false;
            *bits += uint64_t(literalCount[i]) * literal[i];
        }
        for (uint32_t i = 0; i < kDistanceSymbols; ++i)
        {
            if (distanceCount[i] && !distance[i])
                return false;
            *bits += uint64_t(distanceCount[i]) * distance[i];
        }
        for (uint32_t i = 0; i < kRepeatSymbols; ++i)
        {
            if (repeatCount[i] && !repeat[i])
                return false;
            *bits += uint64_t(repeatCount[i]) * repeat[i];
        }
        return true;
    };

    // The table switch stays codable in every table, for the next block or
    // the next solid member.
    ++literalCount[kNewTables];
    uint8_t table[kLzTableSize];
    RarHuffmanEncoder::BuildLengths(literalCount, kLiteralSymbols, table);
    RarHuffmanEncoder::BuildLengths(distanceCount, kDistanceSymbols, table + kLiteralSymbols);
    RarHuffmanEncoder::BuildLengths(repeatCount, kRepeatSymbols, table + kLiteralSymbols + kDistanceSymbols);
    --literalCount[kNewTables];

    RarTableEncoder::Table description{false, 1, table, kLzTableSize};
    uint64_t newBits = 0;
    price(table, table + kLiteralSymbols, table + kLiteralSymbols + kDistanceSymbols, &newBits);
    newBits += RarTableEncoder::Cost(description, state.previousTable);
    if (!tablesExpected)
        newBits += SwitchPrice();
    uint64_t oldBits = 0;
    bool reuse = !tablesExpected && state.tablesSent && !state.audioMode &&
                 price(state.literalLengths, state.distanceLengths, state.repeatLengths, &oldBits) &&
                 oldBits <= newBits;
    if (!reuse)
    {
        if (!tablesExpected)
            WriteSwitch(out);
        RarTableEncoder::Write(out, description, state.previousTable);
        std::memcpy(state.literalLengths, table, kLiteralSymbols);
        std::memcpy(state.distanceLengths, table + kLiteralSymbols, kDistanceSymbols);
        std::memcpy(state.repeatLengths, table + kLiteralSymbols + kDistanceSymbols, kRepeatSymbols);
        state.audioMode = false;
        state.tablesSent = true;
    }
    tablesExpected = false;

    uint16_t literalCodes[kLiteralSymbols], distanceCodes[kDistanceSymbols], repeatCodes[kRepeatSymbols];
    RarHuffmanEncoder::BuildCodes(state.literalLengths, kLiteralSymbols, literalCodes);
    RarHuffmanEncoder::BuildCodes(state.distanceLengths, kDistanceSymbols, distanceCodes);
    RarHuffmanEncoder::BuildCodes(state.repeatLengths, kRepeatSymbols, repeatCodes);
    for (const Token& token : tokens)
    {
        WriteSymbol(out, state.literalLengths, literalCodes, token.symbol);
        if (token.symbol >= kLengthFirst)
        {
            out.Put(token.extra, token.extraBits);
            WriteSymbol(out, state.distanceLengths, distanceCodes, token.slot);
            out.Put(token.distanceExtra, token.distanceBits);
        }
        else if (token.symbol > kRepeatLast && token.symbol < kShortDistanceFirst)
        {
            WriteSymbol(out, state.repeatLengths, repeatCodes, token.slot);
            out.Put(token.extra, token.extraBits);
        }
        else if (token.symbol >= kShortDistanceFirst)
        {
            out.Put(token.extra, token.extraBits);
        }
    }

    // The next block is parsed with this block's prices.
    uint64_t literalBits = 0, literals = 0;
    for (uint32_t i = 0; i < kLiteralSymbols; ++i)
    {
        uint8_t length = state.literalLengths[i];
        state.literalPrice[i] = static_cast<uint16_t>(length ? 16u * length : kUnusedPrice);
        if (i < 256)
        {
            literalBits += uint64_t(literalCount[i]) * state.literalPrice[i];
            literals += literalCount[i];
        }
    }
    if (literals != 0)
        state.averageLiteralPrice = static_cast<uint32_t>(literalBits / literals);
    for (uint32_t i = 0; i < kDistanceSymbols; ++i)
        state.distancePrice[i] = static_cast<uint16_t>(state.distanceLengths[i] ? 16u * state.distanceLengths[i] : kUnusedPrice);
    for (uint32_t i = 0; i < kRepeatSymbols; ++i)
        state.repeatPrice[i] = static_cast<uint16_t>(state.repeatLengths[i] ? 16u * state.repeatLengths[i] : kUnusedPrice);
    tokens.clear();
}

// multimedia mode

uint32_t Rar20Encoder::ChooseChannels(uint32_t start, uint32_t end, uint64_t* bits) const
{
    const uint8_t* data = history.data();
    uint32_t sample = std::min(end - start, kAudioSample);
    uint32_t bestChannels = 1;
    double bestBits = 0;
    for (uint32_t channels = 1; channels <= 4; ++channels)
    {
        RarAudioPredictor predictor[4];
        std::copy(state.predictor, state.predictor + 4, predictor);
        int32_t channelDelta = state.channelDelta;
        uint32_t channel = state.currentChannel < channels ? state.currentChannel : 0;
        uint32_t count[4][256] = {};
        for (uint32_t i = 0; i < sample; ++i)
        {
            uint8_t predicted = predictor[channel].Predict(channelDelta);
            uint8_t delta = RarAudioPredictor::DeltaFor(predicted, data[start + i]);
            predictor[channel].Commit(predicted, delta, channelDelta);
            ++count[channel][delta];
            if (++channel == channels)
                channel = 0;
        }
        // Entropy of each channel's deltas, plus roughly what its table
        // costs to send.
        double total = 0;
        for (uint32_t c = 0; c < channels; ++c)
        {
            uint64_t n = 0;
            double sum = 0;
            for (uint32_t v = 0; v < 256; ++v)
                if (count[c][v])
                {
                    n += count[c][v];
                    sum -= count[c][v] * std::log2(double(count[c][v]));
                }
            if (n)
                total += n * std::log2(double(n)) + sum;
            total += 600;
        }
        total = total * (end - start) / sample;
        if (channels == 1 || total < bestBits)
        {
            bestBits = total;
            bestChannels = channels;
        }
    }
    *bits = static_cast<uint64_t>(bestBits);
    return bestChannels;
}

void Rar20Encoder::EncodeAudio(uint32_t start, uint32_t end, uint32_t channels, bool tablesExpected,
                               std::vector<uint8_t>& out)
{
    RarBitOutput bits(out);
    const uint8_t* data = history.data();
    std::vector<uint8_t> deltas(std::min(end - start, kAudioBlock));

    for (uint32_t position = start; position < end;)
    {
        uint32_t count = std::min(end - position, kAudioBlock);
        // A table read drops a current channel the new count lacks; reusing
        // tables keeps the count, so the channel stays either way.
        uint32_t switchChannel = state.currentChannel;
        uint32_t firstChannel = switchChannel < channels ? switchChannel : 0;

        // The predictor does not depend on the codes: run it first and
        // price the block's deltas.
        uint32_t frequency[4][kAudioSymbols] = {};
        uint32_t channel = firstChannel;
        for (uint32_t i = 0; i < count; ++i)
        {
            RarAudioPredictor& predictor = state.predictor[channel];
            uint8_t predicted = predictor.Predict(state.channelDelta);
            deltas[i] = RarAudioPredictor::DeltaFor(predicted, data[position + i]);
            predictor.Commit(predicted, deltas[i], state.channelDelta);
            ++frequency[channel][deltas[i]];
            if (++channel == channels)
                channel = 0;
        }

        uint8_t table[kMaxTableSize] = {};
        uint64_t newBits = 0, oldBits = 0;
        bool reusable = !tablesExpected && state.tablesSent && state.audioMode && state.channels == channels;
        for (uint32_t c = 0; c < channels; ++c)
        {
            ++frequency[c][kAudioNewTables];
            RarHuffmanEncoder::BuildLengths(frequency[c], kAudioSymbols, table + c * kAudioSymbols);
            --frequency[c][kAudioNewTables];
            for (uint32_t v = 0; v < 256; ++v)
            {
                newBits += uint64_t(frequency[c][v]) * table[c * kAudioSymbols + v];
                oldBits += uint64_t(frequency[c][v]) * state.audioLengths[c][v];
                if (frequency[c][v] && !state.audioLengths[c][v])
                    reusable = false;
            }
        }
        RarTableEncoder::Table description{true, channels, table, kAudioSymbols * channels};
        newBits += RarTableEncoder::Cost(description, state.previousTable);
        if (!tablesExpected)
            newBits += SwitchPrice();
        if (!reusable || newBits < oldBits)
        {
            if (!tablesExpected)
                WriteSwitch(bits);
            RarTableEncoder::Write(bits, description, state.previousTable);
            for (uint32_t c = 0; c < channels; ++c)
                std::memcpy(state.audioLengths[c], table + c * kAudioSymbols, kAudioSymbols);
            state.audioMode = true;
            state.channels = channels;
            state.tablesSent = true;
        }
        tablesExpected = false;

        uint16_t codes[4][kAudioSymbols];
        for (uint32_t c = 0; c < channels; ++c)
            RarHuffmanEncoder::BuildCodes(state.audioLengths[c], kAudioSymbols, codes[c]);
        channel = firstChannel;
        for (uint32_t i = 0; i < count; ++i)
        {
            WriteSymbol(bits, state.audioLengths[channel], codes[channel], deltas[i]);
            if (++channel == channels)
                channel = 0;
        }
        state.currentChannel = channel;
        position += count;
    }
    bits.Finish();
}

// table switches

uint32_t Rar20Encoder::SwitchPrice() const
{
    return state.audioMode ? state.audioLengths[state.currentChannel][kAudioNewTables]
                           : state.literalLengths[kNewTables];
}

void Rar20Encoder::WriteSwitch(RarBitOutput& out) const
{
    const uint8_t* lengths = state.audioMode ? state.audioLengths[state.currentChannel] : state.literalLengths;
    uint32_t count = state.audioMode ? kAudioSymbols : kLiteralSymbols;
    uint32_t symbol = state.audioMode ? kAudioNewTables : kNewTables;
    uint16_t codes[kLiteralSymbols];
    RarHuffmanEncoder::BuildCodes(lengths, count, codes);
    out.Put(codes[symbol], lengths[symbol]);
}
