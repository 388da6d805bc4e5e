#pragma once
#include <cstdint>
#include <memory>

// Hash chains over the packer's history (the whole solid stream so far):
// for a position, the earlier positions whose next three bytes hash alike,
// newest first, back to the reach of the 1 MB window. A second table keeps
// the last position of each byte pair for the format's two-byte copies.
class RarMatchFinder
{
public:
    static constexpr uint32_t kMaxDistance = 0x100000 - 1;

    RarMatchFinder() = default;
    ~RarMatchFinder();
    RarMatchFinder(const RarMatchFinder&) = delete;
    RarMatchFinder& operator=(const RarMatchFinder&) = delete;

    // Reserves the tables; false when memory is missing.
    bool Initialize();

    // Forgets every position (a new, non-solid stream).
    void Reset();

    // Makes position available to later searches; needs two bytes after it
    // (fewer: only the pair table learns it, or nothing).
    void Insert(const uint8_t* data, uint32_t position, uint32_t end);

    // The longest match for position among at most chainLimit candidates,
    // no longer than maxLength; stops early at niceLength. minLength(d)
    // says how long a match at distance d must be to count. 0 when none.
    uint32_t Find(const uint8_t* data, uint32_t position, uint32_t maxLength, uint32_t chainLimit,
                  uint32_t niceLength, uint32_t (*minLength)(uint32_t), uint32_t* distance) const;

    // Distance to the last earlier position with the same two bytes; 0 when
    // there is none.
    uint32_t PairDistance(const uint8_t* data, uint32_t position) const;

    // Bytes that agree at position and position - distance, up to limit.
    static uint32_t MatchLength(const uint8_t* data, uint32_t position, uint32_t distance, uint32_t limit);

private:
    static constexpr uint32_t kChainSize = 0x100000;

    std::unique_ptr<uint32_t[]> head;     // position + 1 per 3-byte hash, 0 for none
    std::unique_ptr<uint32_t[]> pairHead; // position + 1 per byte pair
    std::unique_ptr<uint32_t[]> previous; // position + 1 of the chain's next entry, by position mod kChainSize
};
