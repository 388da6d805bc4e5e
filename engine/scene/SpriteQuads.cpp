#include "engine/scene/SpriteQuads.h"

#include <cmath>

#include "engine/core/Ptr.h"
#include "engine/render/GeometryNodeEffect.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/GeometryNode.h"

namespace SpriteQuads
{
const Vector2 kCoordinates[6] = {{0.0f, 1.0f}, {0.0f, 0.0f}, {1.0f, 1.0f},
                                 {0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}};

void Axes(const Camera& camera, Vector3& d1, Vector3& d2)
{
    const Vector3 right = camera.GetRight();
    const Vector3 up = camera.GetUp();
    d1 = (up + right).Normalized() * 0.5f;
    d2 = (up - right).Normalized() * 0.5f;
}

void WriteCorners(Vector3* out, const Vector3& p, float s, const Vector3& d1, const Vector3& d2)
{
    out[0] = p - d1 * s;
    out[1] = p + d2 * s;
    out[2] = p - d2 * s;
    out[3] = out[1];
    out[4] = p + d1 * s;
    out[5] = out[2];
}

float PointSizeScale(const Camera* camera)
{
    if (!camera)
        return 1.0f;
    const float scale = camera->GetProjection().m[1][1] / (2.0f * std::sqrt(2.0f));
    return std::isfinite(scale) ? scale : 1.0f;
}

void DrawPrimitives(GeometryNode& node, Renderer& renderer, uint32_t primitives)
{
    if (primitives == 0 || !node.GetEffect() || !node.IsDrawable())
        return;
    // Held: the passes run foreign code that might replace the effect.
    Ptr<GeometryNodeEffect> drawing = node.GetEffect();
    renderer.SetGeometry(&node);
    const uint32_t passes = drawing->PassCount();
    for (uint32_t pass = 0; pass < passes; ++pass)
    {
        if (drawing->ApplyPass(pass) == 0)
            renderer.Draw(static_cast<int32_t>(primitives));
        renderer.PopAllLights();
    }
}
} // namespace SpriteQuads
