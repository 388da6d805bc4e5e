#pragma once
#include "engine/core/Vector4.h"
#include "engine/scene/BufferOf.h"

// A colour per vertex: red, green, blue, alpha as four floats.
class ColorBuffer : public BufferOf<Vector4>
{
    QRE_DECLARE_CLASS

public:
    explicit ColorBuffer(const String& name = String()) : BufferOf(name, 0, nullptr) {}
    // Takes ownership of a new[] block of count elements.
    ColorBuffer(uint32_t count, Vector4* data, const String& name = String()) : BufferOf(name, count, data) {}
};

static_assert(sizeof(Vector4) == 16, "stored as raw 16-byte elements");
