#pragma once
#include "engine/scene/BufferOf.h"

// One float per vertex: point sizes, one-dimensional texture coordinates.
class FloatBuffer : public BufferOf<float>
{
    QRE_DECLARE_CLASS

public:
    explicit FloatBuffer(const String& name = String()) : BufferOf(name, 0, nullptr) {}
    // Takes ownership of a new[] block of count elements.
    FloatBuffer(uint32_t count, float* data, const String& name = String()) : BufferOf(name, count, data) {}
};

static_assert(sizeof(float) == 4, "stored as raw 4-byte elements");
