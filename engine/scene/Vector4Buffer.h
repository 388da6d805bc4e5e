#pragma once
#include "engine/core/Vector4.h"
#include "engine/scene/BufferOf.h"

// Four floats per vertex: skinning weights and bone indices, four-component texture coordinates.
class Vector4Buffer : public BufferOf<Vector4>
{
    QRE_DECLARE_CLASS

public:
    explicit Vector4Buffer(const String& name = String()) : BufferOf(name, 0, nullptr) {}
    // Takes ownership of a new[] block of count elements.
    Vector4Buffer(uint32_t count, Vector4* data, const String& name = String()) : BufferOf(name, count, data) {}
};

static_assert(sizeof(Vector4) == 16, "stored as raw 16-byte elements");
