#include "engine/codecs/rar/writer/RarMatchFinder.h"

#include <cstring>
#include <new>

namespace
{

constexpr uint32_t kHashBits = 17;

inline uint32_t Hash3(const uint8_t* p)
{
    uint32_t value = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
    return (value * 2654435761u) >> (32 - kHashBits);
}

inline uint32_t Pair(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8;
}

} // namespace

RarMatchFinder::~RarMatchFinder() = default;

bool RarMatchFinder::Initialize()
{
    if (!head)
        head.reset(new (std::nothrow) uint32_t[1u << kHashBits]);
    if (!pairHead)
        pairHead.reset(new (std::nothrow) uint32_t[1u << 16]);
    if (!previous)
        previous.reset(new (std::nothrow) uint32_t[kChainSize]);
    if (!head || !pairHead || !previous)
        return false;
    Reset();
    return true;
}

void RarMatchFinder::Reset()
{
    std::memset(head.get(), 0, sizeof(uint32_t) << kHashBits);
    std::memset(pairHead.get(), 0, sizeof(uint32_t) << 16);
    // Chain entries are only reached through heads, which are clear.
}

void RarMatchFinder::Insert(const uint8_t* data, uint32_t position, uint32_t end)
{
    if (position + 2 > end)
        return;
    pairHead[Pair(data + position)] = position + 1;
    if (position + 3 > end)
        return;
    uint32_t& first = head[Hash3(data + position)];
    previous[position & (kChainSize - 1)] = first;
    first = position + 1;
}

uint32_t RarMatchFinder::MatchLength(const uint8_t* data, uint32_t position, uint32_t distance, uint32_t limit)
{
    const uint8_t* a = data + position;
    const uint8_t* b = a - distance;
    uint32_t length = 0;
    while (length + 8 <= limit)
    {
        uint64_t x, y;
        std::memcpy(&x, a + length, 8);
        std::memcpy(&y, b + length, 8);
        if (uint64_t diff = x ^ y)
            return length + static_cast<uint32_t>(__builtin_ctzll(diff) >> 3);
        length += 8;
    }
    while (length < limit && a[length] == b[length])
        ++length;
    return length;
}

uint32_t RarMatchFinder::Find(const uint8_t* data, uint32_t position, uint32_t maxLength, uint32_t chainLimit,
                              uint32_t niceLength, uint32_t (*minLength)(uint32_t), uint32_t* distance) const
{
    uint32_t bestLength = 0;
    if (maxLength < 3)
        return 0;
    uint32_t entry = head[Hash3(data + position)];
    while (entry != 0 && chainLimit-- > 0)
    {
        uint32_t candidate = entry - 1;
        if (candidate >= position || position - candidate > kMaxDistance)
            break;
        uint32_t gap = position - candidate;
        // Only a candidate that beats the best so far at its last byte is
        // worth comparing in full.
        if (data[candidate + bestLength] == data[position + bestLength])
        {
            uint32_t length = MatchLength(data, position, gap, maxLength);
            if (length > bestLength && length >= minLength(gap))
            {
                bestLength = length;
                *distance = gap;
                if (length >= niceLength || length >= maxLength)
                    break;
            }
        }
        uint32_t next = previous[candidate & (kChainSize - 1)];
        // A newer position took this slot: the chain ends here.
        if (next == 0 || next - 1 >= candidate)
            break;
        entry = next;
    }
    return bestLength;
}

uint32_t RarMatchFinder::PairDistance(const uint8_t* data, uint32_t position) const
{
    uint32_t entry = pairHead[Pair(data + position)];
    return entry != 0 && entry - 1 < position ? position - (entry - 1) : 0;
}
