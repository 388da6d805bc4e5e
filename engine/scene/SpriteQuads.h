#pragma once
#include <cstdint>

#include "engine/core/Vector2.h"
#include "engine/core/Vector3.h"

class Camera;
class GeometryNode;
class Renderer;

// What particle sprites and flares share: the camera-facing quad, the point
// size that covers the same pixels, and drawing a number of primitives
// through the effect's passes.
namespace SpriteQuads
{
// The coordinates of the six quad corners: bottom-left, top-left,
// bottom-right; top-left, top-right, bottom-right.
extern const Vector2 kCoordinates[6];

// The half-diagonals of a unit sprite facing camera: d1 = normalise(U + R)
// / 2 (bottom-left to top-right), d2 = normalise(U - R) / 2.
void Axes(const Camera& camera, Vector3& d1, Vector3& d2);

// Six corners of the sprite of size s at p into out[0..5]: the quad's
// diagonal is s long, so its side is s / sqrt(2).
void WriteCorners(Vector3* out, const Vector3& p, float s, const Vector3& d1, const Vector3& d2);

// The factor from a sprite's size to the point size the device takes
// (size x viewport height / distance pixels across) for the point to cover
// the quad's pixels under camera's projection: P[1][1] / (2 sqrt(2)). 1
// without a camera or with a projection that is not finite.
float PointSizeScale(const Camera* camera);

// The node becomes the renderer's geometry and each pass that applies
// draws primitives non-indexed from vertex 0; lights a pass pushed are
// popped after it. Nothing for 0 primitives or without an effect.
void DrawPrimitives(GeometryNode& node, Renderer& renderer, uint32_t primitives);
} // namespace SpriteQuads
