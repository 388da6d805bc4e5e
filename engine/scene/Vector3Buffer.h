#pragma once
#include "engine/core/Vector3.h"
#include "engine/scene/BufferOf.h"

// Three floats per vertex: positions, normals, tangents.
class Vector3Buffer : public BufferOf<Vector3>
{
    QRE_DECLARE_CLASS

public:
    explicit Vector3Buffer(const String& name = String()) : BufferOf(name, 0, nullptr) {}
    // Takes ownership of a new[] block of count elements.
    Vector3Buffer(uint32_t count, Vector3* data, const String& name = String()) : BufferOf(name, count, data) {}
};

static_assert(sizeof(Vector3) == 12, "stored as raw 12-byte elements");
