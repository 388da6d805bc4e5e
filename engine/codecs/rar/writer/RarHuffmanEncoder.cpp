#include "engine/codecs/rar/writer/RarHuffmanEncoder.h"

#include <algorithm>
#include <cstring>

namespace
{

constexpr uint32_t kLeaves = RarHuffmanEncoder::kMaxSymbols;

// Code lengths of an unrestricted Huffman code over the used symbols
// (sorted by frequency); gives the deepest length.
uint32_t HuffmanDepths(const uint64_t* weights, const uint32_t* symbols, uint32_t used, uint8_t* lengths)
{
    // Leaves come sorted and internal nodes are made in non-decreasing
    // weight order, so two queues give the tree without a heap.
    uint64_t weight[2 * kLeaves];
    uint32_t parent[2 * kLeaves];
    uint32_t depth[2 * kLeaves];
    std::copy(weights, weights + used, weight);
    uint32_t leaf = 0, node = used, next = used;
    auto takeSmallest = [&]() {
        if (leaf < used && (node >= next || weight[leaf] <= weight[node]))
            return leaf++;
        return node++;
    };
    for (uint32_t made = 0; made + 1 < used; ++made)
    {
        uint32_t a = takeSmallest();
        uint32_t b = takeSmallest();
        weight[next] = weight[a] + weight[b];
        parent[a] = parent[b] = next;
        ++next;
    }
    // Parents are made after their children: walking down from the root
    // sees every parent's depth first.
    uint32_t root = next - 1;
    depth[root] = 0;
    uint32_t deepest = 0;
    for (uint32_t i = root; i-- > 0;)
    {
        depth[i] = depth[parent[i]] + 1;
        if (i < used)
        {
            lengths[symbols[i]] = static_cast<uint8_t>(std::min<uint32_t>(depth[i], 255));
            deepest = std::max(deepest, depth[i]);
        }
    }
    return deepest;
}

} // namespace

void RarHuffmanEncoder::BuildLengths(const uint32_t* frequencies, uint32_t count, uint8_t* lengths)
{
    count = std::min(count, kMaxSymbols);
    std::memset(lengths, 0, count);
    uint32_t symbols[kMaxSymbols];
    uint32_t used = 0;
    for (uint32_t i = 0; i < count; ++i)
        if (frequencies[i] != 0)
            symbols[used++] = i;
    if (used == 0)
        return;
    if (used == 1)
    {
        lengths[symbols[0]] = 1;
        if (count > 1)
            lengths[symbols[0] == 0 ? 1 : 0] = 1;
        return;
    }
    std::stable_sort(symbols, symbols + used,
                     [&](uint32_t a, uint32_t b) { return frequencies[a] < frequencies[b]; });

    // Too deep a code: flatten the frequencies and build again. Each round
    // halves the spread, so a few rounds always fit 15 bits.
    uint64_t weights[kMaxSymbols];
    for (uint32_t i = 0; i < used; ++i)
        weights[i] = frequencies[symbols[i]];
    for (;;)
    {
        if (HuffmanDepths(weights, symbols, used, lengths) <= kMaxLength)
            return;
        for (uint32_t i = 0; i < used; ++i)
            weights[i] = (weights[i] >> 1) | 1;
    }
}

void RarHuffmanEncoder::BuildCodes(const uint8_t* lengths, uint32_t count, uint16_t* codes)
{
    uint32_t lengthCount[kMaxLength + 1] = {};
    for (uint32_t i = 0; i < count; ++i)
        if (lengths[i] <= kMaxLength)
            ++lengthCount[lengths[i]];
    lengthCount[0] = 0;
    uint32_t next[kMaxLength + 1] = {};
    uint32_t code = 0;
    for (uint32_t length = 1; length <= kMaxLength; ++length)
    {
        code = (code + lengthCount[length - 1]) << 1;
        next[length] = code;
    }
    for (uint32_t i = 0; i < count; ++i)
        codes[i] = lengths[i] && lengths[i] <= kMaxLength ? static_cast<uint16_t>(next[lengths[i]]++) : 0;
}
