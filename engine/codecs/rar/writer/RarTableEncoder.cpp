#include "engine/codecs/rar/writer/RarTableEncoder.h"

#include <cstring>

#include "engine/codecs/rar/Rar20Format.h"
#include "engine/codecs/rar/writer/RarBitOutput.h"
#include "engine/codecs/rar/writer/RarHuffmanEncoder.h"

using namespace rar20;

namespace
{

struct Operation
{
    uint8_t symbol;
    uint8_t count; // entries covered
};

// The cheapest series of bit-length symbols for one starting point, with
// the code that writes them.
struct Plan
{
    bool keepPrevious = false;
    Operation operations[kMaxTableSize];
    uint32_t operationCount = 0;
    uint8_t codeLengths[kBitLengthSymbols] = {};
    uint64_t bits = 0;
};

constexpr uint32_t ExtraBits(uint32_t symbol)
{
    return symbol == kRepeatPrevious ? 2 : symbol == kShortZeros ? 3 : symbol == kLongZeros ? 7 : 0;
}

void MakePlan(const RarTableEncoder::Table& table, const uint8_t* base, Plan& plan)
{
    const uint8_t* entries = table.lengths;
    const uint32_t size = table.size;

    // Runs starting at each entry: of zeros, and of the entry's own value.
    uint16_t zeroRun[kMaxTableSize + 1];
    uint16_t sameRun[kMaxTableSize + 1];
    zeroRun[size] = sameRun[size] = 0;
    for (uint32_t i = size; i-- > 0;)
    {
        zeroRun[i] = entries[i] == 0 ? zeroRun[i + 1] + 1 : 0;
        sameRun[i] = (i + 1 < size && entries[i + 1] == entries[i]) ? sameRun[i + 1] + 1 : 1;
    }

    // Symbol costs start flat and are refined by the code each round
    // builds; a symbol the last code lacks is priced high but stays usable.
    uint32_t cost[kBitLengthSymbols];
    for (uint32_t& c : cost)
        c = 4;
    uint64_t best[kMaxTableSize + 1];
    Operation choice[kMaxTableSize];
    for (int round = 0; round < 3; ++round)
    {
        best[size] = 0;
        for (uint32_t i = size; i-- > 0;)
        {
            uint32_t delta = (entries[i] - base[i]) & 15;
            uint64_t bestCost = cost[delta] + best[i + 1];
            Operation bestChoice{static_cast<uint8_t>(delta), 1};
            auto consider = [&](uint32_t symbol, uint32_t count) {
                uint64_t c = cost[symbol] + ExtraBits(symbol) + best[i + count];
                if (c < bestCost)
                {
                    bestCost = c;
                    bestChoice = Operation{static_cast<uint8_t>(symbol), static_cast<uint8_t>(count)};
                }
            };
            if (i > 0 && entries[i] == entries[i - 1])
                for (uint32_t n = 3; n <= 6 && n <= sameRun[i]; ++n)
                    consider(kRepeatPrevious, n);
            for (uint32_t n = 3; n <= 10 && n <= zeroRun[i]; ++n)
                consider(kShortZeros, n);
            for (uint32_t n = 11; n <= 138 && n <= zeroRun[i]; ++n)
                consider(kLongZeros, n);
            best[i] = bestCost;
            choice[i] = bestChoice;
        }

        uint32_t frequency[kBitLengthSymbols] = {};
        plan.operationCount = 0;
        for (uint32_t i = 0; i < size; i += choice[i].count)
        {
            plan.operations[plan.operationCount++] = choice[i];
            ++frequency[choice[i].symbol];
        }
        RarHuffmanEncoder::BuildLengths(frequency, kBitLengthSymbols, plan.codeLengths);
        plan.bits = (table.audio ? 4 : 2) + 4 * kBitLengthSymbols;
        for (uint32_t s = 0; s < kBitLengthSymbols; ++s)
        {
            plan.bits += uint64_t(frequency[s]) * (plan.codeLengths[s] + ExtraBits(s));
            cost[s] = plan.codeLengths[s] ? plan.codeLengths[s] : 12;
        }
    }
}

// The cheaper of the two starting points.
void ChoosePlan(const RarTableEncoder::Table& table, const uint8_t* previous, Plan& plan)
{
    Plan cleared;
    static constexpr uint8_t zeros[kMaxTableSize] = {};
    MakePlan(table, previous, plan);
    plan.keepPrevious = true;
    MakePlan(table, zeros, cleared);
    cleared.keepPrevious = false;
    if (cleared.bits < plan.bits)
        plan = cleared;
}

} // namespace

uint64_t RarTableEncoder::Cost(const Table& table, const uint8_t* previous)
{
    Plan plan;
    ChoosePlan(table, previous, plan);
    return plan.bits;
}

void RarTableEncoder::Write(RarBitOutput& out, const Table& table, uint8_t* previous)
{
    Plan plan;
    ChoosePlan(table, previous, plan);

    out.Put(table.audio ? 1 : 0, 1);
    out.Put(plan.keepPrevious ? 1 : 0, 1);
    if (table.audio)
        out.Put(table.channels - 1, 2);
    for (uint8_t length : plan.codeLengths)
        out.Put(length, 4);

    uint16_t codes[kBitLengthSymbols];
    RarHuffmanEncoder::BuildCodes(plan.codeLengths, kBitLengthSymbols, codes);
    for (uint32_t i = 0; i < plan.operationCount; ++i)
    {
        const Operation& operation = plan.operations[i];
        out.Put(codes[operation.symbol], plan.codeLengths[operation.symbol]);
        if (operation.symbol == kRepeatPrevious)
            out.Put(operation.count - 3u, 2);
        else if (operation.symbol == kShortZeros)
            out.Put(operation.count - 3u, 3);
        else if (operation.symbol == kLongZeros)
            out.Put(operation.count - 11u, 7);
    }

    if (!plan.keepPrevious)
        std::memset(previous, 0, kMaxTableSize);
    std::memcpy(previous, table.lengths, table.size);
}
