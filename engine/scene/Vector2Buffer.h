#pragma once
#include "engine/core/Vector2.h"
#include "engine/scene/BufferOf.h"

// Two floats per vertex: texture coordinates.
class Vector2Buffer : public BufferOf<Vector2>
{
    QRE_DECLARE_CLASS

public:
    explicit Vector2Buffer(const String& name = String()) : BufferOf(name, 0, nullptr) {}
    // Takes ownership of a new[] block of count elements.
    Vector2Buffer(uint32_t count, Vector2* data, const String& name = String()) : BufferOf(name, count, data) {}
};

static_assert(sizeof(Vector2) == 8, "stored as raw 8-byte elements");
