#pragma once
#include <cstdint>

#include "engine/core/Vector4.h"
#include "engine/scene/GeometryNode.h"

// One glow at the node's position: a point sprite where the renderer has
// them, else a quad facing the current camera.
class Flare : public GeometryNode
{
    QRE_DECLARE_CLASS

public:
    explicit Flare(const String& name = String()) : GeometryNode(name) {}

    const Vector4& GetColor() const { return color; }
    void SetColor(const Vector4& value) { color = value; }
    // Never negative (nor NaN): such a size becomes 0. The local bound
    // follows.
    float GetSize() const { return size; }
    void SetSize(float value);

    // Points when the renderer has point sprites, else triangles.
    PrimitiveType GetPrimitiveType() const override;
    // Controllers, world transform, effect, then the sprite at the world
    // translation (the quad only with a current camera).
    void UpdateWorldData(double time) override;
    // A sphere at the origin of radius size x 5000: culled only when far
    // outside the view.
    void UpdateModelBound() override;
    void Draw(Renderer& renderer) override;
    void DrawDeferred(Renderer& renderer) override;

    // streaming: the GeometryNode record without the runtime buffers, then
    // color, size
    int32_t Save(Stream& stream) override;
    int32_t Load(Stream& stream) override;

private:
    // Buffers of n elements (1 point or 6 corners); false when memory runs
    // out (logged).
    bool SizeBuffers(uint32_t n);

    Vector4 color{1.0f, 1.0f, 1.0f, 1.0f};
    float size = 1.0f;
    uint32_t primitives = 0; // drawn by the last update
};
