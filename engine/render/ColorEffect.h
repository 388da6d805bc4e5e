#pragma once
#include <cstdint>

#include "engine/core/Vector4.h"
#include "engine/render/GeometryNodeEffect.h"

class GeometryNode;
class Renderer;

// Draws geometry in one colour through the fixed-function pipeline: a
// geometry without a colour buffer is given one filled with the colour.
class ColorEffect : public GeometryNodeEffect
{
    QRE_DECLARE_CLASS

public:
    explicit ColorEffect(const String& name = String());

    const Vector4& GetColor() const { return colour; }
    // Reaches geometry that already got its colour buffer only through a
    // new buffer: the buffer is made once, from the colour at that time.
    void SetColor(const Vector4& value) { colour = value; }

    // Binds what the fixed-function pass draws with, after the renderer
    // began the pass: colour, position and index streams, no texture on
    // stage 0, world, view and projection. 0, or 1 without vertices.
    virtual int32_t BindFixedFunction(Renderer& renderer, GeometryNode& geometry);

    // streaming: colour
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    Vector4 colour{1.0f, 1.0f, 1.0f, 1.0f};
};
