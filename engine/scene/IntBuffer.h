#pragma once
#include "engine/scene/BufferOf.h"

// 32-bit integers: the index lists of geometry.
class IntBuffer : public BufferOf<int32_t>
{
    QRE_DECLARE_CLASS

public:
    explicit IntBuffer(const String& name = String()) : BufferOf(name, 0, nullptr) {}
    // Takes ownership of a new[] block of count elements.
    IntBuffer(uint32_t count, int32_t* data, const String& name = String()) : BufferOf(name, count, data) {}

    // One past the largest value: the number of vertices an index list
    // reaches, so drawing and normal generation can refuse a list that
    // points past its vertices. 0 when empty; UINT32_MAX when a value is
    // negative. Rescanned only after MarkChanged.
    uint32_t GetIndexBound() const;

private:
    mutable uint32_t boundRevision = UINT32_MAX; // revision the cached bound belongs to
    mutable uint32_t bound = 0;
};
